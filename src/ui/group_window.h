// The window "Group": the members of a group of decision makers with their files, what they
// agree on (shown first), their main-goal value intervals side by side (one colour per member,
// the consensus in black), and the consensus: its value intervals and recommendations, or the
// members' statements that contradict each other. A member's model opens in the main window for
// editing; when a member's file is saved, the window reads it again and calculates anew. The
// rules live in GroupSession; this window only shows it and turns clicks into its operations.
#pragma once

#include "calc/group_session.h"
#include "model/document.h"

#include <QDialog>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QFileSystemWatcher;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace velor::ui {

class MainWindow;
class Prompts;
enum class ResultView;

inline const QString kGroupWindowTitle = QStringLiteral("Group");
inline const QString kGroupFilter = QStringLiteral("Velor Groups (*.vlg);;All Files (*)");

// The members' main-goal value intervals, one row per alternative, one bar per member and one
// for the consensus.
class GroupChart : public QWidget {
    Q_OBJECT
public:
    explicit GroupChart(QWidget* parent = nullptr);
    void SetGroup(const std::vector<GroupMember>* members, const GroupResults* results);
    QSize sizeHint() const override;
    // The colour of member k's bars.
    static QColor MemberColour(std::size_t k);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const std::vector<GroupMember>* members_ = nullptr;
    const GroupResults* results_ = nullptr;
};

class GroupWindow : public QDialog {
    Q_OBJECT
public:
    GroupWindow(Prompts& prompts, QWidget* parent = nullptr);
    // The consensus views go first: they observe the document this window owns.
    ~GroupWindow() override;

    // Opens a group file (replacing the group shown) and calculates it; false after telling the
    // user why it cannot be opened.
    bool OpenGroup(const QString& path);
    // Starts an empty group.
    void NewGroup();
    // Reads the members' files again and calculates (a member's file was saved).
    void Refresh();

    // Opens a member's model for editing (the main window's Open).
    std::function<void(const QString& path)> openModel;
    // Makes a result view of the main window's kinds over a document: with it, Consensus
    // Views... shows the consensus in the value intervals, weights, dominance and decision rules
    // views.
    std::function<QWidget*(ResultView view, const Document& document)> createView;
    // The consensus as the result views show it (an empty model unless it was calculated).
    const Document& ConsensusDocument() const { return consensusDocument_; }

    const GroupSession& Session() const { return session_; }
    QTreeWidget* MemberList() const { return members_; }
    QTreeWidget* ConsensusList() const { return consensus_; }
    QListWidget* ConflictList() const { return conflict_; }
    QLabel* CommonGroundLabel() const { return common_; }
    QLabel* StatusLabel() const { return status_; }

    void AddMemberButtonClick();
    void RemoveMemberButtonClick();
    void OpenMemberButtonClick();
    void SaveGroupButtonClick();
    void CalculateButtonClick();
    // Writes the group report (text) to a file the user chooses.
    void ExportReportButtonClick();
    // Shows the consensus in the result views, one tab each.
    void ConsensusViewsButtonClick();

private:
    void Calculate();
    void ShowGroup();
    void WatchMembers();
    void UpdateButtons();

    Prompts& prompts_;
    GroupSession session_;
    QTreeWidget* members_;
    QLabel* common_;
    GroupChart* chart_;
    QLabel* consensusLabel_;
    QTreeWidget* consensus_;
    QListWidget* conflict_;
    QLabel* status_;
    QPushButton* addButton_;
    QPushButton* removeButton_;
    QPushButton* openButton_;
    QPushButton* saveButton_;
    QPushButton* calculateButton_;
    QPushButton* reportButton_;
    QPushButton* viewsButton_;
    Document consensusDocument_;
    QDialog* viewsWindow_ = nullptr;
    QFileSystemWatcher* watcher_;
    QTimer* refresh_;
};

// File > Open Group..., New Group... and Save a Copy for Each Member... in the main window's
// File menu, with the Group window they open.
GroupWindow* InstallGroupCommands(MainWindow& window, Prompts& prompts);

} // namespace velor::ui
