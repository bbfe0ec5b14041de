// Writing a model file: the text form, saved through the safe replacement of file_replace.h.
#include "model/file_replace.h"
#include "model/model_file.h"
#include "model/text_limit.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace velor {
namespace {

constexpr const char* kLineEnd = "\r\n";

class LineWriter {
public:
    void Int(long long value) {
        char buf[32];
        auto res = std::to_chars(buf, buf + sizeof buf, value);
        Line(std::string_view(buf, static_cast<std::size_t>(res.ptr - buf)));
    }

    // Fixed point with six decimals and a point, whatever the process locale says. A value
    // that rounds to zero is written "0.000000", without a sign. A number that is not finite
    // has no form the reader accepts: it is noted and written as 0, and a save refuses the text.
    void Real(double value) {
        if (!std::isfinite(value)) {
            nonFinite_ = true;
            value = 0.0;
        }
        char buf[400]; // the largest double has 309 integer digits
        auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 6);
        std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
        if (text.front() == '-' && text.find_first_not_of("0.", 1) == std::string_view::npos) {
            text.remove_prefix(1);
        }
        Line(text);
    }

    // A text takes exactly one line of at most 255 bytes; an empty text is a single space.
    void Text(const std::string& text) {
        std::string line = LimitText(text);
        for (char& c : line) {
            if (c == '\r' || c == '\n') {
                c = ' ';
            }
        }
        Line(line.empty() ? std::string_view(" ") : std::string_view(line));
    }

    void Line(std::string_view line) {
        out_.append(line);
        out_.append(kLineEnd);
    }

    std::string Take() { return std::move(out_); }
    bool NonFinite() const { return nonFinite_; }

private:
    std::string out_;
    bool nonFinite_ = false;
};

