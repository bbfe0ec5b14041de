// Builds small linear programs from the fuzz input and solves them through the LP_ interface.
//
// The first byte picks the mode. In the checked mode the data are small integers (the dual
// simplex may go first) and every outcome is verified: an optimal answer must satisfy every row and
// bound and agree with an independent solver (when the build has one); infeasible and unbounded
// answers must agree with it too; an answer ended by the iteration budget (status 0) must at least
// be feasible. In the free mode any single-precision number, any index and any order of calls is
// allowed: the library may refuse with LpFatalError but must never crash, and the problem can
// always be deleted.
#include "lp/lpx.h"
#include "lp/lpx_testing.h"

#include <fuzzer/FuzzedDataProvider.h>

#ifdef VELOR_FUZZ_HAVE_GLPK
#include <glpk.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr float kInf = 1e31F;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

enum class Kind { LessEqual, GreaterEqual, Equal };

struct Problem {
    int n = 0;
    int m = 0;
    std::vector<double> cost;              // 0..n, [0] the constant
    std::vector<std::vector<double>> rows; // 1..m, each 0..n with [0] the right-hand side
    std::vector<Kind> kinds;               // 1..m
    std::vector<double> lower;             // 1..n
    std::vector<double> upper;             // 1..n
    bool dualFirst = false;                // the dual simplex runs before the primal one
};

Problem CheckedProblem(FuzzedDataProvider& in) {
    Problem p;
    p.n = in.ConsumeIntegralInRange(1, 6);
    p.m = in.ConsumeIntegralInRange(0, 6);
    p.cost.assign(static_cast<std::size_t>(p.n) + 1, 0.0);
    for (int j = 1; j <= p.n; ++j)
        p.cost[static_cast<std::size_t>(j)] = in.ConsumeIntegralInRange(-5, 5);
    p.rows.assign(static_cast<std::size_t>(p.m) + 1, std::vector<double>(p.n + 1, 0.0));
    p.kinds.assign(static_cast<std::size_t>(p.m) + 1, Kind::LessEqual);
    for (int i = 1; i <= p.m; ++i) {
        auto& row = p.rows[static_cast<std::size_t>(i)];
        row[0] = in.ConsumeIntegralInRange(-10, 10);
        for (int j = 1; j <= p.n; ++j)
            row[static_cast<std::size_t>(j)] = in.ConsumeIntegralInRange(-4, 4);
        p.kinds[static_cast<std::size_t>(i)] = static_cast<Kind>(in.ConsumeIntegralInRange(0, 2));
    }
    p.lower.assign(static_cast<std::size_t>(p.n) + 1, 0.0);
    p.upper.assign(static_cast<std::size_t>(p.n) + 1, kInf);
    for (int j = 1; j <= p.n; ++j) {
        switch (in.ConsumeIntegralInRange(0, 4)) {
        case 0:
            break; // the default: 0 .. infinity
        case 1:
            p.upper[static_cast<std::size_t>(j)] = in.ConsumeIntegralInRange(0, 6);
            break;
        case 2:
            // no column free in both directions: the bounded-variable method refuses those
            p.lower[static_cast<std::size_t>(j)] = -kInf;
            p.upper[static_cast<std::size_t>(j)] = in.ConsumeIntegralInRange(0, 6);
            break;
        case 3: {
            const int l = in.ConsumeIntegralInRange(-6, 6);
            p.lower[static_cast<std::size_t>(j)] = l;
            p.upper[static_cast<std::size_t>(j)] = l + in.ConsumeIntegralInRange(0, 6);
            break;
        }
        default:
            p.lower[static_cast<std::size_t>(j)] = -kInf;
            p.upper[static_cast<std::size_t>(j)] = in.ConsumeIntegralInRange(-6, 6);
            break;
        }
    }
    // Last, so that inputs written before this option existed keep their meaning.
    p.dualFirst = in.ConsumeBool();
    return p;
}

bool Infinite(double bound) {
    return std::fabs(bound) >= 1e30;
}

double Violation(const Problem& p, const std::vector<double>& x) {
    double worst = 0.0;
    for (int j = 1; j <= p.n; ++j) {
        const double v = x[static_cast<std::size_t>(j)];
        const double scale = 1.0 + std::fabs(v);
        if (!Infinite(p.lower[static_cast<std::size_t>(j)]))
            worst = std::max(worst, (p.lower[static_cast<std::size_t>(j)] - v) / scale);
        if (!Infinite(p.upper[static_cast<std::size_t>(j)]))
            worst = std::max(worst, (v - p.upper[static_cast<std::size_t>(j)]) / scale);
    }
    for (int i = 1; i <= p.m; ++i) {
        const auto& row = p.rows[static_cast<std::size_t>(i)];
        double activity = 0.0;
        double scale = 1.0 + std::fabs(row[0]);
        for (int j = 1; j <= p.n; ++j) {
            activity += row[static_cast<std::size_t>(j)] * x[static_cast<std::size_t>(j)];
            scale += std::fabs(row[static_cast<std::size_t>(j)] * x[static_cast<std::size_t>(j)]);
        }
        const Kind kind = p.kinds[static_cast<std::size_t>(i)];
        if (kind != Kind::GreaterEqual)
            worst = std::max(worst, (activity - row[0]) / scale);
        if (kind != Kind::LessEqual)
            worst = std::max(worst, (row[0] - activity) / scale);
    }
    return worst;
}

