// The file menu's spreadsheet and report commands: consequences imported from CSV in one undoable
// step after the import dialog showed what would happen, a bad table refused with its line and
// nothing changed, consequences and results exported as CSV, and the decision report written as
// HTML and as a PDF whose text holds every alternative and node name.
#include "gui_fixture.h"

#include "model/consequence_csv.h"
#include "model/model_file.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace velor::ui::test {
namespace {

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class ReportCommands : public GuiTest {
protected:
    void OpenCar() {
        const QString copy = FilePath(QStringLiteral("car.vlr"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VELOR_EXAMPLES_DIR "/car.vlr"), copy));
        ASSERT_TRUE(window->OpenFile(copy));
    }
    void Trigger(const char* action) { window->Action(QString::fromLatin1(action))->trigger(); }
};

TEST_F(ReportCommands, ImportIsOneUndoableStepAfterThePreview) {
    OpenCar();
    const Model before = window->GetModel();
    const QString csv = FilePath(QStringLiteral("more.csv"));
    WriteBytes(csv,
               "Name;Purchase price;Colour\r\nCompact hatchback;\"19 900 \xe2\x82\xac\";red\r\n"
               "Roadster;\"45,000\";yellow\r\n");
    prompts.fileAnswers.push_back(csv);
    prompts.importAnswers.push_back(ImportChoices{});
    Trigger("ImportConsequences");
    ASSERT_EQ(prompts.importPreviews.size(), 1u);
    const ImportPreview& preview = prompts.importPreviews[0];
    EXPECT_TRUE(preview.ok);
    for (const char* part : {"Separator: semicolon.", "1 added, 1 replaced, 4 kept",
                             "New attributes: Colour", "lose their rank"}) {
        EXPECT_TRUE(preview.text.contains(QString::fromUtf8(part))) << part << "\n"
                                                                    << preview.text.toStdString();
    }
    const Model& after = window->GetModel();
    EXPECT_EQ(after.M(), before.M() + 1);
    EXPECT_EQ(after.AlternativeName(after.M()), "Roadster");
    EXPECT_EQ(document().UndoLabel(), kImportConsequencesLabel);
    EXPECT_TRUE(document().ResultsOutOfDate());
    ASSERT_TRUE(document().Undo());
    EXPECT_EQ(window->GetModel(), before);
}

TEST_F(ReportCommands, TheDialogsChoicesDecideAndCancelChangesNothing) {
    OpenCar();
    const Model before = window->GetModel();
    const QString csv = FilePath(QStringLiteral("tab.csv"));
    WriteBytes(csv, "Name\tColour,Shade\nCompact hatchback\tred,dark\n");
    prompts.fileAnswers.push_back(csv);
    prompts.importAnswers.push_back(std::nullopt);
    Trigger("ImportConsequences");
    EXPECT_EQ(window->GetModel(), before);
    EXPECT_FALSE(document().CanUndo());

    // Tab chosen by hand, the unmatched column left out: nothing is left to import.
    prompts.fileAnswers.push_back(csv);
    prompts.importAnswers.push_back(ImportChoices{'\t', false});
    Trigger("ImportConsequences");
    EXPECT_TRUE(prompts.LastText().contains(QStringLiteral("no column names an attribute")));
    EXPECT_EQ(prompts.messages.back().icon, Icon::Stop);
    EXPECT_EQ(window->GetModel(), before);
}

TEST_F(ReportCommands, ABadTableChangesNeitherTheModelNorItsFile) {
    OpenCar();
    const QString modelFile = FilePath(QStringLiteral("car.vlr"));
    const QByteArray file = ReadBytes(modelFile);
    const Model before = window->GetModel();
    const QString csv = FilePath(QStringLiteral("bad.csv"));
    WriteBytes(csv, "Name,Purchase price\nCompact hatchback,1\nFamily estate\n");
    prompts.fileAnswers.push_back(csv);
    prompts.importAnswers.push_back(ImportChoices{});
    Trigger("ImportConsequences");
    ASSERT_EQ(prompts.importPreviews.size(), 1u);
    EXPECT_FALSE(prompts.importPreviews[0].ok);
    EXPECT_TRUE(prompts.importPreviews[0].text.contains(
        QStringLiteral("line 3: 1 field where the first line has 2")));
    EXPECT_EQ(prompts.messages.back().icon, Icon::Stop);
    EXPECT_EQ(window->GetModel(), before);
    EXPECT_FALSE(Changed());
    EXPECT_EQ(ReadBytes(modelFile), file);
}

TEST_F(ReportCommands, ConsequencesAndResultsAreExportedAsCsv) {
    OpenCar();
    const QString consequences = FilePath(QStringLiteral("consequences.csv"));
    prompts.fileAnswers.push_back(consequences);
    Trigger("ExportConsequences");
    EXPECT_EQ(prompts.fileDialogs.back().initialPath, QStringLiteral("car.csv"));
    EXPECT_EQ(prompts.LastText(), QStringLiteral("Consequences exported successfully."));
    EXPECT_EQ(ReadBytes(consequences).toStdString(), ConsequenceCsv(window->GetModel()));

    const QString results = FilePath(QStringLiteral("results.csv"));
    prompts.fileAnswers.push_back(results);
    Trigger("ExportResults");
    EXPECT_EQ(prompts.LastText(), QStringLiteral("Model data exported successfully."));
    EXPECT_TRUE(ReadBytes(results).contains("Dominance margins"));
}

