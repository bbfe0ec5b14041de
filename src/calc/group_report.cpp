#include "calc/group_report.h"

#include "model/number_format.h"

namespace velor {

namespace {

class Lines {
public:
    void Add(const std::string& text) { out_ += text + "\r\n"; }
    void Heading(const std::string& text) {
        Add(text);
        Add(std::string(CharacterCount(text), '-'));
    }
    std::string Take() { return std::move(out_); }

private:
    static std::size_t CharacterCount(const std::string& text) {
        std::size_t count = 0;
        for (const unsigned char c : text) {
            count += (c & 0xC0U) != 0x80U ? 1 : 0;
        }
        return count;
    }
    std::string out_;
};

std::string Names(const Model& model, const std::vector<int>& rows) {
    if (rows.empty()) {
        return "none";
    }
    std::string text;
    for (const int row : rows) {
        text += (text.empty() ? "" : ", ") + model.AlternativeName(row);
    }
    return text;
}

std::string MemberNames(const std::vector<GroupMember>& members, const std::vector<int>& which) {
    std::string text;
    for (const int k : which) {
        text += (text.empty() ? "" : ", ") + members[static_cast<std::size_t>(k)].Name;
    }
    return text;
}

std::string Recommendations(const TAlternativeData& data) {
    std::string text;
    for (std::size_t rule = 0; rule < kDecisionRuleNames.size(); ++rule) {
        if (data.Recommended[rule] != 0) {
            text += (text.empty() ? "" : ", ") + std::string(kDecisionRuleNames[rule]);
        }
    }
    return text.empty() ? "-" : text;
}

} // namespace

std::string OutcomeWords(RunOutcome outcome) {
    switch (outcome) {
    case RunOutcome::Complete:
        return {};
    case RunOutcome::NothingToRun:
        return "nothing to calculate";
    case RunOutcome::Infeasible:
        return "infeasible: the statements admit no solution";
    case RunOutcome::NotFinished:
        return "the calculation was not finished";
    case RunOutcome::SolverError:
        return "the solver stopped with an error";
    }
    return {};
}

std::string GroupReportText(const std::vector<GroupMember>& members, const GroupResults& results) {
    Lines out;
    const Model& model = results.Consensus;
    out.Heading("Group of " + std::to_string(members.size()) + " members");
    for (const GroupMember& member : members) {
        out.Add(member.Name + ": " + member.File);
    }
    out.Add("");
    const std::vector<std::string> warnings = GroupWarnings(members, results);
    if (!warnings.empty()) {
        out.Heading("Warnings");
        for (const std::string& warning : warnings) {
            out.Add(warning);
        }
        out.Add("");
    }

    out.Heading("Common ground");
    out.Add("Dominated for every member (safe to drop): " +
            Names(model, results.Common.DominatedForAll));
    out.Add("Undominated for some member: " + Names(model, results.Common.UndominatedForSome));
    for (const DominanceDisagreement& d : results.Common.Disagreements) {
        std::string line =
            model.AlternativeName(d.Row) + " against " + model.AlternativeName(d.OtherRow) + ":";
        for (const DominanceHolders& holders : d.Holders) {
            line += " " + std::string(DominanceCodeName(holders.Code)) + " (" +
                    MemberNames(members, holders.Members) + ");";
        }
        line.back() = '.';
        out.Add(line);
    }
    out.Add("");

    for (std::size_t k = 0; k < results.Members.size(); ++k) {
        const MemberResult& result = results.Members[k];
        out.Heading("Member " + members[k].Name);
        if (!OutcomeWords(result.Outcome).empty()) {
            out.Add(OutcomeWords(result.Outcome));
        }
        const Model& own = result.Calculated;
        if (own.Calculated().AnyMainValues()) {
            for (int row = 1; row <= own.M(); ++row) {
                const TAlternativeData& data = own.Alternative(row);
                out.Add(own.AlternativeName(row) + ": " +
                        FormatInterval(data.ValueLower, data.ValueUpper) +
                        "; recommended by: " + Recommendations(data));
            }
        }
        out.Add("");
    }

    out.Heading("Consensus");
    if (results.ConsensusOutcome == RunOutcome::Infeasible) {
        out.Add("The members' statements cannot all hold together. These contradict each other:");
        for (const ConflictStatement& statement : results.Conflict.Statements) {
            out.Add("  " + DescribeMemberStatement(members, model, statement));
        }
        return out.Take();
    }
    if (!OutcomeWords(results.ConsensusOutcome).empty()) {
        out.Add(OutcomeWords(results.ConsensusOutcome));
    }
    if (results.ConsensusOutcome != RunOutcome::Complete) {
        return out.Take();
    }
    // The consensus's own figures: its model file's statements are only the first member's, so
    // the model report of it would list too few of them.
    const bool normalized = model.NormalizedIntervals();
    for (int row = 1; row <= model.M(); ++row) {
        const TAlternativeData& data = model.Alternative(row);
        out.Add(model.AlternativeName(row) + ": " +
                FormatInterval(data.ValueLower, data.ValueUpper) + "; maximum regret " +
                FormatNumber(data.MaxRegret) + "; recommended by: " + Recommendations(data));
        for (int other = 1; other <= model.M(); ++other) {
            const auto index = static_cast<std::size_t>(other);
            if (other != row && index < data.Dominance.size() &&
                (data.Dominance[index] == kDominates || data.Dominance[index] == kDominated)) {
                out.Add("  " + std::string(DominanceCodeName(data.Dominance[index])) + " " +
                        model.AlternativeName(other));
            }
        }
    }
    out.Add(normalized ? "Weights (normalized):" : "Weights:");
    for (const NodeId node : model.PreOrder()) {
        if (node == model.Root()) {
            continue;
        }
        const TNodeData& data = model.Node(node);
        out.Add("  " + data.Name + ": " +
                (normalized ? FormatInterval(data.NormWeightLower, data.NormWeightUpper)
                            : FormatInterval(data.WeightLower, data.WeightUpper)));
    }
    return out.Take();
}

} // namespace velor
