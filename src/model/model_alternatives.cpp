// Consequence-table operations: alternatives, consequence texts and ranks.
#include "model/model.h"
#include "model/text_limit.h"

#include <map>
#include <stdexcept>

namespace velor {

std::string Model::DisplayText(int col, int row) const {
    const std::string& text = table_.Text(col, row);
    return IsEmptyText(text) ? "(" + AlternativeName(row) + ")" : text;
}

const TConsequenceData& Model::Consequence(int col, int row) const {
    const auto& c = table_.Consequence(col, row);
    if (!c) {
        throw std::out_of_range("cell (" + std::to_string(col) + ", " + std::to_string(row) +
                                ") holds no consequence");
    }
    return *c;
}

TConsequenceData& Model::ConsequenceData(int col, int row) {
    auto& c = table_.Consequence(col, row);
    if (!c) {
        throw std::out_of_range("cell (" + std::to_string(col) + ", " + std::to_string(row) +
                                ") holds no consequence");
    }
    return *c;
}

const TAlternativeData& Model::Alternative(int row) const {
    const auto& a = table_.Alternative(row);
    if (!a || row < 1 || row > m_) {
        throw std::out_of_range("no alternative in row " + std::to_string(row));
    }
    return *a;
}

TAlternativeData& Model::AlternativeData(int row) {
    auto& a = table_.Alternative(row);
    if (!a || row < 1 || row > m_) {
        throw std::out_of_range("no alternative in row " + std::to_string(row));
    }
    return *a;
}

int Model::RowOfAlternative(AltId id) const {
    for (int row = 1; row <= m_; ++row) {
        if (Alternative(row).Id == id) {
            return row;
        }
    }
    return 0;
}

int Model::RankOneRow(int col) const {
    for (int row = 1; row <= m_; ++row) {
        if (Rank(col, row) == 1) {
            return row;
        }
    }
    return 0;
}

int Model::HighestRankRow(int col) const {
    int best = 0;
    int bestRank = 0;
    for (int row = 1; row <= m_; ++row) {
        if (Rank(col, row) > bestRank) {
            bestRank = Rank(col, row);
            best = row;
        }
    }
    return best;
}

std::vector<AchievementLevel> Model::Levels(int col) const {
    std::vector<AchievementLevel> levels;
    std::map<std::string, std::size_t> byText;
    for (int row = 1; row <= m_; ++row) {
        const std::string& text = table_.Text(col, row);
        if (IsEmptyText(text)) {
            levels.push_back({"(" + AlternativeName(row) + ")", {row}});
            continue;
        }
        auto [it, fresh] = byText.emplace(text, levels.size());
        if (fresh) {
            levels.push_back({text, {row}});
        } else {
            levels[it->second].Rows.push_back(row);
        }
    }
    return levels;
}

int Model::NewAlternative() {
    ++m_;
    table_.SetRowCount(std::max(m_ + 1, 2));
    const std::string name = "Alternative " + std::to_string(m_);
    table_.SetText(0, m_, name);
    if (n_ > 0) {
        table_.SetText(1, m_, name);
    }

    TAlternativeData a;
    a.Id = nextAltId_++;
    a.Index = m_;
    a.Dominance.assign(m_ + 1, kNotComputed);
    a.DominanceMargin.assign(m_ + 1, 0.0);
    table_.Alternative(m_) = std::move(a);

    for (int col = 1; col <= n_; ++col) {
        TConsequenceData c;
        c.Upper = 1.0 / n_;
        table_.Consequence(col, m_) = c;
    }
    for (auto& [id, tn] : nodes_) {
        tn.Data.Values.push_back(TNodeValue{});
    }
    for (int row = 1; row < m_; ++row) {
        auto& other = AlternativeData(row);
        other.Dominance.push_back(kNotComputed);
        other.DominanceMargin.push_back(0.0);
    }
    RefreshAssessedStatus();
    Notify(ModelChange::Table);
    Notify(ModelChange::Results);
    return m_;
}

int Model::DuplicateAlternative(int row) {
    const int fresh = NewAlternative();
    if (row > 0 && row < fresh) {
        for (int col = 0; col <= n_; ++col) {
            table_.SetText(col, fresh, table_.Text(col, row));
        }
        Notify(ModelChange::Table);
        Notify(ModelChange::Tree);
    }
    return fresh;
}

void Model::DeleteAlternative(int row) {
    if (m_ == 0 || row < 1 || row > m_) {
        return;
    }
    const AltId gone = Alternative(row).Id;
    for (auto& [id, tn] : nodes_) {
        auto& v = tn.Data.Values;
        if (row - 1 < static_cast<int>(v.size())) {
            v.erase(v.begin() + (row - 1));
        }
    }
    for (int col = 1; col <= n_; ++col) {
        const int r = Rank(col, row);
        if (r <= 0) {
            continue;
        }
        bool shared = false;
        for (int other = 1; other <= m_ && !shared; ++other) {
            shared = other != row && Rank(col, other) == r;
        }
        if (!shared) {
            for (int other = 1; other <= m_; ++other) {
                auto& c = ConsequenceData(col, other);
                if (c.Rank > r) {
                    --c.Rank;
                }
            }
        }
    }
    RemoveStatementsNaming(gone);

    if (m_ > 1) {
        table_.DeleteARow(row);
        for (int r = row; r < m_; ++r) {
            --table_.Alternative(r)->Index;
        }
    } else {
        for (int col = 0; col < table_.ColCount(); ++col) {
            table_.SetText(col, 1, "");
            table_.Consequence(col, 1).reset();
        }
        table_.Alternative(1).reset();
    }
    --m_;
    RefreshAssessedStatus();
    // The statements about the deleted alternative went with it, so no stored dominance
    // relation is known to hold any more until the next calculation. This is the model's state,
    // whichever windows are open, so the saved file does not depend on them.
    for (int r = 1; r <= m_; ++r) {
        auto& a = AlternativeData(r);
        a.Dominance.erase(a.Dominance.begin() + row);
        a.DominanceMargin.erase(a.DominanceMargin.begin() + row);
        for (int c = 1; c < std::ssize(a.Dominance); ++c) {
            a.Dominance[static_cast<std::size_t>(c)] = c == r ? kSelf : kNotComputed;
        }
    }
    Notify(ModelChange::Table);
    Notify(ModelChange::Assessments);
    Notify(ModelChange::Results);
}

void Model::ClearAlternatives() {
    if (m_ == 0) {
        return;
    }
    for (auto& [id, tn] : nodes_) {
        tn.Data.Values.clear();
    }
    table_.SetRowCount(2);
    for (int col = 0; col < table_.ColCount(); ++col) {
        table_.SetText(col, 1, "");
        table_.Consequence(col, 1).reset();
    }
    table_.Alternative(1).reset();
    for (auto& e : entries_) {
        if (e.Preference) {
            e.Preference->Statements.clear();
        }
    }
    m_ = 0;
    Notify(ModelChange::Table);
    Notify(ModelChange::Assessments);
    Notify(ModelChange::Results);
}

bool Model::CommitCellText(int col, int row, const std::string& text, bool keepRanking,
                           bool renameAlternative) {
    if (!CellsEditable() || col < 1 || col > n_ || row < 1 || row > m_) {
        return false;
    }
    if (Rank(col, row) > 0 && !keepRanking) {
        UnrankConsequence(col, row);
    }
    const std::string stored = LimitText(text);
    table_.SetText(col, row, stored);
    const bool renames = col == 1 && renameAlternative;
    if (renames) {
        table_.SetText(0, row, stored);
    }
    Notify(ModelChange::Table);
    if (renames) {
        Notify(ModelChange::Results); // views that show alternative names
    }
    return true;
}

void Model::UnrankConsequence(int col, int row) {
    ConsequenceData(col, row).Rank = 0;
    const AltId alt = Alternative(row).Id;
    const NodeId node = NodeByColumn(col);
    if (node != kNone) {
        if (auto* pref = PreferenceData(node)) {
            auto& s = pref->Statements;
            for (int i = static_cast<int>(s.size()) - 1; i >= 0; --i) {
                if (s[i].Names(alt)) {
                    s.erase(s.begin() + i);
                }
            }
        }
    }
    Notify(ModelChange::Table);
    Notify(ModelChange::Assessments);
}

} // namespace velor
