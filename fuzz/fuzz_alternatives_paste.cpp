// Pastes arbitrary clipboard text into the consequence table of an example model, the way the
// alternatives editor does: the selection comes from the first bytes, the rest is the clipboard
// text. The split itself must account for every character (joining the pieces again gives the
// text back, with CR LF turned into LF), and after the paste the model must stay sound: every
// cell text within 255 characters, and a model file that reads back and writes the same again.
#include "model/model.h"
#include "model/model_file.h"
#include "ui/clipboard_block.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kMaxPasteLength = 65535;
constexpr std::size_t kMaxCellText = 255;

velor::Model gExample;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

std::string WithoutCrBeforeLf(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    return out;
}

void CheckSplit(const std::string& text, const std::vector<velor::ui::PastePiece>& pieces) {
    if (pieces.empty() || pieces.front().columnOffset != 0 || pieces.front().rowOffset != 0)
        Fail("the first piece does not start the block");
    std::vector<std::vector<std::string>> rows;
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        const auto& piece = pieces[k];
        if (piece.text.find_first_of("\t\n") != std::string::npos)
            Fail("a piece holds a separator");
        if (k > 0) {
            const auto& before = pieces[k - 1];
            const bool nextColumn = piece.rowOffset == before.rowOffset &&
                                    piece.columnOffset == before.columnOffset + 1;
            const bool nextRow = piece.rowOffset == before.rowOffset + 1 && piece.columnOffset == 0;
            if (!nextColumn && !nextRow)
                Fail("pieces are not in reading order");
        }
        if (piece.columnOffset == 0)
            rows.emplace_back();
        rows.back().push_back(piece.text);
    }
    if (velor::ui::JoinBlock(rows) != WithoutCrBeforeLf(text))
        Fail("joining the pieces does not give the pasted text back");
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
    // The selection may reach beyond the table: the editor clips pieces, not the selection.
    const int left = in.ConsumeIntegralInRange(1, model.N() + 1);
    const int top = in.ConsumeIntegralInRange(1, model.M() + 1);
    const int right = left + in.ConsumeIntegralInRange(0, 2);
    const int bottom = top + in.ConsumeIntegralInRange(0, 2);
    const bool keepRanking = in.ConsumeBool();
    std::string text = in.ConsumeRemainingBytesAsString();
    if (text.size() > kMaxPasteLength)
        text.resize(kMaxPasteLength);

    const std::vector<velor::ui::PastePiece> pieces = velor::ui::SplitPaste(text);
    CheckSplit(text, pieces);

    for (int row = top; row <= bottom; ++row) {
        for (int col = left; col <= right; ++col) {
            for (const auto& piece : pieces) {
                const int c = col + piece.columnOffset;
                const int r = row + piece.rowOffset;
                if (c > model.N() || r > model.M())
                    continue;
                if (model.CommitCellText(c, r, piece.text, true) && !keepRanking)
                    model.UnrankConsequence(c, r);
            }
        }
    }

    for (int r = 1; r <= model.M(); ++r)
        for (int c = 1; c <= model.N(); ++c)
            if (model.CellText(c, r).size() > kMaxCellText)
                Fail("a pasted cell holds more than 255 characters");
    const std::string written = velor::WriteModelText(model);
    velor::Model again;
    if (!velor::ReadModelText(again, written))
        Fail("the model after the paste writes a file that does not read back");
    if (velor::WriteModelText(again) != written)
        Fail("the model after the paste changes on saving and loading");
    return 0;
}
