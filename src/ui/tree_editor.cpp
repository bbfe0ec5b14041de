#include "ui/tree_editor.h"

#include "model/records.h"
#include "ui/node_icons.h"
#include "ui/prompts.h"
#include "ui/ui_text.h"
#include "ui/widget_actions.h"

#include <QAction>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QVBoxLayout>

namespace velor::ui {

namespace {
constexpr int kNodeRole = Qt::UserRole + 1;
}

// ----- NodeTreeWidget

NodeTreeWidget::NodeTreeWidget(TreeEditor* editor) : QTreeWidget(editor), editor_(editor) {
    setObjectName(QStringLiteral("TreeView"));
    setHeaderHidden(true);
    setColumnCount(1);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setExpandsOnDoubleClick(false);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setIconSize(QSize(16, 16));
    // The selection stays as visible when another window has the focus.
    QPalette colours = palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText}) {
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    }
    setPalette(colours);
}

NodeId NodeTreeWidget::TargetAt(const QPoint& pos) const {
    return editor_->NodeOf(itemAt(pos));
}

void NodeTreeWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (event->source() == this) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void NodeTreeWidget::dragMoveEvent(QDragMoveEvent* event) {
    const NodeId target = TargetAt(event->position().toPoint());
    if (event->source() == this && editor_->CanDrop(editor_->SelectedNode(), target)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void NodeTreeWidget::dropEvent(QDropEvent* event) {
    const NodeId dragged = editor_->SelectedNode();
    const NodeId target = TargetAt(event->position().toPoint());
    // The widget never moves its own items (CopyAction keeps the drag source from removing
    // them); the model moves the node and the tree is rebuilt from it. The question is asked
    // after the drag has ended.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (!editor_->CanDrop(dragged, target)) {
        return;
    }
    QMetaObject::invokeMethod(
        editor_, [editor = editor_, dragged, target] { editor->DropNode(dragged, target); },
        Qt::QueuedConnection);
}

// ----- TreeEditor

TreeEditor::TreeEditor(Document& document, Prompts& prompts, QWidget* parent)
    : QWidget(parent), document_(document), model_(document.GetModel()), prompts_(prompts) {
    setObjectName(QStringLiteral("TreeForm"));
    setWindowTitle(QStringLiteral("Value Tree"));
    setWindowIcon(GoalIcon());
    tree_ = new NodeTreeWidget(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tree_);

    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("TreePopup"));
    auto makeAction = [this](const char* name, const QString& caption, const QKeySequence& key) {
        return AddShortcutAction(this, name, caption, key);
    };
    newAttribute_ = makeAction("NewAttribute", QStringLiteral("New &Attribute"),
                               QKeySequence(Qt::CTRL | Qt::Key_A));
    newGoal_ =
        makeAction("NewGoal", QStringLiteral("New &Goal"), QKeySequence(Qt::CTRL | Qt::Key_G));
    newAttributeBeside_ = makeAction("NewAttributeBeside", QStringLiteral("New Attribute &Beside"),
                                     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
    rename_ =
        makeAction("RenameNodeMenu", QStringLiteral("&Rename"), QKeySequence(Qt::CTRL | Qt::Key_R));
    // F2 renames as well, as in every file manager and outline.
    rename_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_R), QKeySequence(Qt::Key_F2)});
    convert_ = makeAction("ConvertMenu", QStringLiteral("&Convert to Goal"), QKeySequence());
    scoreAssessment_ = makeAction("ScoreAssessmentMenu", QStringLiteral("&Score Assessment..."),
                                  QKeySequence(Qt::Key_F3));
    weightAssessment_ = makeAction("WeightAssessmentMenu", QStringLiteral("&Weight Assessment..."),
                                   QKeySequence(Qt::Key_F4));
    delete_ = makeAction("DeleteNodeMenu", QStringLiteral("&Delete"), QKeySequence(Qt::Key_Delete));
    copyTree_ = makeAction("CopyTreetoClipboard1", QStringLiteral("Copy Tree to Clipboard"),
                           QKeySequence());
    popup_->addAction(newAttribute_);
    popup_->addAction(newAttributeBeside_);
    popup_->addAction(newGoal_);
    popup_->addSeparator();
    popup_->addAction(rename_);
    popup_->addAction(convert_);
    popup_->addAction(scoreAssessment_);
    popup_->addAction(weightAssessment_);
    popup_->addSeparator();
    popup_->addAction(delete_);
    popup_->addSeparator();
    popup_->addAction(copyTree_);

    connect(newAttribute_, &QAction::triggered, this, [this] { NewNodeClick(kAttribute); });
    connect(newGoal_, &QAction::triggered, this, [this] { NewNodeClick(kGoal); });
    connect(newAttributeBeside_, &QAction::triggered, this,
            [this] { NewNodeClick(kAttribute, true); });
    connect(rename_, &QAction::triggered, this, &TreeEditor::RenameNodeMenuClick);
    connect(convert_, &QAction::triggered, this, &TreeEditor::ConvertMenuClick);
    connect(scoreAssessment_, &QAction::triggered, this, &TreeEditor::ScoreAssessmentMenuClick);
    connect(weightAssessment_, &QAction::triggered, this, &TreeEditor::WeightAssessmentMenuClick);
    connect(delete_, &QAction::triggered, this, &TreeEditor::DeleteNodeMenuClick);
    connect(copyTree_, &QAction::triggered, this, &TreeEditor::CopyTreeToClipboardClick);
    connect(tree_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ShowTreePopup(tree_->viewport()->mapToGlobal(pos)); });
    connect(tree_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item, int) { TreeViewDblClick(item); });
    // The commands act on the remembered node, which follows the current node however it was
    // chosen (click, keyboard, a command's own selection), so their shortcuts and enabled states
    // are right without opening the context menu first.
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (!rebuilding_) {
            TreeMenuAboutToShow();
        }
    });
    connect(tree_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (!rebuilding_) {
            collapsed_.insert(NodeOf(item));
        }
    });
    connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (!rebuilding_) {
            collapsed_.remove(NodeOf(item));
        }
    });

    tree_->installEventFilter(this);
    model_.AddObserver(this);
    RebuildTree();
    TreeMenuAboutToShow();
}

