// The CLP library (Debian coinor-libclp) behind the backend seam, which the default path uses
// for constraint sets whose rows do not split per attribute. Its LU factorization with updates
// and its pricing keep the bases of large holistic programs (thousands of rows tied together by
// one ranking) accurate and cheap, where the product-form inverse of our own simplex grows
// dense. Coefficients, right sides and costs go in as the model states them, in double
// precision: rounded to single precision, as our own solver receives them, a statement such as
// a ratio of 0.3 would move optima by about 1e-8, enough to turn a tie into dominance.
#include "calc/lp_backend.h"
#include "calc/solver_rows.h"

#include <ClpEventHandler.hpp>
#include <ClpSimplex.hpp>
#include <CoinPackedMatrix.hpp>

#include <atomic>
#include <cmath>
#include <cstddef>
#include <limits>

namespace velor {

namespace {

// A basic value may lie this far outside its bounds and a rate may improve the objective this
// much at an optimum: far below the library's defaults (1e-7), so that its optima are exact to
// the same degree as those our own solver accepts on the default path.
constexpr double kTolerance = 1e-9;

std::atomic<long long> iterationTotal{0};

// Options of a run (ClpSimplex::primal's startFinishOptions).
constexpr int kKeepWork = 1;
constexpr int kReuseFactorization = 2;
constexpr int kStartFast = 4;
// Geometric scaling of rows and columns (the library's default), which saves about half the
// iterations on these programs.
constexpr int kScaling = 3;

// Stops a run when its token asks; asked after every iteration.
class Interrupt : public ClpEventHandler {
public:
    using ClpEventHandler::ClpEventHandler;
    int event(Event whichEvent) override {
        if (whichEvent == endOfIteration && cancel != nullptr && cancel->Requested()) {
            interrupted = true;
            return 0; // stops the run with status 5
        }
        return -1;
    }
    ClpEventHandler* clone() const override { return new Interrupt(*this); }
    const CancelToken* cancel = nullptr;
    bool interrupted = false;
};

class ClpBackend final : public LpBackend {
public:
    explicit ClpBackend(const SolverRows& rows);
    int RowCount() const override { return simplex_->numberRows(); }
    int ColumnCount() const override { return columns_; }
    void SetCosts(const std::vector<std::pair<int, double>>& costs) override;
    SolveStatus Minimize(const RunOptions& options, const CancelToken& cancel) override;
    void Restart() override;
    double Objective() const override;
    std::vector<double> Point() const override;
    std::vector<double> RowPrices() const override;
    int Iterations() const override { return iterations_; }

private:
    // Whether the point and prices the last run ended at are an optimum to 1e-9.
    bool Exact() const;
    std::unique_ptr<ClpSimplex> simplex_;
    std::unique_ptr<Interrupt> interrupt_;
    int columns_ = 0;
    std::vector<int> costColumns_; // columns with a cost now
    bool keepFactorization_ = false;
    int iterations_ = 0;
};

ClpBackend::ClpBackend(const SolverRows& rows)
    : simplex_(std::make_unique<ClpSimplex>()), columns_(rows.ColumnCount()) {
    const int m = rows.RowCount();
    const int n = rows.ColumnCount();
    std::vector<int> rowIndex;
    std::vector<int> columnIndex;
    std::vector<double> values;
    for (const SolverRows::Element& e : rows.Elements) {
        if (e.Row > 0) {
            rowIndex.push_back(e.Row - 1);
            columnIndex.push_back(e.Column - 1);
            values.push_back(e.Value);
        }
    }
    CoinPackedMatrix matrix(true, rowIndex.data(), columnIndex.data(), values.data(),
                            static_cast<CoinBigIndex>(values.size()));
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    std::vector<double> rowLower(static_cast<std::size_t>(m));
    std::vector<double> rowUpper(static_cast<std::size_t>(m));
    for (int i = 0; i < m; ++i) {
        const double b = rows.RightSides[static_cast<std::size_t>(i)];
        switch (rows.Relations[static_cast<std::size_t>(i)]) {
        case kRelationLessEqual:
            rowLower[static_cast<std::size_t>(i)] = -kInfinity;
            rowUpper[static_cast<std::size_t>(i)] = b;
            break;
        case kRelationGreaterEqual:
            rowLower[static_cast<std::size_t>(i)] = b;
            rowUpper[static_cast<std::size_t>(i)] = kInfinity;
            break;
        default:
            rowLower[static_cast<std::size_t>(i)] = b;
            rowUpper[static_cast<std::size_t>(i)] = b;
            break;
        }
    }
    std::vector<double> columnLower(static_cast<std::size_t>(n), 0.0);
    std::vector<double> columnUpper(static_cast<std::size_t>(n), kInfinity);
    std::vector<double> costs(static_cast<std::size_t>(n), 0.0);
    for (const SolverRows::Element& e : rows.Elements) {
        if (e.Row == 0) {
            costs[static_cast<std::size_t>(e.Column - 1)] += e.Value;
            costColumns_.push_back(e.Column);
        }
    }
    // The matrix may have fewer columns than the rows name when the last ones occur only in the
    // objective row, and fewer rows when the last ones are empty.
    matrix.setDimensions(m, n);
    simplex_->setLogLevel(0);
    simplex_->loadProblem(matrix, columnLower.data(), columnUpper.data(), costs.data(),
                          rowLower.data(), rowUpper.data());
    simplex_->scaling(kScaling);
    simplex_->setPrimalTolerance(kTolerance);
    simplex_->setDualTolerance(kTolerance);
    interrupt_ = std::make_unique<Interrupt>(simplex_.get());
    simplex_->passInEventHandler(interrupt_.get());
}

bool ClpBackend::Exact() const {
    // Recomputed from the rows themselves: x within its bounds, every row activity within the
    // row's bounds, every reduced cost c - A'y of the right sign (0 for basic columns), and
    // every row price of the right sign for the bound the row is at (0 for basic rows).
    const int m = simplex_->numberRows();
    const double* x = simplex_->primalColumnSolution();
    const double* y = simplex_->dualRowSolution();
    const double* c = simplex_->objective();
    const double* rowLower = simplex_->rowLower();
    const double* rowUpper = simplex_->rowUpper();
    const CoinPackedMatrix& a = *simplex_->matrix();
    std::vector<double> activity(static_cast<std::size_t>(m), 0.0);
    for (int j = 0; j < columns_; ++j) {
        double reduced = c[j];
        const CoinBigIndex start = a.getVectorStarts()[j];
        const CoinBigIndex end = start + a.getVectorLengths()[j];
        for (CoinBigIndex k = start; k < end; ++k) {
            const int i = a.getIndices()[k];
            activity[static_cast<std::size_t>(i)] += a.getElements()[k] * x[j];
            reduced -= a.getElements()[k] * y[i];
        }
        const bool basic = simplex_->getColumnStatus(j) == ClpSimplex::basic;
        if (x[j] < -kTolerance || (basic ? std::fabs(reduced) : -reduced) > kTolerance) {
            return false;
        }
    }
    for (int i = 0; i < m; ++i) {
        const double value = activity[static_cast<std::size_t>(i)];
        if (value < rowLower[i] - kTolerance || value > rowUpper[i] + kTolerance) {
            return false;
        }
        const bool basic = simplex_->getRowStatus(i) == ClpSimplex::basic;
        const bool atUpper = value >= rowUpper[i] - kTolerance;
        const bool atLower = value <= rowLower[i] + kTolerance;
        const double wrong = basic                 ? std::fabs(y[i])
                             : atUpper && atLower ? 0.0
                             : atUpper            ? y[i]
                                                  : -y[i];
        if (wrong > kTolerance) {
            return false;
        }
    }
    return true;
}

void ClpBackend::SetCosts(const std::vector<std::pair<int, double>>& costs) {
    for (const int column : costColumns_) {
        simplex_->setObjectiveCoefficient(column - 1, 0.0);
    }
    costColumns_.clear();
    for (const auto& [column, cost] : costs) {
        simplex_->setObjectiveCoefficient(column - 1, cost);
        costColumns_.push_back(column);
    }
}

SolveStatus ClpBackend::Minimize(const RunOptions& options, const CancelToken& cancel) {
    // The library keeps its own copy of the handler; its flag is the one to read.
    auto* handler = static_cast<Interrupt*>(simplex_->eventHandler());
    handler->interrupted = false;
    handler->cancel = &cancel;
    simplex_->setMaximumIterations(options.Budget);
    iterations_ = 0;
    // Work areas and the factorization stay from one run to the next: only the objective
    // changes between programs, so the factorization of the basis the last run ended at still
    // holds (not after Restart, which changes the basis).
    simplex_->primal(0, keepFactorization_ ? kKeepWork | kReuseFactorization | kStartFast
                                           : kKeepWork);
    keepFactorization_ = true;
    iterations_ += simplex_->numberIterations();
    const auto finish = [&](SolveStatus status) {
        handler->cancel = nullptr;
        iterationTotal += iterations_;
        return status;
    };
    if (handler->interrupted) {
        return finish(SolveStatus::Cancelled);
    }
    if (simplex_->status() == 0 && !Exact()) {
        // Optimal for the scaled rows only: the tolerances held there may leave a value further
        // outside its bounds once unscaled. The run goes on from its basis on the rows as they
        // are; scaling is taken up again by the next program.
        simplex_->scaling(0);
        simplex_->primal(0, kKeepWork);
        iterations_ += simplex_->numberIterations();
        simplex_->scaling(kScaling);
        keepFactorization_ = false;
        if (handler->interrupted) {
            return finish(SolveStatus::Cancelled);
        }
        if (simplex_->status() == 0 && !Exact()) {
            return finish(SolveStatus::NumericalTrouble);
        }
    }
    switch (simplex_->status()) {
    case 0:
        return finish(SolveStatus::Optimal);
    case 1:
        return finish(SolveStatus::Infeasible);
    case 2:
        return finish(SolveStatus::Unbounded);
    case 3:
        return finish(SolveStatus::IterationLimit);
    default:
        return finish(SolveStatus::NumericalTrouble);
    }
}

void ClpBackend::Restart() {
    simplex_->allSlackBasis(true);
    keepFactorization_ = false;
}

double ClpBackend::Objective() const {
    return simplex_->rawObjectiveValue();
}

std::vector<double> ClpBackend::Point() const {
    std::vector<double> point(static_cast<std::size_t>(columns_) + 1, 0.0);
    const double* solution = simplex_->primalColumnSolution();
    for (int j = 0; j < columns_; ++j) {
        point[static_cast<std::size_t>(j) + 1] = solution[j];
    }
    return point;
}

std::vector<double> ClpBackend::RowPrices() const {
    std::vector<double> prices(static_cast<std::size_t>(simplex_->numberRows()) + 1, 0.0);
    const double* duals = simplex_->dualRowSolution();
    for (int i = 0; i < simplex_->numberRows(); ++i) {
        prices[static_cast<std::size_t>(i) + 1] = duals[i];
    }
    return prices;
}

} // namespace

std::unique_ptr<LpBackend> MakeClpBackend(const SolverRows& rows) {
    return std::make_unique<ClpBackend>(rows);
}

long long ClpIterations() {
    return iterationTotal;
}

} // namespace velor
