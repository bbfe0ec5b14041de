#include "lp/p3_order.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <queue>
#include <span>

namespace lp {
namespace {

// Working state of one ordering: active rows and columns with their active counts. A row's
// count is its number of active columns, a column's count its number of active rows. A column
// taken as a spike leaves the active set at once.
//
// The scans for singletons work through queues of the rows and columns whose count has fallen
// to one or less, visited in the order of repeated passes over all of them (a candidate behind
// the current position waits for the next pass), which gives the order of such passes without
// their cost.
class P3State {
public:
    // Sets the state up for kernel, writing the order into out; the arrays keep their storage
    // from one ordering to the next.
    void start(const KernelPattern& kernel, P3Order& out) {
        rowsOf_ = &kernel.rowsOf;
        order_ = &out;
        out.pivots.clear();
        out.discardedRows.clear();
        out.discardedCols.clear();
        out.bumps = 0;
        out.spikes = 0;
        const size_t rows = static_cast<size_t>(kernel.rows);
        const size_t cols = kernel.rowsOf.size();
        rowCount_.assign(rows, 0);
        colCount_.assign(cols, 0);
        rowActive_.assign(rows, 1);
        colActive_.assign(cols, 1);
        listed_.assign(rows, -1);
        tally_.assign(cols, 0);
        back_.clear();
        pending_.clear();
        collectRows_ = false;
        collectCols_ = false;
        for (size_t c = 0; c < cols; ++c) {
            colCount_[c] = static_cast<int>(rowsOf(static_cast<int>(c)).size());
            for (int r : rowsOf(static_cast<int>(c)))
                ++rowCount_[static_cast<size_t>(r)];
        }
        colStart_.assign(rows + 1, 0);
        for (size_t r = 0; r < rows; ++r)
            colStart_[r + 1] = colStart_[r] + rowCount_[r];
        colIndex_.resize(static_cast<size_t>(colStart_.back()));
        fill_.assign(colStart_.begin(), colStart_.end() - 1);
        for (size_t c = 0; c < cols; ++c)
            for (int r : rowsOf(static_cast<int>(c)))
                colIndex_[static_cast<size_t>(fill_[static_cast<size_t>(r)]++)] =
                    static_cast<int>(c);
        const int longest =
            rowCount_.empty() ? 0 : *std::max_element(rowCount_.begin(), rowCount_.end());
        rowsByCount_.resize(static_cast<size_t>(std::max(longest, 1)) + 1);
        for (std::vector<int>& list : rowsByCount_)
            list.clear();
        for (size_t r = 0; r < rows; ++r)
            countRow(r, 1);
    }

    void run() {
        columnScan();
        int bump = -1;
        std::vector<int>& pending = pending_;
        for (;;) {
            if (!rowsByCount_[1].empty()) {
                if (bump < 0) {
                    rowScan();
                    continue;
                }
                placeSingletons(singletonRows(), bump, pending);
                if (pending.empty())
                    bump = -1;
                continue;
            }
            if (!rowsByCount_[0].empty()) {
                const int r = *std::min_element(rowsByCount_[0].begin(), rowsByCount_[0].end());
                deactivateRow(r);
                if (bump >= 0 && !pending.empty()) {
                    order_->pivots.push_back({r, pending.back(), bump, true});
                    pending.pop_back();
                    if (pending.empty())
                        bump = -1;
                } else {
                    order_->discardedRows.push_back(r);
                }
                continue;
            }
            const int spike = chooseSpike();
            if (spike < 0)
                break;
            if (bump < 0)
                bump = order_->bumps++;
            removeCol(spike);
            pending.push_back(spike);
            ++order_->spikes;
        }
        // Spikes left without a row are structurally singular.
        for (int s : pending)
            order_->discardedCols.push_back(s);
        // The column singletons found first are pivoted last.
        for (size_t i = back_.size(); i-- > 0;)
            order_->pivots.push_back(back_[i]);
    }

private:
    // Adds (sign 1) or withdraws (sign -1) active row r from the list of rows with its count.
    void countRow(size_t r, int sign) {
        std::vector<int>& list = rowsByCount_[static_cast<size_t>(rowCount_[r])];
        if (sign > 0) {
            listed_[r] = static_cast<int>(list.size());
            list.push_back(static_cast<int>(r));
        } else {
            const int at = listed_[r];
            list[static_cast<size_t>(at)] = list.back();
            listed_[static_cast<size_t>(list.back())] = at;
            list.pop_back();
        }
    }

    void deactivateRow(int r) {
        countRow(static_cast<size_t>(r), -1);
        rowActive_[static_cast<size_t>(r)] = 0;
    }

    std::span<const int> colsOf(int r) const {
        const size_t begin = static_cast<size_t>(colStart_[static_cast<size_t>(r)]);
        const size_t end = static_cast<size_t>(colStart_[static_cast<size_t>(r) + 1]);
        return {colIndex_.data() + begin, end - begin};
    }

