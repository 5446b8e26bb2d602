// Lists a flat folder of 100,000 files with FindFirstFileA/FindNextFileA and looks every name up
// in another case (ResolvePath, and FindFirstFileA without a wildcard), against the bare system
// calls: readdir with fstatat relative to the folder, and one lstat per exact name.
//
// find_bench [folder] [count]: the folder (default /tmp/tessaly-find-bench-<count>) is filled
// once and kept, since creating 100,000 files takes long on some disks.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/Win32.h"
#include "platform/win32/posix/CaseIndex.h"
#include "platform/win32/posix/PathResolve.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point tStart) {
    return std::chrono::duration<double, std::milli>(Clock::now() - tStart).count();
}

std::string FileName(int i) {
    char acName[32];
    std::snprintf(acName, sizeof acName, "Track%06d.mp3", i);
    return acName;
}

std::string UpperName(int i) {
    char acName[32];
    std::snprintf(acName, sizeof acName, "TRACK%06d.MP3", i);
    return acName;
}

bool MakeFolder(const std::string& strFolder, int nFiles) {
    const std::string strDone = strFolder + "/.complete";
    struct stat st;
    if (::stat(strDone.c_str(), &st) == 0) {
        return true;
    }
    ::mkdir(strFolder.c_str(), 0755);
    const Clock::time_point tStart = Clock::now();
    for (int i = 0; i < nFiles; ++i) {
        const int fd = ::open((strFolder + "/" + FileName(i)).c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd < 0) {
            std::perror("open");
            return false;
        }
        ::close(fd);
    }
    ::close(::open(strDone.c_str(), O_CREAT | O_WRONLY, 0644));
    std::printf("created %d files in %.0f ms\n", nFiles, Milliseconds(tStart));
    return true;
}

// readdir and one fstatat per entry: what any listing has to pay.
std::size_t BareListing(const std::string& strFolder) {
    const int fd = ::open(strFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* pDir = ::fdopendir(::dup(fd));
    std::size_t n = 0;
    while (const dirent* pEntry = ::readdir(pDir)) {
        struct stat st;
        if (::fstatat(fd, pEntry->d_name, &st, 0) == 0) {
            ++n;
        }
    }
    ::closedir(pDir);
    ::close(fd);
    return n;
}

std::size_t FindListing(const char* pszPattern) {
    WIN32_FIND_DATAA data;
    const HANDLE hFind = FindFirstFileA(pszPattern, &data);
    if (hFind == INVALID_HANDLE_VALUE) {
        return 0;
    }
    std::size_t n = 1;
    while (FindNextFileA(hFind, &data)) {
        ++n;
    }
    FindClose(hFind);
    return n;
}

template <class F> double Best(int nRuns, F&& run) {
    double dBest = 1e300;
    for (int i = 0; i < nRuns; ++i) {
        const Clock::time_point tStart = Clock::now();
        run();
        dBest = std::min(dBest, Milliseconds(tStart));
    }
    return dBest;
}

} // namespace

int main(int argc, char** argv) {
    const int nFiles = argc > 2 ? std::atoi(argv[2]) : 100000;
    const std::string strFolder =
        argc > 1 ? argv[1] : "/tmp/tessaly-find-bench-" + std::to_string(nFiles);
    if (!MakeFolder(strFolder, nFiles)) {
        return 1;
    }
    tessaly::win32::SetDriveTable({{'B', strFolder}});

    std::size_t nBare = 0;
    std::size_t nFound = 0;
    const double dBare = Best(3, [&] { nBare = BareListing(strFolder); });
    const double dFirstFind = Best(1, [&] { nFound = FindListing("B:\\*"); });
    const double dFind = Best(3, [&] { nFound = FindListing("B:\\*"); });
    const double dPattern = Best(3, [&] { FindListing("B:\\*.mp3"); });
    std::printf(
        "listing %zu entries: readdir+fstatat %.1f ms, FindFirstFileA/FindNextFileA %.1f ms "
        "(first, codec filling: %.1f ms), \"*.mp3\" %.1f ms\n",
        nFound, dBare, dFind, dFirstFind, dPattern);
    if (nFound + 2 != nBare) { // the bare loop also counts "." and ".."
        std::printf("unexpected count (bare %zu)\n", nBare);
    }

    const double dLstat = Best(3, [&] {
        for (int i = 0; i < nFiles; ++i) {
            struct stat st;
            ::lstat((strFolder + "/" + FileName(i)).c_str(), &st);
        }
    });
    const double dBuild = Best(3, [&] {
        tessaly::win32::detail::ClearCaseIndexes();
        std::string strPosix;
        tessaly::win32::detail::ResolvePath("B:\\" + UpperName(0), strPosix);
    });
    std::size_t nResolved = 0;
    tessaly::win32::detail::ClearCaseIndexes();
    const double dResolveCold = Best(1, [&] {
        std::string strPosix;
        for (int i = 0; i < nFiles; ++i) {
            nResolved += tessaly::win32::detail::ResolvePath("B:\\" + UpperName(i), strPosix) &&
                         strPosix == strFolder + "/" + FileName(i);
        }
    });
    const double dResolve = Best(3, [&] {
        std::string strPosix;
        for (int i = 0; i < nFiles; ++i) {
            tessaly::win32::detail::ResolvePath("B:\\" + UpperName(i), strPosix);
        }
    });
    const double dFindOne = Best(3, [&] {
        WIN32_FIND_DATAA data;
        for (int i = 0; i < nFiles; ++i) {
            const HANDLE hFind = FindFirstFileA(("B:\\" + UpperName(i)).c_str(), &data);
            if (hFind != INVALID_HANDLE_VALUE) {
                FindClose(hFind);
            }
        }
    });
    std::printf("%d lookups in another case: lstat of the exact names %.1f ms, ResolvePath %.1f ms "
                "(first, with the index build: %.1f ms, %zu right), FindFirstFileA %.1f ms; "
                "index builds %zu, one build %.1f ms\n",
                nFiles, dLstat, dResolve, dResolveCold, nResolved, dFindOne,
                tessaly::win32::detail::GetCaseIndexStats().nBuilds - 3, dBuild);
    return nResolved == static_cast<std::size_t>(nFiles) ? 0 : 1;
}
