// Helpers of the model file tests: a temporary folder, whole-file reads and writes, and line
// lists of a model text.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace velor::testing {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir() {
        std::random_device random;
        path_ = fs::temp_directory_path() / ("velor-model-file-test-" + std::to_string(random()));
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// Lines of a text ending in LF or CR LF.
inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// Every line followed by the line end.
inline std::string JoinLines(const std::vector<std::string>& lines, const std::string& end) {
    std::string out;
    for (const auto& l : lines) {
        out += l + end;
    }
    return out;
}

inline std::size_t LineOf(const std::vector<std::string>& lines, const std::string& text) {
    const auto it = std::find(lines.begin(), lines.end(), text);
    EXPECT_NE(it, lines.end()) << text;
    return static_cast<std::size_t>(it - lines.begin());
}

} // namespace velor::testing
