// Full calculation (type 0) of generated decision models of 10x10, 20x20, 40x40 and 60x60
// (alternatives x attributes): wall time, linear programs, simplex iterations and peak memory of
// the default (warm-start) path, and in the same run the same sequence of linear programs solved
// by GLPK's primal simplex, once from scratch each and once warm (one problem per constraint
// set, only the objective changed between programs), plus the reference path that solves every
// program from scratch from its text.
//
// Each size runs in a child process of its own, so its peak memory (VmHWM) is its own. The
// warm-start calculation runs first and its peak memory is read right after it.
//
// Usage: velor_calc_bench [--sizes 10,20,40,60] [--normalized] [--top-down] [--seed N]
//                         [--holistic SHARE] [--reference-limit SECONDS] [--glpk-scratch-limit
//                         SECONDS]
//                         [--no-reference] [--limit SECONDS] [--holistic-main]
// A limited measurement (reference path, GLPK from scratch) stops after about the limit and is
// extrapolated to all programs of the run; the table marks such figures with "~". The default
// path is cancelled after --limit seconds (default 600); the programs it solved until then are
// the sequence that GLPK solves, and the row says so.
#include "bench_model.h"
#include "calc/calculation_driver.h"
#include "calc/lp_backend.h"
#include "calc/constraint_generator.h"
#include "calc/solver_bridge.h"
#include "calc/warm_start_solver.h"

#include <glpk.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double PeakMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
        }
    }
    return 0.0;
}

struct Options {
    std::vector<int> sizes{10, 20, 40, 60};
    bool normalized = false;
    bool topDown = false;
    double holistic = 0.3; // chance that a goal's alternatives are ranked holistically
    std::uint64_t seed = 1;
    double referenceLimit = 120.0;
    double glpkScratchLimit = 120.0;
    double limit = 600.0;
    bool reference = true;
    // Models whose main goal ranks every alternative holistically (see HolisticMainModel).
    bool holisticMain = false;
};

// Counts event pumps and the longest stretch of work between two of them; cancels after a
// time limit (0: never).
class BenchHost : public velor::CalcHost {
public:
    explicit BenchHost(double limit = 0.0) : limit_(limit) {}
    void ProcessEvents() override {
        const auto now = Clock::now();
        if (pumps_ > 0) {
            maxGap_ = std::max(maxGap_, std::chrono::duration<double>(now - last_).count());
        }
        last_ = now;
        ++pumps_;
    }
    bool CancelRequested() override {
        if (limit_ > 0.0 && std::chrono::duration<double>(Clock::now() - start_).count() > limit_) {
            cancelled_ = true;
        }
        return cancelled_;
    }
    void ShowProgress(int, int) override {}
    bool AskContinue(const std::string&) override {
        ++questions_;
        return true;
    }
    void ShowMessage(velor::MessageKind, const std::string&) override {}

    double MaxGap() const { return maxGap_; }
    bool Cancelled() const { return cancelled_; }
    int Questions() const { return questions_; }

private:
    double limit_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point last_;
    double maxGap_ = 0.0;
    int pumps_ = 0;
    bool cancelled_ = false;
    int questions_ = 0;
};

// One constraint set as GLPK gets it: the same rows, with the coefficients as the model states
// them, as the library solver of the default path receives them (our own solver, which solves
// the programs that split per attribute, takes them in single precision: its optima may lie
// about 1e-8 from these).
struct GlpkSet {
    int m = 0;
    std::unordered_map<std::string, int> columns;
    std::vector<int> relation;
    std::vector<double> rhs;
    std::vector<int> ia{0}, ja{0};
    std::vector<double> ar{0.0};
    glp_prob* warm = nullptr;
    std::vector<int> costColumns;
};

GlpkSet MakeSet(const velor::Model& model, const velor::UnknownTerms& normalizer) {
    velor::TConstraintModel rows;
    velor::AppendModelConstraints(model, rows, normalizer);
    GlpkSet set;
    set.m = rows.ConstraintCount();
    set.relation.push_back(0);
    set.rhs.push_back(0.0);
    for (int i = 1; i <= set.m; ++i) {
        const velor::ParsedConstraint parsed = velor::ParseConstraint(rows.Constraint(i - 1));
        std::map<int, double> row;
        for (const velor::ParsedTerm& term : parsed.Terms) {
            auto [it, inserted] = set.columns.try_emplace(term.Name, 0);
            if (inserted) {
                it->second = static_cast<int>(set.columns.size());
            }
            row[it->second] += term.Coefficient;
        }
        for (const auto& [column, value] : row) {
            if (value != 0.0) {
                set.ia.push_back(i);
                set.ja.push_back(column);
                set.ar.push_back(value);
            }
        }
        set.relation.push_back(parsed.Relation);
        set.rhs.push_back(parsed.RightSide);
    }
    return set;
}

