// Helpers of the dialog tests: a small model, clicks on list and view rows, and a handler for
// the ratio statement dialog that the score dialog opens modally.
#pragma once

#include "elicit/cardinal_form.h"
#include "model/model.h"
#include "ui/scripted_prompts.h"

#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <string>
#include <vector>

namespace velor::elicit::test {

// Main goal "Car" with the attribute "Comfort"; one alternative per consequence text.
struct SmallModel {
    Model model;
    NodeId root = kNone;
    NodeId attribute = kNone;
    explicit SmallModel(const std::vector<std::string>& consequences) {
        root = model.AddNode(kGoal, kNone);
        model.RenameNode(root, "Car");
        attribute = model.AddNode(kAttribute, root);
        model.RenameNode(attribute, "Comfort");
        for (const auto& text : consequences) {
            const int row = model.NewAlternative();
            model.CommitCellText(model.ColumnOfNode(attribute), row, text, false);
        }
    }
    EntryId Entry() const { return model.Node(attribute).Assessment; }
    int Column() const { return model.ColumnOfNode(attribute); }
};

template <typename T> T* Find(QWidget* parent, const char* name) {
    T* widget = parent->findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

inline void ClickRow(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

inline void ClickRow(QTreeWidget* view, int row) {
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualItemRect(view->topLevelItem(row)).center());
}

inline QStringList Texts(QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

// Runs handle on the ratio statement dialog once it is open modally; a dialog still open
// afterwards is cancelled, so a failing test never blocks. Returns a flag set when it ran.
inline std::shared_ptr<bool> OnCardinalForm(std::function<void(CardinalForm&)> handle) {
    auto ran = std::make_shared<bool>(false);
    QTimer::singleShot(0, [handle, ran] {
        auto* form = qobject_cast<CardinalForm*>(QApplication::activeModalWidget());
        if (!form) {
            ADD_FAILURE() << "the ratio statement dialog is not open";
            return;
        }
        *ran = true;
        handle(*form);
        if (form->isVisible())
            form->reject();
    });
    return ran;
}

} // namespace velor::elicit::test
