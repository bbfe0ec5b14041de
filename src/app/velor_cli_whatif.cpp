// velor-cli whatif and stability: which single change of one statement's bound would make one
// alternative dominate another, and over which interval each stated bound can move without
// changing any dominance or recommendation; as text, or as JSON.
#include "app/velor_cli_command.h"
#include "app/velor_cli_host.h"
#include "app/velor_cli_json.h"
#include "calc/stability.h"
#include "calc/what_if.h"
#include "model/number_format.h"

#include <unistd.h>

#include <iostream>
#include <new>
#include <sstream>

namespace velor::cli {

namespace {

inline constexpr int kWhatIfJsonVersion = 1;
inline constexpr int kStabilityJsonVersion = 1;

std::string NodeName(const Model& model, NodeId node) {
    return model.Exists(node) ? model.Node(node).Name : std::string();
}

nlohmann::ordered_json ReferenceJson(const Model& model, const StatementBound& bound) {
    return bound.IsWeight() ? nlohmann::ordered_json(NodeName(model, bound.Reference))
                            : nlohmann::ordered_json(nullptr);
}

// Zero without a sign, as every document writes it.
double Number(double value) {
    return value == 0.0 ? 0.0 : value;
}

nlohmann::ordered_json OptionalNumber(double value) {
    return value == kNotGiven ? nlohmann::ordered_json(nullptr)
                              : nlohmann::ordered_json(Number(value));
}

nlohmann::ordered_json WhatIfJson(const Model& model, const WhatIfResult& result) {
    nlohmann::ordered_json json;
    json["format"] = {{"name", "velor-whatif"}, {"version", kWhatIfJsonVersion}};
    json["better"] = model.AlternativeName(result.Better);
    json["than"] = model.AlternativeName(result.Than);
    json["dominates_now"] = result.DominatesNow;
    json["margin_now"] = Number(result.MarginNow);
    nlohmann::ordered_json changes = nlohmann::ordered_json::array();
    for (const WhatIfChange& change : result.Changes) {
        changes.push_back({{"kind", BoundKindName(change.Bound.Kind)},
                           {"node", NodeName(model, change.Bound.Node)},
                           {"reference", ReferenceJson(model, change.Bound)},
                           {"current", OptionalNumber(change.Current)},
                           {"threshold", Number(change.Threshold)},
                           {"proposed", Number(change.Proposed)},
                           {"text", change.Text}});
    }
    json["changes"] = std::move(changes);
    nlohmann::ordered_json tornado = nlohmann::ordered_json::array();
    for (const TornadoBar& bar : result.Tornado) {
        tornado.push_back({{"node", NodeName(model, bar.Node)},
                           {"weight", {Number(bar.WeightLow), Number(bar.WeightHigh)}},
                           {"low", {Number(bar.LowMin), Number(bar.LowMax)}},
                           {"high", {Number(bar.HighMin), Number(bar.HighMax)}}});
    }
    json["tornado"] = std::move(tornado);
    return json;
}

nlohmann::ordered_json StabilityJson(const Model& model, const StabilityResult& result) {
    nlohmann::ordered_json json;
    json["format"] = {{"name", "velor-stability"}, {"version", kStabilityJsonVersion}};
    nlohmann::ordered_json statements = nlohmann::ordered_json::array();
    for (const StabilityInterval& interval : result.Intervals) {
        const auto end = [](const std::optional<double>& value) {
            return value ? nlohmann::ordered_json(Number(*value)) : nlohmann::ordered_json(nullptr);
        };
        statements.push_back({{"kind", BoundKindName(interval.Bound.Kind)},
                              {"node", NodeName(model, interval.Bound.Node)},
                              {"reference", ReferenceJson(model, interval.Bound)},
                              {"value", Number(interval.Value)},
                              {"range", {end(interval.Low), end(interval.High)}},
                              {"text", interval.Text}});
    }
    json["statements"] = std::move(statements);
    return json;
}

// The row of an alternative by its name; a UsageError for a name the model does not hold.
int AlternativeRow(const Model& model, const std::string& name) {
    for (int row = 1; row <= model.M(); ++row) {
        if (model.AlternativeName(row) == name) {
            return row;
        }
    }
    throw UsageError("unknown alternative \"" + name + "\"");
}

// Reports an analysis that did not complete; returns its exit code.
int NotCompleted(AnalysisStatus status, const std::string& message, const std::string& json) {
    std::cerr << (status == AnalysisStatus::Infeasible ? "warning: " : "error: ") << message
              << '\n';
    if (!json.empty()) {
        std::cerr << "Nothing was written to " << json << ".\n";
    }
    return kExitNotComputed;
}

std::string Dump(const nlohmann::ordered_json& json) {
    return json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

int WhatIf(const Arguments& args) {
    const std::string modelPath = args.Operand(0);
    const bool quiet = args.Has("--quiet");
    const std::string json = args.Value("--json").value_or("");
    const std::optional<std::string> betterName = args.Value("--better");
    const std::optional<std::string> thanName = args.Value("--than");
    if (!betterName || !thanName) {
        throw UsageError("--better and --than are required");
    }
    RequireDistinctFiles({{"MODEL.vlr", modelPath}}, {{"--json", json}});
    Model model;
    if (!LoadModel(model, modelPath)) {
        return kExitBadModel;
    }
    const int better = AlternativeRow(model, *betterName);
    const int than = AlternativeRow(model, *thanName);
    if (better == than) {
        throw UsageError("--better and --than name the same alternative");
    }
    TerminalHost host(std::cerr, true, quiet, ::isatty(STDERR_FILENO) != 0);
    host.ResetCancel();
    host.RunStarted("What if...");
    const WhatIfOutcome outcome = AnalyzePair(model, better, than, &host);
    host.RunFinished();
    if (outcome.Status != AnalysisStatus::Completed) {
        return NotCompleted(outcome.Status, outcome.Message, json);
    }
    if (!json.empty()) {
        return WriteOutput(json, Dump(WhatIfJson(model, outcome.Result)));
    }
    const WhatIfResult& result = outcome.Result;
    std::ostringstream out;
    out << *betterName << (result.DominatesNow ? " dominates " : " does not dominate ") << *thanName
        << " (minimum of the value difference " << FormatNumber(result.MarginNow) << ").\n";
    if (!result.DominatesNow) {
        out << "\nChanges that would make " << *betterName << " dominate " << *thanName << ":\n";
        if (result.Changes.empty()) {
            out << "none: no single bound of a statement can do it.\n";
        }
        for (const WhatIfChange& change : result.Changes) {
            out << "- " << change.Text << '\n';
        }
    }
    out << "\nValue difference with each weight at the low and the high end of its interval:\n";
    for (const TornadoBar& bar : result.Tornado) {
        out << "- " << NodeName(model, bar.Node) << ": " << FormatInterval(bar.LowMin, bar.LowMax)
            << " | " << FormatInterval(bar.HighMin, bar.HighMax) << '\n';
    }
    return WriteOutput("-", out.str());
}

int Stability(const Arguments& args) {
    const std::string modelPath = args.Operand(0);
    const bool quiet = args.Has("--quiet");
    const std::string json = args.Value("--json").value_or("");
    RequireDistinctFiles({{"MODEL.vlr", modelPath}}, {{"--json", json}});
    Model model;
    if (!LoadModel(model, modelPath)) {
        return kExitBadModel;
    }
    TerminalHost host(std::cerr, true, quiet, ::isatty(STDERR_FILENO) != 0);
    host.ResetCancel();
    host.RunStarted("Stability...");
    const StabilityOutcome outcome = AnalyzeStability(model, &host);
    host.RunFinished();
    if (outcome.Status != AnalysisStatus::Completed) {
        return NotCompleted(outcome.Status, outcome.Message, json);
    }
    if (!json.empty()) {
        return WriteOutput(json, Dump(StabilityJson(model, outcome.Result)));
    }
    std::ostringstream out;
    if (outcome.Result.Intervals.empty()) {
        out << "No weight or ratio statement bounds the model.\n";
    }
    for (const StabilityInterval& interval : outcome.Result.Intervals) {
        out << (interval.Low ? FormatNumber(*interval.Low) : std::string("open")) << " ... "
            << (interval.High ? FormatNumber(*interval.High) : std::string("open")) << "  "
            << interval.Text << '\n';
    }
    return WriteOutput("-", out.str());
}

template <int (*Run)(const Arguments&)> int Guarded(const Arguments& args) {
    try {
        return Run(args);
    } catch (const std::bad_alloc&) {
        std::cerr << "error: " << kOutOfMemoryMessage << '\n';
        return kExitNotComputed;
    }
}

const Option kJsonOption{"--json", "", "OUT.json|-",
                         "writes the result as JSON instead of the text\n"
                         "(\"-\": to standard output)"};

Command WhatIfCommand() {
    return {
        "whatif",
        "MODEL.vlr",
        "what single change of a statement would make one alternative dominate another",
        {
            {"--better", "", "NAME", "the alternative that should dominate (A)"},
            {"--than", "", "NAME", "the alternative it should dominate (B)"},
            kJsonOption,
            kQuietOption,
        },
        "Lists every lower or upper bound of a weight statement (in the weight mode in\n"
        "force) or of a ratio statement that, changed on its own beyond a threshold,\n"
        "would make A dominate B, and the minimum and maximum of V(A) - V(B) with each\n"
        "weight at the low and the high end of its interval. Alternatives are named as\n"
        "in the model; an unknown name is a usage error. Ctrl+C cancels.\n",
        Guarded<WhatIf>,
    };
}

Command StabilityCommand() {
    return {
        "stability",
        "MODEL.vlr",
        "how far each stated bound can move before a conclusion changes",
        {
            kJsonOption,
            kQuietOption,
        },
        "For every bound of every weight and ratio statement, the interval over which it\n"
        "can move, everything else fixed, with every dominance and every decision-rule\n"
        "recommendation unchanged (to 1e-4 of the bound's value); \"open\" where nothing\n"
        "changes however far it moves. Narrowest first. Ctrl+C cancels.\n",
        Guarded<Stability>,
    };
}

[[maybe_unused]] const bool kRegisteredWhatIf = RegisterCommand(WhatIfCommand());
[[maybe_unused]] const bool kRegisteredStability = RegisterCommand(StabilityCommand());

} // namespace

} // namespace velor::cli
