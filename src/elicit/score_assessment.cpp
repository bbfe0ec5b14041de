#include "elicit/score_assessment.h"

#include <stdexcept>

namespace velor::elicit {

bool ScoreAssessment::CanAssess(const Model& model, EntryId entry) {
    const TAssessmentEntry* e = model.Entry(entry);
    return e && e->Preference && model.Exists(e->Preference->Node) &&
           (e->Kind == EntryKind::ScoreAssessment || e->Kind == EntryKind::HolisticComparison);
}

ScoreAssessment::ScoreAssessment(const Model& model, EntryId entry, int tourStep, int tourSteps) {
    if (!CanAssess(model, entry))
        throw std::invalid_argument("not a score assessment or holistic comparison");
    const TPreferenceData& preference = *model.Entry(entry)->Preference;
    node_ = preference.Node;
    holistic_ = preference.Holistic != 0;
    if (tourSteps > 0) {
        tourStep_ = tourStep;
        tourSteps_ = tourSteps;
    }
    name_ = model.Node(node_).Name;
    const NodeId parent = model.Parent(node_);
    if (parent != kNone && parent != model.Root())
        name_ = model.Node(parent).Name + " -> " + name_;

    column_ = model.ColumnOfNode(node_);
    rowCount_ = model.M();
    std::vector<LevelMember> members;
    for (int row = 1; row <= rowCount_; ++row) {
        LevelMember m;
        m.Alternative = model.AlternativeId(row);
        m.Row = row;
        m.Rank = model.Rank(column_, row);
        m.Label = model.DisplayText(column_, row);
        m.Consequence = model.CellText(column_, row);
        members.push_back(m);
        alternativeNames_.push_back(model.AlternativeName(row));
    }
    ranking_ = Ranking(members);
    given_ = preference.Statements;
    BuildRecommendations();
}

std::string ScoreAssessment::UnrankedHolders(int index) const {
    const std::vector<LevelRow>& unranked = ranking_.Unranked();
    if (index < 0 || index >= static_cast<int>(unranked.size()))
        return {};
    const LevelRow& level = unranked[index];
    std::string names;
    for (const LevelMember& m : level.Members) {
        if (m.Row < 1 || m.Row > static_cast<int>(alternativeNames_.size()))
            continue;
        if (!names.empty())
            names += ", ";
        names += alternativeNames_[m.Row - 1];
    }
    if (Model::IsEmptyText(level.Members.front().Consequence) || names == level.Label())
        return {};
    return names;
}

std::string ScoreAssessment::Caption() const {
    std::string caption = (holistic_ ? "Holistic Comparison: " : "Score Assessment: ") + name_;
    if (OnTour()) {
        caption += " (Elicitation Tour Step " + std::to_string(tourStep_) + " of " +
                   std::to_string(tourSteps_) + ")";
    }
    return caption;
}

std::string ScoreAssessment::OkCaption() const {
    return OnTour() && tourStep_ != tourSteps_ ? "&OK >>" : "&OK";
}

std::string ScoreAssessment::CancelCaption() const {
    if (!OnTour())
        return "&Cancel";
    return tourStep_ != tourSteps_ ? "&Skip >>" : "&Skip";
}

bool ScoreAssessment::Rank() {
    if (!ranking_.Rank())
        return false;
    BuildRecommendations();
    return true;
}

bool ScoreAssessment::More() {
    if (!ranking_.More())
        return false;
    BuildRecommendations();
    return true;
}

bool ScoreAssessment::Less() {
    if (!ranking_.Less())
        return false;
    BuildRecommendations();
    return true;
}

bool ScoreAssessment::Remove() {
    if (!ranking_.Remove())
        return false;
    BuildRecommendations();
    return true;
}

void ScoreAssessment::SetStyle(int style) {
    if (style < 0 || style >= static_cast<int>(kRecommendationStyleNames.size()))
        return;
    style_ = style;
    BuildRecommendations();
}

void ScoreAssessment::SelectRecommendation(int index) {
    selectedRecommendation_ =
        (index >= 0 && index < static_cast<int>(recommendations_.size())) ? index : -1;
}

void ScoreAssessment::SelectGiven(int index) {
    selectedGiven_ = (index >= 0 && index < static_cast<int>(given_.size())) ? index : -1;
}

void ScoreAssessment::BuildRecommendations() {
    recommendations_ = Recommend(ranking_.Ranked(), style_, given_);
    selectedRecommendation_ = -1;
}

std::string ScoreAssessment::LevelText(AltId alternative) const {
    if (const int r = ranking_.RankedRowOf(alternative); r >= 0)
        return ranking_.RankedText(r);
    // A level moved back to the unranked list after the statement was made.
    if (const LevelRow* row = ranking_.RowOf(alternative))
        return row->Label();
    return "?";
}

std::string ScoreAssessment::DifferenceText(AltId higher, AltId lower) const {
    return "From " + LevelText(lower) + " to " + LevelText(higher);
}

std::array<std::string, 2> ScoreAssessment::RecommendationTexts(int index) const {
    const auto& s = recommendations_.at(index);
    return {DifferenceText(s.Num1, s.Num2), DifferenceText(s.Den1, s.Den2)};
}

std::array<std::string, 4> ScoreAssessment::GivenTexts(int index, char decimalSeparator) const {
    const auto& s = given_.at(index);
    auto bound = [&](double v) {
        return v < 0 ? std::string() : FormatMultiplier(v, decimalSeparator);
    };
    return {DifferenceText(s.Num1, s.Num2), DifferenceText(s.Den1, s.Den2), bound(s.Lower),
            bound(s.Upper)};
}

bool ScoreAssessment::AddRecommendation(const TCardinalStatement& confirmed) {
    if (selectedRecommendation_ < 0)
        return false;
    const int index = selectedRecommendation_;
    given_.push_back(confirmed);
    recommendations_.erase(recommendations_.begin() + index);
    SelectRecommendation(index);
    return true;
}

void ScoreAssessment::AppendGiven(const TCardinalStatement& statement) {
    given_.push_back(statement);
}

bool ScoreAssessment::ReplaceGiven(int index, const TCardinalStatement& statement) {
    if (index < 0 || index >= static_cast<int>(given_.size()))
        return false;
    given_[index] = statement;
    return true;
}

bool ScoreAssessment::RemoveGiven() {
    if (selectedGiven_ < 0)
        return false;
    given_.erase(given_.begin() + selectedGiven_);
    selectedGiven_ = -1;
    BuildRecommendations();
    return true;
}

void ScoreAssessment::Store(Model& model) const {
    model.StoreRanking(node_, ranking_.RanksByRow(rowCount_), given_);
    model.RefreshAssessedStatus();
}

std::string ScoreAssessment::InfeasibleQuestion() const {
    std::string text = "The preferences you just gave have made the model infeasible.\n"
                       "Please check the correctness of the given preferences.\n";
    if (OnTour())
        text += "This will quit the elicitation tour.\n";
    text += "Do you want to continue anyway?\n";
    return text;
}

std::string ScoreAssessment::CheckFailedMessage(const std::string& solverError) {
    return "The consistency of the preferences could not be checked: the linear program solver "
           "stopped with an error:\n" +
           solverError + "\nThe preferences you just gave have been stored.";
}

} // namespace velor::elicit
