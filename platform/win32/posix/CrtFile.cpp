// The Windows C runtime's stream files on a glibc FILE*: fopencookie over a descriptor, with the
// text mode's line-end translation done in the cookie's read and write.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/win32/Win32Crt.h"
#include "platform/win32/Win32Errors.h"
#include "platform/win32/posix/FileOpen.h"
#include "platform/win32/posix/PathResolve.h"
#include "platform/win32/posix/Sys.h"

namespace tessaly::win32 {
namespace {

using detail::CreateMode;

struct CrtMode {
    int iFlags = 0;
    CreateMode create = CreateMode::Never;
    bool bText = true;
    char acGlibcMode[3] = {}; // "r", "w+", ...: what glibc's FILE is told about the stream
};

// fopen's mode as Windows' runtime reads it: r, w or a, then '+', 't' or 'b' (not both), 'x'
// after 'w', and the runtime's hint letters, which change nothing here.
bool ParseMode(const char* pszMode, CrtMode& mode) {
    if (pszMode == nullptr) {
        return false;
    }
    const char cKind = pszMode[0];
    if (cKind != 'r' && cKind != 'w' && cKind != 'a') {
        return false;
    }
    bool bPlus = false;
    bool bExclusive = false;
    bool bTextGiven = false;
    bool bBinaryGiven = false;
    for (const char* pc = pszMode + 1; *pc != '\0'; ++pc) {
        switch (*pc) {
        case '+':
            if (bPlus) {
                return false;
            }
            bPlus = true;
            break;
        case 't':
            bTextGiven = true;
            break;
        case 'b':
            bBinaryGiven = true;
            break;
        case 'x':
            if (cKind != 'w') {
                return false;
            }
            bExclusive = true;
            break;
        case 'c':
        case 'n':
        case 'N':
        case 'S':
        case 'R':
        case 'T':
        case 'D':
            break;
        default:
            return false;
        }
    }
    if (bTextGiven && bBinaryGiven) {
        return false;
    }
    mode.bText = !bBinaryGiven;
    const int iAccess = bPlus ? O_RDWR : cKind == 'r' ? O_RDONLY : O_WRONLY;
    if (cKind == 'r') {
        mode.iFlags = iAccess;
        mode.create = CreateMode::Never;
    } else if (cKind == 'w') {
        mode.iFlags = iAccess | O_TRUNC;
        mode.create = bExclusive ? CreateMode::Exclusive : CreateMode::IfMissing;
    } else {
        // O_APPEND puts every write at the end, also after other writers appended.
        mode.iFlags = iAccess | O_APPEND;
        mode.create = CreateMode::IfMissing;
    }
    mode.acGlibcMode[0] = cKind;
    mode.acGlibcMode[1] = bPlus ? '+' : '\0';
    return true;
}

// The C runtime's errno for the layer's error of a path that did not resolve.
int ErrnoFromError(DWORD dwError) {
    switch (dwError) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
        return EACCES;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    default:
        return EINVAL;
    }
}

class CrtStream {
public:
    CrtStream(int fd, bool bText) : m_fd(fd), m_bText(bText) {}

