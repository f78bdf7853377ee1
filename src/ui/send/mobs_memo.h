// A number memo (one number per line) with what every such memo does: its group box counts the
// lines, the numbers are tidied (also when Ctrl+V is released in it) and imported from a file, both
// on a worker behind the busy window. The send page's sMobs and the bulk-subscribe page's edMobs.
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "compose/sms_queue.h"

class QGroupBox;
class QPlainTextEdit;
class QString;

namespace xunda {

class Shell;

// The numbers one per line, as a memo shows them (any thread).
QString MobLines(const std::vector<std::string>& mobs);

class MobsMemo : public QObject {
    Q_OBJECT
  public:
    MobsMemo(Shell& shell, QPlainTextEdit* memo, QGroupBox* group);

    QPlainTextEdit* memo() const { return memo_; }
    // Sets the memo to the lines (MobLines) in one go.
    void ShowMobs(const QString& lines);
    // Tidies the memo on a worker behind the busy window; `then` runs on the GUI thread with the
    // tidied numbers once the memo holds them.
    using Tidied = std::function<void(std::vector<std::string> mobs)>;
    void Tidy(Tidied then = {});
    // Asks for a file and puts its numbers into the memo.
    void Import();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The caption counts the lines; a memo emptied gives its memory back to the system.
    void Change();
    // Puts the numbers `mobs` makes on a worker into the memo, then closes the busy window the
    // caller showed and runs `then` with them; the memo keeps its text (and `then` does not run)
    // when `mobs` fails.
    void FillMobsOnWorker(std::function<std::vector<std::string>()> mobs, Tidied then);

    Shell& shell_;
    QPlainTextEdit* memo_;
    QGroupBox* group_;
};

}  // namespace xunda
