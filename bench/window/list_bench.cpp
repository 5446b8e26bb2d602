// The main window's list at scale: fill ROWS rows from the store, sort them by each column with a
// header click, Exclude half of them (selected, scattered by the sorts) and Exclude all. Runs the
// real dialog on Qt's offscreen platform. Each step is printed beside a floor measured in the same
// run: the least that step must do with plain containers, no framework and no program texts. A
// step lasts from the click until its worker (if any) is idle again, the window's events served
// meanwhile; beside it the window thread's longest stall (the longest gap of a 10 ms ticker).
//
//   list_bench [ROWS] [--names=track]      (default 1000000 rows)
#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <thread>
#include <vector>

#include "app/MainApp.h"
#include "app/MainDialog.h"
#include "platform/win32/Win32.h"
#include "res/Resources.h"

namespace {

using Clock = std::chrono::steady_clock;

CMainApp g_app;

// The process's page faults so far: at a million rows a step's fresh pages cost as much as its
// work.
long PageFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt + usage.ru_majflt;
}

double Seconds(Clock::time_point tStart) {
    return std::chrono::duration<double>(Clock::now() - tStart).count();
}

// The window thread's longest gap between ticks of a 10 ms timer, in ms.
class CStallMeter {
public:
    CStallMeter() {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
    }
    void Start() {
        m_dMaxGap = 0;
        m_tLast = Clock::now();
        m_timer.start(10);
    }
    // The span's last gap counts too.
    double Stop() {
        Tick();
        m_timer.stop();
        return m_dMaxGap;
    }

private:
    void Tick() {
        const Clock::time_point tNow = Clock::now();
        m_dMaxGap = std::max(m_dMaxGap, Seconds(m_tLast) * 1000.0);
        m_tLast = tNow;
    }

    QTimer m_timer;
    double m_dMaxGap = 0;
    Clock::time_point m_tLast{};
};

// Runs a click and serves the window's events until no worker runs; the seconds it took and the
// longest stall.
// The page faults of the last step, from its click until its worker was idle.
long g_lStepFaults = 0;

template <typename Fn> double RunStep(Fn fnClick, double* pdStallMs) {
    // What earlier steps left queued (a repaint of the selection) is not this step's.
    QCoreApplication::processEvents();
    CStallMeter stalls;
    stalls.Start();
    const long lFaults = PageFaults();
    const Clock::time_point tStart = Clock::now();
    fnClick();
    while (!g_bWorkerIdle) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    const double dSeconds = Seconds(tStart);
    g_lStepFaults = PageFaults() - lFaults;
    // The work the step left queued (the view's layout after a reset) is its own.
    const Clock::time_point tIdle = Clock::now();
    while (Seconds(tIdle) < 0.1) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    *pdStallMs = stalls.Stop();
    return dSeconds;
}

// Rows whose folders and names vary the way a music library does; with bTrackNames the names all
// begin alike (track_A0012345.wav), as a ripper's do, so that a sort by name cannot tell them
// apart by their first eight characters.
void FillStore(CFileCollector& store, DWORD dwRows, bool bTrackNames) {
    for (DWORD i = 0; i < dwRows; ++i) {
        const DWORD dwFolder = (i * 2654435761u) % 5000;
        CFileEntry entry;
        entry.m_strFolder.Format("B:\\artist%04u\\album%02u", dwFolder / 50, dwFolder % 50);
        entry.m_strName.Format(bTrackNames ? "track_%c%07u.wav" : "%c%07u track.wav",
                               'A' + static_cast<char>(i % 26), (i * 40503u) % 10000000u);
        entry.m_strFullPath = entry.m_strFolder + "\\" + entry.m_strName;
        entry.m_strRoot = "B:";
        entry.m_ullSize = (static_cast<ULONGLONG>(i) * 7919u) % 100000000u;
        store.Append(entry);
    }
    store.AssignIds();
}

