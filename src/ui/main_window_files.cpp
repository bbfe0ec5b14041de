// The main window's file commands: new, open, save, save as, the recent files and the exports.
#include "ui/action_ids.h"
#include "ui/main_window.h"

#include "calc/constraint_file.h"
#include "calc/results_report.h"
#include "model/consequence_csv.h"
#include "model/file_replace.h"
#include "model/model_file.h"
#include "report/results_csv.h"
#include "ui/conflict_window.h"
#include "ui/empty_state.h"
#include "ui/prompts.h"
#include "ui/report_export.h"
#include "ui/ui_text.h"

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QStatusBar>
#include <QUrl>

namespace velor::ui {

namespace {

// Whether a path ends in "." + suffix, in any case.
bool HasSuffix(const QString& path, const char* suffix) {
    return QFileInfo(path).suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0;
}

} // namespace

namespace {

const QString kModelFilter = QStringLiteral("Velor Models (*.vlr);;All Files (*)");

} // namespace

void MainWindow::UpdateCaption() {
    QString caption = kAppTitle;
    if (!FileName().empty()) {
        caption += QStringLiteral(" - ") + ToQ(FileName());
    }
    setWindowTitle(caption);
}

void MainWindow::RebuildRecentMenu() {
    const int count = recent_.Count();
    recentSeparator_->setVisible(count > 0);
    const std::vector<std::string> captions = recent_.MenuCaptions();
    for (int k = 1; k <= RecentFiles::kCapacity; ++k) {
        QAction* action = recentActions_[static_cast<std::size_t>(k - 1)];
        const bool shown = k <= count;
        action->setVisible(shown);
        action->setText(shown ? ToQ(captions[static_cast<std::size_t>(k - 1)]) : QString());
        action->setStatusTip(shown ? ToQ(recent_.RecentFile(k)) : QString());
    }
    if (emptyState_ != nullptr) {
        emptyState_->UpdateRecent();
    }
}

void MainWindow::ClearModel(bool keepResultViews) {
    if (!keepResultViews) {
        CloseResultViews();
    }
    firstResultsShown_ = false;
    // Its statements belong to the model that goes.
    if (conflict_ != nullptr) {
        conflict_->hide();
    }
    document_.Clear();
    UpdateCaption();
    UpdateStatusPanels();
}

void MainWindow::NewClick() {
    if (document_.Changed() &&
        prompts_.Message(QStringLiteral("Clear Existing Model"),
                         QStringLiteral("Are you sure you want to clear the current model?"),
                         Icon::Question, Buttons::YesNo) != Answer::Yes) {
        return;
    }
    ClearModel();
}

void MainWindow::OpenExampleClick() {
    if (!UnsavedModelQuestion()) {
        return;
    }
    FileDialogRequest request;
    request.title = QStringLiteral("Open an Example Model");
    request.filter = kModelFilter;
    request.defaultExtension = QStringLiteral("vlr");
    const QString folder = ExamplesFolder();
    request.initialPath = folder.isEmpty() ? QDir::currentPath() : folder;
    const QString path = prompts_.OpenFileName(request);
    if (!path.isEmpty()) {
        OpenFile(path);
    }
}

bool MainWindow::UnsavedModelQuestion() {
    if (!document_.Changed()) {
        return true;
    }
    switch (prompts_.Message(QStringLiteral("Model Unsaved"),
                             QStringLiteral("The model is not saved. Do you want to save it "
                                            "before opening another model?"),
                             Icon::Warning, Buttons::YesNoCancel)) {
    case Answer::Yes:
        // The command goes on only when the model was saved: a cancelled Save As or a failed
        // write keeps the model and its changes.
        return SaveClick() && !document_.Changed();
    case Answer::No:
        return true;
    default:
        return false;
    }
}

void MainWindow::OpenClick() {
    if (!UnsavedModelQuestion()) {
        return;
    }
    FileDialogRequest request;
    request.title = QStringLiteral("Open Velor Model");
    request.filter = kModelFilter;
    request.defaultExtension = QStringLiteral("vlr");
    request.initialPath = QDir::currentPath();
    const QString path = prompts_.OpenFileName(request);
    if (!path.isEmpty()) {
        OpenFile(path);
    }
}

bool MainWindow::OpenFile(const QString& path) {
    const std::string name = ToStd(path);
    if (name == FileName() && !document_.Changed()) {
        return true;
    }
    // The open result views stay and show the new model's results.
    ClearModel(true);
    Model loaded;
    std::string reason;
    if (!LoadModelFile(loaded, name, &reason)) {
        CloseResultViews();
        prompts_.InformWithDetail(kAppTitle, ToQ(InvalidModelMessage(name)), ToQ(reason),
                                  Icon::Stop);
        return false;
    }
    document_.Reset(std::move(loaded), name);
    UpdateCaption();
    UpdateStatusPanels();
    recent_.AddRecentFile(name);
    RebuildRecentMenu();
    return true;
}

namespace {

// The one local file a drag carries; empty for anything else (text, several files, remote URLs).
QString DraggedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1) {
        return {};
    }
    const QUrl url = data->urls().constFirst();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

} // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (!DraggedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString path = DraggedFile(event->mimeData());
    if (path.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    // After the drop has finished: the questions are modal, and the program the file came from
    // waits for the drop to end.
    QMetaObject::invokeMethod(
        this, [this, path] { RunCommand([this, path] { OpenDroppedFile(path); }); },
        Qt::QueuedConnection);
}

