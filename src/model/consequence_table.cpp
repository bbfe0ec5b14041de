#include "model/consequence_table.h"

#include <cassert>
#include <stdexcept>
#include <utility>

namespace velor {

ConsequenceTable::ConsequenceTable() {
    columns_.resize(2);
    columns_[0].Width = kFirstColumnWidth;
    for (auto& c : columns_) {
        c.Cells.resize(rowCount_);
    }
    rows_.resize(rowCount_);
    columns_[0].Cells[0].Text = "Name";
}

void ConsequenceTable::CheckCell(int col, int row) const {
    if (col < 0 || col >= ColCount() || row < 0 || row >= rowCount_) {
        throw std::out_of_range("consequence table cell (" + std::to_string(col) + ", " +
                                std::to_string(row) + ") outside the grid");
    }
}

void ConsequenceTable::SetRowCount(int rows) {
    assert(rows >= 2);
    rowCount_ = rows;
    for (auto& c : columns_) {
        c.Cells.resize(rows);
    }
    rows_.resize(rows);
}

void ConsequenceTable::SetColCount(int cols) {
    assert(cols >= 2);
    Column fresh;
    fresh.Cells.resize(rowCount_);
    columns_.resize(cols, fresh);
}

const std::string& ConsequenceTable::Text(int col, int row) const {
    CheckCell(col, row);
    return columns_[col].Cells[row].Text;
}

void ConsequenceTable::SetText(int col, int row, std::string text) {
    CheckCell(col, row);
    columns_[col].Cells[row].Text = std::move(text);
}

const std::optional<TConsequenceData>& ConsequenceTable::Consequence(int col, int row) const {
    CheckCell(col, row);
    return columns_[col].Cells[row].Data;
}

std::optional<TConsequenceData>& ConsequenceTable::Consequence(int col, int row) {
    CheckCell(col, row);
    return columns_[col].Cells[row].Data;
}

const std::optional<TAlternativeData>& ConsequenceTable::Alternative(int row) const {
    CheckCell(0, row);
    return rows_[row];
}

std::optional<TAlternativeData>& ConsequenceTable::Alternative(int row) {
    CheckCell(0, row);
    return rows_[row];
}

NodeId ConsequenceTable::HeaderNode(int col) const {
    CheckCell(col, 0);
    return columns_[col].Header;
}

void ConsequenceTable::SetHeaderNode(int col, NodeId node) {
    CheckCell(col, 0);
    columns_[col].Header = node;
}

int ConsequenceTable::ColWidth(int col) const {
    CheckCell(col, 0);
    return columns_[col].Width;
}

void ConsequenceTable::SetColWidth(int col, int width) {
    CheckCell(col, 0);
    columns_[col].Width = width;
}

void ConsequenceTable::DeleteARow(int row) {
    CheckCell(0, row);
    for (auto& c : columns_) {
        c.Cells.erase(c.Cells.begin() + row);
    }
    rows_.erase(rows_.begin() + row);
    --rowCount_;
}

void ConsequenceTable::DeleteACol(int col) {
    CheckCell(col, 0);
    columns_.erase(columns_.begin() + col);
}

void ConsequenceTable::MoveACol(int from, int to) {
    CheckCell(from, 0);
    CheckCell(to, 0);
    Column moving = std::move(columns_[from]);
    columns_.erase(columns_.begin() + from);
    columns_.insert(columns_.begin() + to, std::move(moving));
}

void ConsequenceTable::ClearColumn(int col) {
    CheckCell(col, 0);
    auto& c = columns_[col];
    c.Header = kNone;
    for (auto& cell : c.Cells) {
        cell = Cell{};
    }
}

} // namespace velor
