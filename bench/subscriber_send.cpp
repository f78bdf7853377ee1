// "群发短信" on the subscriber page listing 1,000,000 subscribers: the click (the numbers read and
// laid out on a worker, the send page's number memo given them, the send page opened) against one
// setPlainText of the same lines into an empty text box, in the same run. Goal: ratio <= 1.2.
// Then the memo is cleared ("清空号码", answered Yes): resident memory must come back within 50 MB
// of where it was before the click.
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cstdio>
#include <fstream>

#include "bench_shell.h"
#include "bench_support.h"
#include "store/database.h"
#include "ui/send/send_sms_page.h"
#include "ui/subscriptions/subscriber_page.h"

namespace {
using namespace xunda;
using namespace xunda::bench;

constexpr int kSubscribers = 1000000;

double ResidentMb() {
    return static_cast<double>(ResidentKb()) * 1024 / 1e6;
}

// Questions answered Yes.
struct YesPrompts : PrintingPrompts {
    bool Confirm(const std::string&) override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
    WindowBench bench(argc, argv);
    Database* db = bench.db.get();
    if (!db ||
        !db->pAdoCom("INSERT INTO mobs (corpID, mob) WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i+1 "
                     "FROM n WHERE i<" +
                     std::to_string(kSubscribers - 1) + ") SELECT 10001, printf('138%08d', i) FROM n"))
        return 1;

    YesPrompts yes;
    BenchShell shell(*db, yes, bench.dir / "LOG");
    auto* send = shell.Add(new SendSmsPage(shell), "sendSmsPage", "短信发送");
    auto* users = shell.Add(new SubscriberPage(shell), "user", "订阅用户的资料管理");
    shell.SelectTreeNodeByText(QStringLiteral("订阅用户的资料管理"));

    // The anchor: the same lines into an empty box.
    QString lines;
    for (int i = 0; i < kSubscribers; ++i) lines += QString::asprintf("138%08d\n", i);
    double anchor = 0;
    {
        QPlainTextEdit box;
        const auto start = Steady::now();
        box.setPlainText(lines);
        anchor = SecondsSince(start);
    }
    lines = QString();
    malloc_trim(0);

    const double before = ResidentMb();
    const auto start = Steady::now();
    users->findChild<QPushButton*>(QStringLiteral("btnUserGroupSendSms"))->click();
    const double ours = SecondsSince(start);
    const double filled = ResidentMb();
    const qsizetype blocks = send->sMobs()->document()->blockCount();
    send->findChild<QPushButton*>(QStringLiteral("BitBtn12"))->click();  // "清空号码"
    const double cleared = ResidentMb();

    std::printf(
        "群发短信 of %d subscribers (%lld lines in the memo): %.2f s, one setPlainText %.2f s: ratio %.2f"
        " (goal <= 1.2)\n",
        kSubscribers, static_cast<long long>(blocks - 1), ours, anchor, ours / anchor);
    std::printf(
        "resident memory: %.0f MB before, %.0f MB filled, %.0f MB after clearing: %+.0f MB"
        " (goal within 50 MB)\n",
        before, filled, cleared, cleared - before);
    return blocks - 1 == kSubscribers ? 0 : 1;
}
