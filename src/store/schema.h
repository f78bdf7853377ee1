// The tables of the message store (internal to store/).
#pragma once

#include <array>
#include <string_view>

namespace xunda::store_detail {

// The statements that create every table and index of an empty database.
extern const char* const kSchemaSql;
// The tables added after the first release, each created when missing (run at every open).
extern const char* const kLaterTablesSql;
// The names of the tables a database file must hold to be this program's.
extern const std::array<std::string_view, 11> kTableNames;

}  // namespace xunda::store_detail
