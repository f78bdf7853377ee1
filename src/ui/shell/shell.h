// What the main window offers its pages and the engine controller. Implemented by MainWindow.
#pragma once

#include <QString>
#include <atomic>
#include <string>
#include <vector>

#include "core/ports.h"
#include "engine/event_sound.h"
#include "store/grid_files.h"
#include "ui/shell/account.h"

namespace xunda {

class Database;
class Log;
class MsgForm;
class Page;
class Prompts;
class RowPager;
class Workers;

class Shell {
  public:
    virtual ~Shell() = default;

    // GUI thread: the account of the current login (empty before the first one).
    virtual const AccountContext& Account() const = 0;

    virtual Prompts& prompts() = 0;
    virtual GuiBridge& bridge() = 0;
    virtual Desktop& desktop() = 0;
    virtual OnlineProbe& online() = 0;
    // The busy window (any thread) and the registry every worker runs through.
    virtual MsgForm& busy() = 0;
    virtual Workers& workers() = 0;
    // The open database (reopened on a change of account and after clearing all data; any
    // thread) and the log of the current account.
    virtual Database& db() = 0;
    virtual Log& log() = 0;

    // Any thread: a line to the account's log and to the last status panel.
    virtual void logit(const std::string& text) = 0;
    // GUI thread: switches pages by a tree caption; false when no node has it.
    virtual bool SelectTreeNodeByText(const QString& caption) = 0;
    // GUI thread: a page of the page area by its name ("sendSmsPage"), or null.
    virtual Page* FindPage(const QString& pageName) = 0;
    // GUI thread: asks for a file and exports the rows of a grid (its rows and its columns) to
    // it as CSV, then offers to open the file.
    virtual void pSaveDbGrid(const ResultSet& rows, const std::vector<GridColumn>& columns) = 0;
    // The same for a list page's grid: its rows are read again from the database as they are
    // written, so no list is ever held whole in memory.
    virtual void pSaveDbGrid(const RowPager& grid) = 0;

    // Processing control: the pause toggle (GUI thread) and its state (any thread).
    virtual void btnSmsSendPauseClick() = 0;
    bool Paused() const { return paused.load(); }
    // Any thread: writes the three counters to the status bar.
    virtual void pListCount() = 0;
    // GUI thread: plays the sound of an event when its row is ticked and names an existing file.
    virtual void PlayEventSound(SoundEvent event) = 0;

    std::atomic<bool> paused{false};
    std::atomic<int> moCount{0};
    std::atomic<int> mtCount{0};
    std::atomic<int> reportCount{0};
    // Set when the send page was filled from a broadcast selection; read and cleared by queueing,
    // cleared by a change of account and by a login.
    std::atomic<bool> subscriptionSendFlag{false};
};

}  // namespace xunda
