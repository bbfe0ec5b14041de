// Tables in CSV form, as spreadsheets write and read them: fields separated by a comma, a
// semicolon or a TAB, records by a line end (CR LF, LF or CR), a field in double quotes may hold
// separators, line ends and quotes (doubled). Text is UTF-8, with or without a byte order mark.
//
// The reader is strict: whatever it cannot read without guessing (a quote that is never closed,
// text after a closing quote, a quote inside a field that does not start with one, bytes that
// are not UTF-8, control characters other than TAB and quoted line ends, UTF-16 text) is refused
// with the line it starts on, so that a damaged file never becomes a table that looks right but is
// not.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velor {

// The separators a CSV text may use; 0 stands for "find out from the text".
inline constexpr char kCsvDetect = 0;

struct CsvTable {
    char Separator = ',';
    std::vector<std::vector<std::string>> Records;
    // The line (from 1) on which each record starts; a quoted line end moves later ones down.
    std::vector<int> Lines;
};

// Why a text was refused: the line (from 1; 0 for the text as a whole) and what is wrong there.
struct CsvError {
    int Line = 0;
    std::string Message;
    // "line 4: a quoted field is not closed" (or the message alone for line 0).
    std::string Text() const;
};

// The separator the text's first record uses most often outside quotes: TAB, semicolon or comma,
// preferred in this order when they are equally frequent; a comma when the record has none.
char DetectCsvSeparator(std::string_view text);

// Reads a CSV text with the given separator (',', ';', '\t', or kCsvDetect). A byte order mark at
// the start is skipped; lines that are completely empty hold no record. On failure returns false
// and fills *error; table is then left empty.
bool ParseCsv(std::string_view text, char separator, CsvTable& table, CsvError* error = nullptr);

// Reads a CSV file (a regular file of at most kMaxCsvFileSize bytes). A file that cannot be read
// gives line 0 and the system's reason.
inline constexpr std::size_t kMaxCsvFileSize = std::size_t{16} << 20;
bool ReadCsvFile(const std::string& path, char separator, CsvTable& table,
                 CsvError* error = nullptr);

// One field as written: in quotes (inner quotes doubled) when it holds the separator, a quote, a
// line end, or blanks at either end that a reader might trim; as it is otherwise.
std::string CsvField(std::string_view text, char separator);
// Records as CSV text: fields joined by the separator, every record ended by CR LF, preceded by a
// UTF-8 byte order mark when bom is true (spreadsheets then read non-ASCII names right).
std::string WriteCsv(const std::vector<std::vector<std::string>>& records, char separator,
                     bool bom = false);

// A cell that starts with =, +, -, @, TAB or CR and is not a plain number ("-12.5", "+3e4") with an
// apostrophe in front, so that a spreadsheet shows it as text instead of running it as a formula.
// A cell that starts with apostrophes followed by such a text gets one more, so that
// WithoutFormulaGuard(FormulaGuarded(text)) == text for every text.
std::string FormulaGuarded(std::string_view text);
std::vector<std::vector<std::string>> FormulaGuarded(std::vector<std::vector<std::string>> records);
// Takes the apostrophe FormulaGuarded puts in front away again; other texts stay as they are.
std::string WithoutFormulaGuard(std::string_view text);

// The separator an option names: "comma", "semicolon", "tab" (or the character itself), or
// "auto" for kCsvDetect. Returns false for anything else.
bool CsvSeparatorFromName(std::string_view name, char& separator);

} // namespace velor
