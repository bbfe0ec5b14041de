// Printing, copying and saving a chart: to a PDF printer, to the clipboard as a picture, and
// to PNG, SVG and PDF files, with the failures reported.
#include "views_fixture.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QPrinter>
#include <QProcess>

namespace velor::ui::test {
namespace {

QByteArray Head(const QString& path, int n) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.read(n);
}

TEST_F(ViewsTest, ChartPrintsToAPdfFile) {
    OpenExample("car.vlr");
    ValueIntervalsView* view = ShowValueIntervals();
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString path = FilePath(QStringLiteral("chart.pdf"));
    printer.setOutputFileName(path);
    ASSERT_TRUE(view->Print(printer));
    EXPECT_EQ(Head(path, 4), QByteArray("%PDF"));
    EXPECT_GT(QFile(path).size(), 1000);
}

TEST_F(ViewsTest, CopyPutsThePictureOnTheClipboard) {
    OpenExample("car.vlr");
    ValueIntervalsView* view = ShowValueIntervals();
    EXPECT_EQ(view->Popup()->objectName(), QStringLiteral("ValIntPopup"));
    EXPECT_EQ(view->CopyAction()->text(), QStringLiteral("&Copy"));
    EXPECT_EQ(view->CopyAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    view->CopyAction()->trigger();
    ASSERT_FALSE(prompts.clipboardImage.isNull());
    EXPECT_GE(prompts.clipboardImage.width(), view->Chart()->minimumSizeHint().width());

    // Ctrl+C in the view copies too.
    prompts.clipboardImage = QImage();
    view->Chart()->setFocus();
    QTest::keyClick(view->Chart(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_FALSE(prompts.clipboardImage.isNull());

    // A refused picture is reported, not passed over.
    prompts.refuseImage = true;
    view->CopyAction()->trigger();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Cannot copy the chart to the clipboard."));
}

TEST_F(ViewsTest, SavePictureWritesPngSvgAndPdf) {
    OpenExample("car.vlr");
    WeightsView* view = ShowWeights();
    const QString png = FilePath(QStringLiteral("w.png"));
    const QString svg = FilePath(QStringLiteral("w.svg"));
    const QString pdf = FilePath(QStringLiteral("w.pdf"));
    prompts.fileAnswers = {png, svg, pdf};
    for (int i = 0; i < 3; ++i) {
        view->SavePictureAction()->trigger();
    }
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(Head(png, 4), QByteArray("\x89PNG"));
    EXPECT_TRUE(Head(svg, 200).contains("<svg"));
    EXPECT_EQ(Head(pdf, 4), QByteArray("%PDF"));
    ASSERT_EQ(prompts.fileDialogs.size(), 3u);
    EXPECT_EQ(prompts.fileDialogs[0].defaultExtension, QStringLiteral("png"));

    QImage image(png);
    EXPECT_FALSE(image.isNull());
}

TEST_F(ViewsTest, FailedSaveIsReportedAndKeepsTheOldFile) {
    OpenExample("car.vlr");
    ValueIntervalsView* view = ShowValueIntervals();
    const QString missing = FilePath(QStringLiteral("no/such/folder/chart.png"));
    prompts.fileAnswers = {missing, QString()};
    view->SavePictureAction()->trigger();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text,
              QStringLiteral("Cannot save the picture into file ") + missing + QStringLiteral("."));
    EXPECT_EQ(prompts.messages[0].icon, Icon::Stop);
    EXPECT_FALSE(QFile::exists(missing));
    view->SavePictureAction()->trigger(); // cancelled: nothing written, nothing said
    EXPECT_EQ(prompts.messages.size(), 1u);
}

} // namespace
} // namespace velor::ui::test

namespace velor::ui::test {
namespace {

// Confirms the print dialog with a PDF file as the printer's output.
class PdfPrompts : public ScriptedPrompts {
public:
    QString pdfPath;
    bool PrintDialog(QPrinter& printer) override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
        return true;
    }
};

TEST_F(ViewsTest, PrintActiveWindowPrintsTheChartInFront) {
    PdfPrompts pdfPrompts;
    pdfPrompts.pdfPath = FilePath(QStringLiteral("active.pdf"));
    MainWindow main(pdfPrompts, SettingsPath());
    InstallResultViews(main, pdfPrompts);
    ASSERT_TRUE(main.OpenFile(QStringLiteral(VELOR_EXAMPLES_DIR "/job_offers.vlr")));
    main.show();
    main.Action(QStringLiteral("Weights1"))->trigger();
    ASSERT_NE(main.ResultViewWidget(ResultView::Weights), nullptr);
    main.Action(QStringLiteral("Print1"))->trigger();
    EXPECT_TRUE(pdfPrompts.messages.empty());
    EXPECT_EQ(Head(pdfPrompts.pdfPath, 4), QByteArray("%PDF"));
}

// The text of a PDF file, as pdftotext extracts it (layout kept, so names stay on one line).
QString PdfText(const QString& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext failed on " << pdf.toStdString();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Printing a grid prints all of it, not the part that happens to be visible in its window.
TEST_F(ViewsTest, PrintingTheDecisionRulesPrintsEveryRowAndColumn) {
    model().AddNode(kGoal, kNone);
    QStringList names;
    for (int i = 1; i <= 30; ++i) {
        const int row = model().NewAlternative();
        names << QStringLiteral("Candidate number %1 with a long name").arg(i);
        model().CommitCellText(1, row, names.back().toStdString(), true);
    }
    DecisionRulesView* view = ShowDecisionRules();
    ResizeWindow(view, 300, 150); // far too small to show everything
    const QString pdf = FilePath(QStringLiteral("rules.pdf"));
    prompts.printFile = pdf;
    prompts.printAnswer = true;
    window->Action(QStringLiteral("Print1"))->trigger();
    const QString text = PdfText(pdf);
    for (const QString& name : names) {
        EXPECT_TRUE(text.contains(name)) << name.toStdString();
    }
    for (const char* rule : kDecisionRuleNames) {
        EXPECT_TRUE(text.contains(QString::fromLatin1(rule))) << rule;
    }
    EXPECT_TRUE(text.contains(QStringLiteral("Possible Loss")));
    EXPECT_TRUE(text.contains(QStringLiteral("Decision Rules")));
}

} // namespace
} // namespace velor::ui::test
