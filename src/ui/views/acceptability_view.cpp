#include "ui/views/acceptability_view.h"

#include "model/number_format.h"
#include "ui/prompts.h"
#include "ui/ui_text.h"
#include "ui/views/acceptability_chart.h"
#include "ui/views/out_of_date_banner.h"
#include "ui/views/picture_file.h"
#include "ui/views/reading_note.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace velor::ui {

namespace {

QString Percent(double share) {
    return QString::fromStdString(
               FormatNumber(std::round(share * 1000.0) / 10.0, DecimalSeparator())) +
           QStringLiteral(" %");
}

QTableWidget* MakeTable(const QString& name, QWidget* parent) {
    auto* table = new QTableWidget(parent);
    table->setObjectName(name);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::ContiguousSelection);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return table;
}

void SetCell(QTableWidget* table, int row, int column, const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table->setItem(row, column, item);
}

} // namespace

AcceptabilityView::AcceptabilityView(const Document& document, Prompts& prompts, QWidget* parent)
    : QWidget(parent), document_(document), prompts_(prompts) {
    setObjectName(QStringLiteral("AcceptabilityForm"));
    setWindowTitle(QStringLiteral("Acceptability"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    info_ = new QLabel(this);
    info_->setObjectName(QStringLiteral("AcceptabilityInfo"));
    info_->setContentsMargins(6, 4, 6, 4);
    info_->setWordWrap(true);
    layout->addWidget(info_);
    layout->addWidget(new OutOfDateBanner(document, this, OutOfDateBanner::Follows::Acceptability));

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("AcceptabilityTabs"));
    // Each tab: the line that says how to read it above its content, wrapped to the tab's width.
    const auto addTab = [this](QWidget* content, const char* note, const QString& caption,
                               QWidget* extra = nullptr) {
        auto* page = new QWidget(tabs_);
        auto* column = new QVBoxLayout(page);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        column->addWidget(MakeReadingNote(QString::fromLatin1(note), page));
        if (extra != nullptr) {
            column->addWidget(extra);
        }
        content->setParent(page);
        column->addWidget(content, 1);
        tabs_->addTab(page, caption);
    };
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("AcceptabilityScroll"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    chart_ = new AcceptabilityChart;
    scroll->setWidget(chart_);
    sort_ = new QCheckBox(QStringLiteral("&Sort by first-rank share"));
    sort_->setObjectName(QStringLiteral("SortByFirstRank"));
    sort_->setContentsMargins(6, 0, 6, 0);
    connect(sort_, &QCheckBox::toggled, chart_, &AcceptabilityChart::SetSortedByFirstRank);
    addTab(scroll, reading::kRankAcceptability, QStringLiteral("Rank Acceptability"), sort_);
    pairwise_ = MakeTable(QStringLiteral("PairwiseTable"), nullptr);
    addTab(pairwise_, reading::kPairwiseWinning, QStringLiteral("Pairwise Winning"));
    central_ = MakeTable(QStringLiteral("CentralWeightsTable"), nullptr);
    addTab(central_, reading::kCentralWeights, QStringLiteral("Central Weights"));
    layout->addWidget(tabs_, 1);

    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("AcceptabilityPopup"));
    // Ctrl+P is left to the main window's Print Active Window, which prints this view too.
    printAction_ =
        popup_->addAction(QStringLiteral("&Print Chart..."), this, &AcceptabilityView::PrintClick);
    printAction_->setObjectName(QStringLiteral("ChartPrint"));
    printAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    printAction_->setShortcutContext(Qt::WidgetShortcut);
    copyAction_ = popup_->addAction(QStringLiteral("&Copy"), this, &AcceptabilityView::CopyClick);
    copyAction_->setObjectName(QStringLiteral("ChartCopy"));
    copyAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    copyAction_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(copyAction_);
    popup_->addSeparator();
    saveAction_ = popup_->addAction(QStringLiteral("Save &Picture..."), this,
                                    &AcceptabilityView::SavePictureClick);
    saveAction_->setObjectName(QStringLiteral("ChartSavePicture"));

    document_.GetModel().AddObserver(this);
    Refresh();
}

AcceptabilityView::~AcceptabilityView() {
    document_.GetModel().RemoveObserver(this);
}

void AcceptabilityView::Refresh() {
    const AcceptabilityResult* result = document_.Acceptability();
    const Model& model = document_.GetModel();
    QStringList names;
    QStringList attributes;
    if (result != nullptr) {
        // While the analysis is current the rows are the model's (a rename keeps it current);
        // an out-of-date one keeps the names it ran with.
        const bool current = !document_.AcceptabilityOutOfDate() &&
                             model.M() == static_cast<int>(result->Alternatives.size());
        for (std::size_t a = 0; a < result->Alternatives.size(); ++a) {
            names << QString::fromStdString(current ? model.AlternativeName(static_cast<int>(a) + 1)
                                                    : result->Alternatives[a]);
        }
        for (std::size_t j = 0; j < result->Attributes.size(); ++j) {
            const NodeId node = model.NodeByColumn(result->AttributeColumns[j]);
            attributes << QString::fromStdString(current && node != kNone ? model.Node(node).Name
                                                                          : result->Attributes[j]);
        }
        info_->setText(QStringLiteral("%1 samples, seed %2.")
                           .arg(QLocale().toString(result->Samples))
                           .arg(QString::number(result->Seed)));
    } else {
        info_->setText(QStringLiteral("No acceptability analysis yet: choose Model > Acceptability "
                                      "Analysis... to run one."));
    }
    chart_->SetContent(result, names);

    const int m = static_cast<int>(names.size());
    // A run over more than 200 alternatives leaves the pairwise table out.
    const int pairs = result != nullptr && result->HasPairwiseWinning() ? m : 0;
    pairwise_->clear();
    pairwise_->setRowCount(pairs);
    pairwise_->setColumnCount(pairs);
    pairwise_->setHorizontalHeaderLabels(names);
    pairwise_->setVerticalHeaderLabels(names);
    for (int a = 0; a < pairs; ++a) {
        for (int b = 0; b < pairs; ++b) {
            SetCell(pairwise_, a, b,
                    a == b ? QStringLiteral("-")
                           : Percent(result->PairwiseWinning[static_cast<std::size_t>(a)]
                                                            [static_cast<std::size_t>(b)]));
        }
    }
    pairwise_->setToolTip(
        pairs == m ? QStringLiteral("Share of the samples in which the row's alternative beats "
                                    "the column's")
                   : QStringLiteral("Left out for more than 200 alternatives"));

    central_->clear();
    central_->setRowCount(m);
    central_->setColumnCount(static_cast<int>(attributes.size()));
    central_->setHorizontalHeaderLabels(attributes);
    central_->setVerticalHeaderLabels(names);
    for (int a = 0; a < m; ++a) {
        for (int j = 0; j < attributes.size(); ++j) {
            SetCell(central_, a, j,
                    result->HasCentralWeights(a)
                        ? Percent(result->CentralWeights[static_cast<std::size_t>(a)]
                                                        [static_cast<std::size_t>(j)])
                        : QStringLiteral("-"));
        }
    }
    central_->setToolTip(QStringLiteral(
        "Mean weights in % over the samples in which the alternative ranks first (- : never "
        "first)"));
}

void AcceptabilityView::ModelChanged(ModelChange what) {
    if (what == ModelChange::History || what == ModelChange::Tree || what == ModelChange::Table) {
        Refresh();
    }
}

void AcceptabilityView::contextMenuEvent(QContextMenuEvent* event) {
    popup_->popup(event->globalPos());
    event->accept();
}

bool AcceptabilityView::Print(QPrinter& printer) {
    return PrintPicture(printer, chart_->Title(),
                        [this](QPainter& painter, const QRectF& target) {
                            chart_->Render(painter, target);
                        });
}

void AcceptabilityView::PrintView(QPrinter& printer) {
    if (!Print(printer)) {
        prompts_.Inform(kAppTitle, QStringLiteral("Cannot print the chart."), Icon::Stop);
    }
}

void AcceptabilityView::PrintClick() {
    if (prompts_.PrintDialog(printer_)) {
        PrintView(printer_);
    }
}

bool AcceptabilityView::CopyToClipboard() {
    return prompts_.SetClipboardImage(chart_->ToImage());
}

void AcceptabilityView::CopyClick() {
    if (!CopyToClipboard()) {
        prompts_.Inform(kAppTitle, QStringLiteral("Cannot copy the chart to the clipboard."),
                        Icon::Stop);
    }
}

bool AcceptabilityView::SavePicture(const QString& path) {
    return SavePictureFile(
        path, {chart_->PictureSize(), chart_->Title(),
               [this](QPainter& painter, const QRectF& target) { chart_->Render(painter, target); },
               [this](qreal scale) { return chart_->ToImage(scale); }});
}

void AcceptabilityView::SavePictureClick() {
    SavePictureWithDialog(prompts_, windowTitle(),
                          [this](const QString& path) { return SavePicture(path); });
}

} // namespace velor::ui
