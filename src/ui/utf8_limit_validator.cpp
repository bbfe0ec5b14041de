#include "ui/utf8_limit_validator.h"

#include "model/text_limit.h"

namespace velor::ui {

namespace {

// UTF-8 bytes of the character that ends just before position end, and its UTF-16 length.
std::pair<int, int> CharacterBefore(const QString& text, int end) {
    const QChar last = text.at(end - 1);
    if (last.isLowSurrogate() && end >= 2 && text.at(end - 2).isHighSurrogate()) {
        return {4, 2};
    }
    const char16_t unit = last.unicode();
    return {unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3, 1}; // a lone surrogate is written as U+FFFD
}

} // namespace

Utf8LimitValidator::Utf8LimitValidator(int maxBytes, QObject* parent)
    : QValidator(parent), maxBytes_(maxBytes) {}

QValidator::State Utf8LimitValidator::validate(QString& input, int& pos) const {
    qsizetype excess = input.toUtf8().size() - maxBytes_;
    if (excess <= 0) {
        return Acceptable;
    }
    int start = pos;
    while (start > 0 && excess > 0) {
        const auto [bytes, units] = CharacterBefore(input, start);
        excess -= bytes;
        start -= units;
    }
    if (excess > 0) {
        return Invalid; // the text before the cursor alone is too long
    }
    input.remove(start, pos - start);
    pos = start;
    return Acceptable;
}

QString Utf8LimitValidator::Cut(const QString& text, int maxBytes) {
    return QString::fromStdString(
        LimitText(text.toStdString(), static_cast<std::size_t>(maxBytes < 0 ? 0 : maxBytes)));
}

} // namespace velor::ui
