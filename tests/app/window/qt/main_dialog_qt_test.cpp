// What only Qt shows: the colours OnCtlColor gave a control are its palette, read back here;
// Windows applies them while painting and keeps nothing to read.
#include <QApplication>
#include <QMouseEvent>
#include <QPalette>
#include <QWidget>
#include <string>
#include <utility>

#include "tests/app/window/MainWindowFixture.h"

namespace {

using namespace tessaly::test;

QWidget* Widget(WindowHandle hWnd) {
    return static_cast<QWidget*>(hWnd);
}

// A mouse move over a control, as the window system delivers it.
void MoveOver(WindowHandle hWnd, QPoint pt = QPoint(3, 3)) {
    QWidget* pWidget = Widget(hWnd);
    QMouseEvent move(QEvent::MouseMove, QPointF(pt), QPointF(pWidget->mapToGlobal(pt)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(pWidget, &move);
}

// A move that a button ignores travels on to the dialog as a copy; it must still count as over the
// button.
TEST_F(MainWindowTest, HoveringTheButtonsLightsTheirLabels) {
    Run([&] {
        QWidget* pLabel = Widget(Control(1013));
        QWidget* pCheck = Widget(Control(1012));
        auto colours = [](QWidget* p) {
            return std::make_pair(p->palette().color(QPalette::Window).name().toStdString(),
                                  p->palette().color(QPalette::WindowText).name().toStdString());
        };
        EXPECT_EQ(colours(pLabel), std::make_pair(std::string("#646464"), std::string("#ffffff")));
        MoveOver(Control(1003));
        EXPECT_EQ(colours(pLabel), std::make_pair(std::string("#ffff00"), std::string("#000000")));
        EXPECT_EQ(colours(pCheck).first, "#646464");
        MoveOver(Control(1001));
        EXPECT_EQ(colours(pLabel).first, "#646464");
        // The move off 1003 repaints the label; the next move lights the check box.
        MoveOver(Control(1001), QPoint(5, 5));
        EXPECT_EQ(colours(pCheck), std::make_pair(std::string("#ffff00"), std::string("#000000")));
        MoveOver(m_dialog.m_hWnd, QPoint(2, 2));
        EXPECT_EQ(colours(pCheck).first, "#646464");
    });
}

} // namespace