double ObjectiveAt(const Problem& p, const std::vector<double>& x) {
    double sum = 0.0;
    for (int j = 1; j <= p.n; ++j)
        sum += p.cost[static_cast<std::size_t>(j)] * x[static_cast<std::size_t>(j)];
    return sum;
}

#ifdef VELOR_FUZZ_HAVE_GLPK
enum class Reference { Optimal, Infeasible, Unbounded, Unknown };

Reference SolveReference(const Problem& p, double& objective) {
    glp_prob* g = glp_create_prob();
    glp_set_obj_dir(g, GLP_MIN);
    if (p.m > 0)
        glp_add_rows(g, p.m);
    glp_add_cols(g, p.n);
    std::vector<int> ia{0};
    std::vector<int> ja{0};
    std::vector<double> ar{0.0};
    for (int i = 1; i <= p.m; ++i) {
        const auto& row = p.rows[static_cast<std::size_t>(i)];
        const Kind kind = p.kinds[static_cast<std::size_t>(i)];
        const int type = kind == Kind::LessEqual      ? GLP_UP
                         : kind == Kind::GreaterEqual ? GLP_LO
                                                      : GLP_FX;
        glp_set_row_bnds(g, i, type, row[0], row[0]);
        for (int j = 1; j <= p.n; ++j) {
            if (row[static_cast<std::size_t>(j)] != 0.0) {
                ia.push_back(i);
                ja.push_back(j);
                ar.push_back(row[static_cast<std::size_t>(j)]);
            }
        }
    }
    for (int j = 1; j <= p.n; ++j) {
        const double l = p.lower[static_cast<std::size_t>(j)];
        const double u = p.upper[static_cast<std::size_t>(j)];
        const int type = Infinite(l) && Infinite(u) ? GLP_FR
                         : Infinite(u)              ? GLP_LO
                         : Infinite(l)              ? GLP_UP
                         : l == u                   ? GLP_FX
                                                    : GLP_DB;
        glp_set_col_bnds(g, j, type, l, u);
        glp_set_obj_coef(g, j, p.cost[static_cast<std::size_t>(j)]);
    }
    glp_load_matrix(g, static_cast<int>(ia.size()) - 1, ia.data(), ja.data(), ar.data());
    glp_smcp parm;
    glp_init_smcp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    parm.presolve = GLP_ON; // settles infeasible and unbounded problems without a basis
    Reference result = Reference::Unknown;
    const int rc = glp_simplex(g, &parm);
    const int status = glp_get_status(g);
    if (rc == 0 && status == GLP_OPT) {
        result = Reference::Optimal;
        objective = glp_get_obj_val(g);
    } else if ((rc == 0 && status == GLP_NOFEAS) || rc == GLP_ENOPFS) {
        result = Reference::Infeasible;
    } else if (rc == 0 && status == GLP_UNBND) {
        result = Reference::Unbounded;
    } else if (rc == GLP_ENODFS) {
        // presolve: no dual feasible solution, so the problem is unbounded or infeasible
        result = Reference::Unknown;
    }
    glp_delete_prob(g);
    return result;
}
#endif

