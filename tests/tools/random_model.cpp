#include "random_model.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace velor::testing {

namespace {

class Random {
public:
    explicit Random(std::uint64_t seed) : engine_(seed) {}
    int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine_); }
    double Real(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(engine_);
    }
    bool Chance(double p) { return Real(0.0, 1.0) < p; }
    template <class T> const T& Pick(const std::vector<T>& items) {
        return items[static_cast<std::size_t>(Int(0, static_cast<int>(items.size()) - 1))];
    }

private:
    std::mt19937_64 engine_;
};

// Multipliers are written with three decimals; rounding outward keeps the hidden value inside.
double Down(double x) {
    return std::max(0.0, std::floor(x * 1000.0) / 1000.0);
}
double Up(double x) {
    return std::ceil(x * 1000.0) / 1000.0 + 0.001;
}

// Level texts: mostly plain, sometimes long or with characters beyond ASCII.
std::string LevelText(Random& random, int attribute, int level) {
    std::string text = "a" + std::to_string(attribute) + " level " + std::to_string(level);
    const int kind = random.Int(0, 19);
    if (kind == 0) {
        text += " " + std::string(static_cast<std::size_t>(random.Int(100, 240)), 'x');
    } else if (kind == 1) {
        text += " \xC3\xA4\xE2\x82\xAC \"quoted\" ; , = <= >= + - *";
    }
    return text.substr(0, kMaxTextLength);
}

struct Hidden {
    // Per column (index = column), per row (index = row - 1).
    std::vector<std::vector<double>> values;
    std::vector<double> weight; // per column; attributes only
};

// A ratio statement on values of one node, true for the hidden values with 10% slack either way.
bool MakeRatio(Random& random, const Model& model, const std::vector<double>& v,
               TCardinalStatement& statement) {
    const int m = model.M();
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int s = random.Int(1, m);
        const int t = random.Int(1, m);
        const int p = random.Int(1, m);
        const int q = random.Int(1, m);
        const double span = *std::max_element(v.begin(), v.end());
        const double denominator = v[s - 1] - v[t - 1];
        const double numerator = v[p - 1] - v[q - 1];
        if (denominator < 0.05 * span || numerator < 0.0) {
            continue;
        }
        const int sides = random.Int(0, 3); // 0, 1: both; 2: lower only; 3: upper only
        if (denominator <= 0.0) {
            return false; // all values equal: no difference to compare with
        }
        const double ratio = numerator / denominator;
        statement.Num1 = model.AlternativeId(p);
        statement.Num2 = model.AlternativeId(q);
        statement.Den1 = model.AlternativeId(s);
        statement.Den2 = model.AlternativeId(t);
        statement.Lower = sides == 3 ? kNotGiven : Down(ratio * 0.9);
        statement.Upper = sides == 2 ? kNotGiven : Up(ratio * 1.1);
        return true;
    }
    return false;
}

// Ranks of the rows from their hidden values: better values get smaller ranks, equal values
// tie, and rank numbers may skip.
std::vector<int> RanksFromValues(Random& random, const std::vector<double>& v,
                                 const RandomModelOptions& options) {
    std::vector<int> order(v.size());
    for (std::size_t i = 0; i < v.size(); ++i) {
        order[i] = static_cast<int>(i);
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return v[a] > v[b]; });
    std::vector<int> ranks(v.size(), 0);
    int rank = 0;
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (k == 0 || std::fabs(v[order[k]] - v[order[k - 1]]) > 1e-12) {
            rank += random.Chance(options.gapShare) ? 2 : 1;
        }
        ranks[order[k]] = rank;
    }
    return ranks;
}

} // namespace

