#include "elicit/cardinal_form.h"

#include "elicit/decimal_entry.h"
#include "elicit/dialog_result.h"
#include "model/model.h"
#include "ui/prompts.h"
#include "ui/ui_text.h"

#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace velor::elicit {

namespace {

QString Q(const char* text) {
    return QString::fromUtf8(text);
}

// One bound: "No ... Bound" on the first line, the number and "times" on the second.
QGroupBox* BoundGroup(QWidget* parent, const QString& title, const QString& objectName,
                      QRadioButton* no, QRadioButton* yes, QLineEdit* edit) {
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(objectName);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(no);
    auto* line = new QHBoxLayout;
    line->addWidget(yes);
    line->addWidget(edit);
    auto* times = new QLabel(Q("times"), group);
    times->setObjectName(objectName + QStringLiteral("TimesLabel"));
    line->addWidget(times);
    line->addStretch(1);
    layout->addLayout(line);
    return group;
}

} // namespace

CardinalForm::CardinalForm(const DialogContext& context, std::vector<DifferenceEntry> entries,
                           TCardinalStatement& statement, bool fromRecommendation)
    : QDialog(context.parent), context_(context), statement_(statement),
      separator_(ui::DecimalSeparator()),
      input_(std::move(entries), statement, fromRecommendation, separator_) {
    setObjectName(QStringLiteral("CardinalForm"));
    setWindowTitle(Q("Cardinal Preference"));
    setModal(true);

    auto* sentence1 = new QLabel(Q("The increase in value when the consequence is changed"), this);
    sentence1->setObjectName(QStringLiteral("NumLabel"));
    NumCombo = new QComboBox(this);
    NumCombo->setObjectName(QStringLiteral("NumCombo"));
    auto* isLabel = new QLabel(Q("is"), this);
    isLabel->setObjectName(QStringLiteral("IsLabel"));

    LBNo = new QRadioButton(Q("No Lower Bound"), this);
    LBNo->setObjectName(QStringLiteral("LBNo"));
    LBYes = new QRadioButton(this);
    LBYes->setObjectName(QStringLiteral("LBYes"));
    LBYes->setAccessibleName(Q("Lower bound"));
    LMultEdit = new QLineEdit(this);
    LMultEdit->setObjectName(QStringLiteral("LMultEdit"));
    UBNo = new QRadioButton(Q("No Upper Bound"), this);
    UBNo->setObjectName(QStringLiteral("UBNo"));
    UBYes = new QRadioButton(this);
    UBYes->setObjectName(QStringLiteral("UBYes"));
    UBYes->setAccessibleName(Q("Upper bound"));
    UMultEdit = new QLineEdit(this);
    UMultEdit->setObjectName(QStringLiteral("UMultEdit"));
    for (QLineEdit* edit : {LMultEdit, UMultEdit}) {
        edit->setMaxLength(kMultiplierMaxLength);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 16);
        edit->installEventFilter(this);
    }
    auto* atLeast =
        BoundGroup(this, Q("at least"), QStringLiteral("LowerGroup"), LBNo, LBYes, LMultEdit);
    auto* atMost =
        BoundGroup(this, Q("at most"), QStringLiteral("UpperGroup"), UBNo, UBYes, UMultEdit);

    auto* sentence2 =
        new QLabel(Q("greater than the increase in value when the consequence is changed"), this);
    sentence2->setObjectName(QStringLiteral("DenomLabel"));
    DenomCombo = new QComboBox(this);
    DenomCombo->setObjectName(QStringLiteral("DenomCombo"));

    OKButton = new QPushButton(Q("&OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(Q("&Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    SwapButton = new QPushButton(Q("&Swap"), this);
    SwapButton->setObjectName(QStringLiteral("SwapButton"));

    for (const auto& entry : input_.Entries()) {
        NumCombo->addItem(ui::ToQ(entry.Text));
        DenomCombo->addItem(ui::ToQ(entry.Text));
    }
    const int comboWidth = std::max(NumCombo->sizeHint().width(), 320);
    NumCombo->setMinimumWidth(comboWidth);
    DenomCombo->setMinimumWidth(comboWidth);

    auto* bounds = new QHBoxLayout;
    bounds->addWidget(atLeast);
    bounds->addWidget(atMost);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    buttons->addWidget(SwapButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sentence1);
    layout->addWidget(NumCombo);
    layout->addWidget(isLabel);
    layout->addLayout(bounds);
    layout->addWidget(sentence2);
    layout->addWidget(DenomCombo);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    connect(NumCombo, &QComboBox::currentIndexChanged, this, &CardinalForm::NumComboChange);
    connect(DenomCombo, &QComboBox::currentIndexChanged, this, &CardinalForm::DenomComboChange);
    connect(LBNo, &QRadioButton::clicked, this, &CardinalForm::LBNoClick);
    connect(LBYes, &QRadioButton::clicked, this, &CardinalForm::LBYesClick);
    connect(UBNo, &QRadioButton::clicked, this, &CardinalForm::UBNoClick);
    connect(UBYes, &QRadioButton::clicked, this, &CardinalForm::UBYesClick);
    connect(LMultEdit, &QLineEdit::textChanged, this, &CardinalForm::LMultEditChange);
    connect(UMultEdit, &QLineEdit::textChanged, this, &CardinalForm::UMultEditChange);
    connect(SwapButton, &QPushButton::clicked, this, &CardinalForm::SwapButtonClick);
    connect(OKButton, &QPushButton::clicked, this, &CardinalForm::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &CardinalForm::CancelButtonClick);

    ShowInput();
    setFixedSize(sizeHint());
}

void CardinalForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void CardinalForm::FormShow() {
    // Centred on the screen.
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void CardinalForm::ShowInput() {
    const QSignalBlocker b1(NumCombo), b2(DenomCombo), b3(LMultEdit), b4(UMultEdit);
    NumCombo->setCurrentIndex(input_.NumIndex());
    DenomCombo->setCurrentIndex(input_.DenomIndex());
    NumCombo->setEnabled(input_.DifferencesEnabled());
    DenomCombo->setEnabled(input_.DifferencesEnabled());
    (input_.BoundGiven(Bound::Lower) ? LBYes : LBNo)->setChecked(true);
    (input_.BoundGiven(Bound::Upper) ? UBYes : UBNo)->setChecked(true);
    LMultEdit->setText(ui::ToQ(input_.BoundText(Bound::Lower)));
    UMultEdit->setText(ui::ToQ(input_.BoundText(Bound::Upper)));
}

void CardinalForm::NumComboChange(int index) {
    input_.SelectNum(index);
}

void CardinalForm::DenomComboChange(int index) {
    input_.SelectDenom(index);
}

void CardinalForm::LBNoClick() {
    input_.SetBoundGiven(Bound::Lower, false);
}

void CardinalForm::LBYesClick() {
    input_.SetBoundGiven(Bound::Lower, true);
}

void CardinalForm::UBNoClick() {
    input_.SetBoundGiven(Bound::Upper, false);
}

void CardinalForm::UBYesClick() {
    input_.SetBoundGiven(Bound::Upper, true);
}

void CardinalForm::LMultEditChange(const QString& text) {
    input_.SetBoundText(Bound::Lower, ui::ToStd(text));
}

void CardinalForm::UMultEditChange(const QString& text) {
    input_.SetBoundText(Bound::Upper, ui::ToStd(text));
}

bool CardinalForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == LMultEdit)
            return MultEditKeyPress(Bound::Lower, LMultEdit, key);
        if (watched == UMultEdit)
            return MultEditKeyPress(Bound::Upper, UMultEdit, key);
    }
    return QDialog::eventFilter(watched, event);
}

