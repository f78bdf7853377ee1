#include "compose/outbox_writer.h"

#include "store/sql_text.h"

namespace xunda {
namespace {

constexpr std::string_view kInsertMt =
    "INSERT INTO mt (corpID,mob,msg,subNumber,linkID,mtLevel,flag) VALUES (?,?,?,?,?,?,0)";

}  // namespace

std::string_view MtLevelForPosition(std::size_t position) {
    return position < 500 ? "1" : position < 2000 ? "2" : "3";
}

OutboxWriter::OutboxWriter(Database& db, std::string_view corpID) : db_(db), corpID_(SqlInt(corpID)) {}

OutboxWriter::~OutboxWriter() {
    Commit();
}

const ContactFields& OutboxWriter::Contact(const std::string& mob) {
    static const ContactFields kUnknown;
    if (!contacts_) {
        contacts_.emplace();
        ResultSet rs = db_.pAdoQuery("SELECT mob, userName, bir, nickName FROM mobs WHERE corpID=" + corpID_ +
                                     " ORDER BY rowid");
        for (; !rs.Eof(); rs.Next()) {
            std::string bir = rs.AsString("bir");
            contacts_->try_emplace(rs.AsString("mob"),
                                   ContactFields{rs.AsString("userName"), bir.substr(0, bir.find(' ')),
                                                 rs.AsString("nickName")});
        }
    }
    auto it = contacts_->find(mob);
    return it == contacts_->end() ? kUnknown : it->second;
}

bool OutboxWriter::iMt(std::string_view mob, std::string_view msg, std::string_view subNumber,
                       std::string_view linkID, std::string_view mtLevel) {
    const std::string filled =
        HasPlaceholder(msg) ? FillPlaceholders(msg, Contact(std::string(mob))) : std::string(msg);
    if (!chunk_) {
        chunk_ = std::make_unique<BulkWriter>(db_, kInsertMt);
        chunkRows_ = 0;
    }
    if (!chunk_->Add(
            {std::string_view(corpID_), mob, std::string_view(filled), subNumber, linkID, mtLevel})) {
        if (!chunk_->Ok()) Commit();  // the chunk is lost; the next row starts a new one
        return false;
    }
    if (++chunkRows_ >= kChunkRows) return Commit();
    return true;
}

bool OutboxWriter::Commit() {
    if (!chunk_) return true;
    const bool committed = chunk_->Commit();
    if (committed) committedRows_ += chunkRows_;
    chunk_.reset();
    return committed;
}

}  // namespace xunda
