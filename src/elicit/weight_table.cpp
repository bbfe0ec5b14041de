#include "elicit/weight_table.h"

#include "elicit/decimal_entry.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

namespace velor::elicit {

namespace {

const char* const kColumnTitles[kWeightColumnCount] = {"", "Worst Conseq.", "Best Conseq.",
                                                       "Lower bound", "Upper bound"};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

} // namespace

int BestLevelRow(const Model& model, int column) {
    int best = 0;
    int bestRank = 0;
    for (int row = 1; row <= model.M(); ++row) {
        const int rank = model.Rank(column, row);
        if (rank > 0 && (bestRank == 0 || rank < bestRank)) {
            bestRank = rank;
            best = row;
        }
    }
    return best;
}

int WorstLevelRow(const Model& model, int column) {
    return model.HighestRankRow(column);
}

bool AcceptBoundKey(const std::string& remaining, char key, char /*decimalSeparator*/) {
    if (key == kBoundBackspace || key == kBoundEnter) {
        return true;
    }
    if (static_cast<int>(remaining.size()) >= kMaxBoundLength) {
        return false;
    }
    if (IsDecimalMark(key)) {
        return std::none_of(remaining.begin(), remaining.end(), IsDecimalMark);
    }
    return IsDigit(key);
}

std::optional<double> ParseBound(const std::string& text, char /*decimalSeparator*/) {
    const std::optional<std::string> number = WithDecimalPoint(Trim(text));
    if (!number || number->empty()) {
        return std::nullopt;
    }
    // from_chars would read "inf" and "nan"; a bound is digits, a separator and an exponent.
    for (char c : *number) {
        if (!IsDigit(c) && c != '.' && c != 'e' && c != 'E' && c != '+' && c != '-') {
            return std::nullopt;
        }
    }
    double value = 0.0;
    const char* end = number->data() + number->size();
    const auto [ptr, ec] = std::from_chars(number->data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value) || value < 0.0) {
        return std::nullopt;
    }
    return value == 0.0 ? 0.0 : value; // no "-0"
}

std::string BoundText(double bound, char decimalSeparator) {
    if (bound < 0.0) {
        return {};
    }
    // 15 significant digits with a point, whatever the C library's locale is.
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, bound, std::chars_format::general, 15);
    std::string text(buffer, result.ptr);
    for (char& c : text) {
        if (c == '.') {
            c = decimalSeparator;
        }
    }
    return text;
}

GridCell NextBoundCell(int rowCount, GridCell from, bool backwards) {
    if (rowCount <= 0) {
        return {0, kLowerColumn};
    }
    // Number the bound cells 0, 1, 2, ... row by row and step through them in a circle.
    const int cells = 2 * rowCount;
    int index = 2 * std::clamp(from.row, 0, rowCount - 1);
    if (from.column == kUpperColumn) {
        index += 1;
    } else if (from.column != kLowerColumn) {
        index += backwards ? 0 : -1; // a fixed cell sits just before its row's lower bound
    }
    index = ((index + (backwards ? -1 : 1)) % cells + cells) % cells;
    return {index / 2, index % 2 == 0 ? kLowerColumn : kUpperColumn};
}

std::vector<PastePiece> SplitPastedText(const std::string& text) {
    std::vector<PastePiece> pieces;
    PastePiece current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\t') {
            pieces.push_back(current);
            current.text.clear();
            ++current.columnOffset;
        } else if (c == '\n') {
            pieces.push_back(current);
            current.text.clear();
            current.columnOffset = 0;
            ++current.rowOffset;
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            // dropped: spreadsheets end their rows with CR LF
        } else {
            current.text += c;
        }
    }
    pieces.push_back(current);
    return pieces;
}

WeightTable::WeightTable(const Model& model, NodeId goal, char decimalSeparator)
    : model_(model), goal_(goal), separator_(decimalSeparator) {
    if (model.TreeEmpty()) {
        return;
    }
    const bool topDown = goal != kNone;
    for (NodeId node : model.PreOrder()) {
        const bool take = topDown ? model.Parent(node) == goal : model.IsAttribute(node);
        if (!take) {
            continue;
        }
        const auto& data = model.Node(node);
        const int column = data.Column;
        WeightRow row;
        row.node = node;
        row.name = data.Name;
        row.lower = BoundText(topDown ? data.TopDownLower : data.BottomUpLower, separator_);
        row.upper = BoundText(topDown ? data.TopDownUpper : data.BottomUpUpper, separator_);
        const int worst = WorstLevelRow(model, column);
        const int best = BestLevelRow(model, column);
        const bool goalWithChildren = model.IsGoal(node) && !model.Children(node).empty();
        const std::string missing = goalWithChildren ? kImplicitGoal : kNotDefined;
        row.worst = worst > 0 ? model.DisplayText(column, worst) : missing;
        row.best = best > 0 ? model.DisplayText(column, best) : missing;
        if (worst > 0 && best > 0 && model.Rank(column, best) > 0 &&
            model.Rank(column, best) == model.Rank(column, worst) && row.lower.empty() &&
            row.upper.empty()) {
            // Every ranked level is tied: there is no swing to weigh, so offer a zero weight.
            row.lower = "0";
            row.upper = "0";
        }
        rows_.push_back(std::move(row));
    }
}

