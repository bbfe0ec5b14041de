// Feeds arbitrary bytes to the model-file reader. Whatever it accepts must be written back to a
// text that it accepts again and that stays the same after another round.
#include "model/model_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    velor::Model model;
    if (!velor::ReadModelText(model, text)) {
        if (model.M() != 0 || !model.TreeEmpty() || !model.Assessments().empty()) {
            std::fprintf(stderr, "a rejected file left a model behind\n");
            std::abort();
        }
        return 0;
    }
    const std::string written = velor::WriteModelText(model);
    velor::Model again;
    if (!velor::ReadModelText(again, written)) {
        std::fprintf(stderr, "the writer produced a file the reader rejects\n");
        std::abort();
    }
    if (velor::WriteModelText(again) != written) {
        std::fprintf(stderr, "saving a loaded file changed it\n");
        std::abort();
    }
    return 0;
}
