// The grid that holds the consequence table: a text and an optional record per cell, a node
// handle per header column and an alternative record per row. Row 0 holds the node names,
// column 0 the alternative names. The grid always has at least two rows and two columns.
#pragma once

#include "model/records.h"

#include <optional>
#include <string>
#include <vector>

namespace velor {

class ConsequenceTable {
public:
    static constexpr int kFirstColumnWidth = 120;
    static constexpr int kDefaultColumnWidth = 100;

    ConsequenceTable();

    int RowCount() const { return rowCount_; }
    int ColCount() const { return static_cast<int>(columns_.size()); }
    void SetRowCount(int rows);
    void SetColCount(int cols);

    const std::string& Text(int col, int row) const;
    void SetText(int col, int row, std::string text);

    const std::optional<TConsequenceData>& Consequence(int col, int row) const;
    std::optional<TConsequenceData>& Consequence(int col, int row);

    // Row records (column 0 objects) and header objects (row 0 objects).
    const std::optional<TAlternativeData>& Alternative(int row) const;
    std::optional<TAlternativeData>& Alternative(int row);
    NodeId HeaderNode(int col) const;
    void SetHeaderNode(int col, NodeId node);

    int ColWidth(int col) const;
    void SetColWidth(int col, int width);

    // Deleting a row or column shifts the later ones up or left; moving a column carries its
    // texts, records and width along and shifts the columns in between by one.
    void DeleteARow(int row);
    void DeleteACol(int col);
    void MoveACol(int from, int to);

    // Empties the texts and records of one column (rows 1 and up) and its header.
    void ClearColumn(int col);

    bool operator==(const ConsequenceTable&) const = default;

private:
    struct Cell {
        std::string Text;
        std::optional<TConsequenceData> Data;
        bool operator==(const Cell&) const = default;
    };
    struct Column {
        std::vector<Cell> Cells; // one per row
        NodeId Header = kNone;
        int Width = kDefaultColumnWidth;
        bool operator==(const Column&) const = default;
    };

    void CheckCell(int col, int row) const;

    int rowCount_ = 2;
    std::vector<Column> columns_;
    std::vector<std::optional<TAlternativeData>> rows_; // one per row
};

} // namespace velor
