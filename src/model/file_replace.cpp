#include "model/file_replace.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velor {
namespace {

std::string ErrnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// Creates a new, hidden file in the folder of the target; returns its descriptor (or -1 with
// errno set) and its name in temp.
int CreateTempFile(const std::filesystem::path& target, std::string& temp) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    const std::filesystem::path folder = target.parent_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = ".velor-save-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(counter++) + "-" +
                                 std::to_string(random() % 1000000) + ".tmp";
        temp = (folder / name).string();
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// Makes the rename itself durable; a folder that cannot be synced does not fail the save.
void SyncFolder(const std::filesystem::path& target) {
    const std::filesystem::path folder = target.parent_path();
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool Fail(std::string* error, std::string reason) {
    if (error != nullptr) {
        *error = std::move(reason);
    }
    return false;
}

} // namespace

bool ReplaceFile(const std::string& path, std::string_view contents, std::string* error) {
    namespace fs = std::filesystem;
    if (path.empty()) {
        return Fail(error, "no file name");
    }

    // Replace the file a link points to, not the link; and never replace a device, a pipe or
    // a folder by a regular file.
    std::error_code ec;
    fs::path target(path);
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        fs::path resolved = fs::canonical(target, ec);
        if (!ec) {
            target = resolved;
        }
    }
    const fs::file_status status = fs::status(target, ec);
    const bool exists = fs::exists(status);
    if (exists && !fs::is_regular_file(status)) {
        return Fail(error, "not a regular file: " + target.string());
    }

    // Write a temporary file next to the target and rename it over the target only when every
    // write, the flush and the close succeeded.
    std::string temp;
    const int fd = CreateTempFile(target, temp);
    if (fd < 0) {
        return Fail(error, ErrnoText("cannot create the file"));
    }
    auto abandon = [&](std::string reason) {
        ::unlink(temp.c_str());
        return Fail(error, std::move(reason));
    };
    // The new file keeps the mode of the one it replaces; a new file gets 0666 less the umask.
    struct stat old {};
    if (exists && ::stat(target.c_str(), &old) == 0) {
        ::fchmod(fd, old.st_mode & 07777);
    }

    const char* data = contents.data();
    std::size_t left = contents.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            const std::string reason = ErrnoText("cannot write the file");
            ::close(fd);
            return abandon(reason);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    if (::fsync(fd) != 0) {
        const std::string reason = ErrnoText("cannot flush the file");
        ::close(fd);
        return abandon(reason);
    }
    if (::close(fd) != 0) {
        return abandon(ErrnoText("cannot close the file"));
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        return abandon(ErrnoText("cannot replace the file"));
    }
    SyncFolder(target);
    return true;
}

} // namespace velor
