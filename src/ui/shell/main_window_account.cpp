// The main window's account life: login, change of account, the database it works on, exports.
#include <QDate>
#include <QLocale>
#include <QStackedWidget>
#include <QTreeWidget>

#include "store/database.h"
#include "store/log.h"
#include "store/row_pager.h"
#include "store/settings.h"
#include "ui/shell/about_page.h"
#include "ui/shell/busy_work.h"
#include "ui/shell/engine_port.h"
#include "ui/shell/login_dialog.h"
#include "ui/shell/main_window.h"
#include "ui/shell/msg_form.h"
#include "ui/shell/page.h"
#include "ui/shell/service_urls.h"
#include "ui/shell/welcome_page.h"

namespace xunda {

void MainWindow::LoginSucceeded(const AccountContext& account, const QString& typedUserName,
                                bool autoLoginActive) {
    account_ = account;
    subscriptionSendFlag.store(false);
    log_->SetAccount(account.corpID);
    paused.store(false);
    btnSmsSendPlay_->setEnabled(false);
    if (engine_) engine_->Start(account_);
    logit("----");
    logit("登录成功(" + account.corpID + ")");
    btnSmsSendPause_->setEnabled(true);
    tv_->setEnabled(true);
    welcome_->HideBrowser();
    welcome_->Navigate(WithAccount(ServicePageAddress(QStringLiteral("welcome")), account_));
    const bool autoMiniActive = pReadSysValue(*db_, account_.corpID, "autoMini") == "1";
    if (autoMiniActive) HideToTray();
    const QDate today = QDate::currentDate();
    SetPanel(0, typedUserName + QStringLiteral("你好! ") +
                    today.toString(QStringLiteral("今天是yyyy年MM月dd日")) + QStringLiteral(", ") +
                    QLocale::system().dayName(today.dayOfWeek(), QLocale::LongFormat));
    about_->ApplyLogin(autoLoginActive, autoMiniActive);
}

void MainWindow::changeUserClick() {
    if (loginDialog_->autoLoginActive() &&
        !ports_.prompts.Confirm("更改登录帐户将清除原用户设置的自动登录选项,你要继续吗?")) {
        return;
    }
    Quiesce("正在处理中,请稍候...");
    // The three keys go together or not at all. When they cannot (the database refuses writes),
    // one box says so, and the old account is not logged in again by itself.
    const bool cleared = db_->Transaction(
        [this] {
            return pWriteSysValue(*db_, account_.corpID, "autoStart", "0") &&
                   pWriteSysValue(*db_, account_.corpID, "userName", "") &&
                   pWriteSysValue(*db_, account_.corpID, "userPwd", "");
        },
        true);
    account_ = AccountContext{};
    subscriptionSendFlag.store(false);
    loginDialog_->ClearEdits();
    log_->SetAccount("");
    msgForm_->Close();
    tv_->setEnabled(false);
    if (!cleared)
        ports_.prompts.Notice(
            "自动登录选项无法清除(数据库不能写入),保存的用户名和密码还在!这次不会自动登录.");
    if (!ReopenDatabase()) return;
    if (!loginDialog_->Run(cleared)) {
        closing_ = true;
        emit Ended();
    }
}

bool MainWindow::ReopenDatabase() {
    for (Page* page : pc_->findChildren<Page*>(Qt::FindDirectChildrenOnly)) page->DatabaseReopened();
    db_.reset();
    db_ = Database::Open(Database::DefaultPath(), ports_.prompts);
    if (db_) return true;
    closing_ = true;  // "数据库打开失败!" has been shown: the program cannot go on
    emit Ended();
    return false;
}

void MainWindow::Resume(bool wasRunning) {
    if (engine_ && account_.LoggedIn()) engine_->Start(account_);
    if (wasRunning) btnSmsSendPauseClick();
}

void MainWindow::PlayEventSound(SoundEvent event) {
    const std::string file = about_->SoundFile(event);
    if (!file.empty()) ports_.sound.Play(file);
}

void MainWindow::pSaveDbGrid(const ResultSet& rows, const std::vector<GridColumn>& columns) {
    if (rows.Empty()) return;
    SaveGridFile([&](const std::string& file) { return SaveDbGridToCsv(rows, columns, file); });
}

void MainWindow::pSaveDbGrid(const RowPager& grid) {
    if (grid.RowCount() == 0) return;
    SaveGridFile(
        [&](const std::string& file) { return SaveDbGridToCsv(*db_, grid.Sql(), grid.Columns(), file); });
}

void MainWindow::SaveGridFile(const std::function<bool(const std::string& file)>& write) {
    const std::optional<std::string> file =
        ports_.prompts.ChooseSaveFile("EXCEL_CSV (*.csv);;TXT (*.txt)", "");
    if (!file) return;
    bool saved = false;
    // The windows repaint meanwhile.
    if (!RunBusyAndWait(*this, "正在处理中,请稍候...", [&] { saved = write(*file); })) return;
    if (!saved) {
        ports_.prompts.Notice("文件保存失败: " + *file);
        return;
    }
    if (ports_.prompts.OfferOpen("文件已经保存!你要立即打开吗?")) ports_.desktop.Open(*file);
}

}  // namespace xunda
