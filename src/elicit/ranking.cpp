#include "elicit/ranking.h"

#include "model/model.h"

#include <algorithm>
#include <cctype>

namespace velor::elicit {

namespace {

// Case-insensitive comparison, the order of a sorted list box.
int CompareText(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

} // namespace

bool LevelRow::Holds(AltId alternative) const {
    return std::any_of(Members.begin(), Members.end(),
                       [&](const LevelMember& m) { return m.Alternative == alternative; });
}

void LevelRow::SetRank(int rank) {
    for (auto& m : Members)
        m.Rank = rank;
}

std::string RankedLabel(const LevelRow& row) {
    return "(" + std::to_string(row.Rank()) + ") " + row.Label();
}

Ranking::Ranking(const std::vector<LevelMember>& members) {
    for (const auto& member : members) {
        auto& list = member.Rank == 0 ? unranked_ : ranked_;
        const bool shareable = !Model::IsEmptyText(member.Consequence);
        auto same = list.end();
        if (shareable) {
            same = std::find_if(list.begin(), list.end(), [&](const LevelRow& row) {
                return row.Label() == member.Label && row.Rank() == member.Rank;
            });
        }
        if (same != list.end()) {
            same->Members.push_back(member);
        } else if (member.Rank == 0) {
            InsertUnranked(LevelRow{{member}});
        } else {
            ranked_.push_back(LevelRow{{member}});
        }
    }
    SortRanked();
}

void Ranking::SelectUnranked(int index) {
    selectedUnranked_ = (index >= 0 && index < static_cast<int>(unranked_.size())) ? index : -1;
}

void Ranking::SelectRanked(int index) {
    selectedRanked_ = (index >= 0 && index < static_cast<int>(ranked_.size())) ? index : -1;
}

int Ranking::HighestRank() const {
    int highest = 0;
    for (const auto& row : ranked_)
        highest = std::max(highest, row.Rank());
    return highest;
}

int Ranking::RankedRowOf(AltId alternative) const {
    for (std::size_t i = 0; i < ranked_.size(); ++i) {
        if (ranked_[i].Holds(alternative))
            return static_cast<int>(i);
    }
    return -1;
}

const LevelRow* Ranking::RowOf(AltId alternative) const {
    for (const auto* list : {&ranked_, &unranked_}) {
        for (const auto& row : *list) {
            if (row.Holds(alternative))
                return &row;
        }
    }
    return nullptr;
}

std::vector<int> Ranking::RanksByRow(int rowCount) const {
    std::vector<int> ranks(static_cast<std::size_t>(std::max(rowCount, 0)), 0);
    for (const auto* list : {&ranked_, &unranked_}) {
        for (const auto& row : *list) {
            for (const auto& m : row.Members) {
                if (m.Row >= 1 && m.Row <= rowCount)
                    ranks[m.Row - 1] = m.Rank;
            }
        }
    }
    return ranks;
}

bool Ranking::Rank() {
    if (selectedUnranked_ < 0)
        return false;
    const int index = selectedUnranked_;
    LevelRow row = std::move(unranked_[index]);
    unranked_.erase(unranked_.begin() + index);
    row.SetRank(HighestRank() + 1);
    ranked_.push_back(std::move(row));
    SelectUnranked(index);
    SortRanked();
    return true;
}

template <typename Pred> void Ranking::Shift(int skip, int delta, Pred pick) {
    for (int i = 0; i < static_cast<int>(ranked_.size()); ++i) {
        if (i != skip && pick(ranked_[i].Rank()))
            ranked_[i].SetRank(ranked_[i].Rank() + delta);
    }
}

bool Ranking::More() {
    if (selectedRanked_ < 0)
        return false;
    const int s = selectedRanked_;
    const int r = ranked_[s].Rank();
    const bool tied = std::any_of(ranked_.begin(), ranked_.end(), [&](const LevelRow& row) {
        return &row != &ranked_[s] && row.Rank() == r;
    });
    if (tied) {
        // S stands alone above its former ties.
        Shift(s, +1, [r](int rank) { return rank >= r; });
    } else {
        if (r == 1)
            return false;
        // S joins the group above.
        ranked_[s].SetRank(r - 1);
        Shift(s, -1, [r](int rank) { return rank > r; });
    }
    SortRanked();
    return true;
}

bool Ranking::Less() {
    if (selectedRanked_ < 0)
        return false;
    const int s = selectedRanked_;
    const int r = ranked_[s].Rank();
    const bool tied = std::any_of(ranked_.begin(), ranked_.end(), [&](const LevelRow& row) {
        return &row != &ranked_[s] && row.Rank() == r;
    });
    if (tied) {
        // S stands alone below its former ties.
        ranked_[s].SetRank(r + 1);
        Shift(s, +1, [r](int rank) { return rank > r; });
    } else {
        if (s == static_cast<int>(ranked_.size()) - 1)
            return false;
        // The group below joins S.
        Shift(s, -1, [r](int rank) { return rank > r; });
    }
    SortRanked();
    return true;
}

bool Ranking::Remove() {
    if (selectedRanked_ < 0)
        return false;
    const int index = selectedRanked_;
    LevelRow row = std::move(ranked_[index]);
    ranked_.erase(ranked_.begin() + index);
    const int r = row.Rank();
    row.SetRank(0);
    InsertUnranked(std::move(row));
    SelectRanked(index);
    const bool stillHeld = std::any_of(ranked_.begin(), ranked_.end(),
                                       [r](const LevelRow& other) { return other.Rank() == r; });
    if (!stillHeld)
        Shift(-1, -1, [r](int rank) { return rank > r; });
    SortRanked();
    return true;
}

void Ranking::SortRanked() {
    // Insertion sort by rank: rows of equal rank keep their order, the selection its row.
    for (int i = 1; i < static_cast<int>(ranked_.size()); ++i) {
        int j = i;
        while (j > 0 && ranked_[j - 1].Rank() > ranked_[j].Rank()) {
            std::swap(ranked_[j - 1], ranked_[j]);
            if (selectedRanked_ == j)
                selectedRanked_ = j - 1;
            else if (selectedRanked_ == j - 1)
                selectedRanked_ = j;
            --j;
        }
    }
}

void Ranking::InsertUnranked(LevelRow row) {
    auto pos = std::find_if(unranked_.begin(), unranked_.end(), [&](const LevelRow& other) {
        return CompareText(other.Label(), row.Label()) > 0;
    });
    const int index = static_cast<int>(pos - unranked_.begin());
    unranked_.insert(pos, std::move(row));
    if (selectedUnranked_ >= index)
        ++selectedUnranked_;
}

} // namespace velor::elicit
