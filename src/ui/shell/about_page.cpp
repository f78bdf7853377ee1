#include "ui/shell/about_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

#include "core/file_write.h"
#include "core/paths.h"
#include "platform/autostart.h"
#include "store/account_clear.h"
#include "store/database.h"
#include "store/log.h"
#include "store/settings.h"
#include "ui/shell/assets.h"
#include "ui/shell/main_window.h"
#include "ui/shell/msg_form.h"
#include "ui/shell/typed_text.h"
#include "ui/shell/workers.h"

namespace xunda {

namespace fs = std::filesystem;

namespace {
// The widgets of a sound row: check box, edit, test and browse buttons, with their names.
struct RowLook {
    const char* check;
    const char* caption;
    const char* file;
    const char* test;
    const char* browse;
};
constexpr RowLook kLooks[] = {
    {"moWavCheck", "接收到新的手机短信时播放声音", "moWavFile", "btnPlayWav", "btnOpenWav"},
    {"rpWavCheck", "接收到新的短信收条时播放声音", "rpWavFile", "BitBtn27", "BitBtn24"},
    {"mtWavCheck", "发送短信错误时播放声音", "mtWavFile", "BitBtn33", "BitBtn32"},
};

// A file edit's path without blanks around it; a path is kept as it is, whatever its characters,
// but for a NUL a paste may carry (no path holds one).
std::string Trimmed(const QLineEdit* edit) {
    return WithoutNul(edit->text().trimmed()).toStdString();
}
}  // namespace

AboutPage::AboutPage(MainWindow& main)
    : main_(main),
      autoStartCheck_(new QCheckBox(QStringLiteral("系统随Windows启动并自动登录"), this)),
      autoMiniCheck_(new QCheckBox(QStringLiteral("软件启动后自动最小化成工具栏图标"), this)),
      edPass_(new QLineEdit(this)),
      rows_{{{SoundEvent::Incoming, "revMoPlay", "revMoFile", "revMo.wav", IncomingWav},
             {SoundEvent::Report, "revRpPlay", "revRpFile", "revReport.wav", ReportWav},
             {SoundEvent::SendError, "revMtPlay", "revMtFile", "mtError.wav", SendErrorWav}}} {
    autoStartCheck_->setObjectName(QStringLiteral("autoStartCheck"));
    autoMiniCheck_->setObjectName(QStringLiteral("autoMiniCheck"));
    connect(autoStartCheck_, &QCheckBox::toggled, this, &AboutPage::autoStartCheckClick);
    connect(autoMiniCheck_, &QCheckBox::toggled, this, &AboutPage::autoMiniCheckClick);
    auto* system = new QGroupBox(QStringLiteral("系统配置"), this);
    auto* systemLayout = new QVBoxLayout(system);
    systemLayout->addWidget(autoStartCheck_);
    systemLayout->addWidget(autoMiniCheck_);

    auto* sounds = new QGroupBox(QStringLiteral("声音设置"), this);
    auto* soundLayout = new QGridLayout(sounds);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        SoundRow& row = rows_[i];
        const RowLook& look = kLooks[i];
        const int line = static_cast<int>(i) * 2;
        row.check = new QCheckBox(QString::fromUtf8(look.caption), sounds);
        row.check->setObjectName(QString::fromUtf8(look.check));
        row.file = new QLineEdit(sounds);
        row.file->setObjectName(QString::fromUtf8(look.file));
        auto* test = new QPushButton(QStringLiteral("试放音"), sounds);
        test->setObjectName(QString::fromUtf8(look.test));
        auto* browse = new QPushButton(QStringLiteral("浏览..."), sounds);
        browse->setObjectName(QString::fromUtf8(look.browse));
        soundLayout->addWidget(row.check, line, 0, 1, 4);
        soundLayout->addWidget(new QLabel(QStringLiteral("声音文件:"), sounds), line + 1, 0);
        soundLayout->addWidget(row.file, line + 1, 1);
        soundLayout->addWidget(test, line + 1, 2);
        soundLayout->addWidget(browse, line + 1, 3);
        const SoundEvent event = row.event;
        connect(row.check, &QCheckBox::toggled, this, [this, &row] { moWavCheckClick(row); });
        connect(test, &QPushButton::clicked, this, [this, event] { btnPlayWavClick(event); });
        connect(browse, &QPushButton::clicked, this, [this, event] { btnOpenWavClick(event); });
    }

