// The group file: what it writes reads back the same, names keep every character, and what is
// not a group file is refused with its line.
#include "model/group_file.h"

#include "file_test_support.h"

#include <gtest/gtest.h>

namespace velor::testing {
namespace {

TEST(GroupFile, RoundTripKeepsNamesWithAnyCharacter) {
    const std::vector<GroupEntry> members = {
        {"Ann", "ann.vlr"},
        {"Bob \\ the \"builder\"\twith tab", "models/bob smith.vlr"},
        {"Line\r\nbreak, comma; Ünïcode", "../shared/c.vlr"},
    };
    const std::string text = WriteGroupText(members);
    EXPECT_EQ(text.rfind("Velor Group 1\r\nAnn\tann.vlr\r\n", 0), 0u);
    std::vector<GroupEntry> read;
    std::string reason;
    ASSERT_TRUE(ReadGroupText(text, read, &reason)) << reason;
    EXPECT_EQ(read, members);
    // LF line ends and a missing final line end read the same.
    std::string lf = "Velor Group 1\nAnn\tann.vlr";
    ASSERT_TRUE(ReadGroupText(lf, read, &reason)) << reason;
    EXPECT_EQ(read, (std::vector<GroupEntry>{{"Ann", "ann.vlr"}}));

    TempDir dir;
    const std::string path = (dir.path() / "g.vlg").string();
    ASSERT_TRUE(SaveGroupFile(path, members));
    ASSERT_TRUE(LoadGroupFile(path, read, &reason)) << reason;
    EXPECT_EQ(read, members);
}

TEST(GroupFile, RefusesWhatIsNotAGroupWithItsLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "line 1: \"Velor Group 1\" was expected"},
        {"Velor Model\r\nAnn\ta.vlr\r\n", "line 1: \"Velor Group 1\" was expected"},
        {"Velor Group 1\r\n", "the group has no member"},
        {"Velor Group 1\r\nAnn a.vlr\r\n",
         "line 2: a member's name, a tab and a model file were expected"},
        {"Velor Group 1\r\n\ta.vlr\r\n", "line 2: the member's name is empty"},
        {"Velor Group 1\r\nAnn\t\r\n", "line 2: the model file's path is empty"},
        {"Velor Group 1\r\nAnn\t/etc/a.vlr\r\n",
         "line 2: the model file's path must be relative to the group file"},
        {std::string("Velor Group 1\r\nAnn\ta\x01.vlr\r\n"),
         "line 2: the model file's path holds a control character"},
        {"Velor Group 1\r\nA\\x\ta.vlr\r\n",
         "line 2: a backslash must start \\\\, \\t, \\r or \\n"},
        {"Velor Group 1\r\nAnn\ta.vlr\r\nAnn\tb.vlr\r\n",
         "line 3: the member \"Ann\" is named twice"},
    };
    for (const auto& [text, expected] : cases) {
        std::vector<GroupEntry> read = {{"left", "over"}};
        std::string reason;
        EXPECT_FALSE(ReadGroupText(text, read, &reason)) << text;
        EXPECT_EQ(reason, expected) << text;
        EXPECT_TRUE(read.empty()) << text;
    }
}

TEST(GroupFile, MemberPathsAreRelativeToTheGroupFile) {
    EXPECT_EQ(MemberFilePath("/d/g/team.vlg", "ann.vlr"), "/d/g/ann.vlr");
    EXPECT_EQ(MemberFilePath("/d/g/team.vlg", "../m/bob.vlr"), "/d/m/bob.vlr");
    EXPECT_EQ(RelativeMemberPath("/d/g/team.vlg", "/d/m/bob.vlr"), "../m/bob.vlr");
    EXPECT_EQ(RelativeMemberPath("/d/g/team.vlg", "/d/g/sub/ann.vlr"), "sub/ann.vlr");
    EXPECT_EQ(MemberFileName("Ann/B: x"), "Ann_B_ x.vlr");
    EXPECT_EQ(MemberFileName(".."), "member.vlr");
}

} // namespace
} // namespace velor::testing
