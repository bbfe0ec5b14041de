// Feeds arbitrary text to the constraint parser. It either refuses the text with
// std::invalid_argument or returns terms with non-empty, trimmed names and finite numbers; a
// parsed constraint whose names are plain identifiers reads back the same after it is written
// out again with the constraint language's own number form.
#include "calc/number_text.h"
#include "calc/solver_bridge.h"

#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}

bool PlainName(const std::string& name) {
    if (name.empty())
        return false;
    const auto first = static_cast<unsigned char>(name[0]);
    if (!(std::isalpha(first) || first == '_'))
        return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (!(std::isalnum(u) || u == '_'))
            return false;
    }
    return true;
}

std::string Write(const velor::ParsedConstraint& parsed) {
    std::string text;
    for (const auto& term : parsed.Terms) {
        if (!text.empty() || term.Coefficient < 0)
            text += term.Coefficient < 0 ? "-" : "+";
        text += velor::NumberText(std::fabs(term.Coefficient)) + "*" + term.Name;
    }
    if (parsed.HasRightSide) {
        static const char* const kRelations[] = {"<=", ">=", "="};
        text += kRelations[parsed.Relation];
        text += velor::NumberText(parsed.RightSide);
    }
    return text;
}

// Numbers go through NumberText with 15 significant digits, so they come back close, not equal.
bool Close(double a, double b) {
    return std::fabs(a - b) <= 1e-13 * std::fmax(1.0, std::fmax(std::fabs(a), std::fabs(b)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    velor::ParsedConstraint parsed;
    try {
        parsed = velor::ParseConstraint(text);
    } catch (const std::invalid_argument&) {
        return 0;
    }
    bool plain = true;
    for (const auto& term : parsed.Terms) {
        Check(!term.Name.empty(), "empty variable name");
        Check(term.Name.find_first_of(" \t\r\n") != 0 &&
                  term.Name.find_last_of(" \t\r\n") != term.Name.size() - 1,
              "untrimmed variable name");
        Check(std::isfinite(term.Coefficient), "coefficient is not finite");
        plain = plain && PlainName(term.Name);
    }
    if (parsed.HasRightSide) {
        Check(parsed.Relation >= velor::kRelationLessEqual &&
                  parsed.Relation <= velor::kRelationEqual,
              "unknown relation code");
        Check(std::isfinite(parsed.RightSide), "right-hand side is not finite");
    }
    if (!plain)
        return 0;

    const std::string written = Write(parsed);
    velor::ParsedConstraint again;
    try {
        again = velor::ParseConstraint(written);
    } catch (const std::invalid_argument&) {
        std::fprintf(stderr, "written form refused: %s\n", written.c_str());
        std::abort();
    }
    Check(again.Terms.size() == parsed.Terms.size(), "term count changed on rereading");
    for (std::size_t i = 0; i < parsed.Terms.size(); ++i) {
        Check(again.Terms[i].Name == parsed.Terms[i].Name, "name changed on rereading");
        Check(Close(again.Terms[i].Coefficient, parsed.Terms[i].Coefficient),
              "coefficient changed on rereading");
    }
    Check(again.HasRightSide == parsed.HasRightSide, "right side lost on rereading");
    if (parsed.HasRightSide) {
        Check(again.Relation == parsed.Relation, "relation changed on rereading");
        Check(Close(again.RightSide, parsed.RightSide), "right side changed on rereading");
    }
    return 0;
}
