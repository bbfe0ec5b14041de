// Model file: exact text of the writer, round trips, and the safe save.
#include "file_test_support.h"
#include "model/model_file.h"
#include "model_invariants.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace velor {
namespace {

namespace fs = std::filesystem;
using testing::JoinLines;
using testing::LineOf;
using testing::ReadBytes;
using testing::SplitLines;
using testing::TempDir;
using testing::WriteBytes;

// A model that uses every field of the file: nested goals, a goal without children, ties and
// gaps in ranks, statements in goals and attributes, weight bounds and stored results. Its
// alternatives' ids differ from their rows (one was deleted).
Model BuildRichModel(bool topDown, bool normalized) {
    Model m;
    const NodeId root = m.AddNode(kGoal, kNone);
    const NodeId g1 = m.AddNode(kGoal, root);
    const NodeId price = m.AddNode(kAttribute, g1);
    const NodeId comfort = m.AddNode(kAttribute, g1);
    const NodeId leafGoal = m.AddNode(kGoal, g1);
    const NodeId g2 = m.AddNode(kGoal, root);
    const NodeId safety = m.AddNode(kAttribute, g2);
    const NodeId g2a = m.AddNode(kGoal, g2);
    const NodeId noise = m.AddNode(kAttribute, g2a);
    const NodeId looks = m.AddNode(kAttribute, root);
    m.ConvertNode(looks);    // an attribute turned into a goal
    m.ConvertNode(leafGoal); // and a goal turned into an attribute
    m.ConvertNode(leafGoal); // and back: a goal without children
    m.RenameNode(g1, "Economy");
    m.RenameNode(price, "Price");
    m.RenameNode(comfort, "Comfort \xC3\xA4\xC3\xB6"); // UTF-8
    m.RenameNode(leafGoal, "Resale");
    m.RenameNode(g2, "Safety goal");
    m.RenameNode(safety, "Crash test");
    m.RenameNode(g2a, "Cabin");
    m.RenameNode(noise, std::string(255, 'n'));
    m.RenameNode(looks, "  Looks  ");

    for (int i = 0; i < 6; ++i) {
        m.NewAlternative();
    }
    m.DeleteAlternative(2);
    const char* names[] = {"Car A", "Car B", "Car C", "Car D", "Car E"};
    for (int row = 1; row <= 5; ++row) {
        m.CommitCellText(1, row, names[row - 1], false);
    }
    const int priceCol = m.Node(price).Column;
    const int comfortCol = m.Node(comfort).Column;
    const int noiseCol = m.Node(noise).Column;
    const char* prices[] = {"cheap", "cheap", "dear", "", " "};
    for (int row = 1; row <= 5; ++row) {
        m.CommitCellText(priceCol, row, prices[row - 1], false);
        m.CommitCellText(comfortCol, row, "level " + std::to_string(row % 3), false);
    }
    m.CommitCellText(noiseCol, 4, std::string(255, 'x'), false);

    auto statement = [&](int n1, int n2, int d1, int d2, double lo, double up) {
        TCardinalStatement s;
        s.Num1 = m.AlternativeId(n1);
        s.Num2 = m.AlternativeId(n2);
        s.Den1 = m.AlternativeId(d1);
        s.Den2 = m.AlternativeId(d2);
        s.Lower = lo;
        s.Upper = up;
        return s;
    };
    m.StoreRanking(price, {1, 1, 3, 0, 4},
                   {statement(1, 3, 1, 5, 0.25, 0.75), statement(3, 5, 1, 5, -1, 0.5)});
    m.StoreRanking(comfort, {2, 1, 0, 2, 1}, {});
    m.StoreRanking(g1, {2, 1, 5, 3, 4}, {statement(2, 1, 2, 5, 1.5, -1)});
    m.StoreRanking(root, {1, 2, 3, 4, 5}, {statement(1, 2, 1, 5, 0.1, 0.9)});
    m.StoreRanking(noise, {0, 0, 0, 0, 7}, {});
    m.StoreWeightBounds(true, {{g1, 100, 100}, {g2, 50, 80}});
    m.StoreWeightBounds(true, {{price, 100, 100}, {comfort, 20.5, -1}});
    m.StoreWeightBounds(false, {{price, 100, 100}, {comfort, 0, 0}, {safety, 12.125, 99.5}});
    m.PreferenceData(price)->ReservedByte = 3;
    m.PreferenceData(price)->ReservedReal = 4.5;

    // Results of a calculation.
    int k = 0;
    for (NodeId n : m.PreOrder()) {
        auto& d = ResultRecords(m).NodeData(n);
        d.NormWeightLower = 0.01 * k;
        d.NormWeightUpper = 0.5 + 0.01 * k;
        d.WeightLower = 0.125 * k;
        d.WeightUpper = 1.0 / 3.0 + k;
        for (std::size_t i = 0; i < d.Values.size(); ++i) {
            d.Values[i] = {0.001 * static_cast<double>(i), 0.9, -0.25, 1234567.875};
        }
        ++k;
    }
    for (int row = 1; row <= m.M(); ++row) {
        auto& a = ResultRecords(m).AlternativeData(row);
        for (std::size_t r = 0; r < a.Dominance.size(); ++r) {
            a.Dominance[r] = static_cast<std::uint8_t>((row + r) % 5);
            a.DominanceMargin[r] = 0.7 * static_cast<double>(r) - 1.9;
        }
        a.Recommended = {static_cast<std::uint8_t>(row % 2), 0, 1,
                         static_cast<std::uint8_t>(row == 3)};
        a.ValueLower = 0.05 * row;
        a.ValueUpper = 0.5 + 0.05 * row;
        a.MaxRegret = 0.0625 * row;
        for (int col = 1; col <= m.N(); ++col) {
            auto& c = ResultRecords(m).ConsequenceData(col, row);
            c.NormLower = 0.02 * col;
            c.NormUpper = 0.75;
            c.Lower = 1e-7 * row; // below the six decimals
            c.Upper = 42.0 + col;
        }
    }
    m.SetTopDownWeights(topDown);
    m.SetNormalizedIntervals(normalized);
    return m;
}

// The model of the documented example: the main goal, then one alternative, never calculated.
Model ExampleModel() {
    Model m;
    m.AddNode(kGoal, kNone);
    m.NewAlternative();
    return m;
}

const std::vector<std::string> kExampleLines = {"0",
                                                "0",
                                                "1",
                                                "Alternative 1",
                                                "0.000000",
                                                "1.000000",
                                                "1",
                                                "2",
                                                "4",
                                                "0",
                                                "4",
                                                "0",
                                                "0.000000",
                                                "4",
                                                "0",
                                                "0",
                                                "0",
                                                "0",
                                                "1",
                                                "0",
                                                "Main Goal",
                                                "1",
                                                "1.000000",
                                                "1.000000",
                                                "1.000000",
                                                "1.000000",
                                                "100.000000",
                                                "100.000000",
                                                "100.000000",
                                                "100.000000",
                                                "1",
                                                "0.000000",
                                                "1.000000",
                                                "0.000000",
                                                "0.000000",
                                                "0",
                                                "0",
                                                "1",
                                                "0",
                                                "1",
                                                "Alternative 1",
                                                "0",
                                                "0.000000",
                                                "1.000000",
                                                "0.000000",
                                                "1.000000"};

TEST(ModelFileWriter, ExampleIsWrittenByteForByte) {
    ASSERT_EQ(kExampleLines.size(), 46u);
    const std::string expected = JoinLines(kExampleLines, "\r\n");
    const Model m = ExampleModel();
    EXPECT_EQ(WriteModelText(m), expected);

    TempDir dir;
    const std::string path = (dir.path() / "example.vlr").string();
    std::string error;
    ASSERT_TRUE(SaveModelFile(m, path, &error)) << error;
    EXPECT_EQ(ReadBytes(path), expected);

    Model loaded;
    ASSERT_TRUE(LoadModelFile(loaded, path));
    EXPECT_EQ(velor::testing::CheckInvariants(loaded), "");
    ASSERT_TRUE(SaveModelFile(loaded, path, &error)) << error;
    EXPECT_EQ(ReadBytes(path), expected);
}

TEST(ModelFileWriter, EmptyModelIsFiveLines) {
    Model empty;
    EXPECT_EQ(WriteModelText(empty), "0\r\n0\r\n0\r\n0\r\n0\r\n");
    Model loaded;
    loaded.AddNode(kGoal, kNone);
    ASSERT_TRUE(ReadModelText(loaded, "0\r\n0\r\n0\r\n0\r\n0\r\n"));
    EXPECT_TRUE(loaded.TreeEmpty());
    EXPECT_EQ(loaded.M(), 0);
    EXPECT_TRUE(loaded.Assessments().empty());

    // A tree without alternatives has no cells either.
    Model treeOnly;
    treeOnly.AddNode(kAttribute, treeOnly.AddNode(kGoal, kNone));
    ASSERT_TRUE(ReadModelText(loaded, WriteModelText(treeOnly)));
    EXPECT_EQ(loaded.NodeCount(), 2);
    EXPECT_EQ(WriteModelText(loaded), WriteModelText(treeOnly));

    // Alternatives without a tree have no cells.
    Model altsOnly;
    altsOnly.NewAlternative();
    ASSERT_TRUE(ReadModelText(loaded, WriteModelText(altsOnly)));
    EXPECT_EQ(loaded.M(), 1);
    EXPECT_EQ(loaded.AlternativeName(1), "Alternative 1");
    EXPECT_EQ(WriteModelText(loaded), WriteModelText(altsOnly));
}

TEST(ModelFileWriter, NumberForms) {
    Model m = ExampleModel();
    m.NewAlternative();
    auto& a = ResultRecords(m).AlternativeData(1);
    a.DominanceMargin = {-0.4, 2.7, -3.9};
    a.MaxRegret = 1.0 / 3.0;
    a.ValueLower = -0.0000004; // rounds to minus zero
    a.ValueUpper = 1e20;
    ResultRecords(m).AlternativeData(2).DominanceMargin = {1e20, -1e20, std::nan("")};
    const auto lines = SplitLines(WriteModelText(m));
    // Alternative 1: name, lower, upper, index, K, then code/margin pairs.
    EXPECT_EQ(lines[3], "Alternative 1");
    EXPECT_EQ(lines[4], "0.000000"); // no sign on a zero
    EXPECT_EQ(lines[5], "100000000000000000000.000000");
    EXPECT_EQ(lines[7], "3");
    EXPECT_EQ(lines[9], "0");   // -0.4
    EXPECT_EQ(lines[11], "2");  // 2.7
    EXPECT_EQ(lines[13], "-3"); // -3.9
    EXPECT_EQ(lines[14], "0.333333");
    // Alternative 2 starts 17 lines later; out-of-range margins are kept within "%d".
    EXPECT_EQ(lines[26], "2147483647");
    EXPECT_EQ(lines[28], "-2147483648");
    EXPECT_EQ(lines[30], "0");
}

TEST(ModelFileWriter, TextsStayOnOneLine) {
    Model m = ExampleModel();
    ResultRecords(m).NodeData(m.Root()).Name = "two\r\nlines";
    m.CommitCellText(1, 1, "", false); // empty consequence and alternative name
    std::string text = WriteModelText(m);
    auto lines = SplitLines(text);
    EXPECT_EQ(lines.size(), 46u);
    EXPECT_EQ(lines[3], " ");
    EXPECT_EQ(lines[20], "two  lines");
    EXPECT_EQ(lines[40], " ");
    // A name too long for a line is cut to 255 bytes without splitting a character.
    ResultRecords(m).NodeData(m.Root()).Name = std::string(254, 'x') + "\xC3\xA4";
    EXPECT_EQ(SplitLines(WriteModelText(m))[20], std::string(254, 'x'));

    // A single space reads back as a single space.
    Model loaded;
    ASSERT_TRUE(ReadModelText(loaded, text));
    EXPECT_EQ(loaded.AlternativeName(1), " ");
    EXPECT_EQ(loaded.CellText(1, 1), " ");
}

// Expected value of a real after it went through the file: six decimals.
double SixDecimals(double v) {
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.6f", v);
    return std::strtod(buf, nullptr);
}

std::vector<double> SixDecimals(std::vector<double> v) {
    for (double& x : v) {
        x = SixDecimals(x);
    }
    return v;
}

std::string AfterFile(const std::string& text) {
    return text.empty() ? " " : text;
}

// Compares every field the file holds, allowing for the documented losses (six decimals,
// margins as integer parts, reserved real 0, empty texts as a single space).
void ExpectSameModel(const Model& a, const Model& b) {
    EXPECT_EQ(a.TopDownWeights(), b.TopDownWeights());
    EXPECT_EQ(a.NormalizedIntervals(), b.NormalizedIntervals());
    ASSERT_EQ(a.M(), b.M());
    ASSERT_EQ(a.NodeCount(), b.NodeCount());
    for (int row = 1; row <= a.M(); ++row) {
        SCOPED_TRACE("alternative " + std::to_string(row));
        const auto& x = a.Alternative(row);
        const auto& y = b.Alternative(row);
        EXPECT_EQ(AfterFile(a.AlternativeName(row)), b.AlternativeName(row));
        EXPECT_EQ(SixDecimals({x.ValueLower, x.ValueUpper, x.MaxRegret}),
                  (std::vector<double>{y.ValueLower, y.ValueUpper, y.MaxRegret}));
        EXPECT_EQ(x.Index, y.Index);
        EXPECT_EQ(x.Dominance, y.Dominance);
        std::vector<double> margins = x.DominanceMargin;
        for (double& v : margins) {
            v = std::trunc(v);
        }
        EXPECT_EQ(margins, y.DominanceMargin);
        EXPECT_EQ(x.Recommended, y.Recommended);
    }
    auto rows = [](const Model& m, const TCardinalStatement& s) {
        return std::vector<int>{m.RowOfAlternative(s.Num1), m.RowOfAlternative(s.Num2),
                                m.RowOfAlternative(s.Den1), m.RowOfAlternative(s.Den2)};
    };
    for (int k = 0; k < a.NodeCount(); ++k) {
        SCOPED_TRACE("node " + std::to_string(k));
        const NodeId p = a.NodeAt(k);
        const NodeId q = b.NodeAt(k);
        EXPECT_EQ(p == a.Root() ? -1 : a.PreOrderIndex(a.Parent(p)),
                  q == b.Root() ? -1 : b.PreOrderIndex(b.Parent(q)));
        const auto& x = a.Node(p);
        const auto& y = b.Node(q);
        EXPECT_EQ(x.Kind, y.Kind);
        EXPECT_EQ(AfterFile(x.Name), y.Name);
        EXPECT_EQ(x.Column, y.Column);
        EXPECT_EQ(SixDecimals({x.NormWeightLower, x.NormWeightUpper, x.WeightLower, x.WeightUpper,
                               x.TopDownLower, x.TopDownUpper, x.BottomUpLower, x.BottomUpUpper}),
                  (std::vector<double>{y.NormWeightLower, y.NormWeightUpper, y.WeightLower,
                                       y.WeightUpper, y.TopDownLower, y.TopDownUpper,
                                       y.BottomUpLower, y.BottomUpUpper}));
        ASSERT_EQ(x.Values.size(), y.Values.size());
        for (std::size_t i = 0; i < x.Values.size(); ++i) {
            const auto& v = x.Values[i];
            const auto& w = y.Values[i];
            EXPECT_EQ(SixDecimals({v.NormLower, v.NormUpper, v.Lower, v.Upper}),
                      (std::vector<double>{w.NormLower, w.NormUpper, w.Lower, w.Upper}));
        }
        const TPreferenceData* px = a.Preference(p);
        const TPreferenceData* py = b.Preference(q);
        ASSERT_EQ(px == nullptr, py == nullptr);
        if (px != nullptr) {
            EXPECT_EQ(px->Holistic, py->Holistic);
            EXPECT_EQ(px->ReservedByte, py->ReservedByte);
            EXPECT_EQ(py->ReservedReal, 0.0);
            ASSERT_EQ(px->Statements.size(), py->Statements.size());
            for (std::size_t i = 0; i < px->Statements.size(); ++i) {
                const auto& s = px->Statements[i];
                const auto& t = py->Statements[i];
                EXPECT_EQ(SixDecimals({s.Lower, s.Upper}), (std::vector<double>{t.Lower, t.Upper}));
                EXPECT_EQ(rows(a, s), rows(b, t));
            }
        }
        for (int row = 1; row <= a.M(); ++row) {
            const auto& c = a.Consequence(k + 1, row);
            const auto& d = b.Consequence(k + 1, row);
            EXPECT_EQ(AfterFile(a.CellText(k + 1, row)), b.CellText(k + 1, row));
            EXPECT_EQ(c.Rank, d.Rank);
            EXPECT_EQ(SixDecimals({c.NormLower, c.NormUpper, c.Lower, c.Upper}),
                      (std::vector<double>{d.NormLower, d.NormUpper, d.Lower, d.Upper}));
        }
    }
}

TEST(ModelFileRoundTrip, RichModels) {
    for (bool topDown : {false, true}) {
        for (bool normalized : {false, true}) {
            SCOPED_TRACE(std::to_string(topDown) + std::to_string(normalized));
            const Model original = BuildRichModel(topDown, normalized);
            ASSERT_EQ(velor::testing::CheckInvariants(original), "");
            const std::string text = WriteModelText(original);

            Model loaded;
            ASSERT_TRUE(ReadModelText(loaded, text));
            EXPECT_EQ(velor::testing::CheckInvariants(loaded), "");
            ExpectSameModel(original, loaded);
            // The rebuilt list of assessments shows the same statuses for every node.
            for (int k = 0; k < original.NodeCount(); ++k) {
                const auto* x = original.Entry(original.Node(original.NodeAt(k)).Assessment);
                const auto* y = loaded.Entry(loaded.Node(loaded.NodeAt(k)).Assessment);
                ASSERT_TRUE(x && y);
                EXPECT_EQ(x->Caption, y->Caption);
                EXPECT_EQ(x->Status, y->Status);
            }
            const auto* bottomUp = loaded.Entry(loaded.BottomUpEntry());
            ASSERT_NE(bottomUp, nullptr);
            EXPECT_EQ(bottomUp->Remarks, "Bottom Up");
            // Saving the loaded model again gives the same text.
            EXPECT_EQ(WriteModelText(loaded), text);
        }
    }
}

// Random edits through the core, with random statements and results; after every few steps the
// model must come back from its file with every field the file holds.
TEST(ModelFileRoundTrip, RandomlyEditedModels) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
        auto real = [&] { return std::uniform_real_distribution<double>(-5.0, 200.0)(rng); };
        Model m;
        m.AddNode(kGoal, kNone);
        for (int step = 0; step < 60; ++step) {
            const NodeId any = m.NodeAt(pick(m.NodeCount()));
            switch (pick(9)) {
            case 0:
            case 1:
                m.AddNode(pick(2) ? kAttribute : kGoal, any);
                break;
            case 2:
                if (m.M() < 6) {
                    m.NewAlternative();
                }
                break;
            case 3:
                if (m.M() > 1) {
                    m.DeleteAlternative(1 + pick(m.M()));
                }
                break;
            case 4:
                m.MoveNode(any, m.NodeAt(pick(m.NodeCount())), Model::MoveMode::FirstChild);
                m.ConvertNode(m.NodeAt(pick(m.NodeCount())));
                break;
            case 5:
                if (m.CellsEditable()) {
                    const char* texts[] = {"", " ", "low", "high", "mid"};
                    m.CommitCellText(1 + pick(m.N()), 1 + pick(m.M()), texts[pick(5)], false);
                }
                break;
            case 6:
                if (m.M() > 0) {
                    std::vector<int> ranks;
                    for (int row = 1; row <= m.M(); ++row) {
                        ranks.push_back(pick(5));
                    }
                    std::vector<TCardinalStatement> statements(static_cast<std::size_t>(pick(3)));
                    for (auto& st : statements) {
                        st.Num1 = m.AlternativeId(1 + pick(m.M()));
                        st.Num2 = m.AlternativeId(1 + pick(m.M()));
                        st.Den1 = m.AlternativeId(1 + pick(m.M()));
                        st.Den2 = m.AlternativeId(1 + pick(m.M()));
                        st.Lower = pick(2) ? kNotGiven : real();
                        st.Upper = real();
                    }
                    m.StoreRanking(any, ranks, statements);
                }
                break;
            case 7: {
                auto& d = ResultRecords(m).NodeData(any);
                d.NormWeightLower = real();
                d.TopDownUpper = real();
                d.BottomUpLower = real();
                for (auto& v : d.Values) {
                    v = {real(), real(), real(), real()};
                }
                if (m.M() > 0) {
                    const int row = 1 + pick(m.M());
                    auto& a = ResultRecords(m).AlternativeData(row);
                    a.MaxRegret = real();
                    a.DominanceMargin[static_cast<std::size_t>(pick(m.M() + 1))] = real();
                    a.Dominance[static_cast<std::size_t>(pick(m.M() + 1))] =
                        static_cast<std::uint8_t>(pick(5));
                    a.Recommended[static_cast<std::size_t>(pick(4))] = 1;
                    ResultRecords(m)
                        .ConsequenceData(any == m.Root() ? 1 : m.Node(any).Column, row)
                        .Upper = real();
                }
                break;
            }
            default:
                m.SetTopDownWeights(pick(2));
                m.SetNormalizedIntervals(pick(2));
                break;
            }
            if (step % 6 == 5) {
                ASSERT_EQ(velor::testing::CheckInvariants(m), "");
                const std::string text = WriteModelText(m);
                Model loaded;
                ASSERT_TRUE(ReadModelText(loaded, text));
                ASSERT_EQ(velor::testing::CheckInvariants(loaded), "");
                ExpectSameModel(m, loaded);
                ASSERT_EQ(WriteModelText(loaded), text);
            }
        }
    }
}

