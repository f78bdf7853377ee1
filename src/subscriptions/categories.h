// The account's subscription categories (table msgType): the list, adding, renaming and deleting.
// Each change is refused with a notice when its input does not hold; a change that went ahead
// returns true (the page then refills its list and empties the name box, also when the database
// refused the change and has reported it).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/account_host.h"

namespace xunda {

// A category name as typed, made fit to store: trimmed and cut to 20 bytes of GBK text, never
// inside a character.
std::string CategoryName(std::string_view typed);

// The names as an SQL list: each quoted, joined by "," ('A','B').
std::string QuotedList(const std::vector<std::string>& names);

// The order of a category list: the bulk page's check list shows the newest first, the search
// page's drop-down list the table's order.
enum class CategoryOrder { NewestFirst, AsStored };
// pMsgType: the account's category names.
std::vector<std::string> pMsgType(AccountHost& host, CategoryOrder order = CategoryOrder::NewestFirst);

// btnNewMsgTypeClick: adds the category `typed` unless it is blank or the account has it.
bool btnNewMsgTypeClick(AccountHost& host, std::string_view typed);
// btnEditMsgTypeClick: renames the highlighted category to `typed` and moves its subscriptions
// with it (one transaction); the broadcast history keeps the old name.
bool btnEditMsgTypeClick(AccountHost& host, const std::optional<std::string>& highlighted,
                         std::string_view typed);
// btnDelMsgTypeClick: deletes the ticked categories with every subscription to them (one
// transaction), after a question that counts their subscribed numbers.
bool btnDelMsgTypeClick(AccountHost& host, const std::vector<std::string>& ticked);

}  // namespace xunda
