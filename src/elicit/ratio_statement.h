// The rules of the ratio statement dialog without its widgets: the differences it offers, the
// key filter of the two multiplier edits, and the checks made before a statement is written.
#pragma once

#include "elicit/ranking.h"
#include "model/records.h"

#include <optional>
#include <string>
#include <vector>

namespace velor::elicit {

// A difference of value from the level of Lower to the level of Higher, each level named by the
// first alternative of its ranked row.
struct Difference {
    AltId Higher = kNone;
    AltId Lower = kNone;
    bool operator==(const Difference&) const = default;
};

struct DifferenceEntry {
    Difference Pair;
    std::string Text; // "From " + lower row's label + " to " + higher row's label
};

// One entry for every pair of ranked rows i < j (tied rows included), sorted alphabetically as
// the drop-down lists show them.
std::vector<DifferenceEntry> DifferenceEntries(const std::vector<LevelRow>& ranked);

inline constexpr char kBackspaceKey = '\b';
inline constexpr char kEnterKey = '\r';
inline constexpr int kMultiplierMaxLength = 7;

// Whether a key typed into a multiplier edit holding text is accepted: digits, Backspace, Enter
// and one decimal mark (a point or a comma, see decimal_entry.h; EnteredChar gives the character
// it puts into the text), at most seven characters.
bool AcceptMultiplierKey(const std::string& text, char key, char decimalSeparator);

// The number in a multiplier text, a point or a comma marking the decimals whatever the locale's
// separator is; nothing when it does not convert (a lone separator, two separators).
std::optional<double> ParseMultiplier(const std::string& text, char decimalSeparator);
// A multiplier in its shortest decimal form with the given separator ("2.5", "3").
std::string FormatMultiplier(double value, char decimalSeparator);
// The message of a multiplier text that does not convert.
std::string ConversionErrorMessage(const std::string& text);

inline constexpr const char* kInvalidBoundsCaption = "Invalid boundary values";
inline constexpr const char* kLowerAboveUpperMessage =
    "Lower bound value must be less than upper bound value!";
inline constexpr const char* kNoBoundMessage =
    "You must specify at least either lower bound or upper bound!";
inline constexpr const char* kSameDifferenceMessage =
    "Numerator and denominator are the same!\nThus, lower bound and upper bound values must be "
    "equal to 1!";

enum class Bound { Lower, Upper };

// The state of one ratio statement dialog: the chosen differences, the two bound choices and
// their texts.
class RatioStatementInput {
public:
    enum class Problem { None, ConversionError, LowerAboveUpper, NoBound, SameDifference };
    enum class Focus { None, LowerEdit, LowerYes };
    struct Verdict {
        Problem Issue = Problem::None;
        std::string Message; // empty when Issue is None
        Focus FocusOn = Focus::None;
    };

    // fromRecommendation: the differences are fixed (a proposal being added or a given
    // statement being edited) and the bounds come from the statement; otherwise both
    // differences start at the first entry and no bound is given.
    RatioStatementInput(std::vector<DifferenceEntry> entries, const TCardinalStatement& statement,
                        bool fromRecommendation, char decimalSeparator);

    const std::vector<DifferenceEntry>& Entries() const { return entries_; }
    bool DifferencesEnabled() const { return !fromRecommendation_; }
    // The entry showing the compared (Num) or reference (Denom) difference, -1 when none does.
    int NumIndex() const { return IndexOf(num_); }
    int DenomIndex() const { return IndexOf(den_); }
    void SelectNum(int index);
    void SelectDenom(int index);
    // Exchanges the compared and the reference difference, whether or not they are fixed.
    void Swap() { std::swap(num_, den_); }

    bool BoundGiven(Bound b) const { return b == Bound::Lower ? lowerYes_ : upperYes_; }
    void SetBoundGiven(Bound b, bool given) { (b == Bound::Lower ? lowerYes_ : upperYes_) = given; }
    const std::string& BoundText(Bound b) const {
        return b == Bound::Lower ? lowerText_ : upperText_;
    }
    void SetBoundText(Bound b, std::string text) {
        (b == Bound::Lower ? lowerText_ : upperText_) = std::move(text);
    }
    // A key typed at the end of a multiplier edit. An accepted key edits the text and checks
    // the bound's "given" choice; returns whether it was accepted.
    bool TypeKey(Bound b, char key);

    // Checks the input; when it is sound, writes the differences and bounds into statement.
    Verdict Apply(TCardinalStatement& statement) const;

private:
    int IndexOf(const Difference& d) const;

    std::vector<DifferenceEntry> entries_;
    bool fromRecommendation_;
    char separator_;
    Difference num_;
    Difference den_;
    bool lowerYes_ = false;
    bool upperYes_ = false;
    std::string lowerText_;
    std::string upperText_;
};

} // namespace velor::elicit
