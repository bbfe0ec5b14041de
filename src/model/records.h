// Plain records of a decision model: tree nodes, alternatives, consequences, statements and the
// entries of the assessment list. They are values: references between them are stable ids,
// never pointers, so a copied model is independent of the original.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velor {

using NodeId = int;
using AltId = int;
using EntryId = int;
inline constexpr int kNone = -1;

// A bound or multiplier that the decision maker did not give.
inline constexpr double kNotGiven = -1.0;
// The weight bounds of a reference row.
inline constexpr double kReferenceWeight = 100.0;
// Longest name or consequence text a model file line can hold.
inline constexpr std::size_t kMaxTextLength = 255;

enum NodeKind : std::uint8_t { kGoal = 0, kAttribute = 1 };

// Value interval of one alternative with respect to one node.
struct TNodeValue {
    double NormLower = 0.0;
    double NormUpper = 1.0;
    double Lower = 0.0;
    double Upper = 0.0;
    bool operator==(const TNodeValue&) const = default;
};

struct TNodeData {
    std::uint8_t Kind = kGoal;
    std::string Name;
    EntryId Assessment = kNone; // the node's own "Score Assessment" / "Holistic Comparison" entry
    int Column = 0;
    double NormWeightUpper = 1.0;
    double NormWeightLower = 0.0;
    double WeightUpper = 1.0;
    double WeightLower = 0.0;
    double TopDownUpper = kNotGiven;
    double TopDownLower = kNotGiven;
    double BottomUpUpper = kNotGiven;
    double BottomUpLower = kNotGiven;
    std::vector<TNodeValue> Values; // entry k belongs to alternative row k + 1
    bool operator==(const TNodeData&) const = default;
};

// Dominance codes of TAlternativeData::Dominance.
enum DominanceCode : std::uint8_t {
    kDominates = 0,
    kDominated = 1,
    kNeither = 2,
    kSelf = 3,
    kNotComputed = 4,
};

// A dominance code in words, as the exports write it beside the number: "dominates", "is
// dominated by", "neither", "itself", "not computed" (and "unknown" for any other byte).
inline const char* DominanceCodeName(std::uint8_t code) {
    switch (code) {
    case kDominates:
        return "dominates";
    case kDominated:
        return "is dominated by";
    case kNeither:
        return "neither";
    case kSelf:
        return "itself";
    case kNotComputed:
        return "not computed";
    default:
        return "unknown";
    }
}

// Decision rules, in the order of TAlternativeData::Recommended.
enum DecisionRule { kMaximax = 0, kMaximin = 1, kCentralValues = 2, kMinimaxRegret = 3 };
inline constexpr std::array<const char*, 4> kDecisionRuleNames = {
    "Maximax", "Maximin", "Central Values", "Minimax Regret"};

struct TAlternativeData {
    AltId Id = kNone; // stable handle; statements refer to alternatives through it
    std::vector<std::uint8_t> Dominance; // M + 1 entries, entry 0 a placeholder
    std::vector<double> DominanceMargin; // M + 1 entries
    std::array<std::uint8_t, 4> Recommended{};
    double ValueUpper = 1.0;
    double ValueLower = 0.0;
    int Index = 0; // equals the row
    double MaxRegret = 0.0;
    bool operator==(const TAlternativeData&) const = default;
};

struct TConsequenceData {
    int Rank = 0; // 0 unranked, 1 most preferred, equal ranks tie
    double NormUpper = 1.0;
    double NormLower = 0.0;
    double Upper = 0.0;
    double Lower = 0.0;
    bool operator==(const TConsequenceData&) const = default;
};

// v(Num1) - v(Num2) is at least Lower and at most Upper times v(Den1) - v(Den2).
struct TCardinalStatement {
    AltId Num1 = kNone;
    AltId Num2 = kNone;
    AltId Den1 = kNone;
    AltId Den2 = kNone;
    double Lower = kNotGiven;
    double Upper = kNotGiven;
    bool Names(AltId a) const { return Num1 == a || Num2 == a || Den1 == a || Den2 == a; }
    bool operator==(const TCardinalStatement&) const = default;
};

struct TPreferenceData {
    NodeId Node = kNone;
    std::vector<TCardinalStatement> Statements;
    std::uint8_t Holistic = 0;
    std::uint8_t ReservedByte = 0;
    double ReservedReal = 1.0;
    bool operator==(const TPreferenceData&) const = default;
};

