// Checks every structural invariant of a model; returns the first violation, or "" when sound.
#pragma once

#include "model/model.h"

#include <set>
#include <string>

namespace velor::testing {

inline std::string CheckInvariants(const Model& m) {
    const auto& t = m.Table();
    auto fail = [](const std::string& what) { return what; };

    // Grid shape.
    if (t.RowCount() != std::max(m.M() + 1, 2)) {
        return fail("row count " + std::to_string(t.RowCount()) +
                    " for M=" + std::to_string(m.M()));
    }
    if (t.ColCount() != std::max(m.N() + 1, 2)) {
        return fail("col count " + std::to_string(t.ColCount()) +
                    " for N=" + std::to_string(m.N()));
    }
    if (m.N() != m.NodeCount()) {
        return fail("N differs from the number of nodes");
    }

    // Tree: root first, attributes childless, Column = pre-order index + 1, header objects.
    const auto& pre = m.PreOrder();
    if (!pre.empty() && (pre.front() != m.Root() || !m.IsGoal(m.Root()))) {
        return fail("root is not the first node or not a goal");
    }
    for (int i = 0; i < static_cast<int>(pre.size()); ++i) {
        const NodeId n = pre[i];
        const auto& d = m.Node(n);
        if (d.Kind == kAttribute && !m.Children(n).empty()) {
            return fail("attribute with children: " + d.Name);
        }
        if (d.Column != i + 1) {
            return fail("column of " + d.Name + " is " + std::to_string(d.Column) + ", expected " +
                        std::to_string(i + 1));
        }
        if (m.NodeByColumn(i + 1) != n || t.Text(i + 1, 0) != d.Name) {
            return fail("header of column " + std::to_string(i + 1) + " does not name its node");
        }
        if (static_cast<int>(d.Values.size()) != m.M()) {
            return fail("Values of " + d.Name + " has " + std::to_string(d.Values.size()));
        }
        const auto* own = m.Entry(d.Assessment);
        if (!own || !own->Preference || own->Preference->Node != n) {
            return fail("node " + d.Name + " has no own entry with its statement set");
        }
        const EntryKind expected =
            d.Kind == kAttribute ? EntryKind::ScoreAssessment : EntryKind::HolisticComparison;
        if (own->Kind != expected || own->Preference->Holistic != (d.Kind == kGoal ? 1 : 0)) {
            return fail("own entry of " + d.Name + " has the wrong kind");
        }
        const bool hasWeightEntry = m.WeightEntryOf(n) != kNone;
        if (hasWeightEntry != (d.Kind == kGoal)) {
            return fail("weight entry of " + d.Name + " present=" + std::to_string(hasWeightEntry));
        }
        for (int row = 1; row <= m.M(); ++row) {
            if (!t.Consequence(i + 1, row)) {
                return fail("missing consequence record in column " + std::to_string(i + 1));
            }
        }
    }

    // Assessment list: one bottom-up entry while the tree is not empty, and the section order
    // score entries, bottom-up, top-down entries, holistic entries.
    const auto& entries = m.Assessments();
    int bottomUps = 0;
    int section = 0;
    std::set<EntryId> ids;
    for (const auto& e : entries) {
        int s = 0;
        switch (e.Kind) {
        case EntryKind::ScoreAssessment:
            s = 0;
            break;
        case EntryKind::BottomUpWeights:
            s = 1;
            ++bottomUps;
            break;
        case EntryKind::TopDownWeights:
            s = 2;
            break;
        case EntryKind::HolisticComparison:
            s = 3;
            break;
        }
        if (s < section) {
            return fail("assessment list out of order at " + e.Caption + " " + e.References);
        }
        section = s;
        if (!ids.insert(e.Id).second) {
            return fail("duplicate entry id");
        }
        if (e.Preference && !m.Exists(e.Preference->Node)) {
            return fail("entry refers to a deleted node");
        }
        if (e.Kind == EntryKind::TopDownWeights && !m.Exists(e.WeightNode)) {
            return fail("weight entry refers to a deleted goal");
        }
        if (e.Preference) {
            for (const auto& st : e.Preference->Statements) {
                for (AltId a : {st.Num1, st.Num2, st.Den1, st.Den2}) {
                    if (m.RowOfAlternative(a) == 0) {
                        return fail("statement names a removed alternative");
                    }
                }
            }
        }
    }
    if (bottomUps != (m.TreeEmpty() ? 0 : 1) || (m.TreeEmpty() && !entries.empty())) {
        return fail("bottom-up entry count " + std::to_string(bottomUps));
    }
    if (static_cast<int>(entries.size()) !=
        m.NodeCount() + static_cast<int>(m.Goals().size()) + bottomUps) {
        return fail("assessment list has " + std::to_string(entries.size()) + " entries");
    }

    // Alternatives: Index = row, list sizes M + 1, records present.
    std::set<AltId> altIds;
    for (int row = 1; row <= m.M(); ++row) {
        const auto& a = m.Alternative(row);
        if (a.Index != row) {
            return fail("Index " + std::to_string(a.Index) + " in row " + std::to_string(row));
        }
        if (static_cast<int>(a.Dominance.size()) != m.M() + 1 ||
            static_cast<int>(a.DominanceMargin.size()) != m.M() + 1) {
            return fail("dominance lists of row " + std::to_string(row) + " are not M + 1 long");
        }
        if (!altIds.insert(a.Id).second) {
            return fail("duplicate alternative id");
        }
    }
    return "";
}

} // namespace velor::testing
