// Finding Chinese mobile and fixed-line numbers in free text.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "compose/prefix_tables.h"

namespace xunda {

// Whether `number` begins with one item of the comma-separated `prefixList`. The list is trimmed;
// after each comma the rest is trimmed again; an item itself is not trimmed, and an empty item
// never matches.
bool StartsWithAnyPrefix(std::string_view number, std::string_view prefixList);

// The numbers in `text`, in the order found. Brackets and dashes (half- and full-width) are
// removed first; each number is a table prefix followed by 7 or 8 digits. A window that is not
// all digits is rejected and the search goes on one character after its start. With `filterOn`,
// numbers that do not begin with an item of `prefixList` are dropped.
std::vector<std::string> ExtractMobs(std::string_view text, bool useMobile1 = true, bool useMobile2 = true,
                                     bool useAreaCode = true, bool filterOn = false,
                                     std::string_view prefixList = {});

// The numbers ExtractMobs finds with all three tables and no filter, handed over one by one. Text
// split at characters that are neither digits nor brackets or dashes (of either width) gives the
// same numbers part by part as whole.
void VisitMobs(std::string_view text, const std::function<void(std::string_view mob)>& mob);

}  // namespace xunda
