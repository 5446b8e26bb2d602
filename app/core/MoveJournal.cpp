#include "app/core/MoveJournal.h"

#include <charconv>
#include <chrono>
#include <thread>

#include "app/core/JournalFile.h"
#include "platform/win32/Win32.h"
#include "support/PathHelpers.h"
#include "support/SJisConv.h"

namespace {

// NextJournalBatch's sizes and its share of the time for the syncs (a twentieth).
constexpr DWORD kSteadyBatch = 1024;
constexpr DWORD kMaxBatch = 8192;
constexpr int kSyncShare = 20;
constexpr DWORD kMaxAttempts = 100;

// pcAnsi in UTF-8, escaped, appended to strOut: ASCII is its own UTF-8, and any other text is
// converted once, without the escape's second copy.
void AppendField(std::string& strOut, LPCSTR pcAnsi) {
    const auto appendEscaped = [&strOut](std::string_view strUtf8) {
        if (strUtf8.find_first_of("%\t\n\r") == std::string_view::npos) {
            strOut += strUtf8;
            return;
        }
        for (const char c : strUtf8) {
            if (c == '%' || c == '\t' || c == '\n' || c == '\r') {
                strOut += EscapeJournalField(std::string_view(&c, 1));
            } else {
                strOut += c;
            }
        }
    };
    const std::string_view strAnsi(pcAnsi);
    for (const char c : strAnsi) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            appendEscaped(tessaly::win32::AnsiToUtf8(strAnsi));
            return;
        }
    }
    appendEscaped(strAnsi);
}

std::string Field(LPCSTR pcAnsi) {
    std::string strField;
    AppendField(strField, pcAnsi);
    return strField;
}

// The field of strPath, whose last name is strName (its field strNameField): the field of its
// folder comes from cache when it is the last one asked for. Split only after a folder that does
// not end in a lead byte, so that the separator is one and both parts convert as in the whole.
void AppendPathField(std::string& strOut, std::string_view strPath, std::string_view strName,
                     const std::string& strNameField, CJournalFieldCache& cache) {
    const std::size_t uFolder = strPath.size() - std::min(strPath.size(), strName.size() + 1);
    const std::string_view strFolder = strPath.substr(0, uFolder);
    if (uFolder == 0 || !strPath.ends_with(strName) || strPath[uFolder] != '\\') {
        AppendField(strOut, std::string(strPath).c_str());
        return;
    }
    // Only a folder that passed the lead-byte check is kept.
    if (!cache.m_bValid || cache.m_strAnsi != strFolder) {
        cache.m_bValid = false;
        if (IsEndingInSJisLeadByte(strFolder.data(), static_cast<DWORD>(strFolder.size()))) {
            AppendField(strOut, std::string(strPath).c_str());
            return;
        }
        cache.m_strAnsi.assign(strFolder);
        cache.m_strField.clear();
        AppendField(cache.m_strField, cache.m_strAnsi.c_str());
        cache.m_bValid = true;
    }
    strOut += cache.m_strField;
    strOut += '\\';
    strOut += strNameField;
}

std::string_view ViewOf(const CString& str) {
    return {str.GetString(), static_cast<std::size_t>(str.GetLength())};
}

void AppendNumber(std::string& strOut, ULONGLONG ullValue) {
    char acDigits[24];
    const auto result = std::to_chars(acDigits, acDigits + sizeof acDigits, ullValue);
    strOut.append(acDigits, result.ptr);
}

ULONGLONG FileTimeNow() {
    const auto tSince1970 = std::chrono::system_clock::now().time_since_epoch();
    const auto llTicks = std::chrono::duration_cast<std::chrono::microseconds>(tSince1970).count();
    return static_cast<ULONGLONG>(llTicks) * 10 + 116444736000000000ULL;
}

} // namespace

CMoveJournal::~CMoveJournal() {
    Close();
}

void CMoveJournal::Close() {
    if (m_hFile != nullptr) {
        CloseHandle(static_cast<HANDLE>(m_hFile));
        m_hFile = nullptr;
    }
}

