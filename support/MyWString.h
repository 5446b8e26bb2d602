// The program's own growable UTF-16 string with a sticky error flag. Shift-JIS text from the
// platform comes in through the converting constructor, assignment or SetData, is edited as UTF-16
// and leaves as Shift-JIS again (GetSectorData, GetString). No operation throws: each reports
// through its result, and failures that matter are written to the trace log.
//
// Positions and counts are UTF-16 code units; surrogate pairs get no special treatment. While the
// buffer is not null, length < capacity and the buffer holds 0 at index length. A string whose
// allocation failed has a null buffer with capacity and length 0 and behaves as empty.
#pragma once

#include <vector>

#include "platform/framework/core/CString.h"
#include "platform/win32/Win32Types.h"

class CMyWString {
public:
    static constexpr DWORD kInitialBuffSize = 2000;
    static constexpr DWORD kMaxBuffSize = 0x7FFFFFFF;  // assign and append, terminator included
    static constexpr DWORD kMaxInsertLen = 0x7FFFFFFE; // Insert cuts the text to fit this
    static constexpr DWORD kSJisChunkSize = 1000000;   // pieces of the Shift-JIS constructor
    static constexpr DWORD kSetDataSlack = 1000;       // wide SetData; the Shift-JIS form adds 1
    static constexpr DWORD kInsertSlack = 2048;
    static constexpr DWORD kDefaultMaxExtLen = 4;

    CMyWString();
    CMyWString(const char* pcStr);
    // dwCount 0 or 0xFFFFFFFF (or more than the text holds) takes the whole text.
    CMyWString(const WCHAR* pwcStr, DWORD dwCount = 0);
    CMyWString(const CMyWString& strSrc);
    ~CMyWString();

    CMyWString& operator=(const WCHAR* pwcStr);
    CMyWString& operator=(const CMyWString& strSrc);
    CMyWString& operator=(const char* pcStr);

    // Capacity for need characters (terminator included) grown from dwCurSize; 0xFFFFFFFF when no
    // capacity can be given. The arithmetic is double precision, so results may be one below the
    // exact product.
    static DWORD CalcNewBuffSize(DWORD dwCurSize, DWORD dwNeedSize, DWORD dwLimit = kMaxBuffSize);

    // dwCount 0 or 0xFFFFFFFF: the whole source. Copying stops at a 0 character.
    BOOL SetData(const WCHAR* pwcStr, DWORD dwCount = 0);
    // iCount 0: the whole text; a negative count fails.
    BOOL SetData(const char* pcStr, int iCount = 0);

    BOOL Append(const WCHAR* pwcStr, BOOL bLineFeed = FALSE);
    // dwCount characters of pwcStr from dwStart, cut to what the text holds.
    BOOL Append(const WCHAR* pwcStr, DWORD dwStart, DWORD dwCount, BOOL bLineFeed = FALSE);
    // dwCount 0 (or more than the text holds): the whole text. A position at or past the end
    // appends.
    BOOL Insert(DWORD dwPos, const WCHAR* pwcStr, DWORD dwCount = 0);
    BOOL Delete(DWORD dwPos, DWORD dwCount);
    // Keeps the characters from dwFirst to dwLast inclusive.
    BOOL KeepSector(DWORD dwFirst, DWORD dwLast);
    // dwNewLen 0 or 0xFFFFFFFF: the whole new text; a null or empty new text deletes.
    BOOL Replace(DWORD dwPos, DWORD dwOldLen, const WCHAR* pwcNewStr, DWORD dwNewLen = 0);
    // Replaces every occurrence from dwStart on; text put in is never searched again. Returns the
    // number of replacements. Lengths 0 or 0xFFFFFFFF mean the whole text.
    DWORD ReplaceAll(DWORD dwStart, const WCHAR* pwcPattern, DWORD dwPatternLen,
                     const WCHAR* pwcReplace, DWORD dwReplaceLen, BOOL bIgnoreCase = FALSE);
    // A new buffer of dwNewBuffSize characters with the first dwHeadLen characters kept and
    // dwMoveCount characters moved from dwSrcPos to dwDestPos. The length is left to the caller.
    BOOL ResizeBuffAndMoveSector(DWORD dwNewBuffSize, DWORD dwHeadLen, DWORD dwSrcPos,
                                 DWORD dwDestPos, DWORD dwMoveCount);

