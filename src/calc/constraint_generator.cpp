#include "calc/constraint_generator.h"

#include "calc/number_text.h"

#include <algorithm>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

namespace velor {

namespace {

bool IsReference(double lower, double upper) {
    return lower == kReferenceWeight && upper == kReferenceWeight;
}

bool IsAttributeColumn(const Model& model, int column) {
    const NodeId node = model.NodeByColumn(column);
    return node != kNone && model.IsAttribute(node);
}

// Appends coefficient * V(column, row), the coefficient as its text would read back, so the
// typed rows and the text rows give the solver the same numbers.
void AppendTerm(UnknownTerms& out, double coefficient, int column, int row) {
    out.push_back({{column, row}, AsWritten(coefficient)});
}

// Everything the generator reads of one model, gathered once per linear program.
class Snapshot {
public:
    explicit Snapshot(const Model& model)
        : model_(model), m_(model.M()), n_(model.N()), attribute_(n_ + 1, 0),
          subtreeEnd_(n_ + 1, 0), best_(n_ + 1, kNotFound) {
        for (int col = 1; col <= n_; ++col) {
            attribute_[col] = IsAttributeColumn(model, col) ? 1 : 0;
            subtreeEnd_[col] = col;
        }
        // Columns follow pre-order, so a subtree is the column range [col, subtreeEnd]. Going
        // backwards, every column is complete before it is folded into its parent.
        for (int col = n_; col >= 2; --col) {
            const NodeId node = model.NodeByColumn(col);
            if (node == kNone || model.Parent(node) == kNone) {
                continue;
            }
            const int parent = model.ColumnOfNode(model.Parent(node));
            if (parent >= 1 && parent <= n_) {
                subtreeEnd_[parent] = std::max(subtreeEnd_[parent], subtreeEnd_[col]);
            }
        }
    }

    const Model& model() const { return model_; }
    int M() const { return m_; }
    int N() const { return n_; }
    bool IsAttribute(int col) const { return attribute_[col] != 0; }
    // The best level's row of a column, found when first asked for: most programs (dominance,
    // plain values) never ask.
    int Best(int col) const {
        int& best = best_[col];
        if (best == kNotFound) {
            best = BestAlternativeRow(model_, col);
        }
        return best;
    }

    bool HasAttributeBelow(int column) const {
        if (column < 1 || column > n_) {
            return false;
        }
        for (int j = column; j <= subtreeEnd_[column]; ++j) {
            if (IsAttribute(j)) {
                return true;
            }
        }
        return false;
    }

    // coefficient * V(column, row), or coefficient * W(column) for row < 0.
    void AppendNodeTerms(UnknownTerms& out, int column, int row, double coefficient) const {
        if (column < 1 || column > n_) {
            return;
        }
        for (int j = column; j <= subtreeEnd_[column]; ++j) {
            if (IsAttribute(j)) {
                AppendTerm(out, coefficient, j, row >= 0 ? row : Best(j));
            }
        }
    }

    UnknownTerms NodeTerms(int column, int row, double coefficient) const {
        UnknownTerms out;
        AppendNodeTerms(out, column, row, coefficient);
        return out;
    }

private:
    const Model& model_;
    int m_;
    int n_;
    std::vector<char> attribute_;
    std::vector<int> subtreeEnd_;
    static constexpr int kNotFound = -1;
    mutable std::vector<int> best_;
};

struct RankedRow {
    int Rank;
    int Row;
};

// Ranked rows of a column ordered by rank, then row.
std::vector<RankedRow> RankedRows(const Model& model, int column) {
    std::vector<RankedRow> ranked;
    for (int row = 1; row <= model.M(); ++row) {
        const int rank = model.Rank(column, row);
        if (rank > 0) {
            ranked.push_back({rank, row});
        }
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const RankedRow& a, const RankedRow& b) { return a.Rank < b.Rank; });
    return ranked;
}

// Where the rows go, as text or typed, and where their origins go when the caller asked for them.
class RowSink {
public:
    RowSink(TConstraintModel* text, const RowHandler* typed, std::vector<RowOrigin>* origins)
        : text_(text), typed_(typed), origins_(origins) {}

