// Small helpers shared by the windows: text conversion between the core and Qt, the application
// title and the decimal separator of the user's locale.
#pragma once

#include <QLocale>
#include <QString>

#include <string>

namespace velor::ui {

inline const QString kAppTitle = QStringLiteral("Velor Decisions");

inline QString ToQ(const std::string& text) {
    return QString::fromStdString(text);
}

inline std::string ToStd(const QString& text) {
    return text.toStdString();
}

// The locale's decimal separator as the core formatter takes it (one character).
inline char DecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    if (point.size() == 1 && point.at(0).unicode() < 128) {
        return static_cast<char>(point.at(0).unicode());
    }
    return '.';
}

} // namespace velor::ui
