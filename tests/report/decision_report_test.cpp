// The decision report: the report of each example is well-formed (XML tools read it, an HTML
// parser finds every element closed), holds every alternative and node name and one inline SVG
// per chart, says when results are out of date or absent, and escapes whatever a name holds.
// velor-cli report writes the same document.
#include "calc/cli_test_support.h"
#include "model/model_file.h"
#include "report/decision_report.h"

#include <gtest/gtest.h>

namespace velor::testing {
namespace {

Model LoadExample(const std::string& name) {
    Model model;
    std::string reason;
    EXPECT_TRUE(
        LoadModelFile(model, std::string(VELOR_SOURCE_DIR) + "/examples/" + name + ".vlr", &reason))
        << reason;
    return model;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    }
    return out;
}

// Runs a command on a file of the report; returns its exit status and what it printed.
std::pair<int, std::string> Check(const std::string& command, const std::string& html) {
    const fs::path file =
        fs::temp_directory_path() / ("velor-report-" + std::to_string(::getpid()) + ".html");
    {
        std::ofstream out(file, std::ios::binary);
        out << html;
    }
    const fs::path log = file.string() + ".log";
    const int status = std::system(
        (command + " " + Quote(file.string()) + " >" + Quote(log.string()) + " 2>&1").c_str());
    const std::string output = ReadFile(log);
    fs::remove(file);
    fs::remove(log);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// An HTML parser that fails on an end tag without its start tag, a start tag never closed (void
// elements aside) and anything the parser itself reports.
constexpr const char* kHtmlChecker = R"(python3 -c '
import sys
from html.parser import HTMLParser
VOID = {"meta", "br", "img", "hr", "link", "input"}
class Strict(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.open = []
    def handle_starttag(self, tag, attrs):
        if tag not in VOID:
            self.open.append(tag)
    def handle_startendtag(self, tag, attrs):
        pass
    def handle_endtag(self, tag):
        if not self.open or self.open[-1] != tag:
            sys.exit("unexpected </%s> at line %d, open: %s" % (tag, self.getpos()[0], self.open[-3:]))
        self.open.pop()
p = Strict()
p.feed(open(sys.argv[1], encoding="utf-8").read())
p.close()
if p.open:
    sys.exit("not closed: %s" % p.open)
')";

class ExampleReport : public ::testing::TestWithParam<const char*> {};

TEST_P(ExampleReport, IsWellFormedAndNamesEverything) {
    const Model model = LoadExample(GetParam());
    ReportOptions options;
    options.fileName = std::string(GetParam()) + ".vlr";
    options.date = "2026-12-08 10:00";
    const DecisionReport report = MakeDecisionReport(model, options);
    const std::string& html = report.html;

    const auto [xmlStatus, xmlLog] = Check("xmllint --noout", html);
    EXPECT_EQ(xmlStatus, 0) << xmlLog;
    const auto [htmlStatus, htmlLog] = Check(kHtmlChecker, html);
    EXPECT_EQ(htmlStatus, 0) << htmlLog;

    for (int row = 1; row <= model.M(); ++row) {
        EXPECT_NE(html.find(Escaped(model.AlternativeName(row))), std::string::npos);
    }
    std::size_t goalsWithChildren = 0;
    for (NodeId node : model.PreOrder()) {
        EXPECT_NE(html.find(Escaped(model.Node(node).Name)), std::string::npos);
        goalsWithChildren += model.IsGoal(node) && !model.Children(node).empty() ? 1 : 0;
    }
    // One value interval chart per goal, one weights chart per goal with children.
    const std::size_t charts = model.Goals().size() + goalsWithChildren;
    EXPECT_EQ(Count(html, "<svg "), charts);
    EXPECT_EQ(report.charts.size(), charts);
    EXPECT_NE(html.find("Value Intervals: " + Escaped(model.Node(model.Root()).Name)),
              std::string::npos);
    for (const char* part : {"Made on 2026-12-08 10:00 by Velor Decisions", "Maximax recommends",
                             "Minimax Regret", "Dominance", "from best to worst"}) {
        EXPECT_NE(html.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(html.find("out of date"), std::string::npos);
    EXPECT_EQ(html.find("not been calculated"), std::string::npos);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("src=\"http"), std::string::npos) << "no file beside the report";
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleReport,
                         ::testing::Values("car", "job_offers", "supplier"));

TEST(DecisionReport, SaysWhenResultsAreOutOfDateOrAbsent) {
    ReportOptions options;
    options.resultsOutOfDate = true;
    EXPECT_NE(MakeDecisionReport(LoadExample("car"), options).html.find("out of date"),
              std::string::npos);

    Model fresh;
    const NodeId root = fresh.AddNode(kGoal, kNone);
    fresh.AddNode(kAttribute, root);
    fresh.NewAlternative();
    fresh.NewAlternative();
    EXPECT_TRUE(ResultsAbsent(fresh));
    EXPECT_FALSE(ResultsAbsent(LoadExample("car")));
    EXPECT_NE(MakeDecisionReport(fresh, {}).html.find("not been calculated"), std::string::npos);
    EXPECT_NE(MakeDecisionReport(Model(), {}).html.find("no alternatives or no value tree"),
              std::string::npos);
}

TEST(DecisionReport, NamesAreEscaped) {
    Model model = LoadExample("car");
    model.RenameNode(model.Root(), "Cars <new> & \"used\"");
    model.CommitCellText(1, 1, "A&B <b>bold</b>", true);
    model.CommitCellText(2, 2, "bad \x01 byte \xff", false);
    model.CommitCellText(1, 3, "no\xEF\xBF\xBE character\xEF\xBF\xBF", true);
    const std::string html = MakeDecisionReport(model, {}).html;
    EXPECT_EQ(Check("xmllint --noout", html).first, 0);
    EXPECT_NE(html.find("no character"), std::string::npos);
    EXPECT_EQ(html.find("\xEF\xBF\xBE"), std::string::npos);
    EXPECT_EQ(html.find("\xEF\xBF\xBF"), std::string::npos);
    EXPECT_NE(html.find("Cars &lt;new&gt; &amp; &quot;used&quot;"), std::string::npos);
    EXPECT_NE(html.find("A&amp;B &lt;b&gt;bold&lt;/b&gt;"), std::string::npos);
    EXPECT_EQ(html.find("<b>bold"), std::string::npos);
}

// The summary comes before everything else and holds what a reader who reads nothing else needs:
// each rule's recommendation, the undominated alternatives, the acceptability shares and the
// warnings; every data table has a head row of its own and spans the text width.
TEST(DecisionReport, OpensWithASummaryOfTheDecision) {
    Model model = LoadExample("car");
    // The car example: only Small SUV is dominated (by Family estate).
    const std::vector<int> undominated = UndominatedAlternatives(model);
    EXPECT_EQ(undominated, (std::vector<int>{1, 2, 3, 5}));
    AcceptabilityResult analysis;
    analysis.Samples = 500;
    for (int row = 1; row <= model.M(); ++row) {
        analysis.Alternatives.push_back(model.AlternativeName(row));
        analysis.RankShares.push_back({row == 1 ? 0.732 : 0.067, 0, 0, 0, 0});
    }
    ReportOptions options;
    options.acceptability = &analysis;
    const std::string html = MakeDecisionReport(model, options).html;
    const std::size_t summary = html.find("<h2>Summary</h2>");
    ASSERT_NE(summary, std::string::npos);
    EXPECT_LT(summary, html.find("<h2>Value tree</h2>"));
    const std::string head = html.substr(summary, html.find("<h2>", summary + 1) - summary);
    for (const char* rule : kDecisionRuleNames) {
        EXPECT_NE(head.find(std::string(rule) + " recommends "), std::string::npos) << rule;
    }
    for (int row : undominated) {
        EXPECT_NE(head.find(Escaped(model.AlternativeName(row))), std::string::npos);
    }
    EXPECT_NE(head.find(Escaped(model.AlternativeName(1)) + " 73.2 %"), std::string::npos) << head;
    EXPECT_NE(html.find("<h2>Acceptability analysis</h2>"), std::string::npos);
    // Every data table has its head row; this analysis has no pairwise table.
    EXPECT_EQ(Count(html, "<thead>"), 5u);
    EXPECT_EQ(Check("xmllint --noout", html).first, 0);
    EXPECT_EQ(MakeDecisionReport(model, {}).html.find("cceptability analysis"), std::string::npos);
}

// A page break before a body row ends the table there and continues it in a table that starts a
// page under the same head row; every row is still there once, in order. A break before a
// table's first row moves the whole table instead of leaving its head row behind.
TEST(DecisionReport, PageBreaksContinueTablesUnderTheirHeadRow) {
    const Model model = LoadExample("car");
    const std::string plain = MakeDecisionReport(model, {}).html;
    const std::size_t tables = Count(plain, "<thead>");
    const std::size_t rows = Count(plain, "<tr>") - Count(plain, "<thead><tr>") - 6; // meta rows
    for (int first : {0, 1, 3, 7, 12}) {
        ReportOptions options;
        options.paged = true;
        options.pageBreakRows = {first, first + 5};
        const std::string html = MakeDecisionReport(model, options).html;
        EXPECT_EQ(Count(html, "page-break-before: always"), 2u) << first;
        // A break before a first row adds no table.
        EXPECT_EQ(Count(html, "<thead>"), tables + (first == 0 ? 1u : 2u)) << first;
        EXPECT_EQ(Count(html, "<tr>") - Count(html, "<thead><tr>") - 6, rows) << first;
        EXPECT_EQ(Check("xmllint --noout", html).first, 0) << first;
    }
}

TEST(DecisionReport, ChartsCanComeAsImageFiles) {
    ReportOptions options;
    options.chartsAsImages = true;
    const DecisionReport report = MakeDecisionReport(LoadExample("car"), options);
    EXPECT_EQ(Count(report.html, "<svg "), 0u);
    ASSERT_FALSE(report.charts.empty());
    for (const DecisionReport::Chart& chart : report.charts) {
        EXPECT_NE(report.html.find("<img src=\"" + chart.name + "\""), std::string::npos);
        EXPECT_EQ(chart.svg.rfind("<svg ", 0), 0u);
    }
}

TEST_F(CliTest, ReportWritesTheHtmlOfTheStoredResults) {
    const std::string model = Example("car");
    const CliResult result = Run({"report", model, "--html", Path("car.html")});
    ASSERT_EQ(result.Code, 0) << result.Err;
    const std::string html = ReadFile(Path("car.html"));
    EXPECT_EQ(Check("xmllint --noout", html).first, 0);
    EXPECT_NE(html.find(Escaped(model)), std::string::npos) << "the model's file is named";
    EXPECT_EQ(Run({"report", model, "--html", "-"}).Out.size() > 1000, true);
    ExpectUsageError(Run({"report", model}), {"report", "without --html"});
    ExpectUsageError(Run({"report", model, "--html", model}), {"report", "--html MODEL"});
}

} // namespace
} // namespace velor::testing
