// The checks and questions of the send button, in order, before a batch is queued.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/ports.h"

namespace xunda {

// What the send page holds when the user presses "确认立即发送短信".
struct SendSmsForm {
    std::string msgMemo;                        // the message memo's text (line breaks as LF)
    std::string mobsMemo;                       // the number memo's text
    std::string linkID;                         // send identifier, as typed
    std::string subNumber;                      // extension number, as typed
    bool broadcastMark = false;                 // the numbers came from a broadcast selection
    std::vector<std::string> tickedCategories;  // the categories ticked for that broadcast
};

// A batch the user confirmed: everything the queueing needs, fixed at confirmation.
struct SmsBatch {
    std::string text;  // cleaned, placeholders not filled
    std::vector<std::string> mobs;
    std::string subNumber;
    std::string linkID;
    bool broadcast = false;
    std::vector<std::string> categories;  // the ticked categories when `broadcast`
};

// Runs the send button's steps: the 255-byte limit, an empty text, digits in the send identifier
// and the extension, the tidy of the numbers (handed to `showTidiedMobs` at once, so the memo
// stays tidied whatever the answers), no numbers, the questions above 10000 and 30000 numbers and
// the final question. Refusals go to prompts.Notice, questions to prompts.Confirm. Returns the
// batch when the user confirmed; nullopt after a refusal or a No.
std::optional<SmsBatch> ConfirmSendSms(
    const SendSmsForm& form, Prompts& prompts,
    const std::function<void(const std::vector<std::string>&)>& showTidiedMobs);

}  // namespace xunda
