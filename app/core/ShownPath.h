// How tessaly-batch and the window's plan show the program's paths: as the POSIX paths they name
// (UTF-8), so that a line can be pasted into a shell; the Windows form where no drive maps them.
#pragma once

#include <string>
#include <string_view>

#include "platform/framework/core/CString.h"

// A CP932 text as UTF-8 (names keep their original characters).
std::string ToUtf8(LPCSTR pcAnsi);
// A Windows path as the POSIX path it names (UTF-8); the Windows form when no drive maps it.
std::string ShowPath(LPCSTR pcAnsiPath);
// The same for a path that ends in "\\" + strName, faster when its folder comes again.
std::string ShowPathEndingIn(const CString& strPath, const CString& strName);
// Forgets the folders ShowPathEndingIn keeps for this thread: a long-lived caller (the window)
// calls it before a pass, as the drive table may have changed since its last one.
void ForgetShownFolders();
// A shown folder and a name in it (UTF-8), joined with the folder's own separator: "/" for a
// POSIX path, "\\" for Windows' (drive or share).
std::string JoinShownPath(std::string strFolder, std::string_view strName);
