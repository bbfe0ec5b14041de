#include "lp/simplex.h"

#include "lp/diagnostics.h"
#include "lp/lp_model.h"
#include "lp/reinversion.h"

#include <cmath>
#include <optional>
#include <random>
#include <string>

namespace lp {
namespace {

struct CostEntry {
    int position;
    double cost;
};

// One run of the primal simplex on a model.
//
// While basic variables lie outside their bounds the run maximises the composite objective
// S*z + sum(x below its lower bound) - sum(x above its upper bound); once feasible it
// maximises z alone. One BTRAN and pricing pass yields up to kPricingCandidates candidates,
// each of which is re-checked with a fresh FTRAN before it enters.
//
// The largest-pivot choices can cycle through degenerate bases for ever. After
// kDegenerateRunLimit degenerate pivots in a row the run relaxes the finite bounds of the
// basic variables by small random amounts (once per run): every basic variable then lies
// strictly inside its bounds, each pivot moves the objective, and pivoting goes on by the
// usual rules. When that search ends the true bounds are put back and the run continues from
// the basis it reached, which is optimal or nearly so for the true problem.
class PrimalRun {
public:
    explicit PrimalRun(LpModel& model)
        : lp_(model), alpha_(static_cast<size_t>(model.m) + 1),
          candidates_(static_cast<size_t>(kPricingCandidates)) {}

    LpStatus run();

private:
    LpStatus search();
    void trackDegeneracy(int r);
    void relaxBounds();
    void relaxVariable(int k);
    void restoreBounds();
    void phaseOneCosts();
    void pricingPass();
    void offer(int q, double value);
    int nextCandidate() const;
    bool candidateCheck(size_t c);
    void ratioTest(int q);
    void iterate(int q, int r);
    void recheckFeasibility(int i);
    void cacheBasicBounds();
    void logIteration(int q, int r);

