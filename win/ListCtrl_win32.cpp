#include "win/ListCtrl_win32.h"

#include <vector>

namespace {

// LVM_GETITEMTEXT answers the length it copied; a text that filled the buffer may be
// longer, so ask again with twice the room. The message (A or W) matches the item type;
// list-view messages pass their records unconverted, whichever SendMessage sends them.
template <typename Char, typename Item>
std::basic_string<Char> ReadItemText(HWND list, UINT message, int row, int column)
{
    std::vector<Char> buffer(256);
    for (;;) {
        Item item = {};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        int length = static_cast<int>(SendMessageW(list, message, row, reinterpret_cast<LPARAM>(&item)));
        if (length < 0)
            return std::basic_string<Char>();
        if (static_cast<size_t>(length) + 1 < buffer.size() || buffer.size() >= (1u << 20))
            return std::basic_string<Char>(buffer.data(), static_cast<size_t>(length) < buffer.size() ? length : 0);
        buffer.assign(buffer.size() * 2, Char());
    }
}

}  // namespace

DWORD CListCtrl::GetExtendedStyle() const
{
    return static_cast<DWORD>(SendMessageA(m_hWnd, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
}

void CListCtrl::SetExtendedStyle(DWORD style) const
{
    // A mask of 0 writes every bit.
    SendMessageA(m_hWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style);
}

bool CListCtrl::InsertColumn(int column, const char* heading, int width) const
{
    LVCOLUMNA info = {};
    info.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
    info.fmt = LVCFMT_LEFT;
    info.pszText = const_cast<char*>(heading);
    info.iSubItem = column;
    if (SendMessageA(m_hWnd, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&info)) < 0)
        return false;
    return SendMessageA(m_hWnd, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0)) != FALSE;
}

int CListCtrl::GetColumnWidth(int column) const
{
    return static_cast<int>(SendMessageA(m_hWnd, LVM_GETCOLUMNWIDTH, column, 0));
}

int CListCtrl::GetColumnCount() const
{
    HWND header = reinterpret_cast<HWND>(SendMessageA(m_hWnd, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

bool CListCtrl::DeleteAllItems() const
{
    return SendMessageA(m_hWnd, LVM_DELETEALLITEMS, 0, 0) != FALSE;
}

int CListCtrl::RowCount() const
{
    return static_cast<int>(SendMessageA(m_hWnd, LVM_GETITEMCOUNT, 0, 0));
}

bool CListCtrl::IsRowSelected(int row) const
{
    return SendMessageA(m_hWnd, LVM_GETITEMSTATE, row, LVIS_SELECTED) == LVIS_SELECTED;
}

std::string CListCtrl::ItemText(int row, int column) const
{
    return ReadItemText<char, LVITEMA>(m_hWnd, LVM_GETITEMTEXTA, row, column);
}

std::string CListCtrl::RowText(int row) const
{
    return ItemText(row, 0);
}

std::string CListCtrl::RowSecondText(int row) const
{
    return ItemText(row, 1);
}

int CListCtrl::InsertRow(int index, const std::string& text)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<char*>(text.c_str());
    return static_cast<int>(SendMessageA(m_hWnd, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

int CListCtrl::InsertRowWide(int index, const std::wstring& text, LPARAM data)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = index;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.lParam = data;
    return static_cast<int>(SendMessageW(m_hWnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

LPARAM CListCtrl::RowData(int row) const
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(m_hWnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return 0;
    return item.lParam;
}

std::wstring CListCtrl::RowTextWide(int row) const
{
    return ReadItemText<wchar_t, LVITEMW>(m_hWnd, LVM_GETITEMTEXTW, row, 0);
}

void CListCtrl::SetRowSecondText(int row, const std::string& text)
{
    LVITEMA item = {};
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(m_hWnd, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void CListCtrl::SetRowState(int row, uint32_t state, uint32_t mask)
{
    LVITEMA item = {};
    item.stateMask = mask;
    item.state = state;
    SendMessageA(m_hWnd, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}
