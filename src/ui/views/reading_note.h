// The short line inside each result view that says how to read it ("Possible Loss: the most the
// alternative can fall short of the best"), and the texts of those lines.
#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace velor::ui {

// A wrapped line in a slightly smaller, muted type, named "ReadingNote".
QLabel* MakeReadingNote(const QString& text, QWidget* parent);

namespace reading {
inline constexpr const char* kValueIntervals =
    "Each bar: the overall values the statements allow for the alternative on this goal, from 0 "
    "(worst) to 1 (best). A bar wholly right of another is better on this goal, whatever the "
    "statements leave open.";
inline constexpr const char* kWeights =
    "Each bar: the weights the statements allow for the node, from its least to its greatest.";
inline constexpr const char* kDecisionRules =
    "A mark: the rule recommends the alternative. Possible Loss: the most the alternative can "
    "fall short of the best.";
inline constexpr const char* kRankAcceptability =
    "Each bar: how often the alternative ranks first (darkest), second, ... over the values and "
    "weights the statements allow; the figure after it is the share of first ranks.";
inline constexpr const char* kPairwiseWinning =
    "Each cell: the share of the samples in which the alternative of the row has a higher overall "
    "value than the alternative of the column.";
inline constexpr const char* kCentralWeights =
    "Each row: the mean weights, in %, of the samples in which the alternative ranks first "
    "(- : it never does).";
} // namespace reading

} // namespace velor::ui