RandomModel MakeRandomModel(std::uint64_t seed, const RandomModelOptions& options) {
    Random random(seed);
    RandomModel result;
    Model& model = result.model;
    const bool normalized = random.Chance(options.normalizedShare);
    model.SetNormalizedIntervals(normalized);

    // Tree: the main goal, sub-goals below goals, attributes below goals.
    const NodeId root = model.AddNode(kGoal, kNone);
    model.RenameNode(root, "Main goal " + std::to_string(seed));
    std::vector<NodeId> goals{root};
    const int goalCount =
        random.Int(options.minGoals, std::max(options.minGoals, options.maxGoals));
    for (int g = 0; g < goalCount; ++g) {
        const NodeId goal = model.AddNode(kGoal, random.Pick(goals));
        model.RenameNode(goal, "Goal " + std::to_string(g + 1));
        goals.push_back(goal);
    }
    int attributeCount = random.Int(options.minAttributes, options.maxAttributes);
    if (options.infeasible) {
        attributeCount = std::max(attributeCount, 2);
    }
    for (int a = 0; a < attributeCount; ++a) {
        const NodeId attribute = model.AddNode(kAttribute, random.Pick(goals));
        model.RenameNode(attribute, "Attribute " + std::to_string(a + 1));
    }

    const int m = random.Int(options.minAlternatives, options.maxAlternatives);
    for (int i = 0; i < m; ++i) {
        const int row = model.NewAlternative();
        model.CommitCellText(1, row, "Alternative " + std::to_string(i + 1), true);
    }

    // Hidden solution and ranks of every attribute.
    Hidden hidden;
    const int n = model.N();
    hidden.values.assign(static_cast<std::size_t>(n) + 1, std::vector<double>(m, 0.0));
    hidden.weight.assign(static_cast<std::size_t>(n) + 1, 0.0);
    const std::vector<NodeId> attributes = model.Attributes();
    // Alternatives that repeat an earlier one's levels everywhere (-1: their own levels).
    std::vector<int> copyOf(m, -1);
    if (options.duplicateShare > 0.0) {
        for (int row = 1; row < m; ++row) {
            if (random.Chance(options.duplicateShare)) {
                copyOf[row] = random.Int(0, row - 1);
            }
        }
    }
    std::vector<std::vector<int>> ranks(static_cast<std::size_t>(n) + 1);
    double weightSum = 0.0;
    bool anyWeight = false;
    for (std::size_t k = 0; k < attributes.size(); ++k) {
        const NodeId attribute = attributes[k];
        const int column = model.ColumnOfNode(attribute);
        int levelCount = random.Int(1, m);
        std::vector<int> levelOf(m);
        for (int row = 0; row < m; ++row) {
            levelOf[row] = row < levelCount ? row : random.Int(0, levelCount - 1);
        }
        if (options.duplicateShare > 0.0) {
            // Copies first, then the levels still held by some row numbered in order of rows.
            std::vector<int> number(static_cast<std::size_t>(levelCount), -1);
            int used = 0;
            for (int row = 0; row < m; ++row) {
                if (copyOf[row] >= 0) {
                    levelOf[row] = levelOf[copyOf[row]];
                } else {
                    int& n = number[static_cast<std::size_t>(levelOf[row])];
                    if (n < 0) {
                        n = used++;
                    }
                    levelOf[row] = n;
                }
            }
            levelCount = used;
        }
        std::vector<std::string> texts(levelCount);
        for (int level = 0; level < levelCount; ++level) {
            texts[level] = LevelText(random, static_cast<int>(k) + 1, level + 1);
        }
        for (int row = 1; row <= m; ++row) {
            model.CommitCellText(column, row, texts[levelOf[row - 1]], true);
        }

        // Last attribute: make sure some weight can be positive.
        const bool mustWeigh = !anyWeight && k + 1 == attributes.size();
        bool unranked = random.Chance(options.unrankedAttributeShare);
        // The normalized form divides by node weights: every attribute must be able to weigh.
        if ((normalized || mustWeigh) && levelCount < 2) {
            unranked = true;
        }
        std::vector<double> levelValue(levelCount, 0.0);
        std::vector<int> levelRank(levelCount, 0);
        double w = random.Real(0.2, 1.0);
        if (unranked) {
            levelValue[levelOf[0]] = w; // row 1 is the best row of an unranked attribute
            for (int level = 0; level < levelCount; ++level) {
                if (level != levelOf[0]) {
                    levelValue[level] = random.Real(0.0, w);
                }
            }
        } else {
            // Ranked levels in a random order; some levels stay unranked.
            std::vector<int> order(levelCount);
            for (int level = 0; level < levelCount; ++level) {
                order[level] = level;
            }
            std::shuffle(order.begin(), order.end(), std::mt19937_64(seed * 31 + k));
            std::vector<int> rankedLevels;
            std::vector<int> unrankedLevels;
            // An attribute that must be able to weigh needs two ranked levels.
            const std::size_t minRanked = (normalized || mustWeigh) ? 2 : 1;
            for (int level : order) {
                if (rankedLevels.size() >= minRanked && random.Chance(options.unrankedCellShare)) {
                    unrankedLevels.push_back(level);
                } else {
                    rankedLevels.push_back(level);
                }
            }
            int rank = 0;
            for (std::size_t r = 0; r < rankedLevels.size(); ++r) {
                const bool tie = r > 0 && random.Chance(options.tieShare);
                if (!tie) {
                    rank +=
                        random.Chance(options.gapShare) ? 2 : 1; // a gap may also leave out rank 1
                }
                levelRank[rankedLevels[r]] = rank;
            }
            const int best = levelRank[rankedLevels.front()];
            const int worst = levelRank[rankedLevels.back()];
            if (best == worst && (normalized || mustWeigh) && rankedLevels.size() > 1) {
                levelRank[rankedLevels.back()] = worst + 1; // all tied: give one level a rank below
            }
            // Values strictly decreasing with the rank; the worst rank is worth 0.
            std::vector<int> distinct;
            for (int level : rankedLevels) {
                if (distinct.empty() || distinct.back() != levelRank[level]) {
                    distinct.push_back(levelRank[level]);
                }
            }
            if (distinct.size() < 2) {
                w = 0.0; // every ranked level tied: best and worst coincide
            }
            std::vector<double> cut;
            for (std::size_t d = 1; d + 1 < distinct.size(); ++d) {
                cut.push_back(random.Real(0.05, 0.95) * w);
            }
            std::sort(cut.rbegin(), cut.rend());
            for (int level : rankedLevels) {
                const auto d = static_cast<std::size_t>(
                    std::find(distinct.begin(), distinct.end(), levelRank[level]) -
                    distinct.begin());
                levelValue[level] = d == 0 ? w : d + 1 == distinct.size() ? 0.0 : cut[d - 1];
            }
            for (int level : unrankedLevels) {
                levelValue[level] = random.Real(0.0, w);
            }
        }
        anyWeight = anyWeight || w > 0.0;
        weightSum += w;
        hidden.weight[column] = w;
        ranks[column].resize(m);
        for (int row = 0; row < m; ++row) {
            hidden.values[column][row] = levelValue[levelOf[row]];
            ranks[column][row] = levelRank[levelOf[row]];
        }
    }
    // Weights sum to 1.
    for (int column = 1; column <= n; ++column) {
        hidden.weight[column] /= weightSum;
        for (double& v : hidden.values[column]) {
            v /= weightSum;
        }
    }

    // Node values and weights of goals: sums over their attributes.
    std::vector<double> nodeWeight(static_cast<std::size_t>(n) + 1, 0.0);
    std::vector<bool> hasAttribute(static_cast<std::size_t>(n) + 1, false);
    for (NodeId node : model.PreOrder()) {
        const int column = model.ColumnOfNode(node);
        for (NodeId attribute : attributes) {
            if (model.InSubtree(attribute, node)) {
                const int a = model.ColumnOfNode(attribute);
                hasAttribute[column] = true;
                nodeWeight[column] += hidden.weight[a];
                if (column != a) {
                    for (int row = 0; row < m; ++row) {
                        hidden.values[column][row] += hidden.values[a][row];
                    }
                }
            }
        }
    }

    // Ranks and ratio statements: attributes always, goals holistically now and then.
    int statementCount = 0;
    for (NodeId node : model.PreOrder()) {
        const int column = model.ColumnOfNode(node);
        std::vector<int> nodeRanks(m, 0);
        if (model.IsAttribute(node)) {
            nodeRanks = ranks[column];
        } else if (hasAttribute[column] && random.Chance(options.holisticShare)) {
            nodeRanks = RanksFromValues(random, hidden.values[column], options);
        } else {
            continue;
        }
        std::vector<TCardinalStatement> statements;
        const bool ranked =
            std::any_of(nodeRanks.begin(), nodeRanks.end(), [](int r) { return r > 0; });
        int count = 0;
        if (ranked) {
            count = options.ratioChance >= 0.0 ? (random.Chance(options.ratioChance) ? 1 : 0)
                                               : random.Int(0, options.maxRatioStatements);
        }
        for (int s = 0; s < count; ++s) {
            TCardinalStatement statement;
            if (MakeRatio(random, model, hidden.values[column], statement)) {
                statements.push_back(statement);
            }
        }
        statementCount += static_cast<int>(statements.size());
        model.StoreRanking(node, nodeRanks, statements);
    }

    // Weight statements around a reference row with positive weight.
    bool topDown = random.Chance(options.topDownShare);
    std::vector<NodeId> rootRows;
    for (NodeId child : model.Children(root)) {
        if (hasAttribute[model.ColumnOfNode(child)]) {
            rootRows.push_back(child);
        }
    }
    if (options.infeasible && rootRows.size() < 2) {
        topDown = false;
    }
    model.SetTopDownWeights(topDown);
    std::vector<Model::WeightBound> bounds;
    const auto weigh = [&](const std::vector<NodeId>& rows, bool contradict) {
        std::vector<NodeId> candidates;
        for (NodeId row : rows) {
            if (nodeWeight[model.ColumnOfNode(row)] > 0.0) {
                candidates.push_back(row);
            }
        }
        if (candidates.empty() || (!contradict && !random.Chance(options.weightShare))) {
            return;
        }
        const NodeId reference = random.Pick(candidates);
        const double referenceWeight = nodeWeight[model.ColumnOfNode(reference)];
        bool contradicted = false;
        for (NodeId row : rows) {
            Model::WeightBound bound;
            bound.Node = row;
            if (row == reference) {
                bound.Lower = kReferenceWeight;
                bound.Upper = kReferenceWeight;
            } else if (contradict && !contradicted) {
                bound.Lower = 2 * kReferenceWeight; // at least twice the reference ...
                bound.Upper = kReferenceWeight;     // ... and at most the reference
                contradicted = true;
            } else if (contradict || random.Chance(options.weightShare)) {
                const double percent =
                    100.0 * nodeWeight[model.ColumnOfNode(row)] / referenceWeight;
                const int sides = contradict ? random.Int(0, 1) * 3 : random.Int(0, 3);
                bound.Lower = sides == 3 ? kNotGiven : Down(percent * 0.9);
                bound.Upper = sides == 2 ? kNotGiven : Up(percent * 1.1);
            }
            bounds.push_back(bound);
        }
    };
    if (topDown) {
        for (NodeId goal : model.Goals()) {
            std::vector<NodeId> rows;
            for (NodeId child : model.Children(goal)) {
                if (hasAttribute[model.ColumnOfNode(child)]) {
                    rows.push_back(child);
                }
            }
            weigh(rows, options.infeasible && goal == root);
        }
    } else {
        weigh(attributes, options.infeasible);
    }
    model.StoreWeightBounds(topDown, bounds);

    result.infeasible = options.infeasible;
    result.description =
        "seed " + std::to_string(seed) + ": " + std::to_string(m) + " alternatives, " +
        std::to_string(n) + " nodes, " + std::to_string(statementCount) + " ratio statements, " +
        std::to_string(bounds.size()) + " weight rows " + (topDown ? "top down" : "bottom up") +
        (normalized ? ", normalized" : "") + (options.infeasible ? ", infeasible" : "");
    return result;
}

} // namespace velor::testing
