#include "model/document.h"

#include <utility>

namespace velor {

Document::Document(std::size_t historyLimit) : historyLimit_(historyLimit) {}

Document::Snapshot Document::Take(const std::string& label) const {
    return {label, model_, state_, current_, acceptability_, acceptabilityCurrent_, fresh_};
}

bool Document::Apply(const std::string& label, const std::function<void(Model&)>& edit,
                     StepKind kind) {
    Snapshot before = Take(label);
    try {
        edit(model_);
    } catch (...) {
        model_ = before.model;
        model_.NotifyAll();
        throw;
    }
    if (model_ == before.model) {
        return false; // nothing changed: no step
    }
    if (kind == StepKind::Edit) {
        current_ = {};
        fresh_ = {};
        acceptabilityCurrent_ = false;
    }
    return Record(label, std::move(before));
}

bool Document::ApplyCalculation(const std::string& label,
                                const std::function<ResultSets(Model&)>& run) {
    Snapshot before = Take(label);
    ResultSets done;
    try {
        done = run(model_);
    } catch (...) {
        model_ = before.model;
        model_.NotifyAll();
        throw;
    }
    // Sets the run did not bring up to date keep what they were: an unfinished run leaves
    // values of both kinds in a mix, so it makes neither current.
    const bool finished = done.normalized || done.plain;
    current_.normalized = done.normalized || (finished && current_.normalized);
    current_.plain = done.plain || (finished && current_.plain);
    current_.parts = {};
    // A part the run finished is current; a part it began and did not finish was current
    // before (then it recomputed the same figures) or was not.
    fresh_ = fresh_.With(done.parts);
    if (model_ == before.model) {
        // Nothing changed: no step, but a finished run may have confirmed the results.
        if (!finished) {
            current_ = before.current;
        }
        if (current_ != before.current || fresh_ != before.fresh) {
            NotifyHistory();
        }
        return false;
    }
    return Record(label, std::move(before));
}

bool Document::Record(const std::string& label, Snapshot before) {
    before.label = label;
    undo_.push_back(std::move(before));
    if (undo_.size() > historyLimit_) {
        undo_.pop_front();
    }
    redo_.clear();
    state_ = nextState_++;
    NotifyHistory();
    return true;
}

std::string Document::UndoLabel() const {
    return undo_.empty() ? std::string() : undo_.back().label;
}

std::string Document::RedoLabel() const {
    return redo_.empty() ? std::string() : redo_.back().label;
}

bool Document::Undo() {
    return Move(undo_, redo_);
}

bool Document::Redo() {
    return Move(redo_, undo_);
}

bool Document::Move(std::deque<Snapshot>& from, std::deque<Snapshot>& to) {
    if (from.empty()) {
        return false;
    }
    Snapshot target = std::move(from.back());
    from.pop_back();
    // The state left behind is where the opposite command comes back to, under the same label.
    to.push_back(Take(target.label));
    model_ = std::move(target.model);
    state_ = target.state;
    current_ = target.current;
    acceptability_ = std::move(target.acceptability);
    acceptabilityCurrent_ = target.acceptabilityCurrent;
    fresh_ = target.fresh;
    model_.NotifyAll();
    NotifyHistory();
    return true;
}

bool Document::ResultsOutOfDate() const {
    if (model_.TreeEmpty() || model_.M() == 0) {
        return false;
    }
    return !(model_.NormalizedIntervals() ? current_.normalized : current_.plain);
}

Model Document::ModelToSave(bool* staleCleared) const {
    Model saved = model_;
    const CalculatedResults stale = saved.Calculated().Without(fresh_);
    if (staleCleared != nullptr) {
        *staleCleared = !(stale == CalculatedResults{});
    }
    if (!(stale == CalculatedResults{})) {
        saved.ClearResults(stale); // with the decision-rule flags that read them
    }
    return saved;
}

void Document::Reset(Model model, std::string fileName) {
    model_ = std::move(model);
    fileName_ = std::move(fileName);
    undo_.clear();
    redo_.clear();
    state_ = nextState_++;
    savedState_ = state_;
    current_ = {true, true};
    fresh_ = model_.Calculated();
    acceptability_.reset();
    acceptabilityCurrent_ = false;
    model_.NotifyAll();
    NotifyHistory();
}

void Document::Clear() {
    Model empty;
    empty.SetTopDownWeights(model_.TopDownWeights());
    empty.SetNormalizedIntervals(model_.NormalizedIntervals());
    Reset(std::move(empty), std::string());
}

void Document::SetAcceptability(std::shared_ptr<const AcceptabilityResult> result) {
    acceptability_ = std::move(result);
    acceptabilityCurrent_ = acceptability_ != nullptr;
    NotifyHistory();
}

void Document::MarkSaved(std::string fileName) {
    fileName_ = std::move(fileName);
    savedState_ = state_;
    NotifyHistory();
}

void Document::NotifyHistory() const {
    model_.Notify(ModelChange::History);
}

} // namespace velor
