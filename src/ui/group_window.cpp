#include "ui/group_window.h"

#include "calc/group_report.h"
#include "calc/results_report.h"
#include "model/number_format.h"
#include "ui/action_ids.h"
#include "ui/main_window.h"
#include "ui/prompts.h"
#include "ui/ui_text.h"

#include <QAction>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <array>

namespace velor::ui {

namespace {

constexpr int kRowHeight = 14; // one bar
constexpr int kLabelWidth = 160;
constexpr int kMargin = 8;

QString Recommendations(const TAlternativeData& data) {
    QStringList rules;
    for (std::size_t rule = 0; rule < kDecisionRuleNames.size(); ++rule) {
        if (data.Recommended[rule] != 0) {
            rules << QString::fromLatin1(kDecisionRuleNames[rule]);
        }
    }
    return rules.join(QStringLiteral(", "));
}

QString Interval(double lower, double upper) {
    return ToQ(FormatInterval(lower, upper, DecimalSeparator()));
}

QString AlternativeNames(const Model& model, const std::vector<int>& rows) {
    QStringList names;
    for (const int row : rows) {
        names << ToQ(model.AlternativeName(row));
    }
    return names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "));
}

} // namespace

// ----- GroupChart

GroupChart::GroupChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("MemberChart"));
    setMinimumHeight(80);
}

void GroupChart::SetGroup(const std::vector<GroupMember>* members, const GroupResults* results) {
    members_ = members;
    results_ = results;
    updateGeometry();
    update();
}

QColor GroupChart::MemberColour(std::size_t k) {
    static const std::array<QColor, 8> colours = {
        QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
        QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
        QColor(0xe3, 0x77, 0xc2), QColor(0x17, 0xbe, 0xcf)};
    return colours[k % colours.size()];
}

QSize GroupChart::sizeHint() const {
    if (results_ == nullptr || members_ == nullptr || results_->Members.empty()) {
        return {400, 80};
    }
    const int m = results_->Consensus.M();
    const int bars = static_cast<int>(members_->size()) + 1;
    return {600, 2 * kMargin + 40 + m * (bars * kRowHeight + kMargin)};
}

void GroupChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    if (results_ == nullptr || members_ == nullptr || results_->Members.empty()) {
        return;
    }
    const Model& model = results_->Consensus;
    const int left = kLabelWidth;
    const int width = std::max(40, this->width() - left - 2 * kMargin);
    const auto x = [&](double value) {
        return left + static_cast<int>(std::clamp(value, 0.0, 1.0) * width);
    };
    // The legend: one entry per member and the consensus.
    int legendX = kMargin;
    const QFontMetrics metrics(font());
    const auto legend = [&](const QString& text, const QColor& colour) {
        painter.fillRect(legendX, kMargin + 3, 10, 10, colour);
        painter.setPen(palette().text().color());
        painter.drawText(legendX + 14, kMargin + metrics.ascent(), text);
        legendX += 24 + metrics.horizontalAdvance(text);
    };
    for (std::size_t k = 0; k < members_->size(); ++k) {
        legend(ToQ((*members_)[k].Name), MemberColour(k));
    }
    const bool consensus = results_->ConsensusOutcome == RunOutcome::Complete;
    if (consensus) {
        legend(QStringLiteral("Consensus"), Qt::black);
    }
    int y = kMargin + 20;
    const int bars = static_cast<int>(members_->size()) + 1;
    for (int row = 1; row <= model.M(); ++row) {
        painter.setPen(palette().text().color());
        const QRect label(kMargin, y, left - 2 * kMargin, bars * kRowHeight);
        painter.drawText(
            label, Qt::AlignVCenter | Qt::AlignLeft,
            metrics.elidedText(ToQ(model.AlternativeName(row)), Qt::ElideRight, label.width()));
        int barY = y;
        const auto bar = [&](const TAlternativeData& data, const QColor& colour) {
            const int from = x(data.ValueLower);
            const int to = std::max(from + 2, x(data.ValueUpper));
            painter.fillRect(from, barY + 3, to - from, kRowHeight - 6, colour);
            barY += kRowHeight;
        };
        for (std::size_t k = 0; k < results_->Members.size(); ++k) {
            const Model& own = results_->Members[k].Calculated;
            if (own.Calculated().AnyMainValues() && row <= own.M()) {
                bar(own.Alternative(row), MemberColour(k));
            } else {
                barY += kRowHeight;
            }
        }
        if (consensus) {
            bar(model.Alternative(row), Qt::black);
        }
        y += bars * kRowHeight + kMargin;
    }
    painter.setPen(palette().mid().color());
    painter.drawLine(left, kMargin + 18, left, y);
    painter.drawLine(left + width, kMargin + 18, left + width, y);
    painter.setPen(palette().text().color());
    painter.drawText(left - 3, y + metrics.ascent(), QStringLiteral("0"));
    painter.drawText(left + width - 3, y + metrics.ascent(), QStringLiteral("1"));
}

