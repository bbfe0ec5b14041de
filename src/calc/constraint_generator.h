// Turns a decision model (tree, ranks, ratio statements, weight statements) into the constraint
// system that every calculation shares, and builds the objective of each kind of linear program.
//
// Unknowns: "va<j>a<i>" is the value of alternative i's level on the twig-level attribute of
// column j on the overall value scale (attribute weight folded in); "z" frees the total weight in
// the normalized form. All unknowns are non-negative.
#pragma once

#include "calc/constraint_model.h"
#include "calc/row_origin.h"
#include "model/model.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velor {

// "va" + column + "a" + row.
std::string ValueVariable(int column, int row);

// Row of the best level of a column: the first row holding the smallest positive rank; for an
// attribute without any rank row 1 (0 when there are no alternatives); for a goal without any
// rank 0.
int BestAlternativeRow(const Model& model, int column);
// First row holding the largest rank of a column, 0 when no cell is ranked.
int WorstAlternativeRow(const Model& model, int column);

// One term coefficient * ValueVariable(j, r) for every twig-level attribute j that is the node of
// column or lies below it, in column order; r = row when row >= 0, else the attribute's best row.
// So (g, i, c) gives c * V(g, i) and (g, -1, c) gives c * W(g). Empty when no attribute
// qualifies (also for column 0 or a column outside the tree).
UnknownTerms NodeValueTerms(const Model& model, int column, int row, double coefficient);

// First attribute column whose bottom-up bounds are both exactly 100; 0 if none.
int ReferenceAttributeColumn(const Model& model);
// The rows 1..M in order of their rank on column, unranked rows last, ties in row order.
std::vector<int> RowsInRankOrder(const Model& model, int column);

// First column among the siblings of column's node (itself included) whose top-down bounds are
// both exactly 100; 0 if none.
int ReferenceSiblingColumn(const Model& model, int column);

// Appends every constraint of the model to target. An empty normalizer gives the plain form
// (attribute weights sum to 1); otherwise the total weight floats ("- z") and normalizer = 1.
// With origins, one origin per appended row is appended there too.
void AppendModelConstraints(const Model& model, TConstraintModel& target,
                            const UnknownTerms& normalizer,
                            std::vector<RowOrigin>* origins = nullptr);
// The same rows typed, with the numbers their text reads back as, handed over one by one in
// the same order.
using RowHandler = std::function<void(const UnknownRow&)>;
void ForEachModelRow(const Model& model, const UnknownTerms& normalizer, const RowHandler& handle);

// The rows of the plain form as the statements that make them can be told apart: the same
// rows, except that the sum of the attributes' worst levels (= 0) comes as one row per attribute
// (its worst level = 0, in column order where the sum stands), which admits the same points,
// every unknown being non-negative. An attribute whose ranked levels all share one rank has its
// best level as its worst: that row takes its weight away. Text, typed rows or both, each with
// its origin when asked.
void AppendStatementRows(const Model& model, TConstraintModel* text, const RowHandler* typed,
                         std::vector<RowOrigin>* origins);

// One linear program without its constraint rows: every program with the same normalizer has
// the same constraint rows, so a solver can load them once and change only the objective.
struct ProgramParts {
    velor::Direction Direction = kMinimize;
    UnknownTerms Objective;
    UnknownTerms Normalizer; // empty: the plain form
    // The ranking rows alone make the objective at least 0 at every feasible point.
    bool NonNegative = false;
};

// The parts of the programs below; an empty objective means there is nothing to solve.
ProgramParts ValueProgram(const Model& model, int column, int row, int direction, bool normalized);
ProgramParts WeightProgram(const Model& model, NodeId node, int direction, bool normalized);
// NonNegative when row is ranked at least as high as otherRow holistically on the main goal or
// on every attribute: the ordinal chains then hold its value at least at otherRow's.
ProgramParts DominanceProgram(const Model& model, int row, int otherRow);
// The whole program: objective, direction and every constraint row of its normalizer.
TConstraintModel AssembleProgram(const Model& model, const ProgramParts& parts);

// Extreme value of alternative row for the node of column; direction 0 min, 1 max. Normalized:
// relative to the node's weight.
TConstraintModel BuildValueModel(const Model& model, int column, int row, int direction,
                                 bool normalized);
// Extreme weight of node; normalized: relative to its parent's weight. Empty objective and no
// constraints when the model has no alternatives.
TConstraintModel BuildWeightModel(const Model& model, NodeId node, int direction, bool normalized);
// Minimum of V(main, row) - V(main, otherRow).
TConstraintModel BuildDominanceModel(const Model& model, int row, int otherRow);

} // namespace velor
