#include "calc/results_report.h"

#include "calc/constraint_generator.h"
#include "calc/number_text.h"
#include "calc/result_warnings.h"
#include "model/file_replace.h"

#include <cmath>
#include <filesystem>

namespace velor {

namespace {

class ReportWriter {
public:
    void Line(const std::string& text) {
        out_ += text;
        out_ += "\r\n";
        last_ = text;
    }
    // A line of "-" as long as the line above (counted in characters, not bytes).
    void Underline() {
        std::size_t length = 0;
        for (unsigned char c : last_) {
            if ((c & 0xC0) != 0x80) {
                ++length;
            }
        }
        Line(std::string(length, '-'));
    }
    void Heading(const std::string& text) {
        Line(text);
        Underline();
    }
    // A number of the report; one that is not finite is noted (the report is then not saved).
    std::string Number(double value) {
        nonFinite_ = nonFinite_ || !std::isfinite(value);
        return NumberText(value);
    }
    std::string Interval(double lower, double upper) {
        return Number(lower) + " ... " + Number(upper);
    }
    // The interval, or "not calculated" for a result that was never calculated.
    std::string Result(bool calculated, double lower, double upper) {
        return calculated ? Interval(lower, upper) : kNotCalculatedText;
    }
    std::string Take() { return std::move(out_); }
    bool NonFinite() const { return nonFinite_; }

private:
    std::string out_;
    std::string last_;
    bool nonFinite_ = false;
};

std::string NameOf(const Model& model, AltId id) {
    const int row = model.RowOfAlternative(id);
    return row > 0 ? model.AlternativeName(row) : std::string();
}

void WriteAlternatives(const Model& model, ReportWriter& out) {
    out.Heading("ALTERNATIVES");
    out.Line("");
    for (int row = 1; row <= model.M(); ++row) {
        const TAlternativeData& data = model.Alternative(row);
        out.Heading(model.AlternativeName(row));
        const CalculatedResults& calculated = model.Calculated();
        out.Line("Value Interval = " +
                 out.Result(calculated.AnyMainValues(), data.ValueLower, data.ValueUpper));
        out.Line("Dominances:");
        bool any = false;
        if (!calculated.Dominance) {
            out.Line(std::string("- ") + kNotCalculatedText);
            any = true;
        }
        for (int other = 1; other <= model.M(); ++other) {
            if (other == row || static_cast<std::size_t>(other) >= data.Dominance.size()) {
                continue;
            }
            if (data.Dominance[other] == kDominated) {
                out.Line("- is dominated by " + model.AlternativeName(other));
                any = true;
            } else if (data.Dominance[other] == kDominates) {
                out.Line("- dominates " + model.AlternativeName(other));
                any = true;
            }
        }
        if (!any) {
            out.Line("- none");
        }
        out.Line("Minimax Regret = " +
                 (calculated.Dominance ? out.Number(data.MaxRegret) : kNotCalculatedText));
        out.Line("Decision Rule Recommendations:");
        any = false;
        for (std::size_t rule = 0; rule < kDecisionRuleNames.size(); ++rule) {
            if (data.Recommended[rule] != 0) {
                out.Line(std::string("- ") + kDecisionRuleNames[rule]);
                any = true;
            }
        }
        if (!any) {
            out.Line("- none");
        }
        out.Line("");
    }
}

void WriteTree(const Model& model, ReportWriter& out) {
    out.Heading("DECISION TREE");
    out.Line("");
    for (NodeId node : model.PreOrder()) {
        const TNodeData& data = model.Node(node);
        out.Heading(data.Name);
        out.Line(std::string("Type = ") + (data.Kind == kGoal ? "Goal" : "Attribute"));
        const CalculatedResults& calculated = model.Calculated();
        const bool main = node == model.Root();
        // The main goal's weight is the whole weight: no calculation sets it.
        out.Line("Weight = " + out.Result(main || calculated.Weights[kPlainSet], data.WeightLower,
                                          data.WeightUpper));
        out.Line("Normalized Weight = " +
                 out.Result(main || calculated.Weights[kNormalizedSet], data.NormWeightLower,
                            data.NormWeightUpper));
        out.Line("Value Intervals per Alternative:");
        const auto valueOf = [&](int row) {
            const auto index = static_cast<std::size_t>(row) - 1;
            return index < data.Values.size() ? data.Values[index] : TNodeValue{};
        };
        for (int row = 1; row <= model.M(); ++row) {
            const TNodeValue value = valueOf(row);
            out.Line("- " + model.AlternativeName(row) + " = " +
                     out.Result(calculated.ValuesOf(main, kPlainSet), value.Lower, value.Upper));
        }
        for (int row = 1; row <= model.M(); ++row) {
            const TNodeValue value = valueOf(row);
            out.Line("- " + model.AlternativeName(row) + " (Normalized) = " +
                     out.Result(calculated.ValuesOf(main, kNormalizedSet), value.NormLower,
                                value.NormUpper));
        }
        if (const TPreferenceData* preference = model.Preference(node)) {
            if (preference->Statements.empty()) {
                out.Line("No Cardinal Preferences");
            } else {
                out.Line("Cardinal Preferences:");
                for (const TCardinalStatement& s : preference->Statements) {
                    out.Line("- " + NameOf(model, s.Num1) + " ... " + NameOf(model, s.Num2) +
                             " vs. " + NameOf(model, s.Den1) + " ... " + NameOf(model, s.Den2));
                    out.Line("  - Bounds = " + out.Interval(s.Lower, s.Upper));
                }
            }
        }
        out.Line("");
    }
}

void WriteScores(const Model& model, ReportWriter& out) {
    out.Heading("SCORES");
    out.Line("");
    for (int column = 1; column <= model.N(); ++column) {
        const NodeId node = model.NodeByColumn(column);
        const std::string nodeName = node == kNone ? std::string() : model.Node(node).Name;
        for (int row = 1; row <= model.M(); ++row) {
            const TConsequenceData& cell = model.Consequence(column, row);
            out.Heading(nodeName + ": " + model.AlternativeName(row));
            out.Line("Caption = '" + model.CellText(column, row) + "'");
            out.Line(cell.Rank != 0 ? "Preferred as " + std::to_string(cell.Rank)
                                    : std::string("Not ranked"));
            const CalculatedResults& calculated = model.Calculated();
            out.Line("Value Interval = " + out.Result(calculated.ValuesOf(column == 1, kPlainSet),
                                                      cell.Lower, cell.Upper));
            out.Line("Normalized Value Interval = " +
                     out.Result(calculated.ValuesOf(column == 1, kNormalizedSet), cell.NormLower,
                                cell.NormUpper));
            out.Line("");
        }
    }
}

} // namespace

std::string CannotWriteMessage(const std::string& fileName) {
    return "Cannot write to the file " + fileName + ".";
}

namespace {

std::string ReportText(const Model& model, bool* allFinite) {
    ReportWriter out;
    out.Heading("MODEL DATA");
    out.Line("");
    if (const auto warnings = ResultWarnings(model); !warnings.empty()) {
        out.Line("Warnings:");
        for (const std::string& warning : warnings) {
            out.Line("- " + warning);
        }
        out.Line("");
    }
    WriteAlternatives(model, out);
    out.Line("");
    out.Line("");
    WriteTree(model, out);
    out.Line("");
    out.Line("");
    WriteScores(model, out);
    *allFinite = !out.NonFinite();
    return out.Take();
}

} // namespace

std::string ResultsReportText(const Model& model) {
    bool allFinite = true;
    return ReportText(model, &allFinite);
}

bool WriteResultsReport(const Model& model, const std::string& path, std::string* error) {
    bool allFinite = true;
    const std::string text = ReportText(model, &allFinite);
    if (!allFinite) {
        if (error != nullptr) {
            *error = "the model holds a number that is not finite";
        }
        return false;
    }
    return WriteFileSafely(path, text, error);
}

TConstraintModel ConstraintExportModel(const Model& model) {
    TConstraintModel program(kNoObjective, "//Model Constraints");
    AppendModelConstraints(model, program, {});
    return program;
}

std::string ProposedExportName(const std::string& modelPath, const std::string& extension) {
    if (modelPath.empty()) {
        return "Untitled" + extension;
    }
    std::string name = std::filesystem::path(modelPath).filename().string();
    const auto dot = name.find('.');
    if (dot != std::string::npos) {
        name.erase(dot);
    }
    return name + extension;
}

bool WriteFileSafely(const std::string& path, const std::string& text, std::string* error) {
    return ReplaceFile(path, text, error);
}

} // namespace velor
