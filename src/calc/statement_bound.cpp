#include "calc/statement_bound.h"

#include "calc/conflict_statement.h"
#include "calc/constraint_generator.h"
#include "calc/row_origin.h"
#include "calc/variant_solver.h"

#include <cassert>

namespace velor {

namespace {

RowSource SourceOf(const StatementBound& bound) {
    switch (bound.Kind) {
    case BoundKind::WeightLower:
        return bound.TopDown ? RowSource::TopDownLower : RowSource::BottomUpLower;
    case BoundKind::WeightUpper:
        return bound.TopDown ? RowSource::TopDownUpper : RowSource::BottomUpUpper;
    case BoundKind::RatioLower:
        return RowSource::RatioLower;
    case BoundKind::RatioUpper:
        return RowSource::RatioUpper;
    }
    return RowSource::Scale;
}

const TCardinalStatement* RatioOf(const Model& model, const StatementBound& bound) {
    if (!model.Exists(bound.Node)) {
        return nullptr;
    }
    const TPreferenceData* preference = model.Preference(bound.Node);
    if (preference == nullptr || bound.Statement < 0 ||
        bound.Statement >= static_cast<int>(preference->Statements.size())) {
        return nullptr;
    }
    return &preference->Statements[static_cast<std::size_t>(bound.Statement)];
}

struct TypedRows {
    std::vector<UnknownRow> Rows;
    std::vector<RowOrigin> Origins;
};

// The plain form's rows, as every calculation loads them, with their origins.
TypedRows RowsOf(const Model& model) {
    TypedRows out;
    ForEachModelRow(model, {}, [&](const UnknownRow& row) { out.Rows.push_back(row); });
    TConstraintModel text;
    AppendModelConstraints(model, text, {}, &out.Origins);
    return out;
}

std::optional<std::size_t> RowOfBound(const Model& model, const TypedRows& rows,
                                      const StatementBound& bound) {
    const RowSource source = SourceOf(bound);
    const int column = model.ColumnOfNode(bound.Node);
    for (std::size_t i = 0; i < rows.Origins.size(); ++i) {
        const RowOrigin& origin = rows.Origins[i];
        if (origin.Source == source && origin.Column == column &&
            (bound.IsWeight() || origin.Statement == bound.Statement)) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace

bool ComparesWithItself(const TCardinalStatement& ratio) {
    return ratio.Num1 == ratio.Den1 && ratio.Num2 == ratio.Den2;
}

const char* BoundKindName(BoundKind kind) {
    switch (kind) {
    case BoundKind::WeightLower:
        return "weight lower bound";
    case BoundKind::WeightUpper:
        return "weight upper bound";
    case BoundKind::RatioLower:
        return "ratio lower bound";
    case BoundKind::RatioUpper:
        return "ratio upper bound";
    }
    return "?";
}

double BoundValue(const Model& model, const StatementBound& bound) {
    if (bound.IsWeight()) {
        if (!model.Exists(bound.Node)) {
            return kNotGiven;
        }
        const TNodeData& data = model.Node(bound.Node);
        if (bound.TopDown) {
            return bound.IsLower() ? data.TopDownLower : data.TopDownUpper;
        }
        return bound.IsLower() ? data.BottomUpLower : data.BottomUpUpper;
    }
    const TCardinalStatement* ratio = RatioOf(model, bound);
    if (ratio == nullptr) {
        return kNotGiven;
    }
    return bound.IsLower() ? ratio->Lower : ratio->Upper;
}

double OtherBoundValue(const Model& model, const StatementBound& bound) {
    StatementBound other = bound;
    switch (bound.Kind) {
    case BoundKind::WeightLower:
        other.Kind = BoundKind::WeightUpper;
        break;
    case BoundKind::WeightUpper:
        other.Kind = BoundKind::WeightLower;
        break;
    case BoundKind::RatioLower:
        other.Kind = BoundKind::RatioUpper;
        break;
    case BoundKind::RatioUpper:
        other.Kind = BoundKind::RatioLower;
        break;
    }
    return BoundValue(model, other);
}

void SetBoundValue(Model& model, const StatementBound& bound, double value) {
    if (bound.IsWeight()) {
        const TNodeData& data = model.Node(bound.Node);
        double lower = bound.TopDown ? data.TopDownLower : data.BottomUpLower;
        double upper = bound.TopDown ? data.TopDownUpper : data.BottomUpUpper;
        (bound.IsLower() ? lower : upper) = value;
        std::vector<Model::WeightBound> bounds{{bound.Node, lower, upper}};
        if (bound.Reference != kNone) {
            const TNodeData& reference = model.Node(bound.Reference);
            const double refLower =
                bound.TopDown ? reference.TopDownLower : reference.BottomUpLower;
            const double refUpper =
                bound.TopDown ? reference.TopDownUpper : reference.BottomUpUpper;
            if (refLower != kReferenceWeight || refUpper != kReferenceWeight) {
                bounds.push_back({bound.Reference, kReferenceWeight, kReferenceWeight});
            }
        }
        model.StoreWeightBounds(bound.TopDown, bounds);
        return;
    }
    TPreferenceData* preference = model.PreferenceData(bound.Node);
    assert(preference != nullptr && bound.Statement >= 0 &&
           bound.Statement < static_cast<int>(preference->Statements.size()));
    TCardinalStatement& ratio = preference->Statements[static_cast<std::size_t>(bound.Statement)];
    (bound.IsLower() ? ratio.Lower : ratio.Upper) = value;
    model.RefreshAssessedStatus();
}

std::vector<StatementBound> StatedBounds(const Model& model) {
    std::vector<StatementBound> out;
    const TypedRows rows = RowsOf(model);
    for (const RowOrigin& origin : rows.Origins) {
        StatementBound bound;
        bound.Node = model.NodeByColumn(origin.Column);
        switch (origin.Source) {
        case RowSource::RatioLower:
        case RowSource::RatioUpper:
            if (bound.Node == kNone ||
                ComparesWithItself(model.Preference(bound.Node)
                                       ->Statements[static_cast<std::size_t>(origin.Statement)])) {
                continue;
            }
            bound.Kind = origin.Source == RowSource::RatioLower ? BoundKind::RatioLower
                                                                : BoundKind::RatioUpper;
            bound.Statement = origin.Statement;
            break;
        case RowSource::BottomUpLower:
        case RowSource::BottomUpUpper:
        case RowSource::TopDownLower:
        case RowSource::TopDownUpper:
            bound.TopDown = origin.Source == RowSource::TopDownLower ||
                            origin.Source == RowSource::TopDownUpper;
            bound.Kind = origin.Source == RowSource::BottomUpLower ||
                                 origin.Source == RowSource::TopDownLower
                             ? BoundKind::WeightLower
                             : BoundKind::WeightUpper;
            bound.Reference = model.NodeByColumn(origin.Reference);
            break;
        default:
            continue;
        }
        if (bound.Node != kNone) {
            out.push_back(bound);
        }
    }
    return out;
}

bool Tighter(const StatementBound& bound, double value, double other) {
    if (value == kNotGiven) {
        return false;
    }
    if (other == kNotGiven) {
        return true;
    }
    return bound.IsLower() ? value > other : value < other;
}

std::string DescribeBound(const Model& model, const StatementBound& bound, double value,
                          char decimalSeparator) {
    ConflictStatement statement;
    statement.Node = bound.Node;
    statement.Bound = bound.IsLower() ? BoundSide::Lower : BoundSide::Upper;
    statement.Value = value;
    if (bound.IsWeight()) {
        statement.Kind = bound.TopDown ? ConflictKind::TopDownWeight : ConflictKind::BottomUpWeight;
        statement.Reference = bound.Reference;
    } else {
        statement.Kind = ConflictKind::RatioBound;
        statement.Statement = bound.Statement;
        if (const TCardinalStatement* ratio = RatioOf(model, bound)) {
            statement.Ratio = *ratio;
        }
    }
    return DescribeStatement(model, statement, decimalSeparator);
}

std::vector<Unknown> BoundRows::Unknowns() const {
    std::vector<Unknown> out;
    out.reserve(Base.size());
    for (const UnknownTerm& term : Base) {
        out.push_back(term.Var);
    }
    return out;
}

UnknownRow BoundRows::RowAt(double value) const {
    UnknownRow row;
    row.Relation = kRelationLessEqual;
    row.RightSide = 0.0;
    row.Terms = Base;
    for (std::size_t i = 0; i < row.Terms.size(); ++i) {
        row.Terms[i].Coefficient += value * Slope[i];
    }
    return row;
}

std::optional<BoundRows> MakeBoundRows(const Model& model, const StatementBound& bound) {
    if (!model.Exists(bound.Node)) {
        return std::nullopt;
    }
    if (!bound.IsWeight()) {
        const TCardinalStatement* ratio = RatioOf(model, bound);
        if (ratio == nullptr || ComparesWithItself(*ratio)) {
            return std::nullopt;
        }
    }
    // The row is linear in the bound's value: its forms at 0 and at 1 give base and slope.
    Model atZero = model;
    SetBoundValue(atZero, bound, 0.0);
    Model atOne = model;
    SetBoundValue(atOne, bound, 1.0);
    TypedRows zero = RowsOf(atZero);
    const TypedRows one = RowsOf(atOne);
    const std::optional<std::size_t> index = RowOfBound(atZero, zero, bound);
    if (!index || zero.Rows.size() != one.Rows.size() ||
        zero.Rows[*index].Terms.size() != one.Rows[*index].Terms.size()) {
        return std::nullopt;
    }
    BoundRows out;
    out.Index = *index;
    out.Base = zero.Rows[*index].Terms;
    for (std::size_t i = 0; i < out.Base.size(); ++i) {
        out.Slope.push_back(one.Rows[*index].Terms[i].Coefficient - out.Base[i].Coefficient);
    }
    out.Rows = std::move(zero.Rows);
    return out;
}

std::optional<bool> NestedInValue(const BoundRows& rows, const StatementBound& bound,
                                  const std::function<bool()>& stop) {
    if (bound.IsWeight()) {
        return true;
    }
    // The row is Base + value * Slope <= 0: its sets are nested when Slope * x keeps one sign
    // over every point the other rows admit.
    VariantSolver solver(rows.Rows, stop);
    solver.SetRow(rows.Index, rows.RowAt(0.0), false);
    UnknownTerms slope;
    for (std::size_t i = 0; i < rows.Base.size(); ++i) {
        slope.push_back({rows.Base[i].Var, rows.Slope[i]});
    }
    UnknownTerms negated = slope;
    for (UnknownTerm& term : negated) {
        term.Coefficient = -term.Coefficient;
    }
    constexpr double kTolerance = 1e-12;
    double lowest = 0.0;
    double negatedHighest = 0.0;
    if (solver.Minimize(slope, lowest) != SolveStatus::Optimal ||
        solver.Minimize(negated, negatedHighest) != SolveStatus::Optimal) {
        return std::nullopt;
    }
    return lowest >= -kTolerance || -negatedHighest <= kTolerance;
}

} // namespace velor
