#include "core/file_write.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace xunda {

FileWriter::FileWriter(std::filesystem::path file, Mode mode) : file_(std::move(file)), mode_(mode) {
    switch (mode_) {
        case Mode::Replace: {
            std::string name = file_.string() + ".XXXXXX";
            fd_ = ::mkostemp(name.data(), O_CLOEXEC);  // 0600
            if (fd_ >= 0) temp_ = name;
            break;
        }
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
    if (ok_ && mode_ == Mode::Replace) ok_ = ::fsync(fd_) == 0;
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
