// A main window on a fresh settings file in a temporary folder, with scripted prompts.
#pragma once

#include "scripted_prompts.h"
#include "ui/alternatives_editor.h"
#include "ui/main_window.h"
#include "ui/tree_editor.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace velor::ui::test {

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        window = MakeWindow();
    }
    void TearDown() override {
        gridTester.reset();
        window.reset();
        EXPECT_TRUE(prompts.Done()) << "scripted answers left over";
    }

    std::unique_ptr<MainWindow> MakeWindow() {
        auto w = std::make_unique<MainWindow>(prompts, SettingsPath());
        w->show();
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        // Every change the tests make goes through a checked grid model.
        gridTester = std::make_unique<QAbstractItemModelTester>(
            w->Alternatives()->AltGrid()->model(),
            QAbstractItemModelTester::FailureReportingMode::Fatal);
        return w;
    }
    std::filesystem::path SettingsPath() const {
        return std::filesystem::path(dir.path().toStdString()) / "velor.ini";
    }
    QString FilePath(const QString& name) const { return dir.filePath(name); }

    // Tests set a model up by editing the live model directly, as the core's own operations
    // would; the edit history does not see these edits, the windows do.
    Model& model() { return const_cast<Model&>(window->GetModel()); }
    Document& document() { return window->GetDocument(); }
    // Takes the model as it is now for the saved state (as a save would).
    void MarkSaved() { document().MarkSaved(window->FileName()); }
    bool Changed() { return document().Changed(); }
    TreeEditor* tree() { return window->Tree(); }
    AlternativesEditor* alts() { return window->Alternatives(); }
    QString Panel(int i) { return window->StatusPanel(i)->text(); }

    // Runs a tree command the way the context menu does: open the menu on the selection, then
    // trigger the item.
    void TreeMenu(QAction* action) {
        tree()->TreeMenuAboutToShow();
        ASSERT_TRUE(action->isEnabled()) << action->text().toStdString();
        action->trigger();
    }
    // Adds a node under `parent` (kNone on an empty tree) through the context menu, naming it.
    NodeId AddNode(NodeId parent, NodeKind kind, const QString& name) {
        tree()->SelectNode(parent);
        prompts.textAnswers.push_back(name);
        TreeMenu(kind == kGoal ? tree()->NewGoalAction() : tree()->NewAttributeAction());
        return model().PreOrder().empty() ? kNone : tree()->SelectedNode();
    }
    // Car > (Price, Comfort > (Space)) with two alternatives.
    void BuildSmallModel() {
        root = AddNode(kNone, kGoal, QStringLiteral("Car"));
        price = AddNode(root, kAttribute, QStringLiteral("Price"));
        comfort = AddNode(root, kGoal, QStringLiteral("Comfort"));
        space = AddNode(comfort, kAttribute, QStringLiteral("Space"));
        alts()->NewAlternativeClick();
        alts()->NewAlternativeClick();
    }

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<QAbstractItemModelTester> gridTester;
    std::unique_ptr<MainWindow> window;
    NodeId root = kNone, price = kNone, comfort = kNone, space = kNone;
};

} // namespace velor::ui::test
