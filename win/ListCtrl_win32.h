// A report-view list view (SysListView32): the row, column and style calls the pages make.
// Holds the control's handle and owns nothing.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "win/Controls_win32.h"

class CListCtrl : public CWndRef {
public:
    using CWndRef::CWndRef;
    void Attach(HWND hwnd) { m_hWnd = hwnd; }

    DWORD GetExtendedStyle() const;
    void SetExtendedStyle(DWORD style) const;
    // A left-aligned column with its heading, then its width in pixels.
    bool InsertColumn(int column, const char* heading, int width) const;
    int GetColumnWidth(int column) const;
    int GetColumnCount() const;
    bool DeleteAllItems() const;

    int RowCount() const;
    bool IsRowSelected(int row) const;
    std::string RowText(int row) const;
    int InsertRow(int index, const std::string& text);
    // A row with a Unicode text and the application's value `data` (LVIF_PARAM).
    int InsertRowWide(int index, const std::wstring& text, LPARAM data);
    // The application's value of a row: 0 for a row inserted without one.
    LPARAM RowData(int row) const;
    std::wstring RowTextWide(int row) const;
    void SetRowSecondText(int row, const std::string& text);
    void SetRowState(int row, uint32_t state, uint32_t mask);
    std::string RowSecondText(int row) const;

private:
    std::string ItemText(int row, int column) const;
};
