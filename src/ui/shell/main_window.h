// The main window: menu, tool bar, tree menu on the left, the page area on the right, the status
// bar with its five panels, the tray icon and the account context of the current login.
#pragma once

#include <QFont>
#include <QMainWindow>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "ui/shell/shell.h"

class QAction;
class QLabel;
class QStackedWidget;
class QTreeWidget;

namespace xunda {

class AboutPage;
class Autostart;
class InstanceLock;
class LoginDialog;
class ProcessingEngine;
class SoundPlayer;
class SysTray;
class WebView;
class WelcomePage;

// `family` at `points` when the desktop has that family; none when it lacks it (Qt would put some
// other family in its place, at a size chosen for the missing one).
std::optional<QFont> InstalledFont(const QString& family, int points);

// The desktop services the main window works with.
struct ShellPorts {
    Prompts& prompts;
    GuiBridge& bridge;
    Desktop& desktop;
    SoundPlayer& sound;
    OnlineProbe& online;
    Autostart& autostart;
    WebView& web;
    std::function<bool()> trayAvailable;  // whether the desktop has a notification area
    std::filesystem::path programPath;    // what the autostart entry starts
    bool startHidden = false;             // the first parameter was "h"
    // How long exit, change of account and clearing all data wait for the workers before the
    // program ends anyway: longer than a service request may take as a whole (60 s), so that a
    // worker inside one ends by its own time-out and stores what it has.
    std::chrono::milliseconds workerWaitLimit = std::chrono::seconds(75);
};

class MainWindow : public QMainWindow, public Shell {
    Q_OBJECT
  public:
    static constexpr const char* kCaption = "泊舟讯达短信通-订阅版(Beta1)";

    explicit MainWindow(ShellPorts ports);
    ~MainWindow() override;

    // Takes the data root (one program per data root), shows the window, opens the database and
    // readies the tree and the counters; the tree and the pause button stay disabled until a
    // login. False after the box saying another program runs on the data root, or after
    // "数据库打开失败!": the program ends.
    bool FormCreate();
    void SetEngine(ProcessingEngine* engine) { engine_ = engine; }
    void SetLoginDialog(LoginDialog* dialog) { loginDialog_ = dialog; }

    // Shell
    const AccountContext& Account() const override { return account_; }
    Prompts& prompts() override { return ports_.prompts; }
    GuiBridge& bridge() override { return ports_.bridge; }
    Desktop& desktop() override { return ports_.desktop; }
    OnlineProbe& online() override { return ports_.online; }
    MsgForm& busy() override { return *msgForm_; }
    Workers& workers() override { return *workers_; }
    Database& db() override { return *db_; }
    Log& log() override { return *log_; }
    void logit(const std::string& text) override;
    bool SelectTreeNodeByText(const QString& caption) override;
    Page* FindPage(const QString& pageName) override;
    void pSaveDbGrid(const ResultSet& rows, const std::vector<GridColumn>& columns) override;
    void pSaveDbGrid(const RowPager& grid) override;
    void btnSmsSendPauseClick() override;
    void pListCount() override;
    void PlayEventSound(SoundEvent event) override;

    // The page switch of a tree caption; unknown captions do nothing.
    void menuClick(const QString& caption, const QString& param);
    // Opens a service page ("help", "buy", ...) of the current account in the welcome page.
    void OpenServicePage(const QString& pageName);

    // A login succeeded with the given context; `typedUserName` as it stands in the dialog.
    void LoginSucceeded(const AccountContext& account, const QString& typedUserName, bool autoLoginActive);
    // Menu "更换登录帐户": logs out and shows the login dialog again.
    void changeUserClick();
    // Hides to the tray (minimises instead when the desktop has no tray).
    void HideToTray();
    // Shows the window again in front (a double click on the tray icon).
    void SysTrayIconDblClick();
    // Pauses processing, stops the engine's timers and waits for every worker, with the busy
    // window showing `text`; returns whether processing was running before. Should a worker
    // outlast the ports' limit, the program ends at once with a log line.
    bool Quiesce(const std::string& text);
    // Whether the program is ending (the window's close has begun).
    bool Closing() const { return closing_; }
    // Undoes Quiesce: the engine works again, and processing resumes when it ran before.
    void Resume(bool wasRunning);
    // Closes the database and opens it again. When it does not open, the error box has been
    // shown and the program ends (Ended): false.
    bool ReopenDatabase();

    QTreeWidget* Tree() const { return tv_; }
    QStackedWidget* PageArea() const { return pc_; }
    QString PanelText(int panel) const;
    SysTray& Tray() const { return *sysTray_; }
    WelcomePage& Welcome() const { return *welcome_; }
    AboutPage& About() const { return *about_; }
    WebView& Web() const { return ports_.web; }
    Autostart& autostart() const { return ports_.autostart; }
    SoundPlayer& sound() const { return ports_.sound; }
    const std::filesystem::path& ProgramPath() const { return ports_.programPath; }

  signals:
    // The program should end now: the window has closed, or the login after a change of account
    // was cancelled.
    void Ended();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void BuildMenu();
    void BuildToolBar();
    void BuildTree();
    void BuildPages();
    void BuildStatusBar();
    void SetPanel(int panel, const QString& text);
    // SetPanel from any thread.
    void PostPanel(int panel, const QString& text);
    void TVChange();
    // Waits for every worker; past the bound (whatever boxes are open) the program ends at once.
    void WaitForWorkers();
    void expandAllClick();
    void collapseAllClick();
    QAction* ServiceAction(QAction* action, const QString& pageName);
    // pSaveDbGrid's steps around `write`, which writes the rows to the chosen file.
    void SaveGridFile(const std::function<bool(const std::string& file)>& write);

    ShellPorts ports_;
    std::unique_ptr<InstanceLock> instance_;
    AccountContext account_;
    ProcessingEngine* engine_ = nullptr;
    LoginDialog* loginDialog_ = nullptr;
    std::unique_ptr<Workers> workers_;
    std::unique_ptr<Log> log_;
    std::unique_ptr<Database> db_;
    std::unique_ptr<MsgForm> msgForm_;
    SysTray* sysTray_ = nullptr;
    QTreeWidget* tv_ = nullptr;
    QStackedWidget* pc_ = nullptr;
    WelcomePage* welcome_ = nullptr;
    AboutPage* about_ = nullptr;
    QAction* btnSmsSendPause_ = nullptr;
    QAction* btnSmsSendPlay_ = nullptr;
    std::vector<QLabel*> panels_;
    bool closing_ = false;
};

}  // namespace xunda
