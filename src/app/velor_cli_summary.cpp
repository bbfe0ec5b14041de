#include "app/velor_cli_summary.h"

#include "app/velor_cli_command.h"
#include "app/velor_cli_json.h"
#include "calc/result_warnings.h"
#include "model/number_format.h"

#include <iostream>
#include <ostream>
#include <string>

namespace velor {

namespace {

std::string Bracket(double lower, double upper) {
    return "[" + FormatInterval(lower, upper) + "]";
}

std::string Result(bool calculated, double lower, double upper) {
    return calculated ? Bracket(lower, upper) : std::string(kNotCalculatedText);
}

} // namespace

void PrintSummary(const Model& model, std::ostream& out) {
    const bool normalized = model.NormalizedIntervals();
    out << "Weights: " << (model.TopDownWeights() ? "top down" : "bottom up")
        << "; intervals: " << (normalized ? "normalized" : "non-normalized") << "\n\n";
    const CalculatedResults& calculated = model.Calculated();
    if (const auto warnings = ResultWarnings(model); !warnings.empty()) {
        for (const std::string& warning : warnings) {
            out << "Warning: " << warning << '\n';
        }
        out << '\n';
    }

    out << "Alternatives (" << model.M() << "):\n";
    for (int row = 1; row <= model.M(); ++row) {
        const TAlternativeData& data = model.Alternative(row);
        out << "  " << row << ". " << model.AlternativeName(row) << "  value "
            << Result(calculated.AnyMainValues(), data.ValueLower, data.ValueUpper)
            << "  max regret "
            << (calculated.Dominance ? FormatNumber(data.MaxRegret) : kNotCalculatedText);
        std::string rules;
        for (std::size_t rule = 0; rule < kDecisionRuleNames.size(); ++rule) {
            if (data.Recommended[rule] != 0) {
                rules += rules.empty() ? "" : ", ";
                rules += kDecisionRuleNames[rule];
            }
        }
        if (!rules.empty()) {
            out << "  recommended by " << rules;
        }
        out << '\n';
    }

    out << "\nValue tree (" << model.NodeCount() << " nodes):\n";
    for (NodeId id : model.PreOrder()) {
        int depth = 0;
        for (NodeId up = model.Parent(id); up != kNone; up = model.Parent(up)) {
            ++depth;
        }
        const TNodeData& data = model.Node(id);
        out << std::string(static_cast<std::size_t>(2 + 2 * depth), ' ')
            << (data.Kind == kGoal ? "+ " : "- ") << model.Caption(id) << '\n';
        for (int row = 1; row <= model.M(); ++row) {
            const auto index = static_cast<std::size_t>(row) - 1;
            if (index >= data.Values.size()) {
                break;
            }
            const TNodeValue& value = data.Values[index];
            out << std::string(static_cast<std::size_t>(6 + 2 * depth), ' ')
                << model.AlternativeName(row) << ": "
                << (normalized ? Result(calculated.ValuesOf(id == model.Root(), kNormalizedSet),
                                        value.NormLower, value.NormUpper)
                               : Result(calculated.ValuesOf(id == model.Root(), kPlainSet),
                                        value.Lower, value.Upper))
                << '\n';
        }
    }
}

namespace cli {

namespace {

int RunSummaryCommand(const Arguments& args) {
    const std::string json = args.Value("--json").value_or("");
    RequireDistinctFiles({{"MODEL.vlr", args.Operand(0)}}, {{"--json", json}});
    Model model;
    if (!LoadModel(model, args.Operand(0))) {
        return kExitBadModel;
    }
    if (json.empty()) {
        PrintSummary(model, std::cout);
        return kExitDone;
    }
    return WriteOutput(
        json,
        SummaryJson(model).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
}

[[maybe_unused]] const bool kRegistered =
    RegisterCommand({"summary",
                     "MODEL.vlr",
                     "prints alternatives, value tree, weights and values",
                     {kQuietOption,
                      {"--json", "", "OUT.json|-",
                       "writes the options and every stored result as JSON instead\n"
                       "(\"-\": to standard output)"}},
                     "",
                     RunSummaryCommand});

} // namespace

} // namespace cli

} // namespace velor
