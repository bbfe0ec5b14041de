// The clipboard form of a block of cells: cells of a row separated by one TAB, rows by one LF, no
// line end after the last row, no quoting. Plain C++ so the rules can be tested without a window.
#pragma once

#include <string>
#include <vector>

namespace velor::ui {

// Joins rows of cell texts into the clipboard form.
std::string JoinBlock(const std::vector<std::vector<std::string>>& rows);

// One piece of a pasted text and the cell it goes to, relative to the cell the paste starts at.
struct PastePiece {
    int columnOffset = 0;
    int rowOffset = 0;
    std::string text;
};

// Splits a pasted text into pieces in the order they are stored: a TAB moves one column to the
// right, an LF to the start column of the next row; the text after the last separator (empty
// after a final LF) is a piece too. A CR right before an LF is dropped, so text copied from
// spreadsheets with CR LF line ends does not leave a CR at the end of each row's last cell.
std::vector<PastePiece> SplitPaste(const std::string& text);

} // namespace velor::ui
