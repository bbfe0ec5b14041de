// Saving a chart as a picture file: PNG (at twice the screen size), SVG or PDF (one A4 page),
// chosen by the extension. The file is written to a temporary file that replaces the target
// only when complete, so a failed save leaves an older picture as it was.
#pragma once

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <functional>

class QPainter;
class QPrinter;

namespace velor::ui {

struct PictureSource {
    QSizeF size;   // the picture's size in pixels at scale 1
    QString title; // of the SVG and PDF documents
    // Draws the chart scaled into target.
    std::function<void(QPainter&, const QRectF&)> render;
    // The chart as an image at the given scale.
    std::function<QImage(qreal)> image;
};

bool SavePictureFile(const QString& path, const PictureSource& source);

// Draws a chart of the given logical size scaled to fit target, centred across it: draw paints
// at the logical size.
void RenderScaled(QPainter& painter, const QRectF& target, const QSizeF& logical,
                  const std::function<void(QPainter&)>& draw);
// A chart as an image on white, scale times its logical size: render draws into a target rect.
QImage RenderImage(const QSizeF& logical, qreal scale,
                   const std::function<void(QPainter&, const QRectF&)>& render);

class Prompts;
// "Save Picture": asks for the file (initialName + ".png" proposed), saves with save and
// says so when that fails.
void SavePictureWithDialog(Prompts& prompts, const QString& initialName,
                           const std::function<bool(const QString&)>& save);

// Prints a chart (anything with Title() and Render(painter, target)) on one page of printer,
// the document named title. False when the printer cannot be painted on.
bool PrintPicture(QPrinter& printer, const QString& title,
                  const std::function<void(QPainter&, const QRectF&)>& render);

} // namespace velor::ui
