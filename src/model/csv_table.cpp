#include "model/csv_table.h"

#include "model/model_file.h"
#include "model/text_limit.h"

#include <array>

namespace velor {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// A UTF-16 text starts with its byte order mark, or, without one, has a NUL in one of its first
// two bytes and not in the other (the high byte of an ASCII character).
bool LooksLikeUtf16(std::string_view text) {
    if (text.size() < 2) {
        return false;
    }
    const std::string_view start = text.substr(0, 2);
    return start == "\xFF\xFE" || start == "\xFE\xFF" || ((start[0] == '\0') != (start[1] == '\0'));
}

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

    // Appends the UTF-8 character at pos_ to field. Refuses bytes that are not UTF-8 and control
    // characters other than TAB (line ends never get here): a NUL or an ESC in a name is damage,
    // never text a user typed.
    bool TakeCharacter(std::string& field, CsvError& error) {
        const std::size_t length = Utf8SequenceLength(text_, pos_);
        if (length == 0) {
            return Fail(error, line_, "the text is not UTF-8");
        }
        const auto byte = static_cast<unsigned char>(text_[pos_]);
        if (byte < 0x20 && byte != '\t') {
            static constexpr char kHex[] = "0123456789ABCDEF";
            return Fail(error, line_,
                        std::string("a field holds the control character U+00") + kHex[byte >> 4] +
                            kHex[byte & 0xF]);
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
                if (!TakeCharacter(field, error)) {
                    return false;
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
            if (!TakeCharacter(field, error)) {
                return false;
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
    if (LooksLikeUtf16(text)) {
        if (error != nullptr) {
            *error = CsvError{1, "the text is UTF-16; save the table as UTF-8 (in a spreadsheet: "
                                 "CSV UTF-8) and import it again"};
        }
        return false;
    }
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

namespace {

// A number as a spreadsheet reads it: a sign, digits with at most one decimal point or comma,
// and an exponent.
bool IsPlainNumber(std::string_view text) {
    std::size_t pos = 0;
    const auto digits = [&] {
        const std::size_t start = pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            ++pos;
        }
        return pos - start;
    };
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        ++pos;
    }
    std::size_t mantissa = digits();
    if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
        ++pos;
        mantissa += digits();
    }
    if (mantissa == 0) {
        return false;
    }
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            ++pos;
        }
        if (digits() == 0) {
            return false;
        }
    }
    return pos == text.size();
}

// True for a text that an export writes with an apostrophe in front: one that a spreadsheet
// would run as a formula, or that starts with apostrophes followed by such a text (so that the
// apostrophe the import takes away is always the export's own).
bool NeedsFormulaGuard(std::string_view text) {
    std::size_t quotes = 0;
    while (quotes < text.size() && text[quotes] == '\'') {
        ++quotes;
    }
    const std::string_view rest = text.substr(quotes);
    return !rest.empty() &&
           std::string_view("=+-@\t\r").find(rest.front()) != std::string_view::npos &&
           !IsPlainNumber(rest);
}

} // namespace

std::string FormulaGuarded(std::string_view text) {
    return NeedsFormulaGuard(text) ? "'" + std::string(text) : std::string(text);
}

std::string WithoutFormulaGuard(std::string_view text) {
    if (!text.empty() && text.front() == '\'' && NeedsFormulaGuard(text.substr(1))) {
        text.remove_prefix(1);
    }
    return std::string(text);
}

std::vector<std::vector<std::string>>
FormulaGuarded(std::vector<std::vector<std::string>> records) {
    for (auto& record : records) {
        for (std::string& field : record) {
            field = FormulaGuarded(field);
        }
    }
    return records;
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
