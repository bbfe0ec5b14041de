#include "elicit/ratio_statement.h"

#include "elicit/decimal_entry.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace velor::elicit {

namespace {

bool LessText(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) <
               std::tolower(static_cast<unsigned char>(y));
    });
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::vector<DifferenceEntry> DifferenceEntries(const std::vector<LevelRow>& ranked) {
    std::vector<DifferenceEntry> entries;
    for (std::size_t i = 0; i < ranked.size(); ++i) {
        for (std::size_t j = i + 1; j < ranked.size(); ++j) {
            entries.push_back({{ranked[i].FirstAlternative(), ranked[j].FirstAlternative()},
                               "From " + RankedLabel(ranked[j]) + " to " + RankedLabel(ranked[i])});
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return LessText(a.Text, b.Text); });
    return entries;
}

bool AcceptMultiplierKey(const std::string& text, char key, char /*decimalSeparator*/) {
    const bool control = key == kEnterKey || key == kBackspaceKey;
    if (!control && static_cast<int>(text.size()) >= kMultiplierMaxLength)
        return false;
    if (IsDecimalMark(key))
        return std::none_of(text.begin(), text.end(), IsDecimalMark);
    return IsDigit(key) || control;
}

std::optional<double> ParseMultiplier(const std::string& text, char /*decimalSeparator*/) {
    std::string plain;
    bool digit = false;
    bool separator = false;
    for (char c : text) {
        if (IsDigit(c)) {
            digit = true;
            plain += c;
        } else if (IsDecimalMark(c) && !separator) {
            separator = true;
            plain += '.';
        } else {
            return std::nullopt;
        }
    }
    if (!digit)
        return std::nullopt;
    // Read with a point whatever the C library's locale is (a GUI session sets it from the
    // environment, where strtod would stop at the point).
    double value = 0.0;
    const char* end = plain.data() + plain.size();
    const auto [last, error] = std::from_chars(plain.data(), end, value);
    if (error != std::errc() || last != end)
        return std::nullopt;
    return value;
}

std::string FormatMultiplier(double value, char decimalSeparator) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    std::string text = ec == std::errc{} ? std::string(buffer, end) : std::string("0");
    std::replace(text.begin(), text.end(), '.', decimalSeparator);
    return text;
}

std::string ConversionErrorMessage(const std::string& text) {
    return "'" + text + "' is not a valid number.";
}

RatioStatementInput::RatioStatementInput(std::vector<DifferenceEntry> entries,
                                         const TCardinalStatement& statement,
                                         bool fromRecommendation, char decimalSeparator)
    : entries_(std::move(entries)), fromRecommendation_(fromRecommendation),
      separator_(decimalSeparator) {
    if (fromRecommendation_) {
        num_ = {statement.Num1, statement.Num2};
        den_ = {statement.Den1, statement.Den2};
        if (statement.Lower >= 0) {
            lowerYes_ = true;
            lowerText_ = FormatMultiplier(statement.Lower, separator_);
        }
        if (statement.Upper >= 0) {
            upperYes_ = true;
            upperText_ = FormatMultiplier(statement.Upper, separator_);
        }
    } else if (!entries_.empty()) {
        num_ = entries_.front().Pair;
        den_ = entries_.front().Pair;
    }
}

int RatioStatementInput::IndexOf(const Difference& d) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].Pair == d)
            return static_cast<int>(i);
    }
    return -1;
}

void RatioStatementInput::SelectNum(int index) {
    if (index >= 0 && index < static_cast<int>(entries_.size()))
        num_ = entries_[index].Pair;
}

void RatioStatementInput::SelectDenom(int index) {
    if (index >= 0 && index < static_cast<int>(entries_.size()))
        den_ = entries_[index].Pair;
}

bool RatioStatementInput::TypeKey(Bound b, char key) {
    std::string& text = b == Bound::Lower ? lowerText_ : upperText_;
    if (!AcceptMultiplierKey(text, key, separator_))
        return false;
    if (key == kBackspaceKey) {
        if (!text.empty())
            text.pop_back();
    } else if (key != kEnterKey) {
        text += EnteredChar(key, separator_);
    }
    SetBoundGiven(b, true);
    return true;
}

RatioStatementInput::Verdict RatioStatementInput::Apply(TCardinalStatement& statement) const {
    double lower = kNotGiven;
    double upper = kNotGiven;
    for (Bound b : {Bound::Lower, Bound::Upper}) {
        const std::string& text = BoundText(b);
        if (!BoundGiven(b) || text.empty())
            continue;
        const auto value = ParseMultiplier(text, separator_);
        if (!value) {
            return {Problem::ConversionError, ConversionErrorMessage(text),
                    b == Bound::Lower ? Focus::LowerEdit : Focus::None};
        }
        (b == Bound::Lower ? lower : upper) = *value;
    }
    if (upper != kNotGiven && lower > upper)
        return {Problem::LowerAboveUpper, kLowerAboveUpperMessage, Focus::LowerEdit};
    if (lower == kNotGiven && upper == kNotGiven)
        return {Problem::NoBound, kNoBoundMessage, Focus::LowerYes};
    const bool sameDifference = num_ == den_;
    const bool notOne =
        (lower != 1.0 && lower != kNotGiven) || (upper != 1.0 && upper != kNotGiven);
    if (sameDifference && notOne)
        return {Problem::SameDifference, kSameDifferenceMessage, Focus::LowerEdit};
    statement.Num1 = num_.Higher;
    statement.Num2 = num_.Lower;
    statement.Den1 = den_.Higher;
    statement.Den2 = den_.Lower;
    statement.Lower = lower;
    statement.Upper = upper;
    return {};
}

} // namespace velor::elicit
