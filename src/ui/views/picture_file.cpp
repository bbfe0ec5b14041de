#include "ui/views/picture_file.h"

#include <QPainter>
#include <QPrinter>

#include "ui/prompts.h"
#include "ui/ui_text.h"

#include <algorithm>

#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace velor::ui {

void RenderScaled(QPainter& painter, const QRectF& target, const QSizeF& logical,
                  const std::function<void(QPainter&)>& draw) {
    const qreal scale =
        std::min(target.width() / logical.width(), target.height() / logical.height());
    painter.save();
    painter.translate(target.left() + (target.width() - logical.width() * scale) / 2, target.top());
    painter.scale(scale, scale);
    draw(painter);
    painter.restore();
}

QImage RenderImage(const QSizeF& logical, qreal scale,
                   const std::function<void(QPainter&, const QRectF&)>& render) {
    QImage image((logical * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    render(painter, QRectF(QPointF(), logical * scale));
    painter.end();
    return image;
}

bool SavePictureFile(const QString& path, const PictureSource& source) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QSizeF size = source.size;
    bool drawn = false;
    if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size.toSize());
        svg.setViewBox(QRectF(QPointF(), size));
        svg.setTitle(source.title);
        QPainter painter;
        if (painter.begin(&svg)) {
            source.render(painter, QRectF(QPointF(), size));
            drawn = painter.end();
        }
    } else if (suffix == QLatin1String("pdf")) {
        QPdfWriter pdf(&file);
        pdf.setTitle(source.title);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageOrientation(size.width() >= size.height() ? QPageLayout::Landscape
                                                             : QPageLayout::Portrait);
        QPainter painter;
        if (painter.begin(&pdf)) {
            source.render(painter, QRectF(0, 0, pdf.width(), pdf.height()));
            drawn = painter.end();
        }
    } else {
        drawn = source.image(2.0).save(&file, "PNG");
    }
    if (!drawn) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void SavePictureWithDialog(Prompts& prompts, const QString& initialName,
                           const std::function<bool(const QString&)>& save) {
    FileDialogRequest request;
    request.title = QStringLiteral("Save Picture");
    request.filter = QStringLiteral(
        "PNG Image (*.png);;SVG Drawing (*.svg);;PDF Document (*.pdf);;All Files (*)");
    request.defaultExtension = QStringLiteral("png");
    request.initialPath = initialName + QStringLiteral(".png");
    const QString path = prompts.SaveFileName(request);
    if (path.isEmpty()) {
        return;
    }
    if (!save(path)) {
        prompts.Inform(kAppTitle,
                       QStringLiteral("Cannot save the picture into file ") + path +
                           QStringLiteral("."),
                       Icon::Stop);
    }
}

bool PrintPicture(QPrinter& printer, const QString& title,
                  const std::function<void(QPainter&, const QRectF&)>& render) {
    printer.setDocName(title);
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    render(painter, QRectF(0, 0, printer.width(), printer.height()));
    return painter.end();
}

} // namespace velor::ui
