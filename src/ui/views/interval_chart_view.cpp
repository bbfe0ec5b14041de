#include "ui/views/interval_chart_view.h"

#include "ui/prompts.h"
#include "ui/ui_text.h"
#include "ui/views/out_of_date_banner.h"
#include "ui/views/picture_file.h"
#include "ui/views/reading_note.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace velor::ui {

IntervalChartView::IntervalChartView(const Document& document, Prompts& prompts,
                                     const QString& formName, const QString& caption,
                                     const QString& comboName, const QString& note)
    : model_(document.GetModel()), prompts_(prompts) {
    setObjectName(formName);
    setWindowTitle(caption);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    toolbar_ = new QWidget(this);
    combo_ = new QComboBox(toolbar_);
    combo_->setObjectName(comboName);
    combo_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo_->setMinimumContentsLength(1);
    toolbar_->setFixedHeight(combo_->sizeHint().height() + 8);
    layout->addWidget(toolbar_);
    note_ = MakeReadingNote(note, this);
    layout->addWidget(note_);
    banner_ = new OutOfDateBanner(document, this);
    banner_->installEventFilter(this);
    layout->addWidget(banner_);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("ChartScroll"));
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    chart_ = new IntervalChart;
    scroll_->setWidget(chart_);
    layout->addWidget(scroll_, 1);

    connect(combo_, &QComboBox::currentIndexChanged, this, &IntervalChartView::ComboChange);
    model_.AddObserver(this);
}

IntervalChartView::~IntervalChartView() {
    model_.RemoveObserver(this);
}

void IntervalChartView::CreatePopup(const QString& popupName, const QString& printCaption) {
    popup_ = new QMenu(this);
    popup_->setObjectName(popupName);

    // Ctrl+P is shown here but left to the main window's Print Active Window, which prints
    // this view the same way; two window-wide Ctrl+P shortcuts would cancel each other.
    printAction_ = popup_->addAction(printCaption, this, &IntervalChartView::PrintClick);
    printAction_->setObjectName(QStringLiteral("ChartPrint"));
    printAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    printAction_->setShortcutContext(Qt::WidgetShortcut);

    copyAction_ = popup_->addAction(QStringLiteral("&Copy"), this, &IntervalChartView::CopyClick);
    copyAction_->setObjectName(QStringLiteral("ChartCopy"));
    copyAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    copyAction_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(copyAction_);

    // Zooming is off, so there is never anything to undo.
    unzoomAction_ = popup_->addAction(QStringLiteral("Unzoom"));
    unzoomAction_->setObjectName(QStringLiteral("ChartUnzoom"));
    unzoomAction_->setVisible(false);

    popup_->addSeparator();
    saveAction_ = popup_->addAction(QStringLiteral("Save &Picture..."), this,
                                    &IntervalChartView::SavePictureClick);
    saveAction_->setObjectName(QStringLiteral("ChartSavePicture"));
}

NodeId IntervalChartView::SelectedNode() const {
    const int index = combo_->currentIndex();
    if (index < 0 || index >= static_cast<int>(nodes_.size()) || !model_.Exists(nodes_[index])) {
        return kNone;
    }
    return nodes_[static_cast<std::size_t>(index)];
}

void IntervalChartView::RefillCombo(std::optional<int> index) {
    const int previous = combo_->currentIndex();
    nodes_ = ListedNodes();
    filling_ = true;
    combo_->clear();
    for (NodeId node : nodes_) {
        combo_->addItem(QString::fromStdString(model_.Node(node).Name));
    }
    const int count = static_cast<int>(nodes_.size());
    int chosen = -1;
    if (index) {
        chosen = (*index >= 0 && *index < count) ? *index : (count > 0 ? 0 : -1);
    } else {
        chosen = (previous >= 0 && previous < count) ? previous : (count > 0 ? 0 : -1);
    }
    combo_->setCurrentIndex(chosen);
    filling_ = false;
    Rebuild();
}

