// The Acceptability view: the document's last acceptability analysis. A line says how many
// samples it took and with which seed; the first tab holds the rank acceptability chart (sortable
// by first-rank share), the second the pairwise winning table (the share of samples in which the
// row's alternative beats the column's), the third the central weights, both in %; each tab
// says in a line how to read it. It prints, copies and saves the chart like the
// interval charts; a banner says when the model changed since the analysis ran.
#pragma once

#include "model/document.h"
#include "model/model_observer.h"
#include "ui/printable_view.h"

#include <QPrinter>
#include <QWidget>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QTableWidget;
class QTabWidget;

namespace velor::ui {

class AcceptabilityChart;
class Prompts;

class AcceptabilityView : public QWidget, public ModelObserver, public PrintableView {
    Q_OBJECT
public:
    AcceptabilityView(const Document& document, Prompts& prompts, QWidget* parent = nullptr);
    ~AcceptabilityView() override;

    QLabel* Info() const { return info_; }
    QTabWidget* Tabs() const { return tabs_; }
    AcceptabilityChart* Chart() const { return chart_; }
    QTableWidget* PairwiseTable() const { return pairwise_; }
    QTableWidget* CentralWeightsTable() const { return central_; }
    // Sorts the bars of the chart by first-rank share.
    QCheckBox* SortBox() const { return sort_; }
    QMenu* Popup() const { return popup_; }
    QAction* PrintAction() const { return printAction_; }
    QAction* CopyAction() const { return copyAction_; }
    QAction* SavePictureAction() const { return saveAction_; }

    // Shows the document's analysis as it is now.
    void Refresh();

    bool Print(QPrinter& printer);
    void PrintView(QPrinter& printer) override;
    bool CopyToClipboard();
    // The format follows the extension (.png, .svg or .pdf).
    bool SavePicture(const QString& path);

    void PrintClick();
    void CopyClick();
    void SavePictureClick();

    void ModelChanged(ModelChange what) override;
    // Room for the bars of a handful of alternatives and their legend.
    QSize sizeHint() const override { return {760, 420}; }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    const Document& document_;
    Prompts& prompts_;
    QLabel* info_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    AcceptabilityChart* chart_ = nullptr;
    QTableWidget* pairwise_ = nullptr;
    QTableWidget* central_ = nullptr;
    QCheckBox* sort_ = nullptr;
    QMenu* popup_ = nullptr;
    QAction* printAction_ = nullptr;
    QAction* copyAction_ = nullptr;
    QAction* saveAction_ = nullptr;
    QPrinter printer_;
};

} // namespace velor::ui
