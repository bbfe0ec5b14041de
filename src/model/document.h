// A model being edited: the model, the file it came from or was last saved to, and its edit
// history. Every change a user makes goes through Apply (or ApplyCalculation) as one labelled
// step; Undo and Redo restore the model as it was before or after a step. Whether the model is
// changed (not saved) and whether its results are out of date follow from where the history
// stands. The history is a list of snapshots: a Model is a value, so a snapshot is a copy.
#pragma once

#include "model/acceptability_result.h"
#include "model/model.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velor {

class Document {
public:
    // Steps kept for undo; older ones are forgotten.
    static constexpr std::size_t kDefaultHistoryLimit = 100;

    // What a step does to the stored results.
    enum class StepKind {
        Edit,         // changes what the results are computed from: they are out of date after it
        KeepsResults, // a new name, or which stored results are shown: they stay as current
    };
    // Which of the two stored sets of value intervals belong to the current model.
    struct ResultSets {
        bool normalized = false;
        bool plain = false;
        // The parts of the results the run calculated to the end (a calculation reports them).
        CalculatedResults parts{};
        bool operator==(const ResultSets&) const = default;
    };

    explicit Document(std::size_t historyLimit = kDefaultHistoryLimit);

    const Model& GetModel() const { return model_; }
    // The file the model was read from or last saved to; empty for a new model.
    const std::string& FileName() const { return fileName_; }

    // Runs edit on the model as one step labelled label ("Rename Node"). An edit that leaves
    // the model as it was records no step. If the edit throws, the model is put back as it was
    // and the exception goes on. Returns whether a step was recorded.
    bool Apply(const std::string& label, const std::function<void(Model&)>& edit,
               StepKind kind = StepKind::Edit);
    // A calculation as one step: run stores results into the model and tells which sets of
    // interval results it brought up to date (none when it did not finish).
    bool ApplyCalculation(const std::string& label, const std::function<ResultSets(Model&)>& run);

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // Labels of the step Undo and Redo would take back or do again; empty when there is none.
    std::string UndoLabel() const;
    std::string RedoLabel() const;
    std::size_t UndoCount() const { return undo_.size(); }
    bool Undo();
    bool Redo();

    // Whether the model differs from the state it was last loaded in or saved in: the history
    // is not at that point.
    bool Changed() const { return state_ != savedState_; }
    // Whether the intervals the model's option shows were calculated for the model as it is
    // (a model read from a file counts as calculated for the results it holds). A model without
    // nodes or alternatives has nothing to calculate and is never out of date.
    bool ResultsOutOfDate() const;
    // The parts of the stored results that were calculated for the model as it is: those of a
    // model read from a file, and those a calculation finished since the last edit.
    const CalculatedResults& CurrentResults() const { return fresh_; }
    // The model as a file should hold it: every stored result that was calculated for another
    // state of the model is put back to the never-calculated defaults, so a file never holds
    // results that do not belong to what it stores. staleCleared, when given, tells whether
    // there were such results.
    Model ModelToSave(bool* staleCleared = nullptr) const;

    // The last acceptability analysis, kept in memory only (never in the model file); null
    // when none has run on this model. Setting one is no step of the history: it leaves the
    // model as it is. An edit makes it out of date; undo and redo bring back the analysis that
    // belonged to the state they return to, with its state.
    const AcceptabilityResult* Acceptability() const { return acceptability_.get(); }
    void SetAcceptability(std::shared_ptr<const AcceptabilityResult> result);
    bool AcceptabilityOutOfDate() const { return acceptability_ && !acceptabilityCurrent_; }

    // Starts over with model (read from fileName, or a new empty model with fileName empty):
    // no history, not changed, its results current.
    void Reset(Model model, std::string fileName);
    // An empty model that keeps the current options (New).
    void Clear();
    // The model was written to fileName: that state is the saved one now.
    void MarkSaved(std::string fileName);

private:
    struct Snapshot {
        std::string label; // of the step between this snapshot and its neighbour
        Model model;
        std::uint64_t state = 0;
        ResultSets current;
        std::shared_ptr<const AcceptabilityResult> acceptability;
        bool acceptabilityCurrent = false;
        CalculatedResults fresh;
    };
    Snapshot Take(const std::string& label) const;

    bool Record(const std::string& label, Snapshot before);
    // Undo and Redo: restores the latest snapshot of from and keeps the state it replaces in to.
    bool Move(std::deque<Snapshot>& from, std::deque<Snapshot>& to);
    void NotifyHistory() const;

    std::size_t historyLimit_;
    Model model_;
    std::string fileName_;
    std::uint64_t state_ = 0;      // identifies the model's state in the history
    std::uint64_t savedState_ = 0; // the state last loaded or saved
    std::uint64_t nextState_ = 1;
    ResultSets current_{true, true};
    CalculatedResults fresh_;
    std::shared_ptr<const AcceptabilityResult> acceptability_;
    bool acceptabilityCurrent_ = false;
    std::deque<Snapshot> undo_;  // states before each step, oldest first
    std::deque<Snapshot> redo_; // states after each undone step, most recently undone last
};

} // namespace velor
