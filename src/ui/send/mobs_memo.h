// A number memo (one number per line) with what every such memo does: its group box counts the
// lines, the numbers are tidied (also when Ctrl+V is released in it) and imported from a file, both
// on a worker behind the busy window. The send page's sMobs and the bulk-subscribe page's edMobs.
//
// A memo takes new numbers as a whole document made on a worker (MobsDocument): laying out a
// million lines takes seconds, and the window would stop answering meanwhile.
#pragma once

#include <QFont>
#include <QObject>
#include <QTextDocument>
#include <QTextOption>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "compose/sms_queue.h"

class QGroupBox;
class QPlainTextEdit;

namespace xunda {

class Shell;

// How a memo lays out its text, taken on the GUI thread for a document made on another.
struct MemoLook {
    QFont font;
    QTextOption option;
    qreal margin = 0;
};

// The numbers one per line as a memo that looks so shows them (any thread).
std::unique_ptr<QTextDocument> MobsDocument(const std::vector<std::string>& mobs, const MemoLook& look);

class MobsMemo : public QObject {
    Q_OBJECT
  public:
    MobsMemo(Shell& shell, QPlainTextEdit* memo, QGroupBox* group);

    QPlainTextEdit* memo() const { return memo_; }
    // How the memo lays out its text.
    MemoLook Look() const;
    // The memo shows the numbers (MobsDocument) in place of its text, in one go.
    void ShowMobs(std::unique_ptr<QTextDocument> mobs);
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
    // Puts the numbers `mobs` makes on a worker behind the busy window showing `busy` into the
    // memo, then runs `then` with them; the memo keeps its text (and `then` does not run) when
    // `mobs` fails. `shown`, when given, is the memo's text the numbers were made from: a memo that
    // holds them so already is not filled again (a million lines take seconds to fill).
    void FillMobsOnWorker(const std::string& busy, std::function<std::vector<std::string>()> mobs,
                          Tidied then, std::shared_ptr<const std::string> shown);

    Shell& shell_;
    QPlainTextEdit* memo_;
    QGroupBox* group_;
};

}  // namespace xunda