glp_prob* MakeProblem(const GlpkSet& set) {
    glp_prob* p = glp_create_prob();
    glp_add_rows(p, set.m);
    const int n = static_cast<int>(set.columns.size());
    if (n > 0) {
        glp_add_cols(p, n);
    }
    for (int i = 1; i <= set.m; ++i) {
        const int kind = set.relation[static_cast<std::size_t>(i)];
        const double b = set.rhs[static_cast<std::size_t>(i)];
        glp_set_row_bnds(p, i,
                         kind == velor::kRelationLessEqual      ? GLP_UP
                         : kind == velor::kRelationGreaterEqual ? GLP_LO
                                                                : GLP_FX,
                         b, b);
    }
    for (int j = 1; j <= n; ++j) {
        glp_set_col_bnds(p, j, GLP_LO, 0.0, 0.0);
    }
    glp_load_matrix(p, static_cast<int>(set.ia.size()) - 1, set.ia.data(), set.ja.data(),
                    set.ar.data());
    return p;
}

// Sets the objective of one program; false when it names a variable the rows do not.
bool SetObjective(glp_prob* p, const GlpkSet& set, const velor::ProgramParts& parts,
                  std::vector<int>* costColumns) {
    if (costColumns != nullptr) {
        for (int column : *costColumns) {
            glp_set_obj_coef(p, column, 0.0);
        }
        costColumns->clear();
    }
    std::map<int, double> costs;
    for (const velor::ParsedTerm& term :
         velor::ParseConstraint(velor::TermsText(parts.Objective)).Terms) {
        const auto it = set.columns.find(term.Name);
        if (it == set.columns.end()) {
            return false;
        }
        costs[it->second] += term.Coefficient;
    }
    for (const auto& [column, value] : costs) {
        glp_set_obj_coef(p, column, value);
        if (costColumns != nullptr) {
            costColumns->push_back(column);
        }
    }
    glp_set_obj_dir(p, parts.Direction == velor::kMaximize ? GLP_MAX : GLP_MIN);
    return true;
}

// How far the point GLPK's warm problem ended at lies outside its rows or bounds, recomputed in
// long double from the coefficients it holds.
double GlpkViolation(const GlpkSet& set) {
    std::vector<long double> activity(static_cast<std::size_t>(set.m) + 1, 0.0L);
    long double violation = 0.0L;
    for (std::size_t e = 1; e < set.ia.size(); ++e) {
        activity[static_cast<std::size_t>(set.ia[e])] +=
            static_cast<long double>(set.ar[e]) * glp_get_col_prim(set.warm, set.ja[e]);
    }
    for (int j = 1; j <= glp_get_num_cols(set.warm); ++j) {
        violation = std::max(violation, static_cast<long double>(-glp_get_col_prim(set.warm, j)));
    }
    for (int i = 1; i <= set.m; ++i) {
        const long double b = set.rhs[static_cast<std::size_t>(i)];
        const long double a = activity[static_cast<std::size_t>(i)];
        const int relation = set.relation[static_cast<std::size_t>(i)];
        violation = std::max(violation, relation == velor::kRelationLessEqual      ? a - b
                                        : relation == velor::kRelationGreaterEqual ? b - a
                                                                                   : fabsl(a - b));
    }
    return static_cast<double>(violation);
}

struct Result {
    int size = 0;
    int lps = 0;
    double fullSeconds = 0.0;
    long long iterations = 0;
    bool complete = true;   // the default path finished within the limit
    int failedPrograms = 0; // programs of the default path without an optimum
    double peakMb = 0.0;
    double maxGapMs = 0.0;
    int scratchFallbacks = 0;
    int splitSolves = 0;          // programs the sequence alone solved per attribute
    int recoveries = 0;           // programs the sequence alone solved again from a fresh basis
    int provenSolves = 0;         // minima the sequence alone took as 0 without solving
    int clpSolves = 0;            // programs the sequence alone settled with the library solver
    int knownSolves = 0;          // programs the sequence alone took from an equal earlier one
    double sequenceSeconds = 0.0; // the recorded programs through a WarmStartSolver alone
    double glpkScratchSeconds = 0.0;
    long long glpkScratchIterations = 0;
    int glpkScratchStride = 1;
    double glpkWarmSeconds = 0.0;
    long long glpkWarmIterations = 0;
    double maxDifference = 0.0; // |ours - GLPK warm| over all programs
    int glpkDiffering = 0;      // programs where that exceeds 1e-7
    double glpkViolation = 0.0; // how far GLPK's optima of those lie outside the rows
    double referenceSeconds = 0.0;
    long long referenceIterations = 0;
    int referenceLps = 0;
    bool referenceComplete = false;
    double resultDifference = 0.0; // stored results, reference vs warm start (complete runs)
};

