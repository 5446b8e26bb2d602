// The store at library scale: a generated tree of album folders is collected through the scanner,
// searched for duplicate titles, the duplicates removed and identifiers assigned, as one Add does;
// beside it the bare listing calls over the same tree, and the store's own operations on
// generated entries without the file system, and files handed over one by one as picked. Arguments:
// entry counts (default 100000 1000000).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/FileCollector.h"
#include "engine/FileList.h"
#include "engine/RunState.h"
#include "platform/win32/Win32.h"

namespace {

constexpr int kFilesPerAlbum = 100;
constexpr int kAlbumsPerArtist = 10;
// One file in this many repeats the title of a file in the album before it, with another
// extension, so that the duplicate search has groups to report.
constexpr int kDuplicateEvery = 200;

double Seconds(const std::function<void()>& fn) {
    const auto tStart = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - tStart).count();
}

std::string FileName(long lIndex) {
    char acName[64];
    const bool bDuplicate =
        lIndex % kDuplicateEvery == kDuplicateEvery - 1 && lIndex >= kFilesPerAlbum;
    const long lTitle = bDuplicate ? lIndex - kFilesPerAlbum : lIndex;
    const char* pcExt = bDuplicate ? "WAV" : "wav";
    // A third of the names are Japanese, as in a real library.
    if (lTitle % 3 == 0) {
        std::snprintf(acName, sizeof acName, "曲 %07ld.%s", lTitle, pcExt);
    } else {
        std::snprintf(acName, sizeof acName, "Track %07ld.%s", lTitle, pcExt);
    }
    return acName;
}

// Artist/album folders with kFilesPerAlbum empty files each; returns the number of files.
long MakeTree(const std::filesystem::path& root, long lFiles) {
    long lMade = 0;
    for (int iArtist = 0; lMade < lFiles; ++iArtist) {
        for (int iAlbum = 0; iAlbum < kAlbumsPerArtist && lMade < lFiles; ++iAlbum) {
            const std::filesystem::path album =
                root / ("Artist " + std::to_string(iArtist)) / ("Album " + std::to_string(iAlbum));
            std::filesystem::create_directories(album);
            for (int iFile = 0; iFile < kFilesPerAlbum && lMade < lFiles; ++iFile, ++lMade) {
                std::FILE* pFile = std::fopen((album / FileName(lMade)).c_str(), "wb");
                if (pFile == nullptr) {
                    std::perror("fopen");
                    std::exit(1);
                }
                std::fclose(pFile);
            }
        }
    }
    return lMade;
}

// The listing calls alone, recursively: the floor under any collection.
long BareWalk(const std::string& strFolder) {
    long lFiles = 0;
    std::vector<std::string> vecSub;
    WIN32_FIND_DATAA findData;
    HANDLE hFind = FindFirstFileA((strFolder + "\\*.*").c_str(), &findData);
    if (hFind == INVALID_HANDLE_VALUE) {
        return 0;
    }
    do {
        if (lstrcmpA(findData.cFileName, ".") == 0 || lstrcmpA(findData.cFileName, "..") == 0) {
            continue;
        }
        if (findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            vecSub.push_back(strFolder + "\\" + findData.cFileName);
        } else {
            ++lFiles;
        }
    } while (FindNextFileA(hFind, &findData));
    FindClose(hFind);
    for (const std::string& strSub : vecSub) {
        lFiles += BareWalk(strSub);
    }
    return lFiles;
}

