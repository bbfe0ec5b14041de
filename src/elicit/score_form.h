// The score assessment dialog: ranking the achievement levels of one node (an attribute's
// consequences, or the alternatives under a goal) and stating ratio statements between
// differences of those levels. The rules live in ScoreAssessment; the form shows its state and
// turns clicks into its operations.
#pragma once

#include "elicit/dialog_context.h"
#include "elicit/score_assessment.h"
#include "model/records.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;
class QScrollArea;
class QTreeWidget;

namespace velor::elicit {

class ScoreForm : public QDialog {
    Q_OBJECT
public:
    // entry must satisfy ScoreAssessment::CanAssess.
    ScoreForm(const DialogContext& context, EntryId entry, int tourStep = 0, int tourSteps = 0);

    const ScoreAssessment& Assessment() const { return logic_; }
    // Shows a statement opened from elsewhere: the ratio statement at position statement on
    // its page, else the level holding alternative level in its list (kNone, -1: nothing).
    void ShowStatement(AltId level, int statement);

    // Escape and the window's close box act as Cancel, and not at all while Cancel is disabled.
    void reject() override;

public Q_SLOTS:
    void UnrankedListClick();
    void UnrankedListDblClick();
    void RankedListClick();
    void LessButtonClick();
    void UpButtonClick();
    void DownButtonClick();
    void OrdRemButtonClick();
    void RecomComboChange(int index);
    void RecomViewClick();
    void RecomViewDblClick();
    void CardPrefViewClick();
    void CardPrefViewDblClick();
    void AddButtonClick();
    void RemoveButtonClick();
    void EditButtonClick();
    void NewButtonClick();
    void OKButtonClick();
    void CancelButtonClick();
    void BackButtonClick();
    void AbortButtonClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildPages();
    void FormShow();
    void ShowLevels();
    void ShowOrdinalButtons();
    void ShowRecommendations();
    void ShowGiven();
    void ShowStatementButtons();
    void ShowCloseButtons();
    // After any change of the ranking: lists, buttons, proposals and statement texts.
    void ShowAll();

    DialogContext context_;
    ScoreAssessment logic_;
    bool shown_ = false;

    QTabWidget* TabCtrl = nullptr;
    // Holds the pages and the buttons; scrolls when the screen is smaller than they are.
    QScrollArea* Scroll = nullptr;
    QLabel* ScoreNameLabel = nullptr;
    QLabel* InfoLabel = nullptr;
    QListWidget* UnrankedList = nullptr;
    QListWidget* RankedList = nullptr;
    QPushButton* LessButton = nullptr;
    QPushButton* UpButton = nullptr;
    QPushButton* DownButton = nullptr;
    QPushButton* OrdRemButton = nullptr;
    QLabel* ScoreNameLabel2 = nullptr;
    QComboBox* RecomCombo = nullptr;
    QTreeWidget* RecomView = nullptr;
    QPushButton* AddButton = nullptr;
    QPushButton* RemoveButton = nullptr;
    QPushButton* EditButton = nullptr;
    QPushButton* NewButton = nullptr;
    QTreeWidget* CardPrefView = nullptr;
    QCheckBox* UseValueFunction = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* BackButton = nullptr;
    QPushButton* AbortButton = nullptr;
};

// Opens the dialog for an assessment entry of kind "Score Assessment" or "Holistic Comparison"
// and returns its DialogResult; an entry without a statement set opens nothing and returns
// kResultCancel. tourStep and tourSteps are both 0 outside the elicitation tour.
int ShowScoreAssessment(const AssessmentContext& context, EntryId entry, int tourStep = 0,
                        int tourSteps = 0, AltId level = kNone, int statement = -1);

} // namespace velor::elicit
