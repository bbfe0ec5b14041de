// Names and texts are limited by the bytes a model file holds, not by characters: an editor
// stops where the file would cut, so nothing typed is lost unseen.
#include "gui_fixture.h"
#include "ui/prompts.h"
#include "ui/utf8_limit_validator.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QTimer>

#include <random>

namespace velor::ui::test {
namespace {

const QString kE = QString::fromUtf8("\xC3\xA9");             // é, two bytes
const QString kEuro = QString::fromUtf8("\xE2\x82\xAC");      // €, three bytes
const QString kSmile = QString::fromUtf8("\xF0\x9F\x98\x80"); // four bytes, two UTF-16 units

// Types text key by key (QTest::keyClicks knows only ASCII keys).
void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

int Bytes(const QString& text) {
    return static_cast<int>(text.toUtf8().size());
}

class LimitedEdit : public ::testing::Test {
protected:
    LimitedEdit() { edit.setValidator(new Utf8LimitValidator(255, &edit)); }
    QLineEdit edit;
};

TEST_F(LimitedEdit, TypingStopsAtTheLastCharacterThatFits) {
    Type(&edit, kE.repeated(200));
    EXPECT_EQ(edit.text(), kE.repeated(127)); // 254 bytes
    QTest::keyClicks(&edit, QStringLiteral("ab"));
    EXPECT_EQ(edit.text(), kE.repeated(127) + QStringLiteral("a"));
    EXPECT_EQ(Bytes(edit.text()), 255);

    edit.clear();
    edit.insert(QStringLiteral("x").repeated(252));
    edit.insert(kSmile); // four bytes do not fit in three, and the pair is not split
    EXPECT_EQ(edit.text(), QStringLiteral("x").repeated(252));
    edit.insert(kEuro);
    EXPECT_EQ(Bytes(edit.text()), 255);
}

// Of a pasted text as much is taken as fits, where it was pasted; the rest of the line stays.
TEST_F(LimitedEdit, RandomInsertionsKeepTheLineAndTakeWhatFits) {
    std::mt19937 random(11);
    const QString pieces[] = {QStringLiteral("a"), kE, kEuro, kSmile};
    for (int trial = 0; trial < 300; ++trial) {
        edit.clear();
        for (int step = 0; step < 6; ++step) {
            const QString before = edit.text();
            QString inserted;
            const int length = static_cast<int>(random() % 120);
            for (int i = 0; i < length; ++i) {
                inserted += pieces[random() % 4];
            }
            // A cursor between characters, never inside a surrogate pair.
            int at = static_cast<int>(random() % (before.size() + 1));
            if (at > 0 && at < before.size() && before.at(at).isLowSurrogate()) {
                --at;
            }
            edit.setCursorPosition(at);
            edit.insert(inserted);
            const QString after = edit.text();
            ASSERT_LE(Bytes(after), 255);
            ASSERT_TRUE(after.startsWith(before.left(at)));
            ASSERT_TRUE(after.endsWith(before.mid(at)));
            const QString taken = after.mid(at, after.size() - before.size());
            ASSERT_EQ(inserted.left(taken.size()), taken);
            if (taken.size() < inserted.size()) {
                // Only as much is left out as had to be: the next character would not fit.
                const QString next =
                    inserted.mid(taken.size(), inserted.at(taken.size()).isHighSurrogate() ? 2 : 1);
                EXPECT_GT(Bytes(after) + Bytes(next), 255);
            }
            ASSERT_EQ(QString::fromUtf8(after.toUtf8()), after) << "a character was split";
        }
    }
}

// The production text prompt (the node name) takes what the file holds.
TEST(Utf8Limit, TheTextPromptStopsAtTheLimit) {
    QWidget parent;
    WidgetPrompts prompts(&parent);
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* line = dialog->findChild<QLineEdit*>();
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->text(), kE.repeated(127)) << "the initial text is cut";
        line->selectAll();
        Type(line, kEuro.repeated(100));
        dialog->accept();
    });
    const auto answer = prompts.TextPrompt(QStringLiteral("New Node Name"), QStringLiteral("Name"),
                                           kE.repeated(200), 255);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, kEuro.repeated(85));
}

// A consequence typed into the grid is stored as the editor shows it.
TEST_F(GuiTest, AConsequenceIsStoredAsTyped) {
    BuildSmallModel(); // column 2 is Price
    QTableView* grid = alts()->AltGrid();
    alts()->SetCurrentCell(2, 1);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_F2);
    auto* editor = grid->findChild<QLineEdit*>(QStringLiteral("AltGridEditor"));
    ASSERT_NE(editor, nullptr);
    Type(editor, kE.repeated(200));
    const QString shown = editor->text();
    EXPECT_EQ(shown, kE.repeated(127));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(model().CellText(2, 1), shown.toStdString());
}

} // namespace
} // namespace velor::ui::test
