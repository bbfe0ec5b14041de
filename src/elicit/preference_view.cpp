#include "elicit/preference_view.h"

#include "elicit/score_form.h"
#include "elicit/weight_form.h"
#include "model/model.h"
#include "ui/grid_printer.h"
#include "ui/node_icons.h"
#include "ui/prompts.h"
#include "ui/ui_text.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

#include <algorithm>

#include <array>

namespace velor::elicit {

namespace {

// The "Assessed" column's words for a task's status.
QString StatusText(AssessmentStatus status) {
    switch (status) {
    case AssessmentStatus::Yes:
        return QStringLiteral("Yes");
    case AssessmentStatus::Partially:
        return QStringLiteral("Partially");
    case AssessmentStatus::No:
        break;
    }
    return QStringLiteral("No");
}

constexpr int kImageSize = 16;
constexpr int kStateWidth = 10; // the marker slot left of the entry's image
constexpr int kEntryRole = Qt::UserRole + 1;
constexpr int kMarkedRole = Qt::UserRole + 2;

// Image 0: a statement about levels (three bars of falling height).
void DrawScoreImage(QPainter& p) {
    p.setPen(QPen(QColor(40, 70, 140), 1));
    p.setBrush(QColor(90, 140, 220));
    p.drawRect(2, 3, 3, 11);
    p.drawRect(7, 7, 3, 7);
    p.drawRect(12, 10, 3, 4);
}

// Image 1: a weight assessment (a balance).
void DrawWeightImage(QPainter& p) {
    p.setPen(QPen(QColor(110, 70, 20), 1.4));
    p.drawLine(8, 2, 8, 14);
    p.drawLine(3, 14, 13, 14);
    p.drawLine(2, 5, 14, 5);
    p.setBrush(QColor(230, 180, 60));
    p.drawChord(QRectF(0.5, 5, 5, 5), 180 * 16, 180 * 16);
    p.drawChord(QRectF(10.5, 5, 5, 5), 180 * 16, 180 * 16);
}

// State image 2: the marker of the weight mode in force (a small filled arrow).
void DrawMarker(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 150, 60));
    const std::array<QPointF, 3> arrow = {QPointF(1, 3), QPointF(9, 8), QPointF(1, 13)};
    p.drawPolygon(arrow.data(), static_cast<int>(arrow.size()));
}

// The state image slot followed by the entry's image, as one icon.
QIcon EntryIcon(int image, bool marked) {
    // Drawn at the size and pixel density it is shown at, so it stays sharp on dense screens.
    return ui::PaintedIcon(
        [image, marked](QPainter& p) {
            if (marked) {
                DrawMarker(p);
            }
            p.translate(kStateWidth, 0);
            if (image == 1) {
                DrawWeightImage(p);
            } else {
                DrawScoreImage(p);
            }
        },
        QSizeF(kStateWidth + kImageSize, kImageSize));
}

} // namespace

TPreferenceForm::TPreferenceForm(Document& document, ui::Prompts& prompts, QWidget* parent)
    : QWidget(parent), document_(document), model_(document.GetModel()), prompts_(prompts) {
    setObjectName(QStringLiteral("PreferenceForm"));
    setWindowTitle(QStringLiteral("Preference Information"));

    PrefView = new QTreeWidget(this);
    PrefView->setObjectName(QStringLiteral("PrefView"));
    PrefView->setRootIsDecorated(false);
    PrefView->setItemsExpandable(false);
    PrefView->setUniformRowHeights(true);
    PrefView->setSelectionMode(QAbstractItemView::SingleSelection);
    PrefView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PrefView->setIconSize(QSize(kStateWidth + kImageSize, kImageSize));
    PrefView->setHeaderLabels({QStringLiteral("Preference Type"), QStringLiteral("References to"),
                               QStringLiteral("Assessed"), QStringLiteral("Remarks")});
    PrefView->header()->setStretchLastSection(false);
    PrefView->setColumnWidth(0, kTypeWidth);
    PrefView->setColumnWidth(1, kReferencesWidth);
    PrefView->setColumnWidth(2, kAssessedWidth);
    PrefView->setColumnWidth(3, kRemarksWidth);
    PrefView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(PrefView, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
        PrefView->setCurrentItem(item);
        PrefViewDblClick();
    });

    PrefPopup = new QMenu(this);
    PrefPopup->setObjectName(QStringLiteral("PrefPopup"));
    ClearPreferencesAction = PrefPopup->addAction(QStringLiteral("Clear &Preferences"));
    ClearPreferencesAction->setObjectName(QStringLiteral("ClearPreferences"));
    connect(ClearPreferencesAction, &QAction::triggered, this,
            &TPreferenceForm::ClearPreferencesClick);
    connect(PrefView, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PrefPopup->popup(PrefView->viewport()->mapToGlobal(pos));
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PrefView);

    model_.AddObserver(this);
    Refresh();
}

