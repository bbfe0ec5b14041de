#include "calc/group.h"

#include "calc/result_warnings.h"
#include "model/model_file.h"

#include <algorithm>
#include <map>
#include <utility>

namespace velor {

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

int ParentIndex(const Model& model, NodeId node) {
    const NodeId parent = model.Parent(node);
    return parent == kNone ? -1 : model.PreOrderIndex(parent);
}

const char* KindName(const Model& model, NodeId node) {
    return model.IsAttribute(node) ? "an attribute" : "a goal";
}

std::optional<std::string> TreeDifference(const Model& first, const Model& other) {
    if (first.NodeCount() != other.NodeCount()) {
        return "the value tree has " + std::to_string(other.NodeCount()) + " nodes instead of " +
               std::to_string(first.NodeCount());
    }
    for (int i = 0; i < first.NodeCount(); ++i) {
        const NodeId a = first.NodeAt(i);
        const NodeId b = other.NodeAt(i);
        const std::string where = "node " + std::to_string(i + 1) + " of the value tree";
        if (first.Node(a).Name != other.Node(b).Name) {
            return where + " is " + Quoted(other.Node(b).Name) + " instead of " +
                   Quoted(first.Node(a).Name);
        }
        if (first.IsAttribute(a) != other.IsAttribute(b)) {
            return where + ", " + Quoted(other.Node(b).Name) + ", is " + KindName(other, b) +
                   " instead of " + KindName(first, a);
        }
        if (ParentIndex(first, a) != ParentIndex(other, b)) {
            return where + ", " + Quoted(other.Node(b).Name) + ", has another parent";
        }
    }
    return std::nullopt;
}

std::optional<std::string> AlternativeDifference(const Model& first, const Model& other) {
    if (first.M() != other.M()) {
        return "it has " + std::to_string(other.M()) + " alternatives instead of " +
               std::to_string(first.M());
    }
    for (int row = 1; row <= first.M(); ++row) {
        if (first.AlternativeName(row) != other.AlternativeName(row)) {
            return "alternative " + std::to_string(row) + " is " +
                   Quoted(other.AlternativeName(row)) + " instead of " +
                   Quoted(first.AlternativeName(row));
        }
    }
    return std::nullopt;
}

std::optional<std::string> ConsequenceDifference(const Model& first, const Model& other) {
    for (int col = 1; col <= first.N(); ++col) {
        for (int row = 1; row <= first.M(); ++row) {
            if (first.CellText(col, row) != other.CellText(col, row)) {
                const NodeId node = first.NodeByColumn(col);
                const std::string name = node != kNone ? first.Node(node).Name : "?";
                return "the consequence of " + Quoted(first.AlternativeName(row)) + " on " +
                       Quoted(name) + " is " + Quoted(other.CellText(col, row)) + " instead of " +
                       Quoted(first.CellText(col, row));
            }
        }
    }
    return std::nullopt;
}

const char* WeightMode(bool topDown) {
    return topDown ? "top-down" : "bottom-up";
}

const char* OnOff(bool on) {
    return on ? "on" : "off";
}

// Answers every question the way velor-cli does by default and stops when asked to.
class QuietHost : public CalcHost {
public:
    explicit QuietHost(const std::function<bool()>& stop) : stop_(stop) {}
    bool CancelRequested() override { return stop_ && stop_(); }
    void ShowProgress(int, int) override {}
    bool AskContinue(const std::string&) override { return true; }
    void ShowMessage(MessageKind, const std::string&) override {}

private:
    const std::function<bool()>& stop_;
};

bool IsDominated(const Model& model, int row) {
    const std::vector<std::uint8_t>& codes = model.Alternative(row).Dominance;
    return std::find(codes.begin(), codes.end(), kDominated) != codes.end();
}

std::uint8_t CodeOf(const Model& model, int row, int otherRow) {
    const std::vector<std::uint8_t>& codes = model.Alternative(row).Dominance;
    return static_cast<std::size_t>(otherRow) < codes.size()
               ? codes[static_cast<std::size_t>(otherRow)]
               : static_cast<std::uint8_t>(kNotComputed);
}

} // namespace

std::optional<std::string> FirstGroupDifference(const Model& first, const Model& other) {
    if (auto tree = TreeDifference(first, other)) {
        return tree;
    }
    if (auto alternatives = AlternativeDifference(first, other)) {
        return alternatives;
    }
    if (auto consequences = ConsequenceDifference(first, other)) {
        return consequences;
    }
    if (first.TopDownWeights() != other.TopDownWeights()) {
        return std::string("it weighs ") + WeightMode(other.TopDownWeights()) + " instead of " +
               WeightMode(first.TopDownWeights());
    }
    if (first.NormalizedIntervals() != other.NormalizedIntervals()) {
        return std::string("its option Normalized Intervals is ") +
               OnOff(other.NormalizedIntervals()) + " instead of " +
               OnOff(first.NormalizedIntervals());
    }
    return std::nullopt;
}

std::optional<std::string> GroupMismatch(const std::vector<GroupMember>& members) {
    for (std::size_t i = 1; i < members.size(); ++i) {
        if (auto difference = FirstGroupDifference(members[0].Data, members[i].Data)) {
            return members[i].Name + " (" + members[i].File + ") cannot join the group of " +
                   members[0].Name + ": " + *difference + ".";
        }
    }
    return std::nullopt;
}

