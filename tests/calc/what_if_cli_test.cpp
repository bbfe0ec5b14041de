// velor-cli whatif and stability: their JSON against the schema, alternatives by name and the
// exit codes of the other commands.
#include "../report/json_schema_validator.h"
#include "cli_test_support.h"

#include <nlohmann/json.hpp>

namespace velor::testing {
namespace {

using Json = nlohmann::json;

class WhatIfCliTest : public CliTest {
protected:
    // Arrow best on Speed, Bison best on Comfort, Speed the reference, Comfort at most 150 % of it.
    std::string MirrorModel() const {
        CalcTestModel m(2);
        const NodeId speed = m.Attribute();
        const NodeId comfort = m.Attribute();
        m.model.RenameNode(speed, "Speed");
        m.model.RenameNode(comfort, "Comfort");
        m.model.CommitCellText(1, 1, "Arrow", false);
        m.model.CommitCellText(1, 2, "Bison", false);
        m.Rank(speed, {1, 2});
        m.Rank(comfort, {2, 1});
        m.BottomUp(speed, 100, 100);
        m.BottomUp(comfort, kNotGiven, 150);
        const std::string path = Path("mirror.vlr");
        EXPECT_TRUE(SaveModelFile(m.model, path));
        return path;
    }

    static void ExpectValid(const Json& document) {
        const Json schema =
            Json::parse(ReadFile(fs::path(VELOR_SOURCE_DIR) / "docs" / "velor-cli.schema.json"));
        const std::vector<std::string> errors = JsonSchemaValidator(schema).Validate(document);
        EXPECT_TRUE(errors.empty()) << ::testing::PrintToString(errors);
    }
};

TEST_F(WhatIfCliTest, WhatIfNamesTheThresholdOfTheStatedBound) {
    const CliResult result =
        Run({"whatif", MirrorModel(), "--better", "Arrow", "--than", "Bison", "--json", "-"});
    ASSERT_EQ(result.Code, 0) << result.Err;
    const Json document = Json::parse(result.Out);
    ExpectValid(document);
    EXPECT_EQ(document["format"]["name"], "velor-whatif");
    EXPECT_EQ(document["dominates_now"], false);
    bool found = false;
    for (const Json& change : document["changes"]) {
        if (change["kind"] == "weight upper bound" && change["node"] == "Comfort") {
            found = true;
            EXPECT_EQ(change["reference"], "Speed");
            EXPECT_EQ(change["current"], 150.0);
            EXPECT_NEAR(change["threshold"].get<double>(), 100.0, 1e-6);
        }
    }
    EXPECT_TRUE(found) << result.Out;
    EXPECT_EQ(document["tornado"].size(), 2u);
}

TEST_F(WhatIfCliTest, StabilityListsEveryStatedBound) {
    const CliResult result = Run({"stability", MirrorModel(), "--json", "-"});
    ASSERT_EQ(result.Code, 0) << result.Err;
    const Json document = Json::parse(result.Out);
    ExpectValid(document);
    EXPECT_EQ(document["format"]["name"], "velor-stability");
    ASSERT_EQ(document["statements"].size(), 1u);
    const Json& bound = document["statements"][0];
    EXPECT_EQ(bound["value"], 150.0);
    // Down to 100 % Bison keeps both rules' recommendations; below it Arrow dominates.
    EXPECT_NEAR(bound["range"][0].get<double>(), 100.0, 150.0 * 1e-4);
    EXPECT_TRUE(bound["range"][1].is_null());
    const CliResult text = Run({"stability", Example("car")});
    EXPECT_EQ(text.Code, 0) << text.Err;
    EXPECT_NE(
        text.Out.find("The weight of Safety is at least 60 % of the weight of Purchase price."),
        std::string::npos)
        << text.Out;
}

TEST_F(WhatIfCliTest, ExitCodes) {
    const std::string mirror = MirrorModel();
    ExpectUsageError(Run({"whatif", mirror, "--better", "Arrow", "--than", "Nobody"}),
                     {"unknown alternative"});
    ExpectUsageError(Run({"whatif", mirror, "--better", "Arrow"}), {"--than missing"});
    ExpectUsageError(Run({"whatif", mirror, "--better", "Arrow", "--than", "Arrow"}),
                     {"same alternative"});
    const std::string infeasible = InfeasibleModel();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"whatif", infeasible, "--better", "Alternative 1", "--than",
                                   "Alternative 2", "--json", Path("out.json")},
          std::vector<std::string>{"stability", infeasible, "--json", Path("out.json")}}) {
        const CliResult result = Run(args);
        EXPECT_EQ(result.Code, 3) << args[0] << result.Err;
        EXPECT_FALSE(fs::exists(Path("out.json")));
    }
}

} // namespace
} // namespace velor::testing
