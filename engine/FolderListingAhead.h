// The listings of the folders a walk will enter, made on a thread of their own a few folders
// ahead, in the order a depth-first walk in listing order enters them: the walk then finds most
// of its folders listed. A listing is the folder as it was a moment before the walk reached it.
// Whatever the thread did not list (a folder it could not, one too large to hold, one the walk
// reached first by another way) the walk lists itself, as it always did.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/win32/ListingOmissions.h"
#include "platform/win32/Win32Files.h"

// "." or "..": entries a walk neither takes in nor enters.
bool IsDotsName(LPCSTR pcName);

class CFolderListingAhead {
public:
    // Starts listing at strTop, a folder given with its drive, and below it.
    explicit CFolderListingAhead(const std::string& strTop);
    // The same for several such folders, which the walk enters one after the other in this order.
    explicit CFolderListingAhead(const std::vector<std::string>& vecTops);
    // Stops the thread and waits for it.
    ~CFolderListingAhead();
    CFolderListingAhead(const CFolderListingAhead&) = delete;
    CFolderListingAhead& operator=(const CFolderListingAhead&) = delete;

    // The entries of strFolder ("." and ".." among them, as FindNextFileA gives them) into
    // vecEntries, waiting while the thread lists it; false when it was not listed ahead.
    // Meanwhile the calling walk lists the folder after it itself, rather than wait idle; one the
    // thread has not begun, it lists itself.
    // Listings made for folders ahead of strFolder that the walk has passed are dropped.
    bool Take(const std::string& strFolder, std::vector<WIN32_FIND_DATAA>& vecEntries);
    // How many folders the walk has listed itself in Take so far.
    std::size_t ListedByWalk() const { return m_uListedByWalk; }

private:
    // A folder's place in the walk's order: the indexes of the sub-folders that lead to it from
    // the top, four bytes each, big-endian, so that comparing places compares their bytes.
    using CPlace = std::string;
    struct CToList {
        std::string strFolder;
        CPlace place;
    };
    // A name the listing left out, for the walk's own listener to hear of once it takes it.
    struct COmitted {
        std::string strFolder;
        std::string strName;
        tessaly::win32::ListingOmission eReason;
    };
    struct CListing {
        CPlace place;
        std::vector<WIN32_FIND_DATAA> vecEntries;
        std::vector<COmitted> vecOmitted;
    };
    // The place of the uIndex-th sub-folder of the folder at place.
    static CPlace PlaceBelow(const CPlace& place, std::size_t uIndex);
    void Run();
    bool HasRoomLocked() const;
    // Drops the folders queued before strFolder, which the walk entering it has passed, unless
    // the thread lists them first: strFolder is then the next.
    void DropPassedLocked(const std::string& strFolder);
    // Lists item (without the lock) into listing and its sub-folders into vecSubs, in the order
    // to take them from the back; false when it is the walk's to list.
    static bool ListOne(const CToList& item, CListing& listing, std::vector<CToList>& vecSubs);
    // Holds item's listing for the walk and queues its sub-folders in their place.
    void PublishLocked(const CToList& item, bool bListed, CListing& listing,
                       std::vector<CToList>& vecSubs);

    using CListed = std::unordered_map<std::string, CListing>;
    // A listing the walk took, left for the thread to fill again: its buffers (of the walk's
    // listing before) change hands, and neither thread frees what the other allocated, which
    // held both at the allocator's lock on every folder.
    void RecycleLocked(CListed::node_type&& node);

    std::mutex m_mutex; // guards what follows
    std::condition_variable m_cv;
    CListed m_mapListed;
    // Taken listings, for the thread to fill again.
    std::vector<CListed::node_type> m_vecSpare;
    std::size_t m_uEntriesHeld = 0;   // in m_mapListed
    std::string m_strListing;         // the folder the thread lists now
    std::vector<CToList> m_vecToList; // the last is listed next
    bool m_bWalkListing = false;      // the walk lists one of them itself
    std::size_t m_uListedByWalk = 0;  // the walk's thread alone uses it
    // Who waits on m_cv: the others tell it only then (a wake-up the walk did not need took the
    // thread's turn from it on a busy core).
    bool m_bThreadWaits = false;
    bool m_bWalkWaits = false;
    bool m_bStop = false;
    bool m_bDone = false; // the thread lists nothing more
    // What the walk lists itself, its room kept from one folder to the next (the walk's alone).
    CListing m_walkListing;
    std::vector<CToList> m_vecWalkSubs;
    std::thread m_thread;
};
