// The object names of the main window's actions. They name the menu items and toolbar buttons in
// tests and key the toolbar hints; the names are kept stable because users' settings and scripts
// refer to them.
#pragma once

namespace velor::ui::action_id {

// File
inline constexpr const char* kNew = "New1";
inline constexpr const char* kOpen = "Open1";
inline constexpr const char* kOpenExample = "OpenExample1";
inline constexpr const char* kSave = "Save1";
inline constexpr const char* kSaveAs = "SaveAs1";
inline constexpr const char* kExportConstraints = "ExportModel";
inline constexpr const char* kExportResults = "ExportResults";
inline constexpr const char* kImportConsequences = "ImportConsequences";
inline constexpr const char* kExportConsequences = "ExportConsequences";
inline constexpr const char* kExportReport = "ExportReport";
inline constexpr const char* kPrint = "Print1";
inline constexpr const char* kPrintSetup = "PrintSetup1";
inline constexpr const char* kExit = "Exit1";
// "RecentFile1" .. "RecentFile4"
inline constexpr const char* kRecentFilePrefix = "RecentFile";

// Edit
inline constexpr const char* kUndo = "Undo1";
inline constexpr const char* kRedo = "Redo1";

// Model
inline constexpr const char* kElicitationTour = "ElicitationTour1";
inline constexpr const char* kNewAlternative = "NewAlternative2";
inline constexpr const char* kWeightAssessment = "WeightAssessment1";
inline constexpr const char* kClearValueTree = "ClearValueTree1";
inline constexpr const char* kClearAlternatives = "ClearAlternatives1";
inline constexpr const char* kClearPreferences = "ClearPreferences1";
inline constexpr const char* kCalculateModel = "CalculateModel";
inline constexpr const char* kCalculatePartially = "CalculateModelPartially1";
inline constexpr const char* kCalcNonNormalized = "NonNormalizedIntervals1";
inline constexpr const char* kCalcNormalized = "NormalizedIntervals1";
inline constexpr const char* kCalcMainGoal = "MainGoalValInt1";
inline constexpr const char* kCalcAllValues = "ValueIntervals1";
inline constexpr const char* kCalcDominance = "Dominances1";
inline constexpr const char* kCalcWeights = "Weights2";
inline constexpr const char* kAcceptabilityAnalysis = "AcceptabilityAnalysis1";
inline constexpr const char* kExplainConflict = "ExplainConflict1";
inline constexpr const char* kWhatIf = "WhatIf1";

// Options
inline constexpr const char* kTopDownWeights = "UseTopDownWeightsMenu";
inline constexpr const char* kNormalizedIntervals = "UseNormalizedIntervalsMenu";

// Windows
inline constexpr const char* kValueTree = "ValueTree1";
inline constexpr const char* kAlternatives = "Alternatives1";
inline constexpr const char* kPreferences = "Preferences1";
inline constexpr const char* kValueIntervals = "ValueIntervals2";
inline constexpr const char* kWeights = "Weights1";
inline constexpr const char* kDominance = "Dominance1";
inline constexpr const char* kDecisionRules = "DecisionRules1";
inline constexpr const char* kAcceptability = "Acceptability1";
inline constexpr const char* kWhatIfWindow = "WhatIf2";
inline constexpr const char* kTile = "Tile1";
inline constexpr const char* kCascade = "Cascade1";
inline constexpr const char* kArrangeIcons = "ArrangeIcons1";
inline constexpr const char* kTabbedWindows = "TabbedWindows1";

// Help
inline constexpr const char* kHelpTopics = "HelpTopics1";
inline constexpr const char* kAbout = "About1";

} // namespace velor::ui::action_id
