// The working set of the weight assessment dialog: one row per node being weighed (the children
// of a goal, top down, or every twig-level attribute, bottom up) with the node's worst and best
// consequence and the lower and upper bound texts the user edits. Nothing reaches the model
// until Check() accepts every cell and the caller stores the returned bounds.
#pragma once

#include "model/model.h"

#include <optional>
#include <string>
#include <vector>

namespace velor::elicit {

// Columns of the weight grid.
inline constexpr int kNameColumn = 0;
inline constexpr int kWorstColumn = 1;
inline constexpr int kBestColumn = 2;
inline constexpr int kLowerColumn = 3;
inline constexpr int kUpperColumn = 4;
inline constexpr int kWeightColumnCount = 5;

// A typed bound holds at most this many characters.
inline constexpr int kMaxBoundLength = 7;
// A paste reads at most this many characters of the clipboard.
inline constexpr std::size_t kMaxPasteLength = 65536;

inline constexpr const char* kImplicitGoal = "Implicit (Goal)";
inline constexpr const char* kNotDefined = "Not defined";

inline constexpr const char* kUnsuitableValueCaption = "Unsuitable Value";
inline constexpr const char* kUnsuitableValueText =
    "Lower bound value is greater than upper bound value!";
inline constexpr const char* kReferenceMissingCaption = "Reference Value Missing";
inline constexpr const char* kReferenceMissingText =
    "You must assign at least one attribute as reference attribute!\n"
    "Set that attribute's lower and upper bounds to 100.";
inline constexpr const char* kReferenceRowTip =
    "The reference row: every other row's bounds are % of its weight.";
inline constexpr const char* kWeightInfoText =
    "First, select one attribute, e.g. the most important, as the reference attribute and set "
    "that attribute's lower and upper bounds to 100. Then, compare other attributes to the "
    "reference attribute and give them weight intervals.";

// The level rows the consequence columns show: the first row holding the smallest positive rank
// of the column (rank 1 unless the ranks have a gap at the top), and the first row holding its
// largest rank. 0 when no cell of the column is ranked.
int BestLevelRow(const Model& model, int column);
int WorstLevelRow(const Model& model, int column);

// Keys as the bound filter sees them.
inline constexpr char kBoundBackspace = '\b';
inline constexpr char kBoundEnter = '\r';

// Whether a key typed into a bound cell is kept. remaining is the cell's text without the part
// the key replaces (the selection): digits and one decimal mark (a point or a comma, see
// decimal_entry.h; EnteredChar gives the character it puts into the cell) are kept while the
// result stays within kMaxBoundLength characters; Backspace and Enter always are; anything else
// is discarded.
bool AcceptBoundKey(const std::string& remaining, char key, char decimalSeparator);

// A bound text as a number: blanks around it are ignored, a point or a comma marks the decimals
// whatever the locale's separator is (at most one of them, never a group separator), an
// exponent is allowed. Nothing for an empty text, a text that is not a number, a negative number
// or one that is not finite.
std::optional<double> ParseBound(const std::string& text, char decimalSeparator);
// A stored bound in its shortest decimal form ("100", "12.5"); empty when it is not given.
std::string BoundText(double bound, char decimalSeparator);

// A cell of the grid, in data rows and grid columns.
struct GridCell {
    int row = 0;
    int column = 0;
    bool operator==(const GridCell&) const = default;
};

// The bound cell that Tab and Enter (backwards: Shift+Tab) go to from a cell of a grid of
// rowCount rows: only the lower and upper bound cells take part, row by row, from an upper bound
// to the next row's lower bound, and from the last cell back to the first. From a fixed cell,
// forwards is the row's lower bound and backwards the previous row's upper bound.
GridCell NextBoundCell(int rowCount, GridCell from, bool backwards);

// The pieces of a pasted text and the cells they go to, relative to the cell the block starts
// at: TAB moves one column right, LF to the next row and back to the first column; a CR right
// before an LF is dropped.
struct PastePiece {
    int rowOffset = 0;
    int columnOffset = 0;
    std::string text;
};
std::vector<PastePiece> SplitPastedText(const std::string& text);

// A rectangle of grid cells, in data rows (0 = first row below the header) and grid columns.
struct CellRange {
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
};

struct WeightRow {
    NodeId node = kNone;
    std::string name;
    std::string worst;
    std::string best;
    std::string lower;
    std::string upper;
};

// What OK found.
struct WeightCheck {
    enum class Outcome { Accepted, NotANumber, UnsuitableValue, ReferenceMissing };
    Outcome outcome = Outcome::Accepted;
    int row = -1;    // the row to put the cursor on; -1 = the grid as a whole
    int column = -1; // the column to put the cursor on
    std::string caption;
    std::string message;
    std::vector<Model::WeightBound> bounds; // when accepted: every row, -1 for an empty cell
};

class WeightTable {
public:
    // goal = kNone: the bottom-up assessment of all twig-level attributes.
    WeightTable(const Model& model, NodeId goal, char decimalSeparator = '.');

    NodeId Goal() const { return goal_; }
    bool TopDown() const { return goal_ != kNone; }
    // "Top Down Weight Assessment: " + goal name, or "Bottom Up Weight Assessment"; on the tour
    // followed by " (Elicitation Tour Step n of m)".
    std::string Caption(int tourStep = 0, int tourSteps = 0) const;

    // False when there is nothing to weigh (no nodes, or no row); the grid then shows one empty
    // row and OK only checks feasibility.
    bool Enabled() const { return !rows_.empty(); }
    int RowCount() const { return static_cast<int>(rows_.size()); }
    const WeightRow& Row(int row) const { return rows_.at(static_cast<std::size_t>(row)); }
    const std::vector<WeightRow>& Rows() const { return rows_; }

    static bool Editable(int column) { return column == kLowerColumn || column == kUpperColumn; }
    std::string Text(int row, int column) const;
    // Whether the row's cells make it a reference row: both bounds the number 100.
    bool IsReference(int row) const;
    // Sets an editable cell; false (and nothing changes) for any other cell.
    bool SetText(int row, int column, std::string text);

    // Empties the editable cells of the range.
    void Clear(const CellRange& range);
    // The range as text: cells of a row joined by TAB, rows by LF.
    std::string Copy(const CellRange& range) const;
    // Writes the text as a block whose top-left is each cell of the range in turn (rows top to
    // bottom, columns left to right). Cells outside the grid or not editable are left alone.
    void Paste(const std::string& text, const CellRange& range);

    // "The following consequences change:\n" and one line per attribute in the row node's
    // subtree: name + ": " + worst + " -> " + best.
    std::string PopupText(int row) const;

    // Validates every cell before anything is stored: a cell that is not a number, then a lower
    // bound above the upper bound (row by row), then a missing reference row.
    WeightCheck Check() const;

private:
    std::string ConsequenceText(NodeId node, int row) const;

    const Model& model_;
    NodeId goal_;
    char separator_;
    std::vector<WeightRow> rows_;
};

} // namespace velor::elicit
