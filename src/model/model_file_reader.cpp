// Reading a model file. The whole file is checked while it is read: counts must be plausible
// and fit in the lines that follow before anything is sized by them, references must point to
// existing alternatives and to goals in pre-order, numbers must be finite, and texts must fit in
// a line. Anything else is rejected with the line and what was expected there, and the model is
// left empty.
#include "model/model_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Why a file is refused: "line N: what was expected there" or a reason of the file as a whole.
struct Rejected {
    std::string Reason;
};

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

// A real line: a finite number; no number at all (nullopt); or a number that no double holds as
// a finite value ("nan", "inf", "1e999"), which is an error rather than "no number".
struct RealLine {
    std::optional<double> Value;
    bool NotFinite = false;
};

// Whether a decimal number that no double holds is too small rather than too large: its first
// significant digit stands after the decimal point once the exponent is applied.
bool TooSmall(std::string_view number) {
    const std::size_t mark = number.find_first_of("eE");
    const std::string_view mantissa = number.substr(0, mark);
    long long exponent = 0;
    if (mark != std::string_view::npos) {
        std::string_view digits = number.substr(mark + 1);
        if (!digits.empty() && digits.front() == '+') {
            digits.remove_prefix(1);
        }
        if (std::from_chars(digits.data(), digits.data() + digits.size(), exponent).ec !=
            std::errc()) {
            return digits.front() == '-'; // an exponent beyond long long
        }
    }
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) {
        return true;
    }
    const long long position = first < point ? static_cast<long long>(point - first)
                                             : -static_cast<long long>(first - point - 1);
    return position + exponent <= 0;
}

RealLine ParseReal(std::string_view line) {
    const std::string_view s = NumberText(line);
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ptr != s.data() + s.size()) {
        return {};
    }
    if (ec == std::errc::result_out_of_range && TooSmall(s)) {
        return {s.front() == '-' ? -0.0 : 0.0, false}; // below the smallest double: zero
    }
    if (ec != std::errc() || !std::isfinite(value)) {
        return {std::nullopt, true};
    }
    return {value, false};
}

