// The login dialog "请登录". A login asks the service's data query for the account; the request
// runs on a worker while the dialog waits with its OK button disabled.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTimer;

namespace xunda {

class MainWindow;
class SmsGateway;

class LoginDialog : public QDialog {
    Q_OBJECT
  public:
    LoginDialog(MainWindow& main, SmsGateway& gateway);

    // Shows the dialog modally until a login succeeds (true) or the user cancels (false). With
    // `autoLogin` false the stored credentials are not used, whatever autoStart holds.
    bool Run(bool autoLogin = true);
    // Empties the user name and password edits (a change of account).
    void ClearEdits();
    bool autoLoginActive() const { return autoLoginActive_; }

    QLineEdit* UserEdit() const { return edUserName_; }
    QLineEdit* PasswordEdit() const { return password_; }
    QPushButton* OkButton() const { return okBtn_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void FormShow();
    bool FormCloseQuery();
    void OKBtnClick();
    void Label3Click();

    MainWindow& main_;
    SmsGateway& gateway_;
    QLineEdit* edUserName_;
    QLineEdit* password_;
    QPushButton* okBtn_;
    QPushButton* cancelBtn_;
    QTimer* timer1_;
    bool autoLoginAllowed_ = true;
    bool autoLoginActive_ = false;
    bool requesting_ = false;
};

}  // namespace xunda
