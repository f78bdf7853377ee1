#include "subscriptions/bulk_subscribe.h"

#include <algorithm>

#include "core/codepage.h"
#include "core/ports.h"
#include "core/text_util.h"
#include "store/database.h"
#include "store/log.h"
#include "store/sql_text.h"

namespace xunda {

namespace {

constexpr std::size_t kChunk = 100;

// One chunk of numbers in one transaction. A number is new when the account has no subscriber of
// it; a new number's subscriptions are inserted, a known number's existing subscription of the
// category gets the new expiry (its status and time stay), a missing one is inserted. A statement
// the database refuses is undone by the database alone (each statement here changes one row at
// most) and reported once; the number goes on with its next statement, as does the chunk. Only an
// error that ends the transaction loses the chunk.
bool SubscribeChunk(Database& db, std::int64_t corp, const BulkSubscribeInput& in, std::size_t first,
                    std::size_t end, const BusyText& busyText) {
    return db.Transaction([&] {
        BulkWriter addMob(db,
                          "INSERT INTO mobs (corpID,mob) SELECT ?1,?2"
                          " WHERE NOT EXISTS (SELECT 1 FROM mobs WHERE corpID=?1 AND mob=?2)");
        // By the number's index: a category has too many subscriptions to search them for one number.
        BulkWriter renew(db, "UPDATE mobOrder SET dgTimeOut=?1 WHERE corpID=?2 AND mob=?3 AND +msgType=?4");
        BulkWriter subscribe(db, "INSERT INTO mobOrder (corpID,mob,msgType,dgTimeOut) VALUES (?,?,?,?)");
        const std::string_view expiry = in.dgTimeOut;
        for (std::size_t i = first; i < end; ++i) {
            const std::string_view mob = in.mobs[i];
            busyText("正在处理: (" + std::to_string(i + 1) + "/" + std::to_string(in.mobs.size()) + ") " +
                     in.mobs[i]);
            // A number whose insert failed counts as new: its subscriptions are inserted.
            const bool known = addMob.Add({corp, mob}) && db.Changes() == 0;
            for (const std::string& category : in.categories) {
                if (known && (!renew.Add({expiry, corp, mob, category}) || db.Changes() > 0)) continue;
                subscribe.Add({corp, mob, category, expiry});
            }
            if (!(addMob.Ok() && renew.Ok() && subscribe.Ok())) return false;
        }
        return addMob.Commit() && renew.Commit() && subscribe.Commit();
    });
}

}  // namespace

bool CheckPersonalData(Prompts& prompts, std::string_view userName, std::string_view nickName) {
    if (GbkByteLength(userName) > 10) {
        prompts.Notice("姓名超过10个字节长,请修改!");
        return false;
    }
    if (GbkByteLength(nickName) > 10) {
        prompts.Notice("称呼超过10个字节长,请修改!");
        return false;
    }
    return true;
}

bool ConfirmBulkSubscribe(Prompts& prompts, std::size_t count) {
    if (count == 0) {
        prompts.Notice("请输入要订阅的手机号码!");
        return false;
    }
    return prompts.Confirm("将操作(" + std::to_string(count) +
                           ")个手机号码的订阅关系:\n"
                           "    1.自动检查手机号码资料,对新的手机号码将添加到资料库;\n"
                           "    2.自动检查订阅关系,对新的订阅关系进行添加,对已存在的订阅关系更新到期时间;\n"
                           "确定继续吗?");
}

void BulkSubscribe(Database& db, Log& log, std::string_view corpID, const BulkSubscribeInput& in,
                   const BusyText& busyText, const SleepFor& sleep) {
    const std::string corp = SqlInt(corpID);
    const std::int64_t corpNumber = ParseInt(corp).value();
    const std::size_t n = in.mobs.size();
    log.logit("订阅开始:" + std::to_string(n) + "个手机号码");
    for (std::size_t first = 0; first < n; first += kChunk) {
        sleep(std::chrono::milliseconds(100));  // outside the transaction: nothing waits inside one
        SubscribeChunk(db, corpNumber, in, first, std::min(first + kChunk, n), busyText);
    }
    if (n == 1) {
        db.pAdoCom("UPDATE mobs SET  userName=" + SqlQuote(in.userName) + ", bir=" + SqlQuoteOrNull(in.bir) +
                   ", nickName=" + SqlQuote(in.nickName) + " WHERE corpID=" + corp +
                   " AND mob=" + SqlQuote(in.mobs[0]));
    }
    log.logit("用户资料处理结束");
}

}  // namespace xunda
