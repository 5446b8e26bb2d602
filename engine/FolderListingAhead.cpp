#include "engine/FolderListingAhead.h"

#include <algorithm>
#include <cstdint>
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
// How far into the queue a walk looks for the folder it enters, past folders it passed (entered
// before through a link, say).
constexpr std::size_t kPassedLooked = 8;

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

// The lock's holds are a few container operations, and the walk and the thread take it several
// times a folder: a short spin before sleeping on it, which cost a wake-up each time.
void LockSoon(std::unique_lock<std::mutex>& lock) {
    for (int i = 0; i < 100; ++i) {
        if (lock.try_lock()) {
            return;
        }
    }
    lock.lock();
}

} // namespace

bool IsDotsName(LPCSTR pcName) {
    return lstrcmpA(pcName, ".") == 0 || lstrcmpA(pcName, "..") == 0;
}

CFolderListingAhead::CFolderListingAhead(const std::string& strTop)
    : CFolderListingAhead(std::vector<std::string>{strTop}) {}

CFolderListingAhead::CFolderListingAhead(const std::vector<std::string>& vecTops) {
    // Placed as the sub-folders of one folder would be, the first listed first.
    for (std::size_t uTop = vecTops.size(); uTop-- > 0;) {
        m_vecToList.push_back({vecTops[uTop], PlaceBelow(CPlace(), uTop)});
    }
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

CFolderListingAhead::CPlace CFolderListingAhead::PlaceBelow(const CPlace& place,
                                                            std::size_t uIndex) {
    CPlace below = place;
    for (int iShift = 24; iShift >= 0; iShift -= 8) {
        below.push_back(static_cast<char>((uIndex >> iShift) & 0xFF));
    }
    return below;
}

bool CFolderListingAhead::HasRoomLocked() const {
    return m_mapListed.size() < kAhead && m_uEntriesHeld < kAheadEntries;
}

bool CFolderListingAhead::ListOne(const CToList& item, CListing& listing,
                                  std::vector<CToList>& vecSubs) {
    vecSubs.clear();
    listing.place = item.place;
    listing.vecOmitted.clear();
    // What the listing leaves out is kept for the walk, which hears of it when it takes the
    // listing, as from a listing of its own; a listing it never takes was never its own.
    const auto keepOmitted = [](void* pContext, std::string_view strFolder,
                                std::string_view strName, tessaly::win32::ListingOmission eReason) {
        static_cast<std::vector<COmitted>*>(pContext)->push_back(
            {std::string(strFolder), std::string(strName), eReason});
    };
    void* pPreviousContext = nullptr;
    const tessaly::win32::ListingOmissionListener pPrevious =
        tessaly::win32::SetListingOmissionListener(keepOmitted, &listing.vecOmitted,
                                                   &pPreviousContext);
    const bool bListed = ListFolder(item.strFolder, listing.vecEntries);
    tessaly::win32::SetListingOmissionListener(pPrevious, pPreviousContext);
    if (!bListed) {
        return false; // below a folder not listed whole, the walk lists everything itself
    }
    std::uint32_t uSub = 0;
    for (const WIN32_FIND_DATAA& entry : listing.vecEntries) {
        // The sub-folders the walk enters, named as it names them.
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
            !IsDotsName(entry.cFileName)) {
            vecSubs.push_back(
                {item.strFolder + "\\" + entry.cFileName, PlaceBelow(item.place, uSub++)});
        }
    }
    std::reverse(vecSubs.begin(), vecSubs.end());
    return true;
}

void CFolderListingAhead::PublishLocked(const CToList& item, bool bListed, CListing& listing,
                                        std::vector<CToList>& vecSubs) {
    // The queue stays in the walk's order, the next at the back: the sub-folders go right above
    // everything placed after them. (Placed by position instead, those of a folder the walk
    // listed itself could land below a folder the thread took from under them meanwhile.)
    if (!vecSubs.empty()) {
        const auto itAt = std::partition_point(
            m_vecToList.begin(), m_vecToList.end(),
            [&](const CToList& queued) { return queued.place > vecSubs.front().place; });
        m_vecToList.insert(itAt, std::make_move_iterator(vecSubs.begin()),
                           std::make_move_iterator(vecSubs.end()));
    }
    if (!bListed) {
        return;
    }
    m_uEntriesHeld += listing.vecEntries.size();
    if (m_vecSpare.empty()) {
        CListed made; // a node of its own, to go round as the spares do
        made.try_emplace(std::string());
        m_vecSpare.push_back(made.extract(made.begin()));
    }
    // A spare's buffers are swapped in, for the next listing to fill.
    CListed::node_type node = std::move(m_vecSpare.back());
    m_vecSpare.pop_back();
    node.key() = item.strFolder;
    std::swap(node.mapped(), listing);
    auto inserted = m_mapListed.insert(std::move(node));
    if (!inserted.inserted) { // listed again (reached by two ways): the new listing replaces it
        std::swap(inserted.position->second, inserted.node.mapped());
        m_uEntriesHeld -= inserted.node.mapped().vecEntries.size();
        RecycleLocked(std::move(inserted.node));
    }
}

