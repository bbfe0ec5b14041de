// The desktop's conventions in the main window: Ctrl+Q quits through the close query, and a
// model file dropped onto the window opens through the unsaved-model question, while a file
// that is not a model is refused before anything changes.
#include "gui_fixture.h"
#include "model/model_file.h"

#include <QFile>
#include <QMimeData>
#include <QToolBar>
#include <QUrl>

namespace velor::ui::test {
namespace {

const QString kCloseQuery = QStringLiteral(
    "The model is not saved. Do you want to save it before closing Velor Decisions?");
const QString kOpenQuestion =
    QStringLiteral("The model is not saved. Do you want to save it before opening another model?");

class DesktopTest : public GuiTest {
protected:
    // A drop of `urls` onto the middle of the main window; true when the window took the drag.
    bool Drop(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        const QPointF middle(window->width() / 2.0, window->height() / 2.0);
        QDragEnterEvent enter(middle.toPoint(), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent drop(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &drop);
        // The file opens once the drop has finished.
        QCoreApplication::processEvents();
        return drop.isAccepted();
    }
    QString CopyOfExample() {
        const QString path = FilePath(QStringLiteral("dropped car.vlr"));
        QFile::copy(QStringLiteral(VELOR_EXAMPLES_DIR "/car.vlr"), path);
        return path;
    }
    void PressCtrlQ() { QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier); }
};

TEST_F(DesktopTest, CtrlQWithUnsavedChangesAsksTheCloseQuery) {
    BuildSmallModel();
    ASSERT_TRUE(Changed());
    prompts.answers.push_back(Answer::Cancel);
    PressCtrlQ();
    ASSERT_FALSE(prompts.messages.empty());
    EXPECT_EQ(prompts.LastText(), kCloseQuery);
    EXPECT_EQ(prompts.messages.back().buttons, Buttons::YesNoCancel);
    // Cancel keeps the program and the model.
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(model().NodeCount(), 4);

    prompts.answers.push_back(Answer::No);
    PressCtrlQ();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(DesktopTest, CtrlQWithoutChangesQuitsWithoutAsking) {
    PressCtrlQ();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(DesktopTest, ADroppedModelFileOpens) {
    const QString path = CopyOfExample();
    EXPECT_TRUE(Drop({QUrl::fromLocalFile(path)}));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(window->FileName(), path.toStdString());
    Model expected;
    ASSERT_TRUE(LoadModelFile(expected, path.toStdString()));
    EXPECT_EQ(model().M(), expected.M());
    EXPECT_EQ(model().NodeCount(), expected.NodeCount());
    EXPECT_FALSE(Changed());
    EXPECT_EQ(window->Recent().RecentFile(1), path.toStdString());
}

TEST_F(DesktopTest, ADropOverAnUnsavedModelAsksTheUnsavedModelQuestionFirst) {
    const QString path = CopyOfExample();
    BuildSmallModel();
    // Cancel: the model on screen stays.
    prompts.answers.push_back(Answer::Cancel);
    EXPECT_TRUE(Drop({QUrl::fromLocalFile(path)}));
    EXPECT_EQ(prompts.LastText(), kOpenQuestion);
    EXPECT_EQ(model().NodeCount(), 4);
    EXPECT_TRUE(Changed());
    EXPECT_TRUE(window->FileName().empty());
    // No: the dropped model replaces it.
    prompts.answers.push_back(Answer::No);
    EXPECT_TRUE(Drop({QUrl::fromLocalFile(path)}));
    EXPECT_EQ(window->FileName(), path.toStdString());
    EXPECT_FALSE(Changed());
}

// Files that are not models: the usual message, and neither the model nor its file name changes;
// the unsaved-model question is not even asked.
class DroppedNonModelTest : public DesktopTest,
                            public ::testing::WithParamInterface<const char*> {};

TEST_P(DroppedNonModelTest, GivesTheUsualMessageAndChangesNothing) {
    const QString path = FilePath(QString::fromLatin1(GetParam()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("This is a shopping list, not a model.\r\n3 apples\r\n");
    file.close();
    BuildSmallModel();
    const int nodes = model().NodeCount();
    EXPECT_TRUE(Drop({QUrl::fromLocalFile(path)}));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("File ") + path +
                                            QStringLiteral(" is not a valid Velor Model.\n"
                                                           "Cannot open the file."));
    EXPECT_EQ(prompts.messages[0].caption, QStringLiteral("Velor Decisions"));
    EXPECT_EQ(prompts.messages[0].icon, Icon::Stop);
    EXPECT_EQ(model().NodeCount(), nodes);
    EXPECT_EQ(model().M(), 2);
    EXPECT_TRUE(Changed());
    EXPECT_TRUE(window->FileName().empty());
    EXPECT_EQ(window->Recent().Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Files, DroppedNonModelTest,
                         ::testing::Values("notes.txt", "broken.vlr", "no extension"));

TEST_F(DesktopTest, AMissingDroppedFileChangesNothing) {
    BuildSmallModel();
    const QString path = FilePath(QStringLiteral("gone.vlr"));
    EXPECT_TRUE(Drop({QUrl::fromLocalFile(path)}));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.contains(QStringLiteral("is not a valid Velor Model")));
    EXPECT_EQ(model().NodeCount(), 4);
}

TEST_F(DesktopTest, OnlyADragOfOneLocalFileIsTaken) {
    const QString path = CopyOfExample();
    EXPECT_FALSE(Drop({}));
    EXPECT_FALSE(Drop({QUrl::fromLocalFile(path), QUrl::fromLocalFile(path)}));
    EXPECT_FALSE(Drop({QUrl(QStringLiteral("https://example.org/car.vlr"))}));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(window->FileName().empty());
}

} // namespace
} // namespace velor::ui::test

namespace velor::ui::test {
namespace {

TEST_F(DesktopTest, EveryToolbarAndWindowIconIsSharpAt200Percent) {
    // 16-pixel icons on a 200 % screen get 32 device pixels of their own.
    std::vector<std::pair<QString, QIcon>> icons = {
        {QStringLiteral("window"), window->windowIcon()}};
    for (QToolBar* bar : window->findChildren<QToolBar*>()) {
        for (QAction* action : bar->actions()) {
            if (!action->icon().isNull()) {
                icons.emplace_back(action->objectName(), action->icon());
            }
        }
    }
    ASSERT_GT(icons.size(), 5u);
    for (const auto& [name, icon] : icons) {
        const QPixmap pixmap = icon.pixmap(QSize(16, 16), 2.0);
        EXPECT_EQ(pixmap.size(), QSize(32, 32)) << name.toStdString();
        EXPECT_DOUBLE_EQ(pixmap.devicePixelRatio(), 2.0) << name.toStdString();
    }
}

} // namespace
} // namespace velor::ui::test
