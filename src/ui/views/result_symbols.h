// The small pictures of the result grids, drawn in code: the dominance symbols and the mark of
// a recommending decision rule.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace velor::ui {

// The symbol for a dominance code (0 dominates, 1 is dominated, 3 itself, 4 not computed);
// a null pixmap for 2 (neither) and for any other code.
QPixmap DominanceSymbol(int code, int size = 18);
// The mark of an alternative that a decision rule recommends.
QPixmap RecommendationMark(int size = 18);

} // namespace velor::ui