double MaxResultDifference(const velor::Model& a, const velor::Model& b) {
    double d = 0.0;
    auto diff = [&d](double x, double y) { d = std::max(d, std::fabs(x - y)); };
    for (velor::NodeId node : a.PreOrder()) {
        const velor::TNodeData& x = a.Node(node);
        const velor::TNodeData& y = b.Node(node);
        diff(x.WeightLower, y.WeightLower);
        diff(x.WeightUpper, y.WeightUpper);
        diff(x.NormWeightLower, y.NormWeightLower);
        diff(x.NormWeightUpper, y.NormWeightUpper);
        for (std::size_t i = 0; i < x.Values.size(); ++i) {
            diff(x.Values[i].Lower, y.Values[i].Lower);
            diff(x.Values[i].Upper, y.Values[i].Upper);
            diff(x.Values[i].NormLower, y.Values[i].NormLower);
            diff(x.Values[i].NormUpper, y.Values[i].NormUpper);
        }
    }
    for (int r = 1; r <= a.M(); ++r) {
        const velor::TAlternativeData& x = a.Alternative(r);
        const velor::TAlternativeData& y = b.Alternative(r);
        diff(x.ValueLower, y.ValueLower);
        diff(x.ValueUpper, y.ValueUpper);
        diff(x.MaxRegret, y.MaxRegret);
        for (std::size_t s = 0; s < x.DominanceMargin.size(); ++s) {
            diff(x.DominanceMargin[s], y.DominanceMargin[s]);
            if (x.Dominance[s] != y.Dominance[s]) {
                d = std::max(d, 1.0);
            }
        }
        if (x.Recommended != y.Recommended) {
            d = std::max(d, 1.0);
        }
    }
    return d;
}

// A full calculation: its wall time, simplex iterations and linear programs.
void TimedRun(velor::CalculationDriver& driver, double& seconds, long long& iterations, int& lps) {
    const long long before = velor::SolverIterationTotal();
    const auto start = Clock::now();
    driver.Run(velor::kCalculateModel);
    seconds = Seconds(start);
    iterations = velor::SolverIterationTotal() - before;
    lps = driver.LpCount();
}

velor::Model BenchModel(int size, const Options& options) {
    return velor::bench::BenchModel(
        size, {options.seed, options.normalized, options.topDown, options.holistic});
}

// size alternatives and size attributes right under the main goal, which ranks every
// alternative holistically (about 30 % of the alternatives repeat an earlier one's levels and tie
// with it), every attribute's levels ranked, about size / 3 ratio statements.
velor::Model HolisticMainModel(int size, const Options& options) {
    velor::testing::RandomModelOptions modelOptions;
    modelOptions.minAlternatives = modelOptions.maxAlternatives = size;
    modelOptions.minAttributes = modelOptions.maxAttributes = size;
    modelOptions.minGoals = modelOptions.maxGoals = 0;
    modelOptions.gapShare = 0.1;
    modelOptions.unrankedCellShare = 0.0;
    modelOptions.unrankedAttributeShare = 0.0;
    modelOptions.holisticShare = 1.0;
    modelOptions.duplicateShare = 0.3;
    modelOptions.ratioChance = 1.0 / 3.0;
    modelOptions.topDownShare = options.topDown ? 1.0 : 0.0;
    modelOptions.normalizedShare = options.normalized ? 1.0 : 0.0;
    return velor::testing::MakeRandomModel(options.seed * 1000 + static_cast<std::uint64_t>(size),
                                           modelOptions)
        .model;
}