// ----- GroupWindow

GroupWindow::GroupWindow(Prompts& prompts, QWidget* parent) : QDialog(parent), prompts_(prompts) {
    setObjectName(QStringLiteral("GroupForm"));
    setWindowTitle(kGroupWindowTitle);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);

    members_ = new QTreeWidget(this);
    members_->setObjectName(QStringLiteral("MemberList"));
    members_->setHeaderLabels(
        {QStringLiteral("Member"), QStringLiteral("Model file"), QStringLiteral("Result")});
    members_->setRootIsDecorated(false);
    members_->setMaximumHeight(100);
    const auto button = [this](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    addButton_ = button(QStringLiteral("&Add Member..."), "AddMemberButton");
    removeButton_ = button(QStringLiteral("&Remove Member"), "RemoveMemberButton");
    openButton_ = button(QStringLiteral("&Open Member"), "OpenMemberButton");
    saveButton_ = button(QStringLiteral("&Save Group..."), "SaveGroupButton");
    calculateButton_ = button(QStringLiteral("&Calculate"), "CalculateButton");
    reportButton_ = button(QStringLiteral("E&xport Report..."), "ExportReportButton");
    viewsButton_ = button(QStringLiteral("Consensus &Views..."), "ConsensusViewsButton");
    common_ = new QLabel(this);
    common_->setObjectName(QStringLiteral("CommonGroundLabel"));
    common_->setWordWrap(true);
    common_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    chart_ = new GroupChart(this);
    consensusLabel_ = new QLabel(this);
    consensusLabel_->setObjectName(QStringLiteral("ConsensusLabel"));
    consensusLabel_->setWordWrap(true);
    consensus_ = new QTreeWidget(this);
    consensus_->setObjectName(QStringLiteral("ConsensusList"));
    consensus_->setHeaderLabels({QStringLiteral("Alternative / node"),
                                 QStringLiteral("Value / weight"),
                                 QStringLiteral("Recommended by")});
    consensus_->setRootIsDecorated(false);
    conflict_ = new QListWidget(this);
    conflict_->setObjectName(QStringLiteral("ConflictList"));
    conflict_->setWordWrap(true);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusLabel"));
    status_->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(members_);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {addButton_, removeButton_, openButton_, saveButton_, calculateButton_,
                           reportButton_, viewsButton_}) {
        buttons->addWidget(b);
    }
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addWidget(common_);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(chart_);
    auto* lower = new QWidget(split);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(consensusLabel_);
    lowerLayout->addWidget(consensus_, 1);
    lowerLayout->addWidget(conflict_, 1);
    split->addWidget(lower);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);
    layout->addWidget(status_);
    resize(820, 640);

    watcher_ = new QFileSystemWatcher(this);
    refresh_ = new QTimer(this);
    refresh_->setSingleShot(true);
    refresh_->setInterval(300); // a save may touch the file more than once
    connect(watcher_, &QFileSystemWatcher::fileChanged, refresh_, qOverload<>(&QTimer::start));
    connect(refresh_, &QTimer::timeout, this, &GroupWindow::Refresh);
    connect(addButton_, &QPushButton::clicked, this, &GroupWindow::AddMemberButtonClick);
    connect(removeButton_, &QPushButton::clicked, this, &GroupWindow::RemoveMemberButtonClick);
    connect(openButton_, &QPushButton::clicked, this, &GroupWindow::OpenMemberButtonClick);
    connect(saveButton_, &QPushButton::clicked, this, &GroupWindow::SaveGroupButtonClick);
    connect(calculateButton_, &QPushButton::clicked, this, &GroupWindow::CalculateButtonClick);
    connect(reportButton_, &QPushButton::clicked, this, &GroupWindow::ExportReportButtonClick);
    connect(viewsButton_, &QPushButton::clicked, this, &GroupWindow::ConsensusViewsButtonClick);
    connect(members_, &QTreeWidget::itemActivated, this, [this] { OpenMemberButtonClick(); });
    connect(members_, &QTreeWidget::currentItemChanged, this, [this] { UpdateButtons(); });
    ShowGroup();
}

