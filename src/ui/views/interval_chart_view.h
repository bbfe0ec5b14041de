// A child window with a node selector above an interval chart: the common part of the Value
// Intervals and Weights views. It prints itself, copies its chart to the clipboard as a picture
// and saves it as PNG, SVG or PDF.
#pragma once

#include "model/document.h"
#include "model/model.h"
#include "model/model_observer.h"
#include "ui/printable_view.h"
#include "ui/views/interval_chart.h"

#include <QPrinter>
#include <QWidget>

#include <optional>
#include <vector>

class QAction;
class QComboBox;
class QMenu;
class QScrollArea;

namespace velor::ui {

class Prompts;

class IntervalChartView : public QWidget, public ModelObserver, public PrintableView {
    Q_OBJECT
public:
    ~IntervalChartView() override;

    QComboBox* Combo() const { return combo_; }
    IntervalChart* Chart() const { return chart_; }
    QMenu* Popup() const { return popup_; }
    QAction* PrintAction() const { return printAction_; }
    QAction* CopyAction() const { return copyAction_; }
    QAction* SavePictureAction() const { return saveAction_; }

    // The nodes the selector lists, in its order.
    const std::vector<NodeId>& ComboNodes() const { return nodes_; }
    // The node chosen in the selector, kNone when none is.
    NodeId SelectedNode() const;

    // Refills the selector, keeping the chosen index when it is still valid (nothing given) or
    // choosing the given index (item 0 when it is not valid), and rebuilds the chart.
    void RefillCombo(std::optional<int> index = std::nullopt);
    // Redraws the chart from the stored results of the chosen node.
    void Rebuild();

    // Prints the chart on one page, scaled to fit; false when the printer cannot be opened.
    bool Print(QPrinter& printer);
    void PrintView(QPrinter& printer) override;
    // Copies the chart to the clipboard as a picture; false when the clipboard refused it.
    bool CopyToClipboard();
    // Saves the chart; the format follows the extension (.png, .svg or .pdf).
    bool SavePicture(const QString& path);

    // Menu commands.
    void PrintClick();
    void CopyClick();
    void SavePictureClick();

    void ModelChanged(ModelChange what) override;

protected:
    // note: the line that says how to read the chart.
    IntervalChartView(const Document& document, Prompts& prompts, const QString& formName,
                      const QString& caption, const QString& comboName, const QString& note);
    // Builds the popup menu; printCaption is the caption of its print item.
    void CreatePopup(const QString& popupName, const QString& printCaption);

    virtual std::vector<NodeId> ListedNodes() const = 0;
    // The chart of a node from the stored results (kNone: an empty chart with its axes).
    virtual chart::ChartContent ChartContent(NodeId node) const = 0;
    // Lays out the selector panel for the current width.
    virtual void PlaceCombo() = 0;
    // The height that shows the selector, the reading line, the banner when it is shown and the
    // whole chart at its smallest, for a view of the given width.
    int HeightForWholeChart(int width) const;

    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    const Model& model_;
    Prompts& prompts_;
    QWidget* toolbar_ = nullptr;
    QComboBox* combo_ = nullptr;

private:
    void ComboChange(int index);
    // When the out-of-date banner takes room above the chart, the window grows by what the
    // chart then lacks, as far as the space around it allows, so that the value axis and its
    // title stay in view.
    void KeepChartInView();

    IntervalChart* chart_ = nullptr;
    QWidget* note_ = nullptr;
    QWidget* banner_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QMenu* popup_ = nullptr;
    QAction* printAction_ = nullptr;
    QAction* copyAction_ = nullptr;
    QAction* saveAction_ = nullptr;
    QAction* unzoomAction_ = nullptr;
    QPrinter printer_;
    std::vector<NodeId> nodes_;
    bool filling_ = false;
};

} // namespace velor::ui
