// One statement of the decision maker at the grain at which it can be taken back: one relation of
// a ranking, one bound of a ratio statement, one bound of a weight statement. Used to say which
// statements contradict each other, in words and with what a window needs to open the dialog
// where the statement was made.
#pragma once

#include "calc/row_origin.h"
#include "model/model.h"

#include <cstdint>
#include <optional>
#include <string>

namespace velor {

enum class ConflictKind : std::uint8_t {
    Ranking,         // one relation of an attribute's ranking of its levels
    HolisticRanking, // one relation of a goal's ranking of the alternatives
    RatioBound,      // one bound of a ratio statement of an attribute or a goal
    BottomUpWeight,  // one bound of an attribute's weight against the reference attribute
    TopDownWeight,   // one bound of a node's weight against its reference sibling
    // A ranked attribute whose ranked levels all share one rank: its best level is its worst,
    // which the scale puts at 0, so the attribute carries no weight.
    FlatRanking,
    // An unranked level of an attribute is worth at most the attribute's best level (Worse: the
    // unranked level, Better: the best level; row 1 when no level is ranked).
    UnrankedLevel,
};

enum class BoundSide : std::uint8_t { Lower, Upper };

struct ConflictStatement {
    ConflictKind Kind = ConflictKind::Ranking;
    NodeId Node = kNone; // the node the statement is about (the weighed node for weights)
    // Rankings: a level worth at most (Equal: exactly) as much as another, each named by one of
    // its alternatives. Unranked: Worse is not ranked and Better is ranked best, which a
    // holistic ranking says of every alternative it leaves out.
    AltId Better = kNone;
    AltId Worse = kNone;
    bool Equal = false;
    bool Unranked = false;
    // Ratio statements: the position in the node's list and the statement itself.
    int Statement = -1;
    TCardinalStatement Ratio;
    // Ratio and weight statements: which bound, and its multiplier or percentage.
    BoundSide Bound = BoundSide::Lower;
    double Value = 0.0;
    NodeId Reference = kNone; // weight statements: the reference node
    // Whose statement: 0 the model's own, k the k-th of its joint models (Model::JointModels).
    int Member = 0;
};

// The model whose statement member is: the model itself for 0, else its joint model number
// member (the model itself when there is no such joint model).
const Model& StatementModel(const Model& model, int member);

// The statement a constraint row states, or nothing for a row that holds in every model: the
// weight sum and the normalizer, the worst level of an attribute whose best level is another
// one (the worst levels' sum, which holds both kinds, too), and the equality of two
// alternatives that share one level (one consequence text). The worst level of an attribute
// whose ranked levels share one rank is its flat ranking; the bound of an attribute's unranked
// level by its best level is its own statement: a conflict may need either.
std::optional<ConflictStatement> StatementOfRow(const Model& model, const RowOrigin& origin);

// The statement in words, in the user's terms: node names, levels by their consequence text
// (an alternative's name where the cell is empty), multipliers and percentages with the given
// decimal separator. "On Price, 650 is preferred to 900." A joint model's statement is told as
// that model holds it.
std::string DescribeStatement(const Model& model, const ConflictStatement& statement,
                              char decimalSeparator = '.');

// A short stable name of the kind for files and scripts: "ranking", "holistic-ranking", "ratio",
// "bottom-up-weight", "top-down-weight", "flat-ranking", "unranked-level".
const char* ConflictKindName(ConflictKind kind);

// The goal whose weight assessment holds a top-down weight statement (the weighed node's
// parent); kNone for every other kind.
NodeId WeightAssessmentGoal(const Model& model, const ConflictStatement& statement);

// The assessment dialog in which a statement is made and changed.
struct AssessmentTarget {
    enum class Dialog : std::uint8_t {
        None,   // the statement's node is gone
        Score,  // the score assessment (holistic comparison of a goal) of Node
        Weight, // the weight assessment of Node's children; Node kNone: all attributes at once
    };
    Dialog Kind = Dialog::None;
    NodeId Node = kNone;
    // Where the dialog opens: the weighed node's row of a weight assessment; the level of a
    // ranking relation (the worse one) or the ratio statement (its position) of a score
    // assessment. kNone and -1: where it opens anyway.
    NodeId CurrentNode = kNone;
    AltId CurrentLevel = kNone;
    int CurrentStatement = -1;
    // The same dialog, wherever it opens.
    bool operator==(const AssessmentTarget& other) const {
        return Kind == other.Kind && Node == other.Node;
    }
};
AssessmentTarget AssessmentOf(const Model& model, const ConflictStatement& statement);

} // namespace velor