TreeEditor::~TreeEditor() {
    model_.RemoveObserver(this);
}

void TreeEditor::SetScoreAssessmentHandler(AssessmentHandler handler) {
    scoreHandler_ = std::move(handler);
}

void TreeEditor::SetWeightAssessmentHandler(AssessmentHandler handler) {
    weightHandler_ = std::move(handler);
}

void TreeEditor::ModelChanged(ModelChange what) {
    switch (what) {
    case ModelChange::Tree:
        RebuildTree();
        break;
    case ModelChange::Results:
    case ModelChange::Options:
        RefreshCaptions();
        break;
    default:
        break;
    }
}

QTreeWidgetItem* TreeEditor::ItemOf(NodeId node) const {
    if (node == kNone) {
        return nullptr;
    }
    for (QTreeWidgetItemIterator it(tree_); *it != nullptr; ++it) {
        if (NodeOf(*it) == node) {
            return *it;
        }
    }
    return nullptr;
}

NodeId TreeEditor::NodeOf(const QTreeWidgetItem* item) const {
    if (item == nullptr) {
        return kNone;
    }
    return item->data(0, kNodeRole).toInt();
}

NodeId TreeEditor::SelectedNode() const {
    const auto items = tree_->selectedItems();
    return items.isEmpty() ? kNone : NodeOf(items.constFirst());
}

void TreeEditor::SelectNode(NodeId node) {
    QTreeWidgetItem* item = ItemOf(node);
    if (item == nullptr) {
        tree_->clearSelection();
        tree_->setCurrentItem(nullptr);
        return;
    }
    tree_->setCurrentItem(item);
    item->setSelected(true);
    tree_->scrollToItem(item);
}