TEST_F(ReportCommands, ReportAsHtmlAndAsPdf) {
    OpenCar();
    const Model& model = window->GetModel();
    const QString html = FilePath(QStringLiteral("car.html"));
    prompts.fileAnswers.push_back(html);
    Trigger("ExportReport");
    EXPECT_EQ(prompts.fileDialogs.back().initialPath, QStringLiteral("car.html"));
    EXPECT_EQ(prompts.LastText(), QStringLiteral("Report exported successfully."));
    const QString page = QString::fromUtf8(ReadBytes(html));
    EXPECT_TRUE(page.contains(QStringLiteral("<svg ")));

    const QString pdf = FilePath(QStringLiteral("car.pdf"));
    prompts.fileAnswers.push_back(pdf);
    Trigger("ExportReport");
    EXPECT_EQ(prompts.LastText(), QStringLiteral("Report exported successfully."));
    ASSERT_TRUE(ReadBytes(pdf).startsWith("%PDF"));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000));
    // pdftotext may break a long cell over two lines: compare without line ends.
    const QString words = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    for (int row = 1; row <= model.M(); ++row) {
        EXPECT_TRUE(words.contains(QString::fromStdString(model.AlternativeName(row))))
            << model.AlternativeName(row);
    }
    for (NodeId node : model.PreOrder()) {
        EXPECT_TRUE(words.contains(QString::fromStdString(model.Node(node).Name)))
            << model.Node(node).Name;
    }
    // The PDF, made to be passed on, names the model file without the folder it is in.
    EXPECT_TRUE(words.contains(QStringLiteral("car.vlr")));
    EXPECT_FALSE(words.contains(QFileInfo(dir.path()).fileName())) << words.toStdString();

    // A report into a folder that does not exist is refused and says so.
    prompts.fileAnswers.push_back(FilePath(QStringLiteral("no-such-folder/car.pdf")));
    Trigger("ExportReport");
    EXPECT_TRUE(prompts.LastText().startsWith(QStringLiteral("Cannot write to the file ")));
}

// The PDF of the car example after an acceptability analysis: small (the charts are vector
// graphics, the fonts subset), every word of every name whole on its line, the summary first and
// the analysis in it.
TEST_F(ReportCommands, PdfReportKeepsWordsWholeAndStaysSmall) {
    OpenCar();
    prompts.textAnswers.push_back(QStringLiteral("2000"));
    Trigger("AcceptabilityAnalysis1");
    ASSERT_NE(document().Acceptability(), nullptr);
    const QString pdf = FilePath(QStringLiteral("car.pdf"));
    prompts.fileAnswers.push_back(pdf);
    Trigger("ExportReport");
    ASSERT_EQ(prompts.LastText(), QStringLiteral("Report exported successfully."));
    EXPECT_LT(QFileInfo(pdf).size(), 300 * 1024);
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_TRUE(text.contains(QStringLiteral("Purchase price")));
    EXPECT_TRUE(text.contains(QStringLiteral("recommended")));
    const Model& model = window->GetModel();
    QStringList words;
    for (NodeId node : model.PreOrder()) {
        words << QString::fromStdString(model.Node(node).Name).split(QLatin1Char(' '));
    }
    for (int row = 1; row <= model.M(); ++row) {
        words << QString::fromStdString(model.AlternativeName(row)).split(QLatin1Char(' '));
    }
    for (const QString& word : words) {
        EXPECT_TRUE(text.contains(word)) << word.toStdString();
    }
    EXPECT_TRUE(text.simplified().contains(QStringLiteral("Ranks first in the acceptability analysis")));
}

TEST_F(ReportCommands, ReportOfAChangedModelSaysItsResultsAreOutOfDate) {
    OpenCar();
    document().Apply("Rename", [](Model& m) { m.CommitCellText(2, 1, "changed", false); });
    ASSERT_TRUE(document().ResultsOutOfDate());
    const QString html = FilePath(QStringLiteral("changed.html"));
    prompts.fileAnswers.push_back(html);
    Trigger("ExportReport");
    EXPECT_TRUE(ReadBytes(html).contains("out of date"));
}

// No export replaces the model's own file, whichever way its path is written.
class ExportOntoTheModel : public ReportCommands,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(ExportOntoTheModel, IsRefusedAndLeavesTheFileAsItWas) {
    OpenCar();
    const QString model = FilePath(QStringLiteral("car.vlr"));
    const QByteArray before = ReadBytes(model);
    const QString link = FilePath(QStringLiteral("link.vlr"));
    ASSERT_TRUE(QFile::link(model, link));
    for (const QString& path : {model, link, FilePath(QStringLiteral("./car.vlr"))}) {
        prompts.fileAnswers.push_back(path);
        Trigger(GetParam());
        EXPECT_TRUE(prompts.LastText().startsWith(
            QStringLiteral("The export cannot be written into the model's own file ")))
            << prompts.LastText().toStdString();
        EXPECT_EQ(prompts.messages.back().icon, Icon::Stop);
        EXPECT_EQ(ReadBytes(model), before) << path.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(EveryExport, ExportOntoTheModel,
                         ::testing::Values("ExportModel", "ExportResults", "ExportConsequences",
                                           "ExportReport"));

} // namespace
} // namespace velor::ui::test