GroupWindow::~GroupWindow() {
    delete viewsWindow_;
}

bool GroupWindow::OpenGroup(const QString& path) {
    GroupSession session;
    std::string error;
    if (!session.Open(ToStd(path), &error)) {
        prompts_.Inform(kAppTitle, ToQ(error), Icon::Warning);
        return false;
    }
    session_ = std::move(session);
    Calculate();
    return true;
}

void GroupWindow::NewGroup() {
    session_ = GroupSession();
    ShowGroup();
}

void GroupWindow::Refresh() {
    std::string error;
    if (!session_.Reload(&error)) {
        status_->setText(ToQ(error));
        WatchMembers(); // a file replaced by a save is watched anew under its name
        return;
    }
    Calculate();
}

void GroupWindow::AddMemberButtonClick() {
    const QString path = prompts_.OpenFileName(
        {QStringLiteral("Add Member"), QStringLiteral("Velor Models (*.vlr);;All Files (*)"),
         QStringLiteral("vlr"), QString()});
    if (path.isEmpty()) {
        return;
    }
    const std::optional<QString> name =
        prompts_.TextPrompt(QStringLiteral("Add Member"), QStringLiteral("Member's name:"),
                            ToQ(session_.ProposedName(ToStd(path))), 255);
    if (!name) {
        return;
    }
    std::string error;
    if (!session_.AddMember(ToStd(name->trimmed()), ToStd(path), &error)) {
        prompts_.Inform(kAppTitle, ToQ(error), Icon::Warning);
        return;
    }
    Calculate();
}

void GroupWindow::RemoveMemberButtonClick() {
    const int index = members_->indexOfTopLevelItem(members_->currentItem());
    if (index < 0) {
        return;
    }
    session_.RemoveMember(static_cast<std::size_t>(index));
    Calculate();
}

void GroupWindow::OpenMemberButtonClick() {
    const int index = members_->indexOfTopLevelItem(members_->currentItem());
    if (index < 0 || static_cast<std::size_t>(index) >= session_.Members().size() || !openModel) {
        return;
    }
    openModel(ToQ(session_.Members()[static_cast<std::size_t>(index)].File));
}

void GroupWindow::SaveGroupButtonClick() {
    const QString path = prompts_.SaveFileName({QStringLiteral("Save Group"), kGroupFilter,
                                                QStringLiteral("vlg"), ToQ(session_.GroupPath())});
    if (path.isEmpty()) {
        return;
    }
    std::string error;
    if (!session_.Save(ToStd(path), &error)) {
        prompts_.Inform(kAppTitle, ToQ(error), Icon::Warning);
    }
    ShowGroup();
}

void GroupWindow::CalculateButtonClick() {
    Calculate();
}

void GroupWindow::ExportReportButtonClick() {
    if (!session_.Results()) {
        return;
    }
    const QString path = prompts_.SaveFileName({QStringLiteral("Export Group Report"),
                                                QStringLiteral("Text Files (*.txt);;All Files (*)"),
                                                QStringLiteral("txt"), QString()});
    if (path.isEmpty()) {
        return;
    }
    std::string error;
    if (!WriteFileSafely(ToStd(path), GroupReportText(session_.Members(), *session_.Results()),
                         &error)) {
        prompts_.InformWithDetail(kAppTitle, ToQ(CannotWriteMessage(ToStd(path))), ToQ(error),
                                  Icon::Warning);
    }
}

