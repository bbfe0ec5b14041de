#include "lp/eta_file.h"

#include "lp/diagnostics.h"
#include "lp/tolerances.h"

#include <cmath>

namespace lp {

void EtaFile::clear() {
    entries_.clear();
    starts_.assign(1, 0);
}

void EtaFile::removeLast() {
    starts_.pop_back();
    entries_.resize(starts_.back());
}

void EtaFile::ftran(std::vector<double>& v, double tolerance) const {
    for (size_t e = 0; e + 1 < starts_.size(); ++e) {
        const PackedEntry* eta = entries_.data() + starts_[e];
        const PackedEntry* end = entries_.data() + starts_[e + 1];
        const int p = eta->index;
        const double a = v[static_cast<size_t>(p)];
        if (a == 0.0)
            continue;
        v[static_cast<size_t>(p)] = eta->value * a;
        for (const PackedEntry* entry = eta + 1; entry != end; ++entry)
            v[static_cast<size_t>(entry->index)] += a * entry->value;
    }
    for (double& x : v) // written without a branch, so that the compiler can vectorize it
        x = std::fabs(x) <= tolerance ? 0.0 : x;
}

void EtaFile::btran(std::vector<double>& pi, double tolerance) const {
    for (size_t e = starts_.size() - 1; e-- > 0;) {
        const PackedEntry* eta = entries_.data() + starts_[e];
        const PackedEntry* end = entries_.data() + starts_[e + 1];
        double positive = 0.0;
        double negative = 0.0;
        for (const PackedEntry* entry = eta; entry != end; ++entry) {
            const double term = entry->value * pi[static_cast<size_t>(entry->index)];
            if (term > 0.0)
                positive += term;
            else
                negative += term;
        }
        const double s = positive + negative;
        pi[static_cast<size_t>(eta->index)] =
            std::fabs(s) <= tolerance * (positive - negative + 1.0) ? 0.0 : s;
    }
}

double EtaFile::openEta(double pivot, int p) {
    if (std::fabs(pivot) <= kEpsRej)
        warn(format("%%Small pivot in UpdEta: % .5E\n", pivot));
    if (std::fabs(pivot) <= kEpsPiv)
        fatal("UpdEta: too small or zero pivot");
    entries_.push_back({p, 1.0 / pivot});
    return pivot;
}

void EtaFile::updEta(const std::vector<double>& alpha, int p) {
    const double pivot = openEta(alpha[static_cast<size_t>(p)], p);
    // Transformed columns are mostly zeros: blocks of four without an entry to keep are passed
    // over with one test.
    constexpr size_t kBlock = 4;
    const size_t size = alpha.size();
    auto keep = [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i)
            if (static_cast<int>(i) != p && std::fabs(alpha[i]) > kEpsDrop)
                entries_.push_back({static_cast<int>(i), -alpha[i] / pivot});
    };
    size_t k = 0;
    for (; k + kBlock <= size; k += kBlock) {
        const double* a = alpha.data() + k;
        if (std::fabs(a[0]) > kEpsDrop || std::fabs(a[1]) > kEpsDrop ||
            std::fabs(a[2]) > kEpsDrop || std::fabs(a[3]) > kEpsDrop)
            keep(k, k + kBlock);
    }
    keep(k, size);
    starts_.push_back(entries_.size());
}

void EtaFile::appendEta(std::span<const PackedEntry> alpha, int p) {
    double pivot = 0.0;
    for (const PackedEntry& e : alpha)
        if (e.index == p)
            pivot = e.value;
    openEta(pivot, p);
    for (const PackedEntry& e : alpha) {
        if (e.index == p || std::fabs(e.value) <= kEpsDrop)
            continue;
        entries_.push_back({e.index, -e.value / pivot});
    }
    starts_.push_back(entries_.size());
}

void EtaFile::makeEta(const PackedVector& column, double cost, int r) {
    const double pivot = column.get(r);
    if (pivot == 0.0)
        fatal("MakeEta: pivot element is zero (nonexistent) in incol");
    if (std::fabs(pivot) <= kEpsRej)
        warn(format("%%Small pivot in MakeEta: % .5E\n", pivot));
    if (std::fabs(pivot) <= kEpsPiv)
        fatal("MakeEta: too small or zero pivot");
    entries_.push_back({r, 1.0 / pivot});
    for (const PackedEntry& e : column)
        if (e.index != r)
            entries_.push_back({e.index, -e.value / pivot});
    if (std::fabs(cost) > kEpsAij)
        entries_.push_back({0, -cost / pivot});
    starts_.push_back(entries_.size());
}

void EtaFile::costEta(int p, double increase) {
    entries_.push_back({p, 1.0});
    if (std::fabs(increase) > kEpsZero)
        entries_.push_back({0, -increase});
    starts_.push_back(entries_.size());
}

} // namespace lp