    // A row of terms "coefficient*name"; namesOnly writes a term of coefficient 1 as its bare
    // name and one of -1 as " - name" (the sums of weights and of worst levels).
    void Add(UnknownTerms terms, Relation relation, double rightSide, const RowOrigin& origin,
             bool namesOnly = false) const {
        if (text_ != nullptr) {
            std::string text;
            for (const UnknownTerm& term : terms) {
                if (!namesOnly) {
                    AppendTermText(text, term.Coefficient, UnknownName(term.Var));
                    continue;
                }
                if (term.Coefficient < 0) {
                    text += " - ";
                } else if (!text.empty()) {
                    text += '+';
                }
                text += UnknownName(term.Var);
            }
            text += relation == kRelationLessEqual      ? "<="
                    : relation == kRelationGreaterEqual ? ">="
                                                        : "=";
            text += NumberText(rightSide);
            text_->AddConstraint(std::move(text));
        }
        if (typed_ != nullptr) {
            (*typed_)({std::move(terms), relation, rightSide});
        }
        if (origins_ != nullptr) {
            origins_->push_back(origin);
            origins_->back().Member = member_;
        }
    }

    // The same sink for the statements of the model's joint model number member.
    RowSink ForMember(int member) const {
        RowSink sink = *this;
        sink.member_ = member;
        return sink;
    }

private:
    TConstraintModel* text_;
    const RowHandler* typed_;
    std::vector<RowOrigin>* origins_;
    int member_ = 0;
};

// Appends lhs "-" rhs, i.e. V(column, higher) - V(column, lower), plus the relation.
void AddDifference(const Snapshot& s, const RowSink& target, int column, int higher, int lower,
                   Relation relation, RowSource source) {
    UnknownTerms terms;
    s.AppendNodeTerms(terms, column, higher, 1.0);
    s.AppendNodeTerms(terms, column, lower, -1.0);
    target.Add(std::move(terms), relation, 0.0, {source, column, higher, lower});
}

// The ordinal chain: rows of equal rank are equal in value, and the first row of each rank
// present is worth at most the first row of the next better rank present.
void AddOrdinalChain(const Snapshot& s, const RowSink& target, int column) {
    const std::vector<RankedRow> ranked = RankedRows(s.model(), column);
    std::size_t i = 0;
    while (i < ranked.size()) {
        const int rank = ranked[i].Rank;
        const int first = ranked[i].Row;
        std::size_t next = i + 1;
        for (; next < ranked.size() && ranked[next].Rank == rank; ++next) {
            AddDifference(s, target, column, ranked[next].Row, first, kRelationEqual,
                          RowSource::EqualRank);
        }
        if (next < ranked.size()) {
            AddDifference(s, target, column, ranked[next].Row, first, kRelationLessEqual,
                          RowSource::NextRank);
        }
        i = next;
    }
}

// An unranked level is worth at most the best level.
void AddUnrankedRows(const Snapshot& s, const RowSink& target, int column) {
    const int best = s.Best(column);
    for (int row = 1; row <= s.M(); ++row) {
        if (row != best && s.model().Rank(column, row) == 0) {
            AddDifference(s, target, column, row, best, kRelationLessEqual,
                          RowSource::UnrankedLevel);
        }
    }
}

// L * (V(s) - V(t)) <= V(p) - V(q) <= U * (V(s) - V(t)) for each ratio statement of the node;
// for an attribute V(r) is the single variable of row r.
void AddRatioRows(const Snapshot& s, const RowSink& target, int column) {
    const Model& model = s.model();
    const TPreferenceData* preference = model.Preference(model.NodeByColumn(column));
    if (preference == nullptr) {
        return;
    }
    const auto& statements = preference->Statements;
    for (std::size_t index = 0; index < statements.size(); ++index) {
        const TCardinalStatement& statement = statements[index];
        const RowOrigin origin{RowSource::RatioLower, column, 0, 0, static_cast<int>(index)};
        const int p = model.RowOfAlternative(statement.Num1);
        const int q = model.RowOfAlternative(statement.Num2);
        const int sRow = model.RowOfAlternative(statement.Den1);
        const int t = model.RowOfAlternative(statement.Den2);
        if (p == 0 || q == 0 || sRow == 0 || t == 0) {
            continue; // names an alternative that no longer exists
        }
        const double lower = statement.Lower;
        const double upper = statement.Upper;
        if (lower >= 0) {
            UnknownTerms terms;
            s.AppendNodeTerms(terms, column, p, -1.0);
            s.AppendNodeTerms(terms, column, q, 1.0);
            s.AppendNodeTerms(terms, column, sRow, lower);
            s.AppendNodeTerms(terms, column, t, -lower);
            target.Add(std::move(terms), kRelationLessEqual, 0.0, origin);
        }
        if (upper >= 0) {
            UnknownTerms terms;
            s.AppendNodeTerms(terms, column, p, 1.0);
            s.AppendNodeTerms(terms, column, q, -1.0);
            s.AppendNodeTerms(terms, column, sRow, -upper);
            s.AppendNodeTerms(terms, column, t, upper);
            RowOrigin upperOrigin = origin;
            upperOrigin.Source = RowSource::RatioUpper;
            target.Add(std::move(terms), kRelationLessEqual, 0.0, upperOrigin);
        }
    }
}

// Weight of attribute column within [lower%, upper%] of the reference attribute's weight.
void AddBottomUpRows(const Snapshot& s, const RowSink& target, int column, int reference) {
    const TNodeData& data = s.model().Node(s.model().NodeByColumn(column));
    const int best = s.Best(column);
    const int referenceBest = s.Best(reference);
    if (data.BottomUpUpper >= 0) {
        UnknownTerms terms;
        AppendTerm(terms, 1.0, column, best);
        AppendTerm(terms, -(data.BottomUpUpper * 0.01), reference, referenceBest);
        target.Add(std::move(terms), kRelationLessEqual, 0.0,
                   {RowSource::BottomUpUpper, column, 0, 0, -1, reference});
    }
    if (data.BottomUpLower >= 0) {
        UnknownTerms terms;
        AppendTerm(terms, -1.0, column, best);
        AppendTerm(terms, data.BottomUpLower * 0.01, reference, referenceBest);
        target.Add(std::move(terms), kRelationLessEqual, 0.0,
                   {RowSource::BottomUpLower, column, 0, 0, -1, reference});
    }
}

// W(column) within [lower%, upper%] of the weight of its reference sibling.
void AddTopDownRows(const Snapshot& s, const RowSink& target, int column) {
    const int sibling = ReferenceSiblingColumn(s.model(), column);
    if (sibling <= 0 || sibling == column) {
        return;
    }
    const TNodeData& data = s.model().Node(s.model().NodeByColumn(column));
    if (data.TopDownUpper >= 0) {
        UnknownTerms terms;
        s.AppendNodeTerms(terms, column, -1, 1.0);
        s.AppendNodeTerms(terms, sibling, -1, -(data.TopDownUpper * 0.01));
        target.Add(std::move(terms), kRelationLessEqual, 0.0,
                   {RowSource::TopDownUpper, column, 0, 0, -1, sibling});
    }
    if (data.TopDownLower >= 0) {
        UnknownTerms terms;
        s.AppendNodeTerms(terms, sibling, -1, data.TopDownLower * 0.01);
        s.AppendNodeTerms(terms, column, -1, -1.0);
        target.Add(std::move(terms), kRelationLessEqual, 0.0,
                   {RowSource::TopDownLower, column, 0, 0, -1, sibling});
    }
}

// An attribute's worst level, worth 0, as one decision maker's ranking makes it.
struct WorstLevel {
    UnknownTerm Term;
    int Best = 0;
    int Member = 0;
};

// The worst levels of every model, each level with its best level once (several models may
// rank the same level worst).
class WorstLevels {
public:
    void Add(const UnknownTerm& term, int best, int member) {
        if (seen_.insert({term.Var.Column, term.Var.Row, best}).second) {
            levels_.push_back({term, best, member});
        }
    }
    const std::vector<WorstLevel>& Levels() const { return levels_; }

private:
    std::vector<WorstLevel> levels_;
    std::set<std::tuple<int, int, int>> seen_;
};

// The rows of one decision maker's statements on every column: rankings, unranked levels, ratio
// statements and the weight statements of the weight mode. The best levels of the attributes
// go to weightSum when it is given, the worst levels to worst.
void AppendStatementsOf(const Snapshot& s, const RowSink& target, int member,
                        UnknownTerms* weightSum, WorstLevels& worst) {
    const Model& model = s.model();
    const bool topDown = model.TopDownWeights();
    const int reference = ReferenceAttributeColumn(model);
    for (int column = 1; column <= s.N(); ++column) {
        const int worstRow = WorstAlternativeRow(model, column);
        if (s.IsAttribute(column)) {
            if (worstRow > 0) {
                worst.Add({{column, worstRow}, 1.0}, s.Best(column), member);
            }
            if (weightSum != nullptr) {
                AppendTerm(*weightSum, 1.0, column, s.Best(column));
            }
            AddOrdinalChain(s, target, column);
            AddUnrankedRows(s, target, column);
            AddRatioRows(s, target, column);
            if (!topDown && reference > 0 && column != reference) {
                AddBottomUpRows(s, target, column, reference);
            }
        } else if (worstRow > 0 && s.HasAttributeBelow(column)) {
            AddOrdinalChain(s, target, column);
            AddUnrankedRows(s, target, column);
            AddRatioRows(s, target, column);
        }
        if (topDown && s.HasAttributeBelow(column)) {
            AddTopDownRows(s, target, column);
        }
    }
}

// separateWorstLevels: one row "worst level = 0" per attribute instead of their sum.
//
// The statements of the model's joint models follow its own, each joint model's rows as its own
// calculation would make them; the scale (weight sum, normalizer) comes once, from the model.
// Wherever every model's ranking rows hold, the best levels of an attribute are worth the same
// in every model (each model bounds every level of the attribute by its best one), so the
// weights the model's objectives read are the weights every joint model's statements speak of.
void AppendConstraints(const Snapshot& s, const RowSink& target, const UnknownTerms& normalizer,
                       bool separateWorstLevels = false) {
    if (s.M() == 0) {
        return;
    }
    UnknownTerms weightSum;
    WorstLevels worst;
    AppendStatementsOf(s, target, 0, &weightSum, worst);
    const std::vector<Model>& joint = s.model().JointModels();
    for (std::size_t k = 0; k < joint.size(); ++k) {
        const int member = static_cast<int>(k) + 1;
        AppendStatementsOf(Snapshot(joint[k]), target.ForMember(member), member, nullptr, worst);
    }
    if (!weightSum.empty()) {
        if (!normalizer.empty()) {
            weightSum.push_back({kTotalWeight, -1.0});
        }
        target.Add(std::move(weightSum), kRelationEqual, normalizer.empty() ? 1.0 : 0.0, {}, true);
    }
    if (separateWorstLevels) {
        for (const WorstLevel& level : worst.Levels()) {
            const int column = level.Term.Var.Column;
            target.ForMember(level.Member)
                .Add({level.Term}, kRelationEqual, 0.0,
                     {RowSource::WorstLevel, column, level.Term.Var.Row, level.Best}, true);
        }
    } else if (!worst.Levels().empty()) {
        UnknownTerms worstSum;
        std::set<Unknown> inSum;
        for (const WorstLevel& level : worst.Levels()) {
            if (joint.empty() || inSum.insert(level.Term.Var).second) {
                worstSum.push_back(level.Term);
            }
        }
        target.Add(std::move(worstSum), kRelationEqual, 0.0, {RowSource::WorstLevel}, true);
    }
    if (!normalizer.empty()) {
        target.Add(normalizer, kRelationEqual, 1.0, {});
    }
}

} // namespace

