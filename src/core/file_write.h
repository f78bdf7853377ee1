// The one way the program writes its files (log, CSV exports, number lists, the saved message
// list, the autostart entry): created 0600, whole or not at all. A file being replaced is written
// under a hidden temporary name next to it and renamed over it, keeping the replaced file's mode;
// an appended file is cut back to its old length and a new file removed when the writing fails.
// Nothing is left behind on failure, and what a killed replace left beside a file is removed by
// the next replace of that file.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string_view>

namespace xunda {

class FileWriter {
  public:
    enum class Mode {
        Replace,    // the file gets the written bytes instead of what it held
        Append,     // the bytes go after what the file holds (created when missing)
        CreateNew,  // the file must not exist yet
    };

    FileWriter(std::filesystem::path file, Mode mode);
    // Without a successful Commit, undoes what was written.
    ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // False when the file could not be opened; OpenError() is then its errno (EEXIST for a
    // CreateNew file that exists).
    bool IsOpen() const { return fd_ >= 0; }
    int OpenError() const { return openError_; }
    // Whether this writer made the file (Append, CreateNew); its length when it was opened.
    bool Created() const { return created_; }
    off_t StartSize() const { return start_; }

    // Writes every byte; after a failure, further writes and Commit fail.
    bool Write(std::string_view bytes);
    // Makes the written bytes the file's content; false (and undone) when any step failed.
    bool Commit();

  private:
    void Undo();

    std::filesystem::path file_, temp_;
    Mode mode_;
    int fd_ = -1;
    int openError_ = 0;
    off_t start_ = 0;
    bool ok_ = true;
    bool created_ = false;
};

// Replaces `file` by `bytes` through a FileWriter; false when it cannot be written.
bool WriteWholeFile(const std::filesystem::path& file, std::string_view bytes);

}  // namespace xunda
