// Contradictions injected into generated models, for the tests and the benchmark of the
// conflict finder.
//
// Statements of this system contradict each other only when they leave no attribute any weight
// (every row but the weight sum is homogeneous). So each scenario first makes one attribute x
// carry weight: x becomes the reference of the bottom-up weights and every other attribute
// weighs at most ten times as much, as a complete weight assessment would say. The injected
// statements then take x's weight away, each kind in its own way.
#pragma once

#include "calc/calculation_driver.h"
#include "calc/conflict_statement.h"
#include "random_model.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velor::testing {

enum class Contradiction {
    RankingVsHolistic,
    RatioVsRanking,
    WeightCycle,
    RatioVsRatio,
    FlatRanking,   // every ranked level of the attribute gets one rank
    UnrankedLevel, // a level made unranked is said to be worth twice the best one
};

// A statement put into a model on purpose: its kind and node, and for a ratio statement its
// position in the node's list.
struct Injected {
    ConflictKind Kind = ConflictKind::Ranking;
    NodeId Node = kNone;
    int Statement = -1;
    std::optional<BoundSide> Bound = std::nullopt;
    bool Matches(const ConflictStatement& s) const {
        return s.Kind == Kind && s.Node == Node && (Statement < 0 || s.Statement == Statement) &&
               (!Bound || s.Bound == *Bound);
    }
};

struct Scenario {
    Model model;
    std::vector<Injected> injected;
};

inline std::vector<int> DistinctRanks(const Model& model, int column) {
    std::set<int> ranks;
    for (int row = 1; row <= model.M(); ++row) {
        if (model.Rank(column, row) > 0) {
            ranks.insert(model.Rank(column, row));
        }
    }
    return {ranks.begin(), ranks.end()};
}

// The first row of the given rank.
inline int RowOfRank(const Model& model, int column, int rank) {
    for (int row = 1; row <= model.M(); ++row) {
        if (model.Rank(column, row) == rank) {
            return row;
        }
    }
    return 0;
}

inline TCardinalStatement Ratio(const Model& model, int num1, int num2, int den1, int den2,
                                double lower, double upper) {
    TCardinalStatement s;
    s.Num1 = model.AlternativeId(num1);
    s.Num2 = model.AlternativeId(num2);
    s.Den1 = model.AlternativeId(den1);
    s.Den2 = model.AlternativeId(den2);
    s.Lower = lower;
    s.Upper = upper;
    return s;
}

inline int AddRatio(Model& model, NodeId node, const TCardinalStatement& statement) {
    auto& statements = model.PreferenceData(node)->Statements;
    statements.push_back(statement);
    return static_cast<int>(statements.size()) - 1;
}

// Bottom-up weights around attribute x: it is the reference and every other attribute weighs at
// most ten times as much, so x must carry weight and a contradiction that takes its weight away
// leaves the model without a solution.
inline void AnchorWeight(Model& model, NodeId x) {
    model.SetTopDownWeights(false);
    std::vector<Model::WeightBound> bounds;
    for (const NodeId attribute : model.Attributes()) {
        if (attribute == x) {
            bounds.push_back({attribute, kReferenceWeight, kReferenceWeight});
        } else {
            bounds.push_back({attribute, kNotGiven, 1000.0});
        }
    }
    model.StoreWeightBounds(false, bounds);
}

