#include "reference_solvers.h"

#include "lp/lp_model.h"
#include "lp/lpx.h"

#include <glpk.h>

#include <algorithm>
#include <cmath>

namespace lptest {

const char* outcomeName(Outcome o) {
    switch (o) {
    case Outcome::Optimal:
        return "optimal";
    case Outcome::Infeasible:
        return "infeasible";
    case Outcome::Unbounded:
        return "unbounded";
    case Outcome::Other:
        return "other";
    }
    return "?";
}

Result solveOurs(const RandomLp& p, const SolveOptions& options) {
    LpModel* lp = LP_NEW(p.n, p.m);
    for (int j = 0; j <= p.n; ++j)
        LP_PUTELEM(p.cost[static_cast<size_t>(j)], j, 0, lp);
    for (int i = 1; i <= p.m; ++i)
        LP_PUTELEM(p.rhs[static_cast<size_t>(i)], 0, i, lp);
    for (const Element& e : p.elements)
        LP_PUTELEM(e.value, e.col, e.row, lp);
    for (int i = 1; i <= p.m; ++i) {
        switch (p.kinds[static_cast<size_t>(i)]) {
        case RowKind::LessEqual:
            LP_PUTLBOUND(0.0f, -i, lp);
            LP_PUTUBOUND(1e31f, -i, lp);
            break;
        case RowKind::GreaterEqual:
            LP_PUTLBOUND(-1e31f, -i, lp);
            LP_PUTUBOUND(0.0f, -i, lp);
            break;
        case RowKind::Equal:
            LP_PUTLBOUND(0.0f, -i, lp);
            LP_PUTUBOUND(0.0f, -i, lp);
            break;
        }
    }
    for (int j = 1; j <= p.n; ++j)
        if (p.upper[static_cast<size_t>(j)] < 1e30f)
            LP_PUTUBOUND(p.upper[static_cast<size_t>(j)], j, lp);
    LP_REINVERT(lp);
    std::vector<double> bounds;
    for (int k = -p.m; k <= p.n; ++k)
        if (k != 0)
            bounds.insert(bounds.end(), {LP_GETLBOUND(k, lp), LP_GETUBOUND(k, lp)});
    if (options.dualFirst)
        LP_DUALBUDGET(12093, lp);
    LP_PRIMAL(lp);
    Result r;
    size_t b = 0;
    for (int k = -p.m; k <= p.n; ++k)
        if (k != 0) {
            r.boundsAsGiven = r.boundsAsGiven && LP_GETLBOUND(k, lp) == bounds[b] &&
                              LP_GETUBOUND(k, lp) == bounds[b + 1];
            b += 2;
        }
    r.rawStatus = LP_GETSTATUS(lp);
    r.outcome = r.rawStatus == LP_OPTIMAL      ? Outcome::Optimal
                : r.rawStatus == LP_INFEASIBLE ? Outcome::Infeasible
                : r.rawStatus == LP_UNBOUNDED  ? Outcome::Unbounded
                                               : Outcome::Other;
    // The solver maximises z = c0 - sum c_j x_j.
    r.objective = 2.0 * double(p.cost[0]) - LP_GETSOL(0, lp);
    r.x.assign(static_cast<size_t>(p.n) + 1, 0.0);
    for (int j = 1; j <= p.n; ++j)
        r.x[static_cast<size_t>(j)] = LP_GETSOL(j, lp);
    r.iterations = lp->iterations;
    LP_DELETE(&lp);
    return r;
}

Result solveGlpk(const RandomLp& p) {
    glp_prob* g = glp_create_prob();
    glp_set_obj_dir(g, GLP_MIN);
    glp_add_rows(g, p.m);
    glp_add_cols(g, p.n);
    glp_set_obj_coef(g, 0, double(p.cost[0]));
    for (int i = 1; i <= p.m; ++i) {
        const double b = p.rhs[static_cast<size_t>(i)];
        const int type = p.kinds[static_cast<size_t>(i)] == RowKind::LessEqual      ? GLP_UP
                         : p.kinds[static_cast<size_t>(i)] == RowKind::GreaterEqual ? GLP_LO
                                                                                    : GLP_FX;
        glp_set_row_bnds(g, i, type, b, b);
    }
    for (int j = 1; j <= p.n; ++j) {
        const double u = p.upper[static_cast<size_t>(j)];
        if (u < 1e30)
            glp_set_col_bnds(g, j, u == 0.0 ? GLP_FX : GLP_DB, 0.0, u);
        else
            glp_set_col_bnds(g, j, GLP_LO, 0.0, 0.0);
        glp_set_obj_coef(g, j, double(p.cost[static_cast<size_t>(j)]));
    }
    std::vector<int> ia{0}, ja{0};
    std::vector<double> ar{0.0};
    for (const Element& e : p.elements) {
        ia.push_back(e.row);
        ja.push_back(e.col);
        ar.push_back(double(e.value));
    }
    glp_load_matrix(g, static_cast<int>(ia.size()) - 1, ia.data(), ja.data(), ar.data());
    glp_smcp parm;
    glp_init_smcp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    parm.meth = GLP_PRIMAL;
    Result r;
    const int rc = glp_simplex(g, &parm);
    const int status = glp_get_status(g);
    r.rawStatus = status;
    if (rc != 0)
        r.outcome = Outcome::Other;
    else if (status == GLP_OPT)
        r.outcome = Outcome::Optimal;
    else if (status == GLP_NOFEAS)
        r.outcome = Outcome::Infeasible;
    else if (status == GLP_UNBND)
        r.outcome = Outcome::Unbounded;
    r.objective = glp_get_obj_val(g);
    glp_delete_prob(g);
    return r;
}

double maxViolation(const RandomLp& p, const std::vector<double>& x) {
    std::vector<double> activity(static_cast<size_t>(p.m) + 1, 0.0);
    for (const Element& e : p.elements)
        activity[static_cast<size_t>(e.row)] += double(e.value) * x[static_cast<size_t>(e.col)];
    double worst = 0.0;
    for (int i = 1; i <= p.m; ++i) {
        const double a = activity[static_cast<size_t>(i)];
        const double b = p.rhs[static_cast<size_t>(i)];
        const RowKind k = p.kinds[static_cast<size_t>(i)];
        if (k != RowKind::GreaterEqual)
            worst = std::max(worst, a - b);
        if (k != RowKind::LessEqual)
            worst = std::max(worst, b - a);
    }
    for (int j = 1; j <= p.n; ++j) {
        worst = std::max(worst, -x[static_cast<size_t>(j)]);
        worst =
            std::max(worst, x[static_cast<size_t>(j)] - double(p.upper[static_cast<size_t>(j)]));
    }
    return worst;
}

double objectiveAt(const RandomLp& p, const std::vector<double>& x) {
    double s = p.cost[0];
    for (int j = 1; j <= p.n; ++j)
        s += double(p.cost[static_cast<size_t>(j)]) * x[static_cast<size_t>(j)];
    return s;
}

} // namespace lptest
