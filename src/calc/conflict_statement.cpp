#include "calc/conflict_statement.h"

#include "calc/constraint_generator.h"

#include <algorithm>
#include <charconv>

namespace velor {

namespace {

// A multiplier or percentage as the user typed it: its shortest decimal form.
std::string Number(double value, char decimalSeparator) {
    char buffer[64];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    std::string text = error == std::errc{} ? std::string(buffer, end) : std::string("?");
    std::replace(text.begin(), text.end(), '.', decimalSeparator);
    return text;
}

// A level by its consequence text; a level without text is its alternative, named.
std::string LevelName(const Model& model, int column, int row) {
    if (row < 1 || row > model.M()) {
        return "?";
    }
    const std::string& text = model.CellText(column, row);
    return Model::IsEmptyText(text) ? model.AlternativeName(row) : text;
}

std::string LevelOf(const Model& model, int column, AltId alternative) {
    return LevelName(model, column, model.RowOfAlternative(alternative));
}

std::string NodeName(const Model& model, NodeId node) {
    return model.Exists(node) ? model.Node(node).Name : std::string("?");
}

// Two rows of one rank that share a consequence text are one level: their equality is what a
// level means, not something the decision maker said.
bool SameLevel(const Model& model, int column, int row, int otherRow) {
    const std::string& text = model.CellText(column, row);
    return !Model::IsEmptyText(text) && text == model.CellText(column, otherRow);
}

std::string Difference(const Model& model, int column, AltId from, AltId to) {
    return "from " + LevelOf(model, column, from) + " to " + LevelOf(model, column, to);
}

} // namespace

const Model& StatementModel(const Model& model, int member) {
    const std::vector<Model>& joint = model.JointModels();
    if (member < 1 || static_cast<std::size_t>(member) > joint.size()) {
        return model;
    }
    return joint[static_cast<std::size_t>(member) - 1];
}

std::optional<ConflictStatement> StatementOfRow(const Model& whole, const RowOrigin& origin) {
    const Model& model = StatementModel(whole, origin.Member);
    const NodeId node = model.NodeByColumn(origin.Column);
    if (node == kNone) {
        return std::nullopt;
    }
    ConflictStatement statement;
    statement.Node = node;
    statement.Member = origin.Member;
    switch (origin.Source) {
    case RowSource::Scale:
        return std::nullopt;
    case RowSource::WorstLevel:
        // The worst level is worth 0; when it is also the best, so is the attribute's weight.
        if (!model.IsAttribute(node) || origin.Row != origin.OtherRow) {
            return std::nullopt;
        }
        statement.Kind = ConflictKind::FlatRanking;
        return statement;
    case RowSource::UnrankedLevel:
        // An attribute's unranked level is bounded by its best level, a goal's unranked
        // alternative by its best one, which the decision maker chose.
        statement.Kind =
            model.IsAttribute(node) ? ConflictKind::UnrankedLevel : ConflictKind::HolisticRanking;
        statement.Unranked = true;
        statement.Better = model.AlternativeId(origin.OtherRow);
        statement.Worse = model.AlternativeId(origin.Row);
        return statement;
    case RowSource::EqualRank:
    case RowSource::NextRank: {
        const bool equal = origin.Source == RowSource::EqualRank;
        if (equal && SameLevel(model, origin.Column, origin.Row, origin.OtherRow)) {
            return std::nullopt;
        }
        statement.Kind =
            model.IsAttribute(node) ? ConflictKind::Ranking : ConflictKind::HolisticRanking;
        statement.Equal = equal;
        statement.Better = model.AlternativeId(origin.OtherRow);
        statement.Worse = model.AlternativeId(origin.Row);
        return statement;
    }
    case RowSource::RatioLower:
    case RowSource::RatioUpper: {
        const TPreferenceData* preference = model.Preference(node);
        if (preference == nullptr || origin.Statement < 0 ||
            origin.Statement >= static_cast<int>(preference->Statements.size())) {
            return std::nullopt;
        }
        statement.Kind = ConflictKind::RatioBound;
        statement.Statement = origin.Statement;
        statement.Ratio = preference->Statements[static_cast<std::size_t>(origin.Statement)];
        const bool lower = origin.Source == RowSource::RatioLower;
        statement.Bound = lower ? BoundSide::Lower : BoundSide::Upper;
        statement.Value = lower ? statement.Ratio.Lower : statement.Ratio.Upper;
        return statement;
    }
    case RowSource::BottomUpUpper:
    case RowSource::BottomUpLower:
    case RowSource::TopDownUpper:
    case RowSource::TopDownLower: {
        const TNodeData& data = model.Node(node);
        const bool bottomUp =
            origin.Source == RowSource::BottomUpUpper || origin.Source == RowSource::BottomUpLower;
        const bool upper =
            origin.Source == RowSource::BottomUpUpper || origin.Source == RowSource::TopDownUpper;
        statement.Kind = bottomUp ? ConflictKind::BottomUpWeight : ConflictKind::TopDownWeight;
        statement.Bound = upper ? BoundSide::Upper : BoundSide::Lower;
        statement.Value = bottomUp ? (upper ? data.BottomUpUpper : data.BottomUpLower)
                                   : (upper ? data.TopDownUpper : data.TopDownLower);
        statement.Reference = model.NodeByColumn(origin.Reference);
        return statement;
    }
    }
    return std::nullopt;
}

std::string DescribeStatement(const Model& whole, const ConflictStatement& statement,
                              char decimalSeparator) {
    const Model& model = StatementModel(whole, statement.Member);
    const std::string node = NodeName(model, statement.Node);
    const int column = model.Exists(statement.Node) ? model.ColumnOfNode(statement.Node) : 0;
    const std::string bound = statement.Bound == BoundSide::Lower ? "at least " : "at most ";
    switch (statement.Kind) {
    case ConflictKind::Ranking:
    case ConflictKind::HolisticRanking: {
        const std::string better = LevelOf(model, column, statement.Better);
        const std::string worse = LevelOf(model, column, statement.Worse);
        if (statement.Unranked) {
            return "On " + node + ", " + better + ", ranked best, is at least as good as " + worse +
                   ", which is not ranked.";
        }
        return "On " + node + ", " + better +
               (statement.Equal ? " and " + worse + " are equally good."
                                : " is preferred to " + worse + ".");
    }
    case ConflictKind::RatioBound: {
        const TCardinalStatement& ratio = statement.Ratio;
        return "On " + node + ", the increase in value " +
               Difference(model, column, ratio.Num2, ratio.Num1) + " is " + bound +
               Number(statement.Value, decimalSeparator) + " times the increase " +
               Difference(model, column, ratio.Den2, ratio.Den1) + ".";
    }
    case ConflictKind::BottomUpWeight:
    case ConflictKind::TopDownWeight: {
        std::string text = "The weight of " + node + " is " + bound +
                           Number(statement.Value, decimalSeparator) + " % of the weight of " +
                           NodeName(model, statement.Reference) + ".";
        const NodeId goal = WeightAssessmentGoal(model, statement);
        if (goal != kNone) {
            text[0] = 't';
            text = "Within " + NodeName(model, goal) + ", " + text;
        }
        return text;
    }
    case ConflictKind::FlatRanking:
        return "On " + node + ", all ranked levels are equally good, so " + node +
               " can carry no weight.";
    case ConflictKind::UnrankedLevel: {
        const std::string worse = LevelOf(model, column, statement.Worse);
        const std::string best = LevelOf(model, column, statement.Better);
        if (WorstAlternativeRow(model, column) == 0) {
            return "On " + node + ", no level is ranked, so " + worse +
                   " is worth at most the first level, " + best + ".";
        }
        return "On " + node + ", " + worse +
               " is not ranked, so it is worth at most the best level, " + best + ".";
    }
    }
    return {};
}

const char* ConflictKindName(ConflictKind kind) {
    switch (kind) {
    case ConflictKind::Ranking:
        return "ranking";
    case ConflictKind::HolisticRanking:
        return "holistic-ranking";
    case ConflictKind::RatioBound:
        return "ratio";
    case ConflictKind::BottomUpWeight:
        return "bottom-up-weight";
    case ConflictKind::TopDownWeight:
        return "top-down-weight";
    case ConflictKind::FlatRanking:
        return "flat-ranking";
    case ConflictKind::UnrankedLevel:
        return "unranked-level";
    }
    return "?";
}

NodeId WeightAssessmentGoal(const Model& model, const ConflictStatement& statement) {
    if (statement.Kind != ConflictKind::TopDownWeight || !model.Exists(statement.Node)) {
        return kNone;
    }
    return model.Parent(statement.Node);
}

AssessmentTarget AssessmentOf(const Model& model, const ConflictStatement& statement) {
    using Dialog = AssessmentTarget::Dialog;
    if (!model.Exists(statement.Node)) {
        return {};
    }
    switch (statement.Kind) {
    case ConflictKind::Ranking:
    case ConflictKind::HolisticRanking:
    case ConflictKind::UnrankedLevel:
        return {Dialog::Score, statement.Node, kNone, statement.Worse};
    case ConflictKind::RatioBound:
        return {Dialog::Score, statement.Node, kNone, kNone, statement.Statement};
    case ConflictKind::FlatRanking:
        return {Dialog::Score, statement.Node};
    case ConflictKind::BottomUpWeight:
        return {Dialog::Weight, kNone, statement.Node};
    case ConflictKind::TopDownWeight:
        return {Dialog::Weight, WeightAssessmentGoal(model, statement), statement.Node};
    }
    return {};
}

} // namespace velor