void GroupWindow::ConsensusViewsButtonClick() {
    if (!createView) {
        return;
    }
    if (viewsWindow_ == nullptr) {
        viewsWindow_ = new QDialog(this);
        viewsWindow_->setObjectName(QStringLiteral("ConsensusViewsForm"));
        viewsWindow_->setWindowTitle(QStringLiteral("Consensus"));
        viewsWindow_->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
        viewsWindow_->setSizeGripEnabled(true);
        auto* tabs = new QTabWidget(viewsWindow_);
        tabs->setObjectName(QStringLiteral("ConsensusViewTabs"));
        const std::pair<ResultView, QString> views[] = {
            {ResultView::ValueIntervals, QStringLiteral("Value Intervals")},
            {ResultView::Weights, QStringLiteral("Weights")},
            {ResultView::Dominance, QStringLiteral("Dominance")},
            {ResultView::DecisionRules, QStringLiteral("Decision Rules")}};
        for (const auto& [view, title] : views) {
            if (QWidget* widget = createView(view, consensusDocument_)) {
                tabs->addTab(widget, title);
            }
        }
        auto* layout = new QVBoxLayout(viewsWindow_);
        layout->addWidget(tabs);
        viewsWindow_->resize(760, 480);
    }
    viewsWindow_->show();
    viewsWindow_->raise();
}

void GroupWindow::Calculate() {
    status_->clear();
    if (!session_.Members().empty()) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        try {
            session_.Calculate();
        } catch (...) {
            QGuiApplication::restoreOverrideCursor();
            throw;
        }
        QGuiApplication::restoreOverrideCursor();
    }
    ShowGroup();
}

