#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/framework/ui/Afxwin.h"
#include "tests/common/RecordingProviders.h"
#include "tests/common/TempDrive.h"
#include "tests/common/WindowTestEnvironment.h"

namespace {

using tessaly::test::RunModalWith;
using tessaly::test::WaitUntil;

CWinApp g_app("Tessaly");

constexpr UINT kTemplateId = 9000;
constexpr UINT kChildStyle = WS_CHILD | WS_VISIBLE;
const DialogItemTemplate kItems[] = {
    {1, EControlKind::PushButton, "OK", 10, 10, 40, 14, kChildStyle | WS_TABSTOP | BS_DEFPUSHBUTTON,
     0},
    {2, EControlKind::PushButton, "Cancel", 60, 10, 40, 14, kChildStyle | WS_TABSTOP, 0},
    {100, EControlKind::Edit, "", 10, 30, 100, 12, kChildStyle | WS_TABSTOP | ES_AUTOHSCROLL, 0},
    {101, EControlKind::Edit, "", 10, 45, 100, 12, kChildStyle | ES_READONLY, 0},
    {102, EControlKind::Static, "ラベル", 10, 60, 50, 12, kChildStyle | SS_CENTER | SS_SUNKEN, 0},
    {103, EControlKind::ListView, nullptr, 10, 75, 180, 60,
     kChildStyle | WS_TABSTOP | WS_BORDER | LVS_REPORT, 0},
    {104, EControlKind::CheckBox, "check", 120, 30, 60, 12,
     kChildStyle | WS_TABSTOP | BS_AUTOCHECKBOX, 0},
    {105, EControlKind::ProgressBar, nullptr, 10, 138, 180, 8, kChildStyle, 0},
};
const DialogTemplate kTemplate{
    kTemplateId, "Probe",           200, 150,   WS_POPUP | WS_CAPTION | WS_SYSMENU,
    0,           "ＭＳ Ｐゴシック", 9,   kItems};

// A dialog that records what reaches it.
class CProbeDialog : public CDialog {
public:
    CProbeDialog() : CDialog(kTemplateId) { tessaly::framework::RegisterDialogTemplate(kTemplate); }

    struct Seen {
        UINT message;
        WPARAM wParam;
        HWND hwnd;
    };
    std::vector<Seen> m_vecSeen;
    std::vector<UINT_PTR> m_vecTimers;
    bool m_bConsumeKeys = false;
    bool m_bDestroyed = false;
    bool m_bLiveAtDestroy = false;
    bool m_bHighlight = false;
    int m_iClicks = 0;
    CBrush m_brYellow;
    CEdit m_edit;
    CListCtrl m_list;

    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message != WM_MOUSEMOVE && pMsg->message != WM_LBUTTONDOWN) {
            m_vecSeen.push_back(Seen{pMsg->message, pMsg->wParam, pMsg->hwnd});
        }
        if (pMsg->message == WM_KEYDOWN && m_bConsumeKeys) {
            return TRUE;
        }
        if (pMsg->message == WM_USER + 1 || pMsg->message == WM_USER + 2) {
            return TRUE;
        }
        return CDialog::PreTranslateMessage(pMsg);
    }

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_brYellow.CreateSolidBrush(RGB(255, 255, 0));
        return TRUE;
    }
    void DoDataExchange(CDataExchange* pDX) override {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, 100, m_edit);
        DDX_Control(pDX, 103, m_list);
    }
    void OnTimer(UINT_PTR nIDEvent) {
        m_vecTimers.push_back(nIDEvent);
        CDialog::OnTimer(nIDEvent);
    }
    void OnDestroy() {
        m_bDestroyed = true;
        m_bLiveAtDestroy = GetDlgItem(100) != nullptr;
        CDialog::OnDestroy();
    }
    void OnCheck() { ++m_iClicks; }
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
        HBRUSH hbr = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
        if (m_bHighlight && nCtlColor == CTLCOLOR_STATIC && pWnd->GetDlgCtrlID() == 102) {
            pDC->SetTextColor(RGB(0, 0, 0));
            return m_brYellow;
        }
        return hbr;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeDialog, CDialog)
