#include "engine/FolderListingAhead.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "engine/RunState.h"
#include "platform/win32/Win32.h"

namespace {

// How many listings, and entries in them, wait for the walk at most (a few megabytes), and the
// largest listing made ahead: a folder of more entries is left to the walk, whose own listing is
// read as it goes.
constexpr std::size_t kAhead = 64;
constexpr std::size_t kAheadEntries = 16384;
constexpr std::size_t kMaxEntries = 4096;

// strFolder's entries, false when it cannot be listed or holds more than kMaxEntries.
bool ListFolder(const std::string& strFolder, std::vector<WIN32_FIND_DATAA>& vecEntries) {
    vecEntries.clear();
    WIN32_FIND_DATAA findData = {};
    const HANDLE hFind = FindFirstFileA((strFolder + "\\*.*").c_str(), &findData);
    if (hFind == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool bWhole = true;
    do {
        if (vecEntries.size() == kMaxEntries || g_bAbort.load()) {
            bWhole = false;
            break;
        }
        vecEntries.push_back(findData);
    } while (FindNextFileA(hFind, &findData));
    // A listing cut short by an error is the walk's to list and report.
    bWhole = bWhole && GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(hFind);
    return bWhole;
}

} // namespace

bool IsDotsName(LPCSTR pcName) {
    return lstrcmpA(pcName, ".") == 0 || lstrcmpA(pcName, "..") == 0;
}

CFolderListingAhead::CFolderListingAhead(const std::string& strTop) : m_vecToList{strTop} {
    m_thread = std::thread([this] { Run(); });
}

CFolderListingAhead::~CFolderListingAhead() {
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_cv.notify_all();
    m_thread.join();
}

bool CFolderListingAhead::HasRoomLocked() const {
    return m_mapListed.size() < kAhead && m_uEntriesHeld < kAheadEntries;
}

bool CFolderListingAhead::Take(const std::string& strFolder,
                               std::vector<WIN32_FIND_DATAA>& vecEntries) {
    std::unique_lock lock(m_mutex);
    // While the thread lists the folder, or is about to.
    m_cv.wait(lock, [&] {
        const bool bNext =
            !m_bDone && HasRoomLocked() && !m_vecToList.empty() && m_vecToList.back() == strFolder;
        return m_strListing != strFolder && !bNext;
    });
    const auto it = m_mapListed.find(strFolder);
    if (it == m_mapListed.end()) {
        return false;
    }
    m_uEntriesHeld -= it->second.vecEntries.size();
    vecEntries = std::move(it->second.vecEntries);
    it->second.vecEntries.clear();
    // The walk enters folders in the thread's order: those listed before this one were passed.
    const std::uint64_t uOrder = it->second.uOrder;
    std::erase_if(m_mapListed, [&](const auto& item) {
        const bool bPassed = item.second.uOrder <= uOrder;
        m_uEntriesHeld -= bPassed ? item.second.vecEntries.size() : 0;
        return bPassed;
    });
    lock.unlock();
    m_cv.notify_all();
    return true;
}

void CFolderListingAhead::Run() {
    // Depth first, sub-folders in listing order: the last pushed is the next listed.
    std::vector<WIN32_FIND_DATAA> vecEntries;
    std::vector<std::string> vecSubs;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_cv.wait(lock, [this] { return m_bStop || m_vecToList.empty() || HasRoomLocked(); });
        if (m_bStop || m_vecToList.empty() || g_bAbort.load()) {
            m_bDone = true;
            lock.unlock();
            m_cv.notify_all();
            return;
        }
        m_strListing = std::move(m_vecToList.back());
        m_vecToList.pop_back();
        const std::string strFolder = m_strListing;
        lock.unlock();

        const bool bListed = ListFolder(strFolder, vecEntries);
        // Below a folder it could not list whole, the walk lists everything itself.
        vecSubs.clear();
        for (std::size_t u = 0; bListed && u < vecEntries.size(); ++u) {
            const WIN32_FIND_DATAA& entry = vecEntries[u];
            // The sub-folders the walk enters, named as it names them.
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                !IsDotsName(entry.cFileName)) {
                vecSubs.push_back(strFolder + "\\" + entry.cFileName);
            }
        }

        lock.lock();
        std::move(vecSubs.rbegin(), vecSubs.rend(), std::back_inserter(m_vecToList));
        if (bListed) {
            m_uEntriesHeld += vecEntries.size();
            m_mapListed[strFolder] = {m_uNextOrder++, std::move(vecEntries)};
            vecEntries = {};
        }
        m_strListing.clear();
        m_cv.notify_all();
    }
}
