#include "lp/p3_order.h"

#include <algorithm>
#include <climits>

namespace lp {
namespace {

// Working state of one ordering: active rows and columns with their active counts. A row's
// count is its number of active columns, a column's count its number of active rows. A column
// taken as a spike leaves the active set at once.
class P3State {
public:
    explicit P3State(const KernelPattern& kernel)
        : rowsOf_(kernel.rowsOf), colsOf_(static_cast<size_t>(kernel.rows)),
          rowCount_(static_cast<size_t>(kernel.rows), 0), colCount_(rowsOf_.size(), 0),
          rowActive_(static_cast<size_t>(kernel.rows), 1), colActive_(rowsOf_.size(), 1) {
        for (size_t c = 0; c < rowsOf_.size(); ++c) {
            colCount_[c] = static_cast<int>(rowsOf_[c].size());
            for (int r : rowsOf_[c]) {
                colsOf_[static_cast<size_t>(r)].push_back(static_cast<int>(c));
                ++rowCount_[static_cast<size_t>(r)];
            }
        }
    }

    P3Order run() {
        columnScan();
        int bump = -1;
        std::vector<int> pending; // spikes of the open bump not yet placed, latest last
        for (;;) {
            std::vector<int> singles = rowsWithCount(1);
            if (!singles.empty()) {
                if (bump < 0) {
                    rowScan();
                    continue;
                }
                placeSingletons(singles, bump, pending);
                if (pending.empty())
                    bump = -1;
                continue;
            }
            std::vector<int> empties = rowsWithCount(0);
            if (!empties.empty()) {
                const int r = empties.front();
                rowActive_[static_cast<size_t>(r)] = 0;
                if (bump >= 0 && !pending.empty()) {
                    order_.pivots.push_back({r, pending.back(), bump, true});
                    pending.pop_back();
                    if (pending.empty())
                        bump = -1;
                } else {
                    order_.discardedRows.push_back(r);
                }
                continue;
            }
            const int spike = chooseSpike();
            if (spike < 0)
                break;
            if (bump < 0)
                bump = order_.bumps++;
            removeCol(spike);
            pending.push_back(spike);
            ++order_.spikes;
        }
        // Spikes left without a row are structurally singular.
        for (int s : pending)
            order_.discardedCols.push_back(s);
        // The column singletons found first are pivoted last.
        for (size_t i = back_.size(); i-- > 0;)
            order_.pivots.push_back(back_[i]);
        return order_;
    }

private:
    void removeRow(int r) {
        rowActive_[static_cast<size_t>(r)] = 0;
        for (int c : colsOf_[static_cast<size_t>(r)])
            if (colActive_[static_cast<size_t>(c)])
                --colCount_[static_cast<size_t>(c)];
    }

    void removeCol(int c) {
        colActive_[static_cast<size_t>(c)] = 0;
        for (int r : rowsOf_[static_cast<size_t>(c)])
            if (rowActive_[static_cast<size_t>(r)])
                --rowCount_[static_cast<size_t>(r)];
    }

    int onlyActiveRow(int c) const {
        for (int r : rowsOf_[static_cast<size_t>(c)])
            if (rowActive_[static_cast<size_t>(r)])
                return r;
        return -1;
    }

    int onlyActiveCol(int r) const {
        for (int c : colsOf_[static_cast<size_t>(r)])
            if (colActive_[static_cast<size_t>(c)])
                return c;
        return -1;
    }

    std::vector<int> rowsWithCount(int count) const {
        std::vector<int> out;
        for (size_t r = 0; r < rowActive_.size(); ++r)
            if (rowActive_[r] && rowCount_[r] == count)
                out.push_back(static_cast<int>(r));
        return out;
    }

    // Column singletons go to the back (pivoted last, in reverse order of discovery); empty
    // columns are singular.
    void columnScan() {
        for (bool changed = true; changed;) {
            changed = false;
            for (size_t c = colActive_.size(); c-- > 0;) {
                if (!colActive_[c] || colCount_[c] > 1)
                    continue;
                colActive_[c] = 0;
                if (colCount_[c] == 1) {
                    const int r = onlyActiveRow(static_cast<int>(c));
                    back_.push_back({r, static_cast<int>(c), -1, false});
                    removeRow(r);
                } else {
                    order_.discardedCols.push_back(static_cast<int>(c));
                }
                changed = true;
            }
        }
    }

