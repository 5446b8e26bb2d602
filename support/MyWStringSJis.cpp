#include <new>

#include "platform/win32/Win32.h"
#include "support/MyWString.h"
#include "support/MyWStringInternal.h"
#include "support/SJisConv.h"

using mywstring_detail::WriteTrace;

CString CMyWString::GetSectorData(DWORD dwStart, DWORD dwCount) const {
    if (dwStart >= m_dwStrLen) {
        return CString();
    }
    if (dwCount == 0 || dwCount > m_dwStrLen - dwStart) {
        dwCount = m_dwStrLen - dwStart;
    }
    const WCHAR* pwcSrc = m_pwcBuff + dwStart;
    const int iBytes = WideCharToMultiByte(CP_ACP, 0, pwcSrc, static_cast<int>(dwCount), nullptr, 0,
                                           nullptr, nullptr);
    if (iBytes <= 0) {
        WriteTrace("※　ワイド文字からの変換予定バイト数が出せません。"
                   "CMyWString::GetSectorData()\n");
        return CString();
    }
    const DWORD dwTempSize = static_cast<DWORD>(iBytes) + 1;
    char* pcTemp = new (std::nothrow) char[dwTempSize];
    if (pcTemp == nullptr) {
        WriteTrace("※　バッファ確保に失敗。CMyWString::GetSectorData()\n\tTempBuffSize[%u]\n",
                   dwTempSize);
        return CString();
    }
    const int iDone = WideCharToMultiByte(CP_ACP, 0, pwcSrc, static_cast<int>(dwCount), pcTemp,
                                          iBytes, nullptr, nullptr);
    if (iDone <= 0) {
        delete[] pcTemp;
        WriteTrace("※　ワイド文字からの変換に失敗。CMyWString::GetSectorData()\n"
                   "\tTempBuffSize[%u]\n",
                   dwTempSize);
        return CString();
    }
    UseNecSelectedTwins(pcTemp, static_cast<DWORD>(iDone));
    CString strResult(pcTemp, iDone);
    delete[] pcTemp;
    return strResult;
}

char* CMyWString::GetSectorDataA(DWORD dwStart, DWORD dwCount) const {
    if (dwStart >= m_dwStrLen) {
        return new (std::nothrow) char[1]();
    }
    if (dwCount > m_dwStrLen - dwStart) {
        dwCount = m_dwStrLen - dwStart;
    }
    const WCHAR* pwcSrc = m_pwcBuff + dwStart;
    const int iBytes = WideCharToMultiByte(CP_ACP, 0, pwcSrc, static_cast<int>(dwCount), nullptr, 0,
                                           nullptr, nullptr);
    if (iBytes <= 0) {
        WriteTrace("※　ワイド文字からの変換予定バイト数が出せません。"
                   "CMyWString::GetSectorDataA()\n");
        return new (std::nothrow) char[1]();
    }
    const DWORD dwTempSize = static_cast<DWORD>(iBytes) + 1;
    char* pcTemp = new (std::nothrow) char[dwTempSize];
    if (pcTemp == nullptr) {
        WriteTrace("※　バッファ確保に失敗。CMyWString::GetSectorDataA()\n\tTempBuffSize[%u]\n",
                   dwTempSize);
        return new (std::nothrow) char[1]();
    }
    const int iDone = WideCharToMultiByte(CP_ACP, 0, pwcSrc, static_cast<int>(dwCount), pcTemp,
                                          iBytes, nullptr, nullptr);
    if (iDone <= 0) {
        delete[] pcTemp;
        WriteTrace("※　ワイド文字からの変換に失敗。CMyWString::GetSectorDataA()\n"
                   "\tTempBuffSize[%u]\n",
                   dwTempSize);
        return new (std::nothrow) char[1]();
    }
    UseNecSelectedTwins(pcTemp, static_cast<DWORD>(iDone));
    pcTemp[iDone] = 0;
    return pcTemp;
}

BOOL CMyWString::CopySectorData(CString* pstrResult, DWORD dwStart, DWORD dwCount) const {
    if (pstrResult == nullptr) {
        return FALSE;
    }
    if (dwStart >= m_dwStrLen) {
        pstrResult->Empty();
        return FALSE;
    }
    if (dwCount == 0 || dwCount > m_dwStrLen - dwStart) {
        dwCount = m_dwStrLen - dwStart;
    }
    char* pcData = GetSectorDataA(dwStart, dwCount);
    if (pcData == nullptr) {
        pstrResult->Empty();
        return FALSE;
    }
    *pstrResult = pcData;
    delete[] pcData;
    return TRUE;
}

CString CMyWString::GetString() const {
    CString strResult;
    CopySectorData(&strResult, 0, m_dwStrLen);
    return strResult;
}