void TreeEditor::RebuildTree() {
    const NodeId selected = SelectedNode();
    rebuilding_ = true;
    tree_->clear();
    const char sep = DecimalSeparator();
    QHash<NodeId, QTreeWidgetItem*> items;
    for (NodeId node : model_.PreOrder()) {
        const NodeId parent = model_.Parent(node);
        // Pre-order: a parent's item always exists before its children's.
        QTreeWidgetItem* item =
            parent == kNone ? new QTreeWidgetItem(tree_) : new QTreeWidgetItem(items.value(parent));
        item->setData(0, kNodeRole, node);
        item->setText(0, ToQ(model_.Caption(node, sep)));
        item->setIcon(0, model_.IsGoal(node) ? GoalIcon() : AttributeIcon());
        items.insert(node, item);
    }
    for (QTreeWidgetItemIterator it(tree_); *it != nullptr; ++it) {
        (*it)->setExpanded(!collapsed_.contains(NodeOf(*it)));
    }
    rebuilding_ = false;
    ForgetVanishedNodes();
    if (model_.Exists(selected)) {
        SelectNode(selected);
    }
    TreeMenuAboutToShow();
}

void TreeEditor::RefreshCaptions() {
    const char sep = DecimalSeparator();
    for (QTreeWidgetItemIterator it(tree_); *it != nullptr; ++it) {
        const NodeId node = NodeOf(*it);
        if (model_.Exists(node)) {
            (*it)->setText(0, ToQ(model_.Caption(node, sep)));
        }
    }
}

void TreeEditor::ForgetVanishedNodes() {
    // A remembered node that no longer exists (deleted, or the model was cleared or loaded) is
    // forgotten: the commands then see no selection instead of a stale node.
    if (remembered_ != kNone && !model_.Exists(remembered_)) {
        remembered_ = kNone;
        TreeMenuAboutToShow();
    }
    for (auto it = collapsed_.begin(); it != collapsed_.end();) {
        it = model_.Exists(*it) ? std::next(it) : collapsed_.erase(it);
    }
}

void TreeEditor::TreeMenuAboutToShow() {
    const NodeId node = SelectedNode();
    const bool haveScore = static_cast<bool>(scoreHandler_);
    const bool haveWeight = static_cast<bool>(weightHandler_);
    if (node == kNone) {
        remembered_ = kNone;
        newAttribute_->setEnabled(false);
        newAttributeBeside_->setEnabled(false);
        delete_->setEnabled(false);
        rename_->setEnabled(false);
        scoreAssessment_->setEnabled(false);
        weightAssessment_->setEnabled(false);
        convert_->setEnabled(false);
        const bool empty = model_.TreeEmpty();
        newGoal_->setEnabled(empty);
        newGoal_->setText(empty ? QStringLiteral("New Main &Goal") : QStringLiteral("New &Goal"));
    } else {
        remembered_ = node;
        delete_->setEnabled(true);
        rename_->setEnabled(true);
        newGoal_->setText(QStringLiteral("New &Goal"));
        if (model_.IsAttribute(node)) {
            newAttribute_->setEnabled(false);
            newGoal_->setEnabled(false);
            newAttributeBeside_->setEnabled(model_.Parent(node) != kNone);
            scoreAssessment_->setText(QStringLiteral("&Score Assessment..."));
            convert_->setText(QStringLiteral("&Convert to Goal"));
            convert_->setEnabled(true);
        } else {
            newAttribute_->setEnabled(true);
            newGoal_->setEnabled(true);
            newAttributeBeside_->setEnabled(false);
            scoreAssessment_->setText(QStringLiteral("&Holistic Comparison..."));
            convert_->setText(QStringLiteral("&Convert to Attribute"));
            convert_->setEnabled(model_.CanConvert(node));
        }
        scoreAssessment_->setEnabled(haveScore);
        weightAssessment_->setEnabled(haveWeight);
    }
    copyTree_->setEnabled(true);
}

