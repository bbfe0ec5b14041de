// What the workspace shows while the model has no node: what a model is, in two lines, and the
// ways to begin (the main goal, an example model, a recent model, the user guide's walk-through).
#pragma once

#include <QFrame>

class QAction;
class QLabel;
class QMenu;
class QPushButton;

namespace velor::ui {

class EmptyState : public QFrame {
    Q_OBJECT
public:
    // The buttons trigger the given actions; "Open Recent" drops down the recent-files menu and
    // is enabled only while that menu has a visible item.
    EmptyState(QAction* newMainGoal, QAction* openExample, QMenu* recent,
               QWidget* parent = nullptr);

    // Re-reads whether there are recent files.
    void UpdateRecent();
    // Centred in an area of the given size, at its preferred size or smaller.
    void PlaceIn(const QSize& area);

    QPushButton* NewMainGoalButton() const { return newMainGoal_; }
    QPushButton* OpenExampleButton() const { return openExample_; }
    QPushButton* OpenRecentButton() const { return openRecent_; }
    QLabel* WalkthroughLink() const { return walkthrough_; }

Q_SIGNALS:
    // The link to the walk-through was clicked.
    void WalkthroughRequested();

private:
    QPushButton* newMainGoal_;
    QPushButton* openExample_;
    QPushButton* openRecent_;
    QLabel* walkthrough_;
    QMenu* recent_;
};

} // namespace velor::ui
