// A decision model: the value tree, the consequence table, the statements and the assessment
// list, with every operation that changes them. A Model is a value; copying it gives a fully
// independent model, and two models compare equal when everything they hold is equal (observers
// are neither copied nor compared). Whether the model is saved is not the model's business but
// its document's (document.h).
#pragma once

#include "model/consequence_table.h"
#include "model/model_observer.h"
#include "model/records.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace velor {

class Model {
public:
    enum class MoveMode { FirstChild, SiblingBefore };

    // Copies and assignments take every field and leave the observers where they were; an
    // assignment does not notify (NotifyAll does).
    Model() = default;
    Model(const Model&) = default;
    Model(Model&&) = default;
    Model& operator=(const Model&) = default;
    Model& operator=(Model&&) = default;
    bool operator==(const Model&) const = default;

    // ----- observers: views of a model that they only read may observe it too
    void AddObserver(ModelObserver* observer) const;
    void RemoveObserver(ModelObserver* observer) const;
    void Notify(ModelChange what) const;
    void NotifyAll() const;

    // ----- options
    bool TopDownWeights() const { return topDownWeights_; }
    bool NormalizedIntervals() const { return normalizedIntervals_; }
    void SetTopDownWeights(bool on);
    void SetNormalizedIntervals(bool on);

    // Empties tree, table and assessment list (commands New, Open); options stay as they are.
    void Clear();

    // ----- stored results
    // Which stored results were calculated (the rest hold the defaults of a new model).
    const CalculatedResults& Calculated() const { return calculated_; }
    // Puts every stored result back to what a new model holds: value and weight intervals,
    // dominance codes and margins, regrets and recommendations; ranks and statements stay.
    void ClearResults();
    // Clears the parts of the results that parts marks, and the decision-rule flags that read
    // them; the other parts stay as they are.
    void ClearResults(const CalculatedResults& parts);

    // ----- value tree: queries
    bool TreeEmpty() const { return root_ == kNone; }
    NodeId Root() const { return root_; }
    int NodeCount() const { return static_cast<int>(preOrder_.size()); }
    const std::vector<NodeId>& PreOrder() const { return preOrder_; }
    bool Exists(NodeId node) const { return nodes_.count(node) != 0; }
    const TNodeData& Node(NodeId node) const;
    NodeId Parent(NodeId node) const;
    const std::vector<NodeId>& Children(NodeId node) const;
    NodeId FirstChild(NodeId node) const;
    NodeId NextSibling(NodeId node) const;
    int PreOrderIndex(NodeId node) const;
    NodeId NodeAt(int preOrderIndex) const { return preOrder_.at(preOrderIndex); }
    NodeId NodeByColumn(int column) const;
    int ColumnOfNode(NodeId node) const { return Node(node).Column; }
    bool IsGoal(NodeId node) const { return Node(node).Kind == kGoal; }
    bool IsAttribute(NodeId node) const { return Node(node).Kind == kAttribute; }
    // True when node lies in the subtree of ancestor (ancestor itself included).
    bool InSubtree(NodeId node, NodeId ancestor) const;
    // Attributes (twig level) in pre-order.
    std::vector<NodeId> Attributes() const;
    int AttributeCount() const;
    // Goals in pre-order.
    std::vector<NodeId> Goals() const;
    // Name + " [" + weight interval + "]" with the interval the normalized option selects;
    // Name + " [not calculated]" when the model holds results but not those weights.
    std::string Caption(NodeId node, char decimalSeparator = '.') const;
    bool CanConvert(NodeId node) const;

    // ----- value tree: operations
    // Adds a goal or attribute as last child of parent, or the main goal to an empty tree.
    // Returns the new node, or kNone when nothing happened.
    NodeId AddNode(NodeKind kind, NodeId parent);
    void DeleteSubtree(NodeId node);
    // An empty name changes nothing; returns whether the name changed. Names are cut to 255.
    bool RenameNode(NodeId node, const std::string& newName);
    // Refused (false) onto itself, nothing, or its own subtree. An attribute target places the
    // node before it, the root as its first child, another goal as mode says.
    bool MoveNode(NodeId node, NodeId target, MoveMode mode);
    bool ConvertNode(NodeId node);
    void RefreshCaptions() const { Notify(ModelChange::Tree); }
    void ResyncColumns();
    void ClearTree();