ON_WM_TIMER()
ON_WM_DESTROY()
ON_WM_CTLCOLOR()
ON_BN_CLICKED(104, &CProbeDialog::OnCheck)
END_MESSAGE_MAP()

QWidget* Widget(CWnd* pWnd) {
    return pWnd != nullptr ? reinterpret_cast<QWidget*>(pWnd->m_hWnd) : nullptr;
}

TEST(FrameworkDialog, BindsControlsAndDestroysBeforeDoModalReturns) {
    CProbeDialog dialog;
    bool bBound = false;
    const INT_PTR nResult = RunModalWith(dialog, [&] {
        bBound = dialog.m_edit.m_hWnd != nullptr &&
                 dialog.m_edit.m_hWnd == dialog.GetDlgItem(100)->m_hWnd &&
                 dialog.GetDlgItem(999) == nullptr && dialog.GetDlgItem(102)->GetDlgCtrlID() == 102;
        CString strLabel;
        dialog.GetDlgItem(102)->GetWindowText(strLabel);
        std::string strExpected;
        tessaly::win32::Utf8ToAnsi("ラベル", strExpected);
        bBound = bBound && strLabel == CString(strExpected.c_str());
        dialog.EndDialog(7);
    });
    EXPECT_EQ(nResult, 7);
    EXPECT_TRUE(bBound);
    EXPECT_TRUE(dialog.m_bDestroyed);
    EXPECT_TRUE(dialog.m_bLiveAtDestroy);
    EXPECT_EQ(dialog.m_edit.m_hWnd, nullptr) << "a bound member outlived its window";
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST(FrameworkDialog, KeysReachPreTranslateFirstAndEscapeOrCloseCancels) {
    struct Case {
        const char* name;
        bool bCloseBox;
    };
    for (const Case& c : {Case{"escape", false}, Case{"close box", true}}) {
        SCOPED_TRACE(c.name);
        CProbeDialog dialog;
        bool bStayedOpen = false;
        const INT_PTR nResult = RunModalWith(dialog, [&] {
            dialog.m_bConsumeKeys = true;
            QWidget* pEdit = Widget(dialog.GetDlgItem(100));
            QTest::keyClick(pEdit, Qt::Key_Return);
            QTest::keyClick(pEdit, Qt::Key_Escape);
            bStayedOpen = dialog.m_hWnd != nullptr && Widget(&dialog)->isVisible();
            dialog.m_bConsumeKeys = false;
            if (c.bCloseBox) {
                Widget(&dialog)->close();
            } else {
                QTest::keyClick(pEdit, Qt::Key_Escape);
            }
        });
        EXPECT_EQ(nResult, IDCANCEL);
        EXPECT_TRUE(bStayedOpen);
        ASSERT_GE(dialog.m_vecSeen.size(), 2u);
        EXPECT_EQ(dialog.m_vecSeen[0].message, static_cast<UINT>(WM_KEYDOWN));
        EXPECT_EQ(dialog.m_vecSeen[0].wParam, static_cast<WPARAM>(VK_RETURN));
        EXPECT_EQ(dialog.m_vecSeen[1].wParam, static_cast<WPARAM>(VK_ESCAPE));
    }
}

// A message box over a dialog that consumes Enter and Escape behaves as on any desktop: Escape
// closes it, Enter presses its button, and the dialog's key handling never sees either.
TEST(FrameworkDialog, AMessageBoxOverTheDialogTakesItsOwnKeys) {
    for (const Qt::Key eKey : {Qt::Key_Escape, Qt::Key_Return}) {
        SCOPED_TRACE(eKey == Qt::Key_Escape ? "escape" : "enter");
        CProbeDialog dialog;
        bool bClosed = false;
        size_t nSeen = 0;
        RunModalWith(dialog, [&] {
            dialog.m_bConsumeKeys = true;
            QMessageBox box(QMessageBox::Information, "Tessaly", "x", QMessageBox::Ok,
                            Widget(&dialog));
            QTimer::singleShot(0, &box, [&] { QTest::keyClick(&box, eKey); });
            nSeen = dialog.m_vecSeen.size();
            bClosed = box.exec() == QMessageBox::Ok;
            nSeen = dialog.m_vecSeen.size() - nSeen;
            dialog.EndDialog(IDOK);
        });
        EXPECT_TRUE(bClosed);
        EXPECT_EQ(nSeen, 0u);
    }
}

// Qt's own texts speak Japanese like the program's captions.
TEST(FrameworkWindowSystem, QtsOwnButtonsAreJapanese) {
    QMessageBox box(QMessageBox::Question, "Tessaly", "x", QMessageBox::Yes | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text().toStdString(), "キャンセル");
}

TEST(FrameworkDialog, EnterPressesTheDefaultButton) {
    CProbeDialog dialog;
    const INT_PTR nResult = RunModalWith(
        dialog, [&] { QTest::keyClick(Widget(dialog.GetDlgItem(100)), Qt::Key_Return); });
    EXPECT_EQ(nResult, IDOK);
}

TEST(FrameworkDialog, PostedAndThreadMessagesKeepTheirOrderFromAWorker) {
    CProbeDialog dialog;
    g_app.m_pMainWnd = &dialog;
    constexpr int kCount = 200;
    std::atomic<bool> bPostsOk{true};
    const INT_PTR nResult = RunModalWith(dialog, [&] {
        const HWND hWnd = dialog.m_hWnd;
        const DWORD dwThread = tessaly::framework::WindowThreadId();
        std::thread worker([&] {
            for (int i = 0; i < kCount; ++i) {
                const BOOL bOk = (i % 2 == 0) ? PostMessage(hWnd, WM_USER + 1, i, 0)
                                              : PostThreadMessage(dwThread, WM_USER + 2, i, 0);
                bPostsOk = bPostsOk && bOk;
            }
        });
        worker.join();
        WaitUntil([&] { return dialog.m_vecSeen.size() >= kCount; });
        dialog.EndDialog(IDOK);
    });
    g_app.m_pMainWnd = nullptr;
    EXPECT_EQ(nResult, IDOK);
    EXPECT_TRUE(bPostsOk);
    ASSERT_EQ(dialog.m_vecSeen.size(), static_cast<size_t>(kCount));
    for (int i = 0; i < kCount; ++i) {
        EXPECT_EQ(dialog.m_vecSeen[i].wParam, static_cast<WPARAM>(i)) << "message " << i;
        EXPECT_EQ(dialog.m_vecSeen[i].hwnd, i % 2 == 0 ? dialog.m_vecSeen[0].hwnd : nullptr);
    }
    EXPECT_FALSE(PostMessage(dialog.m_vecSeen[0].hwnd, WM_USER + 1, 0, 0))
        << "a destroyed window took a message";
    EXPECT_FALSE(PostThreadMessage(tessaly::framework::WindowThreadId() + 1000, WM_USER, 0, 0));
}

TEST(FrameworkDialog, WorkerCallsRunOnTheWindowThreadAndItsMessageBoxWaits) {
    tessaly::framework::RegisterWindowProviders();
    CProbeDialog dialog;
    CString strRead;
    int nAnswer = 0;
    const INT_PTR nResult = RunModalWith(dialog, [&] {
        std::atomic<bool> bDone{false};
        std::thread worker([&] {
            dialog.m_edit.SetWindowText("from the worker");
            dialog.m_edit.GetWindowText(strRead);
            nAnswer = AfxMessageBox("question", MB_OKCANCEL);
            bDone = true;
        });
        // The worker's box is a real window on this thread, running its own loop; a timer answers
        // it as a user would.
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                EXPECT_EQ(pBox->text(), QStringLiteral("question"));
                pBox->button(QMessageBox::Cancel)->click();
            }
        });
        answer.start(10);
        WaitUntil([&] { return bDone.load(); });
        worker.join();
        dialog.EndDialog(IDOK);
    });
    tessaly::framework::SetMessageBoxProvider({});
    EXPECT_EQ(nResult, IDOK);
    EXPECT_EQ(strRead, CString("from the worker"));
    EXPECT_EQ(nAnswer, IDCANCEL);
}

