// The subscriptions of one subscriber (the lower grid of the subscriber page): cancelling all or
// one, changing one or all of the number's, and subscribing the number to categories it lacks.
// Handlers that need a row do nothing without one; a change the database refuses has been
// reported by the store and is followed by no success notice.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/account_host.h"
#include "subscriptions/subscribers.h"

namespace xunda {

// What the dialog "修改订阅内容" shows and stores.
struct SubscriptionChange {
    std::string mob;
    std::string msgType;
    bool closed = false;  // "关闭短信正常发送": the subscription's status is not True
    std::string dgTime;   // days, "YYYY-MM-DD"
    std::string dgTimeOut;
    bool allOfMob = false;  // "操作该手机全部的订阅内容"
};

// btnUserCancelAllClick: every subscription shown (those of the number in `row`), after a question.
void btnUserCancelAllClick(AccountHost& host, SubscriberList& list, std::optional<std::size_t> row);
// btnUserCancelSingleClick: the subscription in `row`, after a question.
void btnUserCancelSingleClick(AccountHost& host, SubscriberList& list, std::optional<std::size_t> row);

// btnUserEditClick: the dialog's content for the subscription in `row`; a date that is empty or
// unreadable shows `today`.
std::optional<SubscriptionChange> btnUserEditClick(const SubscriberList& list, std::optional<std::size_t> row,
                                                   std::string_view today);
// The dialog's "确定": stores status and dates on the subscription (or on all of the number's), reads
// the shown subscriptions again and says "处理成功!"; false when the database refused.
bool ChangeSubscription(AccountHost& host, SubscriberList& list, const SubscriptionChange& change);

// btnUserAddMsgTypeClick: the account's categories `mob` is not subscribed to;
// "该手机已经订阅了所有的内容!" and nullopt when there is none.
std::optional<std::vector<std::string>> MissingCategories(AccountHost& host, const std::string& mob);
// The dialog "增加订阅内容"'s "确定": subscribes `mob` to the ticked categories until `expiry`
// ("YYYY-MM-DD"), all or none, reads the shown subscriptions again and says
// "手机号码的订阅关系处理完成!"; false when the database refused.
bool AddSubscriptions(AccountHost& host, SubscriberList& list, const std::string& mob,
                      const std::vector<std::string>& ticked, std::string_view expiry);

}  // namespace xunda
