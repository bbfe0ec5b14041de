// Reading a model file. The whole file is checked while it is read: counts must be plausible
// and fit in the lines that follow before anything is sized by them, references must point to
// existing alternatives and earlier goals, and texts must fit in a line. Anything else is
// rejected, and the model is left empty.
#include "model/model_file.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <vector>

#include <sys/stat.h>

namespace velor {
namespace {

// A model file larger than this is not read (it would not be a model the program can use).
constexpr std::size_t kMaxFileSize = std::size_t{512} << 20;

// More nodes than any value tree built in the editor can have. Building the assessment list
// costs time quadratic in the number of nodes, so a count above this is refused as absurd.
constexpr int kMaxNodes = 10000;

// Fewest lines one alternative block, one node block and one table cell can take, for M
// alternatives.
constexpr std::uint64_t kCellLines = 6;
std::uint64_t AlternativeLines(std::uint64_t m) {
    return 11 + 2 * (m + 1);
}
std::uint64_t NodeLines(std::uint64_t m) {
    return 13 + 4 * m;
}

struct Rejected {};

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

// Strips blanks and one leading plus sign; what is left must be the whole number.
std::string_view NumberText(std::string_view line) {
    line = Trim(line);
    if (line.size() > 1 && line.front() == '+' && line[1] != '-' && line[1] != '+') {
        line.remove_prefix(1);
    }
    return line;
}

std::optional<long long> ParseInt(std::string_view line) {
    const std::string_view s = NumberText(line);
    long long value = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || ptr != s.data() + s.size() ||
        value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseReal(std::string_view line) {
    const std::string_view s = NumberText(line);
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || ptr != s.data() + s.size()) {
        return std::nullopt;
    }
    return value;
}

// Hands out the lines of a text one by one, without copying them. A line ends with LF or
// CR LF; the last line may lack its line end.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {
        for (char c : text) {
            if (c == '\n') {
                ++total_;
            }
        }
        if (!text.empty() && text.back() != '\n') {
            ++total_;
        }
    }

    std::uint64_t Remaining() const { return total_ - read_; }

    std::string_view Next() {
        if (read_ == total_) {
            throw Rejected{}; // the file ends too early
        }
        ++read_;
        const std::size_t end = text_.find('\n', pos_);
        std::string_view line =
            text_.substr(pos_, end == std::string_view::npos ? end : end - pos_);
        pos_ = end == std::string_view::npos ? text_.size() : end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        return line;
    }

    // A number the structure of the file depends on: it must be an integer.
    int Count() {
        const auto v = ParseInt(Next());
        if (!v) {
            throw Rejected{};
        }
        return static_cast<int>(*v);
    }

    // A count of items that take at least linesEach lines each, with reserve more lines to
    // follow them.
    int Count(std::uint64_t linesEach, std::uint64_t reserve = 0) {
        const int n = Count();
        Require(n >= 0);
        Fits(static_cast<std::uint64_t>(n), linesEach, reserve);
        return n;
    }

    void Fits(std::uint64_t n, std::uint64_t linesEach, std::uint64_t reserve) const {
        const std::uint64_t left = Remaining();
        Require(reserve <= left);
        Require(linesEach == 0 || n <= (left - reserve) / linesEach);
    }

    // Other integer and real lines: a line that holds no number reads as 0.
    int Int() { return static_cast<int>(ParseInt(Next()).value_or(0)); }
    double Real() { return ParseReal(Next()).value_or(0.0); }

    std::string Text() {
        const std::string_view line = Next();
        Require(line.size() <= kMaxTextLength);
        return std::string(line);
    }

