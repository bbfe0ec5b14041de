// The desktop application: `velor [MODEL.vlr]`, or `velor --version`.
#include "elicit/dialog_context.h"
#include "elicit/preference_view.h"
#include "elicit/score_form.h"
#include "elicit/tour_form.h"
#include "elicit/weight_form.h"
#include "model/settings_location.h"
#include "ui/main_window.h"
#include "ui/prompts.h"
#include "ui/tree_editor.h"
#include "ui/velor_application.h"
#include "ui/views/result_views.h"

#include <QFileInfo>

#include <cstdio>
#include <cstring>

namespace {

// The assessment dialogs, the elicitation tour and the preference view, handed to the windows
// that open them.
void InstallElicitation(velor::ui::MainWindow& window,
                        const velor::elicit::DialogContext& dialogs) {
    using namespace velor::elicit;
    SetWeightFormSettingsFile(window.SettingsPath());
    // Score or holistic assessment: F3 and a double-click on an attribute.
    window.Tree()->SetScoreAssessmentHandler([&dialogs](velor::NodeId node) {
        if (dialogs.model.Exists(node)) {
            ShowScoreAssessment(dialogs, dialogs.model.Node(node).Assessment);
        }
    });
    // Weight assessment of a goal's children, or of all attributes (kNone): F4 and a
    // double-click on a goal.
    window.Tree()->SetWeightAssessmentHandler(
        [&dialogs](velor::NodeId goal) { ShowWeightAssessment(dialogs, goal); });
    window.SetBottomUpWeightAssessment([&dialogs] { ShowWeightAssessment(dialogs, velor::kNone); });
    window.SetElicitationTour([&dialogs] { RunElicitationTour(dialogs); });

    auto* preferences = new TPreferenceForm(dialogs.model, dialogs.prompts);
    preferences->SetDialogParent(&window);
    window.SetPreferenceView(preferences);
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("velor %s\n", VELOR_VERSION_TEXT);
            return 0;
        }
    }
    velor::ui::VelorApplication app(argc, argv);
    velor::ui::WidgetPrompts prompts;
    app.SetPrompts(&prompts);

    std::filesystem::path exeDir = velor::ExecutableDirectory();
    if (exeDir.empty()) {
        exeDir = QCoreApplication::applicationDirPath().toStdString();
    }
    velor::ui::MainWindow window(prompts, velor::SettingsFilePathFor(exeDir));
    prompts.SetParent(&window);
    velor::ui::InstallResultViews(window, prompts);

    const velor::elicit::DialogContext dialogs{window.GetModel(), prompts, &window};
    InstallElicitation(window, dialogs);
    window.show();

    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 1) {
        const QString path = QFileInfo(args.at(1)).absoluteFilePath();
        window.RunCommand([&window, &path] { window.OpenFile(path); });
    }
    return app.exec();
}
