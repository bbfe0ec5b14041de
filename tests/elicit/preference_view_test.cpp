#include "elicit/preference_view.h"

#include "elicit/weight_form.h"
#include "model/model.h"
#include "ui/scripted_prompts.h"

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace velor::elicit {
namespace {

using ui::Answer;
using ui::test::ScriptedPrompts;

// Main goal with attributes Price and Comfort and a sub-goal Safety (attribute Airbags); one
// alternative at first.
struct PreferenceViewTest : ::testing::Test {
    Document doc;
    // The fixture builds and changes the model directly; the view's own edits go through the
    // document's history.
    Model& m = const_cast<Model&>(doc.GetModel());
    ScriptedPrompts prompts;
    NodeId root, price, comfort, safety, airbags;
    std::unique_ptr<TPreferenceForm> view;

    void SetUp() override {
        root = m.AddNode(kGoal, kNone);
        price = m.AddNode(kAttribute, root);
        comfort = m.AddNode(kAttribute, root);
        safety = m.AddNode(kGoal, root);
        airbags = m.AddNode(kAttribute, safety);
        m.RenameNode(price, "Price");
        m.RenameNode(comfort, "Comfort");
        m.RenameNode(safety, "Safety");
        m.RenameNode(airbags, "Airbags");
        m.NewAlternative();
        m.RefreshAssessedStatus();
        view = std::make_unique<TPreferenceForm>(doc, prompts);
        view->show();
    }
    void TearDown() override {
        view.reset();
        EXPECT_TRUE(prompts.Done()) << "scripted answers left over";
    }

    QTreeWidgetItem* Item(int i) { return view->PrefView->topLevelItem(i); }
    QStringList Row(int i) {
        QStringList texts;
        for (int c = 0; c < 4; ++c) {
            texts << Item(i)->text(c);
        }
        return texts;
    }
    int RowOf(EntryId id) {
        for (int i = 0; i < view->PrefView->topLevelItemCount(); ++i) {
            if (view->EntryOf(Item(i)) == id) {
                return i;
            }
        }
        return -1;
    }
    void DoubleClick(int row) {
        const QRect rect = view->PrefView->visualItemRect(Item(row));
        QTest::mouseClick(view->PrefView->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(view->PrefView->viewport(), Qt::LeftButton, {}, rect.center());
    }
    // Cancels the modal dialog the next double click opens and returns its caption.
    std::shared_ptr<QString> CatchDialog() {
        auto title = std::make_shared<QString>();
        QTimer::singleShot(0, [title] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                ADD_FAILURE() << "no dialog opened";
                return;
            }
            *title = dialog->windowTitle();
            dialog->reject();
        });
        return title;
    }
};

TEST_F(PreferenceViewTest, ListsEveryEntryInOrderWithItsColumns) {
    EXPECT_EQ(view->windowTitle(), QStringLiteral("Preference Information"));
    QHeaderView* header = view->PrefView->header();
    const QStringList titles = {QStringLiteral("Preference Type"), QStringLiteral("References to"),
                                QStringLiteral("Assessed"), QStringLiteral("Remarks")};
    const int widths[] = {160, 120, 70, 120};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(view->PrefView->headerItem()->text(c), titles[c]);
        // At least the classic widths; wider where a text needs it ("Twig-level attributes").
        EXPECT_GE(header->sectionSize(c), widths[c]);
    }
    ASSERT_EQ(view->PrefView->topLevelItemCount(), 8);
    const auto S = [](const char* a, const char* b, const char* c, const char* d) {
        return QStringList{QString::fromLatin1(a), QString::fromLatin1(b), QString::fromLatin1(c),
                           QString::fromLatin1(d)};
    };
    EXPECT_EQ(Row(0), S("Score Assessment", "Price", "No", ""));
    EXPECT_EQ(Row(2), S("Score Assessment", "Airbags", "No", ""));
    EXPECT_EQ(Row(3), S("Weight Assessment", "Twig-level attributes", "No", "Bottom up"));
    EXPECT_EQ(Row(4), S("Weight Assessment", "Main Goal", "No", "Top Down"));
    EXPECT_EQ(Row(5), S("Weight Assessment", "Safety", "No", "Top Down"));
    EXPECT_EQ(Row(6), S("Holistic Comparison", "Main Goal", "No", "Optional"));
    EXPECT_FALSE(Item(0)->icon(0).isNull()) << "every entry has its image";
}

TEST_F(PreferenceViewTest, StatusesFollowTheStatements) {
    m.StoreRanking(price, {1}, {});
    EXPECT_EQ(Item(0)->text(2), QStringLiteral("Yes")) << "one alternative, ranked";

    m.StoreWeightBounds(false, {{price, 100, 100}, {comfort, 50, -1}, {airbags, 10, 20}});
    EXPECT_EQ(Item(3)->text(2), QStringLiteral("Partially"));
    EXPECT_EQ(Item(RowOf(m.WeightEntryOf(safety)))->text(2), QStringLiteral("No"));
    // A goal without children keeps its weight entry at "No".
    const NodeId empty = m.AddNode(kGoal, root);
    m.StoreWeightBounds(true, {{price, 100, 100}});
    EXPECT_EQ(Item(RowOf(m.WeightEntryOf(empty)))->text(2), QStringLiteral("No"));
}