// A worker's first call makes the window thread's queue; meanwhile the window thread gives the
// application children of its own, as dialogs and timers do. Neither may lose the other's.
TEST(FrameworkWindowThread, AWorkersFirstCallLeavesTheApplicationsChildrenWhole) {
    std::atomic<bool> bRan{false};
    std::atomic<bool> bStarted{false};
    std::thread worker([&] {
        bStarted = true;
        tessaly::framework::RunOnWindowThread([&] { bRan = true; });
    });
    std::vector<QObject*> vecMine;
    while (!bStarted) {
    }
    while (!bRan) {
        for (int i = 0; i < 256; ++i) {
            vecMine.push_back(new QObject(QCoreApplication::instance()));
        }
        QCoreApplication::processEvents();
    }
    worker.join();
    const QObjectList& children = QCoreApplication::instance()->children();
    const size_t nFound = static_cast<size_t>(std::count_if(
        vecMine.begin(), vecMine.end(), [&](QObject* p) { return children.contains(p); }));
    EXPECT_EQ(nFound, vecMine.size());
    for (QObject* p : vecMine) {
        delete p;
    }
}

TEST(FrameworkDialog, TimersTickThroughTheMessageMapUntilKilled) {
    CProbeDialog dialog;
    size_t nAfterKill = 0;
    RunModalWith(dialog, [&] {
        EXPECT_EQ(dialog.SetTimer(1000, 10, nullptr), 1000u);
        WaitUntil([&] { return dialog.m_vecTimers.size() >= 3; });
        EXPECT_TRUE(dialog.KillTimer(1000));
        EXPECT_FALSE(dialog.KillTimer(1000));
        nAfterKill = dialog.m_vecTimers.size();
        tessaly::framework::PumpMessagesFor(60);
        dialog.EndDialog(IDOK);
    });
    ASSERT_GE(dialog.m_vecTimers.size(), 3u);
    EXPECT_EQ(dialog.m_vecTimers.size(), nAfterKill);
    EXPECT_EQ(dialog.m_vecTimers[0], 1000u);
}

