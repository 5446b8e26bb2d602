// The window driver on Qt: QTest's events sent straight to the framework's widgets, and their
// models and properties read back.
#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "tests/common/WindowDriver.h"

namespace tessaly::test {

namespace {

QWidget* Widget(WindowHandle hWnd) {
    return static_cast<QWidget*>(hWnd);
}

QTableView* ListView(WindowHandle hList) {
    auto* pView = qobject_cast<QTableView*>(Widget(hList));
    EXPECT_NE(pView, nullptr) << "not a report list";
    return pView;
}

Rect ToRect(const QRect& rc) {
    return Rect{rc.left(), rc.top(), rc.left() + rc.width(), rc.top() + rc.height()};
}

} // namespace

void detail::PrepareWindowSystem() {
    // No display, no real dialogs: Qt's offscreen platform unless the run names another.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

bool WaitUntil(const std::function<bool()>& condition, int iTimeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > iTimeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void RunLater(int iDelayMs, std::function<void()> fn) {
    QTimer::singleShot(iDelayMs, std::move(fn));
}

struct Timer::State {
    QTimer timer;
};

Timer::Timer(int iIntervalMs, std::function<void()> fn, bool bRepeat)
    : m_pState(std::make_unique<State>()) {
    m_pState->timer.setSingleShot(!bRepeat);
    if (fn) {
        QObject::connect(&m_pState->timer, &QTimer::timeout, std::move(fn));
    }
    m_pState->timer.start(iIntervalMs);
}

Timer::~Timer() = default;

void Timer::Stop() {
    m_pState->timer.stop();
}

WindowHandle ActiveModalWindow() {
    return QApplication::activeModalWidget();
}

WindowHandle DialogItem(WindowHandle hDialog, int nId) {
    return Widget(hDialog)->findChild<QWidget*>(QStringLiteral("control%1").arg(nId));
}

std::string WindowText(WindowHandle hWnd) {
    QWidget* pWidget = Widget(hWnd);
    if (pWidget->isWindow()) {
        return pWidget->windowTitle().toStdString();
    }
    if (auto* pEdit = qobject_cast<QLineEdit*>(pWidget)) {
        return pEdit->text().toStdString();
    }
    if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget)) {
        return pButton->text().toStdString();
    }
    if (auto* pLabel = qobject_cast<QLabel*>(pWidget)) {
        return pLabel->text().toStdString();
    }
    return {};
}

bool IsEnabled(WindowHandle hWnd) {
    return Widget(hWnd)->isEnabled();
}

bool IsVisible(WindowHandle hWnd) {
    return Widget(hWnd)->isVisible();
}

Rect ClientRect(WindowHandle hWnd) {
    return ToRect(Widget(hWnd)->rect());
}

Rect RectInParent(WindowHandle hWnd) {
    return ToRect(Widget(hWnd)->geometry());
}

BaseUnits DialogBaseUnits(WindowHandle hDialog) {
    const QFontMetrics metrics(Widget(hDialog)->font());
    const int iWidth = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return BaseUnits{(iWidth / 26 + 1) / 2, metrics.height()};
}

ProgressState Progress(WindowHandle hBar) {
    auto* pBar = qobject_cast<QProgressBar*>(Widget(hBar));
    EXPECT_NE(pBar, nullptr) << "not a progress bar";
    return pBar != nullptr ? ProgressState{pBar->minimum(), pBar->maximum(), pBar->value()}
                           : ProgressState{};
}

int ListRowCount(WindowHandle hList) {
    QTableView* pView = ListView(hList);
    return pView != nullptr ? pView->model()->rowCount() : 0;
}

std::string ListHeaderText(WindowHandle hList, int iColumn) {
    QTableView* pView = ListView(hList);
    return pView != nullptr
               ? pView->model()->headerData(iColumn, Qt::Horizontal).toString().toStdString()
               : std::string();
}

int ListColumnWidth(WindowHandle hList, int iColumn) {
    QTableView* pView = ListView(hList);
    return pView != nullptr ? pView->horizontalHeader()->sectionSize(iColumn) : 0;
}

std::string ListCellText(WindowHandle hList, int iRow, int iColumn) {
    QTableView* pView = ListView(hList);
    return pView != nullptr ? pView->model()->index(iRow, iColumn).data().toString().toStdString()
                            : std::string();
}

Rect ListRowRect(WindowHandle hList, int iRow) {
    QTableView* pView = ListView(hList);
    return pView != nullptr ? ToRect(pView->visualRect(pView->model()->index(iRow, 0))) : Rect{};
}

bool SaveScreenshot(WindowHandle hWnd, const std::string& strPathUtf8) {
    const QString strPath = QString::fromStdString(strPathUtf8);
    QDir().mkpath(QFileInfo(strPath).absolutePath());
    return Widget(hWnd)->grab().save(strPath);
}

void Click(WindowHandle hWnd) {
    QTest::mouseClick(Widget(hWnd), Qt::LeftButton);
}

void PressKey(WindowHandle hWnd, EKey eKey) {
    QTest::keyClick(Widget(hWnd), eKey == EKey::Enter ? Qt::Key_Return : Qt::Key_Escape);
}

void ClickCloseBox(WindowHandle hDialog) {
    Widget(hDialog)->close();
}

std::vector<MenuItem> OpenSystemMenu(WindowHandle hDialog) {
    QWidget* pDialog = Widget(hDialog);
    // A point of the dialog's own background, where a right click opens its system menu.
    QPoint ptFree(-1, -1);
    for (int y = 1; y < pDialog->height() && ptFree.x() < 0; y += 4) {
        for (int x = 1; x < pDialog->width() && ptFree.x() < 0; x += 4) {
            if (pDialog->childAt(x, y) == nullptr) {
                ptFree = QPoint(x, y);
            }
        }
    }
    EXPECT_GE(ptFree.x(), 0) << "no background to click on";
    std::vector<MenuItem> vecItems;
    // The menu runs a loop of its own: it is read and closed from there.
    QTimer poll;
    int iTicks = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (pMenu == nullptr && ++iTicks < 500) {
            return;
        }
        poll.stop();
        if (pMenu == nullptr) {
            ADD_FAILURE() << "the system menu did not open";
            return;
        }
        for (QAction* pAction : pMenu->actions()) {
            if (!pAction->isSeparator()) {
                vecItems.push_back(MenuItem{pAction->text().toStdString(), pAction->isEnabled()});
            }
        }
        pMenu->close();
    });
    poll.start(10);
    QContextMenuEvent event(QContextMenuEvent::Mouse, ptFree, pDialog->mapToGlobal(ptFree));
    QCoreApplication::sendEvent(pDialog, &event);
    poll.stop();
    return vecItems;
}

