#include "elicit/cardinal_form.h"

#include "elicit/dialog_result.h"
#include "elicit_gui_support.h"
#include "ui/ui_text.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace velor::elicit::test {
namespace {

using ui::test::ScriptedPrompts;

// Ranked rows good (1), fair (2), bad (3) with alternatives 1, 2, 3.
std::vector<LevelRow> ThreeRows() {
    std::vector<LevelRow> rows;
    const char* labels[] = {"good", "fair", "bad"};
    for (int i = 0; i < 3; ++i)
        rows.push_back(LevelRow{{LevelMember{i + 1, i + 1, i + 1, labels[i], labels[i]}}});
    return rows;
}

class CardinalFormTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(prompts.Done()); }
    QLineEdit* Edit(const char* name) { return Find<QLineEdit>(form.get(), name); }
    QRadioButton* Radio(const char* name) { return Find<QRadioButton>(form.get(), name); }
    QComboBox* Combo(const char* name) { return Find<QComboBox>(form.get(), name); }
    void Open(bool fromRecommendation) {
        form = std::make_unique<CardinalForm>(DialogContext{model.model, prompts},
                                              DifferenceEntries(ThreeRows()), statement,
                                              fromRecommendation);
        form->show();
    }
    void Ok() { QTest::mouseClick(Find<QPushButton>(form.get(), "OKButton"), Qt::LeftButton); }

    ScriptedPrompts prompts;
    SmallModel model{{}};
    TCardinalStatement statement;
    std::unique_ptr<CardinalForm> form;
};

TEST_F(CardinalFormTest, CustomStatementStartsAtTheFirstDifferenceWithoutBounds) {
    Open(false);
    EXPECT_EQ(Combo("NumCombo")->count(), 3);
    EXPECT_EQ(Combo("DenomCombo")->currentText(), QStringLiteral("From (2) fair to (1) good"));
    EXPECT_TRUE(Combo("NumCombo")->isEnabled());
    EXPECT_TRUE(Radio("LBNo")->isChecked());
    EXPECT_TRUE(Radio("UBNo")->isChecked());
}

TEST_F(CardinalFormTest, KeyFilterChecksTheBoundAndRefusesBadKeys) {
    Open(false);
    QTest::keyClicks(Edit("UMultEdit"), QStringLiteral("5"));
    EXPECT_TRUE(Radio("UBYes")->isChecked()) << "typing checks the at-most choice";
    EXPECT_TRUE(Radio("LBNo")->isChecked());

    const QChar sep = QChar::fromLatin1(ui::DecimalSeparator());
    QTest::keyClicks(Edit("LMultEdit"), QStringLiteral("1a-2") + sep + QStringLiteral("5") + sep +
                                            QStringLiteral("7777"));
    EXPECT_EQ(Edit("LMultEdit")->text(), QStringLiteral("12") + sep + QStringLiteral("5777"))
        << "letters, signs, a second separator and an eighth character are refused";
    QTest::keyClick(Edit("LMultEdit"), Qt::Key_Backspace);
    EXPECT_EQ(Edit("LMultEdit")->text().size(), 6);
}

TEST_F(CardinalFormTest, ValidationMessagesKeepTheDialogOpen) {
    Open(false);
    Combo("DenomCombo")->setCurrentIndex(2);
    Ok();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, QStringLiteral("Invalid boundary values"));
    EXPECT_EQ(prompts.messages[0].text,
              QStringLiteral("You must specify at least either lower bound or upper bound!"));
    EXPECT_EQ(prompts.messages[0].icon, ui::Icon::Warning);
    EXPECT_TRUE(form->isVisible());

    QTest::keyClicks(Edit("LMultEdit"), QStringLiteral("3"));
    QTest::keyClicks(Edit("UMultEdit"), QStringLiteral("2"));
    Ok();
    EXPECT_EQ(prompts.LastText(),
              QStringLiteral("Lower bound value must be less than upper bound value!"));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(statement, TCardinalStatement{}) << "nothing written";

    Edit("LMultEdit")->clear();
    QTest::keyClicks(Edit("LMultEdit"), QStringLiteral("2"));
    Ok();
    EXPECT_EQ(form->result(), kResultOk) << "equal bounds are accepted";
    EXPECT_EQ(statement, (TCardinalStatement{1, 2, 2, 3, 2, 2}));
}

TEST_F(CardinalFormTest, LoneSeparatorIsAConversionError) {
    Open(false);
    Combo("DenomCombo")->setCurrentIndex(1);
    QTest::keyClicks(Edit("UMultEdit"), QString(QChar::fromLatin1(ui::DecimalSeparator())));
    Ok();
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(statement, TCardinalStatement{});
}

TEST_F(CardinalFormTest, FixedDifferencesShowTheStatementAndSwapReversesThem) {
    statement = {1, 2, 2, 3, -1, 1.5};
    Open(true);
    EXPECT_FALSE(Combo("NumCombo")->isEnabled());
    EXPECT_EQ(Combo("NumCombo")->currentText(), QStringLiteral("From (2) fair to (1) good"));
    EXPECT_EQ(Combo("DenomCombo")->currentText(), QStringLiteral("From (3) bad to (2) fair"));
    EXPECT_TRUE(Radio("LBNo")->isChecked());
    EXPECT_TRUE(Radio("UBYes")->isChecked());
    const QString sep(QChar::fromLatin1(ui::DecimalSeparator()));
    EXPECT_EQ(Edit("UMultEdit")->text(), QStringLiteral("1") + sep + QStringLiteral("5"));

    QTest::mouseClick(Find<QPushButton>(form.get(), "SwapButton"), Qt::LeftButton);
    EXPECT_EQ(Combo("NumCombo")->currentText(), QStringLiteral("From (3) bad to (2) fair"));
    Ok();
    EXPECT_EQ(statement, (TCardinalStatement{2, 3, 1, 2, -1, 1.5}));
}

TEST_F(CardinalFormTest, CancelLeavesTheStatement) {
    statement = {1, 2, 2, 3, 2, -1};
    Open(true);
    QTest::mouseClick(Find<QRadioButton>(form.get(), "UBYes"), Qt::LeftButton);
    QTest::keyClicks(Edit("UMultEdit"), QStringLiteral("9"));
    QTest::mouseClick(Find<QPushButton>(form.get(), "CancelButton"), Qt::LeftButton);
    EXPECT_EQ(form->result(), kResultCancel);
    EXPECT_EQ(statement, (TCardinalStatement{1, 2, 2, 3, 2, -1}));
}

} // namespace
} // namespace velor::elicit::test