TEST(FrameworkDialog, CheckBoxClickAndColourRequests) {
    CProbeDialog dialog;
    QColor crLit;
    QColor crPlain;
    RunModalWith(dialog, [&] {
        QTest::mouseClick(Widget(dialog.GetDlgItem(104)), Qt::LeftButton);
        auto* pLabel = qobject_cast<QLabel*>(Widget(dialog.GetDlgItem(102)));
        dialog.m_bHighlight = true;
        dialog.GetDlgItem(102)->InvalidateRect(nullptr);
        crLit = pLabel->palette().color(QPalette::Window);
        EXPECT_TRUE(pLabel->autoFillBackground());
        EXPECT_EQ(pLabel->palette().color(QPalette::WindowText), QColor(0, 0, 0));
        dialog.m_bHighlight = false;
        dialog.GetDlgItem(102)->InvalidateRect(nullptr);
        crPlain = pLabel->palette().color(QPalette::Window);
        dialog.EndDialog(IDOK);
    });
    EXPECT_EQ(dialog.m_iClicks, 1);
    EXPECT_EQ(crLit, QColor(255, 255, 0));
    EXPECT_NE(crPlain, QColor(255, 255, 0));
}

TEST(FrameworkDialog, FileDropsReachOnlyAWindowThatAcceptsThem) {
    tessaly::test::TempDrive drive('Q');
    drive.WriteBytes("in/a.txt", "x");
    CProbeDialog dialog;
    std::vector<std::string> vecDropped;
    auto drop = [](QWidget* pTarget, const QList<QUrl>& urls) {
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pTarget, &enter);
        QDropEvent dropEvent(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pTarget, &dropEvent);
        return enter.isAccepted();
    };
    bool bRefused = false;
    bool bAccepted = false;
    RunModalWith(dialog, [&] {
        const QList<QUrl> urls = {
            QUrl::fromLocalFile(QString::fromStdString(drive.PosixPath("in")))};
        bRefused = !drop(Widget(dialog.GetDlgItem(101)), urls);
        dialog.GetDlgItem(100)->DragAcceptFiles(TRUE);
        bAccepted = drop(Widget(dialog.GetDlgItem(100)), urls);
        dialog.EndDialog(IDOK);
    });
    EXPECT_TRUE(bRefused);
    EXPECT_TRUE(bAccepted);
    int nDrops = 0;
    for (const auto& seen : dialog.m_vecSeen) {
        if (seen.message == WM_DROPFILES) {
            ++nDrops;
        }
    }
    EXPECT_EQ(nDrops, 1);
}

