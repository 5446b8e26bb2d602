// The collection: the store plus the name filter and the operations that fill it from a picker's
// selection. Single picked files are added from their find data; picked folders are walked in
// pre-order (a folder's own files before those of its sub-folders), each folder made the current
// directory while it is listed. Every file is added at most once, by its full path.
//
// The scans run on the collection worker, poll g_bAbort per directory entry and take every entry's
// root from g_strPickRoot. Results tell whether everything examined was added; a file left out by
// the filter or the duplicate check, a folder that cannot be entered, or an exhausted store makes
// them FALSE. Nothing here shows a message or writes a trace line.
#pragma once

#include <map>
#include <set>
#include <utility>
#include <vector>

#include "engine/CollectionHost.h"
#include "engine/FileList.h"
#include "platform/framework/core/CString.h"
#include "platform/win32/Win32Files.h"
#include "support/MyRegex.h"
#include "support/MyWString.h"

class CFolderListingAhead;

class CFileCollector : public CFileList {
public:
    // A full store grows by this much when a single picked file is added.
    static constexpr DWORD kPickedFileGrowBy = 4096;
    // The longest extension the filter compares.
    static constexpr DWORD kMaxExtLen = 4;

    CFileCollector();
    ~CFileCollector() override;

    // TRUE when the name passes the filter. strName is reduced in place (to its name when
    // bStripFolder is set, then to its extension in extension mode). Regex mode: the whole name
    // must match. Extension mode: the text after the last dot of the name, 1 to 4 characters,
    // equals m_strExtFilter with A-Z folded to a-z.
    BOOL PassesFilter(CMyWString& strName, BOOL bStripFolder);
    // The same for a name without its folder, as a listing gives it.
    BOOL PassesFilterOnName(LPCSTR pcName);

    // One picked file of pcFolder. A directory record, an empty folder or a path already in the
    // store adds nothing.
    BOOL AddFound(LPCSTR pcFolder, const WIN32_FIND_DATAA& findData);
    BOOL AddFoundFiltered(LPCSTR pcFolder, const WIN32_FIND_DATAA& findData);

    // A folder is walked when bRecurse is set; a file is added with the part of the path before
    // its last separator as its folder.
    BOOL AddPath(LPCSTR pcPath, BOOL bRecurse);
    BOOL AddPathFiltered(LPCSTR pcPath, BOOL bRecurse);

    // The folders picked in pcBase, each walked as AddPath(folder, TRUE) walks it, in order. pcBase
    // counts as on the path of every walk: a link in a picked folder back to it (up -> ..) is a
    // loop, as a link to any other folder on the way is. With walks tracked, a folder that one
    // pick's walk reached is not walked again for another. The batch tool and the window's Add
    // both collect through this.
    BOOL AddPickedFolders(LPCSTR pcBase, const std::vector<CString>& vecFolders, BOOL bFiltered);

    // Walks pcFolder and, with bRecurse, every folder below it. Returns with the current
    // directory as it found it, also after an abort. A folder that is already on the path being
    // walked (a link back up the tree) is not entered again and makes the result FALSE.
    BOOL ScanFolder(LPCSTR pcFolder, BOOL bRecurse);
    BOOL ScanFolderFiltered(LPCSTR pcFolder, BOOL bRecurse);

    // Where skipped entries are told (null: nowhere, the default).
    void SetSkipHost(ICollectionSkipHost* pHost) { m_pSkipHost = pHost; }

    // With bTrack, every folder walked is remembered until tracking is turned off again, so a
    // folder reached a second time (through a link, or as another argument) is not walked again
    // and the skip host is told. Off by default: a walk then only avoids the folders on its path.
    void TrackWalkedFolders(BOOL bTrack);
    // Remembers pcFolder as walked (a folder whose entries the caller picked itself). FALSE when
    // it was walked before; pstrFirst then receives the path it was walked as.
    BOOL MarkFolderWalked(LPCSTR pcFolder, CString* pstrFirst = nullptr);

    // Filter settings, written by the Add command before each collection.
    BOOL m_bExtFilter;
    BOOL m_bUseRegex;
    BOOL m_bRegexOk;
    CMyRegex m_regex;
    CString m_strExtFilter;

private:
    // The (volume serial, file index) of every folder on the path being walked.
    using CFolderId = std::pair<DWORD, ULONGLONG>;
    using CFolderIdSet = std::set<CFolderId>;

    BOOL AddFoundIn(LPCSTR pcFolder, const WIN32_FIND_DATAA& findData, BOOL bFiltered);
    BOOL AddPathIn(LPCSTR pcPath, BOOL bRecurse, BOOL bFiltered);
    BOOL AddFile(const CString& strFolder, const WIN32_FIND_DATAA& findData);
    BOOL IsFilterUsable() const;
    BOOL ScanFolderIn(LPCSTR pcFolder, BOOL bRecurse, BOOL bFiltered, CFolderIdSet& setOnPath);
    BOOL ScanEntries(const CString& strFolder, BOOL bRecurse, BOOL bFiltered,
                     std::vector<CString>& vecSubFolders);
    BOOL ExtensionMatches(const CMyWString& strExt);
    // A link whose target does not exist is no file to collect. findData: a listing's record, or
    // with bPicked a picker's, which keeps only the folder bit.
    static BOOL IsDanglingLink(LPCSTR pcPath, const WIN32_FIND_DATAA& findData, BOOL bPicked);
    void TellSkip(LPCSTR pcPath, ECollectSkip eWhy, DWORD dwError, LPCSTR pcFirst = nullptr);
    void TellIfFilterGaveUp(const CString& strFolder, LPCSTR pcName);

    ICollectionSkipHost* m_pSkipHost = nullptr;
    BOOL m_bTrackWalked = FALSE;
    std::map<CFolderId, CString> m_mapWalked; // with m_bTrackWalked: folder id -> path walked as

    // m_strExtFilter in UTF-16, converted again only when the setting changes.
    CString m_strExtFilterSeen;
    CMyWString m_strExtFilterWide;
    // PassesFilterOnName's UTF-16 form of a name, its room kept from one name to the next.
    CMyWString m_strNameWide;
    // During a walk from a drive path: the listings made ahead of it (null otherwise).
    CFolderListingAhead* m_pListingAhead = nullptr;
    std::vector<WIN32_FIND_DATAA> m_vecListed; // the listing last taken from it
};
