#include "ui/views/what_if_window.h"

#include "model/number_format.h"
#include "ui/main_window.h"
#include "ui/prompts.h"
#include "ui/ui_text.h"
#include "ui/views/picture_file.h"
#include "ui/views/tornado_chart.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <numeric>

namespace velor::ui {

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// The host of an analysis run without a progress dialog.
class SilentHost : public CalcHost {
public:
    bool CancelRequested() override { return false; }
    void ShowProgress(int, int) override {}
    bool AskContinue(const std::string&) override { return false; }
    void ShowMessage(MessageKind, const std::string&) override {}
};

const QString kOutOfDateText =
    QStringLiteral("The model has changed since this analysis: analyse again to update it.");

} // namespace

WhatIfWindow::WhatIfWindow(Document& document, Prompts& prompts, QWidget* parent)
    : QWidget(parent), document_(document), prompts_(prompts) {
    setObjectName(QStringLiteral("WhatIfView"));
    setWindowTitle(QStringLiteral("What If"));
    auto* layout = new QVBoxLayout(this);
    auto* pickers = new QHBoxLayout;
    better_ = new QComboBox(this);
    better_->setObjectName(QStringLiteral("BetterCombo"));
    than_ = new QComboBox(this);
    than_->setObjectName(QStringLiteral("ThanCombo"));
    analyse_ = new QPushButton(QStringLiteral("&Analyse"), this);
    analyse_->setObjectName(QStringLiteral("AnalyseButton"));
    auto* betterLabel = new QLabel(QStringLiteral("What would make"), this);
    auto* thanLabel = new QLabel(QStringLiteral("dominate"), this);
    betterLabel->setBuddy(better_);
    thanLabel->setBuddy(than_);
    pickers->addWidget(betterLabel);
    pickers->addWidget(better_, 1);
    pickers->addWidget(thanLabel);
    pickers->addWidget(than_, 1);
    pickers->addWidget(analyse_);
    layout->addLayout(pickers);
    banner_ = new QLabel(this);
    banner_->setObjectName(QStringLiteral("WhatIfBanner"));
    banner_->setStyleSheet(QStringLiteral("QLabel { background: #fff3c4; padding: 4px; }"));
    banner_->hide();
    layout->addWidget(banner_);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("WhatIfTabs"));
    auto* changesPage = new QWidget(tabs_);
    auto* changesLayout = new QVBoxLayout(changesPage);
    summary_ =
        new QLabel(QStringLiteral("Choose two alternatives and press Analyse."), changesPage);
    summary_->setObjectName(QStringLiteral("SummaryLabel"));
    summary_->setWordWrap(true);
    changes_ = new QListWidget(changesPage);
    changes_->setObjectName(QStringLiteral("ChangeList"));
    changes_->setWordWrap(true);
    add_ = new QPushButton(QStringLiteral("Add This &Statement"), changesPage);
    add_->setObjectName(QStringLiteral("AddStatementButton"));
    changesLayout->addWidget(summary_);
    changesLayout->addWidget(changes_, 1);
    changesLayout->addWidget(add_, 0, Qt::AlignRight);
    tabs_->addTab(changesPage, QStringLiteral("Changes"));
    chart_ = new TornadoChart(tabs_);
    tabs_->addTab(chart_, QStringLiteral("Tornado"));
    auto* stabilityPage = new QWidget(tabs_);
    auto* stabilityLayout = new QVBoxLayout(stabilityPage);
    stabilityInfo_ = new QLabel(
        QStringLiteral("How far each stated bound can move, everything else as it is, before a "
                       "dominance or a decision rule's recommendation changes. Narrowest first."),
        stabilityPage);
    stabilityInfo_->setWordWrap(true);
    stabilityButton_ = new QPushButton(QStringLiteral("&Calculate Stability"), stabilityPage);
    stabilityButton_->setObjectName(QStringLiteral("StabilityButton"));
    stability_ = new QTableWidget(0, 4, stabilityPage);
    stability_->setObjectName(QStringLiteral("StabilityTable"));
    stability_->setHorizontalHeaderLabels({QStringLiteral("Statement"), QStringLiteral("Now"),
                                           QStringLiteral("From"), QStringLiteral("To")});
    stability_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    stability_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    stability_->verticalHeader()->hide();
    stabilityLayout->addWidget(stabilityInfo_);
    stabilityLayout->addWidget(stabilityButton_, 0, Qt::AlignLeft);
    stabilityLayout->addWidget(stability_, 1);
    tabs_->addTab(stabilityPage, QStringLiteral("Stability"));
    layout->addWidget(tabs_, 1);

    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("WhatIfPopup"));
    popup_->addAction(QStringLiteral("&Print Chart..."), this, &WhatIfWindow::PrintClick)
        ->setObjectName(QStringLiteral("ChartPrint"));
    popup_->addAction(QStringLiteral("&Copy"), this, &WhatIfWindow::CopyClick)
        ->setObjectName(QStringLiteral("ChartCopy"));
    popup_->addAction(QStringLiteral("&Save Picture..."), this, &WhatIfWindow::SavePictureClick)
        ->setObjectName(QStringLiteral("ChartSavePicture"));

    connect(analyse_, &QPushButton::clicked, this, &WhatIfWindow::AnalyseClick);
    connect(add_, &QPushButton::clicked, this, &WhatIfWindow::AddStatementClick);
    connect(stabilityButton_, &QPushButton::clicked, this, &WhatIfWindow::StabilityClick);
    connect(changes_, &QListWidget::currentRowChanged, this, [this] { UpdateState(); });
    document_.GetModel().AddObserver(this);
    RefreshAlternatives();
    UpdateState();
}

