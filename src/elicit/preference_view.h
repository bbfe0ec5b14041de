// The preference information view: the list of every assessment task of the model with its
// status, a child window of the main window. A double click opens the entry's dialog.
#pragma once

#include "elicit/dialog_context.h"
#include "model/model_observer.h"
#include "model/records.h"
#include "ui/printable_view.h"

#include <QTreeWidget>
#include <QWidget>

#include <functional>

class QAction;
class QMenu;

namespace velor::elicit {

class TPreferenceForm : public QWidget, public ModelObserver, public ui::PrintableView {
    Q_OBJECT
public:
    // Column widths of the list.
    static constexpr int kTypeWidth = 160;
    static constexpr int kReferencesWidth = 120;
    static constexpr int kAssessedWidth = 70;
    static constexpr int kRemarksWidth = 120;

    TPreferenceForm(Document& document, ui::Prompts& prompts, QWidget* parent = nullptr);
    ~TPreferenceForm() override;

    void ModelChanged(ModelChange what) override;
    // Wide enough for the four columns.
    QSize sizeHint() const override;
    // Prints every entry of the list with all its columns.
    void PrintView(QPrinter& printer) override;

    QTreeWidget* PrefView = nullptr;
    QMenu* PrefPopup = nullptr;
    QAction* ClearPreferencesAction = nullptr;

    // The entry an item of the list stands for.
    EntryId EntryOf(const QTreeWidgetItem* item) const;
    // Whether an item shows the marker of the weight mode in force.
    bool Marked(const QTreeWidgetItem* item) const;

    // Opens the selected entry's dialog outside the tour; nothing without a selection.
    void PrefViewDblClick();
    // Asks, then clears every rank, ratio statement and weight bound (the main goal keeps 100).
    void ClearPreferencesClick();
    // Rebuilds the list from the model's assessment list.
    void Refresh();
    void FitColumns(bool rebuilt);

    // The window that dialogs opened from the view are centred over (the main window).
    void SetDialogParent(QWidget* parent) { dialogParent_ = parent; }

private:
    Document& document_;
    const Model& model_;
    ui::Prompts& prompts_;
    QWidget* dialogParent_ = nullptr;
};

} // namespace velor::elicit
