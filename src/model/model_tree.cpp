// Value-tree operations: adding, deleting, renaming, moving and converting nodes, and keeping
// the consequence-table columns in pre-order.
#include "model/model.h"
#include "model/text_limit.h"

#include <algorithm>
#include <functional>

namespace velor {

NodeId Model::AddNode(NodeKind kind, NodeId parent) {
    const bool empty = TreeEmpty();
    if (empty) {
        if (kind != kGoal) {
            return kNone; // the first node is always the main goal
        }
    } else if (parent == kNone || !Exists(parent) || !IsGoal(parent)) {
        return kNone;
    }
    if (empty) {
        EnsureBottomUpEntry("Bottom up");
    }

    TNodeData d;
    d.Kind = kind;
    d.Name = kind == kAttribute ? "Attribute" : (empty ? "Main Goal" : "Goal");
    d.Column = n_ + 1;
    d.NormWeightLower = 0.0;
    d.NormWeightUpper = 1.0;
    d.WeightLower = 0.0;
    d.WeightUpper = 1.0;
    d.Values.assign(m_, TNodeValue{});
    if (empty) {
        d.NormWeightLower = d.NormWeightUpper = d.WeightLower = d.WeightUpper = 1.0;
        d.TopDownLower = d.TopDownUpper = d.BottomUpLower = d.BottomUpUpper = kReferenceWeight;
    }

    const NodeId id = nextNodeId_++;
    TreeNode tn;
    tn.Data = std::move(d);
    tn.Parent = empty ? kNone : parent;
    nodes_.emplace(id, std::move(tn));
    if (empty) {
        root_ = id;
    } else {
        NodeRef(parent).Children.push_back(id);
    }
    RebuildPreOrder();

    AddNodeColumn(id);
    ResyncColumns();

    TAssessmentEntry own = MakeOwnEntry(id);
    if (kind == kAttribute) {
        NodeData(id).Assessment = InsertEntry(EntryPosition(bottomUpEntry_), std::move(own));
    } else {
        NodeData(id).Assessment = InsertEntry(static_cast<int>(entries_.size()), std::move(own));
        InsertEntry(TopDownInsertPosition(), MakeWeightEntry(id));
    }

    RefreshAssessedStatus();
    Notify(ModelChange::Tree);
    Notify(ModelChange::Table);
    Notify(ModelChange::Assessments);
    return id;
}

void Model::AddNodeColumn(NodeId node) {
    auto& d = NodeData(node);
    ++n_;
    if (n_ == 1) {
        table_.SetColWidth(1, ConsequenceTable::kFirstColumnWidth);
    } else {
        table_.SetColCount(n_ + 1);
    }
    d.Column = n_;
    table_.SetText(n_, 0, d.Name);
    table_.SetHeaderNode(n_, node);
    for (int row = 1; row <= m_; ++row) {
        table_.Consequence(n_, row) = TConsequenceData{};
    }
}

int Model::TopDownInsertPosition() const {
    // Top-down entries stand just before the holistic entries, whose first is the root's.
    if (root_ != kNone && Node(root_).Assessment != kNone) {
        return EntryPosition(Node(root_).Assessment);
    }
    for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
        if (entries_[i].Kind == EntryKind::HolisticComparison) {
            return i;
        }
    }
    return static_cast<int>(entries_.size());
}

void Model::DeleteSubtree(NodeId node) {
    if (node == kNone || !Exists(node)) {
        return;
    }
    const int n0 = n_;

    // Children's subtrees first, then the node itself.
    std::vector<NodeId> doomed;
    std::function<void(NodeId)> collect = [&](NodeId n) {
        for (NodeId c : Children(n)) {
            collect(c);
        }
        doomed.push_back(n);
    };
    collect(node);
    for (NodeId n : doomed) {
        RemoveEntriesOf(n);
    }
    if (node == root_) {
        RemoveEntry(bottomUpEntry_);
        bottomUpEntry_ = kNone;
    }

    const NodeId parent = Parent(node);
    if (parent != kNone) {
        std::erase(NodeRef(parent).Children, node);
    } else {
        root_ = kNone;
    }
    for (NodeId n : doomed) {
        nodes_.erase(n);
    }
    RebuildPreOrder();

    auto columnUsed = [&](int c) {
        return std::any_of(nodes_.begin(), nodes_.end(),
                           [c](const auto& kv) { return kv.second.Data.Column == c; });
    };
    for (int c = n_; c >= 1; --c) {
        if (!columnUsed(c)) {
            table_.ClearColumn(c);
            if (table_.ColCount() > 2) {
                table_.DeleteACol(c);
            }
            --n_;
        }
    }
    for (int c = n0; c >= 1; --c) {
        if (!columnUsed(c)) {
            for (auto& [id, tn] : nodes_) {
                if (tn.Data.Column > c) {
                    --tn.Data.Column;
                }
            }
        }
    }

    Notify(ModelChange::Tree);
    Notify(ModelChange::Table);
    Notify(ModelChange::Assessments);
}