TEST(FrameworkDropHandle, QueriesNeverOverflowTheBuffer) {
    const char* apPaths[] = {"C:\\music\\wav", "D:\\x"};
    HDROP hDrop = MakeDropHandle(apPaths, 2);
    EXPECT_EQ(DragQueryFileA(hDrop, 0xFFFFFFFF, nullptr, 0), 2u);
    EXPECT_EQ(DragQueryFileA(hDrop, 0, nullptr, 0), 12u);
    char acSmall[6] = {'#', '#', '#', '#', '#', '#'};
    EXPECT_EQ(DragQueryFileA(hDrop, 0, acSmall, 5), 4u);
    EXPECT_STREQ(acSmall, "C:\\m");
    EXPECT_EQ(acSmall[5], '#');
    EXPECT_EQ(DragQueryFileA(hDrop, 2, acSmall, 5), 0u);
    DragFinish(hDrop);
    EXPECT_EQ(DragQueryFileA(hDrop, 0xFFFFFFFF, nullptr, 0), 0u) << "a finished drop was read";
}

int CALLBACK CompareDataDescending(LPARAM l1, LPARAM l2, LPARAM) {
    return l1 < l2 ? 1 : l1 > l2 ? -1 : 0;
}

TEST(FrameworkListCtrl, RowsKeepTextDataAndSelectionThroughSortAndBatchDelete) {
    CProbeDialog dialog;
    std::vector<std::string> vecAfterSort;
    std::vector<std::string> vecAfterDelete;
    std::vector<int> vecSelectedAfterSort;
    CString strHeader;
    RunModalWith(dialog, [&] {
        CListCtrl& list = dialog.m_list;
        EXPECT_EQ(list.InsertColumn(0, "name", LVCFMT_LEFT, 100), 0);
        EXPECT_EQ(list.InsertColumn(1, "size", LVCFMT_RIGHT, 60), 1);
        for (int i = 0; i < 5; ++i) {
            const std::string strName = "row" + std::to_string(i);
            LVITEM item{};
            item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
            item.iItem = list.GetItemCount();
            item.pszText = const_cast<char*>(strName.c_str());
            item.lParam = i * 10;
            item.stateMask = LVIS_SELECTED;
            ASSERT_EQ(list.InsertItem(&item), i);
            list.SetItemText(i, 1, std::to_string(i).c_str());
        }
        list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
        list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
        EXPECT_TRUE(list.SortItems(CompareDataDescending, 0));
        for (int i = 0; i < list.GetItemCount(); ++i) {
            vecAfterSort.push_back(list.GetItemText(i, 0).GetString());
            if (list.GetItemState(i, LVIS_SELECTED) != 0) {
                vecSelectedAfterSort.push_back(i);
            }
        }
        EXPECT_EQ(list.GetSelectedCount(), 2u);
        EXPECT_TRUE(list.DeleteItems({4, 0, 4}));
        for (int i = 0; i < list.GetItemCount(); ++i) {
            vecAfterDelete.push_back(list.GetItemText(i, 0).GetString() + std::string("/") +
                                     std::to_string(list.GetItemData(i)));
        }
        LVCOLUMN column{};
        column.mask = LVCF_TEXT;
        column.pszText = const_cast<char*>("count (3)");
        EXPECT_TRUE(list.SetColumn(0, &column));
        char acHeader[32] = {};
        column.pszText = acHeader;
        column.cchTextMax = sizeof acHeader;
        list.GetColumn(0, &column);
        strHeader = acHeader;
        EXPECT_FALSE(list.DeleteItem(3));
        dialog.EndDialog(IDOK);
    });
    EXPECT_EQ(vecAfterSort, (std::vector<std::string>{"row4", "row3", "row2", "row1", "row0"}));
    EXPECT_EQ(vecSelectedAfterSort, (std::vector<int>{1, 3}));
    EXPECT_EQ(vecAfterDelete, (std::vector<std::string>{"row3/30", "row2/20", "row1/10"}));
    EXPECT_EQ(strHeader, CString("count (3)"));
}

