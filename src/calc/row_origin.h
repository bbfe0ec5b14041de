// Where a row of the constraint system comes from: a statement of the decision maker (one
// relation of a ranking, one bound of a ratio or weight statement) or the scale every model
// shares. The constraint generator reports one origin per row when asked.
#pragma once

#include <cstdint>

namespace velor {

enum class RowSource : std::uint8_t {
    Scale,         // weight sum, normalizer: they define the value scale
    WorstLevel,    // the worst levels are worth 0 (their sum, or one attribute's worst level)
    UnrankedLevel, // an unranked level is worth at most the best level
    EqualRank,     // two rows of one rank are worth the same
    NextRank,      // the first row of a rank is worth at most the first row of the next better one
    RatioLower,    // lower bound of a ratio statement
    RatioUpper,    // upper bound of a ratio statement
    BottomUpUpper, // an attribute's weight at most a share of the reference attribute's
    BottomUpLower, // ... at least a share
    TopDownUpper,  // a node's weight at most a share of its reference sibling's
    TopDownLower,  // ... at least a share
};

struct RowOrigin {
    RowSource Source = RowSource::Scale;
    int Column = 0; // the column of the node the statement belongs to; 0 for the scale rows
    // EqualRank, NextRank, UnrankedLevel: the row of the level worth less (or the tied one) and
    // the row it is compared with (the first row of its rank, or of the better rank).
    // WorstLevel of one attribute: the row of its worst level and of its best level.
    int Row = 0;
    int OtherRow = 0;
    int Statement = -1; // ratio bounds: the position of the statement in the node's list
    int Reference = 0;  // weight bounds: the column of the reference node
    // Whose statement: 0 the model's own, k the k-th of its joint models (Model::JointModels).
    int Member = 0;
};

} // namespace velor
