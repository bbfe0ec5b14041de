#include "calc/program_split.h"

#include <charconv>
#include <map>
#include <string>
#include <utility>

namespace velor {

namespace {

// The attribute column of a value variable "va<j>a<i>", -1 for any other name.
int AttributeOf(const std::string& name) {
    if (name.size() < 5 || name.compare(0, 2, "va") != 0) {
        return -1;
    }
    int column = 0;
    const char* begin = name.data() + 2;
    const char* end = name.data() + name.size();
    const auto [afterColumn, error] = std::from_chars(begin, end, column);
    if (error != std::errc() || afterColumn == begin || afterColumn == end || *afterColumn != 'a') {
        return -1;
    }
    int row = 0;
    const auto [afterRow, rowError] = std::from_chars(afterColumn + 1, end, row);
    if (rowError != std::errc() || afterRow == afterColumn + 1 || afterRow != end) {
        return -1;
    }
    return column;
}

struct Row {
    std::vector<std::pair<int, double>> terms; // column, coefficient
    Relation relation = kRelationEqual;
    double rightSide = 0.0;
};

// Whether every coefficient of a term list is positive, or every one negative.
bool OneSign(const std::vector<std::pair<int, double>>& terms) {
    bool positive = true;
    bool negative = true;
    for (const auto& term : terms) {
        positive = positive && term.second > 0.0;
        negative = negative && term.second < 0.0;
    }
    return positive || negative;
}

void AppendRow(SolverRows& target, const SolverRows& source, const Row& row) {
    ParsedConstraint parsed;
    for (const auto& [column, coefficient] : row.terms) {
        parsed.Terms.push_back({source.Names[static_cast<std::size_t>(column - 1)], coefficient});
    }
    target.AddRow(target.RowCount() + 1, parsed);
    target.Relations.push_back(row.relation);
    target.RightSides.push_back(row.rightSide);
}

} // namespace

std::optional<ProgramSplit> SplitProgram(const SolverRows& rows) {
    const int n = rows.ColumnCount();
    std::vector<int> attribute(static_cast<std::size_t>(n) + 1, -1);
    for (int column = 1; column <= n; ++column) {
        attribute[static_cast<std::size_t>(column)] =
            AttributeOf(rows.Names[static_cast<std::size_t>(column - 1)]);
    }

    // The rows with their terms; a coefficient that the solver would hold as 0 is no term.
    std::vector<Row> given(static_cast<std::size_t>(rows.RowCount()) + 1);
    for (const SolverRows::Element& e : rows.Elements) {
        if (e.Row > 0 && static_cast<float>(e.Value) != 0.0F) {
            given[static_cast<std::size_t>(e.Row)].terms.emplace_back(e.Column, e.Value);
        }
    }
    std::vector<Row> split;
    for (int i = 1; i <= rows.RowCount(); ++i) {
        Row& row = given[static_cast<std::size_t>(i)];
        row.relation = rows.Relations[static_cast<std::size_t>(i - 1)];
        row.rightSide = rows.RightSides[static_cast<std::size_t>(i - 1)];
        if (row.terms.empty()) {
            if (row.rightSide != 0.0) {
                return std::nullopt; // a row of no variables that may not hold
            }
            continue;
        }
        if (row.relation == kRelationEqual && row.rightSide == 0.0 && row.terms.size() > 1 &&
            OneSign(row.terms)) {
            for (const auto& term : row.terms) {
                split.push_back({{term}, kRelationEqual, 0.0});
            }
        } else {
            split.push_back(std::move(row));
        }
    }

    // The rows naming several attributes, or a variable of no attribute, name each attribute's
    // weight; an attribute may have only one.
    std::map<int, int> weightOf; // attribute column -> its weight's column
    std::vector<char> linking(split.size(), 0);
    for (std::size_t r = 0; r < split.size(); ++r) {
        int first = -1;
        bool several = false;
        bool unattached = false;
        for (const auto& term : split[r].terms) {
            const int a = attribute[static_cast<std::size_t>(term.first)];
            if (a < 0) {
                unattached = true;
            } else if (first < 0) {
                first = a;
            } else if (a != first) {
                several = true;
            }
        }
        if (!several && !unattached) {
            continue;
        }
        linking[r] = 1;
        for (const auto& term : split[r].terms) {
            const int a = attribute[static_cast<std::size_t>(term.first)];
            if (a < 0) {
                continue;
            }
            const auto [it, inserted] = weightOf.try_emplace(a, term.first);
            if (!inserted && it->second != term.first) {
                return std::nullopt; // two levels of one attribute in rows across attributes
            }
        }
    }

    ProgramSplit result;
    result.partOf.assign(static_cast<std::size_t>(n), -1);
    result.columnIn.assign(static_cast<std::size_t>(n), 0);
    std::map<int, int> partOfAttribute;
    for (int column = 1; column <= n; ++column) {
        const int a = attribute[static_cast<std::size_t>(column)];
        if (a >= 0 && partOfAttribute.find(a) == partOfAttribute.end()) {
            if (weightOf.find(a) == weightOf.end()) {
                return std::nullopt; // an attribute whose levels no weight row scales
            }
            partOfAttribute.emplace(a, static_cast<int>(partOfAttribute.size()));
        }
    }
    result.parts.resize(partOfAttribute.size());

    for (std::size_t r = 0; r < split.size(); ++r) {
        const Row& row = split[r];
        if (linking[r] != 0) {
            AppendRow(result.weights, rows, row);
            continue;
        }
        const int a = attribute[static_cast<std::size_t>(row.terms.front().first)];
        const int weight = weightOf.at(a);
        bool weightOnly = true;
        for (const auto& term : row.terms) {
            weightOnly = weightOnly && term.first == weight;
        }
        if (weightOnly) {
            AppendRow(result.weights, rows, row); // bounds the weight itself
        } else if (row.rightSide != 0.0) {
            return std::nullopt; // not homogeneous: levels do not scale with the weight
        } else {
            AppendRow(result.parts[static_cast<std::size_t>(partOfAttribute.at(a))].rows, rows,
                      row);
        }
    }
    for (const auto& [a, weight] : weightOf) {
        ProgramSplit::Part& part = result.parts[static_cast<std::size_t>(partOfAttribute.at(a))];
        AppendRow(part.rows, rows, {{{weight, 1.0}}, kRelationEqual, 1.0});
        part.weightColumn =
            result.weights.ColumnOf(rows.Names[static_cast<std::size_t>(weight - 1)]);
    }
    for (int column = 1; column <= n; ++column) {
        const std::string& name = rows.Names[static_cast<std::size_t>(column - 1)];
        const int a = attribute[static_cast<std::size_t>(column)];
        const std::size_t index = static_cast<std::size_t>(column - 1);
        if (a < 0) {
            result.columnIn[index] = result.weights.ColumnOf(name);
        } else {
            const int part = partOfAttribute.at(a);
            result.partOf[index] = part;
            result.columnIn[index] =
                result.parts[static_cast<std::size_t>(part)].rows.ColumnOf(name);
        }
    }
    return result;
}

} // namespace velor
