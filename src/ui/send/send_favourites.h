// The send page's favourite messages "常用短信(双击加入)" and its last-used numbers
// "最近发送过的手机号码", with the actions that put them into the message and the number memo.
#pragma once

#include <QWidget>

class QCheckBox;
class QListWidget;

namespace xunda {

class SendSmsPage;
class Shell;

class SendFavourites : public QWidget {
    Q_OBJECT
  public:
    SendFavourites(Shell& shell, SendSmsPage& page);

    // On opening the send page: the favourites once (newest first) while the list is empty, the
    // last numbers every time (unticked, and "全部选中" with them). Nothing before a login.
    void Fill();
    // On a change of account: both lists go.
    void Clear();

    QListWidget* okMsgList() const { return okMsgList_; }
    QListWidget* lastMobs() const { return lastMobs_; }
    QCheckBox* lastMobsCheck() const { return lastMobsCheck_; }

    void BitBtn3Click();
    void BitBtn4Click();
    void okMsgListDblClick();
    void lastMobsCheckClick();
    void addLastMobClick();
    void lastMobsDblClick();
    void BitBtn12Click();

  protected:
    // lastMobs keeps three columns, whatever its width.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::string Corp() const;
    void AppendMobLine(const QString& mob);

    Shell& shell_;
    SendSmsPage& page_;
    QListWidget* okMsgList_;
    QListWidget* lastMobs_;
    QCheckBox* lastMobsCheck_;
};

}  // namespace xunda