WhatIfWindow::~WhatIfWindow() {
    document_.GetModel().RemoveObserver(this);
}

char WhatIfWindow::DecimalSeparator() const {
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 && point[0].unicode() < 128 ? static_cast<char>(point[0].unicode())
                                                         : '.';
}

void WhatIfWindow::RefreshAlternatives() {
    const Model& model = document_.GetModel();
    const int keepBetter = better_->currentIndex();
    const int keepThan = than_->currentIndex();
    const bool keep = better_->count() == model.M() && model.M() > 0;
    better_->clear();
    than_->clear();
    for (int row = 1; row <= model.M(); ++row) {
        better_->addItem(Text(model.AlternativeName(row)));
        than_->addItem(Text(model.AlternativeName(row)));
    }
    if (keep && keepBetter >= 0 && keepThan >= 0) {
        better_->setCurrentIndex(keepBetter);
        than_->setCurrentIndex(keepThan);
        return;
    }
    std::vector<int> rows(static_cast<std::size_t>(model.M()));
    std::iota(rows.begin(), rows.end(), 1);
    if (model.Calculated().AnyMainValues()) {
        const auto central = [&](int row) {
            const TAlternativeData& data = model.Alternative(row);
            return (data.ValueLower + data.ValueUpper) / 2.0;
        };
        std::stable_sort(rows.begin(), rows.end(),
                         [&](int a, int b) { return central(a) > central(b); });
    }
    if (rows.size() >= 2) {
        better_->setCurrentIndex(rows[0] - 1);
        than_->setCurrentIndex(rows[1] - 1);
    }
}

bool WhatIfWindow::Run(
    const char* status,
    const std::function<std::pair<AnalysisStatus, std::string>(CalcHost&)>& analyse) {
    bool completed = false;
    const auto run = [&](CalcHost& host) {
        host.ResetCancel();
        host.RunStarted(status);
        const auto [ended, message] = analyse(host);
        host.RunFinished();
        completed = ended == AnalysisStatus::Completed;
        if (ended == AnalysisStatus::Cancelled) {
            host.ShowMessage(MessageKind::Warning,
                             "The analysis was not finished; the previous one is kept.");
        } else if (!completed) {
            host.ShowMessage(MessageKind::Error, message);
        }
    };
    if (runAnalysis) {
        runAnalysis(run);
    } else {
        SilentHost host;
        run(host);
    }
    return completed;
}