void GroupWindow::ShowGroup() {
    const QString file = ToQ(session_.GroupPath());
    setWindowTitle(file.isEmpty()
                       ? kGroupWindowTitle
                       : kGroupWindowTitle + QStringLiteral(" - ") + QFileInfo(file).fileName());
    const std::optional<GroupResults>& results = session_.Results();
    const bool agreed = results && results->ConsensusOutcome == RunOutcome::Complete;
    consensusDocument_.Reset(agreed ? results->Consensus : Model(), session_.GroupPath());
    members_->clear();
    for (std::size_t k = 0; k < session_.Members().size(); ++k) {
        const GroupMember& member = session_.Members()[k];
        QString outcome;
        if (results) {
            const RunOutcome run = results->Members[k].Outcome;
            outcome =
                run == RunOutcome::Complete ? QStringLiteral("calculated") : ToQ(OutcomeWords(run));
        }
        auto* item = new QTreeWidgetItem(
            members_, {ToQ(member.Name), QFileInfo(ToQ(member.File)).fileName(), outcome});
        item->setToolTip(1, ToQ(member.File));
        item->setForeground(0, GroupChart::MemberColour(k));
    }
    members_->resizeColumnToContents(0);
    chart_->SetGroup(&session_.Members(), results ? &*results : nullptr);
    consensus_->clear();
    conflict_->clear();
    conflict_->hide();
    consensus_->show();
    if (!results) {
        common_->setText(session_.Members().empty()
                             ? QStringLiteral("Add the members' model files (Add Member...).")
                             : QStringLiteral("Not calculated."));
        consensusLabel_->clear();
        WatchMembers();
        UpdateButtons();
        return;
    }
    QStringList warnings;
    for (const std::string& warning : GroupWarnings(session_.Members(), *results)) {
        warnings << ToQ(warning);
    }
    status_->setText(warnings.join(QLatin1Char('\n')));
    const Model& model = results->Consensus;
    QString common = QStringLiteral("Dominated for every member (safe to drop): ") +
                     AlternativeNames(model, results->Common.DominatedForAll) +
                     QStringLiteral("\nUndominated for some member: ") +
                     AlternativeNames(model, results->Common.UndominatedForSome);
    for (const DominanceDisagreement& d : results->Common.Disagreements) {
        QStringList holders;
        for (const DominanceHolders& h : d.Holders) {
            QStringList names;
            for (const int k : h.Members) {
                names << ToQ(session_.Members()[static_cast<std::size_t>(k)].Name);
            }
            holders << QString::fromLatin1(DominanceCodeName(h.Code)) + QStringLiteral(" (") +
                           names.join(QStringLiteral(", ")) + QLatin1Char(')');
        }
        common += QLatin1Char('\n') + ToQ(model.AlternativeName(d.Row)) +
                  QStringLiteral(" against ") + ToQ(model.AlternativeName(d.OtherRow)) +
                  QStringLiteral(": ") + holders.join(QStringLiteral("; "));
    }
    common_->setText(common);
    switch (results->ConsensusOutcome) {
    case RunOutcome::Complete: {
        consensusLabel_->setText(QStringLiteral("Consensus of every member's statements:"));
        for (int row = 1; row <= model.M(); ++row) {
            const TAlternativeData& data = model.Alternative(row);
            new QTreeWidgetItem(consensus_, {ToQ(model.AlternativeName(row)),
                                             Interval(data.ValueLower, data.ValueUpper),
                                             Recommendations(data)});
        }
        const bool normalized = model.NormalizedIntervals();
        for (const NodeId node : model.PreOrder()) {
            if (node == model.Root()) {
                continue;
            }
            const TNodeData& data = model.Node(node);
            new QTreeWidgetItem(consensus_,
                                {QStringLiteral("Weight of ") + ToQ(data.Name),
                                 normalized ? Interval(data.NormWeightLower, data.NormWeightUpper)
                                            : Interval(data.WeightLower, data.WeightUpper),
                                 QString()});
        }
        consensus_->resizeColumnToContents(0);
        break;
    }
    case RunOutcome::Infeasible:
        consensusLabel_->setText(
            QStringLiteral("The members' statements cannot all hold together. These contradict "
                           "each other (change or remove one of them in its member's model):"));
        consensus_->hide();
        conflict_->show();
        for (const ConflictStatement& statement : results->Conflict.Statements) {
            conflict_->addItem(ToQ(
                DescribeMemberStatement(session_.Members(), model, statement, DecimalSeparator())));
        }
        break;
    default:
        consensusLabel_->setText(QStringLiteral("Consensus: ") +
                                 ToQ(OutcomeWords(results->ConsensusOutcome)));
        break;
    }
    WatchMembers();
    UpdateButtons();
}

void GroupWindow::WatchMembers() {
    if (!watcher_->files().isEmpty()) {
        watcher_->removePaths(watcher_->files());
    }
    for (const GroupMember& member : session_.Members()) {
        watcher_->addPath(ToQ(member.File));
    }
}

void GroupWindow::UpdateButtons() {
    const bool selected = members_->currentItem() != nullptr;
    removeButton_->setEnabled(selected);
    openButton_->setEnabled(selected);
    saveButton_->setEnabled(!session_.Members().empty());
    calculateButton_->setEnabled(!session_.Members().empty());
    reportButton_->setEnabled(session_.Results().has_value());
    viewsButton_->setEnabled(static_cast<bool>(createView) &&
                             !consensusDocument_.GetModel().TreeEmpty());
}

// ----- the File menu's group commands

