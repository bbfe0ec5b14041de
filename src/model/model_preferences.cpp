// The assessment list and the statements: entries, statuses, ranks, weight bounds.
#include "model/model.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace velor {

const TAssessmentEntry* Model::Entry(EntryId id) const {
    for (const auto& e : entries_) {
        if (e.Id == id) {
            return &e;
        }
    }
    return nullptr;
}

TAssessmentEntry* Model::MutableEntry(EntryId id) {
    return const_cast<TAssessmentEntry*>(std::as_const(*this).Entry(id));
}

int Model::EntryPosition(EntryId id) const {
    for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
        if (entries_[i].Id == id) {
            return i;
        }
    }
    return static_cast<int>(entries_.size());
}

EntryId Model::InsertEntry(int position, TAssessmentEntry entry) {
    entry.Id = nextEntryId_++;
    position = std::clamp(position, 0, static_cast<int>(entries_.size()));
    const EntryId id = entry.Id;
    entries_.insert(entries_.begin() + position, std::move(entry));
    return id;
}

void Model::RemoveEntry(EntryId id) {
    std::erase_if(entries_, [id](const TAssessmentEntry& e) { return e.Id == id; });
}

void Model::EnsureBottomUpEntry(const char* remark) {
    if (bottomUpEntry_ != kNone) {
        return;
    }
    TAssessmentEntry e;
    e.Kind = EntryKind::BottomUpWeights;
    e.Caption = "Weight Assessment";
    e.Image = 1;
    e.References = "Twig-level attributes";
    e.Status = AssessmentStatus::No;
    e.Remarks = remark;
    bottomUpEntry_ = InsertEntry(static_cast<int>(entries_.size()), std::move(e));
}

TAssessmentEntry Model::MakeOwnEntry(NodeId node) const {
    const auto& d = Node(node);
    TAssessmentEntry e;
    e.Image = 0;
    TPreferenceData pref;
    pref.Node = node;
    if (d.Kind == kAttribute) {
        e.Kind = EntryKind::ScoreAssessment;
        e.Caption = "Score Assessment";
        e.References = d.Name;
        pref.Holistic = 0;
    } else {
        e.Kind = EntryKind::HolisticComparison;
        e.Caption = "Holistic Comparison";
        e.References = d.Name;
        e.Remarks = "Optional";
        pref.Holistic = 1;
    }
    e.Preference = std::move(pref);
    return e;
}

TAssessmentEntry Model::MakeWeightEntry(NodeId goal) const {
    TAssessmentEntry e;
    e.Kind = EntryKind::TopDownWeights;
    e.Caption = "Weight Assessment";
    e.Image = 1;
    e.References = Node(goal).Name;
    e.Remarks = "Top Down";
    e.WeightNode = goal;
    return e;
}

void Model::RemoveEntriesOf(NodeId node) {
    RemoveEntry(Node(node).Assessment);
    NodeData(node).Assessment = kNone;
    std::erase_if(entries_, [node](const TAssessmentEntry& e) {
        return e.Kind == EntryKind::TopDownWeights && e.WeightNode == node;
    });
}

void Model::RemoveStatementsNaming(AltId alt) {
    for (auto& e : entries_) {
        if (e.Preference) {
            std::erase_if(e.Preference->Statements,
                          [alt](const TCardinalStatement& s) { return s.Names(alt); });
        }
    }
}

EntryId Model::WeightEntryOf(NodeId goal) const {
    for (const auto& e : entries_) {
        if (e.Kind == EntryKind::TopDownWeights && e.WeightNode == goal) {
            return e.Id;
        }
    }
    return kNone;
}

const TPreferenceData* Model::Preference(NodeId node) const {
    const auto* e = Entry(Node(node).Assessment);
    return (e && e->Preference) ? &*e->Preference : nullptr;
}

TPreferenceData* Model::PreferenceData(NodeId node) {
    return const_cast<TPreferenceData*>(std::as_const(*this).Preference(node));
}

bool Model::WeightModeMarked(const TAssessmentEntry& entry) const {
    if (entry.Kind == EntryKind::TopDownWeights) {
        return topDownWeights_;
    }
    if (entry.Kind == EntryKind::BottomUpWeights) {
        return !topDownWeights_;
    }
    return false;
}