TEST(ModelFileRoundTrip, HolisticStatementRows) {
    Model m;
    const NodeId root = m.AddNode(kGoal, kNone);
    for (int i = 0; i < 3; ++i) {
        m.NewAlternative();
    }
    TCardinalStatement s;
    s.Num1 = m.AlternativeId(1);
    s.Num2 = m.AlternativeId(2);
    s.Den1 = m.AlternativeId(3);
    s.Den2 = m.AlternativeId(1);
    s.Lower = 0.5;
    m.StoreRanking(root, {1, 2, 3}, {s});
    const auto lines = SplitLines(WriteModelText(m));
    // ... S, lower, upper, rows, then the column count.
    const auto c1 = lines.size() - 1 - 3 * 6;
    EXPECT_EQ(std::vector<std::string>(lines.begin() + static_cast<long>(c1) - 6,
                                       lines.begin() + static_cast<long>(c1)),
              (std::vector<std::string>{"0.500000", "-1.000000", "1", "2", "3", "1"}));
    Model loaded;
    ASSERT_TRUE(ReadModelText(loaded, JoinLines(lines, "\r\n")));
    const auto* p = loaded.Preference(loaded.Root());
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->Statements.size(), 1u);
    EXPECT_EQ(p->Statements[0].Num1, loaded.AlternativeId(1));
    EXPECT_EQ(p->Statements[0].Num2, loaded.AlternativeId(2));
    EXPECT_EQ(p->Statements[0].Den1, loaded.AlternativeId(3));
    EXPECT_EQ(p->Statements[0].Den2, loaded.AlternativeId(1));
}