    auto* info = new QGroupBox(QStringLiteral("系统信息"), this);
    auto* infoLayout = new QGridLayout(info);
    // Read-only text that shows its four lines whole.
    auto* text = new QLabel(
        QStringLiteral("该版本基于泊舟讯达短信通二次开发协议2.2进行开发;\n版本:1.0\n\n2007.01"), info);
    text->setObjectName(QStringLiteral("systemInfo"));
    text->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    text->setBackgroundRole(QPalette::Base);
    text->setAutoFillBackground(true);
    text->setMargin(4);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    edPass_->setObjectName(QStringLiteral("edPass"));
    edPass_->setEchoMode(QLineEdit::Password);
    auto* clearAll = new QPushButton(QStringLiteral("初始化全部数据"), info);
    clearAll->setObjectName(QStringLiteral("btnClearAllData"));
    auto* openLog = new QPushButton(QStringLiteral("查看日志文件"), info);
    openLog->setObjectName(QStringLiteral("btnOpenLog"));
    connect(clearAll, &QPushButton::clicked, this, &AboutPage::btnClearAllDataClick);
    connect(openLog, &QPushButton::clicked, this, &AboutPage::btnOpenLogClick);
    infoLayout->addWidget(text, 0, 0, 1, 4);
    infoLayout->addWidget(new QLabel(QStringLiteral("密码:"), info), 1, 0);
    infoLayout->addWidget(edPass_, 1, 1);
    infoLayout->addWidget(clearAll, 1, 2);
    infoLayout->addWidget(openLog, 1, 3);

    Body()->addWidget(system);
    Body()->addWidget(sounds);
    Body()->addWidget(info);
    Body()->addStretch(1);
}

const AboutPage::SoundRow& AboutPage::Row(SoundEvent event) const {
    for (const SoundRow& row : rows_) {
        if (row.event == event) return row;
    }
    return rows_.front();
}

void AboutPage::InstallDefaultSounds() {
    std::error_code ec;
    if (fs::exists(WaveDir(), ec) || ec) return;
    try {
        EnsurePrivateDir(WaveDir());
    } catch (const fs::filesystem_error&) {
        return;  // the rows then keep their files empty, as without defaults
    }
    for (const SoundRow& row : rows_) {
        const QByteArray wav = row.wav();
        WriteWholeFile(WaveDir() / row.defaultFile,
                       std::string_view(wav.constData(), static_cast<std::size_t>(wav.size())));
    }
}

void AboutPage::Open(const QString&, const QString&) {
    OfferLogBackup(main_.log(), main_.prompts());
}

void AboutPage::autoStartCheckClick(bool ticked) {
    Database& db = main_.db();
    const std::string& corp = main_.Account().corpID;
    if (!ticked) {
        main_.autostart().Disable();
        WriteSysValues(db, corp, {{"autoStart", "0"}, {"userName", ""}, {"userPwd", ""}});
        return;
    }
    std::string error;
    if (!main_.autostart().Enable(main_.ProgramPath(), error)) {
        main_.prompts().Notice(error);
        QSignalBlocker quiet(autoStartCheck_);
        autoStartCheck_->setChecked(false);
        return;
    }
    WriteSysValues(
        db, corp,
        {{"autoStart", "1"}, {"userName", main_.Account().loginName}, {"userPwd", main_.Account().password}});
}

void AboutPage::autoMiniCheckClick(bool ticked) {
    pWriteSysValue(main_.db(), main_.Account().corpID, "autoMini", ticked ? "1" : "0");
}

