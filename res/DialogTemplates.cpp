#include "res/DialogTemplates.h"

#include "res/ResourceIds.h"

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kDefButton = kChild | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr DWORD kLabel = kChild | SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN;
constexpr const char* kFont = "ＭＳ Ｐゴシック";

const DialogItemTemplate kMainItems[] = {
    {IDOK, EControlKind::PushButton, "終了", 278, 209, 40, 40, kDefButton, 0},
    {IDC_FILE_LIST, EControlKind::ListView, nullptr, 0, 49, 319, 144,
     kChild | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_NOLABELWRAP, 0},
    {IDC_ADD, EControlKind::PushButton, "追加", 0, 209, 50, 40, kButton, 0},
    {IDC_TARGET_FOLDER_LABEL, EControlKind::Static, "操作対象フォルダ", 0, 18, 70, 15, kLabel, 0},
    {IDC_TARGET_FOLDER_EDIT, EControlKind::Edit, nullptr, 70, 18, 248, 15,
     kChild | WS_TABSTOP | WS_BORDER | ES_READONLY | ES_AUTOHSCROLL, 0},
    {IDC_TARGET_FOLDER, EControlKind::PushButton, "対象フォルダ", 116, 209, 50, 40, kButton, 0},
    {IDC_EXCLUDE, EControlKind::PushButton, "除外", 50, 219, 26, 30, kButton, 0},
    {IDC_EXCLUDE_ALL, EControlKind::PushButton, "全て除外", 77, 219, 35, 30, kButton, 0},
    {IDC_PROGRESS, EControlKind::ProgressBar, nullptr, 0, 194, 319, 14,
     kChild | WS_BORDER | PBS_SMOOTH, 0},
    {IDC_BYTE_TOTAL, EControlKind::Edit, nullptr, 217, 34, 65, 15,
     kChild | WS_TABSTOP | WS_BORDER | ES_READONLY | ES_RIGHT | ES_AUTOHSCROLL, 0},
    {-1, EControlKind::Static, "Byte", 282, 34, 36, 15, kChild | SS_CENTER | SS_SUNKEN, 0},
    {IDC_ABORT, EControlKind::PushButton, "中止", 245, 219, 30, 30, kButton, 0},
    {IDC_EXECUTE, EControlKind::PushButton, "実行", 170, 209, 75, 40, kButton, 0},
    {-1, EControlKind::Static, "操作対象拡張子", 0, 34, 70, 15, kChild | SS_CENTER | SS_SUNKEN, 0},
    {IDC_TARGET_EXT, EControlKind::Edit, nullptr, 71, 34, 140, 15,
     kChild | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0},
    {-1, EControlKind::Static, "追加ファイルフィルタ", 0, 1, 70, 15, kChild | SS_CENTER | SS_SUNKEN,
     0},
    {IDC_FILTER, EControlKind::Edit, nullptr, 71, 1, 140, 15,
     kChild | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0},
    {IDC_USE_REGEX, EControlKind::CheckBox, "正規表現を使う", 215, 1, 103, 15,
     kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 0},
};

const DialogItemTemplate kAboutItems[] = {
    {-1, EControlKind::Static, nullptr, 11, 17, 20, 20, kChild | SS_ICON, 0, IDR_MAINFRAME},
    {-1, EControlKind::Static, "Tessaly Version 0.2", 40, 10, 119, 8, kChild | SS_LEFT, 0},
    {-1, EControlKind::Static, "フォルダ構成の振り分けツール", 40, 25, 119, 8, kChild | SS_LEFT, 0},
    {IDOK, EControlKind::PushButton, "OK", 178, 7, 50, 14, kDefButton | WS_GROUP, 0},
};

const DialogItemTemplate kPickerItems[] = {
    {IDOK, EControlKind::PushButton, "選択決定", 70, 237, 50, 16, kDefButton, 0},
    {IDCANCEL, EControlKind::PushButton, "ｷｬﾝｾﾙ", 140, 237, 50, 16, kButton, 0},
    {IDC_PICKER_LIST, EControlKind::ListView, nullptr, 11, 66, 242, 167,
     kChild | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS, 0},
    {IDC_DRIVE_LIST, EControlKind::ListBox, nullptr, 73, 2, 71, 18,
     kChild | WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT |
         LBS_DISABLENOSCROLL,
     0},
    {-1, EControlKind::Static, "ドライブ", 6, 1, 60, 19, kLabel, 0},
    {IDC_CUR_FOLDER, EControlKind::Edit, nullptr, 73, 24, 188, 17,
     kChild | WS_TABSTOP | WS_BORDER | ES_READONLY | ES_AUTOHSCROLL, 0},
    {-1, EControlKind::Static, "現在のフォルダ", 6, 23, 60, 19, kLabel, 0},
    {IDC_UP_FOLDER, EControlKind::PushButton, "上のフォルダ", 12, 47, 52, 16, kButton, 0},
    {IDC_SELECT_ALL, EControlKind::PushButton, "全部選択", 69, 47, 52, 16, kButton, 0},
};

} // namespace

const DialogTemplate g_dlgMain{IDD_MAIN_DIALOG,
                               "Tessaly",
                               319,
                               249,
                               WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                               WS_EX_APPWINDOW,
                               kFont,
                               9,
                               kMainItems};
const DialogTemplate g_dlgAbout{IDD_ABOUTBOX,
                                "Tessalyのバージョン情報",
                                235,
                                55,
                                WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                                0,
                                kFont,
                                9,
                                kAboutItems};
const DialogTemplate g_dlgPicker{
    IDD_FILE_DIALOG, "", 263,         253, WS_POPUP | WS_CAPTION | DS_MODALFRAME, 0,
    kFont,           9,  kPickerItems};