// Rows appended in one call keep each cell's text as given (a null text empty), and a cell
// rewritten later or a column put in between leaves the row's other texts where they belong.
TEST(FrameworkListCtrl, AppendedRowsKeepTheirTextsThroughEditsAndANewColumn) {
    CProbeDialog dialog;
    std::vector<std::string> vecCells;
    int iAppended = -1;
    bool bLongKept = false;
    std::vector<int> vecImages;
    RunModalWith(dialog, [&] {
        CListCtrl& list = dialog.m_list;
        list.InsertColumn(0, "name", LVCFMT_LEFT, 100);
        list.InsertColumn(1, "size", LVCFMT_RIGHT, 60);
        list.InsertColumn(2, "folder", LVCFMT_LEFT, 100);
        EXPECT_EQ(list.InsertItem(0, "first"), 0);
        const char* aapszRows[3][3] = {{"a.wav", "1,024", "C:\\long folder name\\x"},
                                       {"", nullptr, "C:\\y"},
                                       {"c.wav", "7", ""}};
        iAppended =
            list.AppendItems(3, [&](int i, LPCTSTR* apszTexts, LPARAM& lParam, int& iImage) {
                for (int c = 0; c < 3; ++c) {
                    apszTexts[c] = aapszRows[i][c];
                }
                lParam = 100 + i;
                iImage = i == 2 ? 1 : -1;
            });
        list.SetItemText(2, 1, "a much longer size text");
        list.SetItemText(0, 2, "set after the name alone");
        list.InsertColumn(1, "between", LVCFMT_LEFT, 50);
        list.SetItemText(3, 1, "new");
        for (int i = 0; i < list.GetItemCount(); ++i) {
            std::string strRow = std::to_string(list.GetItemData(i));
            for (int c = 0; c < 4; ++c) {
                strRow += "|" + std::string(list.GetItemText(i, c).GetString());
            }
            vecCells.push_back(strRow);
        }
        for (int i = 0; i < list.GetItemCount(); ++i) {
            LVITEM item{};
            item.mask = LVIF_IMAGE;
            item.iItem = i;
            list.GetItem(&item);
            vecImages.push_back(item.iImage);
        }
        // Texts of 64 KiB or more together are kept as well.
        const std::string strLong(70000, 'x');
        list.SetItemText(1, 3, strLong.c_str());
        bLongKept = list.GetItemText(1, 3) == CString(strLong.c_str()) &&
                    list.GetItemText(1, 2) == CString("1,024") &&
                    list.GetItemText(1, 0) == CString("a.wav");
        dialog.EndDialog(IDOK);
    });
    EXPECT_EQ(iAppended, 3);
    EXPECT_TRUE(bLongKept);
    EXPECT_EQ(vecImages, (std::vector<int>{-1, -1, -1, 1}));
    EXPECT_EQ(vecCells, (std::vector<std::string>{"0|first|||set after the name alone",
                                                  "100|a.wav||1,024|C:\\long folder name\\x",
                                                  "101|||a much longer size text|C:\\y",
                                                  "102|c.wav|new|7|"}));
}