TEST(ModelFileRoundTrip, MarkersAndReservedFields) {
    Model m = ExampleModel();
    m.PreferenceData(m.Root())->ReservedByte = 200;
    m.PreferenceData(m.Root())->ReservedReal = 2.5;
    auto lines = SplitLines(WriteModelText(m));
    EXPECT_EQ(lines[35], "200");
    EXPECT_EQ(lines[36], "0");

    Model loaded;
    ASSERT_TRUE(ReadModelText(loaded, JoinLines(lines, "\r\n")));
    EXPECT_EQ(loaded.Preference(loaded.Root())->ReservedByte, 200);
    EXPECT_EQ(loaded.Preference(loaded.Root())->ReservedReal, 0.0);

    // Either marker gives a node without assessment entries; it is written back as "NULL".
    for (const char* marker : {"NULL", "DATANULL"}) {
        auto marked = lines;
        marked[35] = marker;
        marked.erase(marked.begin() + 36, marked.begin() + 39);
        ASSERT_TRUE(ReadModelText(loaded, JoinLines(marked, "\r\n"))) << marker;
        EXPECT_EQ(loaded.Node(loaded.Root()).Assessment, kNone);
        EXPECT_EQ(loaded.Preference(loaded.Root()), nullptr);
        ASSERT_EQ(loaded.Assessments().size(), 1u); // the bottom-up entry only
        marked[35] = "NULL";
        EXPECT_EQ(WriteModelText(loaded), JoinLines(marked, "\r\n"));
    }

    // The reserved real is read as a real, and any non-zero holistic flag reads as 1.
    lines[36] = "2.5";
    lines[37] = "7";
    ASSERT_TRUE(ReadModelText(loaded, JoinLines(lines, "\r\n")));
    EXPECT_EQ(loaded.Preference(loaded.Root())->ReservedReal, 2.5);
    EXPECT_EQ(loaded.Preference(loaded.Root())->Holistic, 1);
}