void AboutPage::moWavCheckClick(const SoundRow& row) {
    WriteSysValues(main_.db(), main_.Account().corpID,
                   {{row.playKey, row.check->isChecked() ? "1" : "0"}, {row.fileKey, Trimmed(row.file)}});
}

void AboutPage::btnOpenWavClick(SoundEvent event) {
    const SoundRow& row = Row(event);
    const std::optional<std::string> chosen =
        main_.prompts().ChooseOpenFile("声音 (*.wav)", WaveDir().string());
    if (!chosen) return;
    row.file->setText(QString::fromStdString(*chosen));
    if (row.check->isChecked()) {
        moWavCheckClick(row);  // already ticked: the tick changes nothing, so store here
    } else {
        row.check->setChecked(true);
    }
}

void AboutPage::btnPlayWavClick(SoundEvent event) {
    const std::string file = Trimmed(Row(event).file);
    if (file.empty()) return;
    std::error_code ec;
    if (fs::is_regular_file(file, ec)) {
        main_.sound().Play(file);
    } else {
        main_.prompts().Notice("声音文件不存在,请检查!");
    }
}

std::string AboutPage::SoundFile(SoundEvent event) const {
    const SoundRow& row = Row(event);
    const std::string file = Trimmed(row.file);
    std::error_code ec;
    return row.check->isChecked() && !file.empty() && fs::is_regular_file(file, ec) ? file : std::string();
}

void AboutPage::btnClearAllDataClick() {
    if (edPass_->text().trimmed() != QString::fromStdString(main_.Account().password).trimmed()) {
        main_.prompts().Notice("密码不对!初始化数据将删除所有的数据,请确认你的密码!");
        return;
    }
    if (!main_.prompts().ConfirmSevere("初始化数据将删除所有的数据,请慎重考虑之后再做.你确认要继续吗?"))
        return;
    edPass_->clear();
    const bool wasRunning = main_.Quiesce("正在处理中,请稍候...");
    // On a worker, so that the window keeps painting over a million rows. A failure has been
    // reported by the store, and nothing was deleted.
    bool cleared = false;
    main_.workers().RunAndWait([&db = main_.db(), corp = main_.Account().corpID, &cleared] {
        cleared = ClearAccountData(db, corp);
    });
    const bool reopened = main_.ReopenDatabase();
    if (reopened) main_.Resume(wasRunning);
    main_.busy().Close();
    if (reopened && cleared) main_.prompts().Notice("初始化数据成功!");
}

void AboutPage::btnOpenLogClick() {
    const fs::path file = main_.log().FilePath();
    std::error_code ec;
    if (fs::exists(file, ec)) {
        main_.desktop().Open(file.string());
    } else {
        main_.prompts().Notice("日志文件不存在!");
    }
}

void AboutPage::ApplyLogin(bool autoLoginActive, bool autoMiniActive) {
    autoStartCheck_->setChecked(autoLoginActive);
    autoMiniCheck_->setChecked(autoMiniActive);
    for (const SoundEvent event : {SoundEvent::Incoming, SoundEvent::SendError, SoundEvent::Report}) {
        LoadSoundRow(Row(event));
    }
}

void AboutPage::LoadSoundRow(const SoundRow& row) {
    Database& db = main_.db();
    const std::string& corp = main_.Account().corpID;
    const std::string play = pReadSysValue(db, corp, row.playKey);
    if (!play.empty()) {
        row.file->setText(QString::fromStdString(pReadSysValue(db, corp, row.fileKey)));
        row.check->setChecked(play == "1");
        return;
    }
    const fs::path fallback = WaveDir() / row.defaultFile;
    std::error_code ec;
    if (fs::is_regular_file(fallback, ec)) {
        row.file->setText(QString::fromStdString(fallback.string()));
        row.check->setChecked(true);
    }
}

}  // namespace xunda
