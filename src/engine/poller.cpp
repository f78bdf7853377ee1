#include "engine/poller.h"

#include <exception>

#include "core/ports.h"
#include "core/text_util.h"
#include "engine/processing_state.h"
#include "gateway/result_text.h"
#include "store/database.h"
#include "store/log.h"
#include "store/sql_text.h"

namespace xunda {

std::optional<PollJob> Poller::tick(Database& db, const Credentials& account) {
    if (!s_.online.IsOnline() || s_.control.paused() || !IsSqlInt(account.corpID)) return std::nullopt;
    std::optional<RunFlag::Token> token = runFlag_.TryAcquire();
    if (!token) return std::nullopt;
    return PollJob{&db, account, std::move(*token)};
}

void Poller::poll(PollJob job) {
    try {
        if (!StoreHeld(*job.db)) return;
        std::string code;
        std::vector<std::string> lines;
        const int result = Fetch(code, lines, job.account);
        if (result > 0) {
            s_.log.logit(HttpStatusText(result));
            return;
        }
        if (result != 0 || code != "100") {
            if (interval_ < kMaxInterval) interval_ += kIntervalStep;
            return;
        }
        s_.sounds.Play(Sound());
        interval_ = kStartInterval;
        s_.log.logit(ReceivedText(lines.size()));
        Count(lines.size());
        for (const std::string& line : lines)
            held_.push_back({job.account.corpID, WithoutNul(TrimControls(line))});
        if (!StoreHeld(*job.db))
            for (const HeldLine& held : held_) s_.log.logit(NotStoredText() + held.line);
    } catch (const std::exception& e) {
        s_.log.logit(std::string("接收失败:") + e.what());
    }
}

std::string Poller::WithoutNul(std::string_view line) {
    std::string text(line);
    if (std::erase(text, '\0') > 0) s_.log.logit(kNulDroppedText + text);
    return text;
}

bool Poller::StoreHeld(Database& db) {
    if (held_.empty()) return true;
    if (!store_.Store(db, [&] {
            for (const HeldLine& held : held_)
                if (!Store(db, held.line, held.corpID)) return false;
            return true;
        }))
        return false;
    held_.clear();
    return true;
}

}  // namespace xunda
