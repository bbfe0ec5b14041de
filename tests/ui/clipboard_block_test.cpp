// The clipboard text form of cell blocks, without a window.
#include "ui/clipboard_block.h"

#include <gtest/gtest.h>

namespace velor::ui {
namespace {

std::string Pieces(const std::string& text) {
    std::string out;
    for (const PastePiece& p : SplitPaste(text)) {
        out += "(" + std::to_string(p.columnOffset) + "," + std::to_string(p.rowOffset) + ")" +
               p.text + ";";
    }
    return out;
}

TEST(ClipboardBlock, JoinsCellsWithTabsAndRowsWithLineFeedsAndNoFinalLineEnd) {
    EXPECT_EQ(JoinBlock({{"a", "b"}, {"c", "d"}}), "a\tb\nc\td");
    EXPECT_EQ(JoinBlock({{"", ""}}), "\t");
    EXPECT_EQ(JoinBlock({}), "");
}

TEST(ClipboardBlock, SplitsAPasteIntoPiecesInStoringOrder) {
    EXPECT_EQ(Pieces("a\tb\n"), "(0,0)a;(1,0)b;(0,1);");
    EXPECT_EQ(Pieces("a\tb\nc\td"), "(0,0)a;(1,0)b;(0,1)c;(1,1)d;");
    EXPECT_EQ(Pieces(""), "(0,0);");
    EXPECT_EQ(Pieces("\t\t"), "(0,0);(1,0);(2,0);");
    EXPECT_EQ(Pieces("x\n\ny"), "(0,0)x;(0,1);(0,2)y;");
}

TEST(ClipboardBlock, DropsOnlyACarriageReturnRightBeforeALineFeed) {
    EXPECT_EQ(Pieces("a\r\nb\r\n"), "(0,0)a;(0,1)b;(0,2);");
    EXPECT_EQ(Pieces("a\r\tb\r"), "(0,0)a\r;(1,0)b\r;");
    EXPECT_EQ(Pieces("\r\n"), "(0,0);(0,1);");
}

} // namespace
} // namespace velor::ui
