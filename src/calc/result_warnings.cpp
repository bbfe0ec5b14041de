#include "calc/result_warnings.h"

namespace velor {

namespace {

std::string NameList(const Model& model, const std::vector<NodeId>& nodes) {
    std::string list;
    for (const NodeId node : nodes) {
        list += (list.empty() ? "" : ", ") + model.Node(node).Name;
    }
    return list;
}

bool HasSomethingToCalculate(const Model& model) {
    return !model.TreeEmpty() && model.M() > 0 && model.AttributeCount() > 0;
}

} // namespace

std::string UnrankedAttributesWarning(const Model& model) {
    if (!HasSomethingToCalculate(model) || model.M() < 2) {
        return {};
    }
    std::vector<NodeId> unranked;
    for (const NodeId attribute : model.Attributes()) {
        const int column = model.ColumnOfNode(attribute);
        for (int row = 1; row <= model.M(); ++row) {
            if (model.Rank(column, row) == 0) {
                unranked.push_back(attribute);
                break;
            }
        }
    }
    if (unranked.empty()) {
        return {};
    }
    return "Not every attribute is ranked: " + NameList(model, unranked) +
           ". Results take the first alternative's level as the best where nothing is ranked.";
}

std::vector<std::string> ResultWarnings(const Model& model) {
    std::vector<std::string> warnings;
    if (!HasSomethingToCalculate(model)) {
        return warnings;
    }
    const CalculatedResults& calculated = model.Calculated();
    const int set = ResultSetOf(model.NormalizedIntervals());
    const bool anything = calculated.AnyMainValues() || calculated.NodeValues[0] ||
                          calculated.NodeValues[1] || calculated.Weights[0] ||
                          calculated.Weights[1] || calculated.Dominance;
    if (const std::string unranked = UnrankedAttributesWarning(model);
        anything && !unranked.empty()) {
        warnings.push_back(unranked);
    }
    if (calculated.Weights[static_cast<std::size_t>(set)]) {
        std::vector<NodeId> zero;
        for (const NodeId attribute : model.Attributes()) {
            const TNodeData& data = model.Node(attribute);
            const double upper = set == kNormalizedSet ? data.NormWeightUpper : data.WeightUpper;
            if (upper <= kZeroWeightTolerance) {
                zero.push_back(attribute);
            }
        }
        if (!zero.empty()) {
            const bool one = zero.size() == 1;
            warnings.push_back(std::string("The statements force the weight of ") +
                               (one ? "this attribute to 0, so it cannot"
                                    : "these attributes to 0, so they cannot") +
                               " change any result: " + NameList(model, zero) + ".");
        }
    }
    if (!calculated.AnyMainValues()) {
        warnings.push_back("Value intervals have not been calculated.");
    } else if (!calculated.ValuesOf(true, set) && !calculated.NodeValues[static_cast<std::size_t>(set)]) {
        warnings.push_back(set == kNormalizedSet
                               ? "Normalized value intervals have not been calculated."
                               : "Non-normalized value intervals have not been calculated.");
    }
    if (!calculated.Dominance) {
        warnings.push_back("Dominance and regret have not been calculated.");
    }
    return warnings;
}

} // namespace velor