std::string ValueVariable(int column, int row) {
    return UnknownName({column, row});
}

int BestAlternativeRow(const Model& model, int column) {
    if (column < 1 || column > model.N() || model.M() == 0) {
        return 0;
    }
    int best = 0;
    int bestRank = 0;
    for (int row = 1; row <= model.M(); ++row) {
        const int rank = model.Rank(column, row);
        if (rank > 0 && (bestRank == 0 || rank < bestRank)) {
            bestRank = rank;
            best = row;
        }
    }
    if (best == 0 && IsAttributeColumn(model, column)) {
        return 1; // an unranked attribute takes row 1 as its best level
    }
    return best;
}

int WorstAlternativeRow(const Model& model, int column) {
    if (column < 1 || column > model.N()) {
        return 0;
    }
    return model.HighestRankRow(column);
}

UnknownTerms NodeValueTerms(const Model& model, int column, int row, double coefficient) {
    const NodeId node = model.NodeByColumn(column);
    if (node == kNone || column > model.N()) {
        return {};
    }
    UnknownTerms out;
    for (int j = column; j <= model.N(); ++j) {
        const NodeId other = model.NodeByColumn(j);
        if (j != column && !model.InSubtree(other, node)) {
            break; // a subtree is a contiguous column range
        }
        if (model.IsAttribute(other)) {
            AppendTerm(out, coefficient, j, row >= 0 ? row : BestAlternativeRow(model, j));
        }
    }
    return out;
}

