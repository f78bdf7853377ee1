#include "ui/send/mobs_memo.h"

#include <malloc.h>

#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextBlock>
#include <memory>
#include <optional>

#include "compose/number_tidy.h"
#include "ui/office/number_import.h"
#include "ui/shell/busy_work.h"
#include "ui/shell/shell.h"

namespace xunda {

MobsMemo::MobsMemo(Shell& shell, QPlainTextEdit* memo, QGroupBox* group)
    : QObject(memo), shell_(shell), memo_(memo), group_(group) {
    memo_->installEventFilter(this);
    connect(memo_, &QPlainTextEdit::textChanged, this, &MobsMemo::Change);
}

namespace {

// The numbers one per line.
std::string JoinedLines(const std::vector<std::string>& mobs) {
    std::size_t size = 0;
    for (const std::string& mob : mobs) size += mob.size() + 1;
    std::string lines;
    lines.reserve(size);
    for (const std::string& mob : mobs) (lines += mob) += '\n';
    return lines;
}

std::unique_ptr<QTextDocument> LinesDocument(const std::string& lines, const MemoLook& look) {
    auto document = std::make_unique<QTextDocument>();
    document->setDocumentLayout(new QPlainTextDocumentLayout(document.get()));
    document->setDefaultFont(look.font);
    document->setDefaultTextOption(look.option);
    document->setDocumentMargin(look.margin);
    document->setUndoRedoEnabled(false);  // the memo's edits can be undone, its filling cannot
    // Joined first and converted once: a million conversions of one number each take far longer.
    document->setPlainText(QString::fromUtf8(lines.data(), static_cast<qsizetype>(lines.size())));
    document->setUndoRedoEnabled(true);
    document->moveToThread(QCoreApplication::instance()->thread());  // the memo's thread
    return document;
}

}  // namespace

std::unique_ptr<QTextDocument> MobsDocument(const std::vector<std::string>& mobs, const MemoLook& look) {
    return LinesDocument(JoinedLines(mobs), look);
}

void MobsMemo::Change() {
    // Each line is a block of the document; a last, empty block is no line.
    const QTextDocument* document = memo_->document();
    const bool lastEmpty = document->lastBlock().length() <= 1;
    group_->setTitle(QString::fromStdString(
        MobLinesCaption(static_cast<std::size_t>(document->blockCount() - (lastEmpty ? 1 : 0)))));
    // The allocator keeps what a big document freed unless asked to give it back.
    if (document->isEmpty()) malloc_trim(0);
}

bool MobsMemo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == memo_ && event->type() == QEvent::KeyRelease) {
        const auto& key = *static_cast<QKeyEvent*>(event);
        if (key.key() == Qt::Key_V && key.modifiers().testFlag(Qt::ControlModifier)) Tidy();
    }
    return QObject::eventFilter(watched, event);
}

MemoLook MobsMemo::Look() const {
    const QTextDocument* document = memo_->document();
    return {document->defaultFont(), document->defaultTextOption(), document->documentMargin()};
}

void MobsMemo::ShowMobs(std::unique_ptr<QTextDocument> mobs) {
    // The editor deletes only the document it made itself; one it was given it keeps (a million
    // lines each) until it goes, so that one goes here.
    const QPointer<QTextDocument> shown = memo_->document();
    QTextDocument* document = mobs.release();
    document->setParent(memo_);
    memo_->setDocument(document);
    delete shown.data();
    Change();
}

void MobsMemo::FillMobsOnWorker(const std::string& busy, std::function<std::vector<std::string>()> mobs,
                                Tidied then, std::shared_ptr<const std::string> shown) {
    QPointer<MobsMemo> self(this);
    RunBusyWorker(shell_, busy,
                  [self, mobs = std::move(mobs), then = std::move(then), shown, look = Look()]() -> GuiStep {
                      std::vector<std::string> found;
                      try {
                          found = mobs();
                      } catch (const FileReadError&) {
                          return {};  // told already; the memo stays as it was
                      }
                      const std::string joined = JoinedLines(found);
                      std::unique_ptr<QTextDocument> lines;  // none: the memo shows them already
                      if (!shown || joined != *shown) lines = LinesDocument(joined, look);
                      // Held so, the step can be copied; a document nobody takes goes with it.
                      auto held = std::make_shared<std::unique_ptr<QTextDocument>>(std::move(lines));
                      return [self, found = std::move(found), held, then]() mutable {
                          if (!self) return;
                          if (*held) self->ShowMobs(std::move(*held));
                          if (then) then(std::move(found));
                      };
                  });
}

void MobsMemo::Tidy(Tidied then) {
    auto memo = std::make_shared<const std::string>(memo_->toPlainText().toStdString());
    FillMobsOnWorker(
        "处理手机号码,请稍候...", [memo] { return TidyMobs(*memo); }, std::move(then), memo);
}

void MobsMemo::Import() {
    const std::optional<std::string> file = shell_.prompts().ChooseOpenFile(kMobsImportFilter, "");
    if (!file) return;
    FillMobsOnWorker("导入手机号码,请稍候...",
                     [&shell = shell_, file = *file] { return ImportMobsFileOrTell(shell, file); }, {}, {});
}

}  // namespace xunda
