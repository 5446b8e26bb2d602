#include "tools/batch/BatchPicker.h"

#include "support/MyWString.h"
#include "support/PathHelpers.h"

namespace {

CString CurrentDirectory() {
    CString strDir;
    return GetCurrentDir(&strDir) ? strDir : CString();
}

} // namespace

CString AbsoluteFolder(LPCSTR pcPath, DWORD* pdwError) {
    const CString strSaved = CurrentDirectory();
    CString strResult;
    if (SetCurrentDirectoryA(pcPath)) {
        strResult = CurrentDirectory();
    } else if (pdwError != nullptr) {
        *pdwError = GetLastError();
    }
    if (!strSaved.IsEmpty()) {
        SetCurrentDirectoryA(strSaved);
    }
    return strResult;
}

CBatchPicker::EOpen CBatchPicker::Open(LPCSTR pcPath) {
    const CString strSaved = CurrentDirectory();
    EOpen eResult = EOpen::Missing;
    DWORD dwFolderError = 0;
    const CString strFolder = AbsoluteFolder(pcPath, &dwFolderError);
    m_dwOpenError = dwFolderError;
    if (!strFolder.IsEmpty()) {
        // Opened in the folder, everything selected and confirmed.
        m_folder.m_strCurDir = strFolder;
        if (m_folder.ListCurrentFolder()) {
            eResult = EOpen::Folder;
        } else {
            m_dwOpenError = GetLastError();
        }
    } else {
        WIN32_FIND_DATAA findData;
        const BOOL bFound = GetFileFindData(&findData, pcPath);
        if (!bFound && dwFolderError == ERROR_PATH_NOT_FOUND) {
            m_dwOpenError = GetLastError(); // the lookup of the file says more than the folder's
        }
        if (bFound && (findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            // The parent is cut on the UTF-16 form, so a trail byte 0x5C is never a separator.
            CMyWString strPath(pcPath);
            const int iBack = strPath.ReverseFindChar(u'\\');
            const int iSlash = strPath.ReverseFindChar(u'/');
            const int iSep = iBack > iSlash ? iBack : iSlash;
            CString strParent = iSep > 0 ? strPath.GetSectorData(0, static_cast<DWORD>(iSep))
                                         : CString(iSep == 0 ? "\\" : ".");
            if (strParent.GetLength() == 2 && strParent[1] == ':') {
                strParent += "\\";
            }
            m_folder.m_strCurDir = AbsoluteFolder(strParent);
            if (!m_folder.m_strCurDir.IsEmpty()) {
                findData.dwFileAttributes = 0;
                m_folder.m_aFindData.SetAt(0, findData);
                m_folder.m_iItemNum = 1;
                m_folder.m_iFolderNum = 0;
                eResult = EOpen::File;
            }
        }
    }
    if (!strSaved.IsEmpty()) {
        SetCurrentDirectoryA(strSaved);
    }
    return eResult;
}
