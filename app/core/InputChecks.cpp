#include "app/core/InputChecks.h"

#include <cstring>
#include <string>

#include "platform/win32/NameCodec.h"
#include "support/AnsiText.h"
#include "support/MyWString.h"

namespace {

// The extension goes into the source and destination names as it is: a separator, a drive colon
// or ".." would take the move out of the operation folder, a wildcard or control character would
// name no single file. Checked by characters, so a trail byte 0x5C (表) is no separator.
bool IsSafeTargetExt(LPCSTR pcTargetExt) {
    const std::u32string strChars = tessaly::win32::AnsiToCodePoints(pcTargetExt);
    if (strChars.find(U"..") != std::u32string::npos) {
        return false;
    }
    for (const char32_t c : strChars) {
        if (c == U'/' || tessaly::win32::IsRefusedInWindowsName(c) || (c >= 0x7F && c <= 0x9F)) {
            return false;
        }
    }
    return true;
}

} // namespace

CString CheckFilterSetting(CFilterSetting& setting, CMyRegex& validation) {
    if (setting.m_bUseRegex) {
        if (setting.m_strFilterText.IsEmpty()) {
            setting.m_strFilterText = ".+";
        }
        if (!validation.SetPattern(static_cast<LPCSTR>(setting.m_strFilterText))) {
            return AnsiFromUtf8("※　無効な正規表現です");
        }
        return CString();
    }
    const CMyWString strWide(static_cast<LPCSTR>(setting.m_strFilterText));
    if (strWide.FindOneOf(0, kForbiddenExtChars) >= 0) {
        CString strMessage;
        strMessage.Format(AnsiFromUtf8("次の文字は使えません。\n　%s"), kForbiddenExtChars);
        return strMessage;
    }
    const DWORD dwBytes = static_cast<DWORD>(setting.m_strFilterText.GetLength());
    if (dwBytes == 0) {
        setting.m_strFilterText = "*";
    }
    if (dwBytes > kMaxExtFilterBytes) {
        return AnsiFromUtf8("拡張子が長すぎます。");
    }
    return CString();
}

CString ApplyFilterSetting(CFilterSetting& setting, CFileCollector& collector) {
    collector.m_bUseRegex = setting.m_bUseRegex;
    if (setting.m_bUseRegex) {
        collector.m_bRegexOk =
            collector.m_regex.SetPattern(static_cast<LPCSTR>(setting.m_strFilterText));
        if (!collector.m_bRegexOk) {
            return AnsiFromUtf8("ファイルフィルターセットに失敗。");
        }
    } else if (std::strcmp(setting.m_strFilterText, "*") == 0) {
        // The unfiltered walk is taken; the collector's extension is left as it was.
        setting.m_bFilterActive = FALSE;
    } else {
        setting.m_bFilterActive = TRUE;
        collector.m_strExtFilter = setting.m_strFilterText;
        collector.m_bExtFilter = TRUE;
    }
    return CString();
}

CString CheckExecuteInputs(LPCSTR pcOperationFolder, LPCSTR pcTargetExt) {
    if (pcOperationFolder == nullptr || pcOperationFolder[0] == '\0') {
        return AnsiFromUtf8("振り分け元フォルダがセットされていません");
    }
    if (pcTargetExt == nullptr || pcTargetExt[0] == '\0') {
        return AnsiFromUtf8("振り分けるファイルの拡張子がセットされていません");
    }
    if (!IsSafeTargetExt(pcTargetExt)) {
        return AnsiFromUtf8("操作対象拡張子に使えない文字が含まれています。");
    }
    return CString();
}
