// The working set of the score assessment dialog without its widgets: the ranking of one node's
// achievement levels, the given ratio statements and the recommendations, the dialog's texts in
// and outside the elicitation tour, and the write to the model on OK. Nothing reaches the model
// before Store.
#pragma once

#include "elicit/ranking.h"
#include "elicit/ratio_statement.h"
#include "elicit/recommend.h"
#include "model/model.h"

#include <array>
#include <string>
#include <vector>

namespace velor::elicit {

inline constexpr const char* kScoreInfoText =
    "First, rank scores in the left list box by selecting them and clicking Rank button. Rank "
    "button will move the score to the last item of the right list box. When done, you may move "
    "to Cardinal Ranking page.";
inline constexpr const char* kHolisticInfoText =
    "First, rank alternatives with respect of the shown goal by selecting them in the left list "
    "box and clicking Rank button. Rank button will move the alternative to the last item of the "
    "right list box. When done, you may move to Cardinal Ranking page.";
inline constexpr const char* kFeasibilityCaption = "Model Feasibility Check";

class ScoreAssessment {
public:
    // entry must be a "Score Assessment" or "Holistic Comparison" entry with a statement set;
    // std::invalid_argument otherwise. tourSteps > 0 puts the dialog on the elicitation tour.
    ScoreAssessment(const Model& model, EntryId entry, int tourStep = 0, int tourSteps = 0);

    // Whether the dialog can be opened on the entry (it exists and carries a statement set).
    static bool CanAssess(const Model& model, EntryId entry);

    NodeId Node() const { return node_; }
    bool HolisticMode() const { return holistic_; }
    int TourStep() const { return tourStep_; }
    int TourSteps() const { return tourSteps_; }
    bool OnTour() const { return tourSteps_ > 0; }

    // ----- texts and tour variant
    // The node name, "parent -> node" when the parent is not the main goal.
    const std::string& NodeName() const { return name_; }
    std::string Caption() const;
    const char* InfoText() const { return holistic_ ? kHolisticInfoText : kScoreInfoText; }
    std::string OkCaption() const;
    std::string CancelCaption() const;
    bool TourButtonsVisible() const { return OnTour(); }
    bool BackEnabled() const { return OnTour() && tourStep_ != 1 && !infeasibleNo_; }
    bool CancelEnabled() const { return !infeasibleNo_; }
    bool AbortEnabled() const { return !infeasibleNo_; }
    // The dialog opens on the "Ordinal Ranking" page while there is something to rank.
    bool StartOnOrdinalPage() const { return !ranking_.Unranked().empty(); }

    // ----- ordinal ranking
    const Ranking& Levels() const { return ranking_; }
    // The alternatives holding unranked level index, by name in table order ("Compact hatchback,
    // Small SUV"); empty where the level's text already names its only alternative (an empty
    // cell, or a holistic level that is the alternative's name).
    std::string UnrankedHolders(int index) const;
    void SelectUnranked(int index) { ranking_.SelectUnranked(index); }
    void SelectRanked(int index) { ranking_.SelectRanked(index); }
    bool Rank();
    bool More();
    bool Less();
    bool Remove();

    // ----- ratio statements
    bool CardinalEnabled() const { return RatioStatementsPossible(ranking_.Ranked()); }
    int Style() const { return style_; }
    void SetStyle(int style);
    const std::vector<TCardinalStatement>& Recommendations() const { return recommendations_; }
    const std::vector<TCardinalStatement>& Given() const { return given_; }
    int SelectedRecommendation() const { return selectedRecommendation_; }
    int SelectedGiven() const { return selectedGiven_; }
    void SelectRecommendation(int index);
    void SelectGiven(int index);
    bool CanAdd() const { return selectedRecommendation_ >= 0; }
    bool CanEditGiven() const { return selectedGiven_ >= 0; }
    bool CanRemoveGiven() const { return selectedGiven_ >= 0; }

    // "From " + lower level + " to " + higher level, each level by its ranked label.
    std::string DifferenceText(AltId higher, AltId lower) const;
    // Compared and reference difference of a proposal.
    std::array<std::string, 2> RecommendationTexts(int index) const;
    // Compared difference, reference difference, lower and upper bound of a given statement.
    std::array<std::string, 4> GivenTexts(int index, char decimalSeparator = '.') const;
    // The differences the ratio statement dialog offers for the current ranking.
    std::vector<DifferenceEntry> Differences() const {
        return DifferenceEntries(ranking_.Ranked());
    }

    // The selected proposal becomes the given statement confirmed (the proposal after the
    // ratio statement dialog); the next proposal is selected.
    bool AddRecommendation(const TCardinalStatement& confirmed);
    void AppendGiven(const TCardinalStatement& statement);
    bool ReplaceGiven(int index, const TCardinalStatement& statement);
    // Removes the selected given statement and rebuilds the proposals.
    bool RemoveGiven();

    // ----- OK
    // Writes the ranks of every alternative and the given statements into the model (marking
    // it changed) and recomputes the assessed statuses.
    void Store(Model& model) const;
    std::string InfeasibleQuestion() const;
    // Shown when the solver failed during the feasibility check; the statements stay stored.
    static std::string CheckFailedMessage(const std::string& solverError);
    // After an infeasible OK answered No: Cancel, Abort and Back stay disabled.
    void SetInfeasibleNo() { infeasibleNo_ = true; }
    bool InfeasibleNo() const { return infeasibleNo_; }

private:
    void BuildRecommendations();
    std::string LevelText(AltId alternative) const;

    NodeId node_ = kNone;
    int column_ = 0;
    int rowCount_ = 0;
    bool holistic_ = false;
    int tourStep_ = 0;
    int tourSteps_ = 0;
    std::string name_;
    std::vector<std::string> alternativeNames_; // by table row - 1
    Ranking ranking_;
    int style_ = kSuccessiveDifferences;
    std::vector<TCardinalStatement> given_;
    std::vector<TCardinalStatement> recommendations_;
    int selectedGiven_ = -1;
    int selectedRecommendation_ = -1;
    bool infeasibleNo_ = false;
};

} // namespace velor::elicit
