// The value tree editor: a child window showing the value tree with node captions and offering
// every tree operation through a context menu, shortcuts, double-click and drag and drop.
#pragma once

#include "model/document.h"
#include "model/model.h"
#include "model/model_observer.h"

#include <QSet>
#include <QTreeWidget>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QAction;
class QMenu;

namespace velor::ui {

class Prompts;
class TreeEditor;

// The tree widget: read-only, right click selects, nodes can be dragged onto other nodes. The
// drop is handed to the editor, which asks and moves the node in the model.
class NodeTreeWidget : public QTreeWidget {
    Q_OBJECT
public:
    explicit NodeTreeWidget(TreeEditor* editor);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    NodeId TargetAt(const QPoint& pos) const;
    TreeEditor* editor_;
};

class TreeEditor : public QWidget, public ModelObserver {
    Q_OBJECT
public:
    TreeEditor(Document& document, Prompts& prompts, QWidget* parent = nullptr);
    ~TreeEditor() override;

    void ModelChanged(ModelChange what) override;

    // Opens an assessment for a node: the node's own (score or holistic) assessment, or a weight
    // assessment for a goal (kNone = the twig-level attributes). The commands stay disabled
    // until a handler is installed.
    using AssessmentHandler = std::function<void(NodeId)>;
    void SetScoreAssessmentHandler(AssessmentHandler handler);
    void SetWeightAssessmentHandler(AssessmentHandler handler);

    // Called by the main window before a node move, so that result views can refresh after it.
    std::function<void()> onTreeMoved;
    // Shows a short hint in the main window's status bar (why a key did nothing).
    std::function<void(const QString&)> showHint;

    NodeTreeWidget* TreeView() const { return tree_; }
    QMenu* TreePopup() const { return popup_; }
    QTreeWidgetItem* ItemOf(NodeId node) const;
    NodeId NodeOf(const QTreeWidgetItem* item) const;
    NodeId SelectedNode() const;
    void SelectNode(NodeId node);
    NodeId RememberedNode() const { return remembered_; }

    // Computes the enabling and captions of the context menu from the selection and remembers
    // the selected node (what opening the menu does).
    void TreeMenuAboutToShow();
    // Shows the context menu at a global position after TreeMenuAboutToShow.
    void ShowTreePopup(const QPoint& globalPos);

    // Drag and drop: whether target accepts dragged, and the drop itself.
    bool CanDrop(NodeId dragged, NodeId target) const;
    void DropNode(NodeId dragged, NodeId target);

    // The picture Copy Tree to Clipboard puts on the clipboard.
    QImage TreePicture();

    QAction* NewAttributeAction() const { return newAttribute_; }
    QAction* NewGoalAction() const { return newGoal_; }
    QAction* NewAttributeBesideAction() const { return newAttributeBeside_; }
    QAction* RenameAction() const { return rename_; }
    QAction* ConvertAction() const { return convert_; }
    QAction* ScoreAssessmentAction() const { return scoreAssessment_; }
    QAction* WeightAssessmentAction() const { return weightAssessment_; }
    QAction* DeleteAction() const { return delete_; }
    QAction* CopyTreeAction() const { return copyTree_; }

protected:
    // Ctrl+A on an attribute does nothing (an attribute has no children); the filter says how
    // to add an attribute beside it instead.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Adds a node under the remembered goal, or with `beside` under the remembered attribute's
    // parent goal, and asks its name.
    void NewNodeClick(NodeKind kind, bool beside = false);
    void RenameNodeMenuClick();
    void ConvertMenuClick();
    void ScoreAssessmentMenuClick();
    void WeightAssessmentMenuClick();
    void DeleteNodeMenuClick();
    void CopyTreeToClipboardClick();
    void TreeViewDblClick(QTreeWidgetItem* item);

    // Asks for a node's new name; nullopt when the answer changes nothing. Cancelling keeps the
    // current name, which is applied like an answer.
    std::optional<std::string> AskName(NodeId node);
    // Makes the remembered node the selected node again (first step of every menu command).
    NodeId ReselectRemembered();
    void RebuildTree();
    void RefreshCaptions();
    void ForgetVanishedNodes();

    Document& document_;
    const Model& model_;
    Prompts& prompts_;
    NodeTreeWidget* tree_;
    QMenu* popup_;
    QAction* newAttribute_;
    QAction* newGoal_;
    QAction* newAttributeBeside_;
    QAction* rename_;
    QAction* convert_;
    QAction* scoreAssessment_;
    QAction* weightAssessment_;
    QAction* delete_;
    QAction* copyTree_;
    AssessmentHandler scoreHandler_;
    AssessmentHandler weightHandler_;
    NodeId remembered_ = kNone;
    QSet<NodeId> collapsed_;
    bool rebuilding_ = false;
};

} // namespace velor::ui
