#include "compose/send_checks.h"

#include "compose/text_rules.h"
#include "core/text_util.h"

namespace xunda {

std::optional<SmsBatch> CheckSendSms(const SendSmsForm& form, Prompts& prompts) {
    SmsBatch batch;
    batch.text = CleanMemoText(form.msgMemo);
    if (ExceedsSmsLimit(batch.text)) {
        prompts.Notice(std::string(kSmsTooLongText));
        return std::nullopt;
    }
    if (batch.text.empty()) {
        prompts.Notice("请输入短信内容!");
        return std::nullopt;
    }
    if (!IsAllDigits(form.linkID)) {
        prompts.Notice("发送标识必须全部为数字!");
        return std::nullopt;
    }
    if (!IsAllDigits(form.subNumber)) {
        prompts.Notice("长号码必须全部为数字!");
        return std::nullopt;
    }
    batch.subNumber = form.subNumber;
    batch.linkID = form.linkID;
    batch.broadcast = form.broadcastMark;
    if (batch.broadcast) batch.categories = form.tickedCategories;
    return batch;
}

bool ConfirmSendMobs(const SmsBatch& batch, Prompts& prompts) {
    if (batch.mobs.empty()) {
        prompts.Notice("请输入手机号码!");
        return false;
    }
    if (batch.mobs.size() > 10000 && !prompts.Confirm("大量群发前建议你清空历史短信记录!你决定仍然要继续吗?"))
        return false;
    if (batch.mobs.size() > 30000 &&
        !prompts.Confirm("手机号码个数超过30000个,可能会不稳定,建议分批进行发送!你决定仍然要继续吗?"))
        return false;
    return prompts.Confirm("短信将进入发送队列并立即开始发送!你要继续吗?");
}

}  // namespace xunda
