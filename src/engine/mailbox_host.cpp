#include "engine/mailbox_host.h"

#include "core/date_text.h"
#include "core/ports.h"
#include "store/database.h"
#include "store/sql_text.h"

namespace xunda {

std::string CountCaption(MailboxHost& host, std::string_view title, std::string_view table) {
    ResultSet rs = host.db().pAdoQuery("SELECT COUNT(*) AS sCount FROM " + std::string(table) + " WHERE " +
                                       AccountIs(host));
    return std::string(title) + "(" + std::to_string(rs.Eof() ? 0 : rs.AsInt("sCount")) + ")";
}

std::string AccountIs(MailboxHost& host) {
    return "corpID=" + SqlInt(host.corpID());
}

std::string FirstOfMonth(MailboxHost& host) {
    const std::chrono::year_month_day today = host.Today();
    return SqlQuote(DayText(today.year() / today.month() / 1));
}

void ClearWithExport(MailboxHost& host, RowPager& grid, const char* first, const char* second,
                     const std::string& table, const std::string& where, const std::function<void()>& refresh) {
    Prompts& prompts = host.prompts();
    if (!prompts.Confirm(first)) return;
    ResultSet last = host.db().pAdoQuery("SELECT MAX(rowid) AS last FROM " + table);
    const std::string listed = where + " AND rowid<=" + SqlInt(last.Eof() ? 0 : last.AsInt("last"));
    grid.Open({table, listed, ""});
    if (grid.RowCount() == 0) {
        prompts.Notice("没有相应记录!");
        return;
    }
    host.SaveGrid(grid);
    if (!prompts.Confirm(second)) return;
    host.db().pAdoCom("DELETE FROM " + table + " WHERE " + listed);
    refresh();
}

}  // namespace xunda
