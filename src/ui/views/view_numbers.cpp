#include "ui/views/view_numbers.h"

#include "model/number_format.h"

#include <cmath>

namespace velor::ui {

namespace {

// The core formats with a point; the point is swapped for the locale's separator here, because
// a separator need not be a single byte.
QString WithLocaleSeparator(QString text, const QLocale& locale) {
    return text.replace(QLatin1Char('.'), locale.decimalPoint());
}

} // namespace

QString FormatValue(double value, const QLocale& locale) {
    return WithLocaleSeparator(QString::fromStdString(FormatNumber(value, '.')), locale);
}

QString FormatValueRange(double lower, double upper, const QLocale& locale) {
    return FormatValue(lower, locale) + QStringLiteral(" ... ") + FormatValue(upper, locale);
}

QString FormatThreeDecimals(double value, const QLocale& locale) {
    if (!std::isfinite(value)) {
        return FormatValue(value, locale);
    }
    double rounded = std::round(value * 1000.0) / 1000.0;
    if (rounded == 0.0) {
        rounded = 0.0; // no "-0.000"
    }
    return WithLocaleSeparator(QString::number(rounded, 'f', 3), locale);
}

} // namespace velor::ui
