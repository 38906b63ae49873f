// What the port operations need of a list: the port list of the port page and the
// monitor list of the Create Port dialog are both list views in report view.
#pragma once
#include <cstdint>
#include <string>

// Row flags, with the values of LVIS_FOCUSED and LVIS_SELECTED.
constexpr uint32_t kRowFocused = 0x0001;
constexpr uint32_t kRowSelected = 0x0002;

// Extended list-view styles, with the values of LVS_EX_GRIDLINES, LVS_EX_TRACKSELECT and
// LVS_EX_FULLROWSELECT.
constexpr uint32_t kListExGridLines = 0x0001;
constexpr uint32_t kListExTrackSelect = 0x0008;
constexpr uint32_t kListExFullRowSelect = 0x0020;

// The extended style a list gets each time it is filled: whole rows selected, grid lines, and
// no selection that follows the mouse; every other bit as it was.
constexpr uint32_t FilledListExtendedStyle(uint32_t current)
{
    return (current & ~kListExTrackSelect) | kListExGridLines | kListExFullRowSelect;
}

class IPortList {
public:
    virtual ~IPortList() = default;
    virtual int RowCount() const = 0;
    // The row's state under the mask kRowSelected.
    virtual bool IsRowSelected(int row) const = 0;
    // The row's column-0 text, whatever its length.
    virtual std::string RowText(int row) const = 0;
    // Inserts a row at `index` (an index past the last row appends it); answers the index the
    // row got, or -1 when it could not be inserted.
    virtual int InsertRow(int index, const std::string& text) = 0;
    // Inserts a row for a port whose name the system code page cannot hold: it shows
    // `utf8Name`, the true name, and is marked, so that no text of it is taken for a port name.
    virtual int InsertUnusableRow(int index, const std::string& utf8Name) = 0;
    // Whether InsertUnusableRow made the row.
    virtual bool IsRowUnusable(int row) const = 0;
    virtual void SetRowSecondText(int row, const std::string& text) = 0;
    // Sets the flags under `mask` to those of `state`; the other flags stay.
    virtual void SetRowState(int row, uint32_t state, uint32_t mask) = 0;
};
