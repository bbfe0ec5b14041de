#include "model/csv_table.h"

#include "model/model_file.h"
#include "model/text_limit.h"

#include <array>

namespace velor {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string_view WithoutBom(std::string_view text) {
    if (text.substr(0, kBom.size()) == kBom) {
        text.remove_prefix(kBom.size());
    }
    return text;
}

class CsvParser {
public:
    CsvParser(std::string_view text, char separator) : text_(text), separator_(separator) {}

    bool Run(CsvTable& table, CsvError& error) {
        table.Separator = separator_;
        while (pos_ < text_.size()) {
            if (!Record(table, error)) {
                table.Records.clear();
                table.Lines.clear();
                return false;
            }
        }
        return true;
    }

private:
    bool AtLineEnd() const { return text_[pos_] == '\n' || text_[pos_] == '\r'; }

    // Steps over one line end (CR LF counts as one).
    void SkipLineEnd() {
        if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') {
            ++pos_;
        }
        ++pos_;
        ++line_;
    }

    bool Fail(CsvError& error, int line, std::string message) {
        error.Line = line;
        error.Message = std::move(message);
        return false;
    }

    // Appends the UTF-8 character at pos_ to field; false for bytes that are not UTF-8.
    bool TakeCharacter(std::string& field) {
        const std::size_t length = Utf8SequenceLength(text_, pos_);
        if (length == 0) {
            return false;
        }
        field.append(text_.substr(pos_, length));
        pos_ += length;
        return true;
    }

    bool Record(CsvTable& table, CsvError& error) {
        const int start = line_;
        if (AtLineEnd()) { // an empty line holds no record
            SkipLineEnd();
            return true;
        }
        std::vector<std::string> fields;
        for (;;) {
            std::string field;
            if (!Field(field, error)) {
                return false;
            }
            fields.push_back(std::move(field));
            if (pos_ >= text_.size()) {
                break;
            }
            if (AtLineEnd()) {
                SkipLineEnd();
                break;
            }
            ++pos_; // the separator
            if (pos_ >= text_.size()) {
                fields.emplace_back(); // a separator at the very end leaves an empty last field
                break;
            }
        }
        table.Records.push_back(std::move(fields));
        table.Lines.push_back(start);
        return true;
    }

    // Reads one field up to (not including) the separator or line end that ends it.
    bool Field(std::string& field, CsvError& error) {
        const int start = line_;
        if (text_[pos_] != '"') {
            while (pos_ < text_.size() && text_[pos_] != separator_ && !AtLineEnd()) {
                if (text_[pos_] == '"') {
                    return Fail(error, line_,
                                "a quote inside a field that does not start with one (a field "
                                "holding quotes must be in quotes, with its quotes doubled)");
                }
                if (!TakeCharacter(field)) {
                    return Fail(error, line_, "the text is not UTF-8");
                }
            }
            return true;
        }
        ++pos_; // the opening quote
        for (;;) {
            if (pos_ >= text_.size()) {
                return Fail(error, start, "a quoted field is not closed");
            }
            const char c = text_[pos_];
            if (c == '"') {
                if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
                    field += '"';
                    pos_ += 2;
                    continue;
                }
                ++pos_; // the closing quote
                if (pos_ < text_.size() && text_[pos_] != separator_ && !AtLineEnd()) {
                    return Fail(error, line_,
                                "text after the closing quote of a field (a quote inside a "
                                "quoted field must be doubled)");
                }
                return true;
            }
            if (c == '\r' || c == '\n') {
                // A line end inside quotes belongs to the field, as LF whatever the file uses.
                SkipLineEnd();
                field += '\n';
                continue;
            }
            if (!TakeCharacter(field)) {
                return Fail(error, line_, "the text is not UTF-8");
            }
        }
    }

    std::string_view text_;
    char separator_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

} // namespace

std::string CsvError::Text() const {
    return Line > 0 ? "line " + std::to_string(Line) + ": " + Message : Message;
}

char DetectCsvSeparator(std::string_view text) {
    text = WithoutBom(text);
    constexpr std::array<char, 3> kCandidates = {'\t', ';', ','};
    std::array<int, 3> counts{};
    bool quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == '\n' || c == '\r')) {
            break;
        } else if (!quoted) {
            for (std::size_t i = 0; i < kCandidates.size(); ++i) {
                counts[i] += c == kCandidates[i] ? 1 : 0;
            }
        }
    }
    std::size_t best = 0;
    for (std::size_t i = 1; i < kCandidates.size(); ++i) {
        if (counts[i] > counts[best]) {
            best = i;
        }
    }
    return counts[best] > 0 ? kCandidates[best] : ',';
}

bool ParseCsv(std::string_view text, char separator, CsvTable& table, CsvError* error) {
    table = CsvTable{};
    text = WithoutBom(text);
    if (separator == kCsvDetect) {
        separator = DetectCsvSeparator(text);
    }
    CsvError local;
    CsvParser parser(text, separator);
    if (!parser.Run(table, error != nullptr ? *error : local)) {
        return false;
    }
    return true;
}

bool ReadCsvFile(const std::string& path, char separator, CsvTable& table, CsvError* error) {
    table = CsvTable{};
    std::string text;
    std::string reason;
    if (!ReadRegularFile(path, text, reason, kMaxCsvFileSize)) {
        if (error != nullptr) {
            *error = CsvError{0, reason};
        }
        return false;
    }
    return ParseCsv(text, separator, table, error);
}

std::string CsvField(std::string_view text, char separator) {
    // A byte order mark at the start would be taken for the file's own at the start of a file.
    const bool quote =
        text.find_first_of(std::string{'"', '\r', '\n', separator}) != std::string_view::npos ||
        (!text.empty() && (text.front() == ' ' || text.back() == ' ' || text.front() == '\t' ||
                           text.back() == '\t')) ||
        text.substr(0, kBom.size()) == kBom;
    if (!quote) {
        return std::string(text);
    }
    std::string out = "\"";
    for (char c : text) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
    return out;
}

std::string WriteCsv(const std::vector<std::vector<std::string>>& records, char separator,
                     bool bom) {
    std::string out = bom ? std::string(kBom) : std::string();
    for (const auto& record : records) {
        for (std::size_t i = 0; i < record.size(); ++i) {
            if (i > 0) {
                out += separator;
            }
            out += CsvField(record[i], separator);
        }
        // A record of one empty field would read back as an empty line, which holds none.
        if (record.size() == 1 && record[0].empty()) {
            out += "\"\"";
        }
        out += "\r\n";
    }
    return out;
}

bool CsvSeparatorFromName(std::string_view name, char& separator) {
    if (name == "auto") {
        separator = kCsvDetect;
    } else if (name == "comma" || name == ",") {
        separator = ',';
    } else if (name == "semicolon" || name == ";") {
        separator = ';';
    } else if (name == "tab" || name == "\t") {
        separator = '\t';
    } else {
        return false;
    }
    return true;
}

} // namespace velor
