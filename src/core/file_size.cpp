#include "core/file_size.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace xunda {

std::int64_t GetFileSizeByName(const std::filesystem::path& fileName) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) return 0;
    if (fd < 0) throw std::system_error(errno, std::system_category(), fileName.string());
    struct stat st {};
    const int error = ::fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
    ::close(fd);
    if (error != 0) throw std::system_error(error, std::system_category(), fileName.string());
    return st.st_size;
}

}  // namespace xunda