namespace {

void SaveMemberCopies(MainWindow& window, Prompts& prompts, GroupWindow& group) {
    const QString title = QStringLiteral("Save a Copy for Each Member");
    if (window.GetModel().TreeEmpty()) {
        prompts.Inform(title, QStringLiteral("There is no model to copy."), Icon::Information);
        return;
    }
    const std::optional<QString> given = prompts.TextPrompt(
        title, QStringLiteral("Members' names, separated by commas:"), QString(), 4000);
    if (!given) {
        return;
    }
    std::vector<GroupEntry> entries;
    for (const QString& part : given->split(QLatin1Char(','))) {
        const std::string name = ToStd(part.trimmed());
        if (name.empty()) {
            continue;
        }
        const std::string file = MemberFileName(name);
        for (const GroupEntry& entry : entries) {
            if (entry.Name == name || entry.Path == file) {
                prompts.Inform(title,
                               QStringLiteral("Two members would share the name or file ") +
                                   ToQ(file) + QLatin1Char('.'),
                               Icon::Warning);
                return;
            }
        }
        entries.push_back({name, file});
    }
    if (entries.empty()) {
        return;
    }
    const Answer keep = prompts.Message(
        title,
        QStringLiteral("Copy the current ranks and statements into each member's model?\n"
                       "No: each member starts from the value tree, the alternatives and the "
                       "consequences alone."),
        Icon::Question, Buttons::YesNoCancel);
    if (keep == Answer::Cancel) {
        return;
    }
    const QString groupPath = prompts.SaveFileName(
        {title, kGroupFilter, QStringLiteral("vlg"), QStringLiteral("group.vlg")});
    if (groupPath.isEmpty()) {
        return;
    }
    QStringList existing;
    for (const GroupEntry& entry : entries) {
        const QString path = ToQ(MemberFilePath(ToStd(groupPath), entry.Path));
        if (QFileInfo::exists(path)) {
            existing << QFileInfo(path).fileName();
        }
    }
    if (!existing.isEmpty() &&
        prompts.Message(title,
                        QStringLiteral("These files exist already and would be replaced:\n") +
                            existing.join(QStringLiteral(", ")) + QStringLiteral("\nReplace them?"),
                        Icon::Warning, Buttons::YesNo) != Answer::Yes) {
        return;
    }
    std::string error;
    if (!velor::SaveMemberCopies(window.GetModel(), keep == Answer::Yes, ToStd(groupPath), entries,
                                 &error)) {
        prompts.InformWithDetail(title, QStringLiteral("The copies could not be written."),
                                 ToQ(error), Icon::Warning);
        return;
    }
    if (group.OpenGroup(groupPath)) {
        group.show();
        group.raise();
    }
}

} // namespace

GroupWindow* InstallGroupCommands(MainWindow& window, Prompts& prompts) {
    auto* group = new GroupWindow(prompts, &window);
    group->openModel = [&window](const QString& path) {
        window.RunCommand([&window, path] { window.OpenFile(path); });
    };
    const auto action = [&window](const char* name, const QString& text,
                                  std::function<void()> run) {
        auto* a = new QAction(text, &window);
        a->setObjectName(QString::fromLatin1(name));
        QObject::connect(a, &QAction::triggered, &window,
                         [&window, run = std::move(run)] { window.RunCommand(run); });
        return a;
    };
    QAction* open = action("OpenGroup1", QStringLiteral("Open &Group..."), [&prompts, group] {
        const QString path = prompts.OpenFileName(
            {QStringLiteral("Open Group"), kGroupFilter, QStringLiteral("vlg"), QString()});
        if (!path.isEmpty() && group->OpenGroup(path)) {
            group->show();
            group->raise();
        }
    });
    QAction* fresh = action("NewGroup1", QStringLiteral("Ne&w Group..."), [group] {
        group->NewGroup();
        group->show();
        group->raise();
    });
    QAction* copies =
        action("SaveMemberCopies1", QStringLiteral("Save a Cop&y for Each Member..."),
               [&window, &prompts, group] { SaveMemberCopies(window, prompts, *group); });
    // After Save As, as a block of their own.
    if (auto* menu = window.findChild<QMenu*>(QStringLiteral("FileMenu"))) {
        const QList<QAction*> items = menu->actions();
        const qsizetype at = items.indexOf(window.Action(action_id::kSaveAs));
        QAction* before = at >= 0 && at + 1 < items.size() ? items.at(at + 1) : nullptr;
        menu->insertSeparator(before);
        menu->insertActions(before, {fresh, open, copies});
    }
    return group;
}

} // namespace velor::ui
