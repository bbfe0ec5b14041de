// The ratio statement dialog "Cardinal Preference": one statement comparing two differences of
// value between ranked levels, with an optional lower and upper multiplier.
#pragma once

#include "elicit/dialog_context.h"
#include "elicit/ratio_statement.h"

#include <QDialog>

#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace velor::elicit {

class CardinalForm : public QDialog {
    Q_OBJECT
public:
    // statement is written only on OK. fromRecommendation fixes the two differences (a proposal
    // being added, or a given statement being edited).
    CardinalForm(const DialogContext& context, std::vector<DifferenceEntry> entries,
                 TCardinalStatement& statement, bool fromRecommendation);

    const RatioStatementInput& Input() const { return input_; }

    void reject() override;

public Q_SLOTS:
    void NumComboChange(int index);
    void DenomComboChange(int index);
    void LBNoClick();
    void LBYesClick();
    void UBNoClick();
    void UBYesClick();
    void LMultEditChange(const QString& text);
    void UMultEditChange(const QString& text);
    void SwapButtonClick();
    void OKButtonClick();
    void CancelButtonClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void ShowInput();
    // The key filter of a multiplier edit; true when the key is discarded.
    bool MultEditKeyPress(Bound bound, QLineEdit* edit, QKeyEvent* key);

    DialogContext context_;
    TCardinalStatement& statement_;
    char separator_;
    RatioStatementInput input_;
    bool shown_ = false;

    QComboBox* NumCombo = nullptr;
    QComboBox* DenomCombo = nullptr;
    QRadioButton* LBNo = nullptr;
    QRadioButton* LBYes = nullptr;
    QLineEdit* LMultEdit = nullptr;
    QRadioButton* UBNo = nullptr;
    QRadioButton* UBYes = nullptr;
    QLineEdit* UMultEdit = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* SwapButton = nullptr;
};

// Opens the dialog modally; returns kResultOk after the statement was written, else
// kResultCancel.
int ShowCardinalPreference(const DialogContext& context, std::vector<DifferenceEntry> entries,
                           TCardinalStatement& statement, bool fromRecommendation);

} // namespace velor::elicit
