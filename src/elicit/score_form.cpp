#include "elicit/score_form.h"

#include "calc/calculation_driver.h"
#include "elicit/cardinal_form.h"
#include "elicit/dialog_result.h"
#include "elicit/feasibility_form.h"
#include "ui/prompts.h"
#include "ui/ui_text.h"
#include "ui/widget_placement.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace velor::elicit {

namespace {

QString Q(const char* text) {
    return QString::fromUtf8(text);
}

QLabel* NamedLabel(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromUtf8(name));
    return label;
}

QPushButton* NamedButton(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromUtf8(name));
    return button;
}

QTreeWidget* StatementView(const QStringList& columns, const char* name, QWidget* parent) {
    auto* view = new QTreeWidget(parent);
    view->setObjectName(QString::fromUtf8(name));
    view->setColumnCount(static_cast<int>(columns.size()));
    view->setHeaderLabels(columns);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setAllColumnsShowFocus(true);
    return view;
}

// Puts the current row of a list or view on index (-1: none) without signals.
void SetCurrentRow(QListWidget* list, int index) {
    const QSignalBlocker block(list);
    list->setCurrentRow(index);
    if (index < 0)
        list->clearSelection();
}

void SetCurrentItem(QTreeWidget* view, int index) {
    const QSignalBlocker block(view);
    QTreeWidgetItem* item = index >= 0 ? view->topLevelItem(index) : nullptr;
    view->setCurrentItem(item);
    if (!item)
        view->clearSelection();
}

// The alternatives holding an unranked level, kept beside its text.
constexpr int kHoldersRole = Qt::UserRole + 1;

// Paints a level's text as usual and the alternatives holding it after it, in the dimmed
// colour, so the item's text stays the level alone.
class LevelDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        const QString holders = index.data(kHoldersRole).toString();
        if (holders.isEmpty())
            return;
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QWidget* widget = item.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const int used = item.fontMetrics.horizontalAdvance(item.text) + margin;
        QRect rest = textRect.adjusted(used + item.fontMetrics.horizontalAdvance(QLatin1Char(' ')),
                                       0, -margin, 0);
        if (rest.width() <= 0)
            return;
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        painter->save();
        painter->setFont(item.font);
        painter->setPen(option.palette.color(
            selected ? QPalette::HighlightedText : QPalette::PlaceholderText));
        const QString text = item.fontMetrics.elidedText(QStringLiteral("(") + holders +
                                                             QStringLiteral(")"),
                                                         Qt::ElideRight, rest.width());
        painter->drawText(rest, Qt::AlignLeft | Qt::AlignVCenter, text);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const QString holders = index.data(kHoldersRole).toString();
        if (!holders.isEmpty())
            size.rwidth() += option.fontMetrics.horizontalAdvance(QStringLiteral(" (") + holders +
                                                                  QStringLiteral(")"));
        return size;
    }
};

} // namespace

namespace {

// What the window system's title bar and frame take of the screen's width and height.
constexpr int kFrameWidthAllowance = 16;
constexpr int kFrameHeightAllowance = 40;

} // namespace

ScoreForm::ScoreForm(const DialogContext& context, EntryId entry, int tourStep, int tourSteps)
    : QDialog(context.parent), context_(context),
      logic_(context.model, entry, tourStep, tourSteps) {
    setObjectName(QStringLiteral("ScoreForm"));
    setModal(true);
    setWindowTitle(ui::ToQ(logic_.Caption()));
    BuildPages();
    ShowAll();
    ShowCloseButtons();
    TabCtrl->setCurrentIndex(logic_.StartOnOrdinalPage() ? 0 : 1);
    // The size the pages and buttons want; on a screen too small for it (a large scale factor)
    // the dialog takes what the screen has and its content scrolls.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    setFixedSize(ui::ScrollingDialogSize(Scroll->widget()->sizeHint(),
                                         ui::AvailableSizeFor(context.parent) -
                                             QSize(kFrameWidthAllowance, kFrameHeightAllowance),
                                         bar));
}

