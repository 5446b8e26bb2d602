// The journal of one run that moves files: where journals live, their text form, and reading one
// back. One file per run in the user's state folder's journal\, named by its start time (UTC),
// UTF-8, one record a line, fields apart by tabs (a tab, line end or percent sign inside a field
// written as %09, %0A, %0D, %25):
//
//   tessaly-journal 1
//   run     TIME  PROGRAM  OPERATION-FOLDER  EXTENSION
//   root    TEMPLATE-ROOT                        (one per root)
//   folder  PATH                                 (a folder the run is about to create)
//   move    SIZE  WRITE-TIME  VOLUME  INDEX  SOURCE  DESTINATION
//   end     TIME  FILES-MOVED
//   undone  TIME
//
// A move's record is on the disk before the move is made; "end" is missing when the run was
// killed, "undone" is added when an undo of the run has gone through all of it. Paths are the
// program's own (drive letter and backslashes).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/core/FileIdentity.h"
#include "platform/framework/core/CString.h"

inline constexpr const char* kJournalMagic = "tessaly-journal 1";
inline constexpr const char* kJournalSuffix = ".journal";

// The journal folder (the first state folder where it exists or can be made); empty when none.
CString GetJournalFolder(BOOL bCreate);

// Field text: the escapes above, and back.
std::string EscapeJournalField(std::string_view strField);
std::string UnescapeJournalField(std::string_view strField);

// "2026-12-09T23:05:10.123Z" for the current time, and the journal's file name for that time,
// "20261209-230510-123.journal": of fixed width, so that names sort as the times do.
std::string JournalTimeNow();
std::string JournalNameFor(std::string_view strTime);

struct CJournalMove {
    CFileIdentity m_identity;
    CString m_strSrc; // the program's paths (CP932)
    CString m_strDst;
};

struct CJournalContent {
    std::string m_strTime;    // the run's start, as written
    std::string m_strProgram; // "tessaly" or "tessaly-batch"
    CString m_strOperationFolder;
    CString m_strExt;
    std::vector<CString> m_vecRoots;
    std::vector<CString> m_vecFolders; // in the order the run made them
    std::vector<CJournalMove> m_vecMoves;
    bool m_bEnded = false;
    DWORD m_dwMovedAtEnd = 0;
    bool m_bUndone = false;
};

// Reads a journal; FALSE when it cannot be read or is not one. A line that does not read as a
// record (one that a kill cut short) is passed over.
BOOL ReadJournal(LPCSTR pcPath, CJournalContent& content);

// What the first and last lines say, read without the records between: the run's time and
// program, whether the journal is undone, and the files moved when its last line is the end.
struct CJournalSummary {
    std::string m_strTime;
    std::string m_strProgram;
    bool m_bUndone = false;
    bool m_bEnded = false;
    DWORD m_dwMovedAtEnd = 0;
};
BOOL ReadJournalSummary(LPCSTR pcPath, CJournalSummary& summary);

// One journal in the folder: its path, size and what its header says.
struct CJournalEntry {
    CString m_strPath;
    ULONGLONG m_ullBytes = 0;
    ULONGLONG m_ullWriteTime = 0; // FILETIME
    CString m_strName;
};
// The folder's journals, oldest first (their names sort by time).
std::vector<CJournalEntry> ListJournals(LPCSTR pcFolder);

// Removes journals older than dwMaxAgeDays, except the newest dwKeep; ullNow is FILETIME.
void PruneJournals(LPCSTR pcFolder, ULONGLONG ullNow, DWORD dwMaxAgeDays = 30, DWORD dwKeep = 20);
