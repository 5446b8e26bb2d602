// The program's resources as data: dialog templates, icons and strings, looked up by id as the
// framework's resource loader would. The program's res/ library registers them at start-up.
#pragma once

#include <span>

#include "platform/framework/ui/WinUser.h"

// The kind of control a template item creates (the window class of a Windows template).
enum class EControlKind {
    PushButton,  // BS_PUSHBUTTON or BS_DEFPUSHBUTTON in dwStyle
    CheckBox,    // BS_AUTOCHECKBOX
    Edit,        // ES_READONLY, ES_RIGHT, ES_AUTOHSCROLL
    Static,      // SS_CENTER, SS_CENTERIMAGE, SS_SUNKEN; SS_ICON with nIconId
    ListView,    // LVS_REPORT, LVS_NOLABELWRAP, LVS_SHOWSELALWAYS; LVS_SINGLESEL absent: multi
    ListBox,     // LBS_NOTIFY, LBS_SORT, LBS_NOINTEGRALHEIGHT, LBS_DISABLENOSCROLL, WS_VSCROLL
    ProgressBar, // PBS_SMOOTH
};

// One control: its id (-1 for a static that nobody addresses), kind, caption (UTF-8), rectangle
// in dialog units and styles. Items are listed in tab order.
struct DialogItemTemplate {
    int nId;
    EControlKind eKind;
    const char* pszCaption; // UTF-8; may be null or empty
    int x, y, cx, cy;       // dialog units
    DWORD dwStyle;          // WS_* and the kind's own style bits
    DWORD dwExStyle;        // WS_EX_*
    UINT nIconId = 0;       // SS_ICON statics: the icon resource shown
};

struct DialogTemplate {
    UINT nId;
    const char* pszCaption;  // UTF-8
    int cx, cy;              // dialog units
    DWORD dwStyle;           // WS_POPUP, WS_CAPTION, WS_SYSMENU, DS_MODALFRAME, WS_VISIBLE ...
    DWORD dwExStyle;         // WS_EX_APPWINDOW ...
    const char* pszFontFace; // UTF-8, e.g. "ＭＳ Ｐゴシック"
    int nPointSize;
    std::span<const DialogItemTemplate> items;
};

namespace tessaly::framework {

// The tables are kept by pointer: register objects of static storage duration.
void RegisterDialogTemplate(const DialogTemplate& dialogTemplate);
// A Qt resource path (":/...") or a file path of an image whose sizes the icon offers; several
// calls for the same id add sizes. Windows takes the icon of the same id from the executable's
// own resources instead.
void RegisterIconResource(UINT nId, const char* pszImagePath);
void RegisterStringResource(UINT nId, const char* pszUtf8Text);

// Null when the id was not registered.
const DialogTemplate* FindDialogTemplate(UINT nId);

} // namespace tessaly::framework