// A generated model with one contradiction of the kind injected around an attribute with
// enough ranks; nothing when the model has no such attribute or the contradiction does not take
// (checked on the reference path).
inline std::optional<Scenario> MakeScenario(Contradiction kind, std::uint64_t seed,
                                            RandomModelOptions options) {
    options.topDownShare = 0.0;
    // A goal of its own holds the contradicting holistic ranking; no other goal is ranked, so
    // moving the attribute there changes no other statement. No holistic ranking bounds the
    // level made unranked either.
    options.holisticShare =
        kind == Contradiction::RankingVsHolistic || kind == Contradiction::UnrankedLevel ? 0.0
                                                                                         : 0.3;
    Scenario scenario{MakeRandomModel(seed, options).model, {}};
    Model& model = scenario.model;
    const std::size_t neededRanks = kind == Contradiction::RatioVsRanking ||
                                            kind == Contradiction::RatioVsRatio ||
                                            kind == Contradiction::UnrankedLevel
                                        ? 3
                                        : 2;
    NodeId x = kNone;
    for (const NodeId attribute : model.Attributes()) {
        if (DistinctRanks(model, model.ColumnOfNode(attribute)).size() >= neededRanks) {
            x = attribute;
            break;
        }
    }
    if (x == kNone) {
        return std::nullopt;
    }
    if (kind == Contradiction::RankingVsHolistic) {
        const NodeId goal = model.AddNode(kGoal, model.Root());
        model.RenameNode(goal, "Injected goal");
        model.MoveNode(x, goal, Model::MoveMode::FirstChild);
    }
    AnchorWeight(model, x);
    if (!CheckFeasibility(model)) {
        return std::nullopt;
    }
    const int column = model.ColumnOfNode(x);
    const std::vector<int> ranks = DistinctRanks(model, column);
    const int best = RowOfRank(model, column, ranks.front());
    const int worst = RowOfRank(model, column, ranks.back());
    const int middle = RowOfRank(model, column, ranks[ranks.size() / 2]);
    switch (kind) {
    case Contradiction::RankingVsHolistic: {
        // The goal holds x alone; ranking x's worst alternative above its best leaves x no
        // weight.
        const NodeId goal = model.Parent(x);
        std::vector<int> holistic(static_cast<std::size_t>(model.M()), 0);
        holistic[static_cast<std::size_t>(worst - 1)] = 1;
        holistic[static_cast<std::size_t>(best - 1)] = 2;
        model.StoreRanking(goal, holistic, {});
        scenario.injected.push_back({ConflictKind::HolisticRanking, goal});
        break;
    }
    case Contradiction::RatioVsRanking: {
        // Going from worst to middle is worth at least twice going from worst to best.
        const int index = AddRatio(model, x, Ratio(model, middle, worst, best, worst, 2.0, -1));
        scenario.injected.push_back({ConflictKind::RatioBound, x, index});
        break;
    }
    case Contradiction::WeightCycle: {
        // Another attribute at least twice and at most once the reference's weight.
        for (const NodeId other : model.Attributes()) {
            if (other != x) {
                model.StoreWeightBounds(false, {{other, 200.0, 100.0}});
                scenario.injected.push_back({ConflictKind::BottomUpWeight, other});
                break;
            }
        }
        break;
    }
    case Contradiction::FlatRanking: {
        // One rank for every ranked level: the best level is the worst, worth 0.
        std::vector<int> ranks(static_cast<std::size_t>(model.M()), 0);
        for (int row = 1; row <= model.M(); ++row) {
            ranks[static_cast<std::size_t>(row - 1)] = model.Rank(column, row) > 0 ? 1 : 0;
        }
        model.StoreRanking(x, ranks, {});
        scenario.injected.push_back({ConflictKind::FlatRanking, x});
        break;
    }
    case Contradiction::UnrankedLevel: {
        // The middle level loses its rank, so only its bound by the best level holds it; going
        // from worst to it is then said to be worth at least twice going from worst to best.
        std::vector<int> ranks(static_cast<std::size_t>(model.M()), 0);
        for (int row = 1; row <= model.M(); ++row) {
            ranks[static_cast<std::size_t>(row - 1)] = row == middle ? 0 : model.Rank(column, row);
        }
        model.StoreRanking(x, ranks, {});
        AddRatio(model, x, Ratio(model, middle, worst, best, worst, 2.0, -1));
        scenario.injected.push_back({ConflictKind::UnrankedLevel, x});
        break;
    }
    case Contradiction::RatioVsRatio: {
        // From worst to middle at least 0.6 of the whole range, from middle to best at least
        // 0.7 of it.
        const int first = AddRatio(model, x, Ratio(model, middle, worst, best, worst, 0.6, -1));
        const int second = AddRatio(model, x, Ratio(model, best, middle, best, worst, 0.7, 2.0));
        scenario.injected.push_back({ConflictKind::RatioBound, x, first});
        scenario.injected.push_back({ConflictKind::RatioBound, x, second});
        break;
    }
    }
    if (CheckFeasibility(model)) {
        return std::nullopt;
    }
    return scenario;
}

// Whether a conflicting set holds an injected statement.
inline bool HoldsInjected(const Scenario& scenario,
                          const std::vector<ConflictStatement>& statements) {
    for (const ConflictStatement& statement : statements) {
        for (const Injected& injected : scenario.injected) {
            if (injected.Matches(statement)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace velor::testing
