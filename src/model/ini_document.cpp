#include "model/ini_document.h"

#include <charconv>

namespace velor {

namespace {

bool IsBlankOrControl(unsigned char c) {
    return c <= 0x20 || c == 0x7F;
}

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

std::string_view Trim(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlankOrControl(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && IsBlankOrControl(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(begin, end - begin);
}

unsigned char LowerAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(static_cast<unsigned char>(a[i])) !=
            LowerAscii(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// Number of bytes of the character starting at text[pos]. A UTF-8 lead byte takes the
// continuation bytes that follow it (at most three); any other byte, including a stray
// continuation byte, is a character of its own. So a character is never longer than 4 bytes.
std::size_t CharacterLength(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t expected = 0;
    if (lead >= 0xC0 && lead <= 0xDF)
        expected = 1;
    else if (lead >= 0xE0 && lead <= 0xEF)
        expected = 2;
    else if (lead >= 0xF0 && lead <= 0xF7)
        expected = 3;
    std::size_t length = 1;
    while (length <= expected && pos + length < text.size() &&
           (static_cast<unsigned char>(text[pos + length]) & 0xC0) == 0x80)
        ++length;
    return length;
}

bool HasControl(std::string_view text) {
    for (const char c : text) {
        if (IsControl(static_cast<unsigned char>(c)))
            return true;
    }
    return false;
}

bool IsTrimmed(std::string_view text) {
    return Trim(text).size() == text.size();
}

} // namespace

std::string NormalizeSettingValue(std::string_view raw) {
    const std::string_view trimmed = Trim(raw);
    std::size_t pos = 0;
    for (std::size_t count = 0; pos < trimmed.size() && count < kMaxSettingLength; ++count)
        pos += CharacterLength(trimmed, pos);
    // Cutting may leave blanks at the new end; they are trimmed like any others.
    return std::string(Trim(trimmed.substr(0, pos)));
}

std::optional<int> ParseSettingInt(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return std::nullopt;
    }
    int value = 0;
    const char* const end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, 10);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

bool SettingValueRoundTrips(std::string_view text) {
    return IniDocument::IsValidValue(text) && NormalizeSettingValue(text) == text;
}

bool IniDocument::IsValidSectionName(std::string_view section) {
    return !section.empty() && IsTrimmed(section) && !HasControl(section) &&
           section.find(']') == std::string_view::npos;
}

bool IniDocument::IsValidKeyName(std::string_view key) {
    return !key.empty() && IsTrimmed(key) && !HasControl(key) &&
           key.find('=') == std::string_view::npos && key.front() != '[' && key.front() != ';';
}

bool IniDocument::IsValidValue(std::string_view value) {
    return value.find_first_of("\r\n") == std::string_view::npos;
}

IniDocument::Line IniDocument::Classify(std::string raw) {
    Line line;
    line.raw = std::move(raw);
    const std::string_view trimmed = Trim(line.raw);
    if (trimmed.empty() || trimmed.front() == ';')
        return line;
    if (trimmed.front() == '[') {
        const std::string_view inner = trimmed.substr(1);
        line.kind = LineKind::Section;
        line.name = std::string(Trim(inner.substr(0, inner.find(']'))));
        return line;
    }
    // Trimming removes only blanks and control characters, so the first '=' of the raw line is
    // the first '=' of the trimmed text.
    const std::size_t equals = line.raw.find('=');
    if (equals == std::string::npos)
        return line;
    std::string name(Trim(std::string_view(line.raw).substr(0, equals)));
    if (name.empty())
        return line;
    line.kind = LineKind::Key;
    line.name = std::move(name);
    line.valueStart = equals + 1;
    return line;
}

IniDocument IniDocument::Parse(std::string_view text) {
    IniDocument doc;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        doc.lines_.push_back(Classify(std::string(text.substr(pos, end - pos))));
        pos = end + 1;
    }
    doc.crlf_ = !doc.lines_.empty() && !doc.lines_.front().raw.empty() &&
                doc.lines_.front().raw.back() == '\r';
    return doc;
}

std::string IniDocument::Serialize() const {
    std::string text;
    for (const Line& line : lines_) {
        text += line.raw;
        text += '\n';
    }
    return text;
}

std::optional<std::size_t> IniDocument::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == LineKind::Section && EqualsIgnoringCase(lines_[i].name, section))
            return i;
    }
    return std::nullopt;
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != LineKind::Section)
        ++i;
    return i;
}

std::optional<std::size_t> IniDocument::FindKey(std::size_t header, std::string_view key) const {
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (lines_[i].kind == LineKind::Key && EqualsIgnoringCase(lines_[i].name, key))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
    const auto header = FindSection(section);
    if (!header)
        return std::nullopt;
    const auto index = FindKey(*header, key);
    if (!index)
        return std::nullopt;
    const Line& line = lines_[*index];
    return NormalizeSettingValue(std::string_view(line.raw).substr(line.valueStart));
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    if (!IsValidSectionName(section) || !IsValidKeyName(key) || !IsValidValue(value))
        return false;
    const std::string lineEnd = crlf_ ? "\r" : "";
    const auto header = FindSection(section);
    if (!header) {
        if (!lines_.empty() && !Trim(lines_.back().raw).empty())
            lines_.push_back(Classify(lineEnd));
        lines_.push_back(Classify("[" + std::string(section) + "]" + lineEnd));
        lines_.push_back(Classify(std::string(key) + "=" + std::string(value) + lineEnd));
        return true;
    }
    if (const auto index = FindKey(*header, key)) {
        Line& line = lines_[*index];
        const bool hadCr = !line.raw.empty() && line.raw.back() == '\r';
        // Keep the key as spelled in the file; only the value changes.
        line = Classify(line.name + "=" + std::string(value) + (hadCr ? "\r" : ""));
        return true;
    }
    // A new key goes after the last non-blank line of its section, before any blank lines that
    // separate it from the next section.
    std::size_t insertAt = SectionEnd(*header);
    while (insertAt > *header + 1 && Trim(lines_[insertAt - 1].raw).empty())
        --insertAt;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                  Classify(std::string(key) + "=" + std::string(value) + lineEnd));
    return true;
}

std::vector<std::pair<std::string, std::string>> IniDocument::Entries() const {
    std::vector<std::pair<std::string, std::string>> entries;
    const std::string* section = nullptr;
    for (const Line& line : lines_) {
        if (line.kind == LineKind::Section)
            section = &line.name;
        else if (line.kind == LineKind::Key && section)
            entries.emplace_back(*section, line.name);
    }
    return entries;
}

} // namespace velor
