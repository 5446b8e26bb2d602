// The floor: the same restructuring with bare system calls (readdir, fstatat, a hash set of
// titles, mkdir, renameat2 without replacing), as a measure of what the work itself costs. With -n,
// the dry run's floor: the same walk and duplicate check, then a stat of each flat file and of its
// destination and one line a file, nothing moved.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct Found {
    std::string strRel;
    std::string strTitle;
};

std::string Fold(const std::string& str) {
    std::string strOut = str;
    for (char& c : strOut) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return strOut;
}

void Walk(int dirFd, const std::string& strRel,
          std::unordered_map<std::string, std::vector<Found>>& map) {
    DIR* pDir = fdopendir(dirFd);
    if (pDir == nullptr) {
        close(dirFd);
        return;
    }
    std::vector<std::string> subFolders;
    while (dirent* pEntry = readdir(pDir)) {
        const std::string strName = pEntry->d_name;
        if (strName == "." || strName == "..") {
            continue;
        }
        struct stat st;
        if (fstatat(dirfd(pDir), pEntry->d_name, &st, 0) != 0) {
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            subFolders.push_back(strName);
        } else if (strName.size() > 4 && Fold(strName.substr(strName.size() - 4)) == ".wav") {
            const std::string strTitle = strName.substr(0, strName.size() - 4);
            map[Fold(strTitle)].push_back({strRel, strTitle});
        }
    }
    for (const std::string& strSub : subFolders) {
        const int subFd = openat(dirfd(pDir), strSub.c_str(), O_RDONLY | O_DIRECTORY);
        if (subFd >= 0) {
            Walk(subFd, strRel.empty() ? strSub : strRel + "/" + strSub, map);
        }
    }
    closedir(pDir);
}

void MakeFolders(const std::string& strPath) {
    if (mkdir(strPath.c_str(), 0777) == 0 || errno == EEXIST) {
        return;
    }
    const size_t uSlash = strPath.rfind('/');
    if (uSlash != std::string::npos && uSlash > 0) {
        MakeFolders(strPath.substr(0, uSlash));
        mkdir(strPath.c_str(), 0777);
    }
}

} // namespace

int main(int argc, char** argv) {
    const bool bDryRun = argc == 5 && std::string(argv[1]) == "-n";
    if (bDryRun) {
        ++argv;
        --argc;
    }
    if (argc != 4) {
        std::fprintf(stderr, "usage: floor_move [-n] TEMPLATE FLAT EXT\n");
        return 2;
    }
    const std::string strFlat = argv[2];
    const std::string strExt = argv[3];
    std::unordered_map<std::string, std::vector<Found>> map;
    const int rootFd = open(argv[1], O_RDONLY | O_DIRECTORY);
    if (rootFd < 0) {
        return 2;
    }
    Walk(rootFd, "", map);
    unsigned uMoved = 0;
    for (const auto& [strKey, entries] : map) {
        if (entries.size() != 1) {
            continue;
        }
        const Found& found = entries.front();
        const std::string strName = found.strTitle + "." + strExt;
        const std::string strSrc = strFlat + "/" + strName;
        const std::string strFolder = found.strRel.empty() ? strFlat : strFlat + "/" + found.strRel;
        const std::string strDst = strFolder + "/" + strName;
        struct stat st;
        const bool bSource = stat(strSrc.c_str(), &st) == 0;
        if (bDryRun) {
            const bool bTaken = stat(strDst.c_str(), &st) == 0;
            if (bSource && !bTaken) {
                ++uMoved;
                std::printf("would move %s -> %s\n", strSrc.c_str(), strDst.c_str());
            } else {
                std::printf("would skip %s: %s\n", strSrc.c_str(),
                            bSource ? "destination exists" : "source missing");
            }
            continue;
        }
        if (!bSource || found.strRel.empty()) {
            continue;
        }
        MakeFolders(strFolder);
        if (renameat2(AT_FDCWD, strSrc.c_str(), AT_FDCWD, strDst.c_str(), RENAME_NOREPLACE) == 0) {
            ++uMoved;
        }
    }
    std::printf(bDryRun ? "%u would move\n" : "moved %u\n", uMoved);
    return 0;
}
