// The two exports (constraint file and results report) on failing disks: an export that cannot
// be completed says why and leaves the file it would have replaced exactly as it was, with no
// temporary file left beside it.
#include "calc/constraint_file.h"
#include "calc/results_report.h"
#include "model/model_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace velor {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const Model& Example() {
    static const Model model = [] {
        Model loaded;
        EXPECT_TRUE(LoadModelFile(loaded, VELOR_SOURCE_DIR "/examples/supplier.vlr"));
        return loaded;
    }();
    return model;
}

struct Export {
    const char* name;
    std::function<bool(const std::string& path, std::string* error)> write;
};

const Export kExports[] = {
    {"ConstraintFile",
     [](const std::string& path, std::string* error) {
         return WriteConstraintFile(ConstraintExportModel(Example()), path, error);
     }},
    {"ResultsReport",
     [](const std::string& path, std::string* error) {
         return WriteResultsReport(Example(), path, error);
     }},
};

class ExportFaults : public ::testing::TestWithParam<Export> {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("velor_export_faults_" + std::to_string(::getpid()) + "_" + GetParam().name);
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        fs::path previous = folder_ / "export.out";
        std::ofstream(previous, std::ios::binary) << previous_;
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    bool Write(const fs::path& path, std::string* error) const {
        return GetParam().write(path.string(), error);
    }

    fs::path folder_;
    const std::string previous_ = "the previous export\r\n";
};

TEST_P(ExportFaults, IntoAMissingFolderFailsWithAMessageAndCreatesNothing) {
    std::string error;
    EXPECT_FALSE(Write(folder_ / "missing" / "export.out", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists(folder_ / "missing"));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"export.out"});
}

// The file size limit makes every write beyond it fail (EFBIG) as a full disk would (ENOSPC).
TEST_P(ExportFaults, WhenTheDiskFillsThePreviousFileSurvives) {
    std::string error;
    ASSERT_TRUE(Write(folder_ / "whole.out", &error)) << error;
    const auto whole = fs::file_size(folder_ / "whole.out");
    ASSERT_GT(whole, 1024u);
    fs::remove(folder_ / "whole.out");

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = whole / 2;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool written = Write(folder_ / "export.out", &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFile(folder_ / "export.out"), previous_);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"export.out"}) << "a temporary file stayed";
}

// A full device given as the export's name: the export fails and the device stays a device. The
// superuser may create files beside a device, so the device is a private copy of /dev/full then.
TEST_P(ExportFaults, OntoAFullDeviceFailsAndLeavesTheDevice) {
    fs::path device = "/dev/full";
    if (::geteuid() == 0) {
        device = folder_ / "full";
        ASSERT_EQ(::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    }
    std::string error;
    EXPECT_FALSE(Write(device, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_character_file(device));
    if (device != "/dev/full") {
        EXPECT_EQ(FolderEntries().size(), 2u) << "a temporary file stayed";
    }
}

// Through a link, the linked file receives the export and the link stays.
TEST_P(ExportFaults, ThroughALinkReplacesTheLinkedFile) {
    const fs::path link = folder_ / "link.out";
    fs::create_symlink(folder_ / "export.out", link);
    std::string error;
    ASSERT_TRUE(Write(link, &error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(ReadFile(folder_ / "export.out"), previous_);
    EXPECT_EQ(FolderEntries().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Exports, ExportFaults, ::testing::ValuesIn(kExports),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace velor