void TreeEditor::ShowTreePopup(const QPoint& globalPos) {
    TreeMenuAboutToShow();
    popup_->popup(globalPos);
}

NodeId TreeEditor::ReselectRemembered() {
    if (remembered_ != kNone && !model_.Exists(remembered_)) {
        remembered_ = kNone;
    }
    SelectNode(remembered_);
    return remembered_;
}

bool TreeEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tree_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_A) && remembered_ != kNone &&
            model_.IsAttribute(remembered_)) {
            if (showHint) {
                showHint(QStringLiteral("An attribute cannot have children: Ctrl+Shift+A adds "
                                        "an attribute beside it."));
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TreeEditor::NewNodeClick(NodeKind kind, bool beside) {
    NodeId parent = ReselectRemembered();
    if (beside) {
        // Beside an attribute: under its goal, after its last child.
        if (parent == kNone || !model_.IsAttribute(parent)) {
            return;
        }
        parent = model_.Parent(parent);
    }
    // Adding the node and naming it are one step: the prompt asks while the new node is shown.
    const char* label =
        kind == kGoal ? (model_.TreeEmpty() ? "New Main Goal" : "New Goal") : "New Attribute";
    NodeId node = kNone;
    document_.Apply(label, [&](Model& m) {
        node = m.AddNode(kind, parent);
        if (node == kNone) {
            return;
        }
        if (parent != kNone) {
            collapsed_.remove(parent);
            if (QTreeWidgetItem* item = ItemOf(parent)) {
                item->setExpanded(true);
            }
        }
        SelectNode(node);
        if (const std::optional<std::string> name = AskName(node)) {
            m.RenameNode(node, *name);
        }
    });
    if (model_.Exists(node)) {
        SelectNode(node);
    }
}

std::optional<std::string> TreeEditor::AskName(NodeId node) {
    if (!model_.Exists(node)) {
        return std::nullopt;
    }
    const QString name = ToQ(model_.Node(node).Name);
    const std::optional<QString> answer =
        prompts_.TextPrompt(QStringLiteral("New Node Name"),
                            QStringLiteral("Enter new name for '") + name + QStringLiteral("'."),
                            name, static_cast<int>(kMaxTextLength));
    const QString text = answer.value_or(name);
    if (text.isEmpty()) {
        return std::nullopt;
    }
    return ToStd(text);
}

void TreeEditor::RenameNodeMenuClick() {
    const NodeId node = ReselectRemembered();
    if (node == kNone) {
        return;
    }
    if (const std::optional<std::string> name = AskName(node)) {
        // A name changes no result.
        document_.Apply(
            "Rename Node", [&](Model& m) { m.RenameNode(node, *name); },
            Document::StepKind::KeepsResults);
    }
}

void TreeEditor::ConvertMenuClick() {
    const NodeId node = ReselectRemembered();
    if (node == kNone || !model_.CanConvert(node)) {
        return;
    }
    const QString text =
        model_.IsAttribute(node)
            ? QStringLiteral("Are you sure to change the selected attribute into a goal?")
            : QStringLiteral("Are you sure to change the selected goal into an attribute?");
    if (prompts_.Message(QStringLiteral("Confirm Change"), text, Icon::Question, Buttons::YesNo) ==
        Answer::Yes) {
        document_.Apply("Convert Node", [node](Model& m) { m.ConvertNode(node); });
        SelectNode(node);
    }
}

void TreeEditor::ScoreAssessmentMenuClick() {
    const NodeId node = ReselectRemembered();
    if (node != kNone && scoreHandler_) {
        scoreHandler_(node);
    }
}

void TreeEditor::WeightAssessmentMenuClick() {
    const NodeId node = ReselectRemembered();
    if (!weightHandler_) {
        return;
    }
    if (model_.TopDownWeights() && node != kNone) {
        weightHandler_(model_.IsGoal(node) ? node : model_.Parent(node));
    } else {
        weightHandler_(kNone);
    }
}

void TreeEditor::DeleteNodeMenuClick() {
    const NodeId node = ReselectRemembered();
    if (node == kNone) {
        return;
    }
    const QString name = ToQ(model_.Node(node).Name);
    const QString text = model_.IsGoal(node)
                             ? QStringLiteral("Are you sure you want to delete goal named '") +
                                   name + QStringLiteral("' and all its children?")
                             : QStringLiteral("Are you sure you want to delete attribute named '") +
                                   name + QStringLiteral("'?");
    if (prompts_.Message(QStringLiteral("Confirm deletion"), text, Icon::Question,
                         Buttons::YesNo) != Answer::Yes) {
        return;
    }
    const NodeId parent = model_.Parent(node);
    document_.Apply(model_.IsGoal(node) ? "Delete Goal" : "Delete Attribute",
                    [node](Model& m) { m.DeleteSubtree(node); });
    SelectNode(model_.Exists(parent) ? parent : kNone);
}

QImage TreeEditor::TreePicture() {
    return grab().toImage();
}

void TreeEditor::CopyTreeToClipboardClick() {
    if (!prompts_.SetClipboardImage(TreePicture())) {
        prompts_.Inform(kAppTitle, QStringLiteral("Failed to copy tree to clipboard!"), Icon::Stop);
    }
}

void TreeEditor::TreeViewDblClick(QTreeWidgetItem* item) {
    const NodeId node = NodeOf(item);
    if (node == kNone) {
        return;
    }
    remembered_ = node;
    item->setExpanded(true);
    for (QTreeWidgetItemIterator it(item); *it != nullptr; ++it) {
        if (*it != item && !model_.InSubtree(NodeOf(*it), node)) {
            break;
        }
        (*it)->setExpanded(true);
    }
    if (model_.IsAttribute(node)) {
        if (scoreHandler_) {
            scoreHandler_(node);
        }
    } else if (weightHandler_) {
        weightHandler_(model_.TopDownWeights() ? node : kNone);
    }
}

bool TreeEditor::CanDrop(NodeId dragged, NodeId target) const {
    return dragged != kNone && target != kNone && model_.Exists(dragged) && model_.Exists(target) &&
           !model_.InSubtree(target, dragged);
}

void TreeEditor::DropNode(NodeId dragged, NodeId target) {
    if (!CanDrop(dragged, target)) {
        return;
    }
    // The question comes first: a cancelled move leaves no step behind.
    Model::MoveMode mode = Model::MoveMode::SiblingBefore;
    if (model_.IsAttribute(target)) {
        mode = Model::MoveMode::SiblingBefore;
    } else if (target == model_.Root()) {
        mode = Model::MoveMode::FirstChild;
    } else {
        const QString text = QStringLiteral("Do you want to move node '") +
                             ToQ(model_.Node(dragged).Name) + QStringLiteral("' as a child of '") +
                             ToQ(model_.Node(target).Name) + QStringLiteral("'?");
        switch (prompts_.Message(QStringLiteral("Move as a child node"), text, Icon::Question,
                                 Buttons::YesNoCancel)) {
        case Answer::Yes:
            mode = Model::MoveMode::FirstChild;
            break;
        case Answer::No:
            mode = Model::MoveMode::SiblingBefore;
            break;
        default:
            return;
        }
    }
    bool moved = false;
    document_.Apply("Move Node", [&](Model& m) { moved = m.MoveNode(dragged, target, mode); });
    if (!moved) {
        return;
    }
    collapsed_.remove(dragged);
    if (QTreeWidgetItem* item = ItemOf(dragged)) {
        item->setExpanded(true);
    }
    SelectNode(dragged);
    if (onTreeMoved) {
        onTreeMoved();
    }
}

} // namespace velor::ui