Result RunSize(int size, const Options& options) {
    Result result;
    result.size = size;
    const velor::Model original =
        options.holisticMain ? HolisticMainModel(size, options) : BenchModel(size, options);

    // The default path, recording the programs it solves.
    velor::Model model = original;
    std::vector<velor::ProgramParts> programs;
    {
        BenchHost host(options.limit);
        velor::CalculationDriver driver(model, host);
        driver.SetProgramObserver(
            [&programs](const velor::ProgramParts& parts) { programs.push_back(parts); });
        TimedRun(driver, result.fullSeconds, result.iterations, result.lps);
        result.maxGapMs = host.MaxGap() * 1000.0;
        result.complete = !host.Cancelled();
        result.failedPrograms = host.Questions();
        result.peakMb = PeakMegabytes();
    }

    // The same programs through the warm-start solver alone, for the objective values.
    std::vector<double> ours;
    {
        velor::WarmStartSolver solver(original);
        const auto start = Clock::now();
        for (const velor::ProgramParts& parts : programs) {
            const velor::TSolution s = solver.Solve(parts);
            ours.push_back(s.Optimal() ? s.Objective : NAN);
        }
        result.sequenceSeconds = Seconds(start);
        result.scratchFallbacks = solver.ScratchSolves();
        result.splitSolves = solver.SplitSolves();
        result.recoveries = solver.Recoveries();
        result.provenSolves = solver.ProvenSolves();
        result.clpSolves = solver.ClpSolves();
        result.knownSolves = solver.KnownSolves();
    }

    std::map<velor::UnknownTerms, GlpkSet> sets;
    for (const velor::ProgramParts& parts : programs) {
        if (sets.find(parts.Normalizer) == sets.end()) {
            sets.emplace(parts.Normalizer, MakeSet(original, parts.Normalizer));
        }
    }
    glp_smcp parm;
    glp_init_smcp(&parm);
    parm.meth = GLP_PRIMAL;
    parm.msg_lev = GLP_MSG_OFF;

    // GLPK warm: one problem per constraint set, only the objective changes.
    {
        const auto start = Clock::now();
        for (std::size_t k = 0; k < programs.size(); ++k) {
            const velor::ProgramParts& parts = programs[k];
            GlpkSet& set = sets.at(parts.Normalizer);
            if (set.warm == nullptr) {
                set.warm = MakeProblem(set);
            }
            if (!SetObjective(set.warm, set, parts, &set.costColumns)) {
                continue;
            }
            const int before = glp_get_it_cnt(set.warm);
            glp_simplex(set.warm, &parm);
            result.glpkWarmIterations += glp_get_it_cnt(set.warm) - before;
            if (glp_get_status(set.warm) == GLP_OPT && !std::isnan(ours[k])) {
                result.maxDifference =
                    std::max(result.maxDifference, std::fabs(glp_get_obj_val(set.warm) - ours[k]));
                if (std::fabs(glp_get_obj_val(set.warm) - ours[k]) > 1e-7) {
                    ++result.glpkDiffering;
                    result.glpkViolation = std::max(result.glpkViolation, GlpkViolation(set));
                }
            }
        }
        result.glpkWarmSeconds = Seconds(start);
        for (auto& [normalizer, set] : sets) {
            glp_delete_prob(set.warm);
            set.warm = nullptr;
        }
    }

    // GLPK from scratch: a new problem per program. When the first programs show that all of
    // them would take longer than the limit, every stride-th program is solved and the time
    // and iterations are scaled up.
    {
        auto solveScratch = [&](const velor::ProgramParts& parts) {
            const GlpkSet& set = sets.at(parts.Normalizer);
            glp_prob* p = MakeProblem(set);
            if (SetObjective(p, set, parts, nullptr)) {
                glp_simplex(p, &parm);
                result.glpkScratchIterations += glp_get_it_cnt(p);
            }
            glp_delete_prob(p);
        };
        const std::size_t probe = std::min<std::size_t>(programs.size(), 10);
        const auto probeStart = Clock::now();
        for (std::size_t k = 0; k < probe; ++k) {
            solveScratch(programs[k * programs.size() / std::max<std::size_t>(probe, 1)]);
        }
        const double perProgram = probe > 0 ? Seconds(probeStart) / static_cast<double>(probe) : 0;
        const double estimate = perProgram * static_cast<double>(programs.size());
        int stride = 1;
        if (options.glpkScratchLimit > 0 && estimate > options.glpkScratchLimit) {
            stride = static_cast<int>(std::ceil(estimate / options.glpkScratchLimit));
        }
        result.glpkScratchIterations = 0;
        const auto start = Clock::now();
        for (std::size_t k = 0; k < programs.size(); k += static_cast<std::size_t>(stride)) {
            solveScratch(programs[k]);
        }
        result.glpkScratchSeconds = Seconds(start) * stride;
        result.glpkScratchIterations *= stride;
        result.glpkScratchStride = stride;
    }

    // The reference path: every program generated as text, parsed, loaded and solved from the
    // slack basis.
    if (options.reference) {
        velor::Model reference = original;
        BenchHost host(options.referenceLimit);
        velor::CalculationDriver driver(reference, host);
        driver.SetReferencePath(true);
        TimedRun(driver, result.referenceSeconds, result.referenceIterations, result.referenceLps);
        result.referenceComplete = !host.Cancelled();
        if (result.referenceComplete) {
            result.resultDifference = MaxResultDifference(reference, model);
        }
    }
    return result;
}