Model MemberCopy(const Model& model, bool keepStatements) {
    Model copy = model;
    copy.SetJointModels({});
    copy.ClearResults();
    if (!keepStatements) {
        copy.ClearPreferences();
        for (const NodeId node : copy.PreOrder()) {
            if (TPreferenceData* preference = copy.PreferenceData(node)) {
                preference->Statements.clear();
            }
        }
        copy.RefreshAssessedStatus();
    }
    return copy;
}

bool SaveMemberCopies(const Model& model, bool keepStatements, const std::string& groupPath,
                      const std::vector<GroupEntry>& members, std::string* error) {
    const Model copy = MemberCopy(model, keepStatements);
    std::string why;
    for (const GroupEntry& member : members) {
        const std::string path = MemberFilePath(groupPath, member.Path);
        if (!SaveModelFile(copy, path, &why)) {
            if (error != nullptr) {
                *error = path + ": " + why;
            }
            return false;
        }
    }
    if (!SaveGroupFile(groupPath, members, &why)) {
        if (error != nullptr) {
            *error = groupPath + ": " + why;
        }
        return false;
    }
    return true;
}

Model ConsensusModel(const std::vector<GroupMember>& members) {
    if (members.empty()) {
        return {};
    }
    Model consensus = members.front().Data;
    consensus.ClearResults();
    std::vector<Model> others;
    for (std::size_t i = 1; i < members.size(); ++i) {
        others.push_back(members[i].Data);
        others.back().SetJointModels({});
    }
    consensus.SetJointModels(std::move(others));
    return consensus;
}

CommonGround FindCommonGround(const std::vector<const Model*>& models) {
    CommonGround common;
    if (models.empty()) {
        return common;
    }
    const int m = models.front()->M();
    std::vector<int> withResults;
    for (std::size_t k = 0; k < models.size(); ++k) {
        if (models[k]->Calculated().Dominance) {
            withResults.push_back(static_cast<int>(k));
        }
    }
    const bool everyMember = withResults.size() == models.size();
    for (int row = 1; row <= m; ++row) {
        bool dominatedForAll = everyMember;
        bool undominatedForSome = false;
        for (const int k : withResults) {
            const bool dominated = IsDominated(*models[static_cast<std::size_t>(k)], row);
            dominatedForAll = dominatedForAll && dominated;
            undominatedForSome = undominatedForSome || !dominated;
        }
        if (dominatedForAll) {
            common.DominatedForAll.push_back(row);
        }
        if (undominatedForSome) {
            common.UndominatedForSome.push_back(row);
        }
    }
    for (int row = 1; row <= m; ++row) {
        for (int other = row + 1; other <= m; ++other) {
            std::map<std::uint8_t, std::vector<int>> byCode;
            for (const int k : withResults) {
                byCode[CodeOf(*models[static_cast<std::size_t>(k)], row, other)].push_back(k);
            }
            if (byCode.size() > 1) {
                DominanceDisagreement disagreement{row, other, {}};
                for (auto& [code, holders] : byCode) {
                    disagreement.Holders.push_back({code, std::move(holders)});
                }
                common.Disagreements.push_back(std::move(disagreement));
            }
        }
    }
    return common;
}

GroupResults CalculateGroup(const std::vector<GroupMember>& members,
                            const std::function<bool()>& stop) {
    GroupResults results;
    QuietHost host(stop);
    std::vector<const Model*> calculated;
    for (const GroupMember& member : members) {
        MemberResult result;
        result.Calculated = member.Data;
        result.Calculated.SetJointModels({});
        result.Calculated.ClearResults(); // only this run's results count
        CalculationDriver driver(result.Calculated, host);
        result.Outcome = driver.Run(kCalculateModel);
        results.Members.push_back(std::move(result));
    }
    for (const MemberResult& result : results.Members) {
        calculated.push_back(&result.Calculated);
    }
    results.Common = FindCommonGround(calculated);
    results.Consensus = ConsensusModel(members);
    CalculationDriver driver(results.Consensus, host);
    results.ConsensusOutcome = driver.Run(kCalculateModel);
    if (results.ConsensusOutcome == RunOutcome::Infeasible) {
        results.Conflict = FindConflict(results.Consensus, stop);
    }
    return results;
}

std::vector<std::string> GroupWarnings(const std::vector<GroupMember>& members,
                                       const GroupResults& results) {
    std::vector<std::string> warnings;
    for (std::size_t k = 0; k < results.Members.size() && k < members.size(); ++k) {
        const RunOutcome outcome = results.Members[k].Outcome;
        if (outcome == RunOutcome::Infeasible || outcome == RunOutcome::NothingToRun) {
            continue; // nothing calculated to warn about
        }
        for (const std::string& warning : ResultWarnings(results.Members[k].Calculated)) {
            warnings.push_back(members[k].Name + ": " + warning);
        }
    }
    if (results.ConsensusOutcome == RunOutcome::Complete ||
        results.ConsensusOutcome == RunOutcome::NotFinished) {
        const std::string unranked = UnrankedAttributesWarning(results.Consensus);
        for (const std::string& warning : ResultWarnings(results.Consensus)) {
            if (warning != unranked) {
                warnings.push_back("Consensus: " + warning);
            }
        }
    }
    return warnings;
}

std::string DescribeMemberStatement(const std::vector<GroupMember>& members, const Model& consensus,
                                    const ConflictStatement& statement, char decimalSeparator) {
    const std::string text = DescribeStatement(consensus, statement, decimalSeparator);
    if (statement.Member < 0 || static_cast<std::size_t>(statement.Member) >= members.size()) {
        return text;
    }
    return members[static_cast<std::size_t>(statement.Member)].Name + ": " + text;
}

} // namespace velor
