// What only Qt shows: the colours OnCtlColor gave a control are its palette, read back here;
// Windows applies them while painting and keeps nothing to read.
#include <gtest/gtest.h>

#include <QColor>
#include <QPalette>
#include <QPixmap>
#include <QWidget>

#include "tests/picker/dialog/PickerTestSupport.h"

namespace {

using tessaly::test::CTestPicker;
using tessaly::test::PickerTest;

using PickerColours = PickerTest;

TEST_F(PickerColours, TheDriveListsColourRequestMakesItWhiteOnBlack) {
    MakeFile("c/x.txt");
    CTestPicker picker;
    RunPicker(picker, "c", [&] {
        // Painted once, as the screenshot paints it, so that the colour request has run.
        EXPECT_FALSE(static_cast<QWidget*>(picker.m_hWnd)->grab().isNull());
        const QPalette palette = static_cast<QWidget*>(tessaly::test::DriveBox(picker))->palette();
        EXPECT_EQ(palette.color(QPalette::Base), QColor(Qt::black));
        EXPECT_EQ(palette.color(QPalette::Text), QColor(Qt::white));
        picker.EndDialog(IDCANCEL);
    });
}

} // namespace
