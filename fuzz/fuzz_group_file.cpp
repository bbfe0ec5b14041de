// Feeds arbitrary bytes to the group file reader and checks what must hold for any input: no
// crash, and a group it accepts writes out as a text that reads back as the same group.
#include "model/group_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<velor::GroupEntry> members;
    std::string reason;
    if (!velor::ReadGroupText(text, members, &reason)) {
        if (!members.empty() || reason.empty()) {
            std::abort();
        }
        return 0;
    }
    std::vector<velor::GroupEntry> again;
    if (!velor::ReadGroupText(velor::WriteGroupText(members), again, &reason) || again != members) {
        std::abort();
    }
    return 0;
}