void WhatIfWindow::Reopen() {
    RefreshAlternatives();
    UpdateState();
}

void WhatIfWindow::AnalyseClick() {
    const Model& model = document_.GetModel();
    const int better = better_->currentIndex() + 1;
    const int than = than_->currentIndex() + 1;
    if (better < 1 || than < 1 || better == than) {
        prompts_.Inform(kAppTitle, QStringLiteral("Choose two different alternatives."),
                        Icon::Information);
        return;
    }
    const char separator = DecimalSeparator();
    WhatIfOutcome outcome;
    if (!Run("What if...", [&](CalcHost& host) {
            outcome = AnalyzePair(model, better, than, &host, separator);
            return std::make_pair(outcome.Status, outcome.Message);
        })) {
        return;
    }
    result_ = std::move(outcome.Result);
    analysed_ = model;
    ShowPairResult();
}

void WhatIfWindow::ShowPairResult() {
    changes_->clear();
    if (!result_ || !analysed_) {
        return;
    }
    const Model& model = *analysed_;
    const QString a = Text(model.AlternativeName(result_->Better));
    const QString b = Text(model.AlternativeName(result_->Than));
    const QString margin = QLocale().toString(result_->MarginNow, 'f', 3);
    if (result_->DominatesNow) {
        summary_->setText(QStringLiteral("%1 dominates %2 now (the smallest value difference is "
                                         "%3).")
                              .arg(a, b, margin));
    } else if (result_->Changes.empty()) {
        summary_->setText(QStringLiteral("%1 does not dominate %2 (the value difference can be "
                                         "as low as %3), and no single change of one bound of "
                                         "one statement would make it.")
                              .arg(a, b, margin));
    } else {
        summary_->setText(QStringLiteral("%1 does not dominate %2 (the value difference can be "
                                         "as low as %3). Each of these changes would make it:")
                              .arg(a, b, margin));
    }
    for (const WhatIfChange& change : result_->Changes) {
        changes_->addItem(Text(change.Text));
    }
    if (changes_->count() > 0) {
        changes_->setCurrentRow(0);
    }
    QStringList names;
    for (const TornadoBar& bar : result_->Tornado) {
        names << Text(model.Exists(bar.Node) ? model.Node(bar.Node).Name : std::string());
    }
    chart_->SetBars(result_->Tornado, names,
                    QStringLiteral("Value of %1 minus value of %2 by weight").arg(a, b));
    UpdateState();
}

void WhatIfWindow::AddStatementClick() {
    const int row = changes_->currentRow();
    if (!result_ || !analysed_ || row < 0 || row >= static_cast<int>(result_->Changes.size()) ||
        !(document_.GetModel() == *analysed_)) {
        return;
    }
    const WhatIfChange change = result_->Changes[static_cast<std::size_t>(row)];
    document_.Apply("Add Statement", [&change](Model& model) { ApplyChange(model, change); });
}

void WhatIfWindow::StabilityClick() {
    const Model& model = document_.GetModel();
    const char separator = DecimalSeparator();
    StabilityOutcome outcome;
    if (!Run("Stability...", [&](CalcHost& host) {
            outcome = AnalyzeStability(model, &host, separator);
            return std::make_pair(outcome.Status, outcome.Message);
        })) {
        return;
    }
    stabilityResult_ = std::move(outcome.Result);
    stabilityModel_ = model;
    ShowStability();
}

