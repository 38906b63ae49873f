// A list that behaves like a report-view list view: an index past the last row appends, a
// row's state changes only under the mask, and a row that does not exist takes no state.
#pragma once
#include <string>
#include <vector>

#include "ports/PortList.h"

class FakePortList : public IPortList {
public:
    struct Row {
        std::string text;
        std::string secondText;
        uint32_t state = 0;
        bool unusable = false;  // made by InsertUnusableRow
    };
    struct StateCall {
        int row;
        uint32_t state;
        uint32_t mask;
    };

    std::vector<Row> rows;
    std::vector<StateCall> stateCalls;
    std::vector<int> insertIndexes;  // the index each insertion asked for

    int RowCount() const override { return static_cast<int>(rows.size()); }
    bool IsRowSelected(int row) const override { return Valid(row) && (rows[row].state & kRowSelected) != 0; }
    std::string RowText(int row) const override { return Valid(row) ? rows[row].text : std::string(); }

    int InsertRow(int index, const std::string& text) override
    {
        insertIndexes.push_back(index);
        if (index < 0)
            return -1;
        int at = index > RowCount() ? RowCount() : index;
        rows.insert(rows.begin() + at, Row{text, std::string(), 0});
        return at;
    }

    int InsertUnusableRow(int index, const std::string& utf8Name) override
    {
        int at = InsertRow(index, utf8Name);
        if (at >= 0)
            rows[at].unusable = true;
        return at;
    }
    bool IsRowUnusable(int row) const override { return Valid(row) && rows[row].unusable; }

    void SetRowSecondText(int row, const std::string& text) override
    {
        if (Valid(row))
            rows[row].secondText = text;
    }

    void SetRowState(int row, uint32_t state, uint32_t mask) override
    {
        stateCalls.push_back({row, state, mask});
        if (Valid(row))
            rows[row].state = (rows[row].state & ~mask) | (state & mask);
    }

    // The rows whose state has the selected flag.
    std::vector<int> SelectedRows() const
    {
        std::vector<int> selected;
        for (int row = 0; row < RowCount(); ++row)
            if (rows[row].state & kRowSelected)
                selected.push_back(row);
        return selected;
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const Row& row : rows)
            texts.push_back(row.text);
        return texts;
    }

private:
    bool Valid(int row) const { return row >= 0 && row < RowCount(); }
};
