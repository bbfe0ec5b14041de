// Printing, copying and saving a chart: to a PDF printer, to the clipboard as a picture, and
// to PNG, SVG and PDF files, with the failures reported.
#include "views_fixture.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QPrinter>

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

} // namespace
} // namespace velor::ui::test