// Rows appended in bulk keep their texts in slabs shared by many rows: enough rows to fill several
// slabs, one with a text too large for a slab, keep every text and item data through a delete of
// scattered rows, a reorder, a rewritten cell, and a clear followed by a second fill.
TEST(FrameworkListCtrl, BulkRowsKeepTheirTextsAcrossSlabsDeletesAndRefills) {
    CProbeDialog dialog;
    constexpr int kRows = 30000; // some 3 MB of texts
    const std::string strHuge(70000, 'h');
    const auto TextOf = [&](int iRow, int iCol) {
        if (iRow == 777 && iCol == 1) {
            return strHuge;
        }
        return (iCol == 0 ? std::string("name") : std::string(100, 'f')) +
               std::to_string(iRow * 7 + iCol);
    };
    std::vector<std::string> vecMismatches;
    int iAfterDelete = -1;
    int iAfterRefill = -1;
    RunModalWith(dialog, [&] {
        CListCtrl& list = dialog.m_list;
        list.InsertColumn(0, "name", LVCFMT_LEFT, 100);
        list.InsertColumn(1, "folder", LVCFMT_LEFT, 100);
        std::vector<std::string> vecTexts(2);
        const auto Fill = [&] {
            list.SetItemCount(kRows);
            for (int iFirst = 0; iFirst < kRows; iFirst += kRows / 3) {
                list.AppendItems(kRows / 3, [&](int i, LPCTSTR* apszTexts, LPARAM& lParam, int&) {
                    for (int c = 0; c < 2; ++c) {
                        vecTexts[c] = TextOf(iFirst + i, c);
                        apszTexts[c] = vecTexts[c].c_str();
                    }
                    lParam = iFirst + i;
                });
            }
        };
        // Row i holds former row vecRows[i]; each one's texts are checked against it.
        const auto Check = [&](const char* pszWhen, const std::vector<int>& vecRows) {
            for (int i = 0; i < list.GetItemCount(); ++i) {
                const int iRow = vecRows[static_cast<size_t>(i)];
                if (list.GetItemData(i) != static_cast<DWORD_PTR>(iRow) ||
                    list.GetItemText(i, 0) != CString(TextOf(iRow, 0).c_str()) ||
                    list.GetItemText(i, 1) != CString(TextOf(iRow, 1).c_str())) {
                    vecMismatches.push_back(std::string(pszWhen) + " row " + std::to_string(i));
                    return;
                }
            }
        };
        Fill();
        std::vector<int> vecRows(kRows);
        for (int i = 0; i < kRows; ++i) {
            vecRows[static_cast<size_t>(i)] = i;
        }
        Check("fill", vecRows);
        std::vector<int> vecGone;
        std::vector<int> vecKept;
        for (int i = 0; i < kRows; ++i) {
            (i % 3 == 1 ? vecGone : vecKept).push_back(i);
        }
        EXPECT_TRUE(list.DeleteItems(vecGone));
        iAfterDelete = list.GetItemCount();
        std::vector<int> vecOrder(vecKept.size());
        std::vector<int> vecReordered(vecKept.size());
        for (size_t i = 0; i < vecKept.size(); ++i) {
            vecOrder[i] = static_cast<int>(vecKept.size() - 1 - i);
            vecReordered[i] = vecKept[vecKept.size() - 1 - i];
        }
        EXPECT_TRUE(list.ReorderItems(vecOrder));
        Check("delete and reorder", vecReordered);
        list.SetItemText(5, 0, "rewritten");
        EXPECT_EQ(list.GetItemText(5, 0), CString("rewritten"));
        EXPECT_EQ(list.GetItemText(5, 1), CString(TextOf(vecReordered[5], 1).c_str()));
        list.DeleteAllItems();
        Fill();
        iAfterRefill = list.GetItemCount();
        Check("refill", vecRows);
        dialog.EndDialog(IDOK);
    });
    EXPECT_EQ(iAfterDelete, kRows - kRows / 3);
    EXPECT_EQ(iAfterRefill, kRows);
    EXPECT_EQ(vecMismatches, std::vector<std::string>{});
}

