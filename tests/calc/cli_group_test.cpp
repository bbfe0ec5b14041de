// velor-cli group: exit codes, the members named in its JSON, and its refusals.
#include "cli_test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#ifdef VELOR_CLI_PATH

namespace velor::testing {
namespace {

using Json = nlohmann::json;

class GroupCli : public CliTest {
protected:
    // Price (the reference) and Safety; Safety's weight within [lower, upper] % of Price's.
    std::string Member(const std::string& file, double lower, double upper) const {
        CalcTestModel m(3);
        const NodeId price = m.Attribute();
        const NodeId safety = m.Attribute();
        m.model.RenameNode(price, "Price");
        m.model.RenameNode(safety, "Safety");
        m.Rank(price, {1, 2, 3});
        m.Rank(safety, {3, 2, 1});
        m.BottomUp(price, 100, 100);
        m.BottomUp(safety, lower, upper);
        EXPECT_TRUE(SaveModelFile(m.model, Path(file)));
        return Path(file);
    }
    void WriteFile(const std::string& name, const std::string& text) const {
        std::ofstream(Path(name), std::ios::binary) << text;
    }
};

TEST_F(GroupCli, FeasibleGroupExitsZeroWithEveryMember) {
    const std::string a = Member("a.vlr", 50, 200);
    const std::string b = Member("b.vlr", 80, kNotGiven);
    const CliResult run = Run({"group", a, b, "--names", "Ann,Bob", "--json", "-"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    const Json json = Json::parse(run.Out);
    EXPECT_EQ(json["format"]["name"], "velor-group");
    EXPECT_EQ(json["members"][0]["name"], "Ann");
    EXPECT_EQ(json["members"][1]["name"], "Bob");
    EXPECT_TRUE(json["consensus"]["feasible"].get<bool>());
    EXPECT_TRUE(json["consensus"]["conflict"].empty());
    // The consensus weighs Safety by both members' bounds: at least 80 % of Price's weight.
    const Json& safety = json["consensus"]["nodes"][2];
    EXPECT_EQ(safety["name"], "Safety");
    EXPECT_NEAR(safety["weight"][0].get<double>(), 0.8 / 1.8, 1e-6);
}

TEST_F(GroupCli, InfeasibleConsensusExitsThreeAndStillWritesItsConflict) {
    Member("ann.vlr", 150, kNotGiven);
    Member("bob.vlr", kNotGiven, 50);
    WriteFile("team.vlg", "Velor Group 1\r\nAnn\tann.vlr\r\nBob\tbob.vlr\r\n");
    const CliResult run = Run({"group", Path("team.vlg"), "--json", Path("out.json")});
    EXPECT_EQ(run.Code, 3) << run.Err;
    const Json json = Json::parse(ReadFile(folder_ / "out.json"));
    EXPECT_FALSE(json["consensus"]["feasible"].get<bool>());
    const Json& conflict = json["consensus"]["conflict"];
    ASSERT_EQ(conflict.size(), 2u);
    EXPECT_EQ(conflict[0]["member"], "Ann");
    EXPECT_EQ(conflict[0]["kind"], "bottom-up-weight");
    EXPECT_EQ(conflict[1]["member"], "Bob");
}

TEST_F(GroupCli, RefusalsExitTwoAndUsageErrorsOne) {
    const std::string a = Member("a.vlr", 50, 200);
    CalcTestModel other(2);
    other.Attribute();
    ASSERT_TRUE(SaveModelFile(other.model, Path("other.vlr")));
    const CliResult mismatch = Run({"group", a, Path("other.vlr")});
    EXPECT_EQ(mismatch.Code, 2);
    EXPECT_NE(mismatch.Err.find("other (" + Path("other.vlr") + ") cannot join the group of a: "),
              std::string::npos)
        << mismatch.Err;
    WriteFile("bad.vlg", "Velor Group 1\r\nAnn a.vlr\r\n");
    const CliResult bad = Run({"group", Path("bad.vlg")});
    EXPECT_EQ(bad.Code, 2);
    EXPECT_NE(bad.Err.find("is not a valid Velor Group"), std::string::npos) << bad.Err;
    const CliResult missing = Run({"group", a, Path("none.vlr")});
    EXPECT_EQ(missing.Code, 2);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"group", a, a, "--names", "One"},
          std::vector<std::string>{"group", a, a},
          std::vector<std::string>{"group", Path("bad.vlg"), a},
          std::vector<std::string>{"group", a, "--json", "-", "--report", "-"}}) {
        ExpectUsageError(Run(args), args);
    }
}

} // namespace
} // namespace velor::testing

#endif // VELOR_CLI_PATH
