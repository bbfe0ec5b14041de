// The desktop application: `velor [MODEL.vlr]`, `velor --help` or `velor --version`.
#include "elicit/dialog_context.h"
#include "elicit/feasibility_form.h"
#include "elicit/preference_view.h"
#include "elicit/score_form.h"
#include "elicit/tour_form.h"
#include "elicit/weight_form.h"
#include "model/settings_location.h"
#include "ui/app_command_line.h"
#include "ui/group_window.h"
#include "ui/main_window.h"
#include "ui/prompts.h"
#include "ui/tree_editor.h"
#include "ui/velor_application.h"
#include "ui/views/result_views.h"

#include <QFileInfo>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The assessment dialogs, the elicitation tour and the preference view, handed to the windows
// that open them.
void InstallElicitation(velor::ui::MainWindow& window,
                        const velor::elicit::AssessmentContext& dialogs) {
    using namespace velor::elicit;
    SetWeightFormSettingsFile(window.SettingsPath());
    // Score or holistic assessment: F3 and a double-click on an attribute.
    window.Tree()->SetScoreAssessmentHandler([&dialogs](velor::NodeId node) {
        const velor::Model& model = dialogs.document.GetModel();
        if (model.Exists(node)) {
            ShowScoreAssessment(dialogs, model.Node(node).Assessment);
        }
    });
    // Weight assessment of a goal's children, or of all attributes (kNone): F4 and a
    // double-click on a goal.
    window.Tree()->SetWeightAssessmentHandler(
        [&dialogs](velor::NodeId goal) { ShowWeightAssessment(dialogs, goal); });
    window.SetBottomUpWeightAssessment([&dialogs] { ShowWeightAssessment(dialogs, velor::kNone); });
    window.SetElicitationTour([&dialogs] { RunElicitationTour(dialogs); });
    // A statement of the window "Conflicting Statements".
    window.SetAssessmentOpener(
        [&dialogs](const velor::AssessmentTarget& target) { ShowAssessmentOf(dialogs, target); });

    auto* preferences = new TPreferenceForm(dialogs.document, dialogs.prompts);
    preferences->SetDialogParent(&window);
    window.SetPreferenceView(preferences);
}

// Help and version are answered before the application object exists, so that they work
// without a display. Returns the exit code, or -1 when the program is to go on.
int AnswerWithoutWindow(const velor::ui::AppCommandLine& line) {
    using Action = velor::ui::AppCommandLine::Action;
    if (line.action == Action::Help) {
        std::fputs(velor::ui::AppUsageText().c_str(), stdout);
        return 0;
    }
    if (line.action == Action::Version) {
        std::printf("velor %s\n", VELOR_VERSION_TEXT);
        return 0;
    }
    if (line.action == Action::UsageError) {
        std::fprintf(stderr, "velor: %s\n%s\n", line.error.c_str(),
                     velor::ui::AppUsageHint().c_str());
        return 1;
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    // Before Qt has taken its own options out, only help and version are acted on: an option
    // unknown here may still be Qt's.
    const auto early =
        velor::ui::ParseAppCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (early.action != velor::ui::AppCommandLine::Action::UsageError) {
        if (const int code = AnswerWithoutWindow(early); code >= 0) {
            return code;
        }
    }
    velor::ui::VelorApplication app(argc, argv);
    std::vector<std::string> rest;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        rest.push_back(args.at(i).toStdString());
    }
    const auto line = velor::ui::ParseAppCommandLine(rest);
    if (const int code = AnswerWithoutWindow(line); code >= 0) {
        return code;
    }

    velor::ui::WidgetPrompts prompts;
    app.SetPrompts(&prompts);

    std::filesystem::path exeDir = velor::ExecutableDirectory();
    if (exeDir.empty()) {
        exeDir = QCoreApplication::applicationDirPath().toStdString();
    }
    velor::ui::MainWindow window(prompts, velor::SettingsFilePathFor(exeDir));
    prompts.SetParent(&window);
    velor::ui::InstallResultViews(window, prompts);
    velor::ui::GroupWindow* group = velor::ui::InstallGroupCommands(window, prompts);
    group->createView = [&prompts](velor::ui::ResultView view, const velor::Document& document) {
        return velor::ui::CreateResultView(view, document, prompts);
    };

    const velor::elicit::AssessmentContext dialogs{window.GetDocument(), prompts, &window};
    InstallElicitation(window, dialogs);
    window.show();

    if (!line.modelFile.empty()) {
        const QFileInfo file(QString::fromStdString(line.modelFile));
        const QString path = file.absoluteFilePath();
        // A group file opens in the Group window, anything else as a model.
        if (file.suffix().compare(QStringLiteral("vlg"), Qt::CaseInsensitive) == 0) {
            window.RunCommand([group, &path] {
                if (group->OpenGroup(path)) {
                    group->show();
                }
            });
        } else {
            window.RunCommand([&window, &path] { window.OpenFile(path); });
        }
    }
    return app.exec();
}
