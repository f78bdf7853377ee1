#include "mailbox/mailbox_host.h"

#include "core/date_text.h"
#include "core/ports.h"
#include "store/database.h"
#include "store/sql_text.h"

namespace xunda {

std::string CountCaption(MailboxHost& host, std::string_view title, std::string_view table) {
    // The table's count less the rows of other accounts and of none: SQLite takes a whole table's
    // count from the size of an index, and finds the others' rows by the corpID index, so a
    // million rows of the one account are counted without reading each of them.
    const std::string from = " FROM " + std::string(table);
    const std::string corp = SqlInt(host.corpID());
    ResultSet rs =
        host.db().pAdoQuery("SELECT (SELECT COUNT(*)" + from + ") - (SELECT COUNT(*)" + from +
                            " WHERE corpID<" + corp + ") - (SELECT COUNT(*)" + from + " WHERE corpID>" +
                            corp + ") - (SELECT COUNT(*)" + from + " WHERE corpID IS NULL) AS sCount");
    return std::string(title) + "(" + std::to_string(rs.Eof() ? 0 : rs.AsInt("sCount")) + ")";
}

std::string AccountIs(MailboxHost& host) {
    return "corpID=" + SqlInt(host.corpID());
}

std::string FirstOfMonth(MailboxHost& host) {
    const std::chrono::year_month_day today = host.Today();
    return SqlQuote(DayText(today.year() / today.month() / 1));
}

bool ShowFound(MailboxHost& host, RowPager& grid, const char* searching, ListQuery query) {
    grid.OpenBusy(host, searching, std::move(query));
    if (grid.RowCount() > 0) return true;
    host.prompts().Notice("没有找到相关数据!");
    return false;
}

void ClearWithExport(MailboxHost& host, RowPager& grid, const char* first, const char* second,
                     const char* clearing, const std::string& table, const std::string& where,
                     const std::function<void()>& refresh) {
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
    host.RunBusy(clearing, [&] { host.db().pAdoCom("DELETE FROM " + table + " WHERE " + listed); });
    refresh();
}

}  // namespace xunda
