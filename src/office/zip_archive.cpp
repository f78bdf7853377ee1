#include "office/zip_archive.h"

#include <zip.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string_view>

namespace xunda {

struct ZipArchive::Inflation {
    std::uint64_t inflated = 0;  // by all members together
    Earned earned;

    void Add(std::uint64_t bytes) {
        inflated += bytes;
        if (inflated > kFreeInflate &&
            (inflated > kMostInflated || !earned || inflated - kFreeInflate > earned()))
            throw std::runtime_error("ZIP file inflates too far");
    }
};

namespace {

// A member's bytes as a stream. It keeps a window of the last bytes inflated so that the XML
// reader's page buffer can step back over a page boundary; a seek behind the window inflates the
// member again from its start.
class ZipMemberStream : public Stream {
  public:
    ZipMemberStream(zip* archive, zip_uint64_t index, std::int64_t size,
                    std::shared_ptr<ZipArchive::Inflation> inflation)
        : archive_(archive), index_(index), size_(size), inflation_(std::move(inflation)) {
        Reopen();
    }
    ~ZipMemberStream() override {
        if (file_) zip_fclose(file_);
    }

    std::size_t Read(void* buffer, std::size_t count) override {
        std::size_t done = 0;
        while (done < count && position_ < size_) {
            if (position_ < windowStart_) Reopen();
            while (position_ >= windowStart_ + static_cast<std::int64_t>(window_.size())) Inflate();
            const auto offset = static_cast<std::size_t>(position_ - windowStart_);
            const std::size_t n = std::min(count - done, window_.size() - offset);
            std::memcpy(static_cast<char*>(buffer) + done, window_.data() + offset, n);
            done += n;
            position_ += static_cast<std::int64_t>(n);
        }
        return done;
    }
    std::size_t Write(const void*, std::size_t) override {
        throw std::runtime_error("ZIP members are read only");
    }
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override {
        const std::int64_t base = origin == SeekOrigin::Beginning ? 0
                                  : origin == SeekOrigin::Current ? position_
                                                                  : size_;
        position_ = std::clamp<std::int64_t>(base + offset, 0, size_);
        return position_;
    }
    std::int64_t Size() override { return size_; }

  private:
    static constexpr std::size_t kChunk = 64 * 1024;
    static constexpr std::size_t kWindow = 4 * kChunk;

    void Reopen() {
        if (file_) zip_fclose(file_);
        file_ = zip_fopen_index(archive_, index_, 0);
        if (!file_) throw std::runtime_error("cannot open a ZIP member");
        window_.clear();
        windowStart_ = 0;
    }
    void Inflate() {
        if (window_.size() + kChunk > kWindow) {
            const std::size_t drop = window_.size() + kChunk - kWindow;
            window_.erase(0, drop);
            windowStart_ += static_cast<std::int64_t>(drop);
        }
        const std::size_t old = window_.size();
        window_.resize(old + kChunk);
        const zip_int64_t n = zip_fread(file_, window_.data() + old, kChunk);
        if (n <= 0) throw std::runtime_error("ZIP member truncated or corrupt");
        inflation_->Add(static_cast<std::uint64_t>(n));
        window_.resize(old + static_cast<std::size_t>(n));
        CheckRun();
    }
    // Looks at the bytes inflated for the first time (not again after a Reopen) for the last "<".
    void CheckRun() {
        const std::int64_t end = windowStart_ + static_cast<std::int64_t>(window_.size());
        if (end <= inflated_) return;
        const std::string_view fresh(window_.data() + (inflated_ - windowStart_),
                                     static_cast<std::size_t>(end - inflated_));
        const std::size_t open = fresh.rfind('<');
        if (open != std::string_view::npos) lastOpen_ = inflated_ + static_cast<std::int64_t>(open);
        inflated_ = end;
        if (inflated_ - lastOpen_ > ZipArchive::kLongestRun)
            throw std::runtime_error("ZIP member: run too long");
    }

    zip* archive_;
    zip_uint64_t index_;
    std::int64_t size_;
    std::shared_ptr<ZipArchive::Inflation> inflation_;
    zip_file_t* file_ = nullptr;
    std::string window_;
    std::int64_t windowStart_ = 0;
    std::int64_t position_ = 0;
    std::int64_t inflated_ = 0;  // the farthest byte inflated so far
    std::int64_t lastOpen_ = 0;  // where the last "<" up to there stands
};

}  // namespace

ZipArchive::ZipArchive(const std::filesystem::path& file, Earned earned)
    : inflation_(std::make_shared<Inflation>(Inflation{0, std::move(earned)})) {
    int error = 0;
    archive_ = zip_open(file.c_str(), ZIP_RDONLY, &error);
    if (!archive_) throw std::runtime_error("not a readable ZIP container: " + file.string());
}

ZipArchive::~ZipArchive() {
    zip_discard(archive_);
}

bool ZipArchive::Has(const std::string& member) const {
    return zip_name_locate(archive_, member.c_str(), 0) >= 0;
}

std::unique_ptr<Stream> ZipArchive::Open(const std::string& member) const {
    const zip_int64_t index = zip_name_locate(archive_, member.c_str(), 0);
    zip_stat_t stat;
    if (index < 0 || zip_stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE))
        throw std::runtime_error("missing ZIP member " + member);
    if (stat.size > kMostInflated) throw std::runtime_error("ZIP member too large");
    return std::make_unique<ZipMemberStream>(archive_, static_cast<zip_uint64_t>(index),
                                             static_cast<std::int64_t>(stat.size), inflation_);
}

}  // namespace xunda
