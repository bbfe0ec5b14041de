// Pastes arbitrary clipboard text into the weight grid of an example model (top down for the main
// goal or bottom up, chosen by the first byte) over a selection taken from the next bytes, then
// presses OK. The paste may only change the two bound columns; OK either refuses with the row
// and column to focus on, or accepts bounds that are given (not negative, finite, lower not above
// upper) with at least one reference row; accepted bounds stored in the model keep the model
// file readable.
#include "elicit/weight_table.h"
#include "model/model.h"
#include "model/model_file.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

velor::Model gExample;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

bool Given(double bound) {
    return bound != velor::kNotGiven;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::ifstream in(VELOR_EXAMPLES_DIR "/car.vlr", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!velor::ReadModelText(gExample, text.str()))
        Fail("the example model does not load");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    velor::Model model = gExample;
    const bool topDown = in.ConsumeBool();
    const char separator = in.ConsumeBool() ? ',' : '.';
    velor::elicit::WeightTable table(model, topDown ? model.Root() : velor::kNone, separator);
    const int rows = table.RowCount();
    velor::elicit::CellRange range;
    range.top = in.ConsumeIntegralInRange(-1, rows);
    range.left = in.ConsumeIntegralInRange(0, velor::elicit::kWeightColumnCount);
    range.bottom = range.top + in.ConsumeIntegralInRange(0, 2);
    range.right = range.left + in.ConsumeIntegralInRange(0, 2);
    const std::string text = in.ConsumeRemainingBytesAsString();

    const std::vector<velor::elicit::WeightRow> before = table.Rows();
    table.Paste(text, range);
    if (table.RowCount() != rows)
        Fail("a paste changed the number of rows");
    for (int r = 0; r < rows; ++r) {
        const auto& was = before[static_cast<std::size_t>(r)];
        const auto& now = table.Row(r);
        if (now.node != was.node || now.name != was.name || now.worst != was.worst ||
            now.best != was.best)
            Fail("a paste changed a cell that is not editable");
        if (now.lower.size() > velor::elicit::kMaxPasteLength ||
            now.upper.size() > velor::elicit::kMaxPasteLength)
            Fail("a cell holds more than the paste may read");
    }

    const velor::elicit::WeightCheck check = table.Check();
    if (check.outcome != velor::elicit::WeightCheck::Outcome::Accepted) {
        if (check.row < -1 || check.row >= rows)
            Fail("a refusal points at a row outside the grid");
        if (check.message.empty())
            Fail("a refusal has no message");
        return 0;
    }
    if (static_cast<int>(check.bounds.size()) != rows)
        Fail("accepted bounds are not one per row");
    bool reference = false;
    for (const auto& bound : check.bounds) {
        for (const double value : {bound.Lower, bound.Upper})
            if (Given(value) && !(std::isfinite(value) && value >= 0.0))
                Fail("an accepted bound is negative or not finite");
        if (Given(bound.Lower) && Given(bound.Upper) && bound.Lower > bound.Upper)
            Fail("an accepted row has its lower bound above its upper bound");
        reference = reference || (bound.Lower == 100.0 && bound.Upper == 100.0);
    }
    if (!reference)
        Fail("accepted bounds without a reference row");

    model.StoreWeightBounds(topDown, check.bounds);
    const std::string written = velor::WriteModelText(model);
    velor::Model again;
    if (!velor::ReadModelText(again, written))
        Fail("the model with the pasted bounds writes a file that does not read back");
    return 0;
}
