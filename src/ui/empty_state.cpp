#include "ui/empty_state.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velor::ui {

EmptyState::EmptyState(QAction* newMainGoal, QAction* openExample, QMenu* recent, QWidget* parent)
    : QFrame(parent), recent_(recent) {
    setObjectName(QStringLiteral("EmptyState"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);

    auto* title = new QLabel(QStringLiteral("Start a model"), this);
    title->setObjectName(QStringLiteral("EmptyStateTitle"));
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    title->setFont(bold);
    auto* text = new QLabel(
        QStringLiteral("A model is a value tree (a main goal, the goals below it and measurable "
                       "attributes as its leaves) and the alternatives you compare on them.\n"
                       "Begin with the main goal, or open an example to see a finished model."),
        this);
    text->setObjectName(QStringLiteral("EmptyStateText"));
    text->setWordWrap(true);

    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    newMainGoal_ = button("NewMainGoalButton", QStringLiteral("New Main Goal"));
    openExample_ = button("OpenExampleButton", QStringLiteral("Open an Example..."));
    openRecent_ = button("OpenRecentButton", QStringLiteral("Open Recent"));
    openRecent_->setMenu(recent_);
    connect(newMainGoal_, &QPushButton::clicked, newMainGoal, &QAction::trigger);
    connect(openExample_, &QPushButton::clicked, openExample, &QAction::trigger);
    newMainGoal_->setToolTip(QStringLiteral("Adds the main goal and asks for its name"));

    walkthrough_ = new QLabel(QStringLiteral("<a href=\"walkthrough.html\">Walk-through: building "
                                             "a model step by step</a> (user guide)"),
                              this);
    walkthrough_->setObjectName(QStringLiteral("WalkthroughLink"));
    walkthrough_->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                          Qt::LinksAccessibleByKeyboard);
    connect(walkthrough_, &QLabel::linkActivated, this, &EmptyState::WalkthroughRequested);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(newMainGoal_);
    buttons->addWidget(openExample_);
    buttons->addWidget(openRecent_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(title);
    layout->addWidget(text);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->addSpacing(6);
    layout->addWidget(walkthrough_);
    UpdateRecent();
}

void EmptyState::UpdateRecent() {
    const QList<QAction*> items = recent_->actions();
    openRecent_->setEnabled(std::any_of(items.begin(), items.end(), [](const QAction* a) {
        return a->isVisible() && !a->isSeparator();
    }));
}

void EmptyState::PlaceIn(const QSize& area) {
    // As wide as the text reads well, never wider than the area; tall enough for the wrapped
    // text at that width.
    const int width =
        std::max(1, std::min({std::max(sizeHint().width(), 460), 560, area.width() - 16}));
    const int height = std::max(
        1, std::min(heightForWidth(width) > 0 ? heightForWidth(width) : sizeHint().height(),
                    area.height() - 16));
    setGeometry((area.width() - width) / 2, std::max(8, (area.height() - height) / 3), width,
                height);
}

} // namespace velor::ui
