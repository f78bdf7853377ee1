#include "ui/send/mobs_memo.h"

#include <malloc.h>

#include <QGroupBox>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextBlock>
#include <exception>
#include <optional>

#include "compose/number_tidy.h"
#include "ui/office/number_import.h"
#include "ui/shell/msg_form.h"
#include "ui/shell/shell.h"
#include "ui/shell/workers.h"

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

void MobsMemo::FillMobsOnWorker(std::function<std::vector<std::string>()> mobs, Tidied then) {
    Shell& shell = shell_;
    QPointer<MobsMemo> self(this);
    shell.workers().Run([&shell, self, mobs = std::move(mobs), then = std::move(then)] {
        std::optional<std::vector<std::string>> found;
        QString lines;
        try {
            found = mobs();
            lines = MobLines(*found);
        } catch (const std::exception&) {
            // A file that cannot be read leaves the memo as it was.
            found.reset();
        }
        shell.busy().Close();
        if (!found) return;
        shell.bridge().Post([self, found = std::move(*found), lines = std::move(lines), then]() mutable {
            if (!self) return;
            self->ShowMobs(lines);
            if (then) then(std::move(found));
        });
    });
}

void MobsMemo::Tidy(Tidied then) {
    shell_.busy().Show("处理手机号码,请稍候...");
    FillMobsOnWorker([memo = memo_->toPlainText().toStdString()] { return TidyMobs(memo); }, std::move(then));
}

void MobsMemo::Import() {
    const std::optional<std::string> file = shell_.prompts().ChooseOpenFile(kMobsImportFilter, "");
    if (!file) return;
    shell_.busy().Show("导入手机号码,请稍候...");
    FillMobsOnWorker([&shell = shell_, file = *file] { return ImportMobsFileOrTell(shell, file); }, {});
}

}  // namespace xunda