void WhatIfWindow::ShowStability() {
    stability_->setRowCount(0);
    if (!stabilityResult_) {
        return;
    }
    const QLocale locale;
    const auto number = [&](const std::optional<double>& value) {
        return value ? Text(FormatNumber(*value, DecimalSeparator())) : QStringLiteral("open");
    };
    stability_->setRowCount(static_cast<int>(stabilityResult_->Intervals.size()));
    int row = 0;
    for (const StabilityInterval& interval : stabilityResult_->Intervals) {
        stability_->setItem(row, 0, new QTableWidgetItem(Text(interval.Text)));
        stability_->setItem(row, 1, new QTableWidgetItem(number(interval.Value)));
        stability_->setItem(row, 2, new QTableWidgetItem(number(interval.Low)));
        stability_->setItem(row, 3, new QTableWidgetItem(number(interval.High)));
        ++row;
    }
    UpdateState();
}

void WhatIfWindow::UpdateState() {
    const Model& model = document_.GetModel();
    const bool pairCurrent = analysed_ && model == *analysed_;
    const bool stabilityCurrent = stabilityModel_ && model == *stabilityModel_;
    const bool outOfDate = (analysed_ && !pairCurrent) || (stabilityModel_ && !stabilityCurrent);
    banner_->setText(kOutOfDateText);
    banner_->setVisible(outOfDate);
    add_->setEnabled(pairCurrent && changes_->currentRow() >= 0);
    analyse_->setEnabled(model.M() >= 2);
}

void WhatIfWindow::ModelChanged(ModelChange what) {
    if (what == ModelChange::Table || what == ModelChange::Tree) {
        RefreshAlternatives();
    }
    UpdateState();
}

void WhatIfWindow::contextMenuEvent(QContextMenuEvent* event) {
    popup_->popup(event->globalPos());
    event->accept();
}

bool WhatIfWindow::Print(QPrinter& printer) {
    return PrintPicture(printer, chart_->Title(),
                        [this](QPainter& painter, const QRectF& target) {
                            chart_->Render(painter, target);
                        });
}

void WhatIfWindow::PrintView(QPrinter& printer) {
    if (!Print(printer)) {
        prompts_.Inform(kAppTitle, QStringLiteral("Cannot print the chart."), Icon::Stop);
    }
}

void WhatIfWindow::PrintClick() {
    if (prompts_.PrintDialog(printer_)) {
        PrintView(printer_);
    }
}

bool WhatIfWindow::CopyToClipboard() {
    // The list of changes or the stability table as text where one of them is shown, else the
    // chart as a picture.
    if (tabs_->currentIndex() == 0) {
        QStringList lines{summary_->text()};
        for (int i = 0; i < changes_->count(); ++i) {
            lines << changes_->item(i)->text();
        }
        prompts_.SetClipboardText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        return true;
    }
    if (tabs_->currentIndex() == 2) {
        QStringList lines;
        for (int row = 0; row < stability_->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < stability_->columnCount(); ++column) {
                cells << stability_->item(row, column)->text();
            }
            lines << cells.join(QLatin1Char('\t'));
        }
        prompts_.SetClipboardText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        return true;
    }
    return prompts_.SetClipboardImage(chart_->ToImage());
}

void WhatIfWindow::CopyClick() {
    if (!CopyToClipboard()) {
        prompts_.Inform(kAppTitle, QStringLiteral("Cannot copy to the clipboard."), Icon::Stop);
    }
}

bool WhatIfWindow::SavePicture(const QString& path) {
    return SavePictureFile(
        path, {chart_->PictureSize(), chart_->Title(),
               [this](QPainter& painter, const QRectF& target) { chart_->Render(painter, target); },
               [this](qreal scale) { return chart_->ToImage(scale); }});
}

void WhatIfWindow::SavePictureClick() {
    SavePictureWithDialog(prompts_, windowTitle(),
                          [this](const QString& path) { return SavePicture(path); });
}

void InstallWhatIfWindow(MainWindow& window, Prompts& prompts) {
    window.SetWhatIfFactory(
        [&prompts](Document& document, const MainWindow::AnalysisRunner& runner) {
            auto* view = new WhatIfWindow(document, prompts);
            view->runAnalysis = runner;
            return view;
        });
}

} // namespace velor::ui