void RunChecked(FuzzedDataProvider& in) {
    const Problem p = CheckedProblem(in);
    LpModel* lp = LP_NEW(p.n, p.m);
    for (int j = 1; j <= p.n; ++j)
        LP_PUTELEM(static_cast<float>(p.cost[static_cast<std::size_t>(j)]), j, 0, lp);
    for (int i = 1; i <= p.m; ++i) {
        const auto& row = p.rows[static_cast<std::size_t>(i)];
        for (int j = 0; j <= p.n; ++j)
            if (row[static_cast<std::size_t>(j)] != 0.0)
                LP_PUTELEM(static_cast<float>(row[static_cast<std::size_t>(j)]), j, i, lp);
        switch (p.kinds[static_cast<std::size_t>(i)]) {
        case Kind::LessEqual:
            LP_PUTLBOUND(0.0F, -i, lp);
            LP_PUTUBOUND(kInf, -i, lp);
            break;
        case Kind::GreaterEqual:
            LP_PUTLBOUND(-kInf, -i, lp);
            LP_PUTUBOUND(0.0F, -i, lp);
            break;
        case Kind::Equal:
            LP_PUTLBOUND(0.0F, -i, lp);
            LP_PUTUBOUND(0.0F, -i, lp);
            break;
        }
    }
    for (int j = 1; j <= p.n; ++j) {
        LP_PUTLBOUND(static_cast<float>(p.lower[static_cast<std::size_t>(j)]), j, lp);
        LP_PUTUBOUND(static_cast<float>(p.upper[static_cast<std::size_t>(j)]), j, lp);
    }
    LP_REINVERT(lp);
    if (p.dualFirst) {
        LP_DUALBUDGET(in.ConsumeIntegralInRange(0, 50), lp);
        const int dual = LP_GETSTATUS(lp);
        if (dual < LP_FEASIBLE || dual > LP_OPTIMAL)
            Fail("LP_DUALBUDGET ended with a status outside 0..3");
    }
    LP_PRIMAL(lp);
    const int status = LP_GETSTATUS(lp);
    if (status < LP_FEASIBLE || status > LP_OPTIMAL)
        Fail("LP_PRIMAL ended with a status outside 0..3");
    std::vector<double> x(static_cast<std::size_t>(p.n) + 1, 0.0);
    for (int j = 1; j <= p.n; ++j)
        x[static_cast<std::size_t>(j)] = LP_GETSOL(j, lp);
    const double z = LP_GETSOL(0, lp);
    LP_DELETE(&lp);
    if (lp != nullptr)
        Fail("LP_DELETE left the pointer set");

    const double objective = ObjectiveAt(p, x);
    if (status == LP_OPTIMAL || status == LP_FEASIBLE) {
        if (!(Violation(p, x) <= 1e-6))
            Fail("the solution violates a row or a bound");
        if (!(std::fabs(z + objective) <= 1e-6 * (1.0 + std::fabs(objective))))
            Fail("LP_GETSOL(0) does not match the objective at the solution");
    }
#ifdef VELOR_FUZZ_HAVE_GLPK
    double best = 0.0;
    const Reference reference = SolveReference(p, best);
    switch (status) {
    case LP_OPTIMAL:
        if (reference == Reference::Infeasible || reference == Reference::Unbounded)
            Fail("optimal, but the reference solver disagrees");
        if (reference == Reference::Optimal &&
            !(std::fabs(objective - best) <= 1e-6 * (1.0 + std::fabs(best))))
            Fail("optimal objective differs from the reference solver's");
        break;
    case LP_INFEASIBLE:
        if (reference == Reference::Optimal || reference == Reference::Unbounded)
            Fail("infeasible, but the reference solver found a feasible point");
        break;
    case LP_UNBOUNDED:
        if (reference == Reference::Optimal || reference == Reference::Infeasible)
            Fail("unbounded, but the reference solver disagrees");
        break;
    default:
        // the iteration budget ran out: the point must not be better than the optimum
        if (reference == Reference::Optimal && objective < best - 1e-6 * (1.0 + std::fabs(best)))
            Fail("a stalled solve reports a point better than the optimum");
        break;
    }
#endif
}

float AnyFloat(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return static_cast<float>(in.ConsumeIntegralInRange(-3, 3));
    case 1:
        return in.PickValueInArray({0.0F, -0.0F, 1e30F, -1e30F, 1e31F, -1e31F, 1e-7F, 1e-15F,
                                    3.4e38F, -3.4e38F, 1e-38F, 1e-45F});
    default:
        return in.ConsumeFloatingPoint<float>();
    }
}

void RunFree(FuzzedDataProvider& in) {
    const int n = in.ConsumeIntegralInRange(0, 8);
    const int m = in.ConsumeIntegralInRange(0, 8);
    LpModel* lp = LP_NEW(n, m);
    int calls = 0;
    // A stalling problem spends the whole iteration budget of each LP_PRIMAL call; two calls
    // show whether a second one after a stall is safe, more only slow the fuzzer down.
    int primalCalls = 0;
    while (in.remaining_bytes() > 0 && calls++ < 200) {
        try {
            switch (in.ConsumeIntegralInRange(0, 9)) {
            case 0:
            case 1:
            case 2: {
                const float value = AnyFloat(in);
                const int col = in.ConsumeIntegralInRange(-1, n + 1);
                const int row = in.ConsumeIntegralInRange(-1, m + 1);
                LP_PUTELEM(value, col, row, lp);
                break;
            }
            case 3:
            case 4: {
                const float value = AnyFloat(in);
                const int index = in.ConsumeIntegralInRange(-m - 1, n + 1);
                if (in.ConsumeBool())
                    LP_PUTLBOUND(value, index, lp);
                else
                    LP_PUTUBOUND(value, index, lp);
                break;
            }
            case 5:
                LP_REINVERT(lp);
                break;
            case 6:
                if (primalCalls++ < 2)
                    LP_PRIMAL(lp);
                break;
            case 7: {
                const int status = LP_GETSTATUS(lp);
                if (status < 0 || status > LP_OPTIMAL)
                    Fail("LP_GETSTATUS outside the status codes");
                break;
            }
            case 8:
                (void)LP_GETSOL(in.ConsumeIntegralInRange(-m - 1, n + 1), lp);
                break;
            default:
                (void)LP_GETELEM(in.ConsumeIntegralInRange(-1, n + 1),
                                 in.ConsumeIntegralInRange(-1, m + 1), lp);
                break;
            }
        } catch (const LpFatalError&) {
            // refused; the problem stays deletable and further calls stay safe
        }
    }
    LP_DELETE(&lp);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    LP_SETCONSOLE(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    if (in.ConsumeBool())
        RunChecked(in);
    else
        RunFree(in);
    return 0;
}