TEST(ModelFileReader, LineEnds) {
    const Model m = BuildRichModel(true, false);
    const std::string crlf = WriteModelText(m);
    const auto lines = SplitLines(crlf);
    for (const std::string& text :
         {JoinLines(lines, "\n"), crlf.substr(0, crlf.size() - 2),
          JoinLines(lines, "\n").substr(0, JoinLines(lines, "\n").size() - 1),
          crlf + "lines after the last cell\r\nare ignored\r\n"}) {
        Model loaded;
        ASSERT_TRUE(ReadModelText(loaded, text));
        EXPECT_EQ(WriteModelText(loaded), crlf);
    }
}

TEST(ModelFileReader, NumberLinesThatHoldNoNumberReadAsZero) {
    auto lines = SplitLines(WriteModelText(ExampleModel()));
    lines[0] = "yes";     // top-down option
    lines[4] = "low";     // ValueLower
    lines[5] = " +2.5\t"; // ValueUpper, blanks and a plus sign allowed
    lines[9] = "1e3";     // a margin
    lines[21] = "column"; // the stored column is not used
    lines[41] = "first";  // a rank
    Model loaded;
    ASSERT_TRUE(ReadModelText(loaded, JoinLines(lines, "\r\n")));
    EXPECT_FALSE(loaded.TopDownWeights());
    EXPECT_EQ(loaded.Alternative(1).ValueLower, 0.0);
    EXPECT_EQ(loaded.Alternative(1).ValueUpper, 2.5);
    EXPECT_EQ(loaded.Alternative(1).DominanceMargin[0], 1000.0);
    EXPECT_EQ(loaded.Node(loaded.Root()).Column, 1);
    EXPECT_EQ(loaded.Consequence(1, 1).Rank, 0);
}

