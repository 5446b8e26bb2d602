// The main window's list at scale: fill 1,000,000 rows from the store, sort them by each column
// through the window's own comparator, Exclude 500,000 selected rows whose files exist, and
// Exclude all. Runs the real dialog on Qt's offscreen platform.
//
//   list_bench [ROWS]      (default 1000000; the files for Exclude go to a tmpfs folder)
#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/MainApp.h"
#include "app/MainDialog.h"
#include "platform/win32/Win32.h"
#include "res/Resources.h"

namespace {

CMainApp g_app;

double Seconds(std::chrono::steady_clock::time_point tStart) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - tStart).count();
}

// Rows whose folders and names vary the way a music library does.
void FillStore(CFileCollector& store, DWORD dwRows) {
    for (DWORD i = 0; i < dwRows; ++i) {
        const DWORD dwFolder = (i * 2654435761u) % 5000;
        CFileEntry entry;
        entry.m_strFolder.Format("B:\\artist%04u\\album%02u", dwFolder / 50, dwFolder % 50);
        entry.m_strName.Format("%c%07u track.wav", 'A' + static_cast<char>(i % 26),
                               (i * 40503u) % 10000000u);
        entry.m_strFullPath = entry.m_strFolder + "\\" + entry.m_strName;
        entry.m_strRoot = "B:";
        entry.m_ullSize = (static_cast<ULONGLONG>(i) * 7919u) % 100000000u;
        store.Append(entry);
    }
    store.AssignIds();
}

} // namespace

int main(int argc, char** argv) {
    const DWORD dwRows =
        argc > 1 ? static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10)) : 1000000;
    const std::string strRoot = std::filesystem::exists("/dev/shm") ? "/dev/shm/tessaly-list-bench"
                                                                    : "/tmp/tessaly-list-bench";
    std::filesystem::remove_all(strRoot);
    std::filesystem::create_directories(strRoot);
    tessaly::win32::SetDriveTable({{'B', strRoot}});
    tessaly::win32::SetModuleFileNameForTests(strRoot + "/tessaly");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int iArgc = 1;
    tessaly::framework::InitWindowSystem(iArgc, argv);
    RegisterTessalyResources();

    CMainDialog dialog;
    g_app.m_pMainWnd = &dialog;
    QTimer::singleShot(0, [&] {
        FillStore(dialog.m_store, dwRows);
        // The files of the rows with even identifiers exist, so that Exclude finds them.
        for (DWORD i = 0; i < dwRows; ++i) {
            const CFileEntry& entry = dialog.m_store.GetAt(i);
            if (entry.m_nId % 2 != 0) {
                continue;
            }
            auto path = tessaly::win32::WindowsToPosixPath(entry.m_strFullPath.GetString());
            std::filesystem::create_directories(std::filesystem::path(*path).parent_path());
            std::ofstream(*path).put('x');
        }
        auto tStart = std::chrono::steady_clock::now();
        dialog.FillList();
        std::printf("fill %u rows: %.2f s\n", dwRows, Seconds(tStart));
        auto* pView = reinterpret_cast<QTableView*>(dialog.m_lstFiles.m_hWnd);
        QHeaderView* pHeader = pView->horizontalHeader();
        const char* apszColumns[] = {"name", "size", "folder"};
        for (int iColumn = 0; iColumn < 3; ++iColumn) {
            tStart = std::chrono::steady_clock::now();
            // A click on the header, as the user sorts.
            Q_EMIT pHeader->sectionClicked(iColumn);
            std::printf("sort by %s: %.2f s\n", apszColumns[iColumn], Seconds(tStart));
        }
        // Select the rows of the existing files: half of them, scattered by the sorts.
        dialog.m_lstFiles.SetRedraw(FALSE);
        for (int i = 0; i < dialog.m_lstFiles.GetItemCount(); ++i) {
            const DWORD nId = static_cast<DWORD>(dialog.m_lstFiles.GetItemData(i));
            if (nId % 2 == 0) {
                dialog.m_lstFiles.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
            }
        }
        dialog.m_lstFiles.SetRedraw(TRUE);
        tStart = std::chrono::steady_clock::now();
        dialog.SendMessage(WM_COMMAND, 1004, 0);
        std::printf("exclude %u selected rows: %.2f s (%d rows left)\n", (dwRows + 1) / 2,
                    Seconds(tStart), dialog.m_lstFiles.GetItemCount());
        tStart = std::chrono::steady_clock::now();
        dialog.SendMessage(WM_COMMAND, 1005, 0);
        std::printf("exclude all: %.2f s\n", Seconds(tStart));
        dialog.EndDialog(IDOK);
    });
    dialog.DoModal();
    g_app.m_pMainWnd = nullptr;
    std::filesystem::remove_all(strRoot);
    return 0;
}
