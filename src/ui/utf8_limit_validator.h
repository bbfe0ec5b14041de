// Keeps the text of a line edit within a number of UTF-8 bytes, the measure of names and texts
// in a model file, so that an editor stops where the file would cut: typing stops at the limit,
// and of a pasted text only as much is taken as fits.
#pragma once

#include <QValidator>

namespace velor::ui {

class Utf8LimitValidator : public QValidator {
public:
    Utf8LimitValidator(int maxBytes, QObject* parent);

    // A text over the limit loses the characters just before the cursor (what was just typed or
    // pasted) until it fits.
    State validate(QString& input, int& pos) const override;

    // The longest start of text that fits in maxBytes bytes, no character split.
    static QString Cut(const QString& text, int maxBytes);

private:
    int maxBytes_;
};

} // namespace velor::ui
