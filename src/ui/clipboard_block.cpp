#include "ui/clipboard_block.h"

namespace velor::ui {

std::string JoinBlock(const std::vector<std::vector<std::string>>& rows) {
    std::string out;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (r > 0) {
            out += '\n';
        }
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            if (c > 0) {
                out += '\t';
            }
            out += rows[r][c];
        }
    }
    return out;
}

std::vector<PastePiece> SplitPaste(const std::string& text) {
    std::vector<PastePiece> pieces;
    int column = 0;
    int row = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = text.find('\t', start);
        const std::size_t lf = text.find('\n', start);
        if (tab != std::string::npos && (lf == std::string::npos || tab < lf)) {
            pieces.push_back({column, row, text.substr(start, tab - start)});
            start = tab + 1;
            ++column;
        } else if (lf != std::string::npos) {
            std::size_t end = lf;
            if (end > start && text[end - 1] == '\r') {
                --end;
            }
            pieces.push_back({column, row, text.substr(start, end - start)});
            start = lf + 1;
            ++row;
            column = 0;
        } else {
            pieces.push_back({column, row, text.substr(start)});
            return pieces;
        }
    }
}

} // namespace velor::ui
