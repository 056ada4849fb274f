#include "convert/output_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "document/errors.h"

namespace pixolat {

namespace {

// The temporary file being written, for the signal handler. Only ever set
// while the signals that read it are blocked.
char gTemporary[4096];

void RemoveTemporaryAndDie(int signal) {
    if (gTemporary[0] != '\0') ::unlink(gTemporary);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// Every signal sent from outside whose default action ends the program.
// (Faults of the program itself, such as SIGSEGV, are left to the system and
// the sanitizers.)
sigset_t CleanUpSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGALRM, SIGTERM, SIGUSR1, SIGUSR2, SIGPOLL,
                  SIGPROF, SIGVTALRM, SIGXCPU, SIGSTKFLT, SIGPWR})
        sigaddset(&set, s);
    for (int s = SIGRTMIN; s <= SIGRTMAX; ++s) sigaddset(&set, s);
    return set;
}

class BlockedSignals {
public:
    BlockedSignals() {
        const sigset_t set = CleanUpSignals();
        sigprocmask(SIG_BLOCK, &set, &old_);
    }
    ~BlockedSignals() { sigprocmask(SIG_SETMASK, &old_, nullptr); }
    BlockedSignals(const BlockedSignals&) = delete;
    BlockedSignals& operator=(const BlockedSignals&) = delete;

private:
    sigset_t old_;
};

void InstallHandlers() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    const sigset_t set = CleanUpSignals();
    for (int s = 1; s < NSIG; ++s) {
        if (sigismember(&set, s) != 1) continue;
        struct sigaction action {};
        action.sa_handler = RemoveTemporaryAndDie;
        sigemptyset(&action.sa_mask);
        // A signal the caller chose to ignore stays ignored.
        struct sigaction old {};
        sigaction(s, nullptr, &old);
        if (old.sa_handler != SIG_IGN) sigaction(s, &action, nullptr);
    }
    // Past a file size limit the write fails with "File too large" and the
    // temporary file is removed, instead of the process being killed.
    ::signal(SIGXFSZ, SIG_IGN);
}

[[noreturn]] void Fail(const std::string& what, const std::string& path, int error) {
    throw Error("cannot " + what + " " + path + ": " + std::strerror(error != 0 ? error : EIO));
}

std::string Folder(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// The path with every symlink at its end followed, so the link's target is
// replaced and the link stays.
std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        std::string target(std::size_t(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n < 0) Fail("write", path, errno);
        target.resize(std::size_t(n));
        current = target.starts_with('/') ? target : Folder(current) + target;
    }
    Fail("write", path, ELOOP);
}

void WriteAll(int fd, const std::vector<uint8_t>& bytes, const auto& fail) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail(n < 0 ? errno : EIO);
        done += std::size_t(n);
    }
}

// Devices and pipes cannot be replaced by a rename: they are written directly.
// A pipe that nothing reads is refused at once instead of waited on.
void WriteInPlace(const std::string& path, const std::vector<uint8_t>& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 && errno == ENXIO)
        throw Error(path + " is a pipe that no program reads; nothing was written");
    if (fd < 0) Fail("write", path, errno);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    WriteAll(fd, bytes, [&](int error) {
        ::close(fd);
        Fail("write", path, error);
    });
    if (::close(fd) != 0) Fail("write", path, errno);
}

// The file opened for reading; what is not a regular file (a pipe, a device,
// a folder) is refused before anything is read. Without O_NONBLOCK, opening
// a pipe would wait for a writer.
int OpenRegularFile(const std::string& path, struct stat& info) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) Fail("read", path, errno);
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        Fail("read", path, error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        throw Error(path + " is not a regular file; only files are read");
    }
    return fd;
}

}  // namespace

void ReadFileInPieces(const std::string& path, std::size_t limit, const std::string& limitText,
                      const std::function<void(std::string_view)>& piece) {
    struct stat info {};
    const int fd = OpenRegularFile(path, info);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    const auto refuse = [&] {
        throw Error(path + " is larger than " + limitText + "; files up to " + limitText +
                    " are read");
    };
    if (std::size_t(info.st_size) > limit) refuse();
    std::vector<char> buffer(std::size_t(1) << 20);
    std::size_t total = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n < 0) Fail("read", path, errno);
        if (n == 0) return;
        // A file that grew since it was measured tells its size only by its end.
        if (std::size_t(n) > limit - total) refuse();
        total += std::size_t(n);
        piece(std::string_view(buffer.data(), std::size_t(n)));
    }
}

std::vector<uint8_t> ReadFileStart(const std::string& path, std::size_t limit) {
    struct stat info {};
    const int fd = OpenRegularFile(path, info);
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    while (bytes.size() < limit) {
        const ssize_t n = ::read(fd, chunk, std::min(sizeof chunk, limit - bytes.size()));
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            Fail("read", path, error);
        }
        if (n == 0) break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    ::close(fd);
    return bytes;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path, std::size_t limit,
                                   const std::string& limitText) {
    const auto refuse = [&] {
        throw Error(path + " is larger than " + limitText + "; files up to " + limitText +
                    " are read");
    };
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        std::size_t(info.st_size) > limit)
        refuse();
    // A file that grew since tells its size only by its end.
    std::vector<uint8_t> bytes = ReadFileStart(path, limit + 1);
    if (bytes.size() > limit) refuse();
    return bytes;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {
    }, second{};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::string target = FollowLinks(path);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) Fail("write", path, EISDIR);
    if (exists && !S_ISREG(existing.st_mode)) return WriteInPlace(target, bytes);
    mode_t mode = existing.st_mode & 07777;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    InstallHandlers();
    // A short name of its own, so a target name near the length limit still works.
    std::string temporary = Folder(target) + ".pixolat-XXXXXX";
    if (temporary.size() >= sizeof gTemporary) Fail("write", path, ENAMETOOLONG);
    int fd = -1;
    {
        const BlockedSignals blocked;
        fd = ::mkstemp(temporary.data());
        if (fd < 0) Fail("write", path, errno);
        std::memcpy(gTemporary, temporary.c_str(), temporary.size() + 1);
    }
    const auto fail = [&](int error) {
        ::close(fd);
        const BlockedSignals blocked;
        ::unlink(temporary.c_str());
        gTemporary[0] = '\0';
        Fail("write", path, error);
    };
    if (::fchmod(fd, mode) != 0) fail(errno);
    WriteAll(fd, bytes, fail);
    if (::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0) {
        fd = -1;
        fail(errno);
    }
    const BlockedSignals blocked;
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        gTemporary[0] = '\0';
        Fail("write", path, error);
    }
    gTemporary[0] = '\0';
}

}  // namespace pixolat
