// A main window over fakes in a private data root, with its login dialog.
#pragma once

#include <sqlite3.h>

#include <functional>

#include "core/paths.h"
#include "platform/autostart.h"
#include "store/database.h"
#include "store/log.h"
#include "store/settings.h"
#include "support/sql_helpers.h"
#include "ui/fakes.h"
#include "ui/shell/about_page.h"
#include "ui/shell/login_dialog.h"
#include "ui/shell/main_window.h"
#include "ui/shell/msg_form.h"
#include "ui/shell/page_registry.h"
#include "ui/shell/workers.h"

namespace xunda::test {

// A page another subsystem registers: it records how it was opened.
struct CountingPage : Page {
    void Open(const QString& caption, const QString& param) override {
        opened.push_back(caption + "|" + param);
    }
    QStringList opened;
};

// A counting page in place of a registered page for one test; the page's own factory is back
// afterwards. Made before the main window, so the window builds the counting page.
class CountingPageInstead {
  public:
    explicit CountingPageInstead(std::string name) : name_(std::move(name)) {
        if (const PageFactory* own = FindPageFactory(name_)) own_ = *own;
        RegisterPage(name_, [](Shell&) -> Page* { return new CountingPage; });
    }
    ~CountingPageInstead() {
        if (own_) RegisterPage(name_, own_);
    }

  private:
    std::string name_;
    PageFactory own_;
};

// Whether the window handled a timer event while the busy window showed `busy` and a worker ran;
// `then`, when given, runs at the first such event. Work the GUI thread did itself would show no
// such event.
class WhileBusy {
  public:
    WhileBusy(MainWindow& main, const char* busy, std::function<void()> then = {}) {
        QObject::connect(&watch_, &QTimer::timeout, &watch_,
                         [this, &main, text = QString::fromUtf8(busy), then = std::move(then)] {
                             if (seen_ || !main.busy().isVisible() || main.busy().Text() != text ||
                                 main.workers().Running() == 0)
                                 return;
                             seen_ = true;
                             if (then) then();
                         });
        watch_.start(10);
    }
    bool Seen() const { return seen_; }

  private:
    QTimer watch_;
    bool seen_ = false;
};

// Another program holds the database's write lock, and lets go only when the window handles a
// timer event while the busy window shows `busy` and a worker runs. Work the GUI thread did itself
// would wait for the lock in vain, and fail after the store's busy timeout.
class LockedUntilBusy {
  public:
    LockedUntilBusy(MainWindow& main, const char* busy)
        : other_(Lock(main)),
          watch_(main, busy, [this] { sqlite3_exec(other_, "COMMIT", nullptr, nullptr, nullptr); }) {}
    ~LockedUntilBusy() { sqlite3_close(other_); }
    // Whether the window let the other program go while the work ran.
    bool Released() const { return watch_.Seen(); }

  private:
    static sqlite3* Lock(MainWindow& main) {
        sqlite3* other = nullptr;
        EXPECT_EQ(sqlite3_open(main.db().Path().c_str(), &other), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        return other;
    }

    sqlite3* other_;
    WhileBusy watch_;
};

// The Qt bridge; a test may have `beforePost` run on the posting thread before each call is posted.
struct HookedBridge : QtGuiBridge {
    void Post(std::function<void()> call) override {
        if (beforePost) beforePost();
        QtGuiBridge::Post(std::move(call));
    }
    std::function<void()> beforePost;
};

class ShellTest : public ::testing::Test, public SqlHelpers {
  protected:
    ShellTest() {
        setenv("XUNDA_SMS_HOME", home.path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    }

    // The main window as the program builds it (again after changing the ports); false if it refuses to
    // start.
    bool Create() {
        login.reset();
        main.reset();
        web = std::make_unique<FakeWebView>();
        main = std::make_unique<MainWindow>(ShellPorts{
            prompts, bridge, desktop, sound, online, autostart, *web, [this] { return trayAvailable; },
            home / "bin dir/xunda-sms", startHidden, workerWaitLimit});
        if (!main->FormCreate()) return false;
        main->SetEngine(&engine);
        login = std::make_unique<LoginDialog>(*main, query);
        main->SetLoginDialog(login.get());
        return true;
    }

    void SetUp() override { ASSERT_TRUE(Create()); }

    // Types the credentials into the shown login dialog and presses "登录".
    bool Login(const QString& user = QStringLiteral("demo"),
               const QString& password = QStringLiteral("demo")) {
        login->show();
        login->UserEdit()->setText(user);
        login->PasswordEdit()->setText(password);
        login->OkButton()->click();
        QApplication::processEvents();
        return main->Account().LoggedIn();
    }

    // Selects the tree node `caption`; the page registered as `name`.
    template <typename P>
    P* Open(const char* caption, const char* name) {
        EXPECT_TRUE(main->SelectTreeNodeByText(QString::fromUtf8(caption))) << caption;
        QApplication::processEvents();
        return qobject_cast<P*>(main->FindPage(QString::fromUtf8(name)));
    }
    // Clicks the button `button` of `owner` and waits for the work it started, also for work
    // that a worker's result starts in turn (the queueing after the tidy).
    void Click(QWidget* owner, const char* button) {
        QPushButton* found = owner->findChild<QPushButton*>(QString::fromUtf8(button));
        ASSERT_NE(found, nullptr) << button;
        found->click();
        for (QDeadlineTimer limit(30000); !limit.hasExpired();) {
            ASSERT_TRUE(main->workers().WaitAll(std::chrono::seconds(30)));
            RunPosted();
            if (main->workers().Running() == 0) break;
        }
        Settle();
    }
    // Runs every call posted to the GUI thread so far (those of the workers that have ended too).
    static void RunPosted() {
        bool ran = false;
        QMetaObject::invokeMethod(
            qApp, [&ran] { ran = true; }, Qt::QueuedConnection);
        while (!ran) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    QString Shown() { return main->PageArea()->currentWidget()->objectName(); }
    Database& SqlDatabase() override { return main->db(); }
    std::string Setting(const char* name) { return pReadSysValue(main->db(), main->Account().corpID, name); }
    std::string LogText() { return ReadFile(LogDir() / ("LOG_" + main->Account().corpID + ".LOG")); }
    // Lets queued calls (status panels, busy window) run.
    static void Settle() { QTest::qWait(20); }

    TempDir home;
    HookedBridge bridge;
    FakePrompts prompts;
    FakeDesktop desktop;
    FakeSound sound;
    FakeOnline online;
    XdgAutostart autostart;
    FakeEngine engine;
    FakeGateway query;
    bool trayAvailable = true, startHidden = false;
    std::chrono::milliseconds workerWaitLimit = std::chrono::seconds(10);
    std::unique_ptr<FakeWebView> web;
    std::unique_ptr<MainWindow> main;
    std::unique_ptr<LoginDialog> login;
};

// The shell after the login of demo/demo.
class LoggedInTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(Login());
    }
};

}  // namespace xunda::test