void CFolderListingAhead::RecycleLocked(CListed::node_type&& node) {
    if (m_vecSpare.size() < kAhead) {
        m_vecSpare.push_back(std::move(node));
    }
}

void CFolderListingAhead::DropPassedLocked(const std::string& strFolder) {
    const std::size_t nQueued = m_vecToList.size();
    for (std::size_t n = 1; n <= std::min(nQueued, kPassedLooked); ++n) {
        if (m_vecToList[nQueued - n].strFolder == strFolder) {
            m_vecToList.resize(nQueued - n + 1);
            return;
        }
    }
}

bool CFolderListingAhead::Take(const std::string& strFolder,
                               std::vector<WIN32_FIND_DATAA>& vecEntries) {
    std::unique_lock lock(m_mutex, std::defer_lock);
    LockSoon(lock);
    DropPassedLocked(strFolder);
    for (;;) {
        // While the thread lists the folder, or is about to.
        const bool bListing = m_strListing == strFolder;
        const bool bNext = !m_bDone && HasRoomLocked() && !m_vecToList.empty() &&
                           m_vecToList.back().strFolder == strFolder;
        if (!bListing && !bNext) {
            break;
        }
        if (g_bAbort.load() || (bListing && (m_vecToList.empty() || !HasRoomLocked()))) {
            m_bWalkWaits = true;
            m_cv.wait(lock);
            m_bWalkWaits = false;
            continue;
        }
        // The walk lists the folder itself when the thread has not begun it (it lists another, or
        // has yet to run), and the next one meanwhile when it has: on a tree of small folders the
        // thread alone is slower than the walk, which would wait for it at every folder.
        const CToList item = std::move(m_vecToList.back());
        m_vecToList.pop_back();
        m_bWalkListing = true;
        lock.unlock();
        const bool bListed = ListOne(item, m_walkListing, m_vecWalkSubs);
        ++m_uListedByWalk;
        LockSoon(lock);
        PublishLocked(item, bListed, m_walkListing, m_vecWalkSubs);
        m_bWalkListing = false;
        if (m_bThreadWaits) {
            lock.unlock();
            m_cv.notify_all();
            lock.lock();
        }
    }
    const auto it = m_mapListed.find(strFolder);
    if (it == m_mapListed.end()) {
        return false;
    }
    CListed::node_type taken = m_mapListed.extract(it);
    CListing& listing = taken.mapped();
    m_uEntriesHeld -= listing.vecEntries.size();
    vecEntries.swap(listing.vecEntries);
    const std::vector<COmitted> vecOmitted = std::move(listing.vecOmitted);
    // The walk enters folders in this order: those placed before this one were passed.
    for (auto itPassed = m_mapListed.begin(); itPassed != m_mapListed.end();) {
        const auto itNext = std::next(itPassed);
        if (itPassed->second.place <= listing.place) {
            m_uEntriesHeld -= itPassed->second.vecEntries.size();
            RecycleLocked(m_mapListed.extract(itPassed));
        }
        itPassed = itNext;
    }
    RecycleLocked(std::move(taken));
    const bool bTell = m_bThreadWaits; // for the room made
    lock.unlock();
    if (bTell) {
        m_cv.notify_all();
    }
    for (const COmitted& omitted : vecOmitted) {
        tessaly::win32::TellListingOmission(omitted.strFolder, omitted.strName, omitted.eReason);
    }
    return true;
}

void CFolderListingAhead::Run() {
    // Depth first, sub-folders in listing order: the last pushed is the next listed.
    CListing listing;
    std::vector<CToList> vecSubs;
    // The queue may run dry while the walk lists a folder whose sub-folders are yet to come.
    const auto canGoOn = [this] {
        return m_bStop || (m_vecToList.empty() && !m_bWalkListing) ||
               (!m_vecToList.empty() && HasRoomLocked());
    };
    // A listing is made known once the lock is let go, so that the walk does not wake into a
    // lock still held: that cost a sleep and a wake-up more for each folder.
    bool bToTell = false;
    const auto tell = [&] {
        if (bToTell) {
            m_cv.notify_all();
            bToTell = false;
        }
    };
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!canGoOn()) {
            lock.unlock();
            tell();
            lock.lock();
            m_bThreadWaits = true;
            m_cv.wait(lock, canGoOn);
            m_bThreadWaits = false;
        }
        if (m_bStop || m_vecToList.empty() || g_bAbort.load()) {
            m_bDone = true;
            lock.unlock();
            m_cv.notify_all();
            return;
        }
        const CToList item = std::move(m_vecToList.back());
        m_vecToList.pop_back();
        m_strListing = item.strFolder;
        lock.unlock();
        tell();

        const bool bListed = ListOne(item, listing, vecSubs);

        LockSoon(lock);
        PublishLocked(item, bListed, listing, vecSubs);
        m_strListing.clear();
        bToTell = m_bWalkWaits;
    }
}
