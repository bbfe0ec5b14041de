// Reinversion: rebuilds the eta file from the basic columns, replacing singular columns by the
// logicals of their rows, and recomputes the basic values and their feasibility.
#ifndef VELOR_LP_REINVERSION_H
#define VELOR_LP_REINVERSION_H

struct LpModel;

namespace lp {

struct ReinversionReport {
    int kernelSize = 0;
    int bumps = 0;
    int spikes = 0;
    int singularColumns = 0; // basic columns made nonbasic because the basis was singular
    int removedUnitEtas = 0;
};

ReinversionReport reinvert(LpModel& lp);

} // namespace lp

#endif
