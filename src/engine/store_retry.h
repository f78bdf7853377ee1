// How an engine job stores what the service handed over when the store may fail (a locked file,
// a full disk, a read-only file). The job keeps what it could not store and asks for nothing new
// until it is stored; each of its runs tries again. Only the first failure is shown (the store's
// box) and logged; the tries after it are quiet, and the first store that works again logs that
// processing goes on.
#pragma once

#include <functional>

namespace xunda {

class Database;
class Log;

// Logged when a store fails after one that worked, and when one works again after a failure.
constexpr const char* kStoreFailedText = "数据库保存失败,短信处理暂停";
constexpr const char* kStoreResumedText = "数据库保存成功,短信处理恢复";

// Used only by the holder of its job's run token.
class StoreRetry {
  public:
    explicit StoreRetry(Log& log) : log_(log) {}

    // Runs `body` in one transaction, quietly while failing; true when it was committed.
    bool Store(Database& db, const std::function<bool()>& body);
    // A store failed, and none has worked since.
    bool Failing() const { return failing_; }

  private:
    Log& log_;
    bool failing_ = false;
};

}  // namespace xunda
