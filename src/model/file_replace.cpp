#include "model/file_replace.h"

#include <atomic>
#include <cerrno>
#include <csignal>
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

// The file a path names after following every symbolic link, also a link whose target does not
// exist yet (the file is then created there). Fails on a loop of links.
bool FollowLinks(const std::filesystem::path& path, std::filesystem::path& target,
                 std::string& reason) {
    namespace fs = std::filesystem;
    target = path;
    std::error_code ec;
    for (int hops = 0; hops < 40; ++hops) {
        if (!fs::is_symlink(fs::symlink_status(target, ec))) {
            return true;
        }
        const fs::path next = fs::read_symlink(target, ec);
        if (ec) {
            reason = "cannot read the link " + target.string() + ": " + ec.message();
            return false;
        }
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    reason = "too many levels of symbolic links";
    return false;
}

// Whether an existing file may be replaced: the user may write it, and it has a write bit at
// all, so that a write-protected file stays as it is even for the superuser.
bool MayReplace(const std::filesystem::path& target, const struct stat& st) {
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && ::access(target.c_str(), W_OK) == 0;
}

// Makes a write beyond the file size limit fail with an error (EFBIG) instead of ending the
// process, unless the program has a handler of its own.
void IgnoreFileSizeSignal() {
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
        std::signal(SIGXFSZ, SIG_IGN);
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

    // A write beyond the file size limit must fail like any other write, so that the
    // temporary file is removed, instead of ending the process.
    IgnoreFileSizeSignal();

    // Replace the file a link points to, not the link; never replace a device, a pipe or a
    // folder by a regular file, nor a file that is write-protected.
    fs::path target;
    std::string reason;
    if (!FollowLinks(path, target, reason)) {
        return Fail(error, reason);
    }
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        return Fail(error, "not a regular file: " + target.string());
    }
    if (exists && !MayReplace(target, old)) {
        return Fail(error, "the file is write-protected");
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
    if (exists) {
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

bool SameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    struct stat first {};
    struct stat second {};
    const bool firstExists = ::stat(a.c_str(), &first) == 0;
    const bool secondExists = ::stat(b.c_str(), &second) == 0;
    if (firstExists || secondExists) {
        return firstExists && secondExists && first.st_dev == second.st_dev &&
               first.st_ino == second.st_ino;
    }
    // Neither exists yet: the same file if both name the same place once links are followed.
    fs::path firstTarget;
    fs::path secondTarget;
    std::string reason;
    if (!FollowLinks(a, firstTarget, reason) || !FollowLinks(b, secondTarget, reason)) {
        return false;
    }
    std::error_code ec;
    const fs::path firstPlace = fs::weakly_canonical(fs::absolute(firstTarget, ec), ec);
    const fs::path secondPlace = fs::weakly_canonical(fs::absolute(secondTarget, ec), ec);
    return firstPlace == secondPlace;
}

} // namespace velor
