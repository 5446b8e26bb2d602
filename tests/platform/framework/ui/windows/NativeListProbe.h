// The list view as Windows itself shows it, for the list tests: read and worked through the
// control's own messages in NativeListProbe.cpp, the one list test file that sees <windows.h>.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace listprobe {

// Whether windows can be made here (Wine needs an X display for them).
bool CanMakeWindows();

int RowCount(void* hList);                              // LVM_GETITEMCOUNT
std::wstring CellText(void* hList, int iRow, int iCol); // LVM_GETITEMTEXTW
int CellImage(void* hList, int iRow);                   // LVM_GETITEMW, LVIF_IMAGE
std::vector<int> SelectedRows(void* hList);             // LVM_GETNEXTITEM, LVNI_SELECTED
unsigned SelectedCount(void* hList);                    // LVM_GETSELECTEDCOUNT
int FocusedRow(void* hList);                            // LVM_GETNEXTITEM, LVNI_FOCUSED
std::wstring HeaderText(void* hList, int iCol);         // LVM_GETCOLUMNW
int ColumnWidth(void* hList, int iCol);                 // LVM_GETCOLUMNWIDTH
int SmallImageCount(void* hList);                       // of LVM_GETIMAGELIST, LVSIL_SMALL
std::uint32_t ExtendedStyle(void* hList);
struct Colors {
    std::uint32_t crBk;
    std::uint32_t crText;
    std::uint32_t crTextBk;
};
Colors ListColors(void* hList);

// The user's hand on the control: a row's selection changed in the control (as a Ctrl+click
// leaves it), Home, and Shift+End.
void SetRowSelected(void* hList, int iRow, bool bSelected);
void PressHome(void* hList);
void PressShiftEnd(void* hList);

// A plain icon of cxy x cxy pixels, and its end.
void* MakeIcon(int cxy);
void DestroyIcon(void* hIcon);

} // namespace listprobe
