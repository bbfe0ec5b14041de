// Small models for the calculation tests: a main goal, attributes and goals added in pre-order,
// alternatives whose consequence texts follow their ranks, and statements by row.
#pragma once

#include "calc/calc_host.h"
#include "model/model.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace velor::testing {

class CalcTestModel {
public:
    explicit CalcTestModel(int alternatives) {
        root = model.AddNode(kGoal, kNone);
        for (int i = 0; i < alternatives; ++i) {
            model.NewAlternative();
        }
    }

    NodeId Add(NodeKind kind, NodeId parent) { return model.AddNode(kind, parent); }
    NodeId Attribute() { return Add(kAttribute, root); }

    // One rank per row (0 = unranked); the texts make ranked rows of equal rank one level.
    void Rank(NodeId node, const std::vector<int>& ranks) {
        const int column = model.ColumnOfNode(node);
        for (int row = 1; row <= model.M(); ++row) {
            const int rank = ranks[static_cast<std::size_t>(row - 1)];
            model.CommitCellText(
                column, row,
                rank == 0 ? "free " + std::to_string(row) : "level " + std::to_string(rank), false);
        }
        model.StoreRanking(node, ranks, Statements(node));
    }

    void Ratio(NodeId node, int num1, int num2, int den1, int den2, double lower, double upper) {
        TCardinalStatement s;
        s.Num1 = model.AlternativeId(num1);
        s.Num2 = model.AlternativeId(num2);
        s.Den1 = model.AlternativeId(den1);
        s.Den2 = model.AlternativeId(den2);
        s.Lower = lower;
        s.Upper = upper;
        model.PreferenceData(node)->Statements.push_back(s);
    }

    void BottomUp(NodeId node, double lower, double upper) {
        model.StoreWeightBounds(false, {{node, lower, upper}});
    }
    void TopDown(NodeId node, double lower, double upper) {
        model.StoreWeightBounds(true, {{node, lower, upper}});
    }

    Model model;
    NodeId root = kNone;

private:
    std::vector<TCardinalStatement> Statements(NodeId node) const {
        const TPreferenceData* preference = model.Preference(node);
        return preference != nullptr ? preference->Statements : std::vector<TCardinalStatement>{};
    }
};

// A host that records everything the driver shows and answers by script.
class ScriptedHost : public CalcHost {
public:
    void ProcessEvents() override {
        ++eventPumps;
        if (cancelAtPump > 0 && eventPumps == cancelAtPump) {
            cancel = true;
        }
    }
    bool CancelRequested() override { return cancel; }
    void ResetCancel() override {
        cancel = false;
        ++resets;
    }
    void RunStarted(const std::string& statusText) override { status.push_back(statusText); }
    void ShowProgress(int done, int total) override {
        lastDone = done;
        lastTotal = total;
        ++progressCalls;
    }
    void RunFinished() override { ++finished; }
    bool AskContinue(const std::string& question) override {
        questions.push_back(question);
        return answerYes;
    }
    void ShowMessage(MessageKind kind, const std::string& text) override {
        messages.emplace_back(kind, text);
    }

    // The only message of the run (the tests expect exactly one).
    std::pair<MessageKind, std::string> Message() const {
        return messages.size() == 1 ? messages.front()
                                    : std::pair{MessageKind::Error, std::string("<none or many>")};
    }

    int cancelAtPump = 0; // sets the cancel flag during the n-th pump (0: never)
    bool answerYes = true;
    bool cancel = false;
    int eventPumps = 0;
    int resets = 0;
    int lastDone = -1;
    int lastTotal = -1;
    int progressCalls = 0;
    int finished = 0;
    std::vector<std::string> status;
    std::vector<std::string> questions;
    std::vector<std::pair<MessageKind, std::string>> messages;
};

} // namespace velor::testing