void MainWindow::OpenDroppedFile(const QString& path) {
    const std::string name = ToStd(path);
    Model probe;
    std::string reason;
    if (!LoadModelFile(probe, name, &reason)) {
        prompts_.InformWithDetail(kAppTitle, ToQ(InvalidModelMessage(name)), ToQ(reason),
                                  Icon::Stop);
        return;
    }
    if (UnsavedModelQuestion()) {
        OpenFile(path);
    }
}

void MainWindow::OpenRecentFile(int k) {
    const std::string path = recent_.RecentFile(k);
    if (path.empty() || !UnsavedModelQuestion()) {
        return;
    }
    OpenFile(ToQ(path));
}

bool MainWindow::WriteModel(const QString& path) {
    const std::string name = ToStd(path);
    std::string error;
    // Results calculated for another state of the model are saved as not calculated.
    bool staleCleared = false;
    const Model saved = document_.ModelToSave(&staleCleared);
    if (!SaveModelFile(saved, name, &error)) {
        prompts_.Inform(kAppTitle,
                        QStringLiteral("Cannot save into file ") + path + QStringLiteral("."),
                        Icon::Stop);
        return false;
    }
    recent_.AddRecentFile(name);
    RebuildRecentMenu();
    document_.MarkSaved(name);
    UpdateCaption();
    if (staleCleared) {
        statusBar()->showMessage(
            QStringLiteral("The results were out of date: the file holds them as not calculated."),
            15000);
    }
    return true;
}

bool MainWindow::SaveClick() {
    if (FileName().empty()) {
        return SaveAsClick();
    }
    return WriteModel(ToQ(FileName()));
}

bool MainWindow::SaveAsClick() {
    FileDialogRequest request;
    request.title = QStringLiteral("Save Velor Model");
    request.filter = kModelFilter;
    request.defaultExtension = QStringLiteral("vlr");
    request.initialPath = FileName().empty() ? QStringLiteral("Untitled.vlr") : ToQ(FileName());
    const QString path = prompts_.SaveFileName(request);
    if (path.isEmpty()) {
        return false;
    }
    return WriteModel(path);
}

QString MainWindow::AskExportPath(const QString& title, const QString& filter,
                                  const char* extension) {
    FileDialogRequest request;
    request.title = title;
    request.filter = filter;
    request.defaultExtension = QLatin1String(extension);
    request.initialPath = ToQ(ProposedExportName(FileName(), std::string(".") + extension));
    const QString path = prompts_.SaveFileName(request);
    if (!path.isEmpty() && !FileName().empty() && SameFile(ToStd(path), FileName())) {
        prompts_.Inform(kAppTitle,
                        QStringLiteral("The export cannot be written into the model's own file ") +
                            QDir::toNativeSeparators(ToQ(FileName())) + QLatin1Char('.'),
                        Icon::Stop);
        return {};
    }
    return path;
}

void MainWindow::ReportExport(bool written, const QString& path, const QString& doneMessage) {
    if (written) {
        prompts_.Inform(kAppTitle, doneMessage, Icon::Information);
    } else {
        prompts_.Inform(kAppTitle, ToQ(CannotWriteMessage(ToStd(path))), Icon::Stop);
    }
}

