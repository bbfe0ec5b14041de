#include "elicit/ranking.h"

#include "model/model.h"

#include <algorithm>

namespace velor::elicit {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The length of a digit-group separator at pos: a blank (1), a no-break space (2) or a narrow
// no-break space (3) in UTF-8; 0 when there is none.
std::size_t GroupSeparatorAt(std::string_view text, std::size_t pos) {
    const std::string_view rest = text.substr(pos);
    if (!rest.empty() && rest[0] == ' ')
        return 1;
    if (rest.starts_with("\xC2\xA0"))
        return 2;
    if (rest.starts_with("\xE2\x80\xAF"))
        return 3;
    return 0;
}

// Reads the number starting at pos (a digit) and advances pos past it. Groups of exactly three
// digits after a separator continue the number ("1 200" is 1200) when the first group has at
// most three digits. Returns the digits without separators and leading zeros.
std::string ReadNumber(std::string_view text, std::size_t& pos) {
    std::string digits;
    std::size_t group = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        digits += text[pos++];
        ++group;
    }
    if (group <= 3) {
        for (;;) {
            const std::size_t sep = GroupSeparatorAt(text, pos);
            const std::size_t start = pos + sep;
            if (sep == 0 || start + 3 > text.size())
                break;
            const std::string_view next = text.substr(start, 3);
            const bool threeDigits = std::all_of(next.begin(), next.end(), IsDigit);
            if (!threeDigits || (start + 3 < text.size() && IsDigit(text[start + 3])))
                break;
            digits += next;
            pos = start + 3;
        }
    }
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? std::string() : digits.substr(first);
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

int NaturalCompare(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const std::string x = ReadNumber(a, i);
            const std::string y = ReadNumber(b, j);
            if (x.size() != y.size())
                return x.size() < y.size() ? -1 : 1;
            if (const int c = x.compare(y); c != 0)
                return c < 0 ? -1 : 1;
            continue;
        }
        const auto ca = static_cast<unsigned char>(Lower(a[i]));
        const auto cb = static_cast<unsigned char>(Lower(b[j]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    // Equal as read ("EUR 1 200" and "EUR 1200", "A" and "a"): the plain bytes decide, so the
    // order stays total.
    if (const int c = a.compare(b); c != 0)
        return c < 0 ? -1 : 1;
    return 0;
}

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
        return NaturalCompare(other.Label(), row.Label()) > 0;
    });
    const int index = static_cast<int>(pos - unranked_.begin());
    unranked_.insert(pos, std::move(row));
    if (selectedUnranked_ >= index)
        ++selectedUnranked_;
}

} // namespace velor::elicit
