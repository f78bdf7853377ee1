// The account's favourite message texts (table okMsg) and its last-used numbers (lastSendMobs).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/database.h"

namespace xunda {

// What adding a favourite came to.
enum class FavouriteAdd {
    Added,
    Empty,    // nothing to add
    TooLong,  // more than 255 bytes: refused before any database access
    Exists,   // the account has that text already
    Failed,   // the store refused (and reported it)
};

// Adds a cleaned text to the account's favourites (`corp` as an SQL number).
FavouriteAdd AddFavourite(Database& db, const std::string& corp, std::string_view cleanedText);
// Deletes every favourite of the account with exactly that text; an empty text deletes nothing.
void DeleteFavourite(Database& db, const std::string& corp, std::string_view text);
// The account's favourites, newest first, as stored.
std::vector<std::string> ListFavourites(Database& db, const std::string& corp);
// The account's twelve most recently used numbers, newest first.
std::vector<std::string> LastSendMobs(Database& db, const std::string& corp);

}  // namespace xunda