void MainWindow::ExportModelClick() {
    const TConstraintModel exported = ConstraintExportModel(GetModel());
    const QString path = AskExportPath(QStringLiteral("Export Constraints"),
                                       QStringLiteral("LPX Models (*.mdl);;All files (*)"), "mdl");
    if (path.isEmpty()) {
        return;
    }
    ReportExport(WriteConstraintFile(exported, ToStd(path)), path,
                 ToQ(kConstraintsExportedMessage));
}

void MainWindow::ExportResultsClick() {
    const QString path = AskExportPath(
        QStringLiteral("Export Results"),
        QStringLiteral("Text Files (*.txt);;CSV Files (*.csv);;All files (*)"), "txt");
    if (path.isEmpty()) {
        return;
    }
    // A ".csv" file gets the results as a table for a spreadsheet, any other the text report.
    bool written = false;
    if (HasSuffix(path, "csv")) {
        std::string text;
        written = ResultsCsv(GetModel(), ',', text) && WriteFileSafely(ToStd(path), text, nullptr);
    } else {
        written = WriteResultsReport(GetModel(), ToStd(path));
    }
    ReportExport(written, path, ToQ(kResultsExportedMessage));
}

void MainWindow::ImportConsequencesClick() {
    FileDialogRequest request;
    request.title = QStringLiteral("Import Consequences");
    request.filter = QStringLiteral("CSV Files (*.csv *.tsv *.txt);;All files (*)");
    const QString path = prompts_.OpenFileName(request);
    if (path.isEmpty()) {
        return;
    }
    const QString cannot =
        QStringLiteral("Cannot import the consequences of ") + path + QStringLiteral(".\n");
    std::string text;
    std::string reason;
    if (!ReadRegularFile(ToStd(path), text, reason, kMaxCsvFileSize)) {
        prompts_.Inform(kAppTitle, cannot + ToQ(reason), Icon::Stop);
        return;
    }
    // The file is read once; the plan follows the choices made in the dialog.
    const auto plan = [&](const ImportChoices& choices, ConsequenceImportPlan& result,
                          CsvError& error) {
        CsvTable table;
        ConsequenceImportOptions options;
        options.AddUnmatchedColumns = choices.addUnmatched;
        return ParseCsv(text, choices.separator, table, &error) &&
               PlanConsequenceImport(GetModel(), table, options, result, &error);
    };
    const auto preview = [&](const ImportChoices& choices) {
        ConsequenceImportPlan result;
        CsvError error;
        if (!plan(choices, result, error)) {
            return ImportPreview{cannot + ToQ(error.Text()), false};
        }
        QString lines;
        for (const std::string& line : result.Describe()) {
            lines += ToQ(line) + QLatin1Char('\n');
        }
        return ImportPreview{lines, true};
    };
    const std::optional<ImportChoices> choices =
        prompts_.ImportDialog(QStringLiteral("Import Consequences"), ImportChoices{}, preview);
    if (!choices) {
        return;
    }
    ConsequenceImportPlan result;
    CsvError error;
    if (!plan(*choices, result, error)) {
        prompts_.Inform(kAppTitle, cannot + ToQ(error.Text()), Icon::Stop);
        return;
    }
    document_.Apply(kImportConsequencesLabel,
                    [&result](Model& m) { ApplyConsequenceImport(m, result); });
}

void MainWindow::ExportConsequencesClick() {
    const QString path = AskExportPath(QStringLiteral("Export Consequences"),
                                       QStringLiteral("CSV Files (*.csv);;All files (*)"), "csv");
    if (path.isEmpty()) {
        return;
    }
    ReportExport(WriteFileSafely(ToStd(path), ConsequenceCsv(GetModel()), nullptr), path,
                 QStringLiteral("Consequences exported successfully."));
}

void MainWindow::ExportReportClick() {
    const QString path = AskExportPath(
        QStringLiteral("Export Report"),
        QStringLiteral("HTML Files (*.html *.htm);;PDF Files (*.pdf);;All files (*)"), "html");
    if (path.isEmpty()) {
        return;
    }
    const QString shownFile =
        FileName().empty() ? QString() : QDir::toNativeSeparators(ToQ(FileName()));
    ReportExport(WriteDecisionReport(GetModel(), shownFile, document_.ResultsOutOfDate(), path,
                                     nullptr, document_.Acceptability(),
                                     document_.AcceptabilityOutOfDate()),
                 path, QStringLiteral("Report exported successfully."));
}

} // namespace velor::ui