    // ----- consequence table: queries
    int M() const { return m_; }
    int N() const { return n_; }
    const ConsequenceTable& Table() const { return table_; }
    bool CellsEditable() const { return m_ > 0 && n_ > 0; }
    const std::string& CellText(int col, int row) const { return table_.Text(col, row); }
    std::string AlternativeName(int row) const { return table_.Text(0, row); }
    // The cell text, or "(" + alternative name + ")" when it is empty or a single space.
    std::string DisplayText(int col, int row) const;
    static bool IsEmptyText(const std::string& text) { return text.empty() || text == " "; }
    const TConsequenceData& Consequence(int col, int row) const;
    int Rank(int col, int row) const { return Consequence(col, row).Rank; }
    const TAlternativeData& Alternative(int row) const;
    AltId AlternativeId(int row) const { return Alternative(row).Id; }
    // Row of a stable alternative id, 0 when it no longer exists.
    int RowOfAlternative(AltId id) const;
    // First row holding rank 1 in a column, 0 if none.
    int RankOneRow(int col) const;
    // First row holding the highest rank number of a column, 0 if no cell is ranked.
    int HighestRankRow(int col) const;
    // Achievement levels of a column, in the order of their first rows.
    std::vector<AchievementLevel> Levels(int col) const;
    // Figure shown in the status bar: (2N - 2)(M + 1) + M(M + 2), 0 without nodes or alternatives.
    long long ModelSize() const;

    // ----- consequence table: operations
    int NewAlternative();
    int DuplicateAlternative(int row);
    void DeleteAlternative(int row);
    void ClearAlternatives();
    // Stores an edited consequence; the text is cut to 255 characters. A ranked cell whose
    // ranking is not kept is unranked. A text typed into the main-goal column renames the
    // alternative; clearing or pasting there passes renameAlternative false and leaves the
    // names alone. Returns whether the text was stored.
    bool CommitCellText(int col, int row, const std::string& text, bool keepRanking,
                        bool renameAlternative = true);
    void UnrankConsequence(int col, int row);

    // ----- statements and assessment list
    const std::vector<TAssessmentEntry>& Assessments() const { return entries_; }
    const TAssessmentEntry* Entry(EntryId id) const;
    int EntryPosition(EntryId id) const;
    EntryId BottomUpEntry() const { return bottomUpEntry_; }
    // The node's "Weight Assessment" entry (goals), kNone if it has none.
    EntryId WeightEntryOf(NodeId goal) const;
    // The node's statement set, nullptr when its entry has no data.
    const TPreferenceData* Preference(NodeId node) const;
    TPreferenceData* PreferenceData(NodeId node);
    // Whether a weight entry carries the marker of the weight mode in force.
    bool WeightModeMarked(const TAssessmentEntry& entry) const;
    // Rows of a weight assessment: the children of a goal, or every attribute for bottom-up.
    std::vector<NodeId> WeightRows(const TAssessmentEntry& entry) const;

    // Writes the ranks of a column (one per row 1..M) and replaces the node's statements.
    void StoreRanking(NodeId node, const std::vector<int>& ranks,
                      const std::vector<TCardinalStatement>& statements);
    // Writes top-down (goal rows) or bottom-up (all attributes) bounds; -1 = not given.
    struct WeightBound {
        NodeId Node = kNone;
        double Lower = kNotGiven;
        double Upper = kNotGiven;
    };
    void StoreWeightBounds(bool topDown, const std::vector<WeightBound>& bounds);
    void ClearPreferences();
    void RefreshAssessedStatus();

