// Number texts of the result views, with the decimal separator of the user's locale.
#pragma once

#include <QLocale>
#include <QString>

namespace velor::ui {

// "0.###": at most three decimals, no trailing zeros.
QString FormatValue(double value, const QLocale& locale = QLocale());
// lower + " ... " + upper, both "0.###".
QString FormatValueRange(double lower, double upper, const QLocale& locale = QLocale());
// "0.000": always three decimals.
QString FormatThreeDecimals(double value, const QLocale& locale = QLocale());

} // namespace velor::ui
