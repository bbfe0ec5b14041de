// The desktop application: `velor [MODEL.vlr]`, or `velor --version`.
#include "elicit/dialog_context.h"
#include "elicit/score_form.h"
#include "model/settings_location.h"
#include "ui/main_window.h"
#include "ui/prompts.h"
#include "ui/tree_editor.h"
#include "ui/velor_application.h"
#include "ui/views/result_views.h"

#include <QFileInfo>

#include <cstdio>
#include <cstring>

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

    // The score and holistic assessments (F3 and double-click in the value tree).
    const velor::elicit::DialogContext dialogs{window.GetModel(), prompts, &window};
    window.Tree()->SetScoreAssessmentHandler([&dialogs](velor::NodeId node) {
        if (dialogs.model.Exists(node)) {
            velor::elicit::ShowScoreAssessment(dialogs, dialogs.model.Node(node).Assessment);
        }
    });
    window.show();

    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 1) {
        const QString path = QFileInfo(args.at(1)).absoluteFilePath();
        window.RunCommand([&window, &path] { window.OpenFile(path); });
    }
    return app.exec();
}