std::vector<int> RowsInRankOrder(const Model& model, int column) {
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(model.M()));
    for (const RankedRow& ranked : RankedRows(model, column)) {
        rows.push_back(ranked.Row);
    }
    for (int row = 1; row <= model.M(); ++row) {
        if (model.Rank(column, row) <= 0) {
            rows.push_back(row);
        }
    }
    return rows;
}

int ReferenceAttributeColumn(const Model& model) {
    for (int column = 1; column <= model.N(); ++column) {
        const NodeId node = model.NodeByColumn(column);
        if (node != kNone && model.IsAttribute(node)) {
            const TNodeData& data = model.Node(node);
            if (IsReference(data.BottomUpLower, data.BottomUpUpper)) {
                return column;
            }
        }
    }
    return 0;
}

int ReferenceSiblingColumn(const Model& model, int column) {
    const NodeId node = model.NodeByColumn(column);
    if (node == kNone) {
        return 0;
    }
    const NodeId parent = model.Parent(node);
    if (parent == kNone) {
        const TNodeData& data = model.Node(node);
        return IsReference(data.TopDownLower, data.TopDownUpper) ? column : 0;
    }
    int found = 0;
    for (const NodeId sibling : model.Children(parent)) {
        const TNodeData& data = model.Node(sibling);
        if (IsReference(data.TopDownLower, data.TopDownUpper) &&
            (found == 0 || data.Column < found)) {
            found = data.Column;
        }
    }
    return found;
}

