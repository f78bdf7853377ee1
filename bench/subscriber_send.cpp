// "群发短信" on the subscriber page listing 1,000,000 subscribers: the click (the numbers read and
// joined on a worker, the send page's number memo filled, the send page opened) against one
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

#include "bench_support.h"
#include "store/database.h"
#include "store/log.h"
#include "ui/ports/qt_ports.h"
#include "ui/send/send_sms_page.h"
#include "ui/shell/msg_form.h"
#include "ui/shell/shell.h"
#include "ui/shell/workers.h"
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

struct NoDesktop : Desktop {
    bool Open(const std::string&) override { return false; }
};
struct Online : OnlineProbe {
    bool IsOnline() override { return true; }
};

// The main window around the two pages: account 10001 over the benchmark's database.
class BenchShell : public Shell {
  public:
    BenchShell(Database& db, const std::filesystem::path& logs) : db_(db), log_(logs) {
        account_.corpID = "10001";
    }
    const AccountContext& Account() const override { return account_; }
    Prompts& prompts() override { return prompts_; }
    GuiBridge& bridge() override { return bridge_; }
    Desktop& desktop() override { return desktop_; }
    OnlineProbe& online() override { return online_; }
    MsgForm& busy() override { return busy_; }
    Workers& workers() override { return workers_; }
    Database& db() override { return db_; }
    Log& log() override { return log_; }
    void logit(const std::string&) override {}
    bool SelectTreeNodeByText(const QString&) override {
        send->Open(QStringLiteral("短信发送"), QString());
        return true;
    }
    Page* FindPage(const QString&) override { return send; }
    void pSaveDbGrid(const ResultSet&, const std::vector<GridColumn>&) override {}
    void pSaveDbGrid(const RowPager&) override {}
    void btnSmsSendPauseClick() override {}
    void pListCount() override {}
    void PlayEventSound(SoundEvent) override {}

    QWidget window;
    SendSmsPage* send = nullptr;

  private:
    Database& db_;
    AccountContext account_;
    YesPrompts prompts_;
    QtGuiBridge bridge_;
    NoDesktop desktop_;
    Online online_;
    MsgForm busy_{bridge_, &window};
    Workers workers_;
    Log log_;
};

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const TempFolder dir;
    PrintingPrompts prompts;
    auto db = Database::Create(dir / "TOLVI_DY.db", prompts);
    if (!db ||
        !db->pAdoCom("INSERT INTO mobs (corpID, mob) WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i+1 "
                     "FROM n WHERE i<" +
                     std::to_string(kSubscribers - 1) + ") SELECT 10001, printf('138%08d', i) FROM n"))
        return 1;

    BenchShell shell(*db, dir / "LOG");
    shell.send = new SendSmsPage(shell);
    shell.send->setParent(&shell.window);
    auto* users = new SubscriberPage(shell);
    users->setParent(&shell.window);
    users->Open(QStringLiteral("订阅用户的资料管理"), QString());

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
    const qsizetype blocks = shell.send->sMobs()->document()->blockCount();
    shell.send->findChild<QPushButton*>(QStringLiteral("BitBtn12"))->click();  // "清空号码"
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
