// The ids of Tessaly's resources and dialog controls (the program's resource.h). IDOK (1) and
// IDCANCEL (2) are the framework's; -1 marks a static that nobody addresses.
#pragma once

// Dialog templates.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_MAIN_DIALOG = 102;
inline constexpr int IDD_FILE_DIALOG = 103;

// Icons and strings.
inline constexpr int IDR_MAINFRAME = 128; // application icon
inline constexpr int IDI_FILE = 130;      // picker list: a file
inline constexpr int IDI_FOLDER = 131;    // picker list: a folder
inline constexpr int IDS_ABOUTBOX = 101;  // the system menu's about item
inline constexpr int IDS_SHOW_PLAN = 104; // the system menu's plan item, below the about item
inline constexpr int IDS_UNDO_LAST = 105; // the system menu's undo item, below the about item

inline constexpr int IDC_STATIC_TEXT = -1;

// Main dialog 102.
inline constexpr int IDC_FILE_LIST = 1000;
inline constexpr int IDC_ADD = 1001;
inline constexpr int IDC_TARGET_FOLDER_EDIT = 1002;
inline constexpr int IDC_TARGET_FOLDER = 1003;
inline constexpr int IDC_EXCLUDE = 1004;
inline constexpr int IDC_EXCLUDE_ALL = 1005;
inline constexpr int IDC_PROGRESS = 1006;
inline constexpr int IDC_BYTE_TOTAL = 1007;
inline constexpr int IDC_ABORT = 1008;
inline constexpr int IDC_EXECUTE = 1009;
inline constexpr int IDC_TARGET_EXT = 1010;
inline constexpr int IDC_FILTER = 1011;
inline constexpr int IDC_USE_REGEX = 1012;
inline constexpr int IDC_TARGET_FOLDER_LABEL = 1013;

// Picker dialog 103.
inline constexpr int IDC_PICKER_LIST = 1016;
inline constexpr int IDC_DRIVE_LIST = 1017;
inline constexpr int IDC_CUR_FOLDER = 1018;
inline constexpr int IDC_UP_FOLDER = 1019;
inline constexpr int IDC_SELECT_ALL = 1020;