void SetEditText(WindowHandle hEdit, const std::string& strUtf8) {
    auto* pEdit = qobject_cast<QLineEdit*>(Widget(hEdit));
    ASSERT_NE(pEdit, nullptr) << "not an edit";
    pEdit->setText(QString::fromStdString(strUtf8));
}

void SetChecked(WindowHandle hCheckBox, bool bChecked) {
    auto* pCheck = qobject_cast<QAbstractButton*>(Widget(hCheckBox));
    ASSERT_NE(pCheck, nullptr) << "not a check box";
    pCheck->setChecked(bChecked);
}

void ClickListHeader(WindowHandle hList, int iColumn) {
    QTableView* pView = ListView(hList);
    ASSERT_NE(pView, nullptr);
    QHeaderView* pHeader = pView->horizontalHeader();
    const QPoint pt(pHeader->sectionViewportPosition(iColumn) + 5, pHeader->height() / 2);
    QTest::mouseClick(pHeader->viewport(), Qt::LeftButton, {}, pt);
}

void DoubleClickListAt(WindowHandle hList, int x, int y) {
    QTableView* pView = ListView(hList);
    ASSERT_NE(pView, nullptr);
    QWidget* pViewport = pView->viewport();
    const QPoint pt(x, y);
    // The pointer arrives first, as a user's does: QTest's double click alone carries no press,
    // and the framework learns the cursor's place from moves and presses.
    QMouseEvent move(QEvent::MouseMove, QPointF(pt), QPointF(pViewport->mapToGlobal(pt)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(pViewport, &move);
    QTest::mouseClick(pViewport, Qt::LeftButton, {}, pt);
    QTest::mouseDClick(pViewport, Qt::LeftButton, {}, pt);
}

void SelectListRows(WindowHandle hList, const std::vector<int>& vecRows) {
    QTableView* pView = ListView(hList);
    ASSERT_NE(pView, nullptr);
    for (int iRow : vecRows) {
        pView->selectionModel()->select(pView->model()->index(iRow, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

bool ChooseListBoxItem(WindowHandle hBox, const std::string& strUtf8) {
    auto* pBox = qobject_cast<QListWidget*>(Widget(hBox));
    EXPECT_NE(pBox, nullptr) << "not a list box";
    const QString strItem = QString::fromStdString(strUtf8);
    for (int i = 0; pBox != nullptr && i < pBox->count(); ++i) {
        if (pBox->item(i)->text() == strItem) {
            pBox->setCurrentRow(i);
            return true;
        }
    }
    return false;
}

bool DropFiles(WindowHandle hWnd, const std::vector<std::string>& vecPaths) {
    QList<QUrl> urls;
    for (const std::string& strPath : vecPaths) {
        urls.append(QUrl::fromLocalFile(QString::fromStdString(strPath)));
    }
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(3, 3), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Widget(hWnd), &enter);
    QDropEvent drop(QPointF(3, 3), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Widget(hWnd), &drop);
    return enter.isAccepted();
}

} // namespace tessaly::test