// The bulk calls a worker uses: every row's item data, the selected rows with theirs, and a
// reorder that takes each row with its texts and selection, or refuses an order that does not
// list every row once and leaves the rows.
TEST(FrameworkListCtrl, BulkReadsAndReorderKeepEachRowWhole) {
    CProbeDialog dialog;
    std::vector<DWORD_PTR> vecData;
    std::vector<DWORD_PTR> vecSelectedData;
    std::vector<int> vecSelected;
    std::vector<std::string> vecAfter;
    std::vector<int> vecSelectedAfter;
    std::vector<BOOL> vecRefused;
    std::vector<DWORD_PTR> vecAfterRefusals;
    std::vector<DWORD_PTR> vecEmpty{1};
    BOOL bEmptyOrder = FALSE;
    RunModalWith(dialog, [&] {
        CListCtrl& list = dialog.m_list;
        list.InsertColumn(0, "name", LVCFMT_LEFT, 100);
        list.InsertColumn(1, "size", LVCFMT_RIGHT, 60);
        for (int i = 0; i < 5; ++i) {
            list.InsertItem(i, ("row" + std::to_string(i)).c_str());
            list.SetItemText(i, 1, std::to_string(i * 10).c_str());
            list.SetItemData(i, static_cast<DWORD_PTR>(i * 10));
        }
        list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
        list.SetItemState(4, LVIS_SELECTED, LVIS_SELECTED);
        list.GetAllItemData(&vecData);
        list.GetSelectedItems(&vecSelected, &vecSelectedData);
        EXPECT_TRUE(list.ReorderItems(std::vector<int>{4, 2, 0, 1, 3}));
        for (int i = 0; i < list.GetItemCount(); ++i) {
            vecAfter.push_back(std::string(list.GetItemText(i, 0).GetString()) + "/" +
                               list.GetItemText(i, 1).GetString() + "/" +
                               std::to_string(list.GetItemData(i)));
            if (list.GetItemState(i, LVIS_SELECTED) != 0) {
                vecSelectedAfter.push_back(i);
            }
        }
        for (const std::vector<int>& vecOrder :
             {std::vector<int>{0, 1, 2, 3}, std::vector<int>{0, 1, 1, 2, 3},
              std::vector<int>{0, 1, 2, 3, 5}, std::vector<int>{0, 1, 2, 3, -1}}) {
            vecRefused.push_back(list.ReorderItems(vecOrder));
        }
        list.GetAllItemData(&vecAfterRefusals);
        list.DeleteAllItems();
        list.GetAllItemData(&vecEmpty);
        bEmptyOrder = list.ReorderItems(std::vector<int>{});
        dialog.EndDialog(IDOK);
    });
    EXPECT_EQ(vecData, (std::vector<DWORD_PTR>{0, 10, 20, 30, 40}));
    EXPECT_EQ(vecSelected, (std::vector<int>{1, 4}));
    EXPECT_EQ(vecSelectedData, (std::vector<DWORD_PTR>{10, 40}));
    EXPECT_EQ(vecAfter, (std::vector<std::string>{"row4/40/40", "row2/20/20", "row0/0/0",
                                                  "row1/10/10", "row3/30/30"}));
    EXPECT_EQ(vecSelectedAfter, (std::vector<int>{0, 3}));
    EXPECT_EQ(vecRefused, (std::vector<BOOL>(4, FALSE)));
    EXPECT_EQ(vecAfterRefusals, (std::vector<DWORD_PTR>{40, 20, 0, 10, 30}));
    EXPECT_TRUE(vecEmpty.empty());
    EXPECT_TRUE(bEmptyOrder);
}

} // namespace
