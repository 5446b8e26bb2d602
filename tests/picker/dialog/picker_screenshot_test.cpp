#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <filesystem>
#include <string>

#include "tests/picker/dialog/PickerTestSupport.h"

namespace {

using tessaly::test::CTestPicker;
using tessaly::test::PickerTest;

using PickerScreenshot = PickerTest;

TEST_F(PickerScreenshot, RendersDialog103WithAFolderListed) {
    tessaly::test::ZoneScope zone("JST-9");
    MakeFolder("曲/アルバム");
    MakeFolder("曲/表紙");
    MakeFile("曲/01 はじまり.wav", 52428800);
    MakeFile("曲/02 Interlude.wav", 1234567);
    MakeFile("曲/readme.txt", 1000);
    MakeFile("曲/huge.iso", 5000000000ull);
    SetWriteTime("曲/01 はじまり.wav", 1177992309);
    SetWriteTime("曲/02 Interlude.wav", 1177995909);
    SetWriteTime("曲/readme.txt", 1178006709);
    const std::filesystem::path pathShot =
        std::filesystem::path(TESSALY_SCREENSHOT_DIR) / "picker.png";
    std::filesystem::create_directories(pathShot.parent_path());
    std::filesystem::remove(pathShot);
    CTestPicker picker;
    QImage image;
    RunPicker(picker, "曲", [&] {
        picker.m_ListCtrl.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
        QWidget* pDialog = reinterpret_cast<QWidget*>(picker.m_hWnd);
        image = pDialog->grab().toImage();
        EXPECT_TRUE(image.save(QString::fromStdString(pathShot.string())));
        // The drive list's colour request made it white on black.
        const QPalette palette = tessaly::test::DriveBox(picker)->palette();
        EXPECT_EQ(palette.color(QPalette::Base), QColor(Qt::black));
        EXPECT_EQ(palette.color(QPalette::Text), QColor(Qt::white));
        EXPECT_EQ(pDialog->windowTitle(), QString::fromUtf8("ファイル・フォルダの入力"));
        picker.EndDialog(IDCANCEL);
    });
    EXPECT_FALSE(image.isNull());
    EXPECT_TRUE(std::filesystem::exists(pathShot));
}

} // namespace