// dGoal: the goal for the step, in seconds; dStallMs < 0: not measured.
void PrintStep(const char* pcStep, double dSeconds, double dFloor, double dGoal,
               double dStallMs = -1) {
    std::printf("%-28s %6.3f s   floor %6.3f s   ratio %5.1f   (goal: at most %.1f s)%s"
                "   page faults %7ld",
                pcStep, dSeconds, dFloor, dFloor > 0 ? dSeconds / dFloor : 0.0, dGoal,
                dSeconds <= dGoal ? "" : "  NOT MET", g_lStepFaults);
    if (dStallMs >= 0) {
        std::printf("   longest stall %4.0f ms%s", dStallMs, dStallMs <= 50 ? "" : "  NOT MET");
    }
    std::printf("\n");
}

// The floors. Fill: every row's three texts copied once into one buffer. Sorts: the store's
// names as byte strings, the sizes, the folders' texts, each sorted by std::stable_sort with the
// row index beside the key. Exclude: the marked half taken out of an array of row records and
// an array of store-sized records, in one pass each.
struct SFloors {
    double dFill = 0;
    double adSort[3] = {0, 0, 0};
    double dExclude = 0;
};

SFloors MeasureFloors(const CFileCollector& store) {
    SFloors floors;
    const DWORD dwRows = store.GetCount();
    Clock::time_point tStart = Clock::now();
    {
        std::vector<char> vecTexts;
        std::vector<std::uint32_t> vecStarts;
        vecStarts.reserve(dwRows);
        char acSize[32];
        for (DWORD i = 0; i < dwRows; ++i) {
            const CFileEntry& entry = store.GetAt(i);
            vecStarts.push_back(static_cast<std::uint32_t>(vecTexts.size()));
            const int iSize = std::snprintf(acSize, sizeof acSize, "%llu",
                                            static_cast<unsigned long long>(entry.m_ullSize));
            for (std::string_view sv : {entry.m_strName.View(), std::string_view(acSize, iSize),
                                        entry.m_strFolder.View()}) {
                vecTexts.insert(vecTexts.end(), sv.begin(), sv.end());
                vecTexts.push_back('\0');
            }
        }
        floors.dFill = Seconds(tStart);
    }
    for (int iColumn = 0; iColumn < 3; ++iColumn) {
        tStart = Clock::now();
        if (iColumn == 1) {
            std::vector<std::pair<ULONGLONG, DWORD>> vecKeys(dwRows);
            for (DWORD i = 0; i < dwRows; ++i) {
                vecKeys[i] = {store.GetAt(i).m_ullSize, i};
            }
            std::stable_sort(vecKeys.begin(), vecKeys.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
        } else {
            std::vector<std::pair<std::string_view, DWORD>> vecKeys(dwRows);
            for (DWORD i = 0; i < dwRows; ++i) {
                const CFileEntry& entry = store.GetAt(i);
                vecKeys[i] = {iColumn == 0 ? entry.m_strName.View() : entry.m_strFolder.View(), i};
            }
            std::stable_sort(vecKeys.begin(), vecKeys.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
        }
        floors.adSort[iColumn] = Seconds(tStart);
    }
    {
        struct SRow {
            LPARAM lParam;
            char acRest[32];
        };
        struct SRecord {
            char acBytes[56];
        };
        std::vector<SRow> vecRows(dwRows);
        std::vector<SRecord> vecRecords(dwRows);
        for (DWORD i = 0; i < dwRows; ++i) {
            vecRows[i].lParam = static_cast<LPARAM>(i);
        }
        tStart = Clock::now();
        std::vector<bool> vecGone(dwRows);
        for (DWORD i = 0; i < dwRows; i += 2) {
            vecGone[i] = true;
        }
        DWORD dwKept = 0;
        for (DWORD i = 0; i < dwRows; ++i) {
            if (!vecGone[i]) {
                vecRows[dwKept] = vecRows[i];
                vecRecords[dwKept] = vecRecords[i];
                ++dwKept;
            }
        }
        vecRows.resize(dwKept);
        vecRecords.resize(dwKept);
        floors.dExclude = Seconds(tStart);
    }
    return floors;
}

} // namespace

int main(int argc, char** argv) {
    const DWORD dwRows =
        argc > 1 ? static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10)) : 1000000;
    const bool bTrackNames = argc > 2 && std::strcmp(argv[2], "--names=track") == 0;
    // The program's own files (TraceFile.txt) go to a folder of the bench's, never to the user's
    // state folder, where a stray file would change what the program does there.
    const std::string strProgram = "/tmp/tessaly-list-bench";
    std::filesystem::create_directories(strProgram);
    tessaly::win32::SetModuleFileNameForTests(strProgram + "/tessaly");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int iArgc = 1;
    tessaly::framework::InitWindowSystem(iArgc, argv);
    RegisterTessalyResources();

    CMainDialog dialog;
    g_app.m_pMainWnd = &dialog;
    QTimer::singleShot(0, [&] {
        // On a thread of its own, as the collection worker fills the store: its texts then lie
        // in that thread's heap, not the window thread's.
        std::thread filler([&] { FillStore(dialog.m_store, dwRows, bTrackNames); });
        filler.join();
        const SFloors floors = MeasureFloors(dialog.m_store);
        std::printf("%u rows, the main list on the offscreen platform\n", dwRows);
        const long lFaults = PageFaults();
        auto tStart = Clock::now();
        dialog.FillList();
        g_lStepFaults = PageFaults() - lFaults;
        PrintStep("fill", Seconds(tStart), floors.dFill, 0.5);
        auto* pView = reinterpret_cast<QTableView*>(dialog.m_lstFiles.m_hWnd);
        QHeaderView* pHeader = pView->horizontalHeader();
        const char* apszColumns[] = {"sort by name", "sort by size", "sort by folder"};
        double dStallMs = 0;
        for (int iColumn = 0; iColumn < 3; ++iColumn) {
            // A click on the header, as the user sorts.
            const double dSeconds =
                RunStep([&] { Q_EMIT pHeader->sectionClicked(iColumn); }, &dStallMs);
            PrintStep(apszColumns[iColumn], dSeconds, floors.adSort[iColumn], 0.5, dStallMs);
        }
        // Select the rows with even identifiers: half of them, scattered by the sorts.
        dialog.m_lstFiles.SetRedraw(FALSE);
        for (int i = 0; i < dialog.m_lstFiles.GetItemCount(); ++i) {
            const DWORD nId = static_cast<DWORD>(dialog.m_lstFiles.GetItemData(i));
            if (nId % 2 == 0) {
                dialog.m_lstFiles.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
            }
        }
        dialog.m_lstFiles.SetRedraw(TRUE);
        double dSeconds = RunStep([&] { dialog.SendMessage(WM_COMMAND, 1004, 0); }, &dStallMs);
        char acStep[64];
        std::snprintf(acStep, sizeof acStep, "exclude %u selected", (dwRows + 1) / 2);
        PrintStep(acStep, dSeconds, floors.dExclude, 1.0, dStallMs);
        const bool bOk = dialog.m_lstFiles.GetItemCount() == static_cast<int>(dwRows / 2) &&
                         dialog.m_store.GetCount() == dwRows / 2;
        dSeconds = RunStep([&] { dialog.SendMessage(WM_COMMAND, 1005, 0); }, &dStallMs);
        std::printf("exclude all: %.3f s   longest stall %4.0f ms   page faults %ld\n%s\n",
                    dSeconds, dStallMs, g_lStepFaults,
                    bOk && dialog.m_lstFiles.GetItemCount() == 0 ? "results checked"
                                                                 : "RESULTS WRONG");
        dialog.EndDialog(IDOK);
    });
    dialog.DoModal();
    g_app.m_pMainWnd = nullptr;
    std::filesystem::remove_all(strProgram);
    return 0;
}