TEST_F(PreferenceViewTest, WeightModeMarkersFollowTheOption) {
    EXPECT_TRUE(view->Marked(Item(3))) << "bottom up is in force";
    EXPECT_FALSE(view->Marked(Item(4)));
    EXPECT_FALSE(view->Marked(Item(0)));
    const QImage bottomUpMarked = Item(3)->icon(0).pixmap(26, 16).toImage();
    m.SetTopDownWeights(true);
    EXPECT_FALSE(view->Marked(Item(3)));
    EXPECT_TRUE(view->Marked(Item(4)));
    EXPECT_TRUE(view->Marked(Item(5)));
    EXPECT_FALSE(view->Marked(Item(6))) << "holistic comparisons never carry the marker";
    EXPECT_NE(Item(3)->icon(0).pixmap(26, 16).toImage(), bottomUpMarked) << "the marker is drawn";
    // On a 200 % screen the icons have device pixels of their own.
    const QPixmap dense = Item(3)->icon(0).pixmap(QSize(26, 16), 2.0);
    EXPECT_EQ(dense.size(), QSize(52, 32));
    EXPECT_DOUBLE_EQ(dense.devicePixelRatio(), 2.0);
}

TEST_F(PreferenceViewTest, DoubleClickOpensTheEntrysDialog) {
    auto title = CatchDialog();
    DoubleClick(RowOf(m.WeightEntryOf(safety)));
    EXPECT_EQ(*title, QStringLiteral("Top Down Weight Assessment: Safety"));

    title = CatchDialog();
    DoubleClick(RowOf(m.BottomUpEntry()));
    EXPECT_EQ(*title, QStringLiteral("Bottom Up Weight Assessment"));

    title = CatchDialog();
    DoubleClick(RowOf(m.Node(safety).Assessment));
    EXPECT_EQ(*title, QStringLiteral("Holistic Comparison: Safety"));

    title = CatchDialog();
    DoubleClick(RowOf(m.Node(price).Assessment));
    EXPECT_EQ(*title, QStringLiteral("Score Assessment: Price"));

    // Without a selection nothing opens.
    view->PrefView->clearSelection();
    view->PrefViewDblClick();
}

TEST_F(PreferenceViewTest, ClearPreferencesAsksAndKeepsTheMainGoalsBounds) {
    m.StoreRanking(price, {1}, {});
    m.StoreWeightBounds(false, {{price, 100, 100}, {comfort, 0, 0}, {airbags, 10, 20}});
    doc.MarkSaved("");
    prompts.answers = {Answer::No};
    view->ClearPreferencesAction->trigger();
    ASSERT_EQ(prompts.messages.size(), 1U);
    EXPECT_EQ(prompts.messages[0].caption, QStringLiteral("Confirm deletion"));
    EXPECT_EQ(prompts.messages[0].text,
              QStringLiteral("Are you sure you wish to delete all preference information?"));
    EXPECT_EQ(prompts.messages[0].icon, ui::Icon::Warning);
    EXPECT_EQ(Item(3)->text(2), QStringLiteral("Yes")) << "No changes nothing";
    EXPECT_FALSE(doc.Changed());

    prompts.answers = {Answer::Yes};
    view->ClearPreferencesClick();
    for (int i = 0; i < view->PrefView->topLevelItemCount(); ++i) {
        EXPECT_EQ(Item(i)->text(2), QStringLiteral("No")) << i;
    }
    EXPECT_EQ(m.Node(root).BottomUpLower, 100);
    EXPECT_EQ(m.Node(root).TopDownUpper, 100);
    EXPECT_EQ(m.Node(price).BottomUpLower, -1);
    EXPECT_TRUE(doc.Changed());
    EXPECT_EQ(doc.UndoLabel(), "Clear Preferences");
}

} // namespace
} // namespace velor::elicit

namespace velor::elicit {
namespace {

// At the size the list opens with, no text is cut off ("Twig-level attributes" included).
TEST_F(PreferenceViewTest, EveryTextShowsInFullAtCreationSize) {
    for (int i = 0; i < view->PrefView->topLevelItemCount(); ++i) {
        for (int c = 0; c < 4; ++c) {
            const int icon = c == 0 ? view->PrefView->iconSize().width() : 0;
            EXPECT_LE(view->PrefView->fontMetrics().horizontalAdvance(Item(i)->text(c)) + icon,
                      view->PrefView->columnWidth(c))
                << Item(i)->text(c).toStdString();
        }
    }
}

} // namespace
} // namespace velor::elicit
