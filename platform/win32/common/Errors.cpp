// errno translation, and the system's error texts in Japanese.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32Errors.h"

namespace {
struct ErrorText {
    DWORD dwCode;
    const char* pszUtf8;
};

// Windows' own Japanese texts for the codes the program meets.
constexpr ErrorText kErrorTexts[] = {
    {ERROR_SUCCESS, "この操作を正しく終了しました。"},
    {ERROR_INVALID_FUNCTION, "ファンクションが間違っています。"},
    {ERROR_FILE_NOT_FOUND, "指定されたファイルが見つかりません。"},
    {ERROR_PATH_NOT_FOUND, "指定されたパスが見つかりません。"},
    {ERROR_TOO_MANY_OPEN_FILES, "システムはファイルを開くことができません。"},
    {ERROR_ACCESS_DENIED, "アクセスが拒否されました。"},
    {ERROR_INVALID_HANDLE, "ハンドルが無効です。"},
    {ERROR_NOT_ENOUGH_MEMORY, "このコマンドを実行するのに十分な記憶域がありません。"},
    {ERROR_INVALID_DRIVE, "指定されたドライブが見つかりません。"},
    {ERROR_CURRENT_DIRECTORY, "ディレクトリを削除できません。"},
    {ERROR_NOT_SAME_DEVICE, "システムはファイルを別のディスク ドライブに移動できません。"},
    {ERROR_NO_MORE_FILES, "これ以上ファイルがありません。"},
    {ERROR_WRITE_PROTECT, "メディアは書き込み禁止になっています。"},
    {ERROR_NOT_READY, "デバイスの準備ができていません。"},
    {ERROR_WRITE_FAULT, "指定されたデバイスに書き込めません。"},
    {ERROR_READ_FAULT, "指定されたデバイスから読み取れません。"},
    {ERROR_GEN_FAILURE, "システムに接続されたデバイスが機能していません。"},
    {ERROR_SHARING_VIOLATION, "プロセスはファイルにアクセスできません。別のプロセスが使用中です。"},
    {ERROR_LOCK_VIOLATION,
     "プロセスはファイルにアクセスできません。別のプロセスがファイルの一部をロックしています。"},
    {ERROR_HANDLE_EOF, "ファイルの終わりに達しました。"},
    {ERROR_HANDLE_DISK_FULL, "ディスクがいっぱいです。"},
    {ERROR_NOT_SUPPORTED, "その要求はサポートされていません。"},
    {ERROR_FILE_EXISTS, "ファイルが存在します。"},
    {ERROR_INVALID_PARAMETER, "パラメーターが間違っています。"},
    {ERROR_BROKEN_PIPE, "パイプは終了しました。"},
    {ERROR_DISK_FULL, "ディスクに十分な空き領域がありません。"},
    {ERROR_INSUFFICIENT_BUFFER, "システム コールに渡されるデータ領域が小さすぎます。"},
    {ERROR_INVALID_NAME,
     "ファイル名、ディレクトリ名、またはボリューム ラベルの構文が間違っています。"},
    {ERROR_DIR_NOT_EMPTY, "ディレクトリが空ではありません。"},
    {ERROR_BUSY, "要求したリソースは使用中です。"},
    {ERROR_ALREADY_EXISTS, "既に存在するファイルを作成することはできません。"},
    {ERROR_FILENAME_EXCED_RANGE, "ファイル名または拡張子が長すぎます。"},
    {ERROR_DIRECTORY, "ディレクトリ名が無効です。"},
    {ERROR_NO_UNICODE_TRANSLATION,
     "ターゲットのマルチバイト コード ページにユニコード文字のマッピングが存在しません。"},
    {ERROR_CANT_RESOLVE_FILENAME, "ファイル名を解決できませんでした。"},
};

std::string SystemTextUtf8(DWORD dwCode) {
    for (const ErrorText& text : kErrorTexts) {
        if (text.dwCode == dwCode) {
            return text.pszUtf8;
        }
    }
    char acBuf[64];
    std::snprintf(acBuf, sizeof acBuf, "システム エラー %u が発生しました。", dwCode);
    return acBuf;
}
} // namespace

namespace tessaly::win32 {

DWORD ErrorFromErrno(int iErrno) {
    switch (iErrno) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ELOOP:
        return ERROR_PATH_NOT_FOUND;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case EACCES:
    case EPERM:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EXDEV:
        return ERROR_NOT_SAME_DEVICE;
    case EROFS:
        return ERROR_WRITE_PROTECT;
    case EIO:
        return ERROR_GEN_FAILURE;
    case EBUSY:
    case ETXTBSY:
        return ERROR_BUSY;
#ifdef EDQUOT // not in Windows' C runtime
    case EDQUOT:
#endif
    case ENOSPC:
        return ERROR_DISK_FULL;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case EPIPE:
        return ERROR_BROKEN_PIPE;
    case ENOTSUP:
        return ERROR_NOT_SUPPORTED;
    default:
        return ERROR_GEN_FAILURE;
    }
}

void SetLastErrorFromErrno(int iErrno) {
    SetLastError(ErrorFromErrno(iErrno));
}

} // namespace tessaly::win32

HLOCAL WINAPI LocalAlloc(UINT uFlags, std::size_t uBytes) {
    void* pMem = (uFlags & LMEM_ZEROINIT) ? std::calloc(uBytes ? uBytes : 1, 1)
                                          : std::malloc(uBytes ? uBytes : 1);
    if (pMem == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return pMem;
}

HLOCAL WINAPI LocalFree(HLOCAL hMem) {
    std::free(hMem);
    return nullptr;
}

DWORD WINAPI FormatMessageA(DWORD dwFlags, LPCVOID /*lpSource*/, DWORD dwMessageId,
                            DWORD /*dwLanguageId*/, LPSTR lpBuffer, DWORD nSize,
                            void* /*Arguments*/) {
    if ((dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || lpBuffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // Windows ends system texts with CR LF.
    const std::string strText = [&] {
        std::string strAnsi;
        tessaly::win32::Utf8ToAnsi(SystemTextUtf8(dwMessageId), strAnsi);
        return strAnsi + "\r\n";
    }();
    const DWORD dwLen = static_cast<DWORD>(strText.size());
    if (dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        char* pcText = static_cast<char*>(LocalAlloc(LMEM_FIXED, dwLen + 1));
        if (pcText == nullptr) {
            return 0;
        }
        std::memcpy(pcText, strText.c_str(), dwLen + 1);
        *reinterpret_cast<char**>(lpBuffer) = pcText;
        return dwLen;
    }
    if (nSize < dwLen + 1) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(lpBuffer, strText.c_str(), dwLen + 1);
    return dwLen;
}
