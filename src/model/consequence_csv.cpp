#include "model/consequence_csv.h"

#include "model/text_limit.h"

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

// Characters a reader does not see: byte order mark, zero-width space and joiners, word joiner,
// soft hyphen. They are left out of the form under which lookalike names are found.
constexpr std::string_view kInvisible[] = {"\xEF\xBB\xBF", "\xE2\x80\x8B", "\xE2\x80\x8C",
                                           "\xE2\x80\x8D", "\xE2\x81\xA0", "\xC2\xAD"};
// Blanks that look like a space: no-break, figure and narrow no-break space.
constexpr std::string_view kSpaceLike[] = {"\xC2\xA0", "\xE2\x80\x87", "\xE2\x80\xAF"};

// The name as a reader sees it: invisible characters left out, space-like blanks as spaces,
// blanks around it removed, and with foldCase letters A-Z in lower case.
std::string LookKey(std::string_view name, bool foldCase) {
    std::string out;
    for (std::size_t pos = 0; pos < name.size();) {
        bool replaced = false;
        for (std::string_view invisible : kInvisible) {
            if (name.substr(pos, invisible.size()) == invisible) {
                pos += invisible.size();
                replaced = true;
                break;
            }
        }
        for (std::string_view space : kSpaceLike) {
            if (!replaced && name.substr(pos, space.size()) == space) {
                out += ' ';
                pos += space.size();
                replaced = true;
            }
        }
        if (!replaced) {
            out += name[pos++];
        }
    }
    return foldCase ? MatchKey(out) : Trimmed(out);
}

// The model's items (attributes, goals or alternatives) by name, as the program shows the names.
// A name of the table finds the item of exactly that name first; where none has it, the one
// whose name differs only in case or in blanks around it. Several items found at either step are
// ambiguous; a name that differs from an item's only by invisible or space-like characters is a
// lookalike, which an import refuses rather than guessing.
template <typename Item> class NameIndex {
public:
    enum class Found { None, Unique, Ambiguous, Lookalike };
    struct Result {
        Found How = Found::None;
        Item Value{};
        std::string Name;   // the item's name (of a lookalike: the one it resembles)
        int Count = 0;      // items found at the deciding step
        bool Exact = false; // found by the exact name
    };

    void Add(const std::string& name, Item item) {
        std::string shown = ShownText(name);
        std::string loose = MatchKey(shown);
        std::string look = LookKey(shown, true);
        entries_.push_back({std::move(shown), std::move(loose), std::move(look), item});
    }

    Result Find(const std::string& name) const {
        Result result = Step(name, &Entry::Name);
        result.Exact = result.How != Found::None;
        if (result.How == Found::None) {
            result = Step(MatchKey(name), &Entry::Loose);
        }
        if (result.How == Found::None) {
            result = Step(LookKey(name, true), &Entry::Look);
            if (result.How != Found::None) {
                result.How = Found::Lookalike;
            }
        }
        return result;
    }

private:
    struct Entry {
        std::string Name;  // as shown
        std::string Loose; // MatchKey
        std::string Look;  // LookKey
        Item Value;
    };

    Result Step(const std::string& key, std::string Entry::*form) const {
        Result result;
        for (const Entry& entry : entries_) {
            if (entry.*form == key && ++result.Count == 1) {
                result.Value = entry.Value;
                result.Name = entry.Name;
            }
        }
        result.How = result.Count == 0   ? Found::None
                     : result.Count == 1 ? Found::Unique
                                         : Found::Ambiguous;
        return result;
    }

    std::vector<Entry> entries_;
};

// Names of the table seen so far: a name that occurs a second time, also with other invisible or
// space-like characters, is refused; names that differ in case are different names.
class TableNames {
public:
    // Empty when the name is new; otherwise why it is refused.
    std::string Repeat(const std::string& name, const std::string& place) {
        const auto [found, added] = seen_.try_emplace(LookKey(name, false), Seen{name, place});
        if (added) {
            return {};
        }
        const Seen& earlier = found->second;
        if (earlier.Name == name) {
            return Quoted(name) + " appears twice (" + earlier.Place + " and " + place + ")";
        }
        return Quoted(name) + " differs from " + Quoted(earlier.Name) + " (" + earlier.Place +
               ") only by invisible characters (a byte order mark or a no-break space)";
    }

private:
    struct Seen {
        std::string Name;
        std::string Place;
    };
    std::map<std::string, Seen> seen_;
};