void AppendModelConstraints(const Model& model, TConstraintModel& target,
                            const UnknownTerms& normalizer, std::vector<RowOrigin>* origins) {
    AppendConstraints(Snapshot(model), RowSink(&target, nullptr, origins), normalizer);
}

void ForEachModelRow(const Model& model, const UnknownTerms& normalizer, const RowHandler& handle) {
    AppendConstraints(Snapshot(model), RowSink(nullptr, &handle, nullptr), normalizer);
}

void AppendStatementRows(const Model& model, TConstraintModel* text, const RowHandler* typed,
                         std::vector<RowOrigin>* origins) {
    AppendConstraints(Snapshot(model), RowSink(text, typed, origins), {}, true);
}

ProgramParts ValueProgram(const Model& model, int column, int row, int direction, bool normalized) {
    const Snapshot s(model);
    ProgramParts parts;
    parts.Direction = static_cast<Direction>(direction);
    parts.Objective = s.NodeTerms(column, row, 1.0);
    if (normalized) {
        parts.Normalizer = s.NodeTerms(column, -1, 1.0);
    }
    return parts;
}

ProgramParts WeightProgram(const Model& model, NodeId node, int direction, bool normalized) {
    ProgramParts parts;
    parts.Direction = static_cast<Direction>(direction);
    if (model.M() == 0) {
        return parts;
    }
    const Snapshot s(model);
    parts.Objective = s.NodeTerms(model.ColumnOfNode(node), -1, 1.0);
    const NodeId parent = model.Parent(node);
    if (normalized && parent != kNone) {
        parts.Normalizer = s.NodeTerms(model.ColumnOfNode(parent), -1, 1.0);
    }
    return parts;
}

ProgramParts DominanceProgram(const Model& model, int row, int otherRow) {
    const Snapshot s(model);
    ProgramParts parts;
    parts.Direction = kMinimize;
    // Both cells ranked and row's rank no worse: the chain of the column's ranks runs from
    // otherRow's value up to row's, so row's is at least otherRow's.
    const auto atLeast = [&model, row, otherRow](int column) {
        const int rank = model.Rank(column, row);
        const int other = model.Rank(column, otherRow);
        return rank > 0 && other > 0 && rank <= other;
    };
    bool everyAttribute = true;
    for (int column = 1; column <= s.N(); ++column) {
        if (s.IsAttribute(column)) {
            AppendTerm(parts.Objective, 1.0, column, row);
            AppendTerm(parts.Objective, -1.0, column, otherRow);
            everyAttribute = everyAttribute && atLeast(column);
        }
    }
    parts.NonNegative = !parts.Objective.empty() && (atLeast(1) || everyAttribute);
    return parts;
}

TConstraintModel AssembleProgram(const Model& model, const ProgramParts& parts) {
    TConstraintModel result(parts.Direction, TermsText(parts.Objective));
    AppendModelConstraints(model, result, parts.Normalizer);
    return result;
}

TConstraintModel BuildValueModel(const Model& model, int column, int row, int direction,
                                 bool normalized) {
    return AssembleProgram(model, ValueProgram(model, column, row, direction, normalized));
}

TConstraintModel BuildWeightModel(const Model& model, NodeId node, int direction, bool normalized) {
    if (model.M() == 0) {
        return TConstraintModel(static_cast<Direction>(direction), std::string());
    }
    return AssembleProgram(model, WeightProgram(model, node, direction, normalized));
}

TConstraintModel BuildDominanceModel(const Model& model, int row, int otherRow) {
    return AssembleProgram(model, DominanceProgram(model, row, otherRow));
}

} // namespace velor
