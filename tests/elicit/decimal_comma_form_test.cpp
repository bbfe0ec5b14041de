// The assessment dialogs in a session whose locale writes a comma as decimal separator (the
// desktop application sets the C library's locale from the environment as well).
#include "elicit/score_form.h"
#include "elicit/weight_form.h"

#include "elicit/dialog_result.h"
#include "elicit_gui_support.h"

#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace velor::elicit::test {
namespace {

using ui::test::ScriptedPrompts;

class DecimalCommaTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* current = std::setlocale(LC_ALL, nullptr);
        savedC_ = current != nullptr ? current : "C";
        if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
            GTEST_SKIP() << "de_DE.UTF-8 is not installed (scripts/setup generates it)";
        }
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }
    void TearDown() override {
        std::setlocale(LC_ALL, savedC_.c_str());
        QLocale::setDefault(savedQt_);
        EXPECT_TRUE(prompts.Done());
    }

    ScriptedPrompts prompts;

private:
    std::string savedC_;
    QLocale savedQt_;
};

// "0,5" typed as a ratio bound is 0.5 in the model, and the statement list shows "0,5".
TEST_F(DecimalCommaTest, ARatioBoundTypedWithACommaIsStoredAndShown) {
    SmallModel s({"high", "medium", "low"});
    s.model.StoreRanking(s.attribute, {1, 2, 3}, {});
    ScoreForm form({s.model, prompts}, s.Entry());
    form.show();
    Find<QTabWidget>(&form, "TabCtrl")->setCurrentIndex(1);

    auto ran = OnCardinalForm([](CardinalForm& ratio) {
        auto* num = Find<QComboBox>(&ratio, "NumCombo");
        num->setCurrentIndex(num->findText(QStringLiteral("From (3) low to (2) medium")));
        QTest::keyClicks(Find<QLineEdit>(&ratio, "LMultEdit"), QStringLiteral("0,5"));
        QTest::keyClicks(Find<QLineEdit>(&ratio, "UMultEdit"), QStringLiteral("2,25"));
        EXPECT_EQ(Find<QLineEdit>(&ratio, "LMultEdit")->text(), QStringLiteral("0,5"));
        QTest::mouseClick(Find<QPushButton>(&ratio, "OKButton"), Qt::LeftButton);
        EXPECT_FALSE(ratio.isVisible());
    });

    QTest::mouseClick(Find<QPushButton>(&form, "NewButton"), Qt::LeftButton);
    ASSERT_TRUE(*ran);

    auto* given = Find<QTreeWidget>(&form, "CardPrefView");
    ASSERT_EQ(given->topLevelItemCount(), 1);
    EXPECT_EQ(given->topLevelItem(0)->text(2), QStringLiteral("0,5"));
    EXPECT_EQ(given->topLevelItem(0)->text(3), QStringLiteral("2,25"));

    QTest::mouseClick(Find<QPushButton>(&form, "OKButton"), Qt::LeftButton);
    ASSERT_EQ(form.result(), kResultOk);
    const auto& statements = s.model.Preference(s.attribute)->Statements;
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0].Lower, 0.5);
    EXPECT_EQ(statements[0].Upper, 2.25);
}

// "80.5" typed as a weight bound in a comma session used to be stored as 805, and "0.5" as a
// ratio bound as 5. The point marks the decimals and shows as a comma.
TEST_F(DecimalCommaTest, NumbersTypedWithAPointAreReadAsDecimals) {
    SmallModel s({"high", "low"});
    const NodeId price = s.model.AddNode(kAttribute, s.root);
    WeightForm weights({s.model, prompts}, kNone);
    weights.WeightGrid->item(0, kLowerColumn)->setText(QStringLiteral("100"));
    weights.WeightGrid->item(0, kUpperColumn)->setText(QStringLiteral("100"));
    weights.WeightGrid->setCurrentCell(1, kLowerColumn);
    weights.show();
    QTest::keyClicks(weights.WeightGrid, QStringLiteral("8"));
    QTest::keyClicks(weights.WeightGrid->indexWidget(weights.WeightGrid->currentIndex()),
                     QStringLiteral("0.5"));
    weights.OKButtonClick();
    EXPECT_EQ(weights.WeightGrid->item(1, kLowerColumn)->text(), QStringLiteral("80,5"));
    EXPECT_EQ(s.model.Node(price).BottomUpLower, 80.5);

    TCardinalStatement ratio;
    CardinalForm form({s.model, prompts, nullptr}, {{{1, 2}, "up"}, {{2, 1}, "down"}}, ratio,
                      false);
    Find<QComboBox>(&form, "DenomCombo")->setCurrentIndex(1);
    QTest::keyClicks(Find<QLineEdit>(&form, "LMultEdit"), QStringLiteral("0.5"));
    form.OKButtonClick();
    EXPECT_EQ(ratio.Lower, 0.5);
}

} // namespace
} // namespace velor::elicit::test
