#include "model/model.h"

#include "model/number_format.h"

#include <algorithm>
#include <stdexcept>

namespace velor {

void Model::NotifyAll() const {
    for (auto what : {ModelChange::Tree, ModelChange::Table, ModelChange::Assessments,
                      ModelChange::Results, ModelChange::Options, ModelChange::History}) {
        Notify(what);
    }
}

void Model::AddObserver(ModelObserver* observer) const {
    auto& list = observers_.list;
    if (std::find(list.begin(), list.end(), observer) == list.end()) {
        list.push_back(observer);
    }
}

void Model::RemoveObserver(ModelObserver* observer) const {
    std::erase(observers_.list, observer);
}

void Model::Notify(ModelChange what) const {
    // Copy first: an observer may detach itself while being told.
    const auto observers = observers_.list;
    for (auto* o : observers) {
        o->ModelChanged(what);
    }
}

void Model::SetTopDownWeights(bool on) {
    if (topDownWeights_ != on) {
        topDownWeights_ = on;
        Notify(ModelChange::Options);
        Notify(ModelChange::Assessments); // weight-mode markers follow the option
    }
}

void Model::SetNormalizedIntervals(bool on) {
    if (normalizedIntervals_ != on) {
        normalizedIntervals_ = on;
        Notify(ModelChange::Options);
        Notify(ModelChange::Tree); // captions follow the option
    }
}

void Model::Clear() {
    const bool top = topDownWeights_;
    const bool norm = normalizedIntervals_;
    *this = Model();
    topDownWeights_ = top;
    normalizedIntervals_ = norm;
    NotifyAll();
}

// ----- stored results

void Model::ClearResults() {
    CalculatedResults all;
    all.MainValues = {true, true};
    all.NodeValues = {true, true};
    all.Weights = {true, true};
    all.Dominance = true;
    all.Margins = true;
    ClearResults(all);
}

void Model::ClearResults(const CalculatedResults& parts) {
    const TNodeData freshNode;
    const TNodeValue freshValue;
    const TConsequenceData freshCell;
    for (const int set : {kPlainSet, kNormalizedSet}) {
        const auto index = static_cast<std::size_t>(set);
        const bool normalized = set == kNormalizedSet;
        for (auto& [id, tree] : nodes_) {
            TNodeData& data = tree.Data;
            const bool main = id == root_;
            if (parts.Weights[index] && !main) {
                (normalized ? data.NormWeightLower : data.WeightLower) =
                    normalized ? freshNode.NormWeightLower : freshNode.WeightLower;
                (normalized ? data.NormWeightUpper : data.WeightUpper) =
                    normalized ? freshNode.NormWeightUpper : freshNode.WeightUpper;
            }
            if (!(main ? parts.MainValues : parts.NodeValues)[index]) {
                continue;
            }
            for (TNodeValue& value : data.Values) {
                (normalized ? value.NormLower : value.Lower) =
                    normalized ? freshValue.NormLower : freshValue.Lower;
                (normalized ? value.NormUpper : value.Upper) =
                    normalized ? freshValue.NormUpper : freshValue.Upper;
            }
            for (int row = 1; row <= m_; ++row) {
                TConsequenceData& cell = ConsequenceData(data.Column, row);
                (normalized ? cell.NormLower : cell.Lower) =
                    normalized ? freshCell.NormLower : freshCell.Lower;
                (normalized ? cell.NormUpper : cell.Upper) =
                    normalized ? freshCell.NormUpper : freshCell.Upper;
            }
        }
        calculated_.MainValues[index] = calculated_.MainValues[index] && !parts.MainValues[index];
        calculated_.NodeValues[index] = calculated_.NodeValues[index] && !parts.NodeValues[index];
        calculated_.Weights[index] = calculated_.Weights[index] && !parts.Weights[index];
    }
    const TAlternativeData fresh;
    for (int row = 1; row <= m_; ++row) {
        TAlternativeData& alternative = AlternativeData(row);
        if (!calculated_.AnyMainValues()) {
            // The alternatives' own intervals are the main goal's: they and the rules that read
            // them go with the last set that held them.
            alternative.ValueLower = fresh.ValueLower;
            alternative.ValueUpper = fresh.ValueUpper;
            alternative.Recommended[kMaximax] = 0;
            alternative.Recommended[kMaximin] = 0;
            alternative.Recommended[kCentralValues] = 0;
        }
        if (parts.Dominance) {
            alternative.MaxRegret = fresh.MaxRegret;
            alternative.Recommended[kMinimaxRegret] = 0;
            std::fill(alternative.Dominance.begin(), alternative.Dominance.end(), kNotComputed);
        }
        if (parts.Dominance || parts.Margins) {
            std::fill(alternative.DominanceMargin.begin(), alternative.DominanceMargin.end(), 0.0);
        }
    }
    calculated_.Dominance = calculated_.Dominance && !parts.Dominance;
    calculated_.Margins = calculated_.Margins && !parts.Dominance && !parts.Margins;
    Notify(ModelChange::Results);
    Notify(ModelChange::Tree); // captions show weights
}

// What a model read from a file calculated, told from the figures it holds: a set whose every
// figure is the default of a new model was never calculated. A calculated set of value intervals
// always differs from the defaults (the best level's value, or a plain upper bound above 0); a
// set of weights without any weight statement may not, and is then taken as calculated with the
// value intervals of the same kind.
void Model::InferCalculatedResults() {
    calculated_ = {};
    if (root_ == kNone || m_ == 0) {
        return;
    }
    const TNodeData freshNode;
    const TNodeValue fresh;
    for (const auto& [id, tree] : nodes_) {
        const TNodeData& data = tree.Data;
        const bool main = id == root_;
        for (const TNodeValue& value : data.Values) {
            const bool plain = value.Lower != fresh.Lower || value.Upper != fresh.Upper;
            const bool norm = value.NormLower != fresh.NormLower || value.NormUpper != fresh.NormUpper;
            auto& values = main ? calculated_.MainValues : calculated_.NodeValues;
            values[kPlainSet] = values[kPlainSet] || plain;
            values[kNormalizedSet] = values[kNormalizedSet] || norm;
        }
        if (!main) {
            calculated_.Weights[kPlainSet] = calculated_.Weights[kPlainSet] ||
                                             data.WeightLower != freshNode.WeightLower ||
                                             data.WeightUpper != freshNode.WeightUpper;
            calculated_.Weights[kNormalizedSet] =
                calculated_.Weights[kNormalizedSet] ||
                data.NormWeightLower != freshNode.NormWeightLower ||
                data.NormWeightUpper != freshNode.NormWeightUpper;
        }
    }
    for (int set : {kPlainSet, kNormalizedSet}) {
        auto& weights = calculated_.Weights[static_cast<std::size_t>(set)];
        weights = weights || calculated_.NodeValues[static_cast<std::size_t>(set)];
    }
    for (int row = 1; row <= m_ && !calculated_.Dominance; ++row) {
        const TAlternativeData& alternative = Alternative(row);
        for (std::size_t other = 1; other < alternative.Dominance.size(); ++other) {
            const auto code = alternative.Dominance[other];
            if (code == kDominates || code == kDominated || code == kNeither) {
                calculated_.Dominance = true;
                break;
            }
        }
    }
    // The main goal's intervals are also the alternatives' own; a main goal calculated in one
    // set alone shows in the alternatives' figures.
    if (!calculated_.AnyMainValues()) {
        const TAlternativeData freshAlternative;
        for (int row = 1; row <= m_; ++row) {
            const TAlternativeData& alternative = Alternative(row);
            if (alternative.ValueLower != freshAlternative.ValueLower ||
                alternative.ValueUpper != freshAlternative.ValueUpper) {
                calculated_.MainValues[ResultSetOf(normalizedIntervals_)] = true;
                break;
            }
        }
    }
}

// ----- tree queries

Model::TreeNode& Model::NodeRef(NodeId node) {
    auto it = nodes_.find(node);
    if (it == nodes_.end()) {
        throw std::out_of_range("no node with id " + std::to_string(node));
    }
    return it->second;
}

const Model::TreeNode& Model::NodeRef(NodeId node) const {
    auto it = nodes_.find(node);
    if (it == nodes_.end()) {
        throw std::out_of_range("no node with id " + std::to_string(node));
    }
    return it->second;
}

const TNodeData& Model::Node(NodeId node) const {
    return NodeRef(node).Data;
}

TNodeData& Model::NodeData(NodeId node) {
    return NodeRef(node).Data;
}

NodeId Model::Parent(NodeId node) const {
    return NodeRef(node).Parent;
}

const std::vector<NodeId>& Model::Children(NodeId node) const {
    return NodeRef(node).Children;
}

NodeId Model::FirstChild(NodeId node) const {
    const auto& c = Children(node);
    return c.empty() ? kNone : c.front();
}

NodeId Model::NextSibling(NodeId node) const {
    const NodeId parent = Parent(node);
    if (parent == kNone) {
        return kNone;
    }
    const auto& c = Children(parent);
    auto it = std::find(c.begin(), c.end(), node);
    return (it == c.end() || it + 1 == c.end()) ? kNone : *(it + 1);
}

int Model::PreOrderIndex(NodeId node) const {
    auto it = std::find(preOrder_.begin(), preOrder_.end(), node);
    return it == preOrder_.end() ? -1 : static_cast<int>(it - preOrder_.begin());
}

NodeId Model::NodeByColumn(int column) const {
    if (column < 1 || column >= table_.ColCount()) {
        return kNone;
    }
    return table_.HeaderNode(column);
}

bool Model::InSubtree(NodeId node, NodeId ancestor) const {
    for (NodeId n = node; n != kNone; n = Parent(n)) {
        if (n == ancestor) {
            return true;
        }
    }
    return false;
}

std::vector<NodeId> Model::Attributes() const {
    std::vector<NodeId> out;
    for (NodeId n : preOrder_) {
        if (n != root_ && IsAttribute(n)) {
            out.push_back(n);
        }
    }
    return out;
}

int Model::AttributeCount() const {
    return static_cast<int>(Attributes().size());
}

std::vector<NodeId> Model::Goals() const {
    std::vector<NodeId> out;
    for (NodeId n : preOrder_) {
        if (IsGoal(n)) {
            out.push_back(n);
        }
    }
    return out;
}

std::string Model::Caption(NodeId node, char decimalSeparator) const {
    const auto& d = Node(node);
    const double lo = normalizedIntervals_ ? d.NormWeightLower : d.WeightLower;
    const double hi = normalizedIntervals_ ? d.NormWeightUpper : d.WeightUpper;
    // Once a model holds results, weights of the kind shown that were never calculated say so
    // instead of showing the defaults as if they were figures.
    if (node != root_ &&
        !calculated_.Weights[static_cast<std::size_t>(ResultSetOf(normalizedIntervals_))] &&
        !(calculated_ == CalculatedResults{})) {
        return d.Name + " [not calculated]";
    }
    return d.Name + " [" + FormatInterval(lo, hi, decimalSeparator) + "]";
}

void Model::RebuildPreOrder() {
    preOrder_.clear();
    if (root_ == kNone) {
        return;
    }
    std::vector<NodeId> stack{root_};
    while (!stack.empty()) {
        NodeId n = stack.back();
        stack.pop_back();
        preOrder_.push_back(n);
        const auto& c = Children(n);
        for (auto it = c.rbegin(); it != c.rend(); ++it) {
            stack.push_back(*it);
        }
    }
}

long long Model::ModelSize() const {
    if (n_ == 0 || m_ == 0) {
        return 0;
    }
    const long long n = n_;
    const long long m = m_;
    return (2 * n - 2) * (m + 1) + m * (m + 2);
}

// ----- loading

void Model::LoadAlternative(const std::string& name, TAlternativeData data) {
    ++m_;
    table_.SetRowCount(std::max(m_ + 1, 2));
    data.Id = nextAltId_++;
    table_.SetText(0, m_, name);
    table_.Alternative(m_) = std::move(data);
}

NodeId Model::LoadNode(int parentPreIndex, TNodeData data, bool hasEntry,
                       std::optional<TPreferenceData> preference) {
    const NodeId id = nextNodeId_++;
    TreeNode tn;
    tn.Data = std::move(data);
    tn.Data.Assessment = kNone;
    if (parentPreIndex < 0) {
        if (root_ != kNone) {
            throw std::invalid_argument("a model has only one root");
        }
        root_ = id;
        EnsureBottomUpEntry("Bottom Up");
    } else {
        if (parentPreIndex >= static_cast<int>(preOrder_.size())) {
            throw std::invalid_argument("parent index out of range");
        }
        const NodeId parent = preOrder_[parentPreIndex];
        if (!IsGoal(parent)) {
            throw std::invalid_argument("an attribute cannot have children");
        }
        tn.Parent = parent;
        NodeRef(parent).Children.push_back(id);
    }
    nodes_.emplace(id, std::move(tn));
    // Nodes arrive in pre-order, each the last child of an earlier node, so appending keeps
    // the pre-order list right.
    preOrder_.push_back(id);
    auto& d = NodeRef(id).Data;
    d.Column = static_cast<int>(preOrder_.size());
    d.Values.resize(m_);
    ++n_;
    table_.SetColCount(std::max(n_ + 1, 2));
    table_.SetText(d.Column, 0, d.Name);
    table_.SetHeaderNode(d.Column, id);
    if (n_ == 1) {
        table_.SetColWidth(1, ConsequenceTable::kFirstColumnWidth);
    }
    if (hasEntry) {
        TAssessmentEntry own = MakeOwnEntry(id);
        if (preference) {
            preference->Node = id;
            preference->Holistic = d.Kind == kGoal ? 1 : 0;
            own.Preference = std::move(*preference);
        } else {
            own.Preference.reset();
        }
        if (d.Kind == kAttribute) {
            // The score entries keep tree order ahead of the bottom-up entry.
            d.Assessment = InsertEntry(EntryPosition(bottomUpEntry_), std::move(own));
        } else {
            d.Assessment = InsertEntry(static_cast<int>(entries_.size()), std::move(own));
            const auto& rootData = Node(root_);
            const int rootPos = rootData.Assessment == kNone ? static_cast<int>(entries_.size()) - 1
                                                             : EntryPosition(rootData.Assessment);
            InsertEntry(rootPos, MakeWeightEntry(id));
        }
    }
    return id;
}

AltId Model::AlternativeIdAtRow(int row) const {
    if (row < 1 || row > m_) {
        return kNone;
    }
    return Alternative(row).Id;
}

void Model::LoadCell(int col, int row, const std::string& text, const TConsequenceData& data) {
    table_.SetText(col, row, text);
    table_.Consequence(col, row) = data;
}

void Model::FinishLoading() {
    RefreshAssessedStatus();
    InferCalculatedResults();
    NotifyAll();
}

} // namespace velor
