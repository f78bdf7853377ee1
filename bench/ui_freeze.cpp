// How long the windows stop answering over tables of 1,000,000 rows: a probe thread asks the
// window a question every 100 ms and the longest wait for an answer is the freeze. Measured: the
// opening of "手机订阅关系处理" (1,000,000 categories in its check list) and its "全部选择", the
// dialog "增加订阅内容" and its "全部选择", the subscription search page (its category box), the
// send page's first opening (1,000,000 favourites and last numbers), "确认立即发送短信" over
// 1,000,000 numbers up to its first question, and "回复全部" over 1,000,000 listed messages.
// Anchor: the first screen of a list page (the inbox) over the same million rows, in the same run.
// Goal: every freeze within 1 s (ticking all within 0.5 s).
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

#include "bench_shell.h"
#include "bench_support.h"
#include "store/database.h"
#include "ui/mailbox/inbox_page.h"
#include "ui/send/send_sms_page.h"
#include "ui/subscriptions/mob_order_page.h"
#include "ui/subscriptions/mob_page.h"
#include "ui/subscriptions/subscriber_page.h"
#include "ui/subscriptions/subscription_dialogs.h"

namespace {
using namespace xunda;
using namespace xunda::bench;

constexpr int kRows = 1000000;

// Questions answered No; whether one was asked.
struct NoPrompts : PrintingPrompts {
    bool Confirm(const std::string&) override { return asked = true, false; }
    std::atomic<bool> asked{false};
};

// Asks `window` whether it is enabled every 100 ms from a thread of its own and keeps the longest
// wait for the answer.
class Probe {
  public:
    explicit Probe(QWidget& window)
        : thread_([this, &window] {
              while (!stop_.load()) {
                  auto answered = std::make_shared<std::atomic<bool>>(false);
                  const Steady::time_point asked = Steady::now();
                  QMetaObject::invokeMethod(
                      &window,
                      [answered, &window] {
                          (void)window.isEnabled();
                          answered->store(true);
                      },
                      Qt::QueuedConnection);
                  while (!answered->load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                  longest_ = std::max(longest_.load(), SecondsSince(asked));
                  std::this_thread::sleep_for(std::chrono::milliseconds(100));
              }
          }) {}
    // Lets the last question be answered, then the longest wait in seconds.
    double Stop() {
        stop_ = true;
        const Steady::time_point start = Steady::now();
        while (SecondsSince(start) < 0.25) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        thread_.join();
        return longest_;
    }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<double> longest_{0};
    std::thread thread_;
};

struct Measured {
    double seconds;  // from the start of the action until `done`
    double longest;  // the longest wait of the probe meanwhile
};

// Runs `action` on the GUI thread, keeps the events flowing until `done` (at most 300 s) and
// measures it.
Measured Measure(
    QWidget& window, const std::function<void()>& action,
    const std::function<bool()>& done = [] { return true; }) {
    Probe probe(window);
    QCoreApplication::processEvents();
    const Steady::time_point start = Steady::now();
    action();
    while (!done() && SecondsSince(start) < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const double seconds = SecondsSince(start);
    return {seconds, probe.Stop()};
}

void Print(const char* what, const Measured& m, double anchor) {
    std::printf("%-44s %7.2f s, longest wait %6.2f s, ratio to the anchor %6.1f\n", what, m.seconds,
                m.longest, m.seconds / anchor);
    std::fflush(stdout);
}

QAbstractItemView* CategoryList(QWidget* owner) {
    return owner->findChild<QAbstractItemView*>(QStringLiteral("msgTypeSelect"));
}

bool Fill(Database& db) {
    const std::string n = "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i+1 FROM n WHERE i<" +
                          std::to_string(kRows - 1) + ") ";
    return db.pAdoCom("INSERT INTO msgType (corpID, msgType) " + n +
                      "SELECT 10001, printf('类别%07d', i) FROM n") &&
           db.pAdoCom("INSERT INTO okMsg (corpID, msg) " + n +
                      "SELECT 10001, printf('常用短信%07d', i) FROM n") &&
           db.pAdoCom("INSERT INTO lastSendMobs (corpID, mob) " + n +
                      "SELECT 10001, printf('139%08d', i) FROM n") &&
           db.pAdoCom("INSERT INTO mo (corpID, moID, moTime, mob, msg, flag) " + n +
                      "SELECT 10001, i, '2026-01-01 00:00:00', printf('137%08d', i), '好', 0 FROM n") &&
           db.pAdoCom("INSERT INTO mobs (corpID, mob) VALUES (10001, '13800000000')");
}

}  // namespace

int main(int argc, char** argv) {
    WindowBench bench(argc, argv);
    if (!bench.db || !Fill(*bench.db)) return 1;

    NoPrompts prompts;
    BenchShell shell(*bench.db, prompts, bench.dir / "LOG");
    QWidget& window = shell.window;
    auto* send = shell.Add(new SendSmsPage(shell), "sendSmsPage", "短信发送");
    auto* inbox = shell.Add(new InboxPage(shell), "revBox", "收信箱");
    auto* bulk = shell.Add(new MobOrderPage(shell), "mobOrder", "手机订阅关系处理");
    shell.Add(new MobPage(shell), "mob", "手机订阅内容查询");
    auto* users = shell.Add(new SubscriberPage(shell), "user", "订阅用户的资料管理");
    window.resize(1000, 700);
    window.show();
    QCoreApplication::processEvents();

    const auto open = [&shell](const char* caption) {
        return [&shell, caption] { shell.SelectTreeNodeByText(QString::fromUtf8(caption)); };
    };
    const Measured anchor = Measure(window, open("收信箱"));
    std::printf("anchor: the inbox's first screen over %d messages: %.3f s\n\n", kRows, anchor.seconds);
    const double a = anchor.seconds;

    Print("opening 手机订阅关系处理", Measure(window, open("手机订阅关系处理")), a);
    const int listed = CategoryList(bulk)->model()->rowCount();
    Print("  全部选择", Measure(window, [bulk] { bulk->findChild<QCheckBox*>("msgTypeCheck")->click(); }), a);

    shell.SelectTreeNodeByText(QStringLiteral("订阅用户的资料管理"));
    Measured dialogOpen{}, dialogTick{};
    Steady::time_point clicked;
    auto* dialog = users->findChild<AddMsgTypeDialog*>();
    QTimer::singleShot(0, dialog, [&] {
        dialogOpen = {SecondsSince(clicked), 0};
        dialogTick = Measure(window, [dialog] { dialog->findChild<QCheckBox*>("msgTypeCheck")->click(); });
        dialog->reject();
    });
    {
        Probe probe(window);
        clicked = Steady::now();
        users->findChild<QPushButton*>("btnUserAddMsgType")->click();
        dialogOpen.longest = probe.Stop();
    }
    Print("opening the dialog 增加订阅内容", dialogOpen, a);
    Print("  全部选择", dialogTick, a);

    Print("opening 手机订阅内容查询", Measure(window, open("手机订阅内容查询")), a);
    Print("opening 短信发送 the first time", Measure(window, open("短信发送")), a);

    QString lines;
    for (int i = 0; i < kRows; ++i) lines += QString::asprintf("136%08d\n", i);
    send->sMobs()->setPlainText(lines);
    send->sMsg()->setPlainText(QStringLiteral("你好"));
    lines = QString();
    Print("确认立即发送短信 up to its first question",
          Measure(
              window, [send] { send->findChild<QPushButton*>("btnSendSms")->click(); },
              [&prompts] { return prompts.asked.load(); }),
          a);

    shell.SelectTreeNodeByText(QStringLiteral("收信箱"));
    Print("回复全部",
          Measure(
              window, [inbox] { inbox->findChild<QPushButton*>("btnRevAll")->click(); },
              [&shell] { return shell.workers().Running() == 0; }),
          a);
    const bool replied = send->sMobs()->document()->blockCount() > kRows;
    std::printf("\n%d categories listed, %s\n", listed,
                replied ? "every sender replied to" : "the reply FAILED");
    return listed == kRows && replied ? 0 : 1;
}