    // Columns whose count falls to one are reported to newSingleCols_ while a column scan runs.
    void removeRow(int r) {
        deactivateRow(r);
        for (int c : colsOf(r)) {
            if (colActive_[static_cast<size_t>(c)] && --colCount_[static_cast<size_t>(c)] == 1 &&
                collectCols_)
                newSingleCols_.push_back(c);
        }
    }

    // Rows whose count falls to one are reported to newSingleRows_ while a row scan runs.
    void removeCol(int c) {
        colActive_[static_cast<size_t>(c)] = 0;
        for (int r : rowsOf(c)) {
            const size_t row = static_cast<size_t>(r);
            if (!rowActive_[row])
                continue;
            countRow(row, -1);
            --rowCount_[row];
            countRow(row, 1);
            if (rowCount_[row] == 1 && collectRows_)
                newSingleRows_.push_back(r);
        }
    }

    int onlyActiveRow(int c) const {
        for (int r : rowsOf(c))
            if (rowActive_[static_cast<size_t>(r)])
                return r;
        return -1;
    }

    int onlyActiveCol(int r) const {
        for (int c : colsOf(r))
            if (colActive_[static_cast<size_t>(c)])
                return c;
        return -1;
    }

    // The active rows with count 1, ascending.
    const std::vector<int>& singletonRows() {
        singles_ = rowsByCount_[1];
        std::sort(singles_.begin(), singles_.end());
        return singles_;
    }

    // Visits candidates in the order of passes over all items: descending (or ascending) from
    // the top (or bottom) in each pass, a candidate that appears behind the current position
    // waiting for the next pass. visit(item) handles one candidate and returns those that became
    // candidates meanwhile. Compare orders as a priority queue does: its largest item comes
    // first. The candidates of a pass are walked in sorted order, and those found ahead of the
    // current position during the pass are merged in through a queue.
    template <typename Compare, typename Visit>
    static void passes(std::vector<int> pass, Visit visit) {
        const Compare before;
        const auto passOrder = [&before](int a, int b) { return before(b, a); };
        std::priority_queue<int, std::vector<int>, Compare> ahead;
        std::vector<int> next;
        while (!pass.empty()) {
            std::sort(pass.begin(), pass.end(), passOrder);
            size_t at = 0;
            while (at < pass.size() || !ahead.empty()) {
                int item;
                if (!ahead.empty() && (at == pass.size() || before(pass[at], ahead.top()))) {
                    item = ahead.top();
                    ahead.pop();
                } else {
                    item = pass[at++];
                }
                for (int found : visit(item)) {
                    if (before(found, item))
                        ahead.push(found);
                    else
                        next.push_back(found);
                }
            }
            pass.swap(next);
            next.clear();
        }
    }

    // Column singletons go to the back (pivoted last, in reverse order of discovery); empty
    // columns are singular.
    void columnScan() {
        std::vector<int> first;
        for (size_t c = colActive_.size(); c-- > 0;)
            if (colCount_[c] <= 1)
                first.push_back(static_cast<int>(c));
        collectCols_ = true;
        // Descending passes: the largest index first, so the queue orders by "less".
        passes<std::less<int>>(std::move(first), [this](int c) -> const std::vector<int>& {
            newSingleCols_.clear();
            const size_t col = static_cast<size_t>(c);
            if (!colActive_[col] || colCount_[col] > 1)
                return newSingleCols_;
            colActive_[col] = 0;
            if (colCount_[col] == 1) {
                const int r = onlyActiveRow(c);
                back_.push_back({r, c, -1, false});
                removeRow(r);
            } else {
                order_->discardedCols.push_back(c);
            }
            return newSingleCols_;
        });
        collectCols_ = false;
    }

    // Row singletons go to the front; empty rows are singular.
    void rowScan() {
        std::vector<int> first;
        for (size_t r = 0; r < rowActive_.size(); ++r)
            if (rowActive_[r] && rowCount_[r] <= 1)
                first.push_back(static_cast<int>(r));
        collectRows_ = true;
        // Ascending passes: the smallest index first.
        passes<std::greater<int>>(std::move(first), [this](int r) -> const std::vector<int>& {
            newSingleRows_.clear();
            const size_t row = static_cast<size_t>(r);
            if (!rowActive_[row] || rowCount_[row] > 1)
                return newSingleRows_;
            const bool single = rowCount_[row] == 1;
            deactivateRow(r);
            if (single) {
                const int c = onlyActiveCol(r);
                order_->pivots.push_back({r, c, -1, false});
                removeCol(c);
            } else {
                order_->discardedRows.push_back(r);
            }
            return newSingleRows_;
        });
        collectRows_ = false;
    }