void IntervalChartView::ComboChange(int index) {
    if (!filling_ && index >= 0) {
        Rebuild();
    }
}

void IntervalChartView::Rebuild() {
    chart_->SetContent(ChartContent(SelectedNode()));
}

void IntervalChartView::ModelChanged(ModelChange what) {
    switch (what) {
    case ModelChange::Tree:
        RefillCombo();
        break;
    case ModelChange::Table:
    case ModelChange::Results:
    case ModelChange::Options:
        Rebuild();
        break;
    default:
        break;
    }
}

void IntervalChartView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceCombo();
}

int IntervalChartView::HeightForWholeChart(int width) const {
    return toolbar_->height() + note_->heightForWidth(width) +
           (banner_->isVisibleTo(this) ? banner_->heightForWidth(width) : 0) +
           chart_->minimumSizeHint().height();
}

bool IntervalChartView::eventFilter(QObject* watched, QEvent* event) {
    // Only when the banner appears: a window the user makes smaller afterwards stays so.
    if (watched == banner_ && event->type() == QEvent::Show) {
        // After the layout has given the banner its room.
        QTimer::singleShot(0, this, &IntervalChartView::KeepChartInView);
    }
    return QWidget::eventFilter(watched, event);
}

void IntervalChartView::KeepChartInView() {
    if (!banner_->isVisible()) {
        return;
    }
    layout()->activate();
    const int lacking = chart_->minimumSizeHint().height() - scroll_->viewport()->height();
    if (lacking <= 0) {
        return;
    }
    // The child window in the workspace, or this view when it stands alone.
    QWidget* frame = parentWidget() != nullptr ? parentWidget() : this;
    QRect area;
    if (frame->isWindow()) {
        if (const QScreen* screen = frame->screen()) {
            area = screen->availableGeometry();
        }
    } else if (frame->parentWidget() != nullptr) {
        area = frame->parentWidget()->rect();
    }
    QRect geometry = frame->geometry();
    const int grow = area.isValid() ? std::min(lacking, area.height() - geometry.height()) : lacking;
    if (grow <= 0) {
        return;
    }
    geometry.setHeight(geometry.height() + grow);
    if (area.isValid() && geometry.bottom() > area.bottom()) {
        geometry.moveBottom(area.bottom());
    }
    frame->setGeometry(geometry);
}

void IntervalChartView::contextMenuEvent(QContextMenuEvent* event) {
    popup_->popup(event->globalPos());
    event->accept();
}

bool IntervalChartView::Print(QPrinter& printer) {
    return PrintPicture(printer, chart_->Title().isEmpty() ? windowTitle() : chart_->Title(),
                        [this](QPainter& painter, const QRectF& target) {
                            chart_->Render(painter, target);
                        });
}

void IntervalChartView::PrintView(QPrinter& printer) {
    if (!Print(printer)) {
        prompts_.Inform(kAppTitle, QStringLiteral("Cannot print the chart."), Icon::Stop);
    }
}

void IntervalChartView::PrintClick() {
    if (prompts_.PrintDialog(printer_)) {
        PrintView(printer_);
    }
}

bool IntervalChartView::CopyToClipboard() {
    return prompts_.SetClipboardImage(chart_->ToImage());
}

void IntervalChartView::CopyClick() {
    if (!CopyToClipboard()) {
        prompts_.Inform(kAppTitle, QStringLiteral("Cannot copy the chart to the clipboard."),
                        Icon::Stop);
    }
}

bool IntervalChartView::SavePicture(const QString& path) {
    return SavePictureFile(
        path, {chart_->PictureSize(), chart_->Title(),
               [this](QPainter& painter, const QRectF& target) { chart_->Render(painter, target); },
               [this](qreal scale) { return chart_->ToImage(scale); }});
}

void IntervalChartView::SavePictureClick() {
    SavePictureWithDialog(prompts_, windowTitle(),
                          [this](const QString& path) { return SavePicture(path); });
}

} // namespace velor::ui