    // Row singletons go to the front; empty rows are singular.
    void rowScan() {
        for (bool changed = true; changed;) {
            changed = false;
            for (size_t r = 0; r < rowActive_.size(); ++r) {
                if (!rowActive_[r] || rowCount_[r] > 1)
                    continue;
                rowActive_[r] = 0;
                if (rowCount_[r] == 1) {
                    const int c = onlyActiveCol(static_cast<int>(r));
                    order_.pivots.push_back({static_cast<int>(r), c, -1, false});
                    removeCol(c);
                } else {
                    order_.discardedRows.push_back(static_cast<int>(r));
                }
                changed = true;
            }
        }
    }

    // Inside an open bump: pivots the column that meets the most row singletons on its first
    // one; its further singleton rows take the latest open spikes.
    void placeSingletons(const std::vector<int>& singles, int bump, std::vector<int>& pending) {
        std::vector<int> tally(colActive_.size(), 0);
        for (int r : singles)
            ++tally[static_cast<size_t>(onlyActiveCol(r))];
        int best = -1;
        for (size_t c = 0; c < tally.size(); ++c) {
            if (tally[c] == 0)
                continue;
            if (best < 0 || tally[c] > tally[static_cast<size_t>(best)] ||
                (tally[c] == tally[static_cast<size_t>(best)] &&
                 colCount_[c] > colCount_[static_cast<size_t>(best)]))
                best = static_cast<int>(c);
        }
        bool first = true;
        for (int r : singles) {
            if (onlyActiveCol(r) != best)
                continue;
            if (first) {
                order_.pivots.push_back({r, best, bump, false});
                rowActive_[static_cast<size_t>(r)] = 0;
                first = false;
            } else if (!pending.empty()) {
                order_.pivots.push_back({r, pending.back(), bump, true});
                pending.pop_back();
                rowActive_[static_cast<size_t>(r)] = 0;
            }
        }
        removeCol(best);
    }

    // The next spike: the column with the most entries in rows of the smallest active counts,
    // preferring long columns, the first on ties. -1 when no column is active.
    int chooseSpike() const {
        std::vector<int> tally(colActive_.size(), 0);
        bool any = false;
        for (size_t c = 0; c < tally.size(); ++c)
            if (colActive_[c]) {
                tally[c] = 1;
                any = true;
            }
        if (!any)
            return -1;
        int k = 0;
        int largest = 1;
        for (;;) {
            int next = INT_MAX;
            for (size_t r = 0; r < rowActive_.size(); ++r)
                if (rowActive_[r] && rowCount_[r] > k)
                    next = std::min(next, rowCount_[r]);
            if (next == INT_MAX)
                break;
            k = next;
            for (size_t c = 0; c < tally.size(); ++c) {
                if (tally[c] != 1)
                    continue;
                int t = 0;
                for (int r : rowsOf_[c])
                    if (rowActive_[static_cast<size_t>(r)] &&
                        rowCount_[static_cast<size_t>(r)] <= k)
                        ++t;
                tally[c] = t;
            }
            largest = *std::max_element(tally.begin(), tally.end());
            if (largest > 1)
                break;
        }
        int best = -1;
        for (size_t c = 0; c < tally.size(); ++c) {
            if (!colActive_[c] || tally[c] != largest)
                continue;
            if (best < 0 || colCount_[c] > colCount_[static_cast<size_t>(best)])
                best = static_cast<int>(c);
        }
        if (best < 0) // every tally fell below the largest seen: take the longest column
            for (size_t c = 0; c < tally.size(); ++c)
                if (colActive_[c] &&
                    (best < 0 || colCount_[c] > colCount_[static_cast<size_t>(best)]))
                    best = static_cast<int>(c);
        return best;
    }

    const std::vector<std::vector<int>>& rowsOf_;
    std::vector<std::vector<int>> colsOf_;
    std::vector<int> rowCount_, colCount_;
    std::vector<char> rowActive_, colActive_;
    std::vector<P3Pivot> back_;
    P3Order order_;
};

} // namespace

P3Order orderKernel(const KernelPattern& kernel) {
    return P3State(kernel).run();
}

} // namespace lp
