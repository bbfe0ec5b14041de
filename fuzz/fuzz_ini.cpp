// Feeds arbitrary bytes to the INI reader and checks what must hold for any file:
// rewriting is stable, a value that is set reads back, and setting one key changes no other.
#include "model/ini_document.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// Splits the input's tail, after the last NUL, into section, key and value at the first two
// TAB characters, so the fuzzer can steer the write it checks.
struct Edit {
    std::string section = "S";
    std::string key = "K";
    std::string value = "v";
};

Edit EditFrom(std::string_view data) {
    Edit edit;
    const std::size_t nul = data.rfind('\0');
    if (nul == std::string_view::npos)
        return edit;
    std::string_view tail = data.substr(nul + 1);
    const std::size_t tab1 = tail.find('\t');
    if (tab1 == std::string_view::npos)
        return edit;
    const std::size_t tab2 = tail.find('\t', tab1 + 1);
    if (tab2 == std::string_view::npos)
        return edit;
    edit.section = std::string(tail.substr(0, tab1));
    edit.key = std::string(tail.substr(tab1 + 1, tab2 - tab1 - 1));
    edit.value = std::string(tail.substr(tab2 + 1));
    return edit;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string_view data(reinterpret_cast<const char*>(bytes), size);
    velor::IniDocument doc = velor::IniDocument::Parse(data);

    // Writing out and reading back gives the same text and the same values.
    const std::string text = doc.Serialize();
    const velor::IniDocument reread = velor::IniDocument::Parse(text);
    Check(reread.Serialize() == text);
    const auto entries = doc.Entries();
    for (const auto& [section, key] : entries) {
        // Empty when the entry sits in a later duplicate of its section, which is shadowed.
        const auto value = doc.Get(section, key);
        Check(!value || value->size() <= 4 * velor::kMaxSettingLength);
        Check(reread.Get(section, key) == value);
    }

    // A write either is refused and changes nothing, or reads back and leaves every other
    // key as it was, also after the document is written out and read again.
    const Edit edit = EditFrom(data);
    velor::IniDocument edited = doc;
    const bool accepted = edited.Set(edit.section, edit.key, edit.value);
    if (!accepted) {
        Check(edited.Serialize() == text);
        return 0;
    }
    const velor::IniDocument editedReread = velor::IniDocument::Parse(edited.Serialize());
    const std::string expected = velor::NormalizeSettingValue(edit.value);
    Check(edited.Get(edit.section, edit.key) == expected);
    Check(editedReread.Get(edit.section, edit.key) == expected);
    for (const auto& [section, key] : entries) {
        if (SameNameIgnoringCase(section, edit.section) && SameNameIgnoringCase(key, edit.key))
            continue;
        Check(editedReread.Get(section, key) == doc.Get(section, key));
    }
    return 0;
}
