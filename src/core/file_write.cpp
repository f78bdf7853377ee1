#include "core/file_write.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

namespace xunda {

namespace fs = std::filesystem;

namespace {

// A replace writes "." + the file's name + ".xunda-" + six random characters beside the file, and
// holds an exclusive lock on it while the writer lives: the lock of a killed writer is gone.
std::string TempPrefix(const fs::path& file) {
    return "." + file.filename().string() + ".xunda-";
}
constexpr std::size_t kRandomPart = 6;

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Removes the temporaries of earlier replaces of `file` whose writers are gone: only private
// regular files of this user that no writer holds.
void RemoveLeftTemporaries(const fs::path& file) {
    const std::string prefix = TempPrefix(file);
    const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + kRandomPart || !name.starts_with(prefix)) continue;
        const int fd = ::open(it->path().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat held {
        }, named{};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) &&
            held.st_uid == ::geteuid() && (held.st_mode & 07777) == 0600 &&
            ::lstat(it->path().c_str(), &named) == 0 && SameFile(held, named))
            ::unlink(it->path().c_str());
        ::close(fd);
    }
}

// True when a cleanup removed the temporary `name` before its writer held it.
bool TakenAway(int fd, const std::string& name) {
    struct stat held {
    }, named{};
    if (::fstat(fd, &held) != 0) return false;
    if (::lstat(name.c_str(), &named) != 0) return errno == ENOENT;
    return !SameFile(held, named);
}

// A new locked temporary for `file`; -1 when none can be made.
int CreateTemporary(const fs::path& file, fs::path& temp) {
    for (;;) {
        std::string name = (file.parent_path() / (TempPrefix(file) + std::string(kRandomPart, 'X'))).string();
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);  // 0600
        if (fd < 0) return -1;
        // Waits only while a cleanup looks at the new file. On a file system without locks the
        // temporary goes unguarded, and no cleanup removes it either.
        static_cast<void>(::flock(fd, LOCK_EX));
        if (!TakenAway(fd, name)) {
            temp = name;
            return fd;
        }
        ::close(fd);
    }
}

// Gives the temporary the mode of the file it is to replace; a new file stays 0600.
bool KeepMode(int fd, const fs::path& file) {
    struct stat replaced {};
    if (::stat(file.c_str(), &replaced) != 0 || !S_ISREG(replaced.st_mode)) return true;
    return ::fchmod(fd, replaced.st_mode & 07777) == 0;
}

}  // namespace

FileWriter::FileWriter(std::filesystem::path file, Mode mode) : file_(std::move(file)), mode_(mode) {
    switch (mode_) {
        case Mode::Replace:
            RemoveLeftTemporaries(file_);
            fd_ = CreateTemporary(file_, temp_);
            break;
        case Mode::Append: {
            fd_ = ::open(file_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            created_ = fd_ >= 0;
            if (!created_ && errno == EEXIST) fd_ = ::open(file_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
            struct stat st {};
            if (fd_ >= 0 && ::fstat(fd_, &st) == 0) start_ = st.st_size;
            break;
        }
        case Mode::CreateNew:
            fd_ = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            created_ = fd_ >= 0;
            break;
    }
    if (fd_ < 0) openError_ = errno;
    ok_ = fd_ >= 0;
}

FileWriter::~FileWriter() {
    if (fd_ >= 0) Undo();
}

bool FileWriter::Write(std::string_view bytes) {
    while (ok_ && !bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        ok_ = n > 0;
        if (ok_) bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return ok_;
}

bool FileWriter::Commit() {
    if (fd_ < 0) return false;
    if (ok_ && mode_ == Mode::Replace) ok_ = KeepMode(fd_, file_) && ::fsync(fd_) == 0;
    if (ok_ && mode_ == Mode::Replace) ok_ = ::rename(temp_.c_str(), file_.c_str()) == 0;
    if (!ok_) {
        Undo();
        return false;
    }
    ::close(fd_);
    fd_ = -1;
    return true;
}

void FileWriter::Undo() {
    switch (mode_) {
        case Mode::Replace:
            ::unlink(temp_.c_str());
            break;
        case Mode::Append:
        case Mode::CreateNew:
            if (created_)
                ::unlink(file_.c_str());
            else
                static_cast<void>(::ftruncate(fd_, start_));
            break;
    }
    ::close(fd_);
    fd_ = -1;
}

bool WriteWholeFile(const std::filesystem::path& file, std::string_view bytes) {
    FileWriter writer(file, FileWriter::Mode::Replace);
    return writer.Write(bytes) && writer.Commit();
}

}  // namespace xunda
