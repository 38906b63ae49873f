#include "ui/PortListCtrl_win32.h"

static_assert(kRowFocused == LVIS_FOCUSED && kRowSelected == LVIS_SELECTED, "row flags");
static_assert(kListExGridLines == LVS_EX_GRIDLINES && kListExTrackSelect == LVS_EX_TRACKSELECT &&
                  kListExFullRowSelect == LVS_EX_FULLROWSELECT,
              "extended list styles");

void CPortListCtrl::ApplyFilledListStyle() const
{
    SetExtendedStyle(FilledListExtendedStyle(GetExtendedStyle()));
}
