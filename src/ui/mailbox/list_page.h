// A list page of the main window: a group box whose caption counts the account's rows, holding a
// read-only grid over a lazily read list, with the page's buttons around it. The outbox, the sent
// history and the inbox derive from it.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mailbox/mailbox_host.h"
#include "ui/shell/page.h"

class QBoxLayout;
class QComboBox;
class QGroupBox;
class QPushButton;
class QTableView;

namespace xunda {

class QueryGridModel;
class RowPager;
class Shell;

// The mailbox lists' access to the main window.
class ShellMailboxHost : public MailboxHost {
  public:
    explicit ShellMailboxHost(Shell& shell) : shell_(shell) {}
    Database& db() override;
    Prompts& prompts() override;
    std::string corpID() override;
    bool RunBusy(const std::string& text, const std::function<void()>& work) override;
    void SaveGrid(const RowPager& grid) override;
    void ReplyTo(const std::vector<std::string>& mobs) override;
    std::chrono::year_month_day Today() override;
    // Puts the numbers `mobs` reads on the send page, one per line, and shows that page; nothing
    // for none. The numbers are read and laid out on a worker behind the busy window.
    void SendMobs(const std::function<std::vector<std::string>()>& mobs);

  private:
    Shell& shell_;
};

// A search text box with its drop-down history, and its text as a search takes it (trimmed).
QComboBox* SearchBox(const char* name, QWidget* parent);
QString SearchText(const QComboBox* box);

class ListPage : public Page {
    Q_OBJECT
  public:
    explicit ListPage(Shell& shell);

    QGroupBox* Group() const { return group_; }
    QTableView* Grid() const { return view_; }
    // The grid's current row, if any.
    std::optional<std::size_t> CurrentRow() const;
    // The page's listing of the tree menu; nothing is listed while no account is logged in.
    void Open(const QString& caption, const QString& param) final;
    // The database is being closed: the list empties.
    void DatabaseReopened() override;

  protected:
    virtual void OpenList() = 0;
    MailboxHost& host() { return host_; }
    // Puts the group box with the grid over `grid` into the page; `caption` gives the count
    // caption, refreshed whenever the list changes.
    void AddGrid(RowPager& grid, const char* groupName, const char* gridName, const char* title,
                 std::function<std::string()> caption);
    // Puts the numbers `mobs` reads on the send page and shows it (SendMobs).
    void SendTo(const std::function<std::vector<std::string>()>& mobs) { host_.SendMobs(mobs); }
    // The current row's number on the send page, shown; nothing without a current row.
    void SendToCurrent(RowPager& grid);
    // A button in `row` that runs `click`.
    QPushButton* AddButton(QBoxLayout* row, const char* caption, const char* name,
                           std::function<void()> click);

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // After each change of the list: the count caption, the columns fitted to the first screen's
    // texts, and the first row current.
    void ListChanged();
    // The message column (when the grid has one) takes the width the other columns leave.
    void FitMessage();

    ShellMailboxHost host_;
    RowPager* grid_ = nullptr;
    QGroupBox* group_ = nullptr;
    QTableView* view_ = nullptr;
    QueryGridModel* model_ = nullptr;
    int messageColumn_ = -1;
    QString title_;
    std::function<std::string()> caption_;
};

}  // namespace xunda
