#include "calc/constraint_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace velor {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string FileText(const TConstraintModel& model) {
    std::string text;
    if (model.Direction == kMinimize || model.Direction == kMaximize) {
        text += model.Direction == kMinimize ? "min " : "max ";
        text += model.Objective;
        text += ';';
        text += kLineEnd;
    } else {
        text += model.Objective;
        text += kLineEnd;
        text += kLineEnd;
    }
    for (const std::string& constraint : model.Constraints) {
        text += constraint;
        text += ';';
        text += kLineEnd;
    }
    return text;
}

bool Fail(std::string* error, const std::string& what) {
    if (error != nullptr) {
        *error = what + ": " + std::strerror(errno);
    }
    return false;
}

// Creates a new temporary file beside path; returns its descriptor, or -1.
int CreateTemporary(const std::string& path, std::string& tempPath) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

bool WriteConstraintFile(const TConstraintModel& model, const std::string& path,
                         std::string* error) {
    if (path.empty()) {
        errno = ENOENT;
        return Fail(error, "no file name");
    }
    std::string tempPath;
    const int fd = CreateTemporary(path, tempPath);
    if (fd < 0) {
        return Fail(error, "cannot create " + path);
    }
    const bool written = WriteAll(fd, FileText(model)) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        errno = written ? errno : savedErrno;
        const bool result = Fail(error, "cannot write " + path);
        ::unlink(tempPath.c_str());
        return result;
    }
    if (std::rename(tempPath.c_str(), path.c_str()) != 0) {
        const bool result = Fail(error, "cannot replace " + path);
        ::unlink(tempPath.c_str());
        return result;
    }
    return true;
}

} // namespace velor