    ssize_t Read(char* pcBuf, size_t cb);
    ssize_t Write(const char* pcBuf, size_t cb);
    int Seek(off64_t* pOffset, int iWhence);
    int Close();

private:
    bool WriteAll(const char* pcData, size_t cb);
    // The byte after a CR that ended a read, when it was not LF: read already, not yet delivered.
    int m_iPushback = -1;
    int m_fd;
    bool m_bText;
};

ssize_t CrtStream::Read(char* pcBuf, size_t cb) {
    if (!m_bText) {
        ssize_t iRead;
        do {
            iRead = ::read(m_fd, pcBuf, cb);
        } while (iRead < 0 && errno == EINTR);
        return iRead;
    }
    if (cb == 0) {
        return 0;
    }
    // Raw bytes into the caller's buffer, then CR LF pairs folded in place: the text never grows.
    size_t uRaw = 0;
    if (m_iPushback >= 0) {
        pcBuf[uRaw++] = static_cast<char>(m_iPushback);
        m_iPushback = -1;
    }
    if (uRaw < cb) {
        ssize_t iRead;
        do {
            iRead = ::read(m_fd, pcBuf + uRaw, cb - uRaw);
        } while (iRead < 0 && errno == EINTR);
        if (iRead < 0 && uRaw == 0) {
            return -1;
        }
        uRaw += iRead > 0 ? static_cast<size_t>(iRead) : 0;
    }
    size_t uOut = 0;
    for (size_t i = 0; i < uRaw; ++i) {
        const char c = pcBuf[i];
        if (c != '\r') {
            pcBuf[uOut++] = c;
        } else if (i + 1 < uRaw) {
            if (pcBuf[i + 1] == '\n') {
                ++i;
                pcBuf[uOut++] = '\n';
            } else {
                pcBuf[uOut++] = '\r';
            }
        } else {
            // A CR at the end of what was read: the next byte decides.
            char cNext = 0;
            ssize_t iNext;
            do {
                iNext = ::read(m_fd, &cNext, 1);
            } while (iNext < 0 && errno == EINTR);
            if (iNext == 1 && cNext == '\n') {
                pcBuf[uOut++] = '\n';
            } else {
                pcBuf[uOut++] = '\r';
                if (iNext == 1) {
                    m_iPushback = static_cast<unsigned char>(cNext);
                }
            }
        }
    }
    return static_cast<ssize_t>(uOut);
}

bool CrtStream::WriteAll(const char* pcData, size_t cb) {
    while (cb > 0) {
        const ssize_t iWritten = detail::SysWrite(m_fd, pcData, cb);
        if (iWritten < 0 && errno == EINTR) {
            continue;
        }
        if (iWritten <= 0) {
            if (iWritten == 0) {
                errno = ENOSPC;
            }
            SetLastErrorFromErrno(errno);
            return false;
        }
        pcData += iWritten;
        cb -= static_cast<size_t>(iWritten);
    }
    return true;
}

ssize_t CrtStream::Write(const char* pcBuf, size_t cb) {
    // A byte held back by a read belongs where the write starts.
    if (m_iPushback >= 0) {
        m_iPushback = -1;
        ::lseek(m_fd, -1, SEEK_CUR);
    }
    bool bOk = true;
    if (!m_bText) {
        bOk = WriteAll(pcBuf, cb);
    } else {
        std::string strText;
        strText.reserve(cb + cb / 8 + 16);
        for (size_t i = 0; i < cb; ++i) {
            if (pcBuf[i] == '\n') {
                strText += '\r';
            }
            strText += pcBuf[i];
        }
        bOk = WriteAll(strText.data(), strText.size());
    }
    // glibc's cookie contract: 0, never a negative count, reports a failed write.
    return bOk ? static_cast<ssize_t>(cb) : 0;
}

int CrtStream::Seek(off64_t* pOffset, int iWhence) {
    off64_t iOffset = *pOffset;
    if (m_iPushback >= 0) {
        // The descriptor is one byte ahead of what the stream delivered.
        if (iWhence == SEEK_CUR) {
            --iOffset;
        }
        m_iPushback = -1;
    }
    const off64_t iPosition = ::lseek64(m_fd, iOffset, iWhence);
    if (iPosition < 0) {
        return -1;
    }
    *pOffset = iPosition;
    return 0;
}

int CrtStream::Close() {
    const int iResult = detail::SysClose(m_fd);
    if (iResult != 0) {
        SetLastErrorFromErrno(errno);
    }
    return iResult;
}

const cookie_io_functions_t kStreamFunctions = {
    [](void* pCookie, char* pcBuf, size_t cb) {
        return static_cast<CrtStream*>(pCookie)->Read(pcBuf, cb);
    },
    [](void* pCookie, const char* pcBuf, size_t cb) {
        return static_cast<CrtStream*>(pCookie)->Write(pcBuf, cb);
    },
    [](void* pCookie, off64_t* pOffset, int iWhence) {
        return static_cast<CrtStream*>(pCookie)->Seek(pOffset, iWhence);
    },
    [](void* pCookie) {
        auto* pStream = static_cast<CrtStream*>(pCookie);
        const int iResult = pStream->Close();
        delete pStream;
        return iResult;
    },
};

std::FILE* Fail(int iErrno, DWORD dwError) {
    SetLastError(dwError);
    errno = iErrno;
    return nullptr;
}

} // namespace

std::FILE* OpenCrtFile(const char* pszAnsiPath, const char* pszMode) {
    CrtMode mode;
    if (pszAnsiPath == nullptr || !ParseMode(pszMode, mode)) {
        return Fail(EINVAL, ERROR_INVALID_PARAMETER);
    }
    std::string strPosix;
    if (!detail::ResolvePath(pszAnsiPath, strPosix)) {
        const DWORD dwError = GetLastError();
        return Fail(ErrnoFromError(dwError), dwError);
    }
    bool bCreated = false;
    const int fd = detail::OpenOrCreate(strPosix, mode.iFlags, mode.create, bCreated);
    if (fd < 0) {
        const int iErrno = errno;
        return Fail(iErrno, ErrorFromErrno(iErrno));
    }
    // Windows' runtime opens no folder as a stream.
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        detail::SysClose(fd);
        return Fail(EACCES, ERROR_ACCESS_DENIED);
    }
    auto* pStream = new CrtStream(fd, mode.bText);
    std::FILE* pFile = ::fopencookie(pStream, mode.acGlibcMode, kStreamFunctions);
    if (pFile == nullptr) {
        delete pStream;
        detail::SysClose(fd);
        return Fail(ENOMEM, ERROR_NOT_ENOUGH_MEMORY);
    }
    return pFile;
}

} // namespace tessaly::win32