void BenchTree(long lFiles) {
    std::string strTemplate =
        (std::filesystem::temp_directory_path() / "tessaly-bench-XXXXXX").string();
    if (mkdtemp(strTemplate.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    const std::filesystem::path root(strTemplate);
    std::map<char, std::string> mapDrives = tessaly::win32::GetDriveTable();
    mapDrives['B'] = strTemplate;
    tessaly::win32::SetDriveTable(mapDrives);

    std::printf("\n== %ld files in folders of %d ==\n", lFiles, kFilesPerAlbum);
    long lMade = 0;
    const double dMake = Seconds([&] { lMade = MakeTree(root / "tree", lFiles); });
    std::printf("%-34s %8.2f s (not part of the program)\n", "generate tree", dMake);

    long lListed = 0;
    const double dBare = Seconds([&] { lListed = BareWalk("B:\\tree"); });
    std::printf("%-34s %8.2f s  %ld files\n", "bare FindFirst/FindNext walk", dBare, lListed);

    CFileCollector collector;
    collector.m_bUseRegex = FALSE;
    collector.m_strExtFilter = "wav";
    collector.m_bExtFilter = TRUE;
    g_strPickRoot = "B:";
    const double dCollect = Seconds([&] { collector.AddPathFiltered("B:\\tree", TRUE); });
    std::printf("%-34s %8.2f s  %u entries\n", "collect (filtered walk)", dCollect,
                collector.GetCount());

    CFileList listDup;
    DWORD dwDup = 0;
    const double dDup = Seconds([&] { dwDup = collector.FindDuplicates(listDup); });
    std::printf("%-34s %8.2f s  %u listed\n", "find duplicates", dDup, dwDup);

    CString strPaths;
    const double dPaths = Seconds([&] { listDup.BuildPathList(strPaths); });
    std::printf("%-34s %8.2f s  %d bytes\n", "duplicate path list", dPaths, strPaths.GetLength());

    DWORD dwRemoved = 0;
    const double dRemove = Seconds([&] { dwRemoved = collector.RemoveAll(listDup); });
    std::printf("%-34s %8.2f s  %u removed\n", "remove duplicates", dRemove, dwRemoved);

    const double dIds = Seconds([&] { collector.AssignIds(); });
    std::printf("%-34s %8.2f s\n", "assign ids", dIds);
    std::printf("%-34s %8.2f s\n", "one Add in all (collect..ids)",
                dCollect + dDup + dPaths + dRemove + dIds);

    // A second Add of the same tree finds every file already collected.
    const double dAgain = Seconds([&] { collector.AddPathFiltered("B:\\tree", TRUE); });
    std::printf("%-34s %8.2f s  %u entries\n", "collect the same tree again", dAgain,
                collector.GetCount());

    const double dClean = Seconds([&] { std::filesystem::remove_all(root); });
    std::printf("%-34s %8.2f s (not part of the program)\n", "remove tree", dClean);
    g_strPickRoot.Empty();
}

void BenchStore(long lEntries) {
    std::printf("\n== store alone, %ld generated entries ==\n", lEntries);
    std::vector<CFileEntry> vecEntries(static_cast<std::size_t>(lEntries));
    for (long i = 0; i < lEntries; ++i) {
        CFileEntry& entry = vecEntries[static_cast<std::size_t>(i)];
        entry.m_strFolder = ("C:\\Music\\Artist " + std::to_string(i / 1000) + "\\Album " +
                             std::to_string(i / 100 % 10))
                                .c_str();
        entry.m_strName = ("Track " + std::to_string(i % kDuplicateEvery == 7 ? i - 1 : i) +
                           (i % 2 ? ".wav" : ".mp3"))
                              .c_str();
        entry.m_strFullPath = entry.m_strFolder + "\\" + entry.m_strName;
        entry.m_strRoot = "C:\\Music";
        entry.m_ullSize = static_cast<ULONGLONG>(i) * 1000;
    }
    CFileList list;
    const double dAppend = Seconds([&] {
        for (const CFileEntry& entry : vecEntries) {
            if (list.FindByPath(entry.m_strFullPath) < 0) {
                list.Append(entry);
            }
        }
    });
    std::printf("%-34s %8.2f s  capacity %u\n", "find + append each", dAppend, list.GetCapacity());

    CFileList listDup;
    DWORD dwDup = 0;
    const double dDup = Seconds([&] { dwDup = list.FindDuplicates(listDup); });
    std::printf("%-34s %8.2f s  %u listed\n", "find duplicates", dDup, dwDup);
    const double dRemove = Seconds([&] { list.RemoveAll(listDup); });
    std::printf("%-34s %8.2f s  %u left\n", "remove duplicates", dRemove, list.GetCount());
    const double dIds = Seconds([&] { list.AssignIds(); });
    std::printf("%-34s %8.2f s\n", "assign ids", dIds);

    std::mt19937 rng(5);
    const DWORD dwCount = list.GetCount();
    DWORD dwFound = 0;
    const double dById = Seconds([&] {
        for (DWORD i = 0; i < dwCount; ++i) {
            dwFound += list.FindById(static_cast<DWORD>(rng() % dwCount) + 1) != nullptr;
        }
    });
    std::printf("%-34s %8.2f s  %u found\n", "FindById, once per entry", dById, dwFound);

    // Exclude removes one row at a time: each removal shifts the entries behind it.
    const int kExcludes = 100;
    const double dExclude = Seconds([&] {
        for (int i = 0; i < kExcludes; ++i) {
            const DWORD dwPos = static_cast<DWORD>(rng() % list.GetCount());
            const CString strPath(list.GetAt(dwPos).m_strFullPath);
            list.RemoveByPath(strPath);
        }
    });
    std::printf("%-34s %8.2f ms each\n", "exclude one entry (RemoveByPath)",
                dExclude * 1000 / kExcludes);
}

// Picked files: a folder whose files lie directly in it, each handed over one by one as the
// picker's confirmed records are. The store grows by its picked-file step each time it is full.
void BenchPicked(long lEntries) {
    std::printf("\n== picked files, %ld records of one folder ==\n", lEntries);
    std::vector<WIN32_FIND_DATAA> vecRecords(static_cast<std::size_t>(lEntries));
    for (long i = 0; i < lEntries; ++i) {
        WIN32_FIND_DATAA& data = vecRecords[static_cast<std::size_t>(i)];
        data = WIN32_FIND_DATAA{};
        std::snprintf(data.cFileName, sizeof data.cFileName, "Track %07ld.wav", i);
        data.nFileSizeLow = static_cast<DWORD>(i);
    }
    CFileCollector collector;
    collector.m_bExtFilter = TRUE;
    collector.m_bUseRegex = FALSE;
    collector.m_strExtFilter = "wav";
    DWORD dwAdded = 0;
    const double dAdd = Seconds([&] {
        for (const WIN32_FIND_DATAA& data : vecRecords) {
            dwAdded += collector.AddFoundFiltered("B:\\flat", data) ? 1 : 0;
        }
    });
    std::printf("%-34s %8.2f s  %u added, capacity %u\n", "add each picked file", dAdd, dwAdded,
                collector.GetCapacity());
}

} // namespace

int main(int argc, char** argv) {
    std::vector<long> vecCounts;
    for (int i = 1; i < argc; ++i) {
        vecCounts.push_back(std::strtol(argv[i], nullptr, 10));
    }
    if (vecCounts.empty()) {
        vecCounts = {100000, 1000000};
    }
    for (long lCount : vecCounts) {
        BenchPicked(lCount);
        BenchStore(lCount);
        BenchTree(lCount);
    }
    return 0;
}
