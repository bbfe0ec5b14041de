#include "lp/eta_file.h"

#include "lp/diagnostics.h"
#include "lp/tolerances.h"

#include <cmath>

namespace lp {

void EtaFile::clear() {
    etas_.clear();
    nonzeros_ = 0;
}

void EtaFile::removeLast() {
    nonzeros_ -= static_cast<int>(etas_.back().size());
    etas_.pop_back();
}

void EtaFile::append(Eta eta) {
    nonzeros_ += static_cast<int>(eta.size());
    etas_.push_back(std::move(eta));
}

void EtaFile::ftran(std::vector<double>& v, double tolerance) const {
    for (const Eta& eta : etas_) {
        const int p = eta[0].index;
        const double a = v[static_cast<size_t>(p)];
        if (a == 0.0)
            continue;
        v[static_cast<size_t>(p)] = eta[0].value * a;
        for (size_t k = 1; k < eta.size(); ++k)
            v[static_cast<size_t>(eta[k].index)] += a * eta[k].value;
    }
    for (size_t i = v.size(); i-- > 0;)
        if (std::fabs(v[i]) <= tolerance)
            v[i] = 0.0;
}

void EtaFile::btran(std::vector<double>& pi, double tolerance) const {
    for (size_t e = etas_.size(); e-- > 0;) {
        const Eta& eta = etas_[e];
        double positive = 0.0;
        double negative = 0.0;
        for (const PackedEntry& entry : eta) {
            const double term = entry.value * pi[static_cast<size_t>(entry.index)];
            if (term > 0.0)
                positive += term;
            else
                negative += term;
        }
        const double s = positive + negative;
        pi[static_cast<size_t>(eta[0].index)] =
            std::fabs(s) <= tolerance * (positive - negative + 1.0) ? 0.0 : s;
    }
}

void EtaFile::updEta(const std::vector<double>& alpha, int p) {
    const double pivot = alpha[static_cast<size_t>(p)];
    if (std::fabs(pivot) <= kEpsRej)
        warn(format("%%Small pivot in UpdEta: % .5E\n", pivot));
    if (std::fabs(pivot) <= kEpsPiv)
        fatal("UpdEta: too small or zero pivot");
    Eta eta;
    eta.push_back({p, 1.0 / pivot});
    for (size_t k = 0; k < alpha.size(); ++k) {
        if (static_cast<int>(k) == p || std::fabs(alpha[k]) <= kEpsZero)
            continue;
        eta.push_back({static_cast<int>(k), -alpha[k] / pivot});
    }
    append(std::move(eta));
}

void EtaFile::makeEta(const PackedVector& column, double cost, int r) {
    const double pivot = column.get(r);
    if (pivot == 0.0)
        fatal("MakeEta: pivot element is zero (nonexistent) in incol");
    if (std::fabs(pivot) <= kEpsRej)
        warn(format("%%Small pivot in MakeEta: % .5E\n", pivot));
    if (std::fabs(pivot) <= kEpsPiv)
        fatal("MakeEta: too small or zero pivot");
    Eta eta;
    eta.reserve(static_cast<size_t>(column.size()) + 1);
    eta.push_back({r, 1.0 / pivot});
    for (const PackedEntry& e : column)
        if (e.index != r)
            eta.push_back({e.index, -e.value / pivot});
    if (std::fabs(cost) > kEpsAij)
        eta.push_back({0, -cost / pivot});
    append(std::move(eta));
}

} // namespace lp