    static void Require(bool ok) {
        if (!ok) {
            throw Rejected{};
        }
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::uint64_t total_ = 0;
    std::uint64_t read_ = 0;
};

void ReadAlternatives(LineReader& in, Model& model, int m) {
    for (int row = 1; row <= m; ++row) {
        const std::string name = in.Text();
        TAlternativeData a;
        a.ValueLower = in.Real();
        a.ValueUpper = in.Real();
        a.Index = in.Int();
        LineReader::Require(a.Index == row);
        const int k = in.Count();
        LineReader::Require(k == m + 1);
        a.Dominance.assign(static_cast<std::size_t>(k), kNotComputed);
        a.DominanceMargin.assign(static_cast<std::size_t>(k), 0.0);
        for (std::size_t b = 0; b < static_cast<std::size_t>(k); ++b) {
            const int code = in.Count();
            LineReader::Require(code >= kDominates && code <= kNotComputed);
            a.Dominance[b] = static_cast<std::uint8_t>(code);
            a.DominanceMargin[b] = in.Real();
        }
        a.MaxRegret = in.Real();
        LineReader::Require(in.Count() == static_cast<int>(a.Recommended.size()));
        for (auto& flag : a.Recommended) {
            flag = in.Int() != 0 ? 1 : 0;
        }
        model.LoadAlternative(name, std::move(a));
    }
}

// The preference block of a node; nullopt for the "NULL" and "DATANULL" markers.
std::optional<TPreferenceData> ReadPreference(LineReader& in, const Model& model) {
    const std::string_view first = in.Next();
    if (first == "NULL" || first == "DATANULL") {
        return std::nullopt;
    }
    TPreferenceData p;
    const int reservedByte = static_cast<int>(ParseInt(first).value_or(0));
    LineReader::Require(reservedByte >= 0 && reservedByte <= 255);
    p.ReservedByte = static_cast<std::uint8_t>(reservedByte);
    p.ReservedReal = in.Real();
    p.Holistic = in.Int() != 0 ? 1 : 0;
    const int s = in.Count(6);
    const int m = model.M();
    auto alternative = [&] {
        const int row = in.Count();
        LineReader::Require(row >= 1 && row <= m);
        return model.AlternativeIdAtRow(row);
    };
    for (int i = 0; i < s; ++i) {
        TCardinalStatement st;
        st.Lower = in.Real();
        st.Upper = in.Real();
        st.Num1 = alternative();
        st.Num2 = alternative();
        st.Den1 = alternative();
        st.Den2 = alternative();
        p.Statements.push_back(st);
    }
    return p;
}

void ReadNodes(LineReader& in, Model& model, int t) {
    const int m = model.M();
    std::vector<std::uint8_t> kinds;
    kinds.reserve(static_cast<std::size_t>(t));
    for (int k = 0; k < t; ++k) {
        int parent = -1;
        if (k > 0) {
            parent = in.Count();
            LineReader::Require(parent >= 0 && parent < k &&
                                kinds[static_cast<std::size_t>(parent)] == kGoal);
        }
        TNodeData d;
        const int kind = in.Count();
        LineReader::Require(kind == kGoal || (kind == kAttribute && k > 0));
        d.Kind = static_cast<std::uint8_t>(kind);
        d.Name = in.Text();
        d.Column = in.Int(); // the column is the block position; this one is not used
        d.NormWeightLower = in.Real();
        d.NormWeightUpper = in.Real();
        d.WeightLower = in.Real();
        d.WeightUpper = in.Real();
        d.TopDownLower = in.Real();
        d.TopDownUpper = in.Real();
        d.BottomUpLower = in.Real();
        d.BottomUpUpper = in.Real();
        const int v = in.Count();
        LineReader::Require(v == m);
        in.Fits(static_cast<std::uint64_t>(v), 4, 1);
        d.Values.resize(static_cast<std::size_t>(v));
        for (auto& value : d.Values) {
            value.NormLower = in.Real();
            value.NormUpper = in.Real();
            value.Lower = in.Real();
            value.Upper = in.Real();
        }
        std::optional<TPreferenceData> pref = ReadPreference(in, model);
        const bool hasEntry = pref.has_value();
        const std::uint8_t holistic = hasEntry ? pref->Holistic : 0;
        const NodeId id = model.LoadNode(parent, std::move(d), hasEntry, std::move(pref));
        if (hasEntry) {
            // The statement set keeps the flag the file gives it.
            if (TPreferenceData* stored = model.PreferenceData(id)) {
                stored->Holistic = holistic;
            }
        }
        kinds.push_back(static_cast<std::uint8_t>(kind));
    }
}

void ReadCells(LineReader& in, Model& model, int n) {
    const int m = model.M();
    for (int row = 1; row <= m; ++row) {
        for (int col = 1; col <= n; ++col) {
            const std::string text = in.Text();
            TConsequenceData c;
            c.Rank = in.Int();
            LineReader::Require(c.Rank >= 0);
            c.NormLower = in.Real();
            c.NormUpper = in.Real();
            c.Lower = in.Real();
            c.Upper = in.Real();
            model.LoadCell(col, row, text, c);
        }
    }
}

void ReadModel(LineReader& in, Model& model) {
    const bool topDown = in.Int() != 0;
    const bool normalized = in.Int() != 0;

    // After the alternatives at least the node count and the column count follow.
    const int m = in.Count();
    LineReader::Require(m >= 0);
    in.Fits(static_cast<std::uint64_t>(m), AlternativeLines(static_cast<std::uint64_t>(m)), 2);
    ReadAlternatives(in, model, m);

    const auto mm = static_cast<std::uint64_t>(m);
    const int t = in.Count(NodeLines(mm) + kCellLines * mm, 1);
    LineReader::Require(t <= kMaxNodes);
    ReadNodes(in, model, t);

    const int n = in.Count();
    LineReader::Require(n == t);
    in.Fits(static_cast<std::uint64_t>(n), kCellLines * mm, 0);
    ReadCells(in, model, n);

    model.SetTopDownWeights(topDown);
    model.SetNormalizedIntervals(normalized);
    model.FinishLoading();
}

} // namespace

bool ReadModelText(Model& model, std::string_view text) {
    model.Clear();
    try {
        LineReader in(text);
        ReadModel(in, model);
        return true;
    } catch (const Rejected&) {
    } catch (const std::exception&) {
        // The model core refused a record (or memory ran out): the file is not usable.
    }
    model.Clear();
    return false;
}

bool LoadModelFile(Model& model, const std::string& path) {
    model.Clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        return false;
    }
    // Only a regular file of a sensible size is read (not a folder, a device or a pipe).
    struct stat st {};
    if (::fstat(::fileno(f), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_size) > kMaxFileSize) {
        std::fclose(f);
        return false;
    }
    std::string text;
    text.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    bool ok = true;
    for (;;) {
        const std::size_t got = std::fread(buf, 1, sizeof buf, f);
        if (text.size() + got > kMaxFileSize) {
            ok = false; // the file grew while it was read
            break;
        }
        text.append(buf, got);
        if (got < sizeof buf) {
            ok = std::ferror(f) == 0;
            break;
        }
    }
    std::fclose(f);
    return ok && ReadModelText(model, text);
}

} // namespace velor