// What an assessment entry stands for.
enum class EntryKind {
    ScoreAssessment,    // an attribute's own entry, data: its statement set
    HolisticComparison, // a goal's own entry, data: its statement set
    TopDownWeights,     // a goal's weight assessment, data: the goal
    BottomUpWeights,    // the weight assessment of all twig-level attributes, no data
};

// How far an assessment task is done.
enum class AssessmentStatus : std::uint8_t { No, Partially, Yes };

struct TAssessmentEntry {
    EntryId Id = kNone;
    EntryKind Kind = EntryKind::ScoreAssessment;
    std::string Caption;
    int Image = 0;
    std::string References; // the node the task is about, or "Twig-level attributes"
    AssessmentStatus Status = AssessmentStatus::No;
    std::string Remarks;                       // "Optional", "Top Down", "Bottom Up" or empty
    std::optional<TPreferenceData> Preference; // own entries (none for "DATANULL" files)
    NodeId WeightNode = kNone;                 // top-down entries: the goal
    bool operator==(const TAssessmentEntry&) const = default;
};

// Which of a model's stored results hold calculated figures; the others hold the defaults a new
// model has ("not calculated"). Sets of value intervals and weights come in two kinds, indexed
// by kPlainSet and kNormalizedSet. The model file has no place for this: a model read from a file
// gets it from the figures the file holds, and a saved model holds no results that are out of
// date, so what a file holds was calculated for the model it stores.
inline constexpr int kPlainSet = 0;
inline constexpr int kNormalizedSet = 1;
inline constexpr int ResultSetOf(bool normalized) { return normalized ? kNormalizedSet : kPlainSet; }
struct CalculatedResults {
    std::array<bool, 2> MainValues{}; // the main goal's value intervals (and the alternatives')
    std::array<bool, 2> NodeValues{}; // the value intervals of every other node
    std::array<bool, 2> Weights{};    // the weight intervals of the nodes below the main goal
    bool Dominance = false;           // dominance codes and maximum regrets
    // Dominance margins calculated since the model was opened (a model file keeps only their
    // integer part).
    bool Margins = false;
    bool AnyMainValues() const { return MainValues[0] || MainValues[1]; }
    // The value intervals of a node (the main goal or another) in one set.
    bool ValuesOf(bool mainGoal, int set) const {
        return (mainGoal ? MainValues : NodeValues)[static_cast<std::size_t>(set)];
    }
    // The parts marked in both.
    CalculatedResults Common(const CalculatedResults& other) const;
    // The parts marked here and not in other.
    CalculatedResults Without(const CalculatedResults& other) const;
    // The parts marked in either.
    CalculatedResults With(const CalculatedResults& other) const;
    bool operator==(const CalculatedResults&) const = default;
};

namespace detail {
template <typename Op>
CalculatedResults CombineParts(const CalculatedResults& a, const CalculatedResults& b, Op op) {
    CalculatedResults r;
    for (std::size_t i = 0; i < 2; ++i) {
        r.MainValues[i] = op(a.MainValues[i], b.MainValues[i]);
        r.NodeValues[i] = op(a.NodeValues[i], b.NodeValues[i]);
        r.Weights[i] = op(a.Weights[i], b.Weights[i]);
    }
    r.Dominance = op(a.Dominance, b.Dominance);
    r.Margins = op(a.Margins, b.Margins);
    return r;
}
} // namespace detail

inline CalculatedResults CalculatedResults::Common(const CalculatedResults& other) const {
    return detail::CombineParts(*this, other, [](bool x, bool y) { return x && y; });
}
inline CalculatedResults CalculatedResults::Without(const CalculatedResults& other) const {
    return detail::CombineParts(*this, other, [](bool x, bool y) { return x && !y; });
}
inline CalculatedResults CalculatedResults::With(const CalculatedResults& other) const {
    return detail::CombineParts(*this, other, [](bool x, bool y) { return x || y; });
}

// One achievement level of a column: the rows sharing a non-empty text, or one row whose text is
// empty or a single space (shown as "(" + alternative name + ")").
struct AchievementLevel {
    std::string Text;
    std::vector<int> Rows; // ascending
};

} // namespace velor
