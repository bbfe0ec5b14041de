// The ordinal ranking being edited in the score assessment dialog: the achievement levels of one
// node split into an unranked list (in natural order, see NaturalCompare) and a ranked list (rank order), each with its
// own selection, and the operations Rank, More, Less and Remove on whole levels.
#pragma once

#include "model/records.h"

#include <string>
#include <string_view>
#include <vector>

namespace velor::elicit {

// The order of the unranked list: case-insensitive for ASCII letters, with digit runs compared
// as numbers ("EUR 700" < "EUR 900" < "EUR 1 200"). A digit group of at most three digits
// followed by a blank or (narrow) no-break space and exactly three digits reads as one number, so
// "1 200" is 1200; a dot or comma always ends a number, because it may as well be a decimal
// separator. Texts equal under these rules fall back to their bytes. Returns -1, 0 or 1.
int NaturalCompare(std::string_view a, std::string_view b);

// One alternative of a level, with a working copy of its rank.
struct LevelMember {
    AltId Alternative = kNone;
    int Row = 0; // the alternative's row in the consequence table
    int Rank = 0;
    std::string Label;       // the cell text, or "(" + alternative name + ")" for an empty cell
    std::string Consequence; // the raw cell text
};

// One row of either list: a level and the alternatives sharing it. All members carry one rank.
struct LevelRow {
    std::vector<LevelMember> Members;

    int Rank() const { return Members.empty() ? 0 : Members.front().Rank; }
    const std::string& Label() const { return Members.front().Label; }
    AltId FirstAlternative() const { return Members.front().Alternative; }
    bool Holds(AltId alternative) const;
    void SetRank(int rank);
};

// "(" + rank + ") " + label: how a ranked level reads in lists and differences.
std::string RankedLabel(const LevelRow& row);

class Ranking {
public:
    Ranking() = default;
    // Members in row order; each goes to the list its rank says. A member with a non-empty text
    // joins a row of the same list with the same label (the ranked label in the ranked list), so
    // equal consequences share a row and empty cells are rows of their own.
    explicit Ranking(const std::vector<LevelMember>& members);

    const std::vector<LevelRow>& Unranked() const { return unranked_; }
    const std::vector<LevelRow>& Ranked() const { return ranked_; }
    std::string UnrankedText(int index) const { return unranked_.at(index).Label(); }
    std::string RankedText(int index) const { return RankedLabel(ranked_.at(index)); }

    // Selections; -1 is none. An index out of range selects nothing.
    int SelectedUnranked() const { return selectedUnranked_; }
    int SelectedRanked() const { return selectedRanked_; }
    void SelectUnranked(int index);
    void SelectRanked(int index);

    // Button states: Rank needs an unranked selection; More, Less and Remove a ranked one.
    bool CanRank() const { return selectedUnranked_ >= 0; }
    bool CanMoveRanked() const { return selectedRanked_ >= 0; }

    // Each returns whether it changed the ranking; without the selection it needs it does
    // nothing.
    bool Rank();
    bool More();
    bool Less();
    bool Remove();

    int HighestRank() const;
    // The ranked row holding the alternative, -1 when the alternative is not ranked.
    int RankedRowOf(AltId alternative) const;
    // The row of either list holding the alternative, nullptr when there is none.
    const LevelRow* RowOf(AltId alternative) const;
    // Every member's rank by table row (entry r - 1 for row r), for rows 1..rowCount.
    std::vector<int> RanksByRow(int rowCount) const;

private:
    void SortRanked();
    void InsertUnranked(LevelRow row);
    // Adds delta to the rank of every ranked row except skip whose rank satisfies pick.
    template <typename Pred> void Shift(int skip, int delta, Pred pick);

    std::vector<LevelRow> unranked_;
    std::vector<LevelRow> ranked_;
    int selectedUnranked_ = -1;
    int selectedRanked_ = -1;
};

} // namespace velor::elicit