// ----- saving

class ModelFileSave : public ::testing::Test {
protected:
    TempDir dir_;
    std::string path_ = (dir_.path() / "model.vlr").string();
    const std::string previous_ = "previous contents\r\n";

    void SetUp() override { WriteBytes(path_, previous_); }

    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_.path())) {
            names.push_back(e.path().filename().string());
        }
        return names;
    }
};

TEST_F(ModelFileSave, ReplacesThePreviousFile) {
    ::chmod(path_.c_str(), 0640);
    const Model m = BuildRichModel(false, true);
    std::string error;
    ASSERT_TRUE(SaveModelFile(m, path_, &error)) << error;
    EXPECT_EQ(ReadBytes(path_), WriteModelText(m));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"model.vlr"});
    struct stat st {};
    ASSERT_EQ(::stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(ModelFileSave, ALongFileName) {
    const std::string path = (dir_.path() / (std::string(250, 'm') + ".vlr")).string();
    std::string error;
    ASSERT_TRUE(SaveModelFile(ExampleModel(), path, &error)) << error;
    EXPECT_EQ(ReadBytes(path), WriteModelText(ExampleModel()));
}

TEST_F(ModelFileSave, ThroughALinkReplacesTheLinkedFile) {
    const std::string link = (dir_.path() / "link.vlr").string();
    fs::create_symlink(path_, link);
    ASSERT_TRUE(SaveModelFile(ExampleModel(), link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(path_), WriteModelText(ExampleModel()));
}

TEST_F(ModelFileSave, MissingFolderFails) {
    const std::string path = (dir_.path() / "no such folder" / "model.vlr").string();
    std::string error;
    EXPECT_FALSE(SaveModelFile(ExampleModel(), path, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists(dir_.path() / "no such folder"));
    EXPECT_EQ(ReadBytes(path_), previous_);
}

TEST_F(ModelFileSave, DevicesAndFoldersAreNotReplaced) {
    std::string error;
    EXPECT_FALSE(SaveModelFile(ExampleModel(), "/dev/full", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_FALSE(SaveModelFile(ExampleModel(), dir_.path().string()));
    EXPECT_TRUE(fs::is_directory(dir_.path()));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"model.vlr"});
}

// A full device: the file size limit makes the write fail part way, as a full disk would.
TEST_F(ModelFileSave, WriteFailureKeepsThePreviousFile) {
    const Model m = BuildRichModel(true, true);
    ASSERT_GT(WriteModelText(m).size(), 4096u);
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const bool saved = SaveModelFile(m, path_, &error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_NE(error.find("write"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(path_), previous_);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"model.vlr"});
}

// ----- rejected files

// A small consistent model whose lines are found by their contents: main goal, goal "Economy"
// with attribute "Price", attribute "Size" under the main goal; alternatives "Alpha" and
// "Beta"; one statement in "Price".
std::vector<std::string> RejectionBase() {
    Model m;
    const NodeId root = m.AddNode(kGoal, kNone);
    const NodeId economy = m.AddNode(kGoal, root);
    const NodeId price = m.AddNode(kAttribute, economy);
    const NodeId size = m.AddNode(kAttribute, root);
    m.RenameNode(economy, "Economy");
    m.RenameNode(price, "Price");
    m.RenameNode(size, "Size");
    m.NewAlternative();
    m.NewAlternative();
    m.CommitCellText(1, 1, "Alpha", false);
    m.CommitCellText(1, 2, "Beta", false);
    m.CommitCellText(3, 1, "price of alpha", false);
    TCardinalStatement s;
    s.Num1 = m.AlternativeId(1);
    s.Num2 = m.AlternativeId(2);
    s.Den1 = m.AlternativeId(1);
    s.Den2 = m.AlternativeId(2);
    s.Lower = 1;
    s.Upper = 1;
    m.StoreRanking(price, {1, 2}, {s});
    return SplitLines(WriteModelText(m));
}

struct Mutation {
    const char* what;
    std::string anchor; // the line the offset counts from
    int offset;
    std::string replacement;
};

// Offsets from the anchors: an alternative block is name, lower, upper, index, K, K pairs,
// regret, flag count, flags; a node block is parent, kind, name, column, eight reals, V,
// V groups of four, then the preference block.
const std::vector<Mutation> kRejected = {
    {"alternative count negative", "Alpha", -1, "-1"},
    {"alternative count absurd", "Alpha", -1, "2147483647"},
    {"alternative count larger than the file", "Alpha", -1, "40"},
    {"alternative count not a number", "Alpha", -1, "two"},
    {"index not the row", "Alpha", 3, "2"},
    {"dominance list shorter than M + 1", "Alpha", 4, "2"},
    {"dominance list longer than M + 1", "Alpha", 4, "4"},
    {"dominance list count absurd", "Alpha", 4, "-2147483648"},
    {"dominance code unknown", "Alpha", 5, "5"},
    {"dominance code not a number", "Alpha", 5, "four"},
    {"flag count 3", "Alpha", 12, "3"},
    {"flag count 5", "Alpha", 12, "5"},
    {"node count negative", "Beta", 17, "-1"},
    {"node count absurd", "Beta", 17, "1000000"},
    {"node count not a number", "Beta", 17, "4.0"},
    {"root is an attribute", "Beta", 18, "1"},
    {"kind unknown", "Price", -1, "2"},
    {"parent index not smaller than the block number", "Size", -2, "3"},
    {"parent index negative", "Size", -2, "-1"},
    {"parent is an attribute", "Size", -2, "2"},
    {"value count abc", "Price", 10, "abc"},
    {"value count smaller than M", "Price", 10, "1"},
    {"value count larger than M", "Price", 10, "3"},
    {"reserved byte out of range", "Price", 19, "256"},
    {"statement count larger than the file", "Price", 22, "100000"},
    {"statement count negative", "Price", 22, "-1"},
    {"statement row 0", "Price", 25, "0"},
    {"statement row above M", "Price", 26, "3"},
    {"statement row not a number", "Price", 27, "x"},
    {"column count smaller than the node count", "price of alpha", -13, "3"},
    {"column count larger than the node count", "price of alpha", -13, "5"},
    {"rank negative", "price of alpha", 1, "-1"},
    {"alternative name of 256 characters", "Alpha", 0, std::string(256, 'a')},
    {"node name of 256 characters", "Price", 0, std::string(256, 'p')},
    {"cell text of 256 characters", "price of alpha", 0, std::string(256, 'c')},
    // Numbers that are not finite are errors, not lines without a number.
    {"statement lower bound nan", "Price", 23, "nan"},
    {"statement upper bound inf", "Price", 24, "inf"},
    {"value bound minus inf", "Alpha", 1, "-inf"},
    {"weight bound out of range", "Price", 2, "1e999"},
    {"maximum regret NaN", "Alpha", 11, "NaN"},
    {"dominance margin nan with payload", "Alpha", 6, " nan(1) "},
    {"cell value infinity", "price of alpha", 2, "+infinity"},
    {"node value minus nan", "Price", 11, "-nan"},
};

class ModelFileRejectLine : public ::testing::TestWithParam<Mutation> {};

TEST(ModelFileReject, AnchorsPointWhereTheyShould) {
    const auto lines = RejectionBase();
    EXPECT_EQ(lines[LineOf(lines, "Alpha") + 4], "3");           // K
    EXPECT_EQ(lines[LineOf(lines, "Alpha") + 12], "4");          // flag count
    EXPECT_EQ(lines[LineOf(lines, "Beta") + 17], "4");           // T
    EXPECT_EQ(lines[LineOf(lines, "Price") - 2], "1");           // parent: Economy
    EXPECT_EQ(lines[LineOf(lines, "Size") - 2], "0");            // parent: main goal
    EXPECT_EQ(lines[LineOf(lines, "Price") + 10], "2");          // V
    EXPECT_EQ(lines[LineOf(lines, "Price") + 22], "1");          // S
    EXPECT_EQ(lines[LineOf(lines, "Price") + 23], "1.000000");   // statement lower
    EXPECT_EQ(lines[LineOf(lines, "price of alpha") - 13], "4"); // N
    Model m;
    EXPECT_TRUE(ReadModelText(m, JoinLines(lines, "\r\n")));
    // A parent that is an earlier goal is fine.
    auto moved = lines;
    moved[LineOf(lines, "Size") - 2] = "1";
    EXPECT_TRUE(ReadModelText(m, JoinLines(moved, "\r\n")));
    EXPECT_EQ(m.Parent(m.NodeAt(3)), m.NodeAt(1));
    // 255 characters fit.
    auto longest = lines;
    longest[LineOf(lines, "Price")] = std::string(255, 'p');
    longest[LineOf(lines, "price of alpha")] = std::string(255, 'c');
    EXPECT_TRUE(ReadModelText(m, JoinLines(longest, "\r\n")));
}

// A model that is loaded already, with both options ticked and observers.
Model PreviousModel() {
    return BuildRichModel(true, true);
}

void ExpectEmptyAndUnchanged(const Model& m) {
    EXPECT_TRUE(m.TreeEmpty());
    EXPECT_EQ(m.M(), 0);
    EXPECT_EQ(m.N(), 0);
    EXPECT_TRUE(m.Assessments().empty());
    // The options are left as they were before the load.
    EXPECT_TRUE(m.TopDownWeights());
    EXPECT_TRUE(m.NormalizedIntervals());
    EXPECT_EQ(velor::testing::CheckInvariants(m), "");
}

TEST_P(ModelFileRejectLine, IsRejectedWithTheMessage) {
    const Mutation& mu = GetParam();
    auto lines = RejectionBase();
    const long at = static_cast<long>(LineOf(lines, mu.anchor)) + mu.offset;
    ASSERT_GE(at, 0);
    ASSERT_LT(at, static_cast<long>(lines.size()));
    lines[static_cast<std::size_t>(at)] = mu.replacement;

    TempDir dir;
    const std::string path = (dir.path() / "bad.vlr").string();
    WriteBytes(path, JoinLines(lines, "\r\n"));
    Model m = PreviousModel();
    std::string reason;
    EXPECT_FALSE(LoadModelFile(m, path, &reason)) << mu.what;
    ExpectEmptyAndUnchanged(m);
    // The reason names the line that was changed and what belongs there.
    EXPECT_EQ(reason.rfind("line " + std::to_string(at + 1) + ": ", 0), 0u) << reason;
    EXPECT_NE(reason.find(" expected"), std::string::npos) << reason;
    EXPECT_EQ(reason.find('\n'), std::string::npos) << reason;
    EXPECT_EQ(InvalidModelMessage(path),
              "File " + path + " is not a valid Velor Model.\nCannot open the file.");
}

INSTANTIATE_TEST_SUITE_P(Cases, ModelFileRejectLine, ::testing::ValuesIn(kRejected),
                         [](const ::testing::TestParamInfo<Mutation>& info) {
                             std::string name = info.param.what;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) {
                                     c = '_';
                                 }
                             }
                             return name;
                         });

TEST(ModelFileReject, ValueCountAbcInTheFirstNodeBlock) {
    auto lines = SplitLines(WriteModelText(ExampleModel()));
    ASSERT_EQ(lines[30], "1");
    lines[30] = "abc";
    Model m = PreviousModel();
    EXPECT_FALSE(ReadModelText(m, JoinLines(lines, "\r\n")));
    ExpectEmptyAndUnchanged(m);
    EXPECT_EQ(WriteModelText(m), "1\r\n1\r\n0\r\n0\r\n0\r\n");
}

TEST(ModelFileReject, EveryTruncatedFile) {
    const std::string full = WriteModelText(BuildRichModel(false, false));
    const auto lines = SplitLines(full);
    Model m;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::string text = JoinLines(
            std::vector<std::string>(lines.begin(), lines.begin() + static_cast<long>(n)), "\r\n");
        EXPECT_FALSE(ReadModelText(m, text)) << n << " lines";
        EXPECT_TRUE(m.TreeEmpty());
        EXPECT_EQ(m.M(), 0);
    }
    EXPECT_TRUE(ReadModelText(m, full));
}

