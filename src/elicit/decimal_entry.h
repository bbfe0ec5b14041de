// Numbers typed into the assessment dialogs. A point and a comma both mark the decimals, in every
// locale: "80.5" and "80,5" are 80.5 whether the session writes decimals with a point or with a
// comma. Neither is ever read as a group separator, so a number holds at most one of them
// ("1.000,5" is not a number rather than a thousand), and a typed mark shows as the locale's own
// decimal separator, so the cell reads the way the number was understood.
#pragma once

#include <optional>
#include <string>

namespace velor::elicit {

bool IsDecimalMark(char c);

// The character a key accepted by a number filter puts into the text: a decimal mark becomes the
// locale's decimal separator, every other key stays as it is.
char EnteredChar(char key, char decimalSeparator);

// The text with its decimal mark as a point, ready for std::from_chars; nothing when it holds
// more than one mark.
std::optional<std::string> WithDecimalPoint(std::string text);

} // namespace velor::elicit
