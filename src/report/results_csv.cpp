#include "report/results_csv.h"

#include "calc/number_text.h"
#include "model/csv_table.h"
#include "model/text_limit.h"

#include <cmath>

namespace velor {

namespace {

using Records = std::vector<std::vector<std::string>>;

std::string Number(double value) {
    return NumberText(value == 0.0 ? 0.0 : value);
}

TNodeValue ValueOf(const TNodeData& data, int row) {
    const auto index = static_cast<std::size_t>(row) - 1;
    return index < data.Values.size() ? data.Values[index] : TNodeValue{};
}

void Section(Records& out, const std::string& title, std::vector<std::string> header) {
    if (!out.empty()) {
        out.emplace_back();
    }
    out.push_back({title});
    out.push_back(std::move(header));
}

void ValueSection(const Model& model, Records& out) {
    Section(out, "Value intervals",
            {"Node", "Alternative", "Lower", "Upper", "Normalized lower", "Normalized upper"});
    for (NodeId node : model.PreOrder()) {
        const TNodeData& data = model.Node(node);
        for (int row = 1; row <= model.M(); ++row) {
            const TNodeValue value = ValueOf(data, row);
            out.push_back({data.Name, model.AlternativeName(row), Number(value.Lower),
                           Number(value.Upper), Number(value.NormLower), Number(value.NormUpper)});
        }
    }
}

void WeightSection(const Model& model, Records& out) {
    Section(out, "Weights",
            {"Node", "Kind", "Parent", "Lower", "Upper", "Normalized lower", "Normalized upper"});
    for (NodeId node : model.PreOrder()) {
        const TNodeData& data = model.Node(node);
        const NodeId parent = model.Parent(node);
        out.push_back({data.Name, data.Kind == kGoal ? "goal" : "attribute",
                       parent == kNone ? std::string() : model.Node(parent).Name,
                       Number(data.WeightLower), Number(data.WeightUpper),
                       Number(data.NormWeightLower), Number(data.NormWeightUpper)});
    }
}

template <typename Cell>
void MatrixSection(const Model& model, Records& out, const std::string& title, Cell cell) {
    std::vector<std::string> header{""};
    for (int row = 1; row <= model.M(); ++row) {
        header.push_back(model.AlternativeName(row));
    }
    Section(out, title, std::move(header));
    for (int row = 1; row <= model.M(); ++row) {
        std::vector<std::string> record{model.AlternativeName(row)};
        for (int other = 1; other <= model.M(); ++other) {
            record.push_back(cell(model.Alternative(row), static_cast<std::size_t>(other)));
        }
        out.push_back(std::move(record));
    }
}

void RuleSection(const Model& model, Records& out) {
    std::vector<std::string> header{"Alternative", "Value lower", "Value upper", "Maximum regret"};
    for (const char* rule : kDecisionRuleNames) {
        header.emplace_back(rule);
    }
    Section(out, "Decision rules", std::move(header));
    for (int row = 1; row <= model.M(); ++row) {
        const TAlternativeData& data = model.Alternative(row);
        std::vector<std::string> record{model.AlternativeName(row), Number(data.ValueLower),
                                        Number(data.ValueUpper), Number(data.MaxRegret)};
        for (std::uint8_t flag : data.Recommended) {
            record.emplace_back(flag != 0 ? "yes" : "no");
        }
        out.push_back(std::move(record));
    }
}

bool AllFinite(const Model& model) {
    const auto finite = [](std::initializer_list<double> values) {
        for (double v : values) {
            if (!std::isfinite(v)) {
                return false;
            }
        }
        return true;
    };
    for (NodeId node : model.PreOrder()) {
        const TNodeData& d = model.Node(node);
        if (!finite({d.WeightLower, d.WeightUpper, d.NormWeightLower, d.NormWeightUpper})) {
            return false;
        }
        for (const TNodeValue& v : d.Values) {
            if (!finite({v.Lower, v.Upper, v.NormLower, v.NormUpper})) {
                return false;
            }
        }
    }
    for (int row = 1; row <= model.M(); ++row) {
        const TAlternativeData& a = model.Alternative(row);
        if (!finite({a.ValueLower, a.ValueUpper, a.MaxRegret})) {
            return false;
        }
        for (double margin : a.DominanceMargin) {
            if (!std::isfinite(margin)) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

Records ResultsRecords(const Model& model) {
    Records out;
    ValueSection(model, out);
    WeightSection(model, out);
    MatrixSection(model, out, "Dominance", [](const TAlternativeData& a, std::size_t other) {
        return std::string(DominanceCodeName(
            other < a.Dominance.size() ? a.Dominance[other] : std::uint8_t{kNotComputed}));
    });
    MatrixSection(
        model, out, "Dominance margins", [](const TAlternativeData& a, std::size_t other) {
            return Number(other < a.DominanceMargin.size() ? a.DominanceMargin[other] : 0.0);
        });
    RuleSection(model, out);
    return out;
}

bool ResultsCsv(const Model& model, char separator, std::string& text) {
    if (!AllFinite(model)) {
        return false;
    }
    // Names as the program shows them, and none that a spreadsheet would run as a formula.
    Records records = ResultsRecords(model);
    for (auto& record : records) {
        for (std::string& field : record) {
            field = ShownText(field);
        }
    }
    text = WriteCsv(FormulaGuarded(std::move(records)), separator, true);
    return true;
}

} // namespace velor
