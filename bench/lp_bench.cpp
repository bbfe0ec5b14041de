// Times the LP solver against GLPK's primal simplex on value and dominance programs of
// decision models with 10, 20 and 40 alternatives and attributes, each program solved from
// scratch by both, and prints the time ratio ours/GLPK per size.
//
// Usage: velor_lp_bench [repetitions]   (default 3; the best of the repetitions counts)
#include "lp_bench_problems.h"

#include "lp/lpx.h"

#include <glpk.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Outcome {
    int status; // 3 optimal, 1 infeasible, 2 unbounded, 0 other
    double objective;
};

Outcome solveOurs(const lpbench::Program& p) {
    LpModel* lp = LP_NEW(p.n, p.m);
    for (int i = 1; i <= p.m; ++i)
        if (p.rhs[static_cast<size_t>(i)] != 0.0f)
            LP_PUTELEM(p.rhs[static_cast<size_t>(i)], 0, i, lp);
    for (const lpbench::Element& e : p.elements)
        LP_PUTELEM(e.value, e.col, e.row, lp);
    for (int i = 1; i <= p.m; ++i) {
        const int kind = p.kinds[static_cast<size_t>(i)];
        LP_PUTLBOUND(kind == 1 ? -1e31f : 0.0f, -i, lp);
        LP_PUTUBOUND(kind == 0 ? 1e31f : 0.0f, -i, lp);
    }
    LP_REINVERT(lp);
    LP_PRIMAL(lp);
    const Outcome out{LP_GETSTATUS(lp), -LP_GETSOL(0, lp)};
    LP_DELETE(&lp);
    return out;
}

Outcome solveGlpk(const lpbench::Program& p) {
    glp_prob* g = glp_create_prob();
    glp_set_obj_dir(g, GLP_MIN);
    glp_add_rows(g, p.m);
    glp_add_cols(g, p.n);
    for (int i = 1; i <= p.m; ++i) {
        const double b = p.rhs[static_cast<size_t>(i)];
        const int kind = p.kinds[static_cast<size_t>(i)];
        glp_set_row_bnds(g, i, kind == 0 ? GLP_UP : kind == 1 ? GLP_LO : GLP_FX, b, b);
    }
    std::vector<int> ia{0}, ja{0};
    std::vector<double> ar{0.0};
    for (const lpbench::Element& e : p.elements) {
        if (e.row == 0) {
            glp_set_obj_coef(g, e.col, double(e.value));
            continue;
        }
        ia.push_back(e.row);
        ja.push_back(e.col);
        ar.push_back(double(e.value));
    }
    for (int j = 1; j <= p.n; ++j)
        glp_set_col_bnds(g, j, GLP_LO, 0.0, 0.0);
    glp_load_matrix(g, static_cast<int>(ia.size()) - 1, ia.data(), ja.data(), ar.data());
    glp_smcp parm;
    glp_init_smcp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    parm.meth = GLP_PRIMAL;
    glp_simplex(g, &parm);
    const int s = glp_get_status(g);
    const Outcome out{s == GLP_OPT      ? 3
                      : s == GLP_NOFEAS ? 1
                      : s == GLP_UNBND  ? 2
                                        : 0,
                      glp_get_obj_val(g)};
    glp_delete_prob(g);
    return out;
}

template <class F> double seconds(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::printf("%-6s %5s %5s %5s %9s %12s %12s %8s %s\n", "size", "LPs", "rows", "cols",
                "nonzeros", "ours [s]", "GLPK [s]", "ratio", "agreement");
    for (int size : {10, 20, 40}) {
        const std::vector<lpbench::Program> programs = lpbench::decisionPrograms(size, size, 12);
        std::vector<Outcome> ours(programs.size()), ref(programs.size());
        double bestOurs = 1e300, bestGlpk = 1e300;
        for (int r = 0; r < repetitions; ++r) {
            bestOurs = std::min(bestOurs, seconds([&] {
                                    for (size_t k = 0; k < programs.size(); ++k)
                                        ours[k] = solveOurs(programs[k]);
                                }));
            bestGlpk = std::min(bestGlpk, seconds([&] {
                                    for (size_t k = 0; k < programs.size(); ++k)
                                        ref[k] = solveGlpk(programs[k]);
                                }));
        }
        int agree = 0;
        for (size_t k = 0; k < programs.size(); ++k)
            agree += ours[k].status == ref[k].status &&
                     (ours[k].status != 3 || std::fabs(ours[k].objective - ref[k].objective) <=
                                                 1e-6 * std::fabs(ref[k].objective) + 1e-7);
        size_t nonzeros = 0;
        for (const auto& p : programs)
            nonzeros += p.elements.size();
        std::printf("%-6d %5zu %5d %5d %9zu %12.4f %12.4f %8.2f %d/%zu\n", size, programs.size(),
                    programs.front().m, programs.front().n, nonzeros / programs.size(), bestOurs,
                    bestGlpk, bestOurs / bestGlpk, agree, programs.size());
    }
    return 0;
}