    LpModel& lp_;
    std::vector<double> alpha_;
    std::vector<PackedEntry> candidates_;
    std::vector<CostEntry> costList_;
    double s_ = 0.0;
    double theta_ = 0.0;
    int pivotsInPass_ = 0;
    bool unbounded_ = false;
    bool checkFlag_ = true;
    int lost_ = 0;
    int regained_ = 0;
    int degenerateRun_ = 0;
    bool relaxed_ = false;
    bool relaxAllowed_ = true;
    bool interrupted_ = false;       // the interrupt function asked the run to stop
    std::vector<char> relaxedFlags_; // by k + m
    std::minstd_rand random_{1};     // a fixed seed keeps every solve reproducible
    std::vector<double> trueColLower_, trueColUpper_, trueSlackLower_, trueSlackUpper_;
    // Bounds of the basic variables by position, kept with the basis: the ratio test reads
    // them for every position, and through the variable indices they would be scattered reads.
    std::vector<double> basicLower_, basicUpper_;
};

void PrimalRun::phaseOneCosts() {
    // Every change of the basis or of its values ends with recountInfeasibilities, so the count
    // is that of the basic variables marked infeasible; with none, only the objective costs.
    const bool feasible = lp_.infeasibilityCount == 0;
    lp_.infeasibilityCount = 0;
    lp_.maxInfeasibility = 0.0;
    lp_.sumInfeasibility = 0.0;
    costList_.clear();
    costList_.push_back({0, 1.0});
    if (feasible)
        return;
    for (int i = 1; i <= lp_.m; ++i) {
        const int k = lp_.base[static_cast<size_t>(i)];
        if (lp_.varstat(k) != LP_BASIC_INFEASIBLE)
            continue;
        const double x = lp_.basicValues[static_cast<size_t>(i)];
        const double l = lp_.lower(k);
        const double u = lp_.upper(k);
        double e;
        double sign;
        if (x < l) {
            if (!(l - lp_.epsFea > x))
                fatal("CCosts: infeasible varstat for feasible variable");
            e = l - x;
            sign = 1.0;
        } else {
            if (!(u + lp_.epsFea < x))
                fatal("CCosts: infeasible varstat for feasible variable");
            e = x - u;
            sign = -1.0;
        }
        costList_.push_back({i, sign});
        ++lp_.infeasibilityCount;
        lp_.sumInfeasibility += e;
        if (e > lp_.maxInfeasibility)
            lp_.maxInfeasibility = e;
    }
    if (lp_.infeasibilityCount > 0)
        costList_[0].cost = s_;
    if (costList_[0].cost == 0.0)
        costList_.erase(costList_.begin());
}

void PrimalRun::offer(int q, double value) {
    ++lp_.eligibleCount;
    size_t worst = 0;
    for (size_t c = 1; c < candidates_.size(); ++c)
        if (candidates_[c].value > candidates_[worst].value)
            worst = c;
    if (candidates_[worst].value > value)
        candidates_[worst] = {q, value};
}

void PrimalRun::pricingPass() {
    std::vector<double>& pi = lp_.work;
    std::fill(pi.begin(), pi.end(), 0.0);
    for (const CostEntry& e : costList_)
        pi[static_cast<size_t>(e.position)] = e.cost;
    lp_.etas.btran(pi, kEpsZero);

    lp_.eligibleCount = 0;
    for (PackedEntry& c : candidates_)
        c = {0, -lp_.epsCost};
    auto consider = [this](int q, double d) {
        const LpVarStat s = lp_.varstat(q);
        if (s == LP_AT_LOWER && d < -lp_.epsCost)
            offer(q, d);
        else if (s == LP_AT_UPPER && d > lp_.epsCost)
            offer(q, -d);
    };
    for (int j = 1; j <= lp_.n; ++j) {
        const LpVarStat s = lp_.varstat(j);
        if ((s != LP_AT_LOWER && s != LP_AT_UPPER) || lp_.lower(j) == lp_.upper(j))
            continue;
        double positive = 0.0;
        double negative = 0.0;
        auto add = [&](double term) { (term > 0.0 ? positive : negative) += term; };
        add(pi[0] * lp_.costs[static_cast<size_t>(j)]);
        for (const PackedEntry& e : lp_.column(j))
            add(pi[static_cast<size_t>(e.index)] * e.value);
        double d = positive + negative;
        if (std::fabs(d) <= kEpsZero * (1.0 + positive - negative))
            d = 0.0;
        consider(j, d);
    }
    for (int i = 1; i <= lp_.m; ++i) {
        const LpVarStat s = lp_.varstat(-i);
        if ((s != LP_AT_LOWER && s != LP_AT_UPPER) || lp_.lower(-i) == lp_.upper(-i))
            continue;
        consider(-i, pi[static_cast<size_t>(i)]);
    }
}

int PrimalRun::nextCandidate() const {
    size_t best = 0;
    for (size_t c = 1; c < candidates_.size(); ++c)
        if (candidates_[c].value < candidates_[best].value)
            best = c;
    return candidates_[best].value < -lp_.epsCost ? static_cast<int>(best) : -1;
}

bool PrimalRun::candidateCheck(size_t c) {
    const int q = candidates_[c].index;
    const double priced = candidates_[c].value;
    unbounded_ = false;
    lp_.incol = q;
    extendedColumn(lp_, q, alpha_);
    lp_.etas.ftran(alpha_, kEpsZero);
    phaseOneCosts();
    double rate = 0.0;
    for (const CostEntry& e : costList_)
        rate += e.cost * alpha_[static_cast<size_t>(e.position)];
    if (lp_.varstat(q) == LP_AT_UPPER)
        rate = -rate;
    bool stays = rate < -lp_.epsCost;
    if (pivotsInPass_ == 0 &&
        std::fabs(rate - priced) > kEpsForwardBackward * (std::fabs(rate) + lp_.maxElement)) {
        checkFlag_ = false;
        if (logLevel() > 0)
            toConsole(
                format("%%Forward-Bacward test: % .5E% .5E% .5E\n", rate, priced, lp_.maxElement));
        if (lp_.pivotsSinceReinversion < 2) {
            if (logLevel() > 0)
                toConsole("%Forward-Backward disregarded\n");
            checkFlag_ = true;
        } else {
            stays = false;
        }
    }
    candidates_[c] = {0, 0.0};
    return stays;
}

// Two-pass ratio test: pass 1 finds the largest step A allowed by the bounds relaxed by the
// feasibility tolerance; pass 2 takes, among the positions whose exact ratio lies within A, the
// one with the largest pivot (the later one on ties). A bound flip wins when nothing blocks
// before it.
void PrimalRun::ratioTest(int q) {
    const double dir = lp_.varstat(q) == LP_AT_UPPER ? -1.0 : 1.0;
    const double lq = lp_.lower(q);
    const double uq = lp_.upper(q);
    const double flip = (!isInfiniteLower(lq) && !isInfiniteUpper(uq)) ? uq - lq : kNoFlip;

    // With relaxed bounds every basic variable lies strictly inside them; the step then keeps
    // them there instead of allowing the usual overshoot, which could step backwards.
    const double overshoot = relaxed_ ? kRelaxedOvershoot : lp_.epsFea;
    double a = flip;
    for (int i = 1; i <= lp_.m; ++i) {
        const double ai = dir * alpha_[static_cast<size_t>(i)];
        if (ai > kEpsPiv) {
            const double x = lp_.basicValues[static_cast<size_t>(i)];
            const double l = basicLower_[static_cast<size_t>(i)] - overshoot;
            if (l > -kInfinity && x >= l)
                a = std::min(a, (x - l) / ai);
        } else if (ai < -kEpsPiv) {
            const double x = lp_.basicValues[static_cast<size_t>(i)];
            const double u = basicUpper_[static_cast<size_t>(i)] + overshoot;
            if (u < kInfinity && x <= u)
                a = std::min(a, (x - u) / ai);
        }
    }

    double h = 0.0;
    int leave = 0;
    double theta = flip;
    double lastBreak = 0.0;
    int lastPos = 0;
    for (int j = 1; j <= lp_.m; ++j) {
        double& alphaJ = alpha_[static_cast<size_t>(j)];
        const double aj = dir * alphaJ;
        const int k = lp_.base[static_cast<size_t>(j)];
        const double x = lp_.basicValues[static_cast<size_t>(j)];
        const double l = basicLower_[static_cast<size_t>(j)];
        const double u = basicUpper_[static_cast<size_t>(j)];
        auto laterBreak = [&](double v, int signedPos) {
            if (v > lastBreak ||
                (v == lastBreak && lp_.base[static_cast<size_t>(std::abs(lastPos))] < k))
                lastPos = signedPos;
            if (v >= lastBreak)
                lastBreak = v;
        };
        if (aj > kEpsPiv) {
            if (!isInfiniteLower(l)) {
                if (x < l - lp_.epsFea)
                    continue;
                const double v = (x - l) / aj;
                if (v > a)
                    continue;
                if (std::fabs(aj) >= h) {
                    theta = v;
                    h = std::fabs(aj);
                    leave = j;
                }
            } else if (x > u + lp_.epsFea) {
                laterBreak((x - u) / aj, -j);
            }
        } else if (aj < -kEpsPiv) {
            if (!isInfiniteUpper(u)) {
                if (x > u + lp_.epsFea)
                    continue;
                const double v = (x - u) / aj;
                if (v > a)
                    continue;
                if (std::fabs(aj) >= h) {
                    theta = v;
                    h = std::fabs(aj);
                    leave = -j;
                }
            } else if (x < l - lp_.epsFea) {
                laterBreak((x - l) / aj, j);
            }
        } else {
            alphaJ = 0.0;
        }
    }

    if (a < kInfinity) {
        lp_.outrow = leave;
        theta_ = theta;
        // A flip needs a finite distance; with none, nothing limits the entering variable.
        if (leave == 0 && flip >= kInfinity)
            unbounded_ = true;
    } else {
        lp_.outrow = lastPos;
        theta_ = lastBreak;
        if (lastBreak == 0.0)
            unbounded_ = true;
    }
}

void PrimalRun::iterate(int q, int r) {
    if (q == 0)
        fatal("Pivot: incol = 0");
    const LpVarStat sq = lp_.varstat(q);
    if (sq != LP_AT_LOWER && sq != LP_AT_UPPER)
        fatal("Pivot: incol is not on either bound");
    if (logLevel() > 1)
        logIteration(q, r);
    // The entering variable moves by theta from its bound and every basic variable by -theta
    // times its entry of the transformed column; the leaving one ends at its bound. The basis
    // values are recomputed from scratch at each reinversion.
    const double step = (sq == LP_AT_UPPER ? -1.0 : 1.0) * theta_;
    const double entering = nonbasicValue(lp_, q) + step;
    if (r != 0) {
        const int p = std::abs(r);
        const int k = lp_.base[static_cast<size_t>(p)];
        const double pivot = alpha_[static_cast<size_t>(p)];
        if (std::fabs(pivot) <= kEpsRej)
            toConsole(format("%%Small pivot element: % .5E\n", pivot));
        if (std::fabs(pivot) <= kEpsPiv)
            fatal("Pivot element smaller than epsPiv");
        const double dirPivot = (sq == LP_AT_UPPER ? -1.0 : 1.0) * pivot;
        const double x = lp_.basicValues[static_cast<size_t>(p)];
        const double l = lp_.lower(k);
        const double u = lp_.upper(k);
        // The leaving variable must not be pushed beyond the bound at which it leaves.
        const bool beyond =
            (r > 0 && dirPivot > 0.0 && (l - x >= lp_.epsFea || (x < l && theta_ >= 0.0))) ||
            (r < 0 && dirPivot <= 0.0 && (x - u >= lp_.epsFea || (x > u && theta_ >= 0.0)));
        if (beyond)
            fatal("Pivot: leaving becomes infeasible");
        lp_.etas.updEta(alpha_, p);
        lp_.base[static_cast<size_t>(p)] = q;
        if (lp_.varstat(k) == LP_BASIC_INFEASIBLE)
            --lp_.infeasibilityCount;
        lp_.varstat(k) = l == u ? LP_FIXED : (r < 0 ? LP_AT_UPPER : LP_AT_LOWER);
        lp_.varstat(q) = LP_BASIC;
        if (relaxed_)
            relaxVariable(q);
        basicLower_[static_cast<size_t>(p)] = lp_.lower(q);
        basicUpper_[static_cast<size_t>(p)] = lp_.upper(q);
    } else {
        lp_.varstat(q) = sq == LP_AT_LOWER ? LP_AT_UPPER : LP_AT_LOWER;
    }
    // Only the positions whose value moved, and the pivot position, can change feasibility.
    lp_.basicValues[0] -= step * alpha_[0];
    for (int i = 1; i <= lp_.m; ++i) {
        const double a = alpha_[static_cast<size_t>(i)];
        if (a == 0.0 || i == std::abs(r))
            continue;
        lp_.basicValues[static_cast<size_t>(i)] -= step * a;
        recheckFeasibility(i);
    }
    if (r != 0) {
        lp_.basicValues[static_cast<size_t>(std::abs(r))] = entering;
        recheckFeasibility(std::abs(r));
    }
    trackDegeneracy(r);
    ++lp_.iterations;
    if (r != 0)
        ++lp_.pivotsSinceReinversion;
    ++pivotsInPass_;
    if (interruptRequested()) {
        interrupted_ = true;
        lp_.iterLimit = lp_.iterations; // every loop of the run stops at its limit check
    }
}

// Marks the variable basic in position i feasible or infeasible by its value, keeping the count.
void PrimalRun::recheckFeasibility(int i) {
    const int k = lp_.base[static_cast<size_t>(i)];
    LpVarStat& s = lp_.varstat(k);
    const double x = lp_.basicValues[static_cast<size_t>(i)];
    const bool infeasible = basicLower_[static_cast<size_t>(i)] - lp_.epsFea > x ||
                            x > basicUpper_[static_cast<size_t>(i)] + lp_.epsFea;
    lp_.infeasibilityCount += (infeasible ? 1 : 0) - (s == LP_BASIC_INFEASIBLE ? 1 : 0);
    s = infeasible ? LP_BASIC_INFEASIBLE : LP_BASIC;
}

void PrimalRun::cacheBasicBounds() {
    basicLower_.resize(static_cast<size_t>(lp_.m) + 1);
    basicUpper_.resize(static_cast<size_t>(lp_.m) + 1);
    for (int p = 1; p <= lp_.m; ++p) {
        const int k = lp_.base[static_cast<size_t>(p)];
        basicLower_[static_cast<size_t>(p)] = lp_.lower(k);
        basicUpper_[static_cast<size_t>(p)] = lp_.upper(k);
    }
}

void PrimalRun::trackDegeneracy(int r) {
    if (r == 0 || std::fabs(theta_) > kDegenerateStep) {
        degenerateRun_ = 0;
        return;
    }
    if (++degenerateRun_ >= kDegenerateRunLimit && relaxAllowed_ && !relaxed_)
        relaxBounds();
}

void PrimalRun::relaxBounds() {
    trueColLower_ = lp_.colLower;
    trueColUpper_ = lp_.colUpper;
    trueSlackLower_ = lp_.slackLower;
    trueSlackUpper_ = lp_.slackUpper;
    relaxedFlags_.assign(static_cast<size_t>(lp_.m + lp_.n + 1), 0);
    relaxed_ = true;
    for (int i = 1; i <= lp_.m; ++i)
        relaxVariable(lp_.base[static_cast<size_t>(i)]);
    if (logLevel() > 1)
        warn("Bounds relaxed after degenerate pivots\n");
    cacheBasicBounds();
    recountInfeasibilities(lp_);
}

// Moves the finite bounds of basic variable k outward, once; variables that become basic
// later are relaxed as they enter, so that no vertex reached while relaxed is degenerate.
void PrimalRun::relaxVariable(int k) {
    char& done = relaxedFlags_[static_cast<size_t>(k + lp_.m)];
    if (done)
        return;
    done = 1;
    double& l =
        k > 0 ? lp_.colLower[static_cast<size_t>(k)] : lp_.slackLower[static_cast<size_t>(-k)];
    double& u =
        k > 0 ? lp_.colUpper[static_cast<size_t>(k)] : lp_.slackUpper[static_cast<size_t>(-k)];
    std::uniform_real_distribution<double> factor(1.0, 2.0);
    if (!isInfiniteLower(l))
        l -= kPerturbation * (1.0 + std::fabs(l)) * factor(random_);
    if (!isInfiniteUpper(u))
        u += kPerturbation * (1.0 + std::fabs(u)) * factor(random_);
}

void PrimalRun::restoreBounds() {
    lp_.colLower = trueColLower_;
    lp_.colUpper = trueColUpper_;
    lp_.slackLower = trueSlackLower_;
    lp_.slackUpper = trueSlackUpper_;
    relaxed_ = false;
    for (int k = -lp_.m; k <= lp_.n; ++k) {
        if (k == 0)
            continue;
        LpVarStat& s = lp_.varstat(k);
        if (!isBasic(s) && lp_.lower(k) == lp_.upper(k))
            s = LP_FIXED;
    }
    computeBasicValues(lp_);
    recountInfeasibilities(lp_);
}

void PrimalRun::logIteration(int q, int r) {
    if (lp_.iterations == 0)
        warn(" Iter  Eta  Row   In    Out        Pivot          Z  Inf     Maxinf     Suminf\n");
    const int p = std::abs(r);
    warn(format("%5d %4d %4d %4d %5d %12.5E %10.4E %4d %10.3E %10.3E\n", lp_.iterations,
                lp_.etas.count(), r, q, p > 0 ? lp_.base[static_cast<size_t>(p)] : q,
                p > 0 ? alpha_[static_cast<size_t>(p)] : 0.0, lp_.basicValues[0],
                lp_.infeasibilityCount, lp_.maxInfeasibility, lp_.sumInfeasibility));
}

const char* varstatLabel(LpVarStat s) {
    switch (s) {
    case LP_AT_LOWER:
        return "LoBound";
    case LP_BASIC:
        return "Feasible";
    case LP_AT_UPPER:
        return "UpBound";
    case LP_BASIC_INFEASIBLE:
        return "InFeasib";
    case LP_FIXED:
        return "Fixed";
    case LP_OBJECTIVE:
        return "Objective";
    }
    return "?";
}

void writeVarstatTable(LpModel& lp) {
    std::string table = " Var  Status        Lower        Upper\n";
    for (int k = -lp.m; k <= lp.n; ++k)
        table += format("%4d  %-9s % .5E % .5E\n", k, varstatLabel(lp.varstat(k)), lp.lower(k),
                        lp.upper(k));
    warn(table);
}

LpStatus PrimalRun::run() {
    if (interruptRequested())
        return LP_FEASIBLE;
    const LpStatus status = search();
    if (!relaxed_)
        return status;
    restoreBounds();
    if (interrupted_)
        return LP_FEASIBLE;
    relaxAllowed_ = false;
    return search();
}

LpStatus PrimalRun::search() {
    const double fullWeight = kScale / lp_.maxElement;
    s_ = fullWeight;
    unbounded_ = false;
    lost_ = 0;
    regained_ = 0;
    degenerateRun_ = 0;
    cacheBasicBounds();
    recountInfeasibilities(lp_);
    if (logLevel() > 2)
        writeVarstatTable(lp_);
    std::optional<LpStatus> stopStatus;
    while (lp_.iterations < lp_.iterLimit) {
        bool productive;
        do {
            pivotsInPass_ = 0;
            checkFlag_ = true;
            phaseOneCosts();
            pricingPass();
            int made = 0;
            for (int c; (c = nextCandidate()) >= 0;) {
                const int q = candidates_[static_cast<size_t>(c)].index;
                if (!candidateCheck(static_cast<size_t>(c)))
                    continue;
                ratioTest(q);
                if (unbounded_)
                    continue;
                iterate(q, lp_.outrow);
                ++made;
                if (lp_.iterations >= lp_.iterLimit)
                    break;
            }
            productive = made > 0;
            if (!productive && s_ != 0.0 && lp_.infeasibilityCount > 0 && checkFlag_) {
                if (logLevel() > 1)
                    warn("S reset to zero !\n");
                s_ = 0.0; // pure phase one
                productive = true;
            }
        } while (productive && lp_.pivotsSinceReinversion < kReinversionInterval &&
                 lp_.iterations < lp_.iterLimit);
        if (lp_.iterations >= lp_.iterLimit)
            break;

        bool reinverted = false;
        if (lp_.pivotsSinceReinversion > 0) {
            const bool wasFeasible = lp_.infeasibilityCount == 0;
            reinvert(lp_);
            cacheBasicBounds();
            reinverted = true;
            if (wasFeasible && lp_.infeasibilityCount > 0 && ++lost_ > 0.1 * lp_.n + 5) {
                warn("?Primal: feasibility lost in reinversion\n");
                stopStatus = LP_INFEASIBLE;
                break;
            }
        }
        if (lp_.infeasibilityCount > 0 || s_ != 0.0) {
            if (reinverted)
                continue;
            break;
        }
        s_ = fullWeight;
        if (++regained_ > 0.1 * lp_.n + 5) {
            warn("?Primal: cannot maintain feasibility\n");
            stopStatus = LP_FEASIBLE;
            break;
        }
        if (!reinverted)
            break;
    }
    if (interrupted_)
        return LP_FEASIBLE;
    if (stopStatus)
        return *stopStatus;
    if (lp_.infeasibilityCount > 0)
        return LP_INFEASIBLE;
    if (unbounded_)
        return LP_UNBOUNDED;
    if (lp_.iterations >= lp_.iterLimit)
        return LP_FEASIBLE;
    return LP_OPTIMAL;
}

} // namespace

LpStatus primalSimplex(LpModel& lp) {
    return PrimalRun(lp).run();
}

} // namespace lp
