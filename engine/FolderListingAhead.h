// The listings of the folders a walk will enter, made on a thread of their own a few folders
// ahead, in the order a depth-first walk in listing order enters them: the walk then finds most
// of its folders listed. A listing is the folder as it was a moment before the walk reached it.
// Whatever the thread did not list (a folder it could not, one too large to hold, one the walk
// reached first by another way) the walk lists itself, as it always did.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/win32/Win32Files.h"

// "." or "..": entries a walk neither takes in nor enters.
bool IsDotsName(LPCSTR pcName);

class CFolderListingAhead {
public:
    // Starts listing at strTop, a folder given with its drive, and below it.
    explicit CFolderListingAhead(const std::string& strTop);
    // Stops the thread and waits for it.
    ~CFolderListingAhead();
    CFolderListingAhead(const CFolderListingAhead&) = delete;
    CFolderListingAhead& operator=(const CFolderListingAhead&) = delete;

    // The entries of strFolder ("." and ".." among them, as FindNextFileA gives them) into
    // vecEntries, waiting while the thread lists it; false when the thread did not list it.
    // Listings made for folders ahead of strFolder that the walk has passed are dropped.
    bool Take(const std::string& strFolder, std::vector<WIN32_FIND_DATAA>& vecEntries);

private:
    struct CListing {
        std::uint64_t uOrder = 0; // in the order listed
        std::vector<WIN32_FIND_DATAA> vecEntries;
    };
    void Run();
    bool HasRoomLocked() const;

    std::mutex m_mutex; // guards what follows
    std::condition_variable m_cv;
    std::unordered_map<std::string, CListing> m_mapListed;
    std::size_t m_uEntriesHeld = 0;       // in m_mapListed
    std::string m_strListing;             // the folder being listed now
    std::vector<std::string> m_vecToList; // the last is listed next
    std::uint64_t m_uNextOrder = 0;
    bool m_bStop = false;
    bool m_bDone = false; // the thread lists nothing more
    std::thread m_thread;
};