TEST(ModelFileReject, FilesThatCannotBeRead) {
    TempDir dir;
    Model m = PreviousModel();
    EXPECT_FALSE(LoadModelFile(m, (dir.path() / "missing.vlr").string()));
    ExpectEmptyAndUnchanged(m);
    m = PreviousModel();
    EXPECT_FALSE(LoadModelFile(m, dir.path().string())); // a folder
    ExpectEmptyAndUnchanged(m);
    const std::string empty = (dir.path() / "empty.vlr").string();
    WriteBytes(empty, "");
    m = PreviousModel();
    EXPECT_FALSE(LoadModelFile(m, empty));
    ExpectEmptyAndUnchanged(m);
}

// Counts that promise more than the file holds are refused before anything is sized by them.
TEST(ModelFileReject, CountsLargerThanTheFile) {
    Model m;
    EXPECT_FALSE(ReadModelText(m, "0\n0\n30000\n"));
    EXPECT_FALSE(ReadModelText(m, "0\n0\n0\n100000000\n0\n"));
    EXPECT_FALSE(ReadModelText(m, "0\n0\n0\n0\n1\n"));
    // One alternative and a node block that claims many statements.
    auto lines = SplitLines(WriteModelText(ExampleModel()));
    lines[38] = "357913941";
    EXPECT_FALSE(ReadModelText(m, JoinLines(lines, "\n")));
}

