#pragma once
// Exclusive creation and locks between running programs, as the system
// gives them (POSIX here), shared by every platform implementation.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "document/errors.h"
#include "platform/platform.h"

namespace pixolat {

// O_EXCL refuses any name that exists, a link (even a dangling one) too.
inline bool CreateNewFileAt(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
        close(fd);
        return true;
    }
    if (errno == EEXIST) return false;
    throw Error("Cannot create file \"" + path + "\". " + std::strerror(errno));
}

// flock: held per open file, so a second lock in the same program is refused
// as another program's is, and the system frees it when the program ends.
class FileLock : public Platform::Lock {
public:
    explicit FileLock(int fd) : fd_(fd) {}
    ~FileLock() override { close(fd_); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_;
};

inline std::unique_ptr<Platform::Lock> TryLockAt(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return nullptr;
    }
    return std::make_unique<FileLock>(fd);
}

}  // namespace pixolat
