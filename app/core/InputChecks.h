// The checks that Add makes of the filter and Execute of its inputs, without the window: each
// returns the message the user is shown (CP932), or an empty text when the input is accepted.
// The window shows the message in a box; tessaly-batch prints it.
#pragma once

#include "engine/FileCollector.h"
#include "platform/framework/core/CString.h"
#include "support/MyRegex.h"

// The 8 characters an extension filter may not hold, in this order.
inline constexpr const char kForbiddenExtChars[] = "/\\<>|:\".";
inline constexpr DWORD kMaxExtFilterBytes = 4;

struct CFilterSetting {
    CString m_strFilterText; // as typed; Add writes back "*" or ".+" for an empty field
    BOOL m_bUseRegex = FALSE;
    BOOL m_bFilterActive = TRUE; // extension mode with a text other than "*"
};

// Add's checks of the filter text (it may be rewritten to "*" or ".+"): "※　無効な正規表現です",
// "次の文字は使えません。\n　%s" or "拡張子が長すぎます。". validation compiles the pattern.
CString CheckFilterSetting(CFilterSetting& setting, CMyRegex& validation);

// Hands an accepted setting to the collector: "ファイルフィルターセットに失敗。" when the
// collector's own pattern does not compile. Sets setting.m_bFilterActive.
CString ApplyFilterSetting(CFilterSetting& setting, CFileCollector& collector);

// Execute's checks: "振り分け元フォルダがセットされていません" for an empty operation folder,
// "振り分けるファイルの拡張子がセットされていません" for an empty extension,
// "操作対象拡張子に使えない文字が含まれています。" for an extension that holds "\", "/", ":", "..",
// "*", "?", a control character or another character Windows refuses in names.
CString CheckExecuteInputs(LPCSTR pcOperationFolder, LPCSTR pcTargetExt);
