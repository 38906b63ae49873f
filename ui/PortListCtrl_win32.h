// The list view of the port and Create Port pages as the window-free port operations see a
// list (IPortList), plus the style a list gets each time it is filled.
#pragma once
#include "ports/PortList.h"
#include "win/ListCtrl_win32.h"

class CPortListCtrl : public CListCtrl, public IPortList {
public:
    using CListCtrl::CListCtrl;

    // The style a list gets each time it is filled (see FilledListExtendedStyle).
    void ApplyFilledListStyle() const;

    int RowCount() const override { return CListCtrl::RowCount(); }
    bool IsRowSelected(int row) const override { return CListCtrl::IsRowSelected(row); }
    std::string RowText(int row) const override { return CListCtrl::RowText(row); }
    int InsertRow(int index, const std::string& text) override { return CListCtrl::InsertRow(index, text); }
    int InsertUnusableRow(int index, const std::string& utf8Name) override;
    bool IsRowUnusable(int row) const override { return RowData(row) == kUnusableRowMark; }
    void SetRowSecondText(int row, const std::string& text) override { CListCtrl::SetRowSecondText(row, text); }
    void SetRowState(int row, uint32_t state, uint32_t mask) override { CListCtrl::SetRowState(row, state, mask); }

private:
    // The application's value of a row whose name cannot be used; other rows have 0.
    static constexpr LPARAM kUnusableRowMark = 1;
};