// Why a table name that found no single item of the model is refused: the items it could mean,
// or the item it only looks like. Empty when it found none at all.
template <typename Item>
std::string Unmatched(const typename NameIndex<Item>::Result& found, const std::string& name,
                      const std::string& what) {
    using Found = typename NameIndex<Item>::Found;
    if (found.How == Found::Ambiguous && found.Exact) {
        return "the model has " + std::to_string(found.Count) + " " + what + "s named " +
               Quoted(name) + "; rename them so that the table can say which one it means";
    }
    if (found.How == Found::Ambiguous) {
        return Quoted(name) + " matches " + std::to_string(found.Count) + " " + what +
               "s of the model (" + Quoted(found.Name) +
               " and others differing only in case or blanks); rename them so that each "
               "name is unique";
    }
    if (found.How == Found::Lookalike) {
        return Quoted(name) + " differs from the " + what + " " + Quoted(found.Name) +
               " only by invisible characters (a byte order mark or a no-break space)";
    }
    return {};
}

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
    using Nodes = NameIndex<NodeId>;
    Nodes attributes;
    for (NodeId node : model.Attributes()) {
        attributes.Add(model.Node(node).Name, node);
    }
    Nodes goals;
    for (NodeId node : model.Goals()) {
        goals.Add(model.Node(node).Name, node);
    }
    TableNames seen;
    std::map<NodeId, int> fieldOf;
    int nodes = model.NodeCount();
    for (std::size_t f = 1; f < header.size(); ++f) {
        Plan::Column column;
        column.Field = static_cast<int>(f);
        const std::string name = WithoutFormulaGuard(header[f]);
        column.Header = Trimmed(name);
        const std::string place = "column " + std::to_string(f + 1);
        if (column.Header.size() > kMaxTextLength) {
            return Refuse(error, headerLine, TooLong("the name of " + place));
        }
        if (column.Header.empty()) {
            if (!ColumnIsEmpty(table, f)) {
                return Refuse(error, headerLine, place + " has no name");
            }
            column.Why = "no name and no texts";
            plan.Columns.push_back(std::move(column));
            continue;
        }
        if (const std::string repeat = seen.Repeat(column.Header, place); !repeat.empty()) {
            return Refuse(error, headerLine, "the column name " + repeat);
        }
        const Nodes::Result attribute = attributes.Find(name);
        const Nodes::Result goal = goals.Find(name);
        if (attribute.How == Nodes::Found::Unique) {
            if (fieldOf.count(attribute.Value) != 0) {
                return Refuse(error, headerLine,
                              place + " names the attribute " + Quoted(attribute.Name) +
                                  " a second time");
            }
            column.Action = Plan::ColumnAction::Match;
            column.Node = attribute.Value;
            fieldOf[attribute.Value] = column.Field;
        } else if (const std::string why = Unmatched<NodeId>(attribute, column.Header, "attribute");
                   attribute.How == Nodes::Found::Ambiguous) {
            return Refuse(error, headerLine, place + ": " + why);
        } else if (goal.How == Nodes::Found::Unique || goal.How == Nodes::Found::Ambiguous) {
            column.Why = "names a goal, which takes no imported consequences";
        } else if (!why.empty()) {
            return Refuse(error, headerLine, place + ": " + why);
        } else if (goal.How == Nodes::Found::Lookalike) {
            return Refuse(error, headerLine,
                          place + ": " + Unmatched<NodeId>(goal, column.Header, "goal"));
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
    using Rows = NameIndex<int>;
    Rows alternatives;
    for (int row = 1; row <= model.M(); ++row) {
        alternatives.Add(model.AlternativeName(row), row);
    }
    TableNames seen;
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
        const std::string name = WithoutFormulaGuard(record[0]);
        row.Name = Trimmed(name);
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
        for (std::size_t f = 1; f < fields; ++f) {
            row.Texts.push_back(WithoutFormulaGuard(record[f]));
        }
        if (const std::string repeat = seen.Repeat(row.Name, "line " + std::to_string(line));
            !repeat.empty()) {
            return Refuse(error, line, "the alternative " + repeat);
        }
        const Rows::Result found = alternatives.Find(name);
        if (found.How == Rows::Found::Unique) {
            if (named[static_cast<std::size_t>(found.Value)]) {
                return Refuse(error, line,
                              "names the alternative " + Quoted(found.Name) + " a second time");
            }
            row.ModelRow = found.Value;
            named[static_cast<std::size_t>(row.ModelRow)] = true;
        } else if (const std::string why = Unmatched<int>(found, row.Name, "alternative");
                   !why.empty()) {
            return Refuse(error, line, why);
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
            if (rank > 0 && ShownText(model.CellText(col, row.ModelRow)) != text) {
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
        header.push_back(ShownText(model.Node(node).Name));
    }
    records.push_back(std::move(header));
    for (int row = 1; row <= model.M(); ++row) {
        std::vector<std::string> record{ShownText(model.AlternativeName(row))};
        for (NodeId node : attributes) {
            record.push_back(ShownText(model.CellText(model.ColumnOfNode(node), row)));
        }
        records.push_back(std::move(record));
    }
    return records;
}

std::string ConsequenceCsv(const Model& model, char separator) {
    return WriteCsv(FormulaGuarded(ConsequenceRecords(model)), separator, true);
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
            // A text the table holds as the program shows it is not a change.
            if (ShownText(model.CellText(col, target)) != text) {
                model.CommitCellText(col, target, text, false);
            }
        }
    }
}

} // namespace velor