bool CardinalForm::MultEditKeyPress(Bound bound, QLineEdit* edit, QKeyEvent* key) {
    char c = 0;
    switch (key->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
        return false; // moving, deleting forward and leaving are not typing
    case Qt::Key_Backspace:
        c = kBackspaceKey;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        c = kEnterKey;
        break;
    default: {
        const QString text = key->text();
        if (text.size() == 1 && text.at(0).unicode() < 128)
            c = static_cast<char>(text.at(0).unicode());
        break;
    }
    }
    if (c == 0 || !AcceptMultiplierKey(ui::ToStd(edit->text()), c, separator_))
        return true;
    QRadioButton* yes = bound == Bound::Lower ? LBYes : UBYes;
    if (!yes->isChecked()) {
        yes->setChecked(true);
        input_.SetBoundGiven(bound, true);
    }
    const char entered = EnteredChar(c, separator_);
    if (entered != c) {
        edit->insert(QString(QLatin1Char(entered))); // the point or comma as the locale writes it
        return true;
    }
    return false;
}

void CardinalForm::SwapButtonClick() {
    input_.Swap();
    const QSignalBlocker b1(NumCombo), b2(DenomCombo);
    NumCombo->setCurrentIndex(input_.NumIndex());
    DenomCombo->setCurrentIndex(input_.DenomIndex());
}

void CardinalForm::OKButtonClick() {
    TCardinalStatement result = statement_;
    const auto verdict = input_.Apply(result);
    using Problem = RatioStatementInput::Problem;
    if (verdict.Issue == Problem::ConversionError) {
        context_.prompts.ErrorBox(ui::ToQ(verdict.Message));
        return;
    }
    if (verdict.Issue != Problem::None) {
        context_.prompts.Message(Q(kInvalidBoundsCaption), ui::ToQ(verdict.Message),
                                 ui::Icon::Warning, ui::Buttons::Ok);
        if (verdict.FocusOn == RatioStatementInput::Focus::LowerYes)
            LBYes->setFocus();
        else
            LMultEdit->setFocus();
        return;
    }
    statement_ = result;
    done(kResultOk);
}

void CardinalForm::CancelButtonClick() {
    done(kResultCancel);
}

void CardinalForm::reject() {
    CancelButtonClick();
}

int ShowCardinalPreference(const DialogContext& context, std::vector<DifferenceEntry> entries,
                           TCardinalStatement& statement, bool fromRecommendation) {
    CardinalForm form(context, std::move(entries), statement, fromRecommendation);
    const int result = form.exec();
    return result == kResultOk ? kResultOk : kResultCancel;
}

} // namespace velor::elicit
