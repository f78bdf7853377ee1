#include "ui/send/mobs_memo.h"

#include <malloc.h>

#include <QGroupBox>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextBlock>
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

QString MobLines(const std::vector<std::string>& mobs) {
    // Joined first and converted once: a million conversions of one number each take far longer.
    std::size_t size = 0;
    for (const std::string& mob : mobs) size += mob.size() + 1;
    std::string lines;
    lines.reserve(size);
    for (const std::string& mob : mobs) (lines += mob) += '\n';
    return QString::fromUtf8(lines.data(), static_cast<qsizetype>(lines.size()));
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

void MobsMemo::ShowMobs(const QString& lines) {
    memo_->setPlainText(lines);
}

void MobsMemo::FillMobsOnWorker(const std::string& busy, std::function<std::vector<std::string>()> mobs,
                                std::function<void()> then) {
    QPointer<MobsMemo> self(this);
    RunBusyWorker(shell_, busy, [self, mobs = std::move(mobs), then = std::move(then)]() -> GuiStep {
        QString found;
        try {
            found = MobLines(mobs());
        } catch (const FileReadError&) {
            return {};  // told already; the memo stays as it was
        }
        return [self, found = std::move(found), then] {
            if (!self) return;
            self->ShowMobs(found);
            if (then) then();
        };
    });
}

void MobsMemo::Tidy(std::function<void()> then) {
    FillMobsOnWorker(
        "处理手机号码,请稍候...", [memo = memo_->toPlainText().toStdString()] { return TidyMobs(memo); },
        std::move(then));
}

void MobsMemo::Import() {
    const std::optional<std::string> file = shell_.prompts().ChooseOpenFile(kMobsImportFilter, "");
    if (!file) return;
    FillMobsOnWorker("导入手机号码,请稍候...",
                     [&shell = shell_, file = *file] { return ImportMobsFileOrTell(shell, file); }, {});
}

}  // namespace xunda