    // Inside an open bump: pivots the column that meets the most row singletons on its first
    // one; its further singleton rows take the latest open spikes.
    void placeSingletons(const std::vector<int>& singles, int bump, std::vector<int>& pending) {
        touched_.clear();
        for (int r : singles) {
            const int c = onlyActiveCol(r);
            if (tally_[static_cast<size_t>(c)]++ == 0)
                touched_.push_back(c);
        }
        // The largest tally, then the longest column, then the lowest index.
        int best = -1;
        for (int c : touched_) {
            const size_t col = static_cast<size_t>(c);
            if (best < 0)
                best = c;
            const size_t b = static_cast<size_t>(best);
            if (tally_[col] > tally_[b] ||
                (tally_[col] == tally_[b] &&
                 (colCount_[col] > colCount_[b] || (colCount_[col] == colCount_[b] && c < best))))
                best = c;
        }
        for (int c : touched_)
            tally_[static_cast<size_t>(c)] = 0;
        bool first = true;
        for (int r : singles) {
            if (onlyActiveCol(r) != best)
                continue;
            if (first) {
                order_->pivots.push_back({r, best, bump, false});
                deactivateRow(r);
                first = false;
            } else if (!pending.empty()) {
                order_->pivots.push_back({r, pending.back(), bump, true});
                pending.pop_back();
                deactivateRow(r);
            }
        }
        removeCol(best);
    }

    // The next spike: the column with the most entries in rows of the smallest active counts,
    // preferring long columns, the first on ties. -1 when no column is active.
    //
    // With k the smallest positive count of an active row, every active column is tallied by
    // its active rows of count <= k; while no tally exceeds 1, k moves to the next larger count
    // and only the columns whose tally is exactly 1 are tallied again. Only columns that meet a
    // row of the smallest count can have a tally at all, so the first tallies come from those
    // rows and the later ones from the columns still in the running.
    int chooseSpike() {
        auto nextCount = [this](int above) {
            for (size_t c = static_cast<size_t>(above) + 1; c < rowsByCount_.size(); ++c)
                if (!rowsByCount_[c].empty())
                    return static_cast<int>(c);
            return INT_MAX;
        };
        int k = nextCount(0);
        touched_.clear();
        if (k != INT_MAX) {
            for (int r : rowsByCount_[static_cast<size_t>(k)])
                for (int c : colsOf(r))
                    if (colActive_[static_cast<size_t>(c)] && tally_[static_cast<size_t>(c)]++ == 0)
                        touched_.push_back(c);
        }
        int largest = 0;
        for (int c : touched_)
            largest = std::max(largest, tally_[static_cast<size_t>(c)]);
        while (largest == 1) {
            k = nextCount(k);
            if (k == INT_MAX)
                break;
            for (int c : touched_) {
                int& t = tally_[static_cast<size_t>(c)];
                if (t != 1)
                    continue;
                t = 0;
                for (int r : rowsOf(c))
                    if (rowActive_[static_cast<size_t>(r)] &&
                        rowCount_[static_cast<size_t>(r)] <= k)
                        ++t;
                largest = std::max(largest, t);
            }
        }
        int best = -1;
        auto longer = [this](int c, int than) {
            const int a = colCount_[static_cast<size_t>(c)];
            const int b = colCount_[static_cast<size_t>(than)];
            return a > b || (a == b && c < than);
        };
        for (int c : touched_)
            if (tally_[static_cast<size_t>(c)] == largest && (best < 0 || longer(c, best)))
                best = c;
        for (int c : touched_)
            tally_[static_cast<size_t>(c)] = 0;
        if (best < 0) // no active row with an active column: take the longest active column
            for (size_t c = 0; c < colActive_.size(); ++c)
                if (colActive_[c] && (best < 0 || longer(static_cast<int>(c), best)))
                    best = static_cast<int>(c);
        return best;
    }

    const std::vector<int>& rowsOf(int c) const { return (*rowsOf_)[static_cast<size_t>(c)]; }

    const std::vector<std::vector<int>>* rowsOf_ = nullptr;
    P3Order* order_ = nullptr;
    std::vector<int> colStart_, colIndex_; // the columns of each row, compressed
    std::vector<int> fill_;
    std::vector<int> rowCount_, colCount_;
    std::vector<char> rowActive_, colActive_;
    // By count: the active rows with that count, in no order.
    std::vector<std::vector<int>> rowsByCount_;
    std::vector<int> listed_; // by row: its place in the list of its count
    std::vector<int> tally_;  // per column; all zero between uses
    std::vector<int> touched_;
    bool collectRows_ = false, collectCols_ = false;
    std::vector<int> newSingleRows_, newSingleCols_;
    std::vector<P3Pivot> back_;
    std::vector<int> pending_; // spikes of the open bump not yet placed, latest last
    std::vector<int> singles_;
};

} // namespace

void orderKernel(const KernelPattern& kernel, P3Order& out) {
    // One state serves every ordering of the thread: an ordering calls nothing outside this
    // file, so none can start while another runs.
    thread_local P3State state;
    state.start(kernel, out);
    state.run();
}

P3Order orderKernel(const KernelPattern& kernel) {
    P3Order order;
    orderKernel(kernel, order);
    return order;
}

} // namespace lp