    // Searches return a position or -1. bIgnoreCase folds the ASCII letters only.
    int Find(DWORD dwStart, const WCHAR* pwcPattern, DWORD dwPatternLen = 0,
             BOOL bIgnoreCase = FALSE) const;
    // The last non-overlapping occurrence counted from dwStart.
    int ReverseFind(DWORD dwStart, const WCHAR* pwcPattern, BOOL bIgnoreCase = FALSE) const;
    int ReverseFind(DWORD dwStart, const char* pcPattern, BOOL bIgnoreCase = FALSE) const;
    int FindOneOf(DWORD dwStart, const char* pcSet) const;
    int ReverseFindChar(WCHAR wcChar) const;
    int ReverseFindCharA(char cChar) const;
    // Ordinal comparison (<0, 0, >0); -1 for a null text or while the error flag is set.
    int Compare(const WCHAR* pwcStr, BOOL bIgnoreCase = FALSE) const;
    int Compare(const char* pcStr, BOOL bIgnoreCase = FALSE) const;
    // The one case folding of the ignore-case searches and comparisons: A-Z to a-z.
    static WCHAR FoldAscii(WCHAR wc) {
        return (wc >= u'A' && wc <= u'Z') ? static_cast<WCHAR>(wc + (u'a' - u'A')) : wc;
    }
    // The text that CMyWString(pcStr) would hold, converted into vecBuff (grown as needed and
    // kept for the next call, so that a million names cost no allocation each); its length in
    // *pdwLen. FALSE where the constructor would have set the error flag.
    static BOOL ConvertInto(const char* pcStr, std::vector<WCHAR>& vecBuff, DWORD* pdwLen);

    void Empty();
    // 0xFFFFFFFF means 0x7FFFFFFF; the content is cut to fit.
    BOOL SetBuffSize(DWORD dwNewBuffSize);

    // Path reductions over the separators "\" and "/"; dwMaxExtLen 0 means 4.
    BOOL LeaveExtension(DWORD dwMaxExtLen = 0);
    BOOL LeaveFileTitle(DWORD dwMaxExtLen = 0);
    BOOL LeaveFileName();

    // Shift-JIS out. dwCount 0 (GetSectorData, CopySectorData) or more than remains: to the end.
    CString GetSectorData(DWORD dwStart, DWORD dwCount = 0) const;
    // A new[] array the caller deletes, never null while memory lasts; dwCount is taken literally.
    char* GetSectorDataA(DWORD dwStart, DWORD dwCount) const;
    BOOL CopySectorData(CString* pstrResult, DWORD dwStart, DWORD dwCount = 0) const;
    CString GetString() const;

    // The content for readers: may be null after a failed allocation.
    const WCHAR* GetBuff() const { return m_pwcBuff; }
    DWORD GetLength() const { return m_dwStrLen; }
    DWORD GetBuffSize() const { return m_dwBuffSize; }
    BOOL GetError() const { return m_bError; }

private:
    void FreeBuff();
    BOOL AppendRange(const WCHAR* pwcStr, DWORD dwCount, BOOL bLineFeed);
    int FindIn(DWORD dwStart, const WCHAR* pwcPattern, DWORD dwPatternLen, BOOL bIgnoreCase) const;
    int ReverseFindIn(DWORD dwStart, const WCHAR* pwcPattern, DWORD dwPatternLen,
                      BOOL bIgnoreCase) const;

    WCHAR* m_pwcBuff;
    DWORD m_dwBuffSize;
    DWORD m_dwStrLen;
    BOOL m_bError;
};
