#include "compose/favourites.h"

#include "compose/text_rules.h"
#include "store/sql_text.h"

namespace xunda {
namespace {

// The first column's texts ("" for NULL), read row by row: a million favourites take a first
// screen's time.
std::vector<std::string> Column(Database& db, const std::string& sql) {
    std::vector<std::string> values;
    db.pAdoQuery(
        sql, [](const std::vector<std::string>&) {},
        [&values](const RowValues& row) { values.emplace_back(row[0].value_or("")); });
    return values;
}

}  // namespace

FavouriteAdd AddFavourite(Database& db, const std::string& corp, std::string_view cleanedText) {
    if (ExceedsSmsLimit(cleanedText)) return FavouriteAdd::TooLong;
    if (cleanedText.empty()) return FavouriteAdd::Empty;
    const std::string text = SqlQuote(cleanedText);
    if (!db.pAdoQuery("SELECT * FROM okMsg WHERE corpID=" + corp + " AND msg=" + text).Eof())
        return FavouriteAdd::Exists;
    return db.pAdoCom("INSERT INTO okMsg (corpID,msg) VALUES (" + corp + "," + text + ")")
               ? FavouriteAdd::Added
               : FavouriteAdd::Failed;
}

void DeleteFavourite(Database& db, const std::string& corp, std::string_view text) {
    if (!text.empty()) db.pAdoCom("DELETE FROM okMsg WHERE corpID=" + corp + " AND msg=" + SqlQuote(text));
}

std::vector<std::string> ListFavourites(Database& db, const std::string& corp) {
    return Column(db, "SELECT msg FROM okMsg WHERE corpID=" + corp + " ORDER BY id DESC");
}

std::vector<std::string> LastSendMobs(Database& db, const std::string& corp) {
    return Column(db, "SELECT mob FROM lastSendMobs WHERE corpID=" + corp + " ORDER BY ID DESC LIMIT 12");
}

}  // namespace xunda