BOOL CMoveJournal::Begin(LPCSTR pcProgram, LPCSTR pcOperationFolder, LPCSTR pcExt,
                         const std::vector<CString>& vecRoots, LPCSTR pcFolder) {
    Close();
    m_bFailed = false;
    m_strPending.clear();
    m_mapKnownFolders.clear();
    m_strLastFolder.Empty();
    m_strOperationFolder = pcOperationFolder;
    const CString strFolder = pcFolder != nullptr ? CString(pcFolder) : GetJournalFolder(TRUE);
    if (strFolder.IsEmpty()) {
        return FALSE;
    }
    PruneJournals(strFolder, FileTimeNow());
    // A run that starts in the same millisecond as another waits for the next one, so that every
    // journal's name is its own start time.
    std::string strTime;
    HANDLE hFile = INVALID_HANDLE_VALUE;
    for (DWORD dwAttempt = 1; hFile == INVALID_HANDLE_VALUE && dwAttempt <= kMaxAttempts;
         ++dwAttempt) {
        if (dwAttempt > 1) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        strTime = JournalTimeNow();
        m_strPath = strFolder + "\\" + JournalNameFor(strTime).c_str();
        hFile = CreateFileA(m_strPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    if (hFile == INVALID_HANDLE_VALUE) {
        m_strPath.Empty();
        return FALSE;
    }
    m_hFile = hFile;
    m_strPending = std::string(kJournalMagic) + "\nrun\t" + strTime + "\t" +
                   EscapeJournalField(pcProgram) + "\t" + Field(pcOperationFolder) + "\t" +
                   Field(pcExt) + "\n";
    for (const CString& strRoot : vecRoots) {
        m_strPending += "root\t" + Field(strRoot) + "\n";
    }
    if (!Commit()) {
        Close();
        DeleteFileA(m_strPath);
        m_strPath.Empty();
        return FALSE;
    }
    return TRUE;
}

bool CMoveJournal::NoteFolders(const CString& strOperationFolder, const CString& strFolder) {
    // Entries come folder by folder: the one before's folder is known.
    if (strFolder == m_strLastFolder) {
        return false;
    }
    m_strLastFolder = strFolder;
    bool bFirst = false;
    return NoteFolder(strOperationFolder, strFolder, &bFirst) && bFirst;
}

bool CMoveJournal::NoteFolder(const CString& strOperationFolder, const CString& strFolder,
                              bool* pbFirst, bool bLookAgain) {
    if (strFolder.GetLength() <= strOperationFolder.GetLength()) {
        return false;
    }
    const auto [it, bNew] = m_mapKnownFolders.try_emplace(std::string(strFolder.GetString()));
    if (pbFirst != nullptr) {
        *pbFirst = bNew;
    }
    bool& bMissing = it->second; // elements stay put as the map grows
    if (bNew || (bLookAgain && !bMissing)) {
        // Parents first, both in the journal and in the lookups: below a folder that is not
        // there, nothing is there either.
        bMissing =
            NoteFolder(strOperationFolder, GetFolderFromPath(strFolder), nullptr, bLookAgain) ||
            !IsExistFile(strFolder, TRUE, FALSE);
        if (bMissing) {
            m_strPending += "folder\t" + Field(strFolder) + "\n";
        }
    }
    return bMissing;
}

BOOL CMoveJournal::NoteMove(const MovePaths& paths, bool* pbFolderToMake) {
    CFileIdentity identity;
    if (m_hFile == nullptr || !IdentifyFileBeforeMove(paths.m_strSrcPath, identity)) {
        return FALSE;
    }
    const bool bFolderToMake = NoteFolders(m_strOperationFolder, paths.m_strDstFolder);
    if (pbFolderToMake != nullptr) {
        *pbFolderToMake = bFolderToMake;
    }
    m_strPending += "move";
    for (const ULONGLONG ullField :
         {identity.m_ullSize, identity.m_ullWriteTime, static_cast<ULONGLONG>(identity.m_dwVolume),
          identity.m_ullIndex}) {
        m_strPending += '\t';
        AppendNumber(m_strPending, ullField);
    }
    // Both paths end in the same name, and come folder by folder.
    m_strNameField.clear();
    AppendField(m_strNameField, paths.m_strNewName);
    m_strPending += '\t';
    const std::string_view strName = ViewOf(paths.m_strNewName);
    AppendPathField(m_strPending, ViewOf(paths.m_strSrcPath), strName, m_strNameField,
                    m_srcFolderField);
    m_strPending += '\t';
    AppendPathField(m_strPending, ViewOf(paths.m_strDstPath), strName, m_strNameField,
                    m_dstFolderField);
    m_strPending += '\n';
    return TRUE;
}

BOOL CMoveJournal::Commit() {
    if (m_hFile == nullptr || m_bFailed) {
        return FALSE;
    }
    const HANDLE hFile = static_cast<HANDLE>(m_hFile);
    std::size_t uDone = 0;
    while (uDone < m_strPending.size()) {
        const DWORD dwPiece =
            static_cast<DWORD>(std::min<std::size_t>(m_strPending.size() - uDone, 1U << 30));
        DWORD dwWritten = 0;
        if (!WriteFile(hFile, m_strPending.data() + uDone, dwPiece, &dwWritten, nullptr)) {
            m_bFailed = true;
            return FALSE;
        }
        uDone += dwWritten;
    }
    m_strPending.clear();
    if (!FlushFileBuffers(hFile)) {
        m_bFailed = true;
        return FALSE;
    }
    return TRUE;
}

BOOL CMoveJournal::RecordFolderToMake(const CString& strFolder) {
    if (m_hFile == nullptr || m_bFailed) {
        return FALSE;
    }
    NoteFolder(m_strOperationFolder, strFolder, nullptr, true);
    return m_strPending.empty() || Commit();
}

BOOL CMoveJournal::End(DWORD dwMoved) {
    m_strPending += "end\t" + JournalTimeNow() + "\t" + std::to_string(dwMoved) + "\n";
    const BOOL bOk = Commit();
    Close();
    return bOk;
}

DWORD NextJournalBatch(DWORD dwBatch, std::chrono::steady_clock::duration tBatch,
                       std::chrono::steady_clock::duration tSync) {
    if (dwBatch < kSteadyBatch || (dwBatch < kMaxBatch && tSync * kSyncShare > tBatch)) {
        return dwBatch * 2;
    }
    return dwBatch;
}

std::vector<CString> DistinctRoots(const CFileList& store) {
    std::vector<CString> vecRoots;
    std::unordered_set<std::string> setSeen;
    std::string_view strLast;
    for (DWORD i = 0; i < store.GetCount(); ++i) {
        const std::string_view strRoot = store.GetAt(i).m_strRoot.View();
        // Entries of one pick come together: most share the one before's root.
        if (i > 0 && strRoot == strLast) {
            continue;
        }
        strLast = strRoot;
        if (setSeen.emplace(strRoot).second) {
            vecRoots.emplace_back(strRoot.data(), static_cast<int>(strRoot.size()));
        }
    }
    return vecRoots;
}

CJournalAhead::CJournalAhead(CMoveJournal* pJournal, const CFileList& store,
                             LPCSTR pcOperationFolder, LPCSTR pcExt,
                             std::function<bool(DWORD)> fnWillTry)
    : m_pJournal(pJournal), m_store(store), m_strOperationFolder(pcOperationFolder),
      m_strExt(pcExt), m_fnWillTry(std::move(fnWillTry)) {}

CJournalAhead::~CJournalAhead() {
    Stop();
}

void CJournalAhead::Stop() {
    m_bStop = true;
    Wait();
}

bool CJournalAhead::RecordFolderToMake(const CString& strFolder) {
    if (m_pJournal == nullptr) {
        return true;
    }
    // The journal is the look-ahead thread's while it records the next batch.
    Wait();
    if (m_bFailed || !m_pJournal->RecordFolderToMake(strFolder)) {
        m_bFailed = true;
        return false;
    }
    return true;
}

void CJournalAhead::Wait() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void CJournalAhead::Record(CBatch& batch, DWORD dwStart, DWORD dwSize) {
    const DWORD dwCount = m_store.GetCount();
    batch.m_dwStart = dwStart;
    batch.m_dwEnd = dwCount - dwStart > dwSize ? dwStart + dwSize : dwCount;
    const DWORD dwEntries = batch.m_dwEnd - dwStart;
    batch.m_vecRecorded.assign(dwEntries, kNotRecorded);
    batch.m_vecBuilt.assign(dwEntries, 0);
    if (batch.m_vecPaths.size() < dwEntries) {
        batch.m_vecPaths.resize(dwEntries);
    }
    // A stopped pass moves nothing more: the rest goes unrecorded.
    for (DWORD j = dwStart; j < batch.m_dwEnd && !m_bStop; ++j) {
        MovePaths& paths = batch.m_vecPaths[j - dwStart];
        if ((!m_fnWillTry || m_fnWillTry(j)) &&
            BuildMovePaths(&m_store.GetAt(j), &paths, m_strOperationFolder, m_strExt)) {
            batch.m_vecBuilt[j - dwStart] = 1;
            // An entry at the root stays where it is: nothing to record.
            if (paths.m_strSrcPath == paths.m_strDstPath) {
                batch.m_vecRecorded[j - dwStart] = kRecorded;
            } else if (bool bFolderToMake = false; m_pJournal->NoteMove(paths, &bFolderToMake)) {
                batch.m_vecRecorded[j - dwStart] =
                    bFolderToMake ? kRecordedSeenNoFolder : kRecordedSeen;
            }
        }
    }
    const auto tSync = std::chrono::steady_clock::now();
    batch.m_bFailed = !m_pJournal->Commit();
    batch.m_tSync = std::chrono::steady_clock::now() - tSync;
}

void CJournalAhead::RecordNextAhead() {
    if (m_current.m_dwEnd >= m_store.GetCount() || m_bStop) {
        return;
    }
    const auto tStart = std::chrono::steady_clock::now();
    m_dwBatch = NextJournalBatch(m_dwBatch, tStart - m_tBatchStart, m_current.m_tSync);
    m_tBatchStart = tStart;
    m_bNextStarted = true;
    m_thread = std::thread([this, dwStart = m_current.m_dwEnd, dwSize = m_dwBatch] {
        Record(m_next, dwStart, dwSize);
    });
}

bool CJournalAhead::Ready(DWORD i) {
    if (m_pJournal == nullptr) {
        return true;
    }
    if (m_bFailed) {
        return false;
    }
    if (i < m_current.m_dwStart || i >= m_current.m_dwEnd) {
        Wait();
        if (m_bNextStarted && m_next.m_dwStart == i) {
            std::swap(m_current, m_next);
        } else {
            // The first batch, or a pass that went elsewhere: recorded before anything moves.
            const auto tStart = std::chrono::steady_clock::now();
            m_dwBatch = NextJournalBatch(m_dwBatch, tStart - m_tBatchStart, m_current.m_tSync);
            m_tBatchStart = tStart;
            Record(m_current, i, m_dwBatch);
        }
        m_bNextStarted = false;
        if (m_current.m_bFailed) {
            m_bFailed = true;
            return false;
        }
        RecordNextAhead();
    }
    return m_current.m_vecRecorded[i - m_current.m_dwStart] != kNotRecorded;
}

bool CJournalAhead::TakePaths(DWORD i, MovePaths& paths) {
    if (m_pJournal == nullptr || i < m_current.m_dwStart || i >= m_current.m_dwEnd ||
        !m_current.m_vecBuilt[i - m_current.m_dwStart]) {
        return false;
    }
    m_current.m_vecBuilt[i - m_current.m_dwStart] = 0;
    std::swap(paths, m_current.m_vecPaths[i - m_current.m_dwStart]);
    return true;
}

ESeenBeforeMove CJournalAhead::Seen(DWORD i) const {
    if (m_pJournal == nullptr || i < m_current.m_dwStart || i >= m_current.m_dwEnd) {
        return ESeenBeforeMove::Nothing;
    }
    switch (m_current.m_vecRecorded[i - m_current.m_dwStart]) {
    case kRecordedSeen:
        return ESeenBeforeMove::Source;
    case kRecordedSeenNoFolder:
        return ESeenBeforeMove::SourceNoFolder;
    default:
        return ESeenBeforeMove::Nothing;
    }
}