    // ----- other decision makers' statements (a group's consensus)
    // Models over the same tree and alternatives whose ranks, ratio statements and weight
    // statements every calculation of this model holds besides its own. Held in memory only:
    // the model file never holds them, and no edit changes them.
    const std::vector<Model>& JointModels() const { return jointModels_; }
    void SetJointModels(std::vector<Model> models) { jointModels_ = std::move(models); }

    // ----- building a model from a file, in file order
    // Appends an alternative row with its record (Id is assigned here).
    void LoadAlternative(const std::string& name, TAlternativeData data);
    // Appends a node in pre-order; parentPreIndex -1 for the root. Without a statement set
    // (hasEntry false) no assessment entries are made for the node.
    NodeId LoadNode(int parentPreIndex, TNodeData data, bool hasEntry,
                    std::optional<TPreferenceData> preference);
    // Statement rows from the file are resolved through this (kNone for a row out of range).
    AltId AlternativeIdAtRow(int row) const;
    void LoadCell(int col, int row, const std::string& text, const TConsequenceData& data);
    // Ends loading: the assessment statuses, and which results the file holds calculated.
    void FinishLoading();

private:
    friend class ResultRecords;
    TNodeData& NodeData(NodeId node);
    TConsequenceData& ConsequenceData(int col, int row);
    TAlternativeData& AlternativeData(int row);

    struct TreeNode {
        NodeId Parent = kNone;
        std::vector<NodeId> Children;
        TNodeData Data;
        bool operator==(const TreeNode&) const = default;
    };

    TreeNode& NodeRef(NodeId node);
    const TreeNode& NodeRef(NodeId node) const;
    void RebuildPreOrder();
    void AddNodeColumn(NodeId node);
    int TopDownInsertPosition() const;
    EntryId InsertEntry(int position, TAssessmentEntry entry);
    void RemoveEntry(EntryId id);
    TAssessmentEntry* MutableEntry(EntryId id);
    TAssessmentEntry MakeOwnEntry(NodeId node) const;
    TAssessmentEntry MakeWeightEntry(NodeId goal) const;
    void RemoveEntriesOf(NodeId node);
    void RemoveStatementsNaming(AltId alt);
    AssessmentStatus EntryStatus(const TAssessmentEntry& entry) const;
    void EnsureBottomUpEntry(const char* remark);
    void InferCalculatedResults();

    // The observers of a model: not part of its value, so a copy starts without any, an
    // assignment keeps the target's, and comparisons ignore them.
    class ObserverList {
    public:
        ObserverList() = default;
        ObserverList(const ObserverList&) {}
        ObserverList& operator=(const ObserverList&) { return *this; }
        bool operator==(const ObserverList&) const { return true; }
        std::vector<ModelObserver*> list;
    };

    bool topDownWeights_ = false;
    bool normalizedIntervals_ = false;

    std::map<NodeId, TreeNode> nodes_;
    NodeId root_ = kNone;
    std::vector<NodeId> preOrder_;
    NodeId nextNodeId_ = 1;

    CalculatedResults calculated_;

    ConsequenceTable table_;
    int m_ = 0;
    int n_ = 0;
    AltId nextAltId_ = 1;

    std::vector<TAssessmentEntry> entries_;
    EntryId bottomUpEntry_ = kNone;
    EntryId nextEntryId_ = 1;

    std::vector<Model> jointModels_;

    mutable ObserverList observers_;
};

// Write access to the records that hold a calculation's results: value and weight intervals,
// dominance codes and recommendations, and the bounds the calculation derives. The calculation
// stores its results through it (in the desktop application as one step of the document's
// history), and a file reader or a test may set records up through it. Editors, forms and
// dialogs have no such access: they change a model only through its operations.
class ResultRecords {
public:
    explicit ResultRecords(Model& model) : model_(model) {}
    TNodeData& NodeData(NodeId node) { return model_.NodeData(node); }
    TConsequenceData& ConsequenceData(int col, int row) { return model_.ConsequenceData(col, row); }
    TAlternativeData& AlternativeData(int row) { return model_.AlternativeData(row); }
    CalculatedResults& Calculated() { return model_.calculated_; }

private:
    Model& model_;
};

} // namespace velor