bool Model::RenameNode(NodeId node, const std::string& newName) {
    if (newName.empty() || !Exists(node)) {
        return false;
    }
    auto& d = NodeData(node);
    d.Name = LimitText(newName);
    table_.SetText(d.Column, 0, d.Name);
    if (auto* own = MutableEntry(d.Assessment)) {
        own->References = d.Name;
    }
    for (auto& e : entries_) {
        if (e.Kind == EntryKind::TopDownWeights && e.WeightNode == node) {
            e.References = d.Name;
        }
    }
    Notify(ModelChange::Tree);
    Notify(ModelChange::Table);
    Notify(ModelChange::Assessments);
    return true;
}

bool Model::MoveNode(NodeId node, NodeId target, MoveMode mode) {
    if (node == kNone || target == kNone || !Exists(node) || !Exists(target) ||
        InSubtree(target, node)) {
        return false;
    }
    auto& oldSiblings = NodeRef(Parent(node)).Children;
    std::erase(oldSiblings, node);

    if (IsAttribute(target) || (target != root_ && mode == MoveMode::SiblingBefore)) {
        const NodeId parent = Parent(target);
        auto& siblings = NodeRef(parent).Children;
        siblings.insert(std::find(siblings.begin(), siblings.end(), target), node);
        NodeRef(node).Parent = parent;
    } else {
        auto& children = NodeRef(target).Children;
        children.insert(children.begin(), node);
        NodeRef(node).Parent = target;
    }
    RebuildPreOrder();
    ResyncColumns();
    Notify(ModelChange::Tree);
    Notify(ModelChange::Table);
    return true;
}

bool Model::CanConvert(NodeId node) const {
    return node != kNone && Exists(node) && node != root_ &&
           (IsAttribute(node) || Children(node).empty());
}

bool Model::ConvertNode(NodeId node) {
    if (!CanConvert(node)) {
        return false;
    }
    auto& d = NodeData(node);
    std::optional<TPreferenceData> pref;
    if (const auto* old = Entry(d.Assessment)) {
        pref = old->Preference;
    }
    if (!pref) {
        pref = TPreferenceData{};
        pref->Node = node;
    }
    const EntryId oldEntry = d.Assessment;

    if (d.Kind == kAttribute) {
        d.Kind = kGoal;
        pref->Holistic = 1;
        TAssessmentEntry own = MakeOwnEntry(node);
        own.Preference = std::move(pref);
        const EntryId fresh = InsertEntry(static_cast<int>(entries_.size()), std::move(own));
        RemoveEntry(oldEntry);
        NodeData(node).Assessment = fresh;
        InsertEntry(EntryPosition(bottomUpEntry_) + 1, MakeWeightEntry(node));
    } else {
        d.Kind = kAttribute;
        pref->Holistic = 0;
        TAssessmentEntry own = MakeOwnEntry(node);
        own.Preference = std::move(pref);
        const EntryId fresh = InsertEntry(EntryPosition(bottomUpEntry_), std::move(own));
        RemoveEntry(oldEntry);
        NodeData(node).Assessment = fresh;
        for (int i = static_cast<int>(entries_.size()) - 1; i >= 0; --i) {
            if (entries_[i].Kind == EntryKind::TopDownWeights && entries_[i].WeightNode == node) {
                entries_.erase(entries_.begin() + i);
            }
        }
    }
    RefreshAssessedStatus();
    Notify(ModelChange::Tree);
    Notify(ModelChange::Assessments);
    return true;
}

void Model::ResyncColumns() {
    bool moved = true;
    while (moved) {
        moved = false;
        for (int i = 0; i < static_cast<int>(preOrder_.size()); ++i) {
            const NodeId node = preOrder_[i];
            const int a = Node(node).Column;
            const int p = i + 1;
            if (a == p) {
                continue;
            }
            table_.MoveACol(a, p);
            for (auto& [id, tn] : nodes_) {
                int& c = tn.Data.Column;
                if (a < p && c > a && c <= p) {
                    --c;
                } else if (a > p && c >= p && c < a) {
                    ++c;
                }
            }
            NodeData(node).Column = p;
            moved = true;
            break;
        }
    }
}

void Model::ClearTree() {
    if (root_ != kNone) {
        DeleteSubtree(root_);
    }
}

} // namespace velor