std::string Serialize(const Result& r) {
    std::ostringstream out;
    out.precision(17);
    out << r.size << ' ' << r.lps << ' ' << r.fullSeconds << ' ' << r.iterations << ' ' << r.peakMb
        << ' ' << r.maxGapMs << ' ' << r.scratchFallbacks << ' ' << r.sequenceSeconds << ' '
        << r.glpkScratchSeconds << ' ' << r.glpkScratchIterations << ' ' << r.glpkScratchStride
        << ' ' << r.glpkWarmSeconds << ' ' << r.glpkWarmIterations << ' ' << r.maxDifference << ' '
        << r.referenceSeconds << ' ' << r.referenceIterations << ' ' << r.referenceLps << ' '
        << r.referenceComplete << ' ' << r.resultDifference << ' ' << r.complete << ' '
        << r.failedPrograms << ' ' << r.splitSolves << ' ' << r.recoveries << ' ' << r.provenSolves
        << ' ' << r.clpSolves << ' ' << r.knownSolves << ' ' << r.glpkDiffering << ' '
        << r.glpkViolation;
    return out.str();
}

bool Deserialize(const std::string& text, Result& r) {
    std::istringstream in(text);
    in >> r.size >> r.lps >> r.fullSeconds >> r.iterations >> r.peakMb >> r.maxGapMs >>
        r.scratchFallbacks >> r.sequenceSeconds >> r.glpkScratchSeconds >>
        r.glpkScratchIterations >> r.glpkScratchStride >> r.glpkWarmSeconds >>
        r.glpkWarmIterations >> r.maxDifference >> r.referenceSeconds >> r.referenceIterations >>
        r.referenceLps >> r.referenceComplete >> r.resultDifference >> r.complete >>
        r.failedPrograms >> r.splitSolves >> r.recoveries >> r.provenSolves >> r.clpSolves >>
        r.knownSolves >> r.glpkDiffering >> r.glpkViolation;
    return static_cast<bool>(in);
}