TPreferenceForm::~TPreferenceForm() {
    model_.RemoveObserver(this);
}

void TPreferenceForm::PrintView(QPrinter& printer) {
    ui::GridPrintOptions options;
    options.rowHeaders = false;
    ui::PrintItemGrid(printer, windowTitle(), *PrefView->model(), options);
}

QSize TPreferenceForm::sizeHint() const {
    int columns = 0;
    for (int column = 0; column < PrefView->columnCount(); ++column) {
        columns += PrefView->columnWidth(column);
    }
    return {std::max(kTypeWidth + kReferencesWidth + kAssessedWidth + kRemarksWidth, columns) + 30,
            260};
}

void TPreferenceForm::ModelChanged(ModelChange what) {
    switch (what) {
    case ModelChange::Tree:
    case ModelChange::Assessments:
    case ModelChange::Options:
    case ModelChange::Table:
        Refresh();
        break;
    default:
        break;
    }
}

void TPreferenceForm::Refresh() {
    const EntryId selected = EntryOf(PrefView->currentItem());
    const auto& entries = model_.Assessments();
    // Keep the items (and so the scroll position and selection) when only texts changed.
    const bool rebuilt = PrefView->topLevelItemCount() != static_cast<int>(entries.size());
    if (rebuilt) {
        PrefView->clear();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            PrefView->addTopLevelItem(new QTreeWidgetItem());
        }
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TAssessmentEntry& entry = entries[i];
        QTreeWidgetItem* item = PrefView->topLevelItem(static_cast<int>(i));
        item->setText(0, ui::ToQ(entry.Caption));
        item->setText(1, ui::ToQ(entry.References));
        item->setText(2, StatusText(entry.Status));
        item->setText(3, ui::ToQ(entry.Remarks));
        const bool marked = model_.WeightModeMarked(entry);
        item->setIcon(0, EntryIcon(entry.Image, marked));
        item->setData(0, kEntryRole, entry.Id);
        item->setData(0, kMarkedRole, marked);
        if (entry.Id == selected) {
            PrefView->setCurrentItem(item);
        }
    }
    FitColumns(rebuilt);
}

void TPreferenceForm::FitColumns(bool rebuilt) {
    // Each column at least its classic width and wide enough for its texts (within a limit;
    // a longer text is elided and shown in full in its tooltip). A rebuilt list starts from
    // the classic widths; otherwise columns only widen, so a wider column the user chose stays.
    constexpr int kWidestColumn = 320;
    const int classic[] = {kTypeWidth, kReferencesWidth, kAssessedWidth, kRemarksWidth};
    for (int column = 0; column < PrefView->columnCount(); ++column) {
        const int before = rebuilt ? classic[column] : PrefView->columnWidth(column);
        PrefView->resizeColumnToContents(column); // the texts' and the header's width
        const int need = PrefView->columnWidth(column);
        const int width = std::max({classic[column], before, std::min(need, kWidestColumn)});
        PrefView->setColumnWidth(column, width);
        for (int i = 0; i < PrefView->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = PrefView->topLevelItem(i);
            item->setToolTip(column, need > width ? item->text(column) : QString());
        }
    }
}

EntryId TPreferenceForm::EntryOf(const QTreeWidgetItem* item) const {
    return item != nullptr ? item->data(0, kEntryRole).toInt() : kNone;
}

bool TPreferenceForm::Marked(const QTreeWidgetItem* item) const {
    return item != nullptr && item->data(0, kMarkedRole).toBool();
}

void TPreferenceForm::PrefViewDblClick() {
    const auto selected = PrefView->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    const TAssessmentEntry* entry = model_.Entry(EntryOf(selected.first()));
    if (entry == nullptr) {
        return;
    }
    const AssessmentContext context{document_, prompts_,
                                    dialogParent_ != nullptr ? dialogParent_ : window()};
    switch (entry->Kind) {
    case EntryKind::ScoreAssessment:
    case EntryKind::HolisticComparison:
        // An entry without a statement set (possible in a loaded model) has nothing to assess.
        if (entry->Preference) {
            ShowScoreAssessment(context, entry->Id);
        }
        break;
    case EntryKind::TopDownWeights:
        if (model_.Exists(entry->WeightNode)) {
            ShowWeightAssessment(context, entry->WeightNode);
        }
        break;
    case EntryKind::BottomUpWeights:
        ShowWeightAssessment(context, kNone);
        break;
    }
}

void TPreferenceForm::ClearPreferencesClick() {
    if (prompts_.Message(
            QStringLiteral("Confirm deletion"),
            QStringLiteral("Are you sure you wish to delete all preference information?"),
            ui::Icon::Warning, ui::Buttons::YesNo) != ui::Answer::Yes) {
        return;
    }
    document_.Apply("Clear Preferences", [](Model& m) { m.ClearPreferences(); });
}

} // namespace velor::elicit
