// The checks and questions of the send button, in order, before a batch is queued: the text's
// checks, then (once the numbers have been tidied) the questions over the numbers.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/ports.h"

namespace xunda {

// What the send page holds when the user presses "确认立即发送短信".
struct SendSmsForm {
    std::string msgMemo;                        // the message memo's text (line breaks as LF)
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

// The send button's steps before the numbers are tidied: the 255-byte limit, an empty text, digits
// in the send identifier and the extension. Refusals go to prompts.Notice. Returns the batch
// without its numbers; nullopt after a refusal.
std::optional<SmsBatch> CheckSendSms(const SendSmsForm& form, Prompts& prompts);
// The steps after the tidy, over the batch's numbers: none ("请输入手机号码!"), the questions
// above 10000 and 30000 numbers and the final question (prompts.Confirm). True when the user
// confirmed.
bool ConfirmSendMobs(const SmsBatch& batch, Prompts& prompts);

}  // namespace xunda
