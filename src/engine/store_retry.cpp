#include "engine/store_retry.h"

#include "store/database.h"
#include "store/log.h"

namespace xunda {

bool StoreRetry::Store(Database& db, const std::function<bool()>& body) {
    const bool stored = db.Transaction(body, failing_);
    if (stored != failing_) return stored;
    failing_ = !stored;
    log_.logit(stored ? kStoreResumedText : kStoreFailedText);
    return stored;
}

}  // namespace xunda
