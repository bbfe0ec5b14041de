#include "model/consequence_csv.h"

#include <map>

namespace velor {

namespace {

using Plan = ConsequenceImportPlan;

std::string Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

// The form under which names are matched: blanks around it removed, letters A-Z in lower case.
std::string MatchKey(std::string_view name) {
    std::string key = Trimmed(name);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return key;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string JoinNames(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names) {
        out += (out.empty() ? "" : ", ") + name;
    }
    return out;
}

// Hands out the model's items of each name in order, so that the n-th column (or row) of a name
// takes the n-th item of that name and names that occur twice still pair up one to one.
template <typename Item> class NameQueue {
public:
    void Add(const std::string& name, Item item) { queues_[MatchKey(name)].push_back(item); }
    bool Known(const std::string& name) const { return queues_.count(MatchKey(name)) != 0; }
    // The next unused item of that name; fallback when all are used or none has the name.
    Item Take(const std::string& name, Item fallback) {
        auto found = queues_.find(MatchKey(name));
        if (found == queues_.end()) {
            return fallback;
        }
        std::size_t& next = used_[found->first];
        return next < found->second.size() ? found->second[next++] : fallback;
    }

private:
    std::map<std::string, std::vector<Item>> queues_;
    std::map<std::string, std::size_t> used_;
};

bool Refuse(CsvError* error, int line, std::string message) {
    if (error != nullptr) {
        *error = CsvError{line, std::move(message)};
    }
    return false;
}

std::string TooLong(const std::string& what) {
    return what + " is longer than " + std::to_string(kMaxTextLength) + " bytes";
}

bool ColumnIsEmpty(const CsvTable& table, std::size_t field) {
    for (std::size_t r = 1; r < table.Records.size(); ++r) {
        if (field < table.Records[r].size() && !table.Records[r][field].empty()) {
            return false;
        }
    }
    return true;
}

bool PlanColumns(const Model& model, const CsvTable& table, const ConsequenceImportOptions& options,
                 Plan& plan, CsvError* error) {
    const std::vector<std::string>& header = table.Records.front();
    const int headerLine = table.Lines.front();
    NameQueue<NodeId> attributes;
    for (NodeId node : model.Attributes()) {
        attributes.Add(model.Node(node).Name, node);
    }
    NameQueue<NodeId> goals;
    for (NodeId node : model.Goals()) {
        goals.Add(model.Node(node).Name, node);
    }
    std::map<NodeId, int> fieldOf;
    int nodes = model.NodeCount();
    for (std::size_t f = 1; f < header.size(); ++f) {
        Plan::Column column;
        column.Field = static_cast<int>(f);
        column.Header = Trimmed(header[f]);
        const std::string place = "column " + std::to_string(f + 1);
        if (column.Header.size() > kMaxTextLength) {
            return Refuse(error, headerLine, TooLong("the name of " + place));
        }
        if (column.Header.empty()) {
            if (!ColumnIsEmpty(table, f)) {
                return Refuse(error, headerLine, place + " has no name");
            }
            column.Why = "no name and no texts";
        } else if (const NodeId node = attributes.Take(column.Header, kNone); node != kNone) {
            column.Action = Plan::ColumnAction::Match;
            column.Node = node;
            fieldOf[node] = column.Field;
        } else if (attributes.Known(column.Header)) {
            return Refuse(error, headerLine,
                          place + " names the attribute " + Quoted(column.Header) +
                              " a second time");
        } else if (goals.Known(column.Header)) {
            column.Why = "names a goal, which takes no imported consequences";
        } else if (options.AddUnmatchedColumns) {
            column.Action = Plan::ColumnAction::Add;
            nodes += 1 + (model.TreeEmpty() && !plan.CreatesMainGoal ? 1 : 0);
            plan.CreatesMainGoal = plan.CreatesMainGoal || model.TreeEmpty();
        } else {
            column.Why = "names no attribute of the model";
        }
        plan.Columns.push_back(std::move(column));
    }
    // A model read from a file may hold more already; only new attributes are refused then.
    if (nodes > model.NodeCount() && nodes > kMaxImportedNodes) {
        return Refuse(error, headerLine,
                      "the model would have " + std::to_string(nodes) + " nodes; it can hold " +
                          std::to_string(kMaxImportedNodes));
    }
    if (plan.ColumnCount(Plan::ColumnAction::Match) + plan.ColumnCount(Plan::ColumnAction::Add) ==
        0) {
        return Refuse(error, headerLine,
                      header.size() < 2 ? "the file has no column besides the names"
                                        : "no column names an attribute of the model");
    }
    return true;
}

bool PlanRows(const Model& model, const CsvTable& table, Plan& plan, CsvError* error) {
    const std::size_t fields = table.Records.front().size();
    NameQueue<int> alternatives;
    for (int row = 1; row <= model.M(); ++row) {
        alternatives.Add(model.AlternativeName(row), row);
    }
    std::vector<bool> named(static_cast<std::size_t>(model.M()) + 1, false);
    int total = model.M();
    for (std::size_t r = 1; r < table.Records.size(); ++r) {
        const std::vector<std::string>& record = table.Records[r];
        const int line = table.Lines[r];
        if (record.size() != fields) {
            return Refuse(error, line,
                          std::to_string(record.size()) +
                              (record.size() == 1 ? " field" : " fields") +
                              " where the first line has " + std::to_string(fields));
        }
        Plan::Row row;
        row.Line = line;
        row.Name = Trimmed(record[0]);
        if (row.Name.empty()) {
            return Refuse(error, line, "the alternative has no name");
        }
        if (row.Name.size() > kMaxTextLength) {
            return Refuse(error, line, TooLong("the name of the alternative"));
        }
        for (std::size_t f = 1; f < fields; ++f) {
            if (record[f].size() > kMaxTextLength) {
                return Refuse(error, line, TooLong("the text in column " + std::to_string(f + 1)));
            }
        }
        row.Texts.assign(record.begin() + 1, record.end());
        row.ModelRow = alternatives.Take(row.Name, 0);
        if (row.ModelRow > 0) {
            named[static_cast<std::size_t>(row.ModelRow)] = true;
        } else if (++total > kMaxImportedAlternatives) {
            return Refuse(error, line,
                          "more than " + std::to_string(kMaxImportedAlternatives) +
                              " alternatives; the model can hold no more");
        }
        plan.Rows.push_back(std::move(row));
    }
    for (int row = 1; row <= model.M(); ++row) {
        if (!named[static_cast<std::size_t>(row)]) {
            plan.Kept.push_back(model.AlternativeName(row));
        }
    }
    return true;
}

void PlanLostRanks(const Model& model, Plan& plan) {
    for (const Plan::Row& row : plan.Rows) {
        if (row.ModelRow == 0) {
            continue;
        }
        for (const Plan::Column& column : plan.Columns) {
            if (column.Action != Plan::ColumnAction::Match) {
                continue;
            }
            const int col = model.ColumnOfNode(column.Node);
            const std::string& text = row.Texts[static_cast<std::size_t>(column.Field - 1)];
            const int rank = model.Rank(col, row.ModelRow);
            if (rank > 0 && model.CellText(col, row.ModelRow) != text) {
                plan.LostRanks.push_back({col, row.ModelRow, model.Node(column.Node).Name,
                                          model.AlternativeName(row.ModelRow),
                                          model.CellText(col, row.ModelRow), text, rank});
            }
        }
    }
}

const char* SeparatorName(char separator) {
    switch (separator) {
    case ';':
        return "semicolon";
    case '\t':
        return "tab";
    default:
        return "comma";
    }
}

} // namespace

std::vector<std::vector<std::string>> ConsequenceRecords(const Model& model) {
    const std::vector<NodeId> attributes = model.Attributes();
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> header{"Name"};
    for (NodeId node : attributes) {
        header.push_back(model.Node(node).Name);
    }
    records.push_back(std::move(header));
    for (int row = 1; row <= model.M(); ++row) {
        std::vector<std::string> record{model.AlternativeName(row)};
        for (NodeId node : attributes) {
            record.push_back(model.CellText(model.ColumnOfNode(node), row));
        }
        records.push_back(std::move(record));
    }
    return records;
}

std::string ConsequenceCsv(const Model& model, char separator) {
    return WriteCsv(ConsequenceRecords(model), separator, true);
}

int ConsequenceImportPlan::AddedCount() const {
    int count = 0;
    for (const Row& row : Rows) {
        count += row.ModelRow == 0 ? 1 : 0;
    }
    return count;
}

int ConsequenceImportPlan::ReplacedCount() const {
    return static_cast<int>(Rows.size()) - AddedCount();
}

int ConsequenceImportPlan::ColumnCount(ColumnAction action) const {
    int count = 0;
    for (const Column& column : Columns) {
        count += column.Action == action ? 1 : 0;
    }
    return count;
}

std::vector<std::string> ConsequenceImportPlan::Describe() const {
    std::vector<std::string> lines;
    lines.push_back(std::string("Separator: ") + SeparatorName(Separator) + ".");
    lines.push_back("Alternatives: " + std::to_string(AddedCount()) + " added, " +
                    std::to_string(ReplacedCount()) + " replaced, " + std::to_string(Kept.size()) +
                    " kept as they are.");
    std::vector<std::string> added;
    std::vector<std::string> replaced;
    for (const Row& row : Rows) {
        (row.ModelRow == 0 ? added : replaced).push_back(row.Name);
    }
    if (!added.empty()) {
        lines.push_back("  Added: " + JoinNames(added) + ".");
    }
    if (!replaced.empty()) {
        lines.push_back("  Replaced: " + JoinNames(replaced) + ".");
    }
    if (!Kept.empty()) {
        lines.push_back("  Kept (not in the file): " + JoinNames(Kept) + ".");
    }
    lines.push_back("Columns: " + std::to_string(ColumnCount(ColumnAction::Match)) + " matched, " +
                    std::to_string(ColumnCount(ColumnAction::Add)) +
                    " added as new attributes under the main goal, " +
                    std::to_string(ColumnCount(ColumnAction::Skip)) + " skipped.");
    std::vector<std::string> matched;
    std::vector<std::string> fresh;
    for (const Column& column : Columns) {
        if (column.Action == ColumnAction::Match) {
            matched.push_back(column.Header);
        } else if (column.Action == ColumnAction::Add) {
            fresh.push_back(column.Header);
        } else {
            lines.push_back("  Skipped: column " + std::to_string(column.Field + 1) +
                            (column.Header.empty() ? "" : " " + Quoted(column.Header)) + ", " +
                            column.Why + ".");
        }
    }
    if (!matched.empty()) {
        lines.push_back("  Matched: " + JoinNames(matched) + ".");
    }
    if (!fresh.empty()) {
        lines.push_back("  New attributes: " + JoinNames(fresh) + ".");
    }
    if (CreatesMainGoal) {
        lines.push_back("The model has no value tree: a main goal is created for the new "
                        "attributes.");
    }
    if (LostRanks.empty()) {
        lines.push_back("No ranked consequence changes.");
    } else {
        lines.push_back(std::to_string(LostRanks.size()) +
                        " ranked consequences change and lose their rank (with the ratio "
                        "statements about them):");
        for (const LostRank& lost : LostRanks) {
            lines.push_back("  " + lost.Attribute + ", " + lost.Alternative + ": " +
                            Quoted(lost.OldText) + " (rank " + std::to_string(lost.Rank) +
                            ") becomes " + Quoted(lost.NewText) + ".");
        }
    }
    return lines;
}

bool PlanConsequenceImport(const Model& model, const CsvTable& table,
                           const ConsequenceImportOptions& options, ConsequenceImportPlan& plan,
                           CsvError* error) {
    plan = ConsequenceImportPlan{};
    plan.Separator = table.Separator;
    if (table.Records.empty()) {
        return Refuse(error, 0, "the file holds no table");
    }
    if (!PlanColumns(model, table, options, plan, error) || !PlanRows(model, table, plan, error)) {
        plan = ConsequenceImportPlan{};
        return false;
    }
    PlanLostRanks(model, plan);
    return true;
}

void ApplyConsequenceImport(Model& model, const ConsequenceImportPlan& plan) {
    std::map<int, NodeId> nodeOfField;
    for (const Plan::Column& column : plan.Columns) {
        if (column.Action == Plan::ColumnAction::Match) {
            nodeOfField[column.Field] = column.Node;
        } else if (column.Action == Plan::ColumnAction::Add) {
            if (model.TreeEmpty()) {
                model.AddNode(kGoal, kNone);
            }
            const NodeId node = model.AddNode(kAttribute, model.Root());
            model.RenameNode(node, column.Header);
            nodeOfField[column.Field] = node;
        }
    }
    for (const Plan::Row& row : plan.Rows) {
        int target = row.ModelRow;
        if (target == 0) {
            target = model.NewAlternative();
            model.CommitCellText(1, target, row.Name, true);
        }
        for (const auto& [field, node] : nodeOfField) {
            const int col = model.ColumnOfNode(node);
            const std::string& text = row.Texts[static_cast<std::size_t>(field - 1)];
            if (model.CellText(col, target) != text) {
                model.CommitCellText(col, target, text, false);
            }
        }
    }
}

} // namespace velor
