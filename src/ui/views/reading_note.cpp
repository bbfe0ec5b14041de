#include "ui/views/reading_note.h"

#include <QLabel>

namespace velor::ui {

QLabel* MakeReadingNote(const QString& text, QWidget* parent) {
    auto* note = new QLabel(text, parent);
    note->setObjectName(QStringLiteral("ReadingNote"));
    note->setWordWrap(true);
    note->setContentsMargins(6, 3, 6, 3);
    QFont small = note->font();
    small.setPointSizeF(small.pointSizeF() * 0.92);
    note->setFont(small);
    QPalette colours = note->palette();
    colours.setColor(QPalette::WindowText, QColor(0x4a, 0x50, 0x58));
    note->setPalette(colours);
    return note;
}

} // namespace velor::ui
