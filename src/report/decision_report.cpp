#include "report/decision_report.h"

#include "calc/conflict_statement.h"
#include "calc/result_warnings.h"
#include "model/number_format.h"
#include "report/chart_scene.h"
#include "report/result_charts.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <map>

#ifndef VELOR_VERSION
#define VELOR_VERSION "0.0.0"
#endif

namespace velor {

namespace {

using chart::XmlEscape;

constexpr const char* kStyle = R"(
body { font-family: 'DejaVu Sans', Verdana, Arial, sans-serif; font-size: 14px; color: #1f2328;
       margin: 24px auto; max-width: 980px; padding: 0 16px; }
h1 { font-size: 24px; margin-bottom: 4px; }
h2 { font-size: 19px; border-bottom: 1px solid #dde1e6; padding-bottom: 3px; margin-top: 28px; }
h3 { font-size: 15px; margin-top: 18px; }
table { border-collapse: collapse; margin: 8px 0; }
table.data { width: 100%; }
tr { page-break-inside: avoid; break-inside: avoid; }
thead { display: table-header-group; }
th, td { border: 1px solid #dde1e6; padding: 4px 8px; text-align: left; vertical-align: top; }
th { background: #f3f5f8; }
td.number { text-align: right; white-space: nowrap; }
td.mark { text-align: center; }
.meta td { border: none; padding: 1px 12px 1px 0; }
.note { border: 1px solid #d4a72c; background: #fff8c5; padding: 8px 12px; margin: 12px 0; }
.rank { color: #555b63; font-size: 12px; }
.chart { margin: 8px 0 16px 0; }
.summary li { margin: 2px 0; }
.footer { margin-top: 32px; color: #555b63; font-size: 12px; }
)";

std::string Number(double value) {
    return FormatNumber(value == 0.0 ? 0.0 : value, '.');
}

std::string Interval(double lower, double upper) {
    return Number(lower) + " ... " + Number(upper);
}

// The interval, or "not calculated" for a result that was never calculated.
std::string Result(bool calculated, double lower, double upper) {
    return calculated ? Interval(lower, upper) : std::string(kNotCalculatedText);
}

class Html {
public:
    void Raw(const std::string& text) { out_ += text; }
    void Element(const std::string& tag, const std::string& text,
                 const std::string& attributes = "") {
        out_ += "<" + tag + attributes + ">" + XmlEscape(text) + "</" + tag + ">\n";
    }
    void Open(const std::string& tag, const std::string& attributes = "") {
        out_ += "<" + tag + attributes + ">";
    }
    void Close(const std::string& tag) { out_ += "</" + tag + ">\n"; }
    void Cell(const std::string& text, const std::string& attributes = "") {
        out_ += "<td" + attributes + ">" + XmlEscape(text) + "</td>";
    }
    void HeaderCell(const std::string& text) { out_ += "<th>" + XmlEscape(text) + "</th>"; }
    // Body rows of the data tables, counted through the document, before which a printed page
    // begins.
    explicit Html(std::vector<int> pageBreakRows) : breaks_(std::move(pageBreakRows)) {
        std::sort(breaks_.begin(), breaks_.end());
    }
    // A table at the full text width whose head row (opened here, closed by Body) is repeated
    // on every page a printed table runs over.
    void DataTable() {
        tableStart_ = out_.size();
        out_ += "<table class=\"data\" width=\"100%\">\n<thead><tr>";
        headStart_ = out_.size();
        rowsInTable_ = 0;
    }
    void Body() {
        head_ = out_.substr(headStart_);
        out_ += "</tr></thead>\n<tbody>\n";
    }
    // Opens a body row. Where a page is to begin, the table ends and goes on in a new one on the
    // next page under the same head row, so that no row is split across two pages.
    void Row() {
        if (std::binary_search(breaks_.begin(), breaks_.end(), bodyRows_)) {
            if (rowsInTable_ == 0) {
                // Before the first row the whole table moves to the next page.
                out_.insert(tableStart_ + std::string_view("<table").size(),
                            " style=\"page-break-before: always\"");
            } else {
                EndTable();
                tableStart_ = out_.size();
                out_ += "<table class=\"data\" width=\"100%\" "
                        "style=\"page-break-before: always\">\n<thead><tr>" +
                        head_ + "</tr></thead>\n<tbody>\n";
                rowsInTable_ = 0;
            }
        }
        ++bodyRows_;
        ++rowsInTable_;
        out_ += "<tr>";
    }
    void EndTable() { out_ += "</tbody></table>\n"; }
    std::string Take() { return std::move(out_); }

private:
    std::string out_;
    std::vector<int> breaks_;
    int bodyRows_ = 0;
    int rowsInTable_ = 0;
    std::size_t tableStart_ = 0;
    std::size_t headStart_ = 0;
    std::string head_;
};

// Says so when the model has no alternatives, and returns whether it has none.
bool NoAlternatives(const Model& model, Html& h) {
    if (model.M() == 0) {
        h.Element("p", "The model has no alternatives.");
    }
    return model.M() == 0;
}

std::string NameOfRow(const Model& model, int row) {
    return row > 0 ? model.AlternativeName(row) : std::string();
}

std::string Percent(double share) {
    return Number(std::round(share * 1000.0) / 10.0) + " %";
}

std::string NameList(const Model& model, const std::vector<int>& rows) {
    std::string names;
    for (int row : rows) {
        names += (names.empty() ? "" : ", ") + NameOfRow(model, row);
    }
    return names;
}

// "Maximax recommends Family estate." for each decision rule.
std::vector<std::string> RecommendationLines(const Model& model) {
    std::vector<std::string> lines;
    for (std::size_t rule = 0; rule < kDecisionRuleNames.size(); ++rule) {
        std::vector<int> rows;
        for (int row = 1; row <= model.M(); ++row) {
            if (model.Alternative(row).Recommended[rule] != 0) {
                rows.push_back(row);
            }
        }
        lines.push_back(std::string(kDecisionRuleNames[rule]) + " recommends " +
                        (rows.empty() ? std::string("no alternative") : NameList(model, rows)) +
                        ".");
    }
    return lines;
}

// The analysis, when one ran and holds a row for each alternative it names.
const AcceptabilityResult* Acceptability(const ReportOptions& options) {
    const AcceptabilityResult* result = options.acceptability;
    if (result == nullptr || result->RankShares.empty() ||
        result->Alternatives.size() != result->RankShares.size()) {
        return nullptr;
    }
    return result;
}

// What a reader who reads nothing else needs: the notes on the results, each rule's
// recommendation, the alternatives no other dominates, the acceptability shares and the
// warnings.
void WriteSummary(const Model& model, const ReportOptions& options, Html& h) {
    h.Element("h2", "Summary");
    if (model.M() == 0 || model.NodeCount() == 0) {
        h.Element("p", "The model has no alternatives or no value tree: there are no results.",
                  " class=\"note\"");
        return;
    }
    if (ResultsAbsent(model)) {
        h.Element("p",
                  "The model has not been calculated: the results below are the defaults of a "
                  "new model, not the consequences of its statements.",
                  " class=\"note\"");
    } else if (options.resultsOutOfDate) {
        h.Element("p",
                  "The results are out of date: the model was changed after its last "
                  "calculation, and the results below belong to the model as it was then.",
                  " class=\"note\"");
    }
    if (!ResultsAbsent(model)) {
        for (const std::string& warning : ResultWarnings(model)) {
            h.Element("p", "Warning: " + warning, " class=\"note\"");
        }
    }
    h.Open("ul", " class=\"summary\"");
    if (!ResultsAbsent(model)) {
        for (const std::string& line : RecommendationLines(model)) {
            h.Element("li", line);
        }
    }
    if (model.Calculated().Dominance) {
        const std::vector<int> undominated = UndominatedAlternatives(model);
        h.Element("li", "Not dominated by any other alternative: " +
                            NameList(model, undominated) + ".");
    } else {
        h.Element("li", "Dominance: not calculated.");
    }
    if (const AcceptabilityResult* result = Acceptability(options)) {
        std::string shares;
        for (std::size_t a = 0; a < result->RankShares.size(); ++a) {
            shares += (shares.empty() ? "" : ", ") + result->Alternatives[a] + " " +
                      Percent(result->RankShares[a][0]);
        }
        h.Element("li", "Ranks first in the acceptability analysis (share of " +
                            std::to_string(result->Samples) + " samples): " + shares + "." +
                            (options.acceptabilityOutOfDate
                                 ? " The model changed since this analysis ran."
                                 : ""));
    }
    h.Close("ul");
}

void WriteAcceptability(const ReportOptions& options, Html& h) {
    const AcceptabilityResult* result = Acceptability(options);
    if (result == nullptr) {
        return;
    }
    h.Element("h2", "Acceptability analysis");
    h.Element("p", std::to_string(result->Samples) + " samples (seed " +
                       std::to_string(result->Seed) +
                       ") of the values and weights the statements allow. Each row: the share of "
                       "the samples in which the alternative ranks first, second, and so on.");
    if (options.acceptabilityOutOfDate) {
        h.Element("p", "The model changed since this analysis ran: it belongs to the model as it "
                       "was then.",
                  " class=\"note\"");
    }
    const std::size_t ranks = static_cast<std::size_t>(result->RanksCounted());
    h.DataTable();
    h.HeaderCell("Alternative");
    for (std::size_t r = 1; r <= ranks; ++r) {
        h.HeaderCell("Rank " + std::to_string(r));
    }
    h.Body();
    for (std::size_t a = 0; a < result->RankShares.size(); ++a) {
        h.Row();
        h.HeaderCell(result->Alternatives[a]);
        for (std::size_t r = 0; r < ranks; ++r) {
            h.Cell(Percent(result->RankShares[a][r]), " class=\"number\"");
        }
        h.Close("tr");
    }
    h.EndTable();
    if (!result->HasPairwiseWinning()) {
        return;
    }
    h.Element("p", "Pairwise winning: the share of the samples in which the alternative of the "
                   "row has a higher overall value than the alternative of the column.");
    h.DataTable();
    h.HeaderCell("");
    for (const std::string& name : result->Alternatives) {
        h.HeaderCell(name);
    }
    h.Body();
    for (std::size_t a = 0; a < result->Alternatives.size(); ++a) {
        h.Row();
        h.HeaderCell(result->Alternatives[a]);
        for (std::size_t b = 0; b < result->Alternatives.size(); ++b) {
            h.Cell(a == b ? std::string("-") : Percent(result->PairwiseWinning[a][b]),
                   " class=\"number\"");
        }
        h.Close("tr");
    }
    h.EndTable();
}

void WriteHeader(const Model& model, const ReportOptions& options, Html& h) {
    const std::string title =
        model.TreeEmpty() ? std::string("Untitled model") : model.Node(model.Root()).Name;
    h.Element("h1", "Decision report: " + title);
    WriteSummary(model, options, h);
    h.Element("h2", "About this report");
    h.Open("table", " class=\"meta\"");
    const std::pair<std::string, std::string> rows[] = {
        {"Model file", options.fileName.empty() ? std::string("Untitled") : options.fileName},
        {"Alternatives", std::to_string(model.M())},
        {"Nodes", std::to_string(model.NodeCount()) + " (" +
                      std::to_string(model.AttributeCount()) + " attributes)"},
        {"Weights", model.TopDownWeights() ? "stated top down, among the children of each goal"
                                           : "stated bottom up, among all attributes"},
        {"Intervals shown", model.NormalizedIntervals() ? "normalized" : "not normalized"},
        {"Made", options.date + " with Velor Decisions " + ProgramVersion()},
    };
    for (const auto& [label, value] : rows) {
        h.Open("tr");
        h.Cell(label);
        h.Cell(value);
        h.Close("tr");
    }
    h.Close("table");
}

void WriteTree(const Model& model, Html& h) {
    h.Element("h2", "Value tree");
    if (model.TreeEmpty()) {
        h.Element("p", "The model has no value tree.");
        return;
    }
    h.DataTable();
    for (const char* head : {"Node", "Kind", "Weight", "Normalized weight"}) {
        h.HeaderCell(head);
    }
    h.Body();
    for (NodeId node : model.PreOrder()) {
        int depth = 0;
        for (NodeId up = model.Parent(node); up != kNone; up = model.Parent(up)) {
            ++depth;
        }
        const TNodeData& data = model.Node(node);
        h.Row();
        // Indented by depth inside the cell, whose padding and border stay those of the others.
        h.Raw("<td><div style=\"margin-left: " + std::to_string(20 * depth) + "px\">" +
              XmlEscape(data.Name) + "</div></td>");
        h.Cell(data.Kind == kGoal ? "goal" : "attribute");
        const bool main = node == model.Root();
        h.Cell(Result(main || model.Calculated().Weights[kPlainSet], data.WeightLower,
                      data.WeightUpper),
               " class=\"number\"");
        h.Cell(Result(main || model.Calculated().Weights[kNormalizedSet], data.NormWeightLower,
                      data.NormWeightUpper),
               " class=\"number\"");
        h.Close("tr");
    }
    h.EndTable();
}

void WriteAlternatives(const Model& model, Html& h) {
    h.Element("h2", "Alternatives and consequences");
    if (NoAlternatives(model, h)) {
        return;
    }
    const std::vector<NodeId> attributes = model.Attributes();
    h.DataTable();
    h.HeaderCell("Alternative");
    for (NodeId node : attributes) {
        h.HeaderCell(model.Node(node).Name);
    }
    h.Body();
    for (int row = 1; row <= model.M(); ++row) {
        h.Row();
        h.HeaderCell(model.AlternativeName(row));
        for (NodeId node : attributes) {
            const int col = model.ColumnOfNode(node);
            h.Open("td");
            h.Raw(XmlEscape(model.CellText(col, row)));
            if (model.Rank(col, row) > 0) {
                h.Raw(" <span class=\"rank\">(rank&#160;" + std::to_string(model.Rank(col, row)) +
                      ")</span>");
            }
            h.Raw("</td>");
        }
        h.Close("tr");
    }
    h.EndTable();
}

// A ranking in words: its levels from best to worst, tied levels together.
std::string RankingText(const Model& model, NodeId node) {
    const int col = model.ColumnOfNode(node);
    std::map<int, std::vector<std::string>> byRank;
    std::vector<std::string> unranked;
    for (const AchievementLevel& level : model.Levels(col)) {
        const int rank = model.Rank(col, level.Rows.front());
        std::string text = "\"" + level.Text + "\"";
        if (model.IsAttribute(node) && !Model::IsEmptyText(model.CellText(col, level.Rows[0]))) {
            std::string names;
            for (int row : level.Rows) {
                names += (names.empty() ? "" : ", ") + model.AlternativeName(row);
            }
            text += " (" + names + ")";
        }
        (rank > 0 ? byRank[rank] : unranked).push_back(text);
    }
    if (byRank.empty()) {
        return {};
    }
    std::string out = "On " + model.Node(node).Name + ", from best to worst: ";
    bool first = true;
    for (const auto& [rank, levels] : byRank) {
        out += first ? "" : "; then ";
        first = false;
        for (std::size_t i = 0; i < levels.size(); ++i) {
            out += (i == 0 ? "" : " and ") + levels[i];
        }
        out += levels.size() > 1 ? ", equally good" : "";
    }
    out += ".";
    if (!unranked.empty()) {
        out += " Not ranked: ";
        for (std::size_t i = 0; i < unranked.size(); ++i) {
            out += (i == 0 ? "" : ", ") + unranked[i];
        }
        out += ".";
    }
    return out;
}

// The reference of a weight assessment: the row whose bounds are both 100.
NodeId WeightReference(const Model& model, const std::vector<NodeId>& rows, bool topDown) {
    for (NodeId node : rows) {
        const TNodeData& d = model.Node(node);
        const double lower = topDown ? d.TopDownLower : d.BottomUpLower;
        const double upper = topDown ? d.TopDownUpper : d.BottomUpUpper;
        if (lower == kReferenceWeight && upper == kReferenceWeight) {
            return node;
        }
    }
    return kNone;
}

void WeightStatements(const Model& model, const std::vector<NodeId>& rows, bool topDown,
                      std::vector<std::string>& out) {
    const NodeId reference = WeightReference(model, rows, topDown);
    if (reference == kNone) {
        return;
    }
    for (NodeId node : rows) {
        if (node == reference) {
            continue;
        }
        const TNodeData& d = model.Node(node);
        ConflictStatement statement;
        statement.Kind = topDown ? ConflictKind::TopDownWeight : ConflictKind::BottomUpWeight;
        statement.Node = node;
        statement.Reference = reference;
        for (const auto& [side, value] :
             {std::pair{BoundSide::Lower, topDown ? d.TopDownLower : d.BottomUpLower},
              std::pair{BoundSide::Upper, topDown ? d.TopDownUpper : d.BottomUpUpper}}) {
            if (value != kNotGiven) {
                statement.Bound = side;
                statement.Value = value;
                out.push_back(DescribeStatement(model, statement));
            }
        }
    }
}

void WriteStatements(const Model& model, Html& h) {
    h.Element("h2", "Preference statements");
    std::vector<std::string> rankings;
    std::vector<std::string> ratios;
    for (NodeId node : model.PreOrder()) {
        if (model.M() > 0) {
            if (std::string text = RankingText(model, node); !text.empty()) {
                rankings.push_back(std::move(text));
            }
        }
        const TPreferenceData* preference = model.Preference(node);
        if (preference == nullptr) {
            continue;
        }
        for (std::size_t i = 0; i < preference->Statements.size(); ++i) {
            ConflictStatement statement;
            statement.Kind = ConflictKind::RatioBound;
            statement.Node = node;
            statement.Statement = static_cast<int>(i);
            statement.Ratio = preference->Statements[i];
            for (const auto& [side, value] : {std::pair{BoundSide::Lower, statement.Ratio.Lower},
                                              std::pair{BoundSide::Upper, statement.Ratio.Upper}}) {
                if (value != kNotGiven) {
                    statement.Bound = side;
                    statement.Value = value;
                    ratios.push_back(DescribeStatement(model, statement));
                }
            }
        }
    }
    std::vector<std::string> weights;
    if (model.TopDownWeights()) {
        for (NodeId goal : model.Goals()) {
            WeightStatements(model, model.Children(goal), true, weights);
        }
    } else {
        WeightStatements(model, model.Attributes(), false, weights);
    }
    const std::pair<const char*, const std::vector<std::string>*> groups[] = {
        {"Rankings", &rankings},
        {"Ratio statements", &ratios},
        {model.TopDownWeights() ? "Weights (top down)" : "Weights (bottom up)", &weights},
    };
    for (const auto& [title, lines] : groups) {
        h.Element("h3", title);
        if (lines->empty()) {
            h.Element("p", "None.");
            continue;
        }
        h.Open("ul");
        for (const std::string& line : *lines) {
            h.Element("li", line);
        }
        h.Close("ul");
    }
}

class ChartWriter {
public:
    ChartWriter(const ReportOptions& options, DecisionReport& report)
        : options_(options), report_(report),
          metrics_(options.metrics != nullptr ? *options.metrics : sans_),
          fonts_(chart::ChartFonts::FromTextSize(options.fontPixelSize)) {}

    void Write(const chart::ChartContent& content, Html& h) {
        const chart::Size wanted{options_.chartWidth,
                                 90.0 + 30.0 * static_cast<double>(content.bars.size())};
        const chart::Size size =
            chart::PictureSize(content, wanted, fonts_, metrics_, chart::PointFormat);
        const chart::ChartLayout layout =
            chart::LayoutChart(content, size, fonts_, metrics_, chart::PointFormat);
        chart::Scene scene = chart::DrawChart(content, layout, fonts_, metrics_);
        const std::string svg = chart::SceneSvg(scene, size, content.title);
        const std::string name = "chart-" + std::to_string(report_.charts.size() + 1) + ".svg";
        report_.charts.push_back({name, svg, std::move(scene), size});
        h.Open("div", " class=\"chart\"");
        if (options_.chartsAsImages) {
            const auto pixels = [](double length) {
                return std::to_string(static_cast<long long>(std::ceil(length)));
            };
            h.Raw("<img src=\"" + name + "\" width=\"" + pixels(size.w) + "\" height=\"" +
                  pixels(size.h) + "\" alt=\"" + XmlEscape(content.title) + "\"/>");
        } else {
            h.Raw(svg);
        }
        h.Close("div");
    }

private:
    const ReportOptions& options_;
    DecisionReport& report_;
    chart::SansMetrics sans_;
    const chart::TextMetrics& metrics_;
    chart::ChartFonts fonts_;
};

void WriteCharts(const Model& model, ChartWriter& charts, Html& h) {
    if (model.TreeEmpty()) {
        return;
    }
    h.Element("h2", "Value intervals");
    if (!NoAlternatives(model, h)) {
        for (NodeId goal : model.Goals()) {
            charts.Write(chart::ValueIntervalsChart(model, goal, chart::PointFormat), h);
        }
    }
    h.Element("h2", "Weights");
    for (NodeId goal : model.Goals()) {
        if (!model.Children(goal).empty()) {
            charts.Write(chart::WeightsChart(model, goal, chart::PointFormat), h);
        }
    }
}

void WriteDominance(const Model& model, Html& h) {
    h.Element("h2", "Dominance");
    if (NoAlternatives(model, h)) {
        return;
    }
    const bool margins = model.Calculated().Margins;
    h.Element("p", margins ? "Each cell: how the alternative of the row compares with the "
                             "alternative of the column, and the least difference of their "
                             "overall values (row minus column) that the statements allow."
                           : "Each cell: how the alternative of the row compares with the "
                             "alternative of the column. The least differences of their overall "
                             "values are not stored in the file: calculate the model to see them.");
    h.DataTable();
    h.HeaderCell("");
    for (int col = 1; col <= model.M(); ++col) {
        h.HeaderCell(model.AlternativeName(col));
    }
    h.Body();
    for (int row = 1; row <= model.M(); ++row) {
        const TAlternativeData& data = model.Alternative(row);
        h.Row();
        h.HeaderCell(model.AlternativeName(row));
        for (int col = 1; col <= model.M(); ++col) {
            const auto index = static_cast<std::size_t>(col);
            const std::uint8_t code =
                index < data.Dominance.size() ? data.Dominance[index] : std::uint8_t{kNotComputed};
            const double margin =
                index < data.DominanceMargin.size() ? data.DominanceMargin[index] : 0.0;
            std::string text = DominanceCodeName(code);
            if (margins && code != kSelf && code != kNotComputed) {
                text += " (" + Number(margin) + ")";
            }
            h.Cell(row == col ? std::string("-") : text, " class=\"mark\"");
        }
        h.Close("tr");
    }
    h.EndTable();
}

void WriteRules(const Model& model, Html& h) {
    h.Element("h2", "Maximum regret and decision rules");
    if (NoAlternatives(model, h)) {
        return;
    }
    h.DataTable();
    h.HeaderCell("Alternative");
    h.HeaderCell("Overall value");
    for (const char* rule : kDecisionRuleNames) {
        h.HeaderCell(rule);
    }
    h.HeaderCell("Maximum regret");
    h.Body();
    for (int row = 1; row <= model.M(); ++row) {
        const TAlternativeData& data = model.Alternative(row);
        h.Row();
        h.HeaderCell(model.AlternativeName(row));
        h.Cell(Result(model.Calculated().AnyMainValues(), data.ValueLower, data.ValueUpper),
               " class=\"number\"");
        for (std::uint8_t flag : data.Recommended) {
            h.Cell(flag != 0 ? "recommended" : "", " class=\"mark\"");
        }
        h.Cell(model.Calculated().Dominance ? Number(data.MaxRegret)
                                            : std::string(kNotCalculatedText),
               " class=\"number\"");
        h.Close("tr");
    }
    h.EndTable();
    const std::vector<std::string> lines = RecommendationLines(model);
    h.Open("ul");
    for (const std::string& line : lines) {
        h.Element("li", line);
    }
    h.Close("ul");
}

} // namespace

const char* ProgramVersion() {
    return VELOR_VERSION;
}

std::string CurrentDateText() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    const auto two = [](int value) { return (value < 10 ? "0" : "") + std::to_string(value); };
    return std::to_string(local.tm_year + 1900) + "-" + two(local.tm_mon + 1) + "-" +
           two(local.tm_mday) + " " + two(local.tm_hour) + ":" + two(local.tm_min);
}

std::vector<int> UndominatedAlternatives(const Model& model) {
    std::vector<int> rows;
    if (!model.Calculated().Dominance) {
        return rows;
    }
    for (int row = 1; row <= model.M(); ++row) {
        const std::vector<std::uint8_t>& codes = model.Alternative(row).Dominance;
        bool dominated = false;
        for (int col = 1; col <= model.M(); ++col) {
            const auto index = static_cast<std::size_t>(col);
            dominated = dominated || (col != row && index < codes.size() && codes[index] == kDominated);
        }
        if (!dominated) {
            rows.push_back(row);
        }
    }
    return rows;
}

bool ResultsAbsent(const Model& model) {
    return model.Calculated() == CalculatedResults{};
}

DecisionReport MakeDecisionReport(const Model& model, const ReportOptions& options) {
    DecisionReport report;
    Html h(options.pageBreakRows);
    const std::string title =
        model.TreeEmpty() ? std::string("Untitled model") : model.Node(model.Root()).Name;
    h.Raw("<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n"
          "<meta charset=\"utf-8\"/>\n");
    h.Element("title", "Decision report: " + title);
    h.Raw("<style>" + std::string(kStyle) +
          (options.paged ? "body { margin: 0; padding: 0; max-width: none; letter-spacing: 0.05px; }\n"
                           "th, td { font-size: 12px; padding: 3px 5px; }\n"
                         : "") +
          "</style>\n</head>\n<body>\n");
    WriteHeader(model, options, h);
    WriteTree(model, h);
    WriteAlternatives(model, h);
    WriteStatements(model, h);
    ChartWriter charts(options, report);
    WriteCharts(model, charts, h);
    WriteDominance(model, h);
    WriteRules(model, h);
    WriteAcceptability(options, h);
    h.Element("p", "Made on " + options.date + " by Velor Decisions " + ProgramVersion() + ".",
              " class=\"footer\"");
    h.Raw("</body>\n</html>\n");
    report.html = h.Take();
    return report;
}

} // namespace velor