// A value tree of more than 10000 nodes is refused as absurd even when the file holds them all.
TEST(ModelFileReject, TooManyNodes) {
    std::string text = "0\n0\n0\n10001\n";
    for (int k = 0; k <= 10000; ++k) {
        text += k == 0 ? "0\n" : "0\n1\n";
        text += "n\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\nNULL\n";
    }
    text += "10001\n";
    Model m;
    EXPECT_FALSE(ReadModelText(m, text));
    EXPECT_TRUE(m.TreeEmpty());
}

std::vector<fs::path> FilesIn(const std::string& folder) {
    const fs::path path = fs::path(VELOR_SOURCE_DIR) / folder;
    EXPECT_TRUE(fs::is_directory(path)) << path;
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(path)) {
        files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// What the reader accepts, the writer writes back to a text that reads and writes the same.
void ExpectStableRoundTrip(const Model& m) {
    const std::string written = WriteModelText(m);
    Model again;
    ASSERT_TRUE(ReadModelText(again, written));
    EXPECT_EQ(WriteModelText(again), written);
}

// The fuzzer's seeds are all valid model files.
TEST(ModelFileReader, SeedCorpusLoads) {
    const auto files = FilesIn("fuzz/corpus/model_reader");
    EXPECT_GE(files.size(), 5u);
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        Model m;
        ASSERT_TRUE(ReadModelText(m, ReadBytes(file.string())));
        ExpectStableRoundTrip(m);
    }
}

// Hostile inputs, and every input the fuzzer ever found a fault with: each must be read without
// a fault, and what is accepted must come back the same from the writer.
TEST(ModelFileReader, FuzzRegressions) {
    for (const auto& file : FilesIn("tests/model/data/model_reader")) {
        SCOPED_TRACE(file.filename().string());
        Model m;
        if (ReadModelText(m, ReadBytes(file.string()))) {
            ExpectStableRoundTrip(m);
        } else {
            EXPECT_TRUE(m.TreeEmpty());
            EXPECT_EQ(m.M(), 0);
        }
    }
}

} // namespace
} // namespace velor