// Hands out the lines of a text one by one, without copying them. A line ends with LF or
// CR LF; the last line may lack its line end. Every read names what the line should hold, so
// that a refusal can say where the file went wrong and what was expected there.
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
    std::uint64_t LinesRead() const { return read_; }

    std::string_view Next(std::string_view what) {
        if (read_ == total_) {
            throw Rejected{"line " + std::to_string(read_ + 1) + ": the file ends where " +
                           std::string(what) + " was expected"};
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

    // Refuses the file at the line read last.
    [[noreturn]] void Reject(const std::string& reason) const {
        throw Rejected{"line " + std::to_string(read_) + ": " + reason};
    }
    void Expect(bool ok, std::string_view what) const {
        if (!ok) {
            Reject(std::string(what) + " was expected");
        }
    }

    // A number the structure of the file depends on: it must be an integer.
    int Count(std::string_view what) {
        const auto v = ParseInt(Next(what));
        Expect(v.has_value(), what);
        return static_cast<int>(*v);
    }

    // A count of items that take at least linesEach lines each, with reserve more lines to
    // follow them.
    int Count(std::string_view what, std::uint64_t linesEach, std::uint64_t reserve = 0) {
        const int n = Count(what);
        Expect(n >= 0, what);
        Fits(static_cast<std::uint64_t>(n), linesEach, reserve, what);
        return n;
    }

    void Fits(std::uint64_t n, std::uint64_t linesEach, std::uint64_t reserve,
              std::string_view what) const {
        const std::uint64_t left = Remaining();
        if (reserve > left || (linesEach != 0 && n > (left - reserve) / linesEach)) {
            Reject(std::string(what) + " that the " + std::to_string(left) +
                   " lines after it can hold was expected");
        }
    }

    // Other integer lines: a line that holds no number reads as 0.
    int Int(std::string_view what) { return static_cast<int>(ParseInt(Next(what)).value_or(0)); }
    // Real lines: a line that holds no number reads as 0; a number must be finite.
    double Real(std::string_view what) {
        const std::string_view line = Next(what);
        const RealLine real = ParseReal(line);
        if (real.NotFinite) {
            Reject("a finite number was expected, not \"" + std::string(Trim(line)) + "\"");
        }
        return real.Value.value_or(0.0);
    }

    std::string Text(std::string_view what) {
        const std::string_view line = Next(what);
        if (line.size() > kMaxTextLength) {
            Reject(std::string(what) + " of at most " + std::to_string(kMaxTextLength) +
                   " bytes was expected");
        }
        return std::string(line);
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::uint64_t total_ = 0;
    std::uint64_t read_ = 0;
};

void ReadAlternatives(LineReader& in, Model& model, int m) {
    const std::string codeCount = "the number " + std::to_string(m + 1) +
                                  " of dominance codes (one more than the alternatives)";
    for (int row = 1; row <= m; ++row) {
        const std::string name = in.Text("the name of an alternative");
        TAlternativeData a;
        a.ValueLower = in.Real("a value bound");
        a.ValueUpper = in.Real("a value bound");
        a.Index = in.Int("the row number of the alternative");
        in.Expect(a.Index == row, "the row number " + std::to_string(row));
        const int k = in.Count(codeCount);
        in.Expect(k == m + 1, codeCount);
        a.Dominance.assign(static_cast<std::size_t>(k), kNotComputed);
        a.DominanceMargin.assign(static_cast<std::size_t>(k), 0.0);
        for (std::size_t b = 0; b < static_cast<std::size_t>(k); ++b) {
            const int code = in.Count("a dominance code from 0 to 4");
            in.Expect(code >= kDominates && code <= kNotComputed, "a dominance code from 0 to 4");
            a.Dominance[b] = static_cast<std::uint8_t>(code);
            a.DominanceMargin[b] = in.Real("a dominance margin");
        }
        a.MaxRegret = in.Real("a maximum regret");
        const std::string flagCount =
            "the number " + std::to_string(a.Recommended.size()) + " of decision rule flags";
        in.Expect(in.Count(flagCount) == static_cast<int>(a.Recommended.size()), flagCount);
        for (auto& flag : a.Recommended) {
            flag = in.Int("a decision rule flag") != 0 ? 1 : 0;
        }
        model.LoadAlternative(name, std::move(a));
    }
}

// The preference block of a node; nullopt for the "NULL" and "DATANULL" markers.
std::optional<TPreferenceData> ReadPreference(LineReader& in, const Model& model) {
    constexpr std::string_view kFirst = "NULL, DATANULL or a statement set's byte from 0 to 255";
    const std::string_view first = in.Next(kFirst);
    if (first == "NULL" || first == "DATANULL") {
        return std::nullopt;
    }
    TPreferenceData p;
    const int reservedByte = static_cast<int>(ParseInt(first).value_or(0));
    in.Expect(reservedByte >= 0 && reservedByte <= 255, kFirst);
    p.ReservedByte = static_cast<std::uint8_t>(reservedByte);
    p.ReservedReal = in.Real("a statement set's reserved number");
    p.Holistic = in.Int("a holistic flag") != 0 ? 1 : 0;
    const int s = in.Count("a number of statements", 6);
    const int m = model.M();
    const std::string rowText = "an alternative row from 1 to " + std::to_string(m);
    auto alternative = [&] {
        const int row = in.Count(rowText);
        in.Expect(row >= 1 && row <= m, rowText);
        return model.AlternativeIdAtRow(row);
    };
    for (int i = 0; i < s; ++i) {
        TCardinalStatement st;
        st.Lower = in.Real("a statement's lower bound");
        st.Upper = in.Real("a statement's upper bound");
        st.Num1 = alternative();
        st.Num2 = alternative();
        st.Den1 = alternative();
        st.Den2 = alternative();
        p.Statements.push_back(st);
    }
    return p;
}

// Node blocks come in pre-order: each block's parent is the block before it or a goal above
// that block. The rest of the program takes a goal's subtree to be the blocks that follow it,
// so any other order would mix subtrees.
void ReadNodes(LineReader& in, Model& model, int t) {
    const int m = model.M();
    const std::string valueCount =
        "the number " + std::to_string(m) + " of value groups (one per alternative)";
    std::vector<std::uint8_t> kinds;
    kinds.reserve(static_cast<std::size_t>(t));
    std::vector<int> path; // the blocks from the main goal down to the block read last
    for (int k = 0; k < t; ++k) {
        int parent = -1;
        if (k > 0) {
            parent = in.Count("the block number of a parent goal");
            in.Expect(parent >= 0 && parent < k, "the number of an earlier block as parent");
            in.Expect(kinds[static_cast<std::size_t>(parent)] == kGoal,
                      "the number of a goal as parent");
            while (!path.empty() && path.back() != parent) {
                path.pop_back();
            }
            if (path.empty()) {
                in.Reject("block " + std::to_string(k) +
                          " is out of pre-order: the block before it or a goal above that block "
                          "was expected as its parent");
            }
        }
        path.push_back(k);
        TNodeData d;
        const std::string_view kindText = k == 0 ? "the kind 0 (goal) of the main goal"
                                                 : "a node kind, 0 (goal) or 1 (attribute)";
        const int kind = in.Count(kindText);
        in.Expect(kind == kGoal || (kind == kAttribute && k > 0), kindText);
        d.Kind = static_cast<std::uint8_t>(kind);
        d.Name = in.Text("the name of a node");
        d.Column = in.Int("a column"); // the column is the block position; this one is not used
        d.NormWeightLower = in.Real("a weight bound");
        d.NormWeightUpper = in.Real("a weight bound");
        d.WeightLower = in.Real("a weight bound");
        d.WeightUpper = in.Real("a weight bound");
        d.TopDownLower = in.Real("a weight bound");
        d.TopDownUpper = in.Real("a weight bound");
        d.BottomUpLower = in.Real("a weight bound");
        d.BottomUpUpper = in.Real("a weight bound");
        const int v = in.Count("a number of values");
        in.Expect(v == m, valueCount);
        in.Fits(static_cast<std::uint64_t>(v), 4, 1, valueCount);
        d.Values.resize(static_cast<std::size_t>(v));
        for (auto& value : d.Values) {
            value.NormLower = in.Real("a value bound");
            value.NormUpper = in.Real("a value bound");
            value.Lower = in.Real("a value bound");
            value.Upper = in.Real("a value bound");
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
            const std::string text = in.Text("the text of a consequence");
            TConsequenceData c;
            c.Rank = in.Int("a rank");
            in.Expect(c.Rank >= 0, "a rank of 0 or more");
            c.NormLower = in.Real("a value bound");
            c.NormUpper = in.Real("a value bound");
            c.Lower = in.Real("a value bound");
            c.Upper = in.Real("a value bound");
            model.LoadCell(col, row, text, c);
        }
    }
}

void ReadModel(LineReader& in, Model& model) {
    const bool topDown = in.Int("the weighting option") != 0;
    const bool normalized = in.Int("the intervals option") != 0;

    // After the alternatives at least the node count and the column count follow.
    const int m = in.Count("a number of alternatives");
    in.Expect(m >= 0, "a number of alternatives");
    in.Fits(static_cast<std::uint64_t>(m), AlternativeLines(static_cast<std::uint64_t>(m)), 2,
            "a number of alternatives");
    ReadAlternatives(in, model, m);

    const auto mm = static_cast<std::uint64_t>(m);
    const int t = in.Count("a number of nodes", NodeLines(mm) + kCellLines * mm, 1);
    in.Expect(t <= kMaxNodes, "a number of nodes up to " + std::to_string(kMaxNodes));
    ReadNodes(in, model, t);

    const std::string columns =
        "the number " + std::to_string(t) + " of consequence columns (one per node)";
    const int n = in.Count(columns);
    in.Expect(n == t, columns);
    in.Fits(static_cast<std::uint64_t>(n), kCellLines * mm, 0, columns);
    ReadCells(in, model, n);

    model.SetTopDownWeights(topDown);
    model.SetNormalizedIntervals(normalized);
    model.FinishLoading();
}

bool Refuse(Model& model, std::string* reason, std::string text) {
    model.Clear();
    if (reason != nullptr) {
        *reason = std::move(text);
    }
    return false;
}

std::string SystemError(int code) {
    return std::strerror(code);
}

} // namespace

bool ReadRegularFile(const std::string& path, std::string& text, std::string& reason,
                     std::size_t maxSize) {
    struct stat st {};
    if (path.empty()) {
        reason = "no file name";
        return false;
    }
    if (::stat(path.c_str(), &st) != 0) {
        reason = SystemError(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        reason = SystemError(EISDIR);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        reason = "not a regular file";
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        reason = SystemError(errno);
        return false;
    }
    const auto fail = [&](std::string why) {
        ::close(fd);
        reason = std::move(why);
        return false;
    };
    if (::fstat(fd, &st) != 0) {
        return fail(SystemError(errno));
    }
    if (!S_ISREG(st.st_mode)) {
        return fail("not a regular file");
    }
    const auto tooLarge = "larger than " + std::to_string(maxSize >> 20) + " MB";
    if (static_cast<std::uint64_t>(st.st_size) > maxSize) {
        return fail(tooLarge);
    }
    text.clear();
    text.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buf, sizeof buf);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(SystemError(errno));
        }
        if (got == 0) {
            break;
        }
        if (text.size() + static_cast<std::size_t>(got) > maxSize) {
            return fail(tooLarge); // the file grew while it was read
        }
        text.append(buf, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return true;
}

bool ReadModelText(Model& model, std::string_view text, std::string* reason) {
    model.Clear();
    if (text.empty()) {
        return Refuse(model, reason, "the file is empty");
    }
    LineReader in(text);
    try {
        ReadModel(in, model);
        return true;
    } catch (const Rejected& rejected) {
        return Refuse(model, reason, rejected.Reason);
    } catch (const std::bad_alloc&) {
        return Refuse(model, reason, "not enough memory");
    } catch (const std::exception& error) {
        // The model core refused a record: the file is not usable.
        return Refuse(model, reason,
                      "line " + std::to_string(in.LinesRead()) + ": " + error.what());
    }
}

bool LoadModelFile(Model& model, const std::string& path, std::string* reason) {
    model.Clear();
    std::string text;
    std::string why;
    if (!ReadRegularFile(path, text, why, kMaxFileSize)) {
        return Refuse(model, reason, std::move(why));
    }
    return ReadModelText(model, text, reason);
}

} // namespace velor
