// What the collection procedure needs from the picker that chose the items and from the window (or
// terminal tool) that owns the collection. The engine cannot include either, so it declares these
// two interfaces; the picker dialog, the main dialog and the batch tool implement them.
#pragma once

#include "platform/framework/core/CString.h"
#include "platform/win32/Win32Files.h"

class CFileCollector;

// The confirmed picker of one Add: its folder and the records of the selected entries.
class ICollectionPicker {
public:
    virtual ~ICollectionPicker() = default;

    // The current folder as the picker showed it (a root keeps its backslash): where the next
    // picker opens.
    virtual CString GetCurDir() const = 0;
    // The current folder without trailing backslash (a root gives letter and colon); 1 on success,
    // 0 when the picker has no current folder.
    virtual int GetPickedFolder(CString& strFolder) const = 0;
    // The number of selected entries and the i-th of them (0 <= i < GetItemNum()), in row order;
    // a record holds the bare name, the directory bit and the size. The reference holds until the
    // next call.
    virtual int GetItemNum() const = 0;
    virtual const WIN32_FIND_DATAA& GetFindData(int i) const = 0;
    // Ends the picker's life once the collection has read it (the dialog deletes itself); the
    // procedure does not touch the object afterwards.
    virtual void ReleasePicker() = 0;
};

// The owner of the collection. Every call comes from the collection worker; the window forwards
// them to its own thread and waits, so each returns only when its work is done.
class ICollectionOwner {
public:
    virtual ~ICollectionOwner() = default;

    virtual CFileCollector& GetCollection() = 0;
    // Remembers the folder in which the next picker opens.
    virtual void SetNextPickerFolder(const CString& strFolder) = 0;
    // The filtered add and walk are used when regex mode is on or the extension text is not "*".
    virtual BOOL IsFilterActive() const = 0;
    // Shows the count of duplicated files in a message box and returns when the user
    // has closed the message.
    virtual void ShowDuplicateCount(DWORD dwCount) = 0;
    // Writes the path list of the duplicates (one "%s\n" line per file) to ConflictFile.txt and
    // opens it.
    virtual void WriteDuplicateReport(const CString& strPathList) = 0;
    // Rebuilds the rows from the collection; TRUE when every row was inserted.
    virtual BOOL FillList() = 0;
    virtual void ShowByteTotal(ULONGLONG ullTotal) = 0;
    // Tells the owner's thread that the collection has ended (WM_WORK_DONE to the window).
    virtual void PostWorkDone() = 0;
};

// Why a walk could not take a file or folder it met.
enum class ECollectSkip {
    FolderNotEntered,   // SetCurrentDirectoryA refused it (dwError says why)
    FolderNotListed,    // its enumeration could not start (dwError says why)
    FilterGaveUp,       // the regular expression gave up on the name as too complex
    FolderWalkedBefore, // reached again through a link: not walked twice (pcFirstPath: as what)
};

// Told of what a walk skips, for an owner that names each such entry (the batch tool). The window
// sets none: its walks skip silently.
class ICollectionSkipHost {
public:
    virtual ~ICollectionSkipHost() = default;
    // pcPath: the file or folder as the walk built its path; pcFirstPath only for
    // FolderWalkedBefore, else null.
    virtual void OnCollectSkip(LPCSTR pcPath, ECollectSkip eWhy, DWORD dwError,
                               LPCSTR pcFirstPath) = 0;
};