// The integer part of a margin, truncated toward zero and kept within the range of "%d".
long long IntegerPart(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    const double t = std::trunc(value);
    if (t >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    if (t <= static_cast<double>(std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<long long>(t);
}

void WriteAlternative(LineWriter& w, const Model& model, int row) {
    const TAlternativeData& a = model.Alternative(row);
    const int m = model.M();
    w.Text(model.AlternativeName(row));
    w.Real(a.ValueLower);
    w.Real(a.ValueUpper);
    w.Int(row); // equals Index; statements name their alternatives by row too
    // Always M + 1 entries, so that the file is consistent even if a list has gone short.
    w.Int(m + 1);
    for (int b = 0; b <= m; ++b) {
        const auto i = static_cast<std::size_t>(b);
        w.Int(i < a.Dominance.size() ? a.Dominance[i] : static_cast<int>(kNotComputed));
        w.Int(i < a.DominanceMargin.size() ? IntegerPart(a.DominanceMargin[i]) : 0);
    }
    w.Real(a.MaxRegret);
    w.Int(static_cast<long long>(a.Recommended.size()));
    for (auto flag : a.Recommended) {
        w.Int(flag);
    }
}

void WritePreference(LineWriter& w, const Model& model, NodeId node) {
    const EntryId entryId = model.Node(node).Assessment;
    const TAssessmentEntry* entry = entryId == kNone ? nullptr : model.Entry(entryId);
    if (entry == nullptr) {
        w.Line("NULL");
        return;
    }
    if (!entry->Preference) {
        w.Line("DATANULL");
        return;
    }
    const TPreferenceData& p = *entry->Preference;
    w.Int(p.ReservedByte);
    w.Int(0); // the reserved real is not kept
    w.Int(p.Holistic);
    // A statement naming an alternative that no longer exists says nothing and could not be
    // read back; it is left out.
    struct Rows {
        const TCardinalStatement* s;
        int num1, num2, den1, den2;
    };
    std::vector<Rows> rows;
    for (const auto& s : p.Statements) {
        Rows r{&s, model.RowOfAlternative(s.Num1), model.RowOfAlternative(s.Num2),
               model.RowOfAlternative(s.Den1), model.RowOfAlternative(s.Den2)};
        if (r.num1 > 0 && r.num2 > 0 && r.den1 > 0 && r.den2 > 0) {
            rows.push_back(r);
        }
    }
    w.Int(static_cast<long long>(rows.size()));
    for (const auto& r : rows) {
        w.Real(r.s->Lower);
        w.Real(r.s->Upper);
        w.Int(r.num1);
        w.Int(r.num2);
        w.Int(r.den1);
        w.Int(r.den2);
    }
}

void WriteNodes(LineWriter& w, const Model& model) {
    const auto& order = model.PreOrder();
    const int m = model.M();
    std::unordered_map<NodeId, int> index;
    for (std::size_t k = 0; k < order.size(); ++k) {
        index.emplace(order[k], static_cast<int>(k));
    }
    w.Int(static_cast<long long>(order.size()));
    for (std::size_t k = 0; k < order.size(); ++k) {
        const NodeId node = order[k];
        const TNodeData& d = model.Node(node);
        if (k > 0) {
            w.Int(index.at(model.Parent(node)));
        }
        w.Int(d.Kind);
        w.Text(d.Name);
        w.Int(d.Column);
        w.Real(d.NormWeightLower);
        w.Real(d.NormWeightUpper);
        w.Real(d.WeightLower);
        w.Real(d.WeightUpper);
        w.Real(d.TopDownLower);
        w.Real(d.TopDownUpper);
        w.Real(d.BottomUpLower);
        w.Real(d.BottomUpUpper);
        // One entry per alternative, whatever the list holds.
        w.Int(m);
        for (int i = 0; i < m; ++i) {
            const auto at = static_cast<std::size_t>(i);
            const TNodeValue v = at < d.Values.size() ? d.Values[at] : TNodeValue{};
            w.Real(v.NormLower);
            w.Real(v.NormUpper);
            w.Real(v.Lower);
            w.Real(v.Upper);
        }
        WritePreference(w, model, node);
    }
}

void WriteCells(LineWriter& w, const Model& model) {
    const ConsequenceTable& table = model.Table();
    const int n = model.NodeCount();
    w.Int(n);
    for (int row = 1; row <= model.M(); ++row) {
        for (int col = 1; col <= n; ++col) {
            const bool inside = col < table.ColCount() && row < table.RowCount();
            w.Text(inside ? table.Text(col, row) : std::string());
            const TConsequenceData c =
                inside ? table.Consequence(col, row).value_or(TConsequenceData{})
                       : TConsequenceData{};
            w.Int(c.Rank);
            w.Real(c.NormLower);
            w.Real(c.NormUpper);
            w.Real(c.Lower);
            w.Real(c.Upper);
        }
    }
}

// The text of a model file; *allFinite tells whether every number could be written as it is.
std::string ModelText(const Model& model, bool* allFinite) {
    LineWriter w;
    w.Int(model.TopDownWeights() ? 1 : 0);
    w.Int(model.NormalizedIntervals() ? 1 : 0);
    w.Int(model.M());
    for (int row = 1; row <= model.M(); ++row) {
        WriteAlternative(w, model, row);
    }
    WriteNodes(w, model);
    WriteCells(w, model);
    *allFinite = !w.NonFinite();
    return w.Take();
}

} // namespace

std::string WriteModelText(const Model& model) {
    bool allFinite = true;
    return ModelText(model, &allFinite);
}

std::string InvalidModelMessage(const std::string& path) {
    return "File " + path + " is not a valid Velor Model.\nCannot open the file.";
}

bool SaveModelFile(const Model& model, const std::string& path, std::string* error) {
    bool allFinite = true;
    const std::string text = ModelText(model, &allFinite);
    if (!allFinite) {
        if (error != nullptr) {
            *error = "the model holds a number that is not finite";
        }
        return false;
    }
    return ReplaceFile(path, text, error);
}

} // namespace velor
