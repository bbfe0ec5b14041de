// The consequence table as a spreadsheet: exported as CSV (alternative names in the first column,
// the twig-level attributes in the header row) and imported from one. An import is planned
// first: the plan says what will happen (alternatives added or replaced, columns matched, added
// as new attributes or skipped, ranked consequences that lose their rank) before anything
// changes, and applying it is one edit of the model.
#pragma once

#include "model/csv_table.h"
#include "model/model.h"

#include <string>
#include <vector>

namespace velor {

// The most alternatives and nodes a model may have after an import: beyond these the dominance
// phase alone (one linear program per ordered pair) and the assessment list stop being usable.
inline constexpr int kMaxImportedAlternatives = 1000;
inline constexpr int kMaxImportedNodes = 1000;

// The consequence table of the twig-level attributes as records: a header ("Name" and the
// attribute names in pre-order), then one record per alternative (its name and its texts).
std::vector<std::vector<std::string>> ConsequenceRecords(const Model& model);
// ConsequenceRecords as CSV text (CR LF line ends, UTF-8 with a byte order mark).
std::string ConsequenceCsv(const Model& model, char separator = ',');

struct ConsequenceImportOptions {
    // Columns that name no attribute of the model become new attributes under the main goal
    // (true) or are left out (false).
    bool AddUnmatchedColumns = true;
};

struct ConsequenceImportPlan {
    enum class ColumnAction { Match, Add, Skip };
    struct Column {
        int Field = 0;      // field of the records (from 1; field 0 holds the names)
        std::string Header; // as the file has it, blanks around it removed
        ColumnAction Action = ColumnAction::Skip;
        NodeId Node = kNone; // the matched attribute
        std::string Why;     // for a skipped column: why
    };
    struct Row {
        int Line = 0;
        std::string Name;
        int ModelRow = 0;               // the alternative replaced, 0 for a new one
        std::vector<std::string> Texts; // one per record field after the name
    };
    // A ranked consequence whose text the import changes: it loses its rank.
    struct LostRank {
        int Column = 0; // of the consequence table
        int Row = 0;
        std::string Attribute;
        std::string Alternative;
        std::string OldText;
        std::string NewText;
        int Rank = 0;
    };

    char Separator = ',';
    bool CreatesMainGoal = false; // the model has no value tree yet
    std::vector<Column> Columns;
    std::vector<Row> Rows;
    std::vector<std::string> Kept; // alternatives of the model the file does not name
    std::vector<LostRank> LostRanks;

    int AddedCount() const;
    int ReplacedCount() const;
    int ColumnCount(ColumnAction action) const;
    // What the import will do, in lines for a dialog or a terminal.
    std::vector<std::string> Describe() const;
};

// Plans the import of a table into model. Refused (false, *error with the line) when the table
// has no header, a header field is empty or longer than 255 bytes, two columns name the same
// attribute, a record has another number of fields than the header, an alternative has no name,
// a name or text is longer than 255 bytes, a name appears twice, there would be more than
// kMaxImportedAlternatives alternatives or kMaxImportedNodes nodes, or no column is left to import.
bool PlanConsequenceImport(const Model& model, const CsvTable& table,
                           const ConsequenceImportOptions& options, ConsequenceImportPlan& plan,
                           CsvError* error = nullptr);

// Carries the plan out on the model it was made for: new attributes first, then each row: a new
// alternative is appended and named, and every imported text is committed to its cell; a ranked
// consequence whose text changes is unranked (its statements go with it).
void ApplyConsequenceImport(Model& model, const ConsequenceImportPlan& plan);

// Said when an import reset the stored results of the model it changed.
inline constexpr const char* kResultsResetMessage =
    "The stored results were reset: calculate again.";

// Label of the import as one step of the edit history.
inline constexpr const char* kImportConsequencesLabel = "Import Consequences";

} // namespace velor
