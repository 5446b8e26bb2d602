// Windows' own view of what the framework hands it, for the tests: read through the real API in
// NativeProbe.cpp, which includes <windows.h> so that the tests need not.
#pragma once

#include <cstdint>
#include <string>

namespace probe {

// DragQueryFileW on a drop handle.
unsigned WideDropCount(void* hDrop);
std::wstring WideDropPath(void* hDrop, unsigned iFile);

// The width of an icon handle's image, 0 for none.
int IconWidth(void* hIcon);
// LoadImageW of the executable's icon nId at cxy x cxy pixels.
void* LoadIconAtSize(unsigned nId, int cxy);
int SystemIconSize();
// The path of the comctl32.dll the process loads, in lower case.
std::wstring CommonControlsPath();

// What a window of the probe's own was last sent, with the text of the folder chooser's wide
// messages.
struct Sent {
    unsigned uMsg = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    std::wstring strText;
};
void* CreateRecordingWindow(); // answers each message with its number plus 1000
void DestroyRecordingWindow(void* hwnd);
Sent LastSent();

// Whether top-level windows can be made here (Wine needs an X display for them).
bool CanShowWindows();
// A new folder of that name in the temporary folder, its full path in UTF-8; and its removal.
std::string MakeTempFolder(const std::wstring& strName);
void RemoveTempFolder(const std::wstring& strName);
// Presses a dialog's OK button by posting the command.
void PostOk(void* hDialog);

} // namespace probe
