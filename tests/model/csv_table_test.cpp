// The CSV reader and writer: whatever the writer writes reads back as the same records with
// every separator; quoting, line ends, byte order marks and separator detection; every kind of
// damaged text is refused with the line it starts on.
#include "model/csv_table.h"

#include <gtest/gtest.h>

#include <random>

namespace velor {
namespace {

using Records = std::vector<std::vector<std::string>>;

Records Parse(std::string_view text, char separator = kCsvDetect) {
    CsvTable table;
    CsvError error;
    EXPECT_TRUE(ParseCsv(text, separator, table, &error)) << error.Text();
    return table.Records;
}

// A random field from pieces that need quoting (separators, quotes, line ends, blanks at either
// end, non-ASCII letters) and plain ones.
std::string RandomField(std::mt19937& random) {
    static const std::vector<std::string> kPieces = {
        "a",        "Price",        " ",    ",",   ";",           "\t", "\"", "\n",
        "\xc3\xa9", "\xe2\x82\xac", "12.5", "x y", "\xef\xbb\xbf"};
    std::string field;
    const int length = static_cast<int>(random() % 6);
    for (int i = 0; i < length; ++i) {
        field += kPieces[random() % kPieces.size()];
    }
    return field;
}

class CsvRoundTrip : public ::testing::TestWithParam<char> {};

TEST_P(CsvRoundTrip, RandomRecordsReadBackUnchanged) {
    std::mt19937 random(20240611u + static_cast<unsigned>(GetParam()));
    for (int round = 0; round < 300; ++round) {
        Records records(1 + random() % 6);
        const std::size_t fields = 1 + random() % 5;
        for (auto& record : records) {
            for (std::size_t f = 0; f < fields; ++f) {
                record.push_back(RandomField(random));
            }
        }
        const bool bom = round % 2 == 0;
        const std::string text = WriteCsv(records, GetParam(), bom);
        CsvTable table;
        CsvError error;
        ASSERT_TRUE(ParseCsv(text, GetParam(), table, &error)) << error.Text() << "\n" << text;
        EXPECT_EQ(table.Records, records) << text;
        EXPECT_EQ(table.Separator, GetParam());
    }
}

INSTANTIATE_TEST_SUITE_P(Separators, CsvRoundTrip, ::testing::Values(',', ';', '\t'));

struct DetectCase {
    const char* text;
    char separator;
};

void PrintTo(const DetectCase& value, std::ostream* out) {
    *out << ::testing::PrintToString(std::string(value.text));
}

class CsvDetect : public ::testing::TestWithParam<DetectCase> {};

TEST_P(CsvDetect, FindsTheSeparatorOfTheFirstRecord) {
    EXPECT_EQ(DetectCsvSeparator(GetParam().text), GetParam().separator);
    CsvTable table;
    ASSERT_TRUE(ParseCsv(GetParam().text, kCsvDetect, table));
    EXPECT_EQ(table.Separator, GetParam().separator);
}

INSTANTIATE_TEST_SUITE_P(Texts, CsvDetect,
                         ::testing::Values(DetectCase{"Name,Price,Comfort\nA,1,2\n", ','},
                                           DetectCase{"Name;Price;Comfort\nA;1,5;2,25\n", ';'},
                                           DetectCase{"Name\tPrice\nA\t1,5;3\n", '\t'},
                                           DetectCase{"\xef\xbb\xbfName;Price\n", ';'},
                                           DetectCase{"\"a,b,c\";x\n",
                                                      ';'}, // separators in quotes do not count
                                           DetectCase{"Name\n", ','}, DetectCase{"a;b,c\n", ';'},
                                           DetectCase{"a\tb;c\n", '\t'}));

TEST(CsvTable, QuotesLineEndsAndBomAreRead) {
    const Records expected = {
        {"Name", "Price"}, {"A, the first", "say \"hi\"\nand go"}, {"\xc3\x89t\xc3\xa9", ""}};
    EXPECT_EQ(Parse("\xef\xbb\xbfName,Price\r\n\"A, the first\",\"say \"\"hi\"\"\r\nand "
                    "go\"\r\n\xc3\x89t\xc3\xa9,\r\n"),
              expected);
    // LF and lone CR line ends, empty lines and a missing final line end.
    EXPECT_EQ(Parse("Name,Price\n\nA, the first,x\r\r\n"),
              (Records{{"Name", "Price"}, {"A", " the first", "x"}}));
    EXPECT_EQ(Parse("a,b"), (Records{{"a", "b"}}));
    EXPECT_EQ(Parse("a,"), (Records{{"a", ""}}));
    EXPECT_EQ(Parse(""), Records{});
}

TEST(CsvTable, RecordsKnowTheLineTheyStartOn) {
    CsvTable table;
    ASSERT_TRUE(ParseCsv("h1,h2\n\"two\nlines\",x\n\nlast,y\n", ',', table));
    EXPECT_EQ(table.Lines, (std::vector<int>{1, 2, 5}));
}

struct BadCase {
    const char* name;
    const char* text;
    int line;
    const char* message;
};

void PrintTo(const BadCase& value, std::ostream* out) {
    *out << value.name;
}

class CsvBadText : public ::testing::TestWithParam<BadCase> {};

TEST_P(CsvBadText, IsRefusedWithItsLine) {
    CsvTable table;
    CsvError error;
    EXPECT_FALSE(ParseCsv(GetParam().text, ',', table, &error));
    EXPECT_TRUE(table.Records.empty());
    EXPECT_EQ(error.Line, GetParam().line);
    EXPECT_NE(error.Message.find(GetParam().message), std::string::npos) << error.Message;
    EXPECT_EQ(error.Text().rfind("line " + std::to_string(GetParam().line) + ": ", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, CsvBadText,
    ::testing::Values(
        BadCase{"Unclosed", "Name,Price\nA,\"12\nB,3\n", 2, "quoted field is not closed"},
        BadCase{"TextAfterQuote", "Name,Price\nA,\"12\"x\n", 2, "after the closing quote"},
        BadCase{"BareQuote", "Name,Price\nA,\"1\"\nB,12\" screen\n", 3, "quote inside a field"},
        BadCase{"NotUtf8", "Name,Price\nA,caf\xe9\n", 2, "not UTF-8"},
        BadCase{"Overlong", "Name\n\xc0\xaf\n", 2, "not UTF-8"},
        BadCase{"TruncatedSequence", "Name\n\"\xe2\x82", 2, "not UTF-8"},
        BadCase{"LineAfterQuotedBreak", "a,\"x\ny\"\nb,c\"d\n", 3, "quote inside"},
        BadCase{"Escape", "Name\nA\x1b[31m\n", 2, "control character U+001B"},
        BadCase{"ControlInQuotes", "a,\"x\n\x01\"\n", 2, "control character U+0001"},
        BadCase{"FormFeed", "Name,Price\nA,\f\n", 2, "control character U+000C"}),
    [](const auto& info) { return std::string(info.param.name); });

// UTF-16 (as spreadsheets save "Unicode text") from an ASCII table.
std::string Utf16(std::string_view ascii, bool bigEndian, bool bom) {
    std::string out = bom ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
    for (char c : ascii) {
        out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    }
    return out;
}

TEST(CsvTable, Utf16AndNulAreRefusedForWhatTheyAre) {
    const std::string table = "Name\tPrice\tComfort\r\nA\t1\t2\r\n";
    for (bool bigEndian : {false, true}) {
        for (bool bom : {false, true}) {
            CsvTable parsed;
            CsvError error;
            EXPECT_FALSE(ParseCsv(Utf16(table, bigEndian, bom), kCsvDetect, parsed, &error));
            EXPECT_EQ(error.Line, 1);
            EXPECT_NE(error.Message.find("UTF-16"), std::string::npos) << error.Message;
        }
    }
    CsvTable parsed;
    CsvError error;
    EXPECT_FALSE(ParseCsv(std::string("Name,Price\nA,1\0002\n", 16), ',', parsed, &error));
    EXPECT_EQ(error.Text(), "line 2: a field holds the control character U+0000");
}

struct GuardCase {
    const char* text;
    const char* guarded;
};

class CsvFormulaGuard : public ::testing::TestWithParam<GuardCase> {};

TEST_P(CsvFormulaGuard, GuardsFormulasAndTakesItsOwnApostropheAwayAgain) {
    EXPECT_EQ(FormulaGuarded(GetParam().text), GetParam().guarded);
    EXPECT_EQ(WithoutFormulaGuard(GetParam().guarded), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Texts, CsvFormulaGuard,
                         ::testing::Values(GuardCase{"=HYPERLINK(\"x\")", "'=HYPERLINK(\"x\")"},
                                           GuardCase{"+1+2", "'+1+2"}, GuardCase{"-", "'-"},
                                           GuardCase{"@SUM(A1)", "'@SUM(A1)"},
                                           GuardCase{"\tx", "'\tx"}, GuardCase{"\r=1", "'\r=1"},
                                           GuardCase{"'=1", "''=1"}, GuardCase{"''@", "'''@"},
                                           GuardCase{"-12.5", "-12.5"}, GuardCase{"+3e4", "+3e4"},
                                           GuardCase{"-1,5", "-1,5"}, GuardCase{"-.5E-3", "-.5E-3"},
                                           GuardCase{"'-5", "'-5"}, GuardCase{"'", "'"},
                                           GuardCase{"", ""}, GuardCase{"a=b", "a=b"}));

TEST(CsvTable, FormulaGuardRoundTripsEveryText) {
    std::mt19937 random(4711u);
    static const std::vector<std::string> kPieces = {"=", "+", "-", "@", "\t", "\r", "'",
                                                     "1", ".", ",", "e", "x",  " "};
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        for (int i = static_cast<int>(random() % 5); i > 0; --i) {
            text += kPieces[random() % kPieces.size()];
        }
        const std::string guarded = FormulaGuarded(text);
        EXPECT_EQ(WithoutFormulaGuard(guarded), text) << text;
        EXPECT_TRUE(guarded == text || guarded == "'" + text) << text;
    }
}

TEST(CsvTable, FieldsAreQuotedOnlyWhenNeeded) {
    EXPECT_EQ(CsvField("plain text", ','), "plain text");
    EXPECT_EQ(CsvField("a;b", ','), "a;b");
    EXPECT_EQ(CsvField("a;b", ';'), "\"a;b\"");
    EXPECT_EQ(CsvField("say \"hi\"", ','), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField(" padded", ','), "\" padded\"");
    EXPECT_EQ(WriteCsv({{"a", "b"}, {""}, {}}, ','), "a,b\r\n\"\"\r\n\r\n");
}

TEST(CsvTable, SeparatorNames) {
    char separator = 'x';
    EXPECT_TRUE(CsvSeparatorFromName("semicolon", separator));
    EXPECT_EQ(separator, ';');
    EXPECT_TRUE(CsvSeparatorFromName("tab", separator));
    EXPECT_EQ(separator, '\t');
    EXPECT_TRUE(CsvSeparatorFromName("auto", separator));
    EXPECT_EQ(separator, kCsvDetect);
    EXPECT_FALSE(CsvSeparatorFromName("pipe", separator));
}

} // namespace
} // namespace velor
