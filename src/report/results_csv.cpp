#include "report/results_csv.h"

#include "calc/number_text.h"
#include "calc/result_warnings.h"
#include "model/csv_table.h"
#include "model/text_limit.h"

#include <cmath>

namespace velor {

namespace {

using Records = std::vector<std::vector<std::string>>;

std::string Number(double value) {
    return NumberText(value == 0.0 ? 0.0 : value);
}

// A figure of a result, left out (an empty cell) where the result was never calculated.
std::string Figure(bool calculated, double value) {
    return calculated ? Number(value) : std::string();
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
    const CalculatedResults& calculated = model.Calculated();
    for (NodeId node : model.PreOrder()) {
        const TNodeData& data = model.Node(node);
        const bool plain = calculated.ValuesOf(node == model.Root(), kPlainSet);
        const bool norm = calculated.ValuesOf(node == model.Root(), kNormalizedSet);
        for (int row = 1; row <= model.M(); ++row) {
            const TNodeValue value = ValueOf(data, row);
            out.push_back({data.Name, model.AlternativeName(row), Figure(plain, value.Lower),
                           Figure(plain, value.Upper), Figure(norm, value.NormLower),
                           Figure(norm, value.NormUpper)});
        }
    }
}

void WeightSection(const Model& model, Records& out) {
    Section(out, "Weights",
            {"Node", "Kind", "Parent", "Lower", "Upper", "Normalized lower", "Normalized upper"});
    const CalculatedResults& calculated = model.Calculated();
    for (NodeId node : model.PreOrder()) {
        const TNodeData& data = model.Node(node);
        const NodeId parent = model.Parent(node);
        // The main goal's weight is the whole weight: no calculation sets it.
        const bool plain = parent == kNone || calculated.Weights[kPlainSet];
        const bool norm = parent == kNone || calculated.Weights[kNormalizedSet];
        out.push_back({data.Name, data.Kind == kGoal ? "goal" : "attribute",
                       parent == kNone ? std::string() : model.Node(parent).Name,
                       Figure(plain, data.WeightLower), Figure(plain, data.WeightUpper),
                       Figure(norm, data.NormWeightLower), Figure(norm, data.NormWeightUpper)});
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
    const CalculatedResults& calculated = model.Calculated();
    for (int row = 1; row <= model.M(); ++row) {
        const TAlternativeData& data = model.Alternative(row);
        std::vector<std::string> record{model.AlternativeName(row),
                                        Figure(calculated.AnyMainValues(), data.ValueLower),
                                        Figure(calculated.AnyMainValues(), data.ValueUpper),
                                        Figure(calculated.Dominance, data.MaxRegret)};
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
    if (const auto warnings = ResultWarnings(model); !warnings.empty()) {
        out.push_back({"Warnings"});
        for (const std::string& warning : warnings) {
            out.push_back({warning});
        }
    }
    ValueSection(model, out);
    WeightSection(model, out);
    MatrixSection(model, out, "Dominance", [](const TAlternativeData& a, std::size_t other) {
        return std::string(DominanceCodeName(
            other < a.Dominance.size() ? a.Dominance[other] : std::uint8_t{kNotComputed}));
    });
    if (model.Calculated().Margins) {
        MatrixSection(
            model, out, "Dominance margins", [](const TAlternativeData& a, std::size_t other) {
                return Number(other < a.DominanceMargin.size() ? a.DominanceMargin[other] : 0.0);
            });
    } else {
        // A model file keeps only the margins' integer part: none is shown rather than a 0.
        Section(out, "Dominance margins",
                {"Margins", model.Calculated().Dominance ? kMarginNotStoredText
                                                         : kNotCalculatedText});
    }
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
