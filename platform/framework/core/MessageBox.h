// AfxMessageBox behind a provider. The window framework registers the real box (shown by the
// window thread, also when a worker asks); without one the box is quiet: it records the text and
// answers IDOK, so engine, support and the batch tool run without a window.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/framework/core/AfxTypes.h"

#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ABORTRETRYIGNORE 0x00000002u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
#define MB_RETRYCANCEL 0x00000005u
#define MB_TYPEMASK 0x0000000Fu
#define MB_ICONHAND 0x00000010u
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040u
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_ICONMASK 0x000000F0u
#define MB_DEFBUTTON1 0x00000000u
#define MB_DEFBUTTON2 0x00000100u
#define MB_DEFBUTTON3 0x00000200u
#define MB_APPLMODAL 0x00000000u
#define MB_SYSTEMMODAL 0x00001000u
#define MB_TASKMODAL 0x00002000u
#define MB_SETFOREGROUND 0x00010000u
#define MB_TOPMOST 0x00040000u

#ifndef IDOK
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#endif

// The provider's answer (IDOK, IDCANCEL, ...).
int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);

namespace tessaly::framework {

// Gets the CP932 text and the MB_* type; may be called on any thread.
using MessageBoxProvider = std::function<int(LPCTSTR pszText, UINT nType)>;
// Installs a provider (an empty one restores the quiet box) and returns the previous one.
MessageBoxProvider SetMessageBoxProvider(MessageBoxProvider provider);

// The texts the quiet box has recorded, oldest first, and their reset.
std::vector<std::string> QuietMessageBoxTexts();
void ClearQuietMessageBoxTexts();

} // namespace tessaly::framework
