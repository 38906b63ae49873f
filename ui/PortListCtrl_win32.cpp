#include "ui/PortListCtrl_win32.h"

#include "system/TextConversion_win32.h"

static_assert(kRowFocused == LVIS_FOCUSED && kRowSelected == LVIS_SELECTED, "row flags");
static_assert(kListExGridLines == LVS_EX_GRIDLINES && kListExTrackSelect == LVS_EX_TRACKSELECT &&
                  kListExFullRowSelect == LVS_EX_FULLROWSELECT,
              "extended list styles");

void CPortListCtrl::ApplyFilledListStyle() const
{
    SetExtendedStyle(FilledListExtendedStyle(GetExtendedStyle()));
}

int CPortListCtrl::InsertUnusableRow(int index, const std::string& utf8Name)
{
    // Through the Unicode message: the code page cannot hold the name.
    return InsertRowWide(index, FromUtf8(utf8Name), kUnusableRowMark);
}
