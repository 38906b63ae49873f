// A report-view list view (SysListView32) as the port operations see a list, plus the
// few column and style calls the pages make. Holds the control's handle and owns nothing.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/Controls_win32.h"
#include "install/PortList.h"

class CListCtrl : public CWndRef, public IPortList {
public:
    using CWndRef::CWndRef;
    void Attach(HWND hwnd) { m_hWnd = hwnd; }

    DWORD GetExtendedStyle() const;
    void SetExtendedStyle(DWORD style) const;
    // The style a list gets each time it is filled (see FilledListExtendedStyle).
    void ApplyFilledListStyle() const;
    // A left-aligned column with its heading, then its width in pixels.
    bool InsertColumn(int column, const char* heading, int width) const;
    int GetColumnWidth(int column) const;
    int GetColumnCount() const;
    bool DeleteAllItems() const;

    int RowCount() const override;
    bool IsRowSelected(int row) const override;
    std::string RowText(int row) const override;
    int InsertRow(int index, const std::string& text) override;
    void SetRowSecondText(int row, const std::string& text) override;
    void SetRowState(int row, uint32_t state, uint32_t mask) override;
    std::string RowSecondText(int row) const;

private:
    std::string ItemText(int row, int column) const;
};
