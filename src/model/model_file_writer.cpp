// Writing a model file: the text form and the safe replacement of the file on disk.
#include "model/model_file.h"
#include "model/text_limit.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <unordered_map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

    // Fixed point with six decimals and a point, whatever the process locale says.
    void Real(double value) {
        char buf[400]; // the largest double has 309 integer digits
        auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 6);
        Line(std::string_view(buf, static_cast<std::size_t>(res.ptr - buf)));
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

private:
    std::string out_;
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

std::string ErrnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// Creates a new, hidden file in the folder of the target; returns its descriptor (or -1 with
// errno set) and its name in temp.
int CreateTempFile(const std::filesystem::path& target, std::string& temp) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    const std::filesystem::path folder = target.parent_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = ".velor-save-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(counter++) + "-" +
                                 std::to_string(random() % 1000000) + ".tmp";
        temp = (folder / name).string();
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// Makes the rename itself durable; a folder that cannot be synced does not fail the save.
void SyncFolder(const std::filesystem::path& target) {
    const std::filesystem::path folder = target.parent_path();
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool Fail(std::string* error, std::string reason) {
    if (error != nullptr) {
        *error = std::move(reason);
    }
    return false;
}

} // namespace

std::string WriteModelText(const Model& model) {
    LineWriter w;
    w.Int(model.TopDownWeights() ? 1 : 0);
    w.Int(model.NormalizedIntervals() ? 1 : 0);
    w.Int(model.M());
    for (int row = 1; row <= model.M(); ++row) {
        WriteAlternative(w, model, row);
    }
    WriteNodes(w, model);
    WriteCells(w, model);
    return w.Take();
}

std::string InvalidModelMessage(const std::string& path) {
    return "File " + path + " is not a valid Velor Model.\nCannot open the file.";
}

bool SaveModelFile(const Model& model, const std::string& path, std::string* error) {
    namespace fs = std::filesystem;
    const std::string text = WriteModelText(model);

    // Replace the file a link points to, not the link; and never replace a device, a pipe or
    // a folder by a regular file.
    std::error_code ec;
    fs::path target(path);
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        fs::path resolved = fs::canonical(target, ec);
        if (!ec) {
            target = resolved;
        }
    }
    const fs::file_status status = fs::status(target, ec);
    const bool exists = fs::exists(status);
    if (exists && !fs::is_regular_file(status)) {
        return Fail(error, "not a regular file: " + target.string());
    }

    // Write a temporary file next to the target and rename it over the target only when every
    // write, the flush and the close succeeded.
    std::string temp;
    const int fd = CreateTempFile(target, temp);
    if (fd < 0) {
        return Fail(error, ErrnoText("cannot create the file"));
    }
    auto abandon = [&](std::string reason) {
        ::unlink(temp.c_str());
        return Fail(error, std::move(reason));
    };
    // The new file keeps the mode of the one it replaces; a new file gets 0666 less the umask.
    struct stat old {};
    if (exists && ::stat(target.c_str(), &old) == 0) {
        ::fchmod(fd, old.st_mode & 07777);
    }

    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            const std::string reason = ErrnoText("cannot write the file");
            ::close(fd);
            return abandon(reason);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    if (::fsync(fd) != 0) {
        const std::string reason = ErrnoText("cannot flush the file");
        ::close(fd);
        return abandon(reason);
    }
    if (::close(fd) != 0) {
        return abandon(ErrnoText("cannot close the file"));
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        return abandon(ErrnoText("cannot replace the file"));
    }
    SyncFolder(target);
    return true;
}

} // namespace velor
