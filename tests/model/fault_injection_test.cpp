// Damaged files and failing disks. A model file from a colleague may arrive cut short or with
// bytes garbled; the reader must accept or reject every such file (never crash, never hang, never
// leave half a model behind), and a save that cannot be completed must say why and leave the
// file it would have replaced exactly as it was.
//
// VELOR_FAULT_FLIPS in the environment sets the number of damaged copies made of each example
// (a longer run: 50000).
#include "model/model.h"
#include "model/model_file.h"
#include "model_invariants.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace velor {
namespace {

namespace fs = std::filesystem;

const char* const kExamples[] = {"car.vlr", "job_offers.vlr", "supplier.vlr"};

int FlipsPerExample() {
    const char* text = std::getenv("VELOR_FAULT_FLIPS");
    const int count = text != nullptr ? std::atoi(text) : 0;
    return count > 0 ? count : 1500;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Example(const char* name) {
    return ReadFile(fs::path(VELOR_SOURCE_DIR) / "examples" / name);
}

// What must hold for any text: a rejected text leaves an empty, unchanged model; an accepted one
// gives a sound model whose saved form reads back and saves to the same text. *accepted tells
// which of the two happened.
::testing::AssertionResult ReadsSoundly(const std::string& text, bool* accepted) {
    Model model;
    *accepted = ReadModelText(model, text);
    if (!*accepted) {
        if (model != Model()) {
            return ::testing::AssertionFailure() << "a rejected file left a model behind";
        }
        return ::testing::AssertionSuccess();
    }
    // The statement set keeps the holistic flag the file gives it, even one that does not match
    // the node's kind (it only names the assessment dialog); everything else must be sound.
    Model aligned = model;
    for (const NodeId node : aligned.PreOrder()) {
        if (TPreferenceData* preference = aligned.PreferenceData(node)) {
            preference->Holistic = aligned.IsGoal(node) ? 1 : 0;
        }
    }
    if (const std::string broken = testing::CheckInvariants(aligned); !broken.empty()) {
        return ::testing::AssertionFailure()
               << "an accepted file gave an unsound model: " << broken;
    }
    const std::string written = WriteModelText(model);
    Model again;
    if (!ReadModelText(again, written)) {
        return ::testing::AssertionFailure() << "the writer produced a file the reader rejects";
    }
    if (WriteModelText(again) != written) {
        return ::testing::AssertionFailure() << "saving the loaded file changed it";
    }
    return ::testing::AssertionSuccess();
}

TEST(ModelFileFaults, EveryTruncationIsAcceptedOrRejectedCleanly) {
    int truncations = 0;
    int accepted = 0;
    for (const char* name : kExamples) {
        const std::string text = Example(name);
        ASSERT_FALSE(text.empty()) << name;
        std::size_t start = 0;
        for (std::size_t end = text.find('\n'); end != std::string::npos;
             start = end + 1, end = text.find('\n', start)) {
            // Cut after the line end, between its CR and LF, and in the middle of the line.
            for (const std::size_t cut : {end + 1, end, start + (end - start) / 2}) {
                bool read = false;
                EXPECT_TRUE(ReadsSoundly(text.substr(0, cut), &read)) << name << " cut at " << cut;
                accepted += read ? 1 : 0;
                ++truncations;
            }
        }
    }
    std::cout << "[ truncations ] " << truncations << " cut files, " << accepted << " accepted\n";
    EXPECT_GT(truncations, 6000);
    // Only the three cuts of the last line are complete files (the last value may read shorter);
    // a file cut anywhere before lacks lines the reader needs and is rejected, never read with
    // made-up values.
    EXPECT_EQ(accepted, 3 * static_cast<int>(std::size(kExamples)));
}

TEST(ModelFileFaults, RandomByteFlipsAreAcceptedOrRejectedCleanly) {
    std::mt19937_64 random(20261207);
    const int perExample = FlipsPerExample();
    int files = 0;
    int flips = 0;
    int accepted = 0;
    for (const char* name : kExamples) {
        const std::string text = Example(name);
        std::uniform_int_distribution<std::size_t> position(0, text.size() - 1);
        std::uniform_int_distribution<int> count(1, 8);
        std::uniform_int_distribution<int> byte(0, 255);
        // Half the replacement bytes are those that change meaning: digits, signs, line ends.
        const std::string telling = "0123456789-+.\r\n eE";
        for (int k = 0; k < perExample; ++k) {
            std::string damaged = text;
            const int n = count(random);
            for (int f = 0; f < n; ++f) {
                const int b = byte(random);
                damaged[position(random)] =
                    b < 128 ? telling[static_cast<std::size_t>(b) % telling.size()]
                            : static_cast<char>(b);
            }
            flips += n;
            ++files;
            bool read = false;
            EXPECT_TRUE(ReadsSoundly(damaged, &read)) << name << " damage " << k;
            accepted += read ? 1 : 0;
        }
    }
    std::cout << "[ byte flips  ] " << files << " damaged files, " << flips << " flipped bytes, "
              << accepted << " accepted\n";
    // Both outcomes occur: damage in a name or a value is read, damage in a count is not.
    EXPECT_GT(accepted, 0);
    EXPECT_LT(accepted, files);
}

class SaveFaults : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("velor_save_faults_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        ASSERT_TRUE(ReadModelText(model_, Example("car.vlr")));
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(folder_, fs::perms::owner_all, ec);
        fs::remove_all(folder_, ec);
    }

    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    fs::path folder_;
    Model model_;
};

// The link stays a link to the device, and no file appears beside it.
TEST_F(SaveFaults, ThroughALinkToAFullDeviceFailsWithAMessage) {
    const fs::path link = folder_ / "model.vlr";
    fs::create_symlink("/dev/full", link);
    std::string error;
    EXPECT_FALSE(SaveModelFile(model_, link.string(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"model.vlr"});
}

TEST_F(SaveFaults, IntoAReadOnlyFolderFailsAndTheFileSurvives) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop the superuser";
    }
    const fs::path path = folder_ / "model.vlr";
    ASSERT_TRUE(SaveModelFile(model_, path.string()));
    const std::string previous = ReadFile(path);
    fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
    Model small;
    small.AddNode(kGoal, kNone);
    std::string error;
    EXPECT_FALSE(SaveModelFile(small, path.string(), &error));
    fs::permissions(folder_, fs::perms::owner_all);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFile(path), previous);
}

} // namespace
} // namespace velor
