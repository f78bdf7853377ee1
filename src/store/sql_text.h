// The one way to put values into SQL text.
//
// Texts go through SqlQuote, numbers that came from outside (the account number, the service's
// message numbers, ids read from a page) through SqlInt. Statements are written in SQLite's dialect.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace xunda {

// The SQL literal of a text: every single quote doubled, the whole between single quotes.
// A user's text never becomes NULL: SqlQuote("NULL") is the text 'NULL'.
std::string SqlQuote(std::string_view text);
// As SqlQuote, or the bare word NULL for no value (the birthday column).
std::string SqlQuoteOrNull(const std::optional<std::string_view>& text);

// True for an optional minus sign followed by 1 to 18 ASCII digits: a number SqlInt accepts.
bool IsSqlInt(std::string_view text);
// The SQL literal of a number given as text (the account number, a message number from the
// service). Anything but IsSqlInt text throws std::invalid_argument, so a foreign value can never
// reach a statement; check with IsSqlInt first where the value may be bad.
std::string SqlInt(std::string_view digits);
std::string SqlInt(std::int64_t number);

}  // namespace xunda
