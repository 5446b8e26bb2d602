// One Add through the main window at scale: a tree of N empty .wav files (default 1,000,000) on
// tmpfs, picked at its drive's root in the real picker (every entry selected, confirmed), collected
// by the real worker and refilled into the list, on Qt's offscreen platform. Reports the wall time
// from the click on Add to the list and byte total being shown, split into picker, worker and
// refill, the window thread's longest stall meanwhile (a 10 ms ticker), an Add stopped by Abort,
// beside its floor measured in the same run: `find TREE -type f -name '*.wav' -printf '%s %p\n'`
// into a file on the same tmpfs (the better of a run before and a run after the Add). Where the
// tessaly-batch binary is found, its dry run of the same collection is timed too.
//
//   add_bench [FILES] [BATCH]   (BATCH: the tessaly-batch binary; default beside this program's
//                                build folder, BUILD/tools/batch/tessaly-batch)
//
// The tree is made once in /dev/shm/tessaly-add-bench-FILES and reused; it is never removed.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/MainApp.h"
#include "app/MainDialog.h"
#include "engine/RunState.h"
#include "platform/win32/Win32.h"
#include "res/ResourceIds.h"
#include "res/Resources.h"
#include "support/PathHelpers.h"

namespace {

using Clock = std::chrono::steady_clock;

CMainApp g_app;

constexpr DWORD kFilesPerFolder = 1000;
constexpr DWORD kFoldersPerGroup = 25;

double Milliseconds(Clock::time_point tFrom, Clock::time_point tTo) {
    return std::chrono::duration<double, std::milli>(tTo - tFrom).count();
}

// The folder names of the tree; every fifth group and every seventh folder have Japanese names,
// some with a 0x5C trail byte in CP932 (表, ソ), and every hundredth file.
std::string GroupName(DWORD dwGroup) {
    char acName[64];
    std::snprintf(acName, sizeof acName, dwGroup % 5 == 0 ? "アーティスト表%03u" : "group%03u",
                  dwGroup);
    return acName;
}

std::string FolderName(DWORD dwFolder) {
    char acName[64];
    std::snprintf(acName, sizeof acName, dwFolder % 7 == 0 ? "アルバム・ソ%04u" : "album%04u",
                  dwFolder);
    return acName;
}

// File names are unique across the tree, so that the Add finds no duplicates.
std::string FileName(DWORD dwFile) {
    char acName[64];
    std::snprintf(acName, sizeof acName, dwFile % 100 == 0 ? "曲名%07u.wav" : "track%07u.wav",
                  dwFile);
    return acName;
}

bool MakeFolder(const std::string& strPath) {
    return ::mkdir(strPath.c_str(), 0755) == 0 || errno == EEXIST;
}

// strTree/group/folder/file, dwFiles files; a finished tree leaves a marker with its count, and
// an interrupted one is completed on the next run.
bool MakeTree(const std::string& strBase, const std::string& strTree, DWORD dwFiles) {
    const std::string strMarker = strBase + "/tree.complete";
    {
        std::ifstream marker(strMarker);
        DWORD dwMarked = 0;
        if (marker >> dwMarked && dwMarked == dwFiles) {
            std::printf("reusing the tree of %u files in %s\n", dwFiles, strTree.c_str());
            return true;
        }
    }
    if (!MakeFolder(strBase) || !MakeFolder(strTree)) {
        return false;
    }
    const Clock::time_point tStart = Clock::now();
    for (DWORD dwFile = 0; dwFile < dwFiles;) {
        const DWORD dwFolder = dwFile / kFilesPerFolder;
        const std::string strGroup = strTree + "/" + GroupName(dwFolder / kFoldersPerGroup);
        const std::string strFolder = strGroup + "/" + FolderName(dwFolder);
        if (!MakeFolder(strGroup) || !MakeFolder(strFolder)) {
            return false;
        }
        const int fdFolder = ::open(strFolder.c_str(), O_RDONLY | O_DIRECTORY);
        if (fdFolder < 0) {
            return false;
        }
        for (DWORD i = 0; i < kFilesPerFolder && dwFile < dwFiles; ++i, ++dwFile) {
            const int fd =
                ::openat(fdFolder, FileName(dwFile).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (fd < 0) {
                ::close(fdFolder);
                return false;
            }
            ::close(fd);
        }
        ::close(fdFolder);
    }
    std::ofstream(strMarker) << dwFiles << "\n";
    std::printf("made %u files in %s in %.1f s\n", dwFiles, strTree.c_str(),
                Milliseconds(tStart, Clock::now()) / 1000);
    return true;
}

bool IsEmptyFolder(const std::string& strPath) {
    std::error_code ec;
    return std::filesystem::is_directory(strPath, ec) && std::filesystem::is_empty(strPath, ec);
}

// Watches the worker from a thread of its own (the window thread is the one being measured): when
// the collection starts, when the store holds every file (the walk's end), when the collection
// ends (duplicates checked, identifiers assigned; the refill follows).
class CWorkerWatch {
public:
    CWorkerWatch(const CFileCollector& store, DWORD dwExpected)
        : m_pStore(&store), m_dwExpected(dwExpected), m_thread([this] { Watch(); }) {}
    ~CWorkerWatch() { Finish(); }
    void Finish() {
        m_bStop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }
    CWorkerWatch(const CWorkerWatch&) = delete;
    CWorkerWatch& operator=(const CWorkerWatch&) = delete;

    Clock::time_point m_tCollectStart{};
    Clock::time_point m_tWalkDone{};
    Clock::time_point m_tCollectEnd{};

    // The times are read after Finish.
    std::atomic<bool> m_bEnded{false};

private:
    void Watch() {
        bool bStarted = false;
        while (!m_bStop && !m_bEnded) {
            const bool bCollecting = g_bCollecting.load() != FALSE;
            const Clock::time_point tNow = Clock::now();
            if (!bStarted && bCollecting) {
                bStarted = true;
                m_tCollectStart = tNow;
            }
            if (bStarted && m_tWalkDone == Clock::time_point{} &&
                m_pStore->GetCount() >= m_dwExpected) {
                m_tWalkDone = tNow;
            }
            if (bStarted && !bCollecting) {
                m_tCollectEnd = tNow;
                m_bEnded = true;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    }

    const CFileCollector* m_pStore;
    DWORD m_dwExpected;
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};

// The window thread's gaps between ticks of a 10 ms timer: the longest, and where it ended.
class CStallMeter {
public:
    CStallMeter() {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const Clock::time_point tNow = Clock::now();
            const double dGap = Milliseconds(m_tLast, tNow);
            if (dGap > m_dMaxGap) {
                m_dMaxGap = dGap;
                m_tMaxGapStart = m_tLast;
                m_tMaxGapEnd = tNow;
            }
            m_tLast = tNow;
        });
    }
    void Start() {
        m_dMaxGap = 0;
        m_tLast = Clock::now();
        m_timer.start(10);
    }
    void Stop() {
        // The span's last gap counts too.
        const Clock::time_point tNow = Clock::now();
        if (Milliseconds(m_tLast, tNow) > m_dMaxGap) {
            m_dMaxGap = Milliseconds(m_tLast, tNow);
            m_tMaxGapStart = m_tLast;
            m_tMaxGapEnd = tNow;
        }
        m_timer.stop();
    }

    double m_dMaxGap = 0;
    Clock::time_point m_tMaxGapStart{};
    Clock::time_point m_tMaxGapEnd{};

private:
    QTimer m_timer;
    Clock::time_point m_tLast{};
};

// Fires once when the widget becomes enabled (the main dialog gives Add back when the work is
// done).
class CEnabledWatch : public QObject {
public:
    explicit CEnabledWatch(QWidget* pWidget) : m_pWidget(pWidget) {
        m_pWidget->installEventFilter(this);
    }
    ~CEnabledWatch() override { m_pWidget->removeEventFilter(this); }
    CEnabledWatch(const CEnabledWatch&) = delete;
    CEnabledWatch& operator=(const CEnabledWatch&) = delete;

    std::function<void()> m_fnEnabled;

protected:
    bool eventFilter(QObject* pObject, QEvent* pEvent) override {
        if (pObject == m_pWidget && pEvent->type() == QEvent::EnabledChange &&
            m_pWidget->isEnabled() && m_fnEnabled) {
            m_fnEnabled();
        }
        return false;
    }

private:
    QWidget* m_pWidget;
};

QWidget* Control(CDialog& dialog, int nId) {
    CWnd* pWnd = dialog.GetDlgItem(nId);
    return pWnd != nullptr ? reinterpret_cast<QWidget*>(pWnd->m_hWnd) : nullptr;
}

// Selects everything in the picker and confirms it as soon as it is the active modal window,
// polled every millisecond; *ptShown is when it was first seen.
void ConfirmPickerWhenShown(Clock::time_point* ptShown, Clock::time_point* ptConfirmed) {
    auto* pTimer = new QTimer;
    QObject::connect(pTimer, &QTimer::timeout, [pTimer, ptShown, ptConfirmed] {
        QWidget* pModal = QApplication::activeModalWidget();
        if (pModal == nullptr || pModal->objectName() != QStringLiteral("dialog103")) {
            return;
        }
        pTimer->stop();
        pTimer->deleteLater();
        *ptShown = Clock::now();
        QTest::mouseClick(pModal->findChild<QWidget*>(QStringLiteral("control1020")),
                          Qt::LeftButton);
        QTest::mouseClick(pModal->findChild<QWidget*>(QStringLiteral("control1")), Qt::LeftButton);
        *ptConfirmed = Clock::now();
    });
    pTimer->start(1);
}

struct SAddFigures {
    Clock::time_point m_tClick{};
    Clock::time_point m_tPickerShown{};
    Clock::time_point m_tPickerConfirmed{};
    Clock::time_point m_tCollectStart{};
    Clock::time_point m_tWalkDone{};
    Clock::time_point m_tCollectEnd{};
    Clock::time_point m_tByteTotal{};
    Clock::time_point m_tDone{};
    Clock::time_point m_tAbort{};
    double m_dMaxStall = 0;
    Clock::time_point m_tMaxStallStart{};
    Clock::time_point m_tMaxStallEnd{};
    int m_iRows = 0;
    std::string m_strByteTotal;
};

// One Add of the drive's root, clicked on the window thread; returns once Add is enabled again.
// With dwAbortAt, Abort is clicked once the store holds that many files.
SAddFigures RunAdd(CMainDialog& dialog, DWORD dwExpected, DWORD dwAbortAt) {
    SAddFigures figures;
    auto* pByteTotal = qobject_cast<QLineEdit*>(Control(dialog, IDC_BYTE_TOTAL));
    auto* pList = dynamic_cast<QTableView*>(Control(dialog, IDC_FILE_LIST));
    // A text the refill always replaces, so that its write is seen even when it shows "0".
    pByteTotal->setText(QStringLiteral("-"));
    QMetaObject::Connection byteTotal = QObject::connect(
        pByteTotal, &QLineEdit::textChanged, [&] { figures.m_tByteTotal = Clock::now(); });

    QEventLoop loop;
    CEnabledWatch enabled(Control(dialog, IDC_ADD));
    // Add comes back when the window has handled the worker's completion message, which the
    // worker posts just before it marks itself idle; the idle flag is waited for afterwards.
    enabled.m_fnEnabled = [&] {
        if (figures.m_tPickerConfirmed != Clock::time_point{} &&
            figures.m_tDone == Clock::time_point{}) {
            figures.m_tDone = Clock::now();
            loop.quit();
        }
    };
    QTimer abortPoll;
    if (dwAbortAt != 0) {
        QObject::connect(&abortPoll, &QTimer::timeout, [&] {
            if (dialog.m_store.GetCount() >= dwAbortAt) {
                abortPoll.stop();
                figures.m_tAbort = Clock::now();
                QTest::mouseClick(Control(dialog, IDC_ABORT), Qt::LeftButton);
            }
        });
    }

    CStallMeter stalls;
    CWorkerWatch watch(dialog.m_store, dwExpected);
    ConfirmPickerWhenShown(&figures.m_tPickerShown, &figures.m_tPickerConfirmed);
    stalls.Start();
    if (dwAbortAt != 0) {
        abortPoll.start(1);
    }
    figures.m_tClick = Clock::now();
    QTest::mouseClick(Control(dialog, IDC_ADD), Qt::LeftButton);
    if (figures.m_tDone == Clock::time_point{}) {
        loop.exec();
    }
    stalls.Stop();
    QObject::disconnect(byteTotal);
    while (g_bWorkerIdle.load() == FALSE) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // The worker has ended (Add is enabled again), so its end has been seen unless it was too
    // short for its start to be.
    for (int i = 0; i < 100 && !watch.m_bEnded; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    watch.Finish();
    figures.m_tCollectStart = watch.m_tCollectStart;
    figures.m_tWalkDone = watch.m_tWalkDone;
    figures.m_tCollectEnd = watch.m_tCollectEnd;
    figures.m_dMaxStall = stalls.m_dMaxGap;
    figures.m_tMaxStallStart = stalls.m_tMaxGapStart;
    figures.m_tMaxStallEnd = stalls.m_tMaxGapEnd;
    figures.m_iRows = pList->model()->rowCount();
    figures.m_strByteTotal = pByteTotal->text().toStdString();
    return figures;
}

// Which step of an Add the middle of the longest stall falls in (a stall that a step causes
// starts at the last tick before it and ends at the first one after it).
const char* StallStep(const SAddFigures& figures) {
    const Clock::time_point t =
        figures.m_tMaxStallStart + (figures.m_tMaxStallEnd - figures.m_tMaxStallStart) / 2;
    if (t <= figures.m_tPickerConfirmed) {
        return "picker";
    }
    if (t <= figures.m_tCollectEnd) {
        return "worker";
    }
    if (t <= figures.m_tByteTotal) {
        return "refill";
    }
    return "completion";
}

void PrintAdd(const SAddFigures& f) {
    const double dTotal = Milliseconds(f.m_tClick, f.m_tDone);
    std::printf("  click to done:              %9.0f ms\n", dTotal);
    std::printf("    picker (click to confirmed): %6.0f ms  (shown after %.0f ms)\n",
                Milliseconds(f.m_tClick, f.m_tPickerConfirmed),
                Milliseconds(f.m_tClick, f.m_tPickerShown));
    std::printf(
        "    worker (confirmed to ids):   %6.0f ms  (walk %.0f ms, duplicates and ids "
        "%.0f ms)\n",
        Milliseconds(f.m_tPickerConfirmed, f.m_tCollectEnd),
        f.m_tWalkDone != Clock::time_point{} ? Milliseconds(f.m_tPickerConfirmed, f.m_tWalkDone)
                                             : 0.0,
        f.m_tWalkDone != Clock::time_point{} ? Milliseconds(f.m_tWalkDone, f.m_tCollectEnd) : 0.0);
    std::printf("    refill (rows, byte total):   %6.0f ms\n",
                Milliseconds(f.m_tCollectEnd, f.m_tByteTotal));
    std::printf("    completion (Add enabled):    %6.0f ms\n",
                Milliseconds(f.m_tByteTotal, f.m_tDone));
    std::printf("  window thread's longest stall: %6.0f ms (+%.0f to +%.0f ms), in the %s step\n",
                f.m_dMaxStall, Milliseconds(f.m_tClick, f.m_tMaxStallStart),
                Milliseconds(f.m_tClick, f.m_tMaxStallEnd), StallStep(f));
    std::printf("  rows %d, byte total \"%s\"\n", f.m_iRows, f.m_strByteTotal.c_str());
}

// Runs vecArgs (found on PATH) with standard output, and standard error when bErrorsToo, into
// strOutput: the whole process's wall time; iStatus its exit status.
double RunTimed(std::vector<const char*> vecArgs, const std::string& strOutput, bool bErrorsToo,
                int& iStatus) {
    vecArgs.push_back(nullptr);
    const Clock::time_point tStart = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(strOutput.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        if (fd >= 0) {
            ::dup2(fd, 1);
            if (bErrorsToo) {
                ::dup2(fd, 2);
            }
            ::close(fd);
        }
        ::execvp(vecArgs[0], const_cast<char* const*>(vecArgs.data()));
        ::_exit(127);
    }
    int iWait = 0;
    ::waitpid(pid, &iWait, 0);
    const double dMs = Milliseconds(tStart, Clock::now());
    iStatus = WIFEXITED(iWait) ? WEXITSTATUS(iWait) : -1;
    return dMs;
}

// The same collection by tessaly-batch; its "collected" line.
double RunBatch(const std::string& strBatch, const std::string& strFlat, const std::string& strTree,
                const std::string& strOutput, std::string& strCollected, int& iStatus) {
    const double dMs = RunTimed({strBatch.c_str(), "-n", "-t", strFlat.c_str(), strTree.c_str()},
                                strOutput, true, iStatus);
    std::ifstream output(strOutput);
    for (std::string strLine; std::getline(output, strLine);) {
        if (strLine.rfind("collected ", 0) == 0) {
            strCollected = strLine;
        }
    }
    return dMs;
}

// The floor: find's listing of the same files with their sizes.
double RunFind(const std::string& strTree, const std::string& strOutput, long& lLines) {
    int iStatus = 0;
    const double dMs =
        RunTimed({"find", strTree.c_str(), "-type", "f", "-name", "*.wav", "-printf", "%s %p\n"},
                 strOutput, false, iStatus);
    std::ifstream output(strOutput);
    lLines = 0;
    for (std::string strLine; std::getline(output, strLine);) {
        ++lLines;
    }
    return dMs;
}

long PeakRssKb(int iWho) {
    rusage usage{};
    ::getrusage(iWho, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    const DWORD dwFiles =
        argc > 1 ? static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10)) : 1000000;
    std::string strBatch = argc > 2 ? argv[2] : "";
    if (strBatch.empty()) {
        // This program is build-bench/bench/add_bench; the tool is build-bench/tools/batch.
        const std::filesystem::path pathSelf = std::filesystem::read_symlink("/proc/self/exe");
        strBatch = (pathSelf.parent_path().parent_path() / "tools/batch/tessaly-batch").string();
    }
    if (dwFiles == 0) {
        std::fprintf(stderr, "usage: add_bench [FILES] [TESSALY_BATCH]\n");
        return 2;
    }
    const std::string strBase = "/dev/shm/tessaly-add-bench-" + std::to_string(dwFiles);
    const std::string strTree = strBase + "/tree";
    const std::string strFlat = strBase + "/flat";
    const std::string strProgram = strBase + "/program";
    if (!MakeTree(strBase, strTree, dwFiles) || !MakeFolder(strFlat) || !MakeFolder(strProgram)) {
        std::fprintf(stderr, "cannot make the tree in %s\n", strBase.c_str());
        return 1;
    }
    if (!IsEmptyFolder(strFlat)) {
        std::fprintf(stderr, "%s is not empty; the batch's dry run needs it empty\n",
                     strFlat.c_str());
        return 1;
    }

    const std::string strFindOutput = strBase + "/find-output.txt";
    long lFindLines = 0;
    const double dFindBeforeMs = RunFind(strTree, strFindOutput, lFindLines);

    // The tree is drive B:'s root; the program's own files (TraceFile.txt) stay out of it.
    auto mapDrives = tessaly::win32::GetDriveTable();
    mapDrives['B'] = strTree;
    tessaly::win32::SetDriveTable(mapDrives);
    tessaly::win32::SetModuleFileNameForTests(strProgram + "/tessaly");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int iArgc = 1;
    tessaly::framework::InitWindowSystem(iArgc, argv);
    RegisterTessalyResources();

    bool bOk = true;
    SAddFigures add;
    SAddFigures aborted;
    double dExcludeAllMs = 0;
    CMainDialog dialog;
    g_app.m_pMainWnd = &dialog;
    QTimer::singleShot(0, [&] {
        dialog.SetNextPickerFolder("B:");
        std::printf("Add of %u files through the window:\n", dwFiles);
        add = RunAdd(dialog, dwFiles, 0);
        PrintAdd(add);
        bOk = add.m_iRows == static_cast<int>(dwFiles) && add.m_strByteTotal == "0" &&
              dialog.m_store.GetCount() == dwFiles;

        Clock::time_point tStart = Clock::now();
        QTest::mouseClick(Control(dialog, IDC_EXCLUDE_ALL), Qt::LeftButton);
        // A long list is emptied on a worker: the next Add waits for it, as a user's would.
        while (g_bWorkerIdle.load() == FALSE) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        dExcludeAllMs = Milliseconds(tStart, Clock::now());

        std::printf("Add again, Abort clicked at a quarter of the files:\n");
        aborted = RunAdd(dialog, dwFiles, std::max<DWORD>(dwFiles / 4, 1));
        std::printf("  abort to walk stopped:      %9.0f ms\n",
                    Milliseconds(aborted.m_tAbort, aborted.m_tCollectEnd));
        std::printf("  abort to done:              %9.0f ms  (%d rows kept)\n",
                    Milliseconds(aborted.m_tAbort, aborted.m_tDone), aborted.m_iRows);
        std::printf("  window thread's longest stall: %6.0f ms, in the %s step\n",
                    aborted.m_dMaxStall, StallStep(aborted));
        bOk = bOk && aborted.m_iRows < static_cast<int>(dwFiles);
        dialog.EndDialog(IDOK);
    });
    dialog.DoModal();
    g_app.m_pMainWnd = nullptr;
    std::printf("Exclude all of %u rows: %.0f ms\n", dwFiles, dExcludeAllMs);
    const long lPeakKb = PeakRssKb(RUSAGE_SELF);

    const double dFindAfterMs = RunFind(strTree, strFindOutput, lFindLines);
    const double dFloorMs = std::min(dFindBeforeMs, dFindAfterMs);
    bOk = bOk && lFindLines == static_cast<long>(dwFiles);
    std::printf("floor: find -type f -name '*.wav' -printf '%%s %%p\\n': %.0f ms before, %.0f ms "
                "after the Adds (%ld lines)\n",
                dFindBeforeMs, dFindAfterMs, lFindLines);

    if (::access(strBatch.c_str(), X_OK) == 0) {
        std::string strCollected;
        int iStatus = 0;
        const std::string strOutput = strBase + "/batch-output.txt";
        const double dBatchMs =
            RunBatch(strBatch, strFlat, strTree, strOutput, strCollected, iStatus);
        std::printf("tessaly-batch -n -t %s %s:\n  %.0f ms, exit %d, \"%s\", peak RSS %ld MB\n",
                    strFlat.c_str(), strTree.c_str(), dBatchMs, iStatus, strCollected.c_str(),
                    PeakRssKb(RUSAGE_CHILDREN) / 1024);
        // Every file is skipped (the flat folder is empty), so the tool ends with 1.
        char acCount[64];
        std::snprintf(acCount, sizeof acCount, "%u", dwFiles);
        InsertThousandsSeparators(acCount, sizeof acCount);
        const std::string strExpected = std::string("collected ") + acCount + " files, 0 bytes";
        bOk = bOk && iStatus == 1 && strCollected == strExpected;
    }

    const double dWindowMs = Milliseconds(add.m_tClick, add.m_tDone);
    const double dWalkMs = add.m_tWalkDone != Clock::time_point{}
                               ? Milliseconds(add.m_tPickerConfirmed, add.m_tWalkDone)
                               : 0.0;
    const double dDupMs = add.m_tWalkDone != Clock::time_point{}
                              ? Milliseconds(add.m_tWalkDone, add.m_tCollectEnd)
                              : 0.0;
    const double dRefillMs = Milliseconds(add.m_tCollectEnd, add.m_tByteTotal);
    const double dBytesPerFile = static_cast<double>(lPeakKb) * 1024.0 / dwFiles;
    const auto Verdict = [](bool bMet) { return bMet ? "met" : "NOT MET"; };
    std::printf("\n%-34s %9s %9s %7s  %s\n", "figure", "value", "floor", "ratio", "goal");
    std::printf("%-34s %7.0f ms %7.0f ms %7.2f  at most 1.5 x floor: %s\n",
                "Add, click to done / find", dWindowMs, dFloorMs, dWindowMs / dFloorMs,
                Verdict(dWindowMs <= 1.5 * dFloorMs));
    std::printf("%-34s %7.0f ms %7.0f ms %7.3f  at most 0.1 x walk: %s\n",
                "duplicates and ids / the walk", dDupMs, dWalkMs,
                dWalkMs > 0 ? dDupMs / dWalkMs : 0.0, Verdict(dDupMs <= 0.1 * dWalkMs));
    std::printf("%-34s %7.0f ms %7.0f ms %7.2f  at most 500 ms: %s\n", "refill / find", dRefillMs,
                dFloorMs, dRefillMs / dFloorMs, Verdict(dRefillMs <= 500));
    std::printf("%-34s %7.0f B  %17s  at most 350 B a file: %s (%ld MB)\n",
                "peak RSS of the window, a file", dBytesPerFile, "", Verdict(dBytesPerFile <= 350),
                lPeakKb / 1024);
    std::printf("%-34s %7.0f ms %17s  at most 50 ms: %s (Abort: %.0f ms)\n",
                "window thread's longest stall", add.m_dMaxStall, "",
                Verdict(add.m_dMaxStall <= 50 && aborted.m_dMaxStall <= 50), aborted.m_dMaxStall);
    std::printf("%s\n", bOk ? "results checked" : "RESULTS WRONG");
    std::printf("the tree stays in %s; remove it with: rm -rf %s\n", strBase.c_str(),
                strBase.c_str());
    return bOk ? 0 : 1;
}
