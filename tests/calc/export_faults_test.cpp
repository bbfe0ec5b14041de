// The two exports (constraint file and results report) on failing disks: an export that cannot
// be completed says why and leaves the file it would have replaced exactly as it was, with no
// temporary file left beside it.
#include "calc/constraint_file.h"
#include "calc/results_report.h"
#include "calc/solver_bridge.h"
#include "model/model_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
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
    std::function<bool(const Model& model, const std::string& path, std::string* error)> write;
};

const Export kExports[] = {
    {"ConstraintFile",
     [](const Model& model, const std::string& path, std::string* error) {
         return WriteConstraintFile(ConstraintExportModel(model), path, error);
     }},
    {"ResultsReport", [](const Model& model, const std::string& path,
                         std::string* error) { return WriteResultsReport(model, path, error); }},
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
        return GetParam().write(Example(), path.string(), error);
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

// The first statement of the example with the given upper bound.
Model WithUpperBound(double upper) {
    Model model = Example();
    for (NodeId node : model.PreOrder()) {
        if (TPreferenceData* preference = model.PreferenceData(node);
            preference != nullptr && !preference->Statements.empty()) {
            preference->Statements.front().Upper = upper;
            break;
        }
    }
    return model;
}

class NonFiniteExports : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder_);
        std::ofstream(path_, std::ios::binary) << "previous\r\n";
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path folder_ =
        fs::temp_directory_path() / ("velor_non_finite_exports_" + std::to_string(::getpid()));
    std::string path_ = (folder_ / "export.out").string();
};

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Whatever the constraint export writes, the constraint parser reads back; a bound that has no
// such form refuses the export. (A negative or undefined bound is no bound and writes no row.)
TEST_F(NonFiniteExports, TheConstraintExportWritesOnlyWhatItsParserReads) {
    for (double upper : {kInfinity, -kInfinity, std::nan(""), 1e300, 0.5}) {
        SCOPED_TRACE(upper);
        std::string error;
        const bool written =
            WriteConstraintFile(ConstraintExportModel(WithUpperBound(upper)), path_, &error);
        EXPECT_EQ(written, upper != kInfinity) << error;
        const std::string text = ReadFile(path_);
        if (!written) {
            EXPECT_NE(error.find("not valid"), std::string::npos) << error;
            EXPECT_EQ(text, "previous\r\n");
            continue;
        }
        std::istringstream lines(text);
        std::string line;
        std::getline(lines, line); // the header and the empty line after it
        std::getline(lines, line);
        while (std::getline(lines, line)) {
            ASSERT_GE(line.size(), 2u);
            EXPECT_NO_THROW(ParseConstraint(line.substr(0, line.size() - 2))) << line;
        }
    }
}

TEST_F(NonFiniteExports, TheReportRefusesNumbersThatAreNotFinite) {
    for (double bad : {kInfinity, -kInfinity, std::nan("")}) {
        Model model = Example();
        ResultRecords(model).AlternativeData(1).MaxRegret = bad;
        std::string error;
        EXPECT_FALSE(WriteResultsReport(model, path_, &error)) << bad;
        EXPECT_NE(error.find("not finite"), std::string::npos) << error;
        EXPECT_EQ(ReadFile(path_), "previous\r\n");
        EXPECT_FALSE(WriteResultsReport(WithUpperBound(bad), path_, &error)) << bad;
    }
    std::string error;
    EXPECT_TRUE(WriteResultsReport(WithUpperBound(-1.0), path_, &error)) << error;
}

} // namespace
} // namespace velor
