// velor-cli acceptability: how often each alternative ranks first, second, ... over the values
// and weights that the model's statements allow, as a table or as JSON.
#include "app/velor_cli_command.h"
#include "app/velor_cli_host.h"
#include "app/velor_cli_json.h"
#include "calc/acceptability.h"
#include "model/number_format.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <new>
#include <sstream>

namespace velor::cli {

namespace {

// Seeds up to 2^53 - 1, so that every JSON reader reads the seed back exactly.
constexpr std::int64_t kLargestSeed = 9007199254740991;

std::string Percent(double share) {
    return FormatNumber(std::round(share * 1000.0) / 10.0);
}

// Columns right-aligned after a left-aligned first column.
class Table {
public:
    void Add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }
    void Print(std::ostream& out) const {
        std::vector<std::size_t> widths;
        for (const auto& row : rows_) {
            widths.resize(std::max(widths.size(), row.size()), 0);
            for (std::size_t i = 0; i < row.size(); ++i) {
                widths[i] = std::max(widths[i], row[i].size());
            }
        }
        for (const auto& row : rows_) {
            std::string line;
            for (std::size_t i = 0; i < row.size(); ++i) {
                const std::string pad(widths[i] - row[i].size(), ' ');
                line += i == 0 ? row[i] + pad : "  " + pad + row[i];
            }
            out << line << '\n';
        }
    }

private:
    std::vector<std::vector<std::string>> rows_;
};

void PrintAcceptability(const AcceptabilityResult& result, std::ostream& out) {
    const std::size_t m = result.Alternatives.size();
    const auto counted = static_cast<std::size_t>(result.RanksCounted());
    out << "Acceptability of " << m << " alternatives: " << result.Samples << " samples, seed "
        << result.Seed << "\n\n";

    out << "Rank acceptability (% of samples at each rank, +- standard error";
    if (counted < m) {
        out << "; the first " << counted << " ranks";
    }
    out << ")\n";
    Table ranks;
    std::vector<std::string> header{"Alternative"};
    for (std::size_t r = 0; r < counted; ++r) {
        header.push_back("Rank " + std::to_string(r + 1));
    }
    ranks.Add(header);
    for (std::size_t a = 0; a < m; ++a) {
        std::vector<std::string> row{result.Alternatives[a]};
        for (std::size_t r = 0; r < counted; ++r) {
            row.push_back(Percent(result.RankShares[a][r]) + " +- " +
                          Percent(result.RankErrors[a][r]));
        }
        ranks.Add(row);
    }
    ranks.Print(out);

    out << "\nPairwise winning (% of samples in which the row's alternative beats the column's)\n";
    if (result.HasPairwiseWinning()) {
        Table pairs;
        header.assign(1, "Alternative");
        for (std::size_t b = 0; b < m; ++b) {
            header.push_back(std::to_string(b + 1));
        }
        pairs.Add(header);
        for (std::size_t a = 0; a < m; ++a) {
            std::vector<std::string> row{std::to_string(a + 1) + ". " + result.Alternatives[a]};
            for (std::size_t b = 0; b < m; ++b) {
                row.push_back(a == b ? "-" : Percent(result.PairwiseWinning[a][b]));
            }
            pairs.Add(row);
        }
        pairs.Print(out);
    } else {
        out << "Left out: the table of more than " << kFullTableAlternatives
            << " alternatives would take memory growing with their square.\n";
    }

    out << "\nCentral weights (mean weights over the samples where the alternative ranks first)\n";
    Table central;
    header.assign(1, "Alternative");
    header.insert(header.end(), result.Attributes.begin(), result.Attributes.end());
    central.Add(header);
    for (std::size_t a = 0; a < m; ++a) {
        std::vector<std::string> row{result.Alternatives[a]};
        for (std::size_t j = 0; j < result.Attributes.size(); ++j) {
            row.push_back(result.HasCentralWeights(static_cast<int>(a))
                              ? FormatNumber(result.CentralWeights[a][j])
                              : "-");
        }
        central.Add(row);
    }
    central.Print(out);
}

int Acceptability(const Arguments& args) {
    const std::string modelPath = args.Operand(0);
    AcceptabilityOptions options;
    options.Samples = static_cast<int>(
        args.Integer("--samples", kMinimumAcceptabilitySamples, 100000000, options.Samples));
    options.Seed = static_cast<std::uint64_t>(
        args.Integer("--seed", 0, kLargestSeed, static_cast<std::int64_t>(options.Seed)));
    const bool quiet = args.Has("--quiet");
    const std::string json = args.Value("--json").value_or("");
    RequireDistinctFiles({{"MODEL.vlr", modelPath}}, {{"--json", json}});

    Model model;
    if (!LoadModel(model, modelPath)) {
        return kExitBadModel;
    }

    TerminalHost host(std::cerr, true, quiet, ::isatty(STDERR_FILENO) != 0);
    host.ResetCancel();
    host.RunStarted("Acceptability analysis...");
    AcceptabilityCallbacks callbacks;
    callbacks.StopRequested = [&] { return host.CancelRequested(); };
    callbacks.Progress = [&](int done, int total) { host.ShowProgress(done, total); };
    const AcceptabilityOutcome outcome = ComputeAcceptability(model, options, callbacks);
    host.RunFinished();
    if (outcome.Status != AcceptabilityStatus::Completed) {
        host.ShowMessage(MessageKind::Error, outcome.Message);
        if (!json.empty()) {
            std::cerr << "The acceptability was not written to " << json << ".\n";
        }
        return kExitNotComputed;
    }
    if (json.empty()) {
        std::ostringstream text;
        PrintAcceptability(outcome.Result, text);
        return WriteOutput("-", text.str());
    }
    return WriteOutput(json,
                       AcceptabilityJson(outcome.Result)
                               .dump(2, ' ', false, nlohmann::json::error_handler_t::replace) +
                           "\n");
}

int RunAcceptability(const Arguments& args) {
    try {
        return Acceptability(args);
    } catch (const std::bad_alloc&) {
        // Wherever memory ran out (sampling, the table, the JSON), the run ends as every failed
        // analysis does; nothing was written.
        std::cerr << "error: " << kOutOfMemoryMessage << '\n';
        return kExitNotComputed;
    }
}

Command AcceptabilityCommand() {
    return {
        "acceptability",
        "MODEL.vlr",
        "shows how often each alternative ranks first, second, ... (sampling)",
        {
            {"--samples", "-n", "N", "number of samples (default 10000, at least 100)"},
            {"--seed", "", "S",
             "seed of the random numbers (default 1); a seed gives the same\n"
             "result on every run"},
            {"--json", "", "OUT.json|-",
             "writes the result as JSON instead of the table\n"
             "(\"-\": to standard output)"},
            kQuietOption,
        },
        "Samples are drawn uniformly from all values and weights that the model's\n"
        "statements allow (the attribute weights summing to 1); each sample ranks the\n"
        "alternatives by overall value. Alternatives of equal value share their ranks.\n"
        "The standard errors allow for the correlation of successive samples.\n",
        RunAcceptability,
    };
}

[[maybe_unused]] const bool kRegistered = RegisterCommand(AcceptabilityCommand());

} // namespace

} // namespace velor::cli