void ScoreForm::BuildPages() {
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("ScoreContent"));
    TabCtrl = new QTabWidget(content);
    TabCtrl->setObjectName(QStringLiteral("TabCtrl"));
    const QString name = ui::ToQ(logic_.NodeName());

    // ----- "Ordinal Ranking"
    auto* ordinal = new QWidget(TabCtrl);
    ordinal->setObjectName(QStringLiteral("OrdinalPage"));
    ScoreNameLabel = NamedLabel(name, "ScoreNameLabel", ordinal);
    QFont bold = ScoreNameLabel->font();
    bold.setBold(true);
    ScoreNameLabel->setFont(bold);
    InfoLabel = NamedLabel(Q(logic_.InfoText()), "InfoLabel", ordinal);
    InfoLabel->setWordWrap(true);
    UnrankedList = new QListWidget(ordinal);
    UnrankedList->setObjectName(QStringLiteral("UnrankedList"));
    RankedList = new QListWidget(ordinal);
    RankedList->setObjectName(QStringLiteral("RankedList"));
    for (QListWidget* list : {UnrankedList, RankedList}) {
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setMinimumSize(220, 220);
    }
    UnrankedList->setItemDelegate(new LevelDelegate(UnrankedList));
    UnrankedList->setMinimumWidth(300);
    LessButton = NamedButton(Q("&Rank"), "LessButton", ordinal);
    UpButton = NamedButton(Q("&More"), "UpButton", ordinal);
    DownButton = NamedButton(Q("&Less"), "DownButton", ordinal);
    OrdRemButton = NamedButton(Q("&Remove"), "OrdRemButton", ordinal);
    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    middle->addWidget(LessButton);
    middle->addSpacing(16);
    auto* prefer = NamedLabel(Q("Prefer"), "PreferLabel", ordinal);
    prefer->setAlignment(Qt::AlignHCenter);
    middle->addWidget(prefer);
    middle->addWidget(UpButton);
    middle->addWidget(DownButton);
    middle->addSpacing(16);
    middle->addWidget(OrdRemButton);
    middle->addStretch(1);
    auto* grid = new QGridLayout;
    grid->addWidget(NamedLabel(Q("Unranked Achievement Levels"), "UnrankedLabel", ordinal), 0, 0);
    grid->addWidget(NamedLabel(Q("Ranked Achievement Levels"), "RankedLabel", ordinal), 0, 2);
    grid->addWidget(UnrankedList, 1, 0);
    grid->addLayout(middle, 1, 1);
    grid->addWidget(RankedList, 1, 2);
    auto* ordinalLayout = new QVBoxLayout(ordinal);
    ordinalLayout->addWidget(ScoreNameLabel);
    ordinalLayout->addWidget(InfoLabel);
    ordinalLayout->addLayout(grid, 1);
    TabCtrl->addTab(ordinal, Q("Ordinal Ranking"));

    // ----- "Cardinal Ranking"
    auto* cardinal = new QWidget(TabCtrl);
    cardinal->setObjectName(QStringLiteral("CardinalPage"));
    ScoreNameLabel2 = NamedLabel(name, "ScoreNameLabel2", cardinal);
    ScoreNameLabel2->setFont(bold);
    RecomCombo = new QComboBox(cardinal);
    RecomCombo->setObjectName(QStringLiteral("RecomCombo"));
    for (const char* style : kRecommendationStyleNames)
        RecomCombo->addItem(Q(style));
    RecomCombo->setCurrentIndex(logic_.Style());
    const QString compared = Q("Compared Difference");
    const QString reference = Q("Reference Difference");
    RecomView = StatementView({compared, reference}, "RecomView", cardinal);
    CardPrefView = StatementView({compared, reference, Q("Lower Bound"), Q("Upper Bound")},
                                 "CardPrefView", cardinal);
    RecomView->setMinimumSize(680, 110);
    CardPrefView->setMinimumSize(680, 110);
    // The differences share the width; the bounds take what their titles need.
    for (QTreeWidget* view : {RecomView, CardPrefView}) {
        view->header()->setStretchLastSection(false);
        view->header()->setSectionResizeMode(0, QHeaderView::Stretch);
        view->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    }
    CardPrefView->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    CardPrefView->header()->setSectionResizeMode(3, QHeaderView::ResizeToContents);
    AddButton = NamedButton(Q("&Add"), "AddButton", cardinal);
    RemoveButton = NamedButton(Q("&Remove"), "RemoveButton", cardinal);
    EditButton = NamedButton(Q("&Edit"), "EditButton", cardinal);
    NewButton = NamedButton(Q("&Custom..."), "NewButton", cardinal);
    auto* statementButtons = new QHBoxLayout;
    statementButtons->addWidget(AddButton);
    statementButtons->addWidget(RemoveButton);
    statementButtons->addWidget(EditButton);
    statementButtons->addWidget(NewButton);
    statementButtons->addStretch(1);
    auto* cardinalLayout = new QVBoxLayout(cardinal);
    cardinalLayout->addWidget(ScoreNameLabel2);
    cardinalLayout->addWidget(
        NamedLabel(Q("Cardinal Preference Elicitation Style:"), "RecomComboLabel", cardinal));
    cardinalLayout->addWidget(RecomCombo);
    cardinalLayout->addWidget(
        NamedLabel(Q("Recommended Difference Ratios:"), "RecomViewLabel", cardinal));
    cardinalLayout->addWidget(RecomView, 1);
    cardinalLayout->addLayout(statementButtons);
    cardinalLayout->addWidget(
        NamedLabel(Q("Given Difference Ratios:"), "CardPrefViewLabel", cardinal));
    cardinalLayout->addWidget(CardPrefView, 1);
    TabCtrl->addTab(cardinal, Q("Cardinal Ranking"));

    // ----- "Value Function": not available, shown for completeness.
    auto* valueFunction = new QWidget(TabCtrl);
    valueFunction->setObjectName(QStringLiteral("ValueFunctionPage"));
    UseValueFunction = new QCheckBox(Q("Use Value Function"), valueFunction);
    UseValueFunction->setObjectName(QStringLiteral("UseValueFunction"));
    UseValueFunction->setEnabled(false);
    auto* notice = NamedLabel(Q("Value functions are not available in this version. The values "
                                "of the levels follow from the ranking and the difference ratios "
                                "only."),
                              "ValueFunctionNotice", valueFunction);
    notice->setWordWrap(true);
    auto* picture = new QFrame(valueFunction);
    picture->setObjectName(QStringLiteral("ValueFunctionPicture"));
    picture->setFrameShape(QFrame::StyledPanel);
    picture->setFrameShadow(QFrame::Sunken);
    auto* valueLayout = new QVBoxLayout(valueFunction);
    valueLayout->addWidget(UseValueFunction);
    valueLayout->addWidget(notice);
    valueLayout->addWidget(picture, 1);
    TabCtrl->addTab(valueFunction, Q("Value Function"));

    // ----- closing buttons
    OKButton = NamedButton(QString(), "OKButton", content);
    OKButton->setDefault(true);
    CancelButton = NamedButton(QString(), "CancelButton", content);
    BackButton = NamedButton(Q("<< &Back"), "BackButton", content);
    AbortButton = NamedButton(Q("&Abort"), "AbortButton", content);
    auto* closing = new QVBoxLayout;
    closing->addSpacing(TabCtrl->tabBar()->sizeHint().height());
    closing->addWidget(OKButton);
    closing->addWidget(CancelButton);
    closing->addWidget(BackButton);
    closing->addWidget(AbortButton);
    closing->addStretch(1);
    auto* layout = new QHBoxLayout(content);
    layout->addWidget(TabCtrl, 1);
    layout->addLayout(closing);
    Scroll = new QScrollArea(this);
    Scroll->setObjectName(QStringLiteral("ScoreScroll"));
    Scroll->setFrameShape(QFrame::NoFrame);
    Scroll->setWidgetResizable(true);
    Scroll->setWidget(content);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(Scroll);

    connect(UnrankedList, &QListWidget::currentRowChanged, this, &ScoreForm::UnrankedListClick);
    connect(UnrankedList, &QListWidget::itemClicked, this, &ScoreForm::UnrankedListClick);
    connect(UnrankedList, &QListWidget::itemDoubleClicked, this, &ScoreForm::UnrankedListDblClick);
    connect(RankedList, &QListWidget::currentRowChanged, this, &ScoreForm::RankedListClick);
    connect(RankedList, &QListWidget::itemClicked, this, &ScoreForm::RankedListClick);
    connect(LessButton, &QPushButton::clicked, this, &ScoreForm::LessButtonClick);
    connect(UpButton, &QPushButton::clicked, this, &ScoreForm::UpButtonClick);
    connect(DownButton, &QPushButton::clicked, this, &ScoreForm::DownButtonClick);
    connect(OrdRemButton, &QPushButton::clicked, this, &ScoreForm::OrdRemButtonClick);
    connect(RecomCombo, &QComboBox::currentIndexChanged, this, &ScoreForm::RecomComboChange);
    connect(RecomView, &QTreeWidget::currentItemChanged, this, &ScoreForm::RecomViewClick);
    connect(RecomView, &QTreeWidget::itemDoubleClicked, this, &ScoreForm::RecomViewDblClick);
    connect(CardPrefView, &QTreeWidget::currentItemChanged, this, &ScoreForm::CardPrefViewClick);
    connect(CardPrefView, &QTreeWidget::itemDoubleClicked, this, &ScoreForm::CardPrefViewDblClick);
    connect(AddButton, &QPushButton::clicked, this, &ScoreForm::AddButtonClick);
    connect(RemoveButton, &QPushButton::clicked, this, &ScoreForm::RemoveButtonClick);
    connect(EditButton, &QPushButton::clicked, this, &ScoreForm::EditButtonClick);
    connect(NewButton, &QPushButton::clicked, this, &ScoreForm::NewButtonClick);
    connect(OKButton, &QPushButton::clicked, this, &ScoreForm::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &ScoreForm::CancelButtonClick);
    connect(BackButton, &QPushButton::clicked, this, &ScoreForm::BackButtonClick);
    connect(AbortButton, &QPushButton::clicked, this, &ScoreForm::AbortButtonClick);
}

void ScoreForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void ScoreForm::FormShow() {
    // Centred on the screen.
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void ScoreForm::ShowAll() {
    ShowLevels();
    ShowOrdinalButtons();
    ShowRecommendations();
    ShowGiven();
    ShowStatementButtons();
}

void ScoreForm::ShowStatement(AltId level, int statement) {
    if (statement >= 0 && statement < static_cast<int>(logic_.Given().size())) {
        logic_.SelectGiven(statement);
        TabCtrl->setCurrentIndex(1);
    } else if (const int ranked = logic_.Levels().RankedRowOf(level);
               level != kNone && ranked >= 0) {
        logic_.SelectRanked(ranked);
        TabCtrl->setCurrentIndex(0);
    } else {
        const std::vector<LevelRow>& unranked = logic_.Levels().Unranked();
        for (std::size_t i = 0; level != kNone && i < unranked.size(); ++i) {
            if (unranked[i].Holds(level)) {
                logic_.SelectUnranked(static_cast<int>(i));
                TabCtrl->setCurrentIndex(0);
            }
        }
    }
    ShowAll();
}

void ScoreForm::ShowLevels() {
    const Ranking& levels = logic_.Levels();
    {
        const QSignalBlocker block(UnrankedList);
        UnrankedList->clear();
        for (int i = 0; i < static_cast<int>(levels.Unranked().size()); ++i) {
            auto* item = new QListWidgetItem(ui::ToQ(levels.UnrankedText(i)), UnrankedList);
            const QString holders = ui::ToQ(logic_.UnrankedHolders(i));
            item->setData(kHoldersRole, holders);
            item->setToolTip(holders.isEmpty() ? item->text()
                                               : item->text() + QStringLiteral(": ") + holders);
        }
    }
    {
        const QSignalBlocker block(RankedList);
        RankedList->clear();
        for (int i = 0; i < static_cast<int>(levels.Ranked().size()); ++i)
            RankedList->addItem(ui::ToQ(levels.RankedText(i)));
    }
    SetCurrentRow(UnrankedList, levels.SelectedUnranked());
    SetCurrentRow(RankedList, levels.SelectedRanked());
}

void ScoreForm::ShowOrdinalButtons() {
    LessButton->setEnabled(logic_.Levels().CanRank());
    const bool ranked = logic_.Levels().CanMoveRanked();
    UpButton->setEnabled(ranked);
    DownButton->setEnabled(ranked);
    OrdRemButton->setEnabled(ranked);
}

void ScoreForm::ShowRecommendations() {
    const bool enabled = logic_.CardinalEnabled();
    RecomCombo->setEnabled(enabled);
    RecomView->setEnabled(enabled);
    CardPrefView->setEnabled(enabled);
    NewButton->setEnabled(enabled);
    {
        const QSignalBlocker block(RecomView);
        RecomView->clear();
        for (int i = 0; i < static_cast<int>(logic_.Recommendations().size()); ++i) {
            const auto texts = logic_.RecommendationTexts(i);
            auto* item = new QTreeWidgetItem(RecomView, {ui::ToQ(texts[0]), ui::ToQ(texts[1])});
            for (int c = 0; c < 2; ++c)
                item->setToolTip(c, item->text(c));
        }
    }
    SetCurrentItem(RecomView, logic_.SelectedRecommendation());
}

void ScoreForm::ShowGiven() {
    {
        const QSignalBlocker block(CardPrefView);
        CardPrefView->clear();
        for (int i = 0; i < static_cast<int>(logic_.Given().size()); ++i) {
            const auto texts = logic_.GivenTexts(i, ui::DecimalSeparator());
            auto* item = new QTreeWidgetItem(CardPrefView, {ui::ToQ(texts[0]), ui::ToQ(texts[1]),
                                                            ui::ToQ(texts[2]), ui::ToQ(texts[3])});
            for (int c = 0; c < 2; ++c)
                item->setToolTip(c, item->text(c));
        }
    }
    SetCurrentItem(CardPrefView, logic_.SelectedGiven());
}

void ScoreForm::ShowStatementButtons() {
    AddButton->setEnabled(logic_.CanAdd());
    RemoveButton->setEnabled(logic_.CanRemoveGiven());
    EditButton->setEnabled(logic_.CanEditGiven());
}

void ScoreForm::ShowCloseButtons() {
    OKButton->setText(ui::ToQ(logic_.OkCaption()));
    CancelButton->setText(ui::ToQ(logic_.CancelCaption()));
    CancelButton->setEnabled(logic_.CancelEnabled());
    BackButton->setVisible(logic_.TourButtonsVisible());
    AbortButton->setVisible(logic_.TourButtonsVisible());
    BackButton->setEnabled(logic_.BackEnabled());
    AbortButton->setEnabled(logic_.AbortEnabled());
}

// ----- ordinal ranking

void ScoreForm::UnrankedListClick() {
    logic_.SelectUnranked(UnrankedList->currentRow());
    ShowOrdinalButtons();
}

void ScoreForm::UnrankedListDblClick() {
    UnrankedListClick();
    LessButtonClick();
}

void ScoreForm::RankedListClick() {
    logic_.SelectRanked(RankedList->currentRow());
    ShowOrdinalButtons();
}

void ScoreForm::LessButtonClick() {
    if (!logic_.Rank())
        return;
    ShowAll();
    // Keyboard ranking goes on in the list: the level now at the ranked one's place is
    // selected, and the arrow keys and Alt+R work from there.
    if (UnrankedList->count() > 0) {
        UnrankedList->setFocus(Qt::OtherFocusReason);
        if (QListWidgetItem* current = UnrankedList->currentItem())
            UnrankedList->scrollToItem(current);
    }
}

void ScoreForm::UpButtonClick() {
    if (logic_.More())
        ShowAll();
}

void ScoreForm::DownButtonClick() {
    if (logic_.Less())
        ShowAll();
}

void ScoreForm::OrdRemButtonClick() {
    if (logic_.Remove())
        ShowAll();
}

// ----- ratio statements

void ScoreForm::RecomComboChange(int index) {
    logic_.SetStyle(index);
    ShowRecommendations();
    ShowStatementButtons();
}

void ScoreForm::RecomViewClick() {
    logic_.SelectRecommendation(RecomView->indexOfTopLevelItem(RecomView->currentItem()));
    ShowStatementButtons();
}

void ScoreForm::RecomViewDblClick() {
    RecomViewClick();
    AddButtonClick();
}

void ScoreForm::CardPrefViewClick() {
    logic_.SelectGiven(CardPrefView->indexOfTopLevelItem(CardPrefView->currentItem()));
    ShowStatementButtons();
}

void ScoreForm::CardPrefViewDblClick() {
    CardPrefViewClick();
    EditButtonClick();
}

void ScoreForm::AddButtonClick() {
    if (!logic_.CanAdd())
        return;
    TCardinalStatement statement = logic_.Recommendations().at(logic_.SelectedRecommendation());
    if (ShowCardinalPreference(context_, logic_.Differences(), statement, true) != kResultOk)
        return;
    logic_.AddRecommendation(statement);
    ShowRecommendations();
    ShowGiven();
    ShowStatementButtons();
}

void ScoreForm::NewButtonClick() {
    if (!logic_.CardinalEnabled())
        return;
    TCardinalStatement statement;
    if (ShowCardinalPreference(context_, logic_.Differences(), statement, false) != kResultOk)
        return;
    logic_.AppendGiven(statement);
    ShowGiven();
    ShowStatementButtons();
}

void ScoreForm::EditButtonClick() {
    if (!logic_.CanEditGiven())
        return;
    const int index = logic_.SelectedGiven();
    TCardinalStatement statement = logic_.Given().at(index);
    if (ShowCardinalPreference(context_, logic_.Differences(), statement, true) != kResultOk)
        return;
    logic_.ReplaceGiven(index, statement);
    ShowGiven();
    ShowStatementButtons();
}

void ScoreForm::RemoveButtonClick() {
    if (!logic_.RemoveGiven())
        return;
    ShowRecommendations();
    ShowGiven();
    ShowStatementButtons();
}

// ----- closing

void ScoreForm::OKButtonClick() {
    logic_.Store(context_.model);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    std::string solverError;
    const Feasibility feasibility = CheckFeasibility(context_.model, {}, &solverError);
    QGuiApplication::restoreOverrideCursor();
    if (feasibility == Feasibility::Feasible) {
        done(kResultOk);
        return;
    }
    if (feasibility == Feasibility::SolverError) {
        // Not a verdict on the statements: say what happened and keep them.
        context_.prompts.Message(Q(kFeasibilityCaption),
                                 ui::ToQ(ScoreAssessment::CheckFailedMessage(solverError)),
                                 ui::Icon::Warning, ui::Buttons::Ok);
        done(kResultOk);
        return;
    }
    const DialogContext asking{context_.model, context_.prompts, this};
    const ui::Answer answer =
        AskInfeasibleQuestion(asking, ui::ToQ(logic_.InfeasibleQuestion()),
                              {AssessmentTarget::Dialog::Score, logic_.Node()});
    if (answer == ui::Answer::Yes) {
        done(kResultAbort);
        return;
    }
    // The statements stay stored; the decision maker corrects them and presses OK again.
    logic_.SetInfeasibleNo();
    ShowCloseButtons();
}

void ScoreForm::CancelButtonClick() {
    if (CancelButton->isEnabled())
        done(kResultCancel);
}

void ScoreForm::BackButtonClick() {
    if (BackButton->isVisible() && BackButton->isEnabled())
        done(kResultBack);
}

void ScoreForm::AbortButtonClick() {
    if (AbortButton->isVisible() && AbortButton->isEnabled())
        done(kResultAbort);
}

void ScoreForm::reject() {
    CancelButtonClick();
}

int ShowScoreAssessment(const AssessmentContext& context, EntryId entry, int tourStep,
                        int tourSteps, AltId level, int statement) {
    const Model& model = context.document.GetModel();
    if (!ScoreAssessment::CanAssess(model, entry))
        return kResultCancel;
    const std::string label = model.Entry(entry)->Caption;
    return RunOnWorkingCopy(context, label, [&](const DialogContext& dialog) {
        ScoreForm form(dialog, entry, tourStep, tourSteps);
        form.ShowStatement(level, statement);
        return form.exec();
    });
}

} // namespace velor::elicit