bool RunInChild(int size, const Options& options, Result& result) {
    int fds[2];
    if (pipe(fds) != 0) {
        return false;
    }
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid < 0) {
        return false;
    }
    if (pid == 0) {
        close(fds[0]);
        glp_term_out(GLP_OFF);
        velor::SetSolverConsole(nullptr);
        const std::string line = Serialize(RunSize(size, options)) + "\n";
        const ssize_t written = write(fds[1], line.data(), line.size());
        _exit(written == static_cast<ssize_t>(line.size()) ? 0 : 1);
    }
    close(fds[1]);
    std::string text;
    char buffer[512];
    ssize_t got;
    while ((got = read(fds[0], buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && Deserialize(text, result);
}

std::vector<int> ParseSizes(const char* text) {
    std::vector<int> sizes;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        sizes.push_back(std::atoi(item.c_str()));
    }
    return sizes;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    bool sizesGiven = false;
    for (int a = 1; a < argc; ++a) {
        const std::string arg = argv[a];
        auto next = [&]() -> const char* { return a + 1 < argc ? argv[++a] : "0"; };
        if (arg == "--sizes") {
            options.sizes = ParseSizes(next());
            sizesGiven = true;
        } else if (arg == "--normalized") {
            options.normalized = true;
        } else if (arg == "--top-down") {
            options.topDown = true;
        } else if (arg == "--holistic") {
            options.holistic = std::atof(next());
        } else if (arg == "--seed") {
            options.seed = std::strtoull(next(), nullptr, 10);
        } else if (arg == "--reference-limit") {
            options.referenceLimit = std::atof(next());
        } else if (arg == "--glpk-scratch-limit") {
            options.glpkScratchLimit = std::atof(next());
        } else if (arg == "--limit") {
            options.limit = std::atof(next());
        } else if (arg == "--no-reference") {
            options.reference = false;
        } else if (arg == "--holistic-main") {
            options.holisticMain = true;
            if (!sizesGiven) {
                options.sizes = {20, 30, 40};
            }
        } else {
            std::fprintf(stderr, "unknown argument %s\n", arg.c_str());
            return 1;
        }
    }
    if (options.holisticMain) {
        std::printf("Full calculation (type 0), %s intervals, every alternative ranked "
                    "holistically on the main goal, seed %llu\n",
                    options.normalized ? "normalized" : "plain",
                    static_cast<unsigned long long>(options.seed));
    } else {
        std::printf("Full calculation (type 0), %s intervals, %s weights, holistic rankings "
                    "%.2f, seed %llu\n",
                    options.normalized ? "normalized" : "plain",
                    options.topDown ? "top-down" : "bottom-up", options.holistic,
                    static_cast<unsigned long long>(options.seed));
    }
    std::printf("%-6s %6s | %8s %9s %7s %7s | %8s %9s | %8s %9s | %9s %9s | %11s %11s\n", "size",
                "LPs", "ours s", "iters", "peak MB", "gap ms", "GLPK s", "iters", "warm s", "iters",
                "reference", "iters", "ours/GLPK", "ours/warm");
    for (int size : options.sizes) {
        Result r;
        if (!RunInChild(size, options, r)) {
            std::printf("%dx%d: the measurement failed\n", size, size);
            continue;
        }
        const char* scratchMark = r.glpkScratchStride > 1 ? "~" : " ";
        const double referenceEstimate =
            r.referenceComplete || r.referenceLps == 0
                ? r.referenceSeconds
                : r.referenceSeconds * r.lps / static_cast<double>(r.referenceLps);
        const long long referenceIterations =
            r.referenceComplete || r.referenceLps == 0
                ? r.referenceIterations
                : static_cast<long long>(static_cast<double>(r.referenceIterations) * r.lps /
                                         r.referenceLps);
        char label[32];
        std::snprintf(label, sizeof label, "%dx%d", r.size, r.size);
        std::printf("%-6s %6d | %8.3f %9lld %7.1f %7.1f | %s%7.3f %s%8lld | %8.3f %9lld | "
                    "%s%8.3f %s%8lld | %11.3f %11.3f\n",
                    label, r.lps, r.fullSeconds, r.iterations, r.peakMb, r.maxGapMs, scratchMark,
                    r.glpkScratchSeconds, scratchMark, r.glpkScratchIterations, r.glpkWarmSeconds,
                    r.glpkWarmIterations, r.referenceComplete ? " " : "~", referenceEstimate,
                    r.referenceComplete ? " " : "~", referenceIterations,
                    r.fullSeconds / r.glpkScratchSeconds, r.fullSeconds / r.glpkWarmSeconds);
        if (!r.complete) {
            // Cancel reaches the simplex inside a program: the last program started is
            // usually cut short on the default path, and solved whole by the other columns.
            std::printf("       cancelled after %.0f s: the row covers the %d programs started "
                        "until then, the last one stopped by the limit\n",
                        r.fullSeconds, r.lps);
        }
        if (r.failedPrograms > 0) {
            std::printf("       %d programs without an optimum on the default path\n",
                        r.failedPrograms);
        }
        std::printf(
            "       LP sequence alone %.3f s; equal to an earlier program %d; minima proven 0 "
            "%d; library solver %d; fresh-basis recoveries %d; scratch fallbacks %d; "
            "solved per attribute %d; |ours - GLPK| <= %.2g",
            r.sequenceSeconds, r.knownSolves, r.provenSolves, r.clpSolves, r.recoveries,
            r.scratchFallbacks, r.splitSolves, r.maxDifference);
        if (r.glpkDiffering > 0) {
            std::printf(" (%d programs beyond 1e-7, where GLPK's point lies up to %.2g outside "
                        "its rows)",
                        r.glpkDiffering, r.glpkViolation);
        }
        if (r.referenceComplete) {
            std::printf("; stored results vs reference <= %.2g; reference/ours %.1f",
                        r.resultDifference, r.referenceSeconds / r.fullSeconds);
        } else if (options.reference) {
            std::printf("; reference stopped after %d of %d programs (%.0f s), extrapolated",
                        r.referenceLps, r.lps, r.referenceSeconds);
        }
        if (r.glpkScratchStride > 1) {
            std::printf("; GLPK from scratch on every %d-th program, scaled", r.glpkScratchStride);
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    return 0;
}
