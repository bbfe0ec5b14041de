// The desktop application and hostile files: a write-protected save target, a named pipe as the
// model to open, and a large settings file written on closing.
#include "gui_fixture.h"
#include "model/model_file.h"

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

namespace velor::ui::test {
namespace {

std::string ReadAll(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(GuiTest, AWriteProtectedFileIsNotSavedInto) {
    const QString path = FilePath(QStringLiteral("protected.vlr"));
    ASSERT_TRUE(SaveModelFile(Model(), path.toStdString()));
    const std::string before = ReadAll(path);
    ASSERT_EQ(::chmod(path.toLocal8Bit().constData(), 0444), 0);
    BuildSmallModel();

    prompts.fileAnswers.push_back(path);
    EXPECT_FALSE(window->SaveAsClick());
    EXPECT_EQ(prompts.LastText(),
              QStringLiteral("Cannot save into file ") + path + QStringLiteral("."));
    EXPECT_TRUE(Changed());
    EXPECT_EQ(model().NodeCount(), 4);
    EXPECT_TRUE(window->FileName().empty());
    EXPECT_EQ(ReadAll(path), before);
}

// Opening a named pipe does not wait for a writer: it is no model file.
TEST_F(GuiTest, ANamedPipeIsRefusedAtOnce) {
    const QString path = FilePath(QStringLiteral("pipe.vlr"));
    ASSERT_EQ(::mkfifo(path.toLocal8Bit().constData(), 0644), 0);
    prompts.fileAnswers.push_back(path);
    window->Action(QStringLiteral("Open1"))->trigger();
    EXPECT_EQ(prompts.LastText().toStdString(), InvalidModelMessage(path.toStdString()));
    EXPECT_TRUE(window->FileName().empty());
}

// Closing writes every placement and the recent files in one write of the settings file, so
// that a large file costs one read and one write.
TEST_F(GuiTest, ClosingWritesTheSettingsFileOnce) {
    {
        std::ofstream junk(SettingsPath(), std::ios::binary | std::ios::app);
        for (int i = 0; i < 20000; ++i) {
            junk << "junk " << i << " = " << std::string(40, 'j') << "\r\n";
        }
    }
    prompts.fileAnswers.push_back(FilePath(QStringLiteral("model.vlr")));
    BuildSmallModel();
    ASSERT_TRUE(window->SaveAsClick()); // a recent file to save as well

    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ::inotify_add_watch(watch, dir.path().toLocal8Bit().constData(), IN_MOVED_TO | IN_CLOSE_WRITE);
    window->close();
    int writes = 0;
    alignas(inotify_event) char buffer[8192];
    for (ssize_t got; (got = ::read(watch, buffer, sizeof buffer)) > 0;) {
        for (char* at = buffer; at < buffer + got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            writes += event->len > 0 && std::string(event->name) == "velor.ini" ? 1 : 0;
            at += sizeof(inotify_event) + event->len;
        }
    }
    ::close(watch);
    EXPECT_EQ(writes, 1);
    const std::string settings = ReadAll(QString::fromStdString(SettingsPath().string()));
    EXPECT_NE(settings.find("junk 19999"), std::string::npos);
    EXPECT_NE(settings.find("[MainForm]"), std::string::npos);
    EXPECT_NE(settings.find("model.vlr"), std::string::npos);
}

} // namespace
} // namespace velor::ui::test
