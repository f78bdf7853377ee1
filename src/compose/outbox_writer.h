// The only writer of new outbox rows: one row of `mt` per number, its placeholders filled from the
// contact table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "compose/placeholders.h"
#include "store/database.h"

namespace xunda {

// The priority of the number at a 0-based position of its batch: "1" for the first 500 numbers,
// "2" up to the 2000th, "3" after.
std::string_view MtLevelForPosition(std::size_t position);

// Inserts outbox rows through one prepared statement inside a transaction that is committed every
// kChunkRows rows (the send engine sees the rows of each committed chunk), at Commit() and when the
// writer goes away. Belongs to the thread that made it. A refused row costs only itself; an error
// that ends the transaction loses the chunk's rows only. The store reports each once.
class OutboxWriter {
  public:
    static constexpr std::size_t kChunkRows = 500;

    OutboxWriter(Database& db, std::string_view corpID);
    ~OutboxWriter();
    OutboxWriter(const OutboxWriter&) = delete;
    OutboxWriter& operator=(const OutboxWriter&) = delete;

    // Fills "[姓名]", "[生日]", "[称呼]" of `msg` for `mob` and adds the row with flag 0; false when the
    // row was not added or its chunk was lost. Values are stored as given: a text "NULL" stays a
    // text, and a text of placeholders only is queued empty for a number that has no contact.
    bool iMt(std::string_view mob, std::string_view msg, std::string_view subNumber, std::string_view linkID,
             std::string_view mtLevel);
    // Commits the rows added since the last commit; false when they were lost.
    bool Commit();
    // Rows committed so far.
    std::size_t CommittedRows() const { return committedRows_; }

  private:
    const ContactFields& Contact(const std::string& mob);

    Database& db_;
    const std::string corpID_;  // as an SQL number
    std::unique_ptr<BulkWriter> chunk_;
    std::size_t chunkRows_ = 0;  // rows added to the open chunk
    std::size_t committedRows_ = 0;
    // The account's contacts by number, read once when the first text with a placeholder comes.
    std::optional<std::unordered_map<std::string, ContactFields>> contacts_;
};

}  // namespace xunda
