// Replacing files: write-protected targets, links whose target does not exist yet, the file size
// limit, and telling whether two paths name the same file.
#include "file_test_support.h"
#include "model/file_replace.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velor {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

const std::string kOld = "old contents\n";
const std::string kNew = "new contents\n";

std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct ModeCase {
    unsigned mode;
    bool replaced;
};

class TargetMode : public ::testing::TestWithParam<ModeCase> {};

// A file without any write bit is never replaced, whoever runs the program; one with a write
// bit is, and keeps its mode.
TEST_P(TargetMode, OnlyWritableFilesAreReplaced) {
    TempDir dir;
    const std::string path = (dir.path() / "model.vlr").string();
    const std::string link = (dir.path() / "link.vlr").string();
    WriteBytes(path, kOld);
    fs::create_symlink("model.vlr", link);
    ASSERT_EQ(::chmod(path.c_str(), GetParam().mode), 0);
    for (const std::string& target : {path, link}) {
        std::string error;
        EXPECT_EQ(ReplaceFile(target, kNew, &error), GetParam().replaced) << target;
        if (GetParam().replaced) {
            EXPECT_EQ(ReadBytes(path), kNew);
            WriteBytes(path, kOld);
        } else {
            EXPECT_EQ(error, "the file is write-protected");
            ::chmod(path.c_str(), 0600);
            EXPECT_EQ(ReadBytes(path), kOld);
            ::chmod(path.c_str(), GetParam().mode);
        }
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, GetParam().mode);
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"link.vlr", "model.vlr"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, TargetMode,
                         ::testing::Values(ModeCase{0444, false}, ModeCase{0400, false},
                                           ModeCase{0, false}, ModeCase{0555, false},
                                           ModeCase{0200, true}, ModeCase{0644, true},
                                           ModeCase{0602, true}),
                         [](const ::testing::TestParamInfo<ModeCase>& info) {
                             return "mode_" + std::to_string(info.param.mode);
                         });

// A link whose target does not exist yet is written through: the link stays and its target is
// created, as for a link to an existing file.
TEST(DanglingLink, IsWrittenThrough) {
    TempDir dir;
    fs::create_directories(dir.path() / "sub");
    struct Link {
        fs::path link;
        fs::path pointsTo; // as stored in the link
        fs::path target;   // the file that must be written
    };
    const std::vector<Link> links = {
        {dir.path() / "relative.vlr", "sub/new1.vlr", dir.path() / "sub/new1.vlr"},
        {dir.path() / "absolute.vlr", dir.path() / "new2.vlr", dir.path() / "new2.vlr"},
        {dir.path() / "sub/up.vlr", "../new3.vlr", dir.path() / "new3.vlr"},
        {dir.path() / "chain.vlr", "relative2.vlr", dir.path() / "sub/new4.vlr"},
    };
    fs::create_symlink("sub/new4.vlr", dir.path() / "relative2.vlr");
    for (const Link& l : links) {
        fs::create_symlink(l.pointsTo, l.link);
        std::string error;
        ASSERT_TRUE(ReplaceFile(l.link.string(), kNew, &error)) << l.link << ": " << error;
        EXPECT_TRUE(fs::is_symlink(l.link)) << l.link;
        EXPECT_EQ(ReadBytes(l.target.string()), kNew) << l.target;
    }
}

TEST(DanglingLink, IntoAMissingFolderOrALoopIsRefused) {
    TempDir dir;
    fs::create_symlink("no such folder/new.vlr", dir.path() / "missing.vlr");
    fs::create_symlink("loop2.vlr", dir.path() / "loop1.vlr");
    fs::create_symlink("loop1.vlr", dir.path() / "loop2.vlr");
    for (const char* name : {"missing.vlr", "loop1.vlr"}) {
        std::string error;
        EXPECT_FALSE(ReplaceFile((dir.path() / name).string(), kNew, &error)) << name;
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(fs::is_symlink(dir.path() / name));
    }
    EXPECT_EQ(Entries(dir.path()),
              (std::vector<std::string>{"loop1.vlr", "loop2.vlr", "missing.vlr"}));
}

// A write beyond the file size limit fails and leaves nothing behind, even in a process that
// has not set SIGXFSZ aside (its default ends the process).
TEST(FileSizeLimit, FailsTheWriteInsteadOfEndingTheProcess) {
    TempDir dir;
    const std::string path = (dir.path() / "model.vlr").string();
    WriteBytes(path, kOld);
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        rlimit small{};
        ::getrlimit(RLIMIT_FSIZE, &small);
        small.rlim_cur = 1000;
        ::setrlimit(RLIMIT_FSIZE, &small);
        std::string error;
        const bool written = ReplaceFile(path, std::string(5000, 'x'), &error);
        ::_exit(!written && error.find("write") != std::string::npos ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadBytes(path), kOld);
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"model.vlr"});
}

TEST(SameFile, ComparesFilesNotNames) {
    TempDir dir;
    const fs::path a = dir.path() / "a.vlr";
    const fs::path b = dir.path() / "b.vlr";
    WriteBytes(a.string(), kOld);
    WriteBytes(b.string(), kOld); // the same contents, another file
    fs::create_directories(dir.path() / "sub");
    fs::create_symlink(a, dir.path() / "link.vlr");
    fs::create_hard_link(a, dir.path() / "hard.vlr");
    fs::create_symlink("../new.vlr", dir.path() / "sub/dangling.vlr");
    const std::string folder = dir.path().string();

    struct Pair {
        std::string first;
        std::string second;
        bool same;
    };
    const std::vector<Pair> pairs = {
        {a.string(), a.string(), true},
        {a.string(), folder + "/./a.vlr", true},
        {a.string(), folder + "/sub/../a.vlr", true},
        {a.string(), folder + "/link.vlr", true},
        {a.string(), folder + "/hard.vlr", true},
        {a.string(), b.string(), false},
        {a.string(), folder + "/new.vlr", false},
        // Files that do not exist yet: the same place, or not.
        {folder + "/new.vlr", folder + "/sub/../new.vlr", true},
        {folder + "/new.vlr", folder + "/sub/dangling.vlr", true},
        {folder + "/new.vlr", folder + "/other.vlr", false},
        {folder + "/sub/new.vlr", folder + "/new.vlr", false},
    };
    for (const Pair& p : pairs) {
        EXPECT_EQ(SameFile(p.first, p.second), p.same) << p.first << " / " << p.second;
        EXPECT_EQ(SameFile(p.second, p.first), p.same) << p.second << " / " << p.first;
    }
    // Relative to the current folder.
    const fs::path current = fs::current_path();
    fs::current_path(dir.path());
    EXPECT_TRUE(SameFile("a.vlr", a.string()));
    EXPECT_TRUE(SameFile("./new.vlr", folder + "/new.vlr"));
    EXPECT_FALSE(SameFile("b.vlr", a.string()));
    fs::current_path(current);
}

} // namespace
} // namespace velor