std::string WeightTable::Caption(int tourStep, int tourSteps) const {
    std::string caption = TopDown() ? "Top Down Weight Assessment: " + model_.Node(goal_).Name
                                    : std::string("Bottom Up Weight Assessment");
    if (tourSteps > 0) {
        caption += " (Elicitation Tour Step " + std::to_string(tourStep) + " of " +
                   std::to_string(tourSteps) + ")";
    }
    return caption;
}

std::string WeightTable::Text(int row, int column) const {
    if (row < 0 || row >= RowCount()) {
        return {};
    }
    const WeightRow& r = rows_[static_cast<std::size_t>(row)];
    switch (column) {
    case kNameColumn:
        return r.name;
    case kWorstColumn:
        return r.worst;
    case kBestColumn:
        return r.best;
    case kLowerColumn:
        return r.lower;
    case kUpperColumn:
        return r.upper;
    default:
        return {};
    }
}

bool WeightTable::IsReference(int row) const {
    if (row < 0 || row >= RowCount()) {
        return false;
    }
    const WeightRow& r = rows_[static_cast<std::size_t>(row)];
    return ParseBound(r.lower, separator_) == kReferenceWeight &&
           ParseBound(r.upper, separator_) == kReferenceWeight;
}

bool WeightTable::SetText(int row, int column, std::string text) {
    if (row < 0 || row >= RowCount() || !Editable(column)) {
        return false;
    }
    WeightRow& r = rows_[static_cast<std::size_t>(row)];
    (column == kLowerColumn ? r.lower : r.upper) = std::move(text);
    return true;
}

void WeightTable::Clear(const CellRange& range) {
    for (int row = range.top; row <= range.bottom; ++row) {
        for (int column = range.left; column <= range.right; ++column) {
            SetText(row, column, {});
        }
    }
}

std::string WeightTable::Copy(const CellRange& range) const {
    std::string text;
    for (int row = range.top; row <= range.bottom; ++row) {
        if (row > range.top) {
            text += '\n';
        }
        for (int column = range.left; column <= range.right; ++column) {
            if (column > range.left) {
                text += '\t';
            }
            text += Text(row, column);
        }
    }
    return text;
}

void WeightTable::Paste(const std::string& text, const CellRange& range) {
    const auto pieces = SplitPastedText(text.substr(0, kMaxPasteLength));
    for (int row = range.top; row <= range.bottom; ++row) {
        for (int column = range.left; column <= range.right; ++column) {
            for (const auto& piece : pieces) {
                SetText(row + piece.rowOffset, column + piece.columnOffset, piece.text);
            }
        }
    }
}

std::string WeightTable::ConsequenceText(NodeId node, int row) const {
    return row > 0 ? model_.DisplayText(model_.Node(node).Column, row) : kNotDefined;
}

std::string WeightTable::PopupText(int row) const {
    std::string text = "The following consequences change:\n";
    if (row < 0 || row >= RowCount()) {
        return text;
    }
    const NodeId top = rows_[static_cast<std::size_t>(row)].node;
    for (NodeId node : model_.PreOrder()) {
        if (!model_.IsAttribute(node) || !model_.InSubtree(node, top)) {
            continue;
        }
        const int column = model_.Node(node).Column;
        text += model_.Node(node).Name + ": " +
                ConsequenceText(node, WorstLevelRow(model_, column)) + " -> " +
                ConsequenceText(node, BestLevelRow(model_, column)) + "\n";
    }
    return text;
}

WeightCheck WeightTable::Check() const {
    WeightCheck check;
    bool reference = false;
    for (int row = 0; row < RowCount(); ++row) {
        const WeightRow& r = rows_[static_cast<std::size_t>(row)];
        double bounds[2] = {kNotGiven, kNotGiven};
        const std::string* texts[2] = {&r.lower, &r.upper};
        for (int k = 0; k < 2; ++k) {
            if (Trim(*texts[k]).empty()) {
                continue;
            }
            const auto value = ParseBound(*texts[k], separator_);
            if (!value) {
                check.outcome = WeightCheck::Outcome::NotANumber;
                check.row = row;
                check.column = kLowerColumn + k;
                check.message = "'" + *texts[k] + "' is not a valid number.\nThe " +
                                kColumnTitles[kLowerColumn + k] + " of " + r.name +
                                " must be a number of 0 or more, or empty.";
                check.bounds.clear();
                return check;
            }
            bounds[k] = *value;
        }
        if (bounds[0] >= 0 && bounds[1] >= 0 && bounds[1] < bounds[0]) {
            check.outcome = WeightCheck::Outcome::UnsuitableValue;
            check.row = row;
            check.column = kLowerColumn;
            check.caption = kUnsuitableValueCaption;
            check.message = kUnsuitableValueText;
            check.bounds.clear();
            return check;
        }
        reference = reference || IsReference(row);
        check.bounds.push_back({r.node, bounds[0], bounds[1]});
    }
    if (!reference) {
        check.outcome = WeightCheck::Outcome::ReferenceMissing;
        check.caption = kReferenceMissingCaption;
        check.message = kReferenceMissingText;
        check.bounds.clear();
    }
    return check;
}

} // namespace velor::elicit