std::vector<NodeId> Model::WeightRows(const TAssessmentEntry& entry) const {
    if (entry.Kind == EntryKind::BottomUpWeights) {
        return Attributes();
    }
    if (entry.Kind == EntryKind::TopDownWeights && Exists(entry.WeightNode)) {
        return Children(entry.WeightNode);
    }
    return {};
}

AssessmentStatus Model::EntryStatus(const TAssessmentEntry& entry) const {
    switch (entry.Kind) {
    case EntryKind::ScoreAssessment:
    case EntryKind::HolisticComparison: {
        if (!entry.Preference || !Exists(entry.Preference->Node)) {
            return AssessmentStatus::No;
        }
        const int col = Node(entry.Preference->Node).Column;
        int ranked = 0;
        for (int row = 1; row <= m_; ++row) {
            if (table_.Consequence(col, row) && Rank(col, row) > 0) {
                ++ranked;
            }
        }
        if (entry.Kind == EntryKind::HolisticComparison) {
            return ranked >= 1 ? AssessmentStatus::Yes : AssessmentStatus::No;
        }
        return (ranked >= 2 || (ranked == 1 && m_ == 1)) ? AssessmentStatus::Yes
                                                         : AssessmentStatus::No;
    }
    case EntryKind::TopDownWeights:
    case EntryKind::BottomUpWeights: {
        const bool topDown = entry.Kind == EntryKind::TopDownWeights;
        bool reference = false;
        bool allGiven = true;
        for (NodeId n : WeightRows(entry)) {
            const auto& d = Node(n);
            const double lo = topDown ? d.TopDownLower : d.BottomUpLower;
            const double hi = topDown ? d.TopDownUpper : d.BottomUpUpper;
            reference = reference || (lo == kReferenceWeight && hi == kReferenceWeight);
            allGiven = allGiven && lo >= 0 && hi >= 0;
        }
        if (!reference) {
            return AssessmentStatus::No;
        }
        return allGiven ? AssessmentStatus::Yes : AssessmentStatus::Partially;
    }
    }
    return AssessmentStatus::No;
}

void Model::RefreshAssessedStatus() {
    for (auto& e : entries_) {
        e.Status = EntryStatus(e);
    }
    Notify(ModelChange::Assessments);
}

void Model::StoreRanking(NodeId node, const std::vector<int>& ranks,
                         const std::vector<TCardinalStatement>& statements) {
    const int col = Node(node).Column;
    if (static_cast<int>(ranks.size()) != m_) {
        throw std::invalid_argument("one rank per alternative expected");
    }
    for (int row = 1; row <= m_; ++row) {
        ConsequenceData(col, row).Rank = ranks[row - 1];
    }
    auto* own = MutableEntry(Node(node).Assessment);
    if (own) {
        if (!own->Preference) {
            own->Preference = TPreferenceData{};
            own->Preference->Node = node;
            own->Preference->Holistic = IsGoal(node) ? 1 : 0;
        }
        own->Preference->Statements = statements;
    }
    RefreshAssessedStatus();
    Notify(ModelChange::Table);
}

void Model::StoreWeightBounds(bool topDown, const std::vector<WeightBound>& bounds) {
    for (const auto& b : bounds) {
        auto& d = NodeData(b.Node);
        if (topDown) {
            d.TopDownLower = b.Lower;
            d.TopDownUpper = b.Upper;
        } else {
            d.BottomUpLower = b.Lower;
            d.BottomUpUpper = b.Upper;
        }
    }
    RefreshAssessedStatus();
}

void Model::ClearPreferences() {
    for (int col = 1; col <= n_; ++col) {
        for (int row = 1; row <= m_; ++row) {
            if (table_.Consequence(col, row)) {
                UnrankConsequence(col, row);
            }
        }
    }
    for (auto& [id, tn] : nodes_) {
        if (id != root_) {
            tn.Data.TopDownLower = tn.Data.TopDownUpper = kNotGiven;
            tn.Data.BottomUpLower = tn.Data.BottomUpUpper = kNotGiven;
        }
    }
    RefreshAssessedStatus();
    Notify(ModelChange::Table);
}

} // namespace velor
