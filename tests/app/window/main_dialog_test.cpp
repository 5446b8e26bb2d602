#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

#include "tests/app/window/MainWindowFixture.h"
#include "tests/common/Platform.h"

namespace {

using namespace tessaly::test;

void SaveShot(WindowHandle hWnd, const char* pszName) {
    SaveScreenshot(hWnd, std::string(TESSALY_SCREENSHOT_DIR "/") + pszName);
}

// An entry of the file strNameUtf8 in the drive's folder strFolderUtf8.
CFileEntry Entry(const TempDrive& drive, const std::string& strFolderUtf8,
                 const std::string& strNameUtf8, ULONGLONG ullSize) {
    CFileEntry entry;
    entry.m_strFolder = drive.WinPath(strFolderUtf8).c_str();
    entry.m_strName = AnsiFromUtf8(strNameUtf8.c_str());
    entry.m_strFullPath = entry.m_strFolder + "\\" + entry.m_strName;
    entry.m_strRoot = drive.Drive().c_str();
    entry.m_ullSize = ullSize;
    return entry;
}

TEST_F(MainWindowTest, StartsWithDefaultsAnEmptyTraceLogAndTheIdleControlStates) {
    m_drive.WriteBytes("TraceFile.txt", "left over from the last run");
    Run([&] {
        EXPECT_EQ(Text(1010), "mp3");
        EXPECT_EQ(Text(1011), "wav");
        EXPECT_EQ(Text(1002), "");
        const ProgressState bar = Progress(Control(1006));
        EXPECT_EQ(bar.iUpper, 1024);
        EXPECT_EQ(bar.iPos, 0);
        EXPECT_EQ(Header(0), "ファイル名");
        EXPECT_EQ(Header(1), "サイズ");
        EXPECT_EQ(Header(2), "フォルダパス");
        EXPECT_EQ(ListColumnWidth(List(), 0), 170);
        EXPECT_EQ(ListColumnWidth(List(), 2), ClientRect(m_dialog.m_hWnd).right - 280);
        for (int nId : {1009, 1, 1001, 1004, 1005, 1003, 1012}) {
            EXPECT_TRUE(IsEnabled(Control(nId))) << nId;
        }
        EXPECT_FALSE(IsEnabled(Control(1008)));
        m_dialog.EnableControls(FALSE);
        for (int nId : {1009, 1, 1001, 1004, 1005, 1003, 1012}) {
            EXPECT_FALSE(IsEnabled(Control(nId))) << nId;
        }
        for (int nId : {1008, 1002, 1010, 1011, 1000}) {
            EXPECT_TRUE(IsEnabled(Control(nId))) << nId;
        }
        SaveShot(m_dialog.m_hWnd, "main-busy.png");
        m_dialog.EnableControls(TRUE);
    });
    EXPECT_EQ(m_drive.TraceBytes(), "");
    EXPECT_FALSE(m_drive.Exists("ConflictFile.txt"));
}

TEST_F(MainWindowTest, EnterAndEscapeInTheEditsDoNotCloseButTheCloseBoxDoes) {
    bool bOpenAfterKeys = false;
    std::unique_ptr<Timer> pCloser;
    const INT_PTR nResult = RunModalWith(m_dialog, [&] {
        for (int nId : {1010, 1011}) {
            PressKey(Control(nId), EKey::Enter);
            PressKey(Control(nId), EKey::Escape);
        }
        // A dialog that a key ended leaves its loop before this tick.
        pCloser = std::make_unique<Timer>(
            50,
            [&] {
                bOpenAfterKeys = true;
                ClickCloseBox(m_dialog.m_hWnd);
            },
            false);
    });
    EXPECT_TRUE(bOpenAfterKeys);
    EXPECT_EQ(nResult, IDCANCEL);
}

TEST_F(MainWindowTest, ExitButtonEndsTheDialog) {
    EXPECT_EQ(RunModalWith(m_dialog, [&] { Click(1); }), IDOK);
}

TEST_F(MainWindowTest, OnlyOneFolderDroppedOnTheOperationFolderEditIsTaken) {
    std::filesystem::create_directories(m_drive.PosixPath("flat"));
    std::filesystem::create_directories(m_drive.PosixPath("other"));
    m_drive.WriteBytes("file.mp3", "x");
    Run([&] {
        EXPECT_FALSE(DropFiles(Control(1010), {m_drive.PosixPath("flat")}));
        EXPECT_EQ(Text(1002), "");
        DropFiles(Control(1002), {m_drive.PosixPath("flat"), m_drive.PosixPath("other")});
        EXPECT_EQ(Text(1002), "");
        DropFiles(Control(1002), {m_drive.PosixPath("file.mp3")});
        EXPECT_EQ(Text(1002), "");
        EXPECT_TRUE(DropFiles(Control(1002), {m_drive.PosixPath("flat")}));
        EXPECT_EQ(Text(1002), m_drive.ShownPath("flat"));
        EXPECT_EQ(Utf8(m_dialog.m_strTargetFolder), m_drive.ShownPath("flat"));
        g_bWorkerIdle = FALSE;
        DropFiles(Control(1002), {m_drive.PosixPath("other")});
        g_bWorkerIdle = TRUE;
        EXPECT_EQ(Text(1002), m_drive.ShownPath("flat")) << "a drop while busy was taken";
    });
}

TEST_F(MainWindowTest, TheAboutItemOpensTheAboutBox) {
    std::string strTitle;
    Run([&] {
        CMenu* pMenu = m_dialog.GetSystemMenu(FALSE);
        ASSERT_NE(pMenu, nullptr);
        ASSERT_EQ(pMenu->GetMenuItemCount(), 4);
        EXPECT_EQ(Utf8(pMenu->m_vecItems[1].strText), "Tessaly のバージョン情報(&A)...");
        EXPECT_EQ(Utf8(pMenu->m_vecItems[2].strText), "直前の実行を元に戻す(&U)...");
        EXPECT_EQ(Utf8(pMenu->m_vecItems[3].strText), "実行の予定を表示(&P)...");
        WhenModal(100, [&](WindowHandle hAbout) {
            strTitle = WindowText(hAbout);
            SaveShot(hAbout, "about.png");
            Click(DialogItem(hAbout, 1));
        });
        m_dialog.SendMessage(WM_SYSCOMMAND, pMenu->m_vecItems[1].nID, 0);
    });
    EXPECT_EQ(strTitle, "Tessalyのバージョン情報");
}

TEST_F(MainWindowTest, ControlsSitAtTheTemplateRectangles) {
    const DialogTemplate* pTemplate = tessaly::framework::FindDialogTemplate(102);
    ASSERT_NE(pTemplate, nullptr);
    Run([&] {
        const auto [iBaseX, iBaseY] = DialogBaseUnits(m_dialog.m_hWnd);
        auto px = [](int v, int base, int div) { return (v * base + div / 2) / div; };
        const Rect rcClient = ClientRect(m_dialog.m_hWnd);
        EXPECT_EQ(rcClient.right, px(319, iBaseX, 4));
        EXPECT_EQ(rcClient.bottom, px(249, iBaseY, 8));
        for (const DialogItemTemplate& item : pTemplate->items) {
            if (item.nId < 0) {
                continue;
            }
            // Windows' dialog manager converts a control's width and height as it does its
            // position (MulDiv(cx, base, 4)); the Qt framework converts its right and bottom
            // edges, which may differ by a pixel.
            const int iLeft = px(item.x, iBaseX, 4);
            const int iTop = px(item.y, iBaseY, 8);
            const Rect rcExpected = kOnWindows ? Rect{iLeft, iTop, iLeft + px(item.cx, iBaseX, 4),
                                                      iTop + px(item.cy, iBaseY, 8)}
                                               : Rect{iLeft, iTop, px(item.x + item.cx, iBaseX, 4),
                                                      px(item.y + item.cy, iBaseY, 8)};
            EXPECT_EQ(RectInParent(Control(item.nId)), rcExpected) << "control " << item.nId;
        }
    });
}

TEST_F(MainWindowTest, ListShowsEntriesSortsByEachColumnAndExcludes) {
    // Six files on disk, one outside CP932 and one above 4 GiB.
    const std::vector<std::tuple<std::string, std::string, ULONGLONG>> files = {
        {"a", "A.wav", 10},   {"b", "café.wav", 5000000000ULL},
        {"a", "a.wav", 30},   {"c", "한글.wav", 20},
        {"b", "z.wav", 1000}, {"c", "m.wav", 7},
    };
    for (const auto& [strFolder, strName, ullSize] : files) {
        m_drive.WriteBytes(strFolder + "/" + strName, "x");
        m_dialog.m_store.Append(Entry(m_drive, strFolder, strName, ullSize));
    }
    m_dialog.m_store.AssignIds();
    Run([&] {
        ASSERT_TRUE(m_dialog.FillList());
        // The rows' identifiers in store order: A.wav, café.wav, a.wav, 한글.wav, z.wav, m.wav.
        const LPARAM idUpperA = static_cast<LPARAM>(m_dialog.m_lstFiles.GetItemData(0));
        const LPARAM idLowerA = static_cast<LPARAM>(m_dialog.m_lstFiles.GetItemData(2));
        const LPARAM idZ = static_cast<LPARAM>(m_dialog.m_lstFiles.GetItemData(4));
        m_dialog.ShowByteTotal(m_dialog.m_store.TotalSize());
        EXPECT_EQ(Header(), "ファイル名 (6)");
        EXPECT_EQ(Text(1007), "5,000,001,067");
        EXPECT_EQ(Cell(1, 0), "café.wav");
        EXPECT_EQ(Cell(1, 1), "5,000,000,000");
        EXPECT_EQ(Cell(1, 2), m_drive.ShownPath("b"));
        EXPECT_EQ(Cell(3, 0), "한글.wav");
        SaveShot(m_dialog.m_hWnd, "main.png");

        auto column = [&](int c) {
            std::vector<std::string> cells;
            for (int i = 0; i < 6; ++i) {
                cells.push_back(Cell(i, c));
            }
            return cells;
        };
        ClickListHeader(List(), 1);
        EXPECT_EQ(column(1),
                  (std::vector<std::string>{"5,000,000,000", "1,000", "30", "20", "10", "7"}));
        ClickListHeader(List(), 1);
        EXPECT_EQ(column(1).front(), "7");
        // The name column's first click sorts descending, whatever the size column did.
        ClickListHeader(List(), 0);
        EXPECT_EQ(column(0).front(), "한글.wav");
        EXPECT_EQ(column(0)[4] + column(0)[5], "A.wava.wav") << "case-only names moved apart";
        // The name sort folds case: A.wav and a.wav are one name to it, z.wav is not.
        EXPECT_EQ(CMainDialog::CompareRows(idUpperA, idLowerA, 0), 0);
        EXPECT_NE(CMainDialog::CompareRows(idUpperA, idZ, 0), 0);
        ClickListHeader(List(), 2);
        EXPECT_EQ(column(2).front(), m_drive.ShownPath("c"));

        // Exclude rows 2 and 5 of the list as it stands.
        const std::string strGone1 = Cell(1, 0);
        const std::string strGone2 = Cell(4, 0);
        SelectListRows(List(), {1, 4});
        Click(1004);
        EXPECT_EQ(Header(), "ファイル名 (4)");
        EXPECT_EQ(m_dialog.m_store.GetCount(), 4u);
        for (int i = 0; i < 4; ++i) {
            EXPECT_NE(Cell(i, 0), strGone1);
            EXPECT_NE(Cell(i, 0), strGone2);
        }
        EXPECT_EQ(m_dialog.m_store.GetFreeIds().GetCount(), 2u);
        Click(1005);
        EXPECT_EQ(Header(), "ファイル名 (0)");
        EXPECT_EQ(Text(1007), "0");
        EXPECT_EQ(m_dialog.m_store.GetCount(), 0u);
    });
}

// A large selection: every selected row goes, also those whose file is missing on disk; the rest
// keep their order.
TEST_F(MainWindowTest, ExcludeOfALargeSelectionTakesEverySelectedRowWhateverTheDiskSays) {
    const int iRows = 10000;
    char acName[32];
    for (int i = 0; i < iRows; ++i) {
        std::snprintf(acName, sizeof(acName), "g%05d.wav", i);
        if (i % 3 != 0) {
            m_drive.WriteBytes(std::string("p/") + acName, "x");
        }
        m_dialog.m_store.Append(Entry(m_drive, "p", acName, 1));
    }
    m_dialog.m_store.AssignIds();
    Run([&] {
        ASSERT_TRUE(m_dialog.FillList());
        std::vector<int> vecRows;
        for (int i = 0; i < iRows; i += 2) {
            vecRows.push_back(i);
        }
        SelectListRows(List(), vecRows);
        Click(1004);
        std::vector<std::string> vecExpected;
        for (int i = 0; i < iRows; ++i) {
            if (i % 2 != 0) {
                std::snprintf(acName, sizeof(acName), "g%05d.wav", i);
                vecExpected.push_back(acName);
            }
        }
        ASSERT_EQ(ListRowCount(List()), static_cast<int>(vecExpected.size()));
        EXPECT_EQ(m_dialog.m_store.GetCount(), vecExpected.size());
        EXPECT_EQ(m_dialog.m_store.GetFreeIds().GetCount(), static_cast<DWORD>(iRows / 2));
        EXPECT_EQ(Header(), "ファイル名 (" + std::to_string(vecExpected.size()) + ")");
        for (size_t k = 0; k < vecExpected.size(); ++k) {
            ASSERT_EQ(Cell(static_cast<int>(k), 0), vecExpected[k]) << k;
        }
    });
}

// The commands come back with the worker's completion message only once the worker is idle,
// which it marks just after posting.
TEST_F(MainWindowTest, CommandsReturnOnlyWhenTheWorkerIsIdle) {
    Run([&] {
        m_dialog.EnableControls(FALSE);
        g_bWorkerIdle = FALSE;
        std::thread worker([] {
            Sleep(100);
            g_bWorkerIdle = TRUE;
        });
        m_dialog.PostMessage(WM_WORK_DONE, 0, 0);
        const bool bEnabled = WaitUntil([&] { return IsEnabled(Control(1001)); });
        const BOOL bIdleThen = g_bWorkerIdle;
        worker.join();
        EXPECT_TRUE(bEnabled);
        EXPECT_TRUE(bIdleThen);
    });
}

// A worker's refill of more rows than one crossing takes: every row in the store's order, and
// the window thread serves its events between the crossings.
TEST_F(MainWindowTest, AWorkersLargeRefillKeepsEveryRowAndLetsTheWindowRun) {
    const DWORD dwRows = 120001;
    char acName[32];
    for (DWORD i = 0; i < dwRows; ++i) {
        std::snprintf(acName, sizeof(acName), "f%06u.wav", static_cast<unsigned>(i));
        m_dialog.m_store.Append(Entry(m_drive, i % 2 == 0 ? "even" : "odd", acName, i));
    }
    m_dialog.m_store.AssignIds();
    Run([&] {
        int iTicksDuringFill = 0;
        std::atomic<bool> bFilling{true};
        std::atomic<BOOL> bOk{FALSE};
        // Ticks while some rows are in and others still to come.
        Timer ticker(1, [&] {
            const int iRows = ListRowCount(List());
            iTicksDuringFill += iRows > 0 && iRows < static_cast<int>(dwRows) ? 1 : 0;
        });
        std::thread worker([&] {
            bOk = m_dialog.FillList();
            bFilling = false;
        });
        const bool bDone = WaitUntil([&] { return !bFilling; }, 60000);
        worker.join();
        ASSERT_TRUE(bDone);
        EXPECT_TRUE(bOk);
        EXPECT_GT(iTicksDuringFill, 0);
        EXPECT_EQ(Header(), "ファイル名 (120001)");
        ASSERT_EQ(ListRowCount(List()), static_cast<int>(dwRows));
        for (DWORD i : {0u, 49999u, 50000u, 99999u, 100000u, 120000u}) {
            std::snprintf(acName, sizeof(acName), "f%06u.wav", static_cast<unsigned>(i));
            EXPECT_EQ(Cell(static_cast<int>(i), 0), acName);
            EXPECT_EQ(Cell(static_cast<int>(i), 2), m_drive.ShownPath(i % 2 == 0 ? "even" : "odd"));
        }
    });
}

TEST_F(MainWindowTest, ProgressFollowsTheWorkersMessagesWhereverTheyArePosted) {
    std::vector<int> vecPositions;
    Run([&] {
        g_dwMoveTotal = 3;
        const DWORD dwThread = m_dialog.m_dwUiThreadId;
        for (DWORD dwDone : {0u, 1u, 2u}) {
            g_dwMoveDone = dwDone;
            if (dwDone % 2 == 0) {
                PostThreadMessage(dwThread, WM_MOVE_PROGRESS, 0, 0);
            } else {
                ::PostMessageA(m_dialog.m_hWnd, WM_MOVE_PROGRESS, 0, 0);
            }
            tessaly::framework::PumpPendingMessages();
            vecPositions.push_back(Progress(Control(1006)).iPos);
        }
        m_dialog.EnableControls(FALSE);
        g_bAbort = TRUE;
        PostThreadMessage(dwThread, WM_WORK_DONE, 0, 0);
        tessaly::framework::PumpPendingMessages();
        vecPositions.push_back(Progress(Control(1006)).iPos);
        EXPECT_FALSE(g_bAbort);
        EXPECT_TRUE(IsEnabled(Control(1001)));
    });
    EXPECT_EQ(vecPositions, (std::vector<int>{0, 341, 682, 1024}));
}

} // namespace
