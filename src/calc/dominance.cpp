#include "calc/dominance.h"

#include "calc/constraint_generator.h"

#include <algorithm>
#include <array>
#include <functional>
#include <numeric>
#include <vector>

namespace velor {

namespace {

// The dominance lists hold one entry per row plus the unused entry 0.
void EnsureListSizes(TAlternativeData& data, int m) {
    const auto size = static_cast<std::size_t>(m) + 1;
    if (data.Dominance.size() < size) {
        data.Dominance.resize(size, kNotComputed);
    }
    if (data.DominanceMargin.size() < size) {
        data.DominanceMargin.resize(size, 0.0);
    }
}

} // namespace

bool CalculateDominance(CalcSession& session, int& progress, int total) {
    Model& model = session.GetModel();
    const int m = model.M();
    for (int r = 1; r <= m; ++r) {
        TAlternativeData& data = ResultRecords(model).AlternativeData(r);
        EnsureListSizes(data, m);
        std::fill(data.Dominance.begin() + 1, data.Dominance.end(), kNotComputed);
    }
    // A warm-started solver takes the pairs in order of the alternatives' holistic rank on the
    // main goal: consecutive programs then compare alternatives of neighbouring ranks, whose
    // optima lie close together. The results do not depend on the order.
    std::vector<int> order(static_cast<std::size_t>(m));
    std::iota(order.begin(), order.end(), 1);
    if (session.WarmStart()) {
        order = RowsInRankOrder(model, 1);
    }
    for (const int r : order) {
        for (const int s : order) {
            if (session.CancelPolled()) {
                return false;
            }
            TAlternativeData& own = ResultRecords(model).AlternativeData(r);
            if (r == s) {
                own.Dominance[s] = kSelf;
                own.DominanceMargin[s] = 0.0;
            } else {
                const ProgramParts program = DominanceProgram(model, r, s);
                TSolution solution;
                if (program.Objective.empty()) {
                    // No twig-level attribute: both overall values are 0, nothing to solve.
                    solution.Status = SolveStatus::Optimal;
                    solution.Objective = 0.0;
                } else {
                    solution = session.SolveProgram(program);
                }
                if (session.Fatal()) {
                    return false;
                }
                if (solution.Failed()) {
                    if (session.Cancelled() || !session.AskContinue()) {
                        return false;
                    }
                } else {
                    const double d = solution.Objective;
                    if (d > 0.0) {
                        own.Dominance[s] = kDominates;
                        own.DominanceMargin[s] = d;
                        ResultRecords(model).AlternativeData(s).Dominance[r] = kDominated;
                    } else {
                        own.Dominance[s] = own.Dominance[s] == kDominated ? kDominated : kNeither;
                        own.DominanceMargin[s] = d;
                    }
                }
            }
            ++progress;
            session.Host().ShowProgress(progress, total);
        }
    }
    return true;
}

bool CalculateMaxRegret(CalcSession& session, int& progress, int total) {
    if (session.CancelPolled()) {
        return false;
    }
    Model& model = session.GetModel();
    const int m = model.M();
    for (int r = 1; r <= m; ++r) {
        TAlternativeData& data = ResultRecords(model).AlternativeData(r);
        EnsureListSizes(data, m);
        double regret = 0.0;
        bool first = true;
        for (int s = 1; s <= m; ++s) {
            if (s == r) {
                continue;
            }
            const double loss = -data.DominanceMargin[s];
            if (first || loss > regret) {
                regret = loss;
                first = false;
            }
        }
        data.MaxRegret = regret;
    }
    ++progress;
    session.Host().ShowProgress(progress, total);
    return true;
}

void UpdateRecommendations(Model& model) {
    const CalculatedResults& calculated = model.Calculated();
    UpdateRecommendations(model, {calculated.AnyMainValues(), calculated.Dominance});
}

void UpdateRecommendations(Model& model, RuleInputs inputs) {
    const int m = model.M();
    for (int r = 1; r <= m; ++r) {
        ResultRecords(model).AlternativeData(r).Recommended.fill(0);
    }
    if (m == 0) {
        return;
    }
    struct Rule {
        std::function<double(const TAlternativeData&)> Key;
        bool LargerIsBetter;
        bool Usable;
    };
    const std::array<Rule, 4> rules = {{
        {[](const TAlternativeData& a) { return a.ValueUpper; }, true, inputs.Values},
        {[](const TAlternativeData& a) { return a.ValueLower; }, true, inputs.Values},
        {[](const TAlternativeData& a) { return (a.ValueUpper + a.ValueLower) / 2.0; }, true,
         inputs.Values},
        {[](const TAlternativeData& a) { return a.MaxRegret; }, false, inputs.Regrets},
    }};
    for (std::size_t rule = 0; rule < rules.size(); ++rule) {
        if (!rules[rule].Usable) {
            continue;
        }
        // The best key first, then every alternative close enough to it: a tie does not depend
        // on the order of the rows.
        const auto key = [&](int r) {
            const double k = rules[rule].Key(model.Alternative(r));
            return rules[rule].LargerIsBetter ? k : -k;
        };
        double best = key(1);
        for (int r = 2; r <= m; ++r) {
            best = std::max(best, key(r));
        }
        for (int r = 1; r <= m; ++r) {
            if (key(r) >= best - kRuleTieTolerance) {
                ResultRecords(model).AlternativeData(r).Recommended[rule] = 1;
            }
        }
    }
}

} // namespace velor
