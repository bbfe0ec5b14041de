// In-memory INI text: parsing, lookup and editing with private-profile rules.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velor {

// Longest setting value, in characters, that a read returns.
inline constexpr std::size_t kMaxSettingLength = 255;

// Turns a stored value into what a read returns: leading and trailing blanks and control
// characters removed, cut to kMaxSettingLength characters (UTF-8 sequences are kept whole).
std::string NormalizeSettingValue(std::string_view raw);

// Strict decimal integer: optional sign and digits only, within the range of int.
std::optional<int> ParseSettingInt(std::string_view text);

// True when writing `text` as a value and reading it back gives exactly `text`.
bool SettingValueRoundTrips(std::string_view text);

// The lines of one INI file. Lines that are not sections or keys (comments, blank lines, text
// before the first section) are kept as they are, so rewriting a file only changes the line
// that was set.
//
// Lookup follows private-profile rules: section and key names compare without regard to ASCII
// case, names and values are trimmed of blanks and control characters, a key belongs to the
// nearest section header above it, and when a section or key appears twice the first one wins.
class IniDocument {
public:
    IniDocument() = default;

    static IniDocument Parse(std::string_view text);
    std::string Serialize() const;

    // The stored value, normalized as by NormalizeSettingValue; nullopt when the key is missing.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;

    // Sets a value, adding the key (and the section) when missing. Refuses names and values that
    // the file could not hold unchanged: empty or padded names, line breaks or other control
    // characters in names, ']' in a section name, '=' in a key or a key that would read as a
    // section header or comment, and line breaks in values.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    // Every (section, key) pair in file order, including shadowed duplicates.
    std::vector<std::pair<std::string, std::string>> Entries() const;

    static bool IsValidSectionName(std::string_view section);
    static bool IsValidKeyName(std::string_view key);
    static bool IsValidValue(std::string_view value);

private:
    enum class LineKind { Other, Section, Key };
    struct Line {
        std::string raw; // the line as stored, without its line end
        LineKind kind = LineKind::Other;
        std::string name;           // trimmed section or key name
        std::size_t valueStart = 0; // keys: where the value begins in raw (after the '=')
    };

    static Line Classify(std::string raw);
    std::optional<std::size_t> FindSection(std::string_view section) const;
    std::size_t SectionEnd(std::size_t header) const;
    std::optional<std::size_t> FindKey(std::size_t header, std::string_view key) const;

    std::vector<Line> lines_;
    bool crlf_ = false; // new lines end like the first line of the parsed text
};

} // namespace velor
