#include <QCheckBox>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <chrono>
#include <thread>

#include "store/log.h"
#include "ui/about_page.h"
#include "ui/msg_form.h"
#include "ui/shell_fixture.h"
#include "ui/workers.h"

namespace xunda::test {
namespace {

class AboutPageTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(Login(QStringLiteral("demo"), QStringLiteral("secret")));
    }
    AboutPage& about() { return main->About(); }
    int Rows(const std::string& table, const std::string& corp) {
        ResultSet rs = main->db().pAdoQuery("SELECT COUNT(*) AS n FROM " + table + " WHERE corpID=" + corp);
        return static_cast<int>(rs.AsInt("n"));
    }
};

TEST_F(AboutPageTest, StartWithTheSessionWritesAQuotedEntryAndTheCredentials) {
    about().autoStartCheck()->setChecked(true);
    const std::string entry = ReadFile(XdgAutostart::EntryFile());
    EXPECT_NE(entry.find("Exec=\"" + (home / "bin dir/xunda-sms").string() + "\"\n"), std::string::npos);
    EXPECT_NE(entry.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_EQ(Setting("autoStart"), "1");
    EXPECT_EQ(Setting("userName"), "demo");
    EXPECT_EQ(Setting("userPwd"), "secret");

    about().autoStartCheck()->setChecked(false);
    EXPECT_FALSE(std::filesystem::exists(XdgAutostart::EntryFile()));
    EXPECT_EQ(Setting("autoStart"), "0");
    EXPECT_EQ(Setting("userName"), "");
    EXPECT_EQ(Setting("userPwd"), "");

    // Start minimised is stored for the account (the login test reads it back).
    about().autoMiniCheck()->setChecked(true);
    EXPECT_EQ(Setting("autoMini"), "1");
    about().autoMiniCheck()->setChecked(false);
    EXPECT_EQ(Setting("autoMini"), "0");
}

TEST_F(AboutPageTest, AnEntryThatCannotBeWrittenKeepsTheSettings) {
    WriteFile(home / "not a folder", "x");
    setenv("XDG_CONFIG_HOME", (home / "not a folder").c_str(), 1);
    about().autoStartCheck()->setChecked(true);
    EXPECT_EQ(prompts.Captions().back(), "提示");
    EXPECT_FALSE(about().autoStartCheck()->isChecked());
    EXPECT_EQ(Setting("autoStart"), "");
    EXPECT_EQ(Setting("userPwd"), "");
}

TEST(DesktopExecQuoteTest, EscapesTheReservedCharacters) {
    EXPECT_EQ(DesktopExecQuote("/opt/my app/xunda-sms"), "\"/opt/my app/xunda-sms\"");
    EXPECT_EQ(DesktopExecQuote("/a\"b$c`d\\e"), "\"/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e\"");
    EXPECT_EQ(DesktopExecQuote("/opt/100%/xunda-sms"), "\"/opt/100%%/xunda-sms\"");
}

TEST_F(AboutPageTest, TheSystemInformationShowsItsFourLinesWhole) {
    main->SelectTreeNodeByText(QStringLiteral("系统配置"));
    Settle();
    auto* text = about().findChild<QLabel*>(QStringLiteral("systemInfo"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(), QStringLiteral("该版本基于泊舟讯达短信通二次开发协议2.2进行开发;\n版本:1.0\n\n2007.01"));
    EXPECT_GE(text->height(), text->sizeHint().height());
    EXPECT_GE(text->width(), text->sizeHint().width());
}

TEST_F(AboutPageTest, ClearAllNeedsTheRightPasswordAndDeletesOnlyThisAccountsRows) {
    const std::vector<std::string> tables = {"histMsg", "mo",       "mt",    "mt_bak",       "mobs",       "mobOrder",
                                             "msgType", "okMsg",    "lastSendMobs", "histMsgType", "sysConfig"};
    for (const std::string& t : tables) {
        for (const char* corp : {"10001", "20002"}) {
            ASSERT_TRUE(main->db().pAdoCom("INSERT INTO " + t + " (corpID) VALUES (" + corp + ")"));
        }
    }
    about().edPass()->setText(QStringLiteral("wrong"));
    about().btnClearAllDataClick();
    EXPECT_EQ(prompts.Texts().back(), "密码不对!初始化数据将删除所有的数据,请确认你的密码!");
    EXPECT_EQ(Rows("mt", "10001"), 1);

    prompts.answer = false;
    about().edPass()->setText(QStringLiteral(" secret "));
    about().btnClearAllDataClick();
    EXPECT_EQ(prompts.Captions().back(), "严重警告");
    EXPECT_EQ(Rows("mt", "10001"), 1);

    prompts.answer = true;
    engine.calls.clear();
    // A worker still writing for the account is waited for before anything is deleted.
    main->workers().Run([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        main->db().pAdoCom("INSERT INTO mt (corpID) VALUES (10001)");
    });
    about().btnClearAllDataClick();
    ASSERT_TRUE(main->workers().WaitAll(std::chrono::seconds(10)));
    EXPECT_EQ(prompts.Texts().back(), "初始化数据成功!");
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"Sending off", "Stop", "Start 10001", "Sending on"}));
    EXPECT_TRUE(about().edPass()->text().isEmpty());
    for (const std::string& t : tables) {
        const bool kept = t == "histMsgType" || t == "sysConfig";
        EXPECT_EQ(Rows(t, "10001") > 0, kept) << t;
        EXPECT_EQ(Rows(t, "20002"), 1) << t;
    }
    // Processing was paused around the deletes and runs again afterwards.
    EXPECT_FALSE(main->Paused());
    EXPECT_EQ(main->busy().Depth(), 0);
    EXPECT_TRUE(main->isEnabled());
}

TEST_F(AboutPageTest, BrowsingASoundStoresTheRowAlsoWhenItWasTicked) {
    WriteFile(home / "a.wav", "RIFF");
    WriteFile(home / "b.wav", "RIFF");
    prompts.file = (home / "a.wav").string();
    about().btnOpenWavClick(SoundEvent::Incoming);
    EXPECT_EQ(prompts.openFolder, WaveDir().string());
    EXPECT_TRUE(about().SoundCheck(SoundEvent::Incoming)->isChecked());
    EXPECT_EQ(Setting("revMoPlay"), "1");
    EXPECT_EQ(Setting("revMoFile"), (home / "a.wav").string());
    prompts.file = (home / "b.wav").string();
    about().btnOpenWavClick(SoundEvent::Incoming);
    EXPECT_EQ(Setting("revMoFile"), (home / "b.wav").string());
    prompts.file.reset();
    about().btnOpenWavClick(SoundEvent::Incoming);
    EXPECT_EQ(Setting("revMoFile"), (home / "b.wav").string());
}

TEST_F(AboutPageTest, TestButtonPlaysOnlyExistingFiles) {
    about().btnPlayWavClick(SoundEvent::Report);
    EXPECT_TRUE(prompts.Texts().empty());
    about().SoundEdit(SoundEvent::Report)->setText(QString::fromStdString((home / "missing.wav").string()));
    about().btnPlayWavClick(SoundEvent::Report);
    EXPECT_EQ(prompts.Texts().back(), "声音文件不存在,请检查!");
    WriteFile(home / "r.wav", "RIFF");
    about().SoundEdit(SoundEvent::Report)->setText(QString::fromStdString(" " + (home / "r.wav").string() + " "));
    about().btnPlayWavClick(SoundEvent::Report);
    EXPECT_EQ(sound.played, (std::vector<std::string>{(home / "r.wav").string()}));
    // A path with characters beyond GBK is used as it is.
    const std::filesystem::path foreign = home / "jörg.wav";
    WriteFile(foreign, "RIFF");
    about().SoundEdit(SoundEvent::Report)->setText(QString::fromStdString(foreign.string()));
    about().btnPlayWavClick(SoundEvent::Report);
    EXPECT_EQ(sound.played.back(), foreign.string());
    sound.played.pop_back();
    // The engine's sound plays only for a ticked row.
    main->PlayEventSound(SoundEvent::Report);
    EXPECT_EQ(sound.played.size(), 1u);
    about().SoundCheck(SoundEvent::Report)->setChecked(true);
    main->PlayEventSound(SoundEvent::Report);
    EXPECT_EQ(sound.played.size(), 2u);
}

// The fixture's start was the first: it put the default sounds, and the login ticked their rows.
TEST_F(AboutPageTest, TheFirstStartPutsTheDefaultSoundsAndStoredRowsWinAtLogin) {
    const std::pair<SoundEvent, const char*> defaults[] = {
        {SoundEvent::Incoming, "revMo.wav"}, {SoundEvent::Report, "revReport.wav"}, {SoundEvent::SendError, "mtError.wav"}};
    for (const auto& [event, name] : defaults) {
        EXPECT_TRUE(about().SoundCheck(event)->isChecked()) << name;
        EXPECT_EQ(about().SoundEdit(event)->text().toStdString(), (WaveDir() / name).string());
        const std::string wav = ReadFile(WaveDir() / name);
        EXPECT_EQ(wav.substr(0, 4) + wav.substr(8, 8), "RIFFWAVEfmt ") << name;
        EXPECT_GT(wav.size(), 1000u) << name;
    }
    std::filesystem::remove(WaveDir() / "revMo.wav");  // the user's choice stands at later starts
    main->db().pAdoCom("UPDATE sysConfig SET sysValue='0' WHERE sysConfigName='revMtPlay'");
    main->db().pAdoCom("UPDATE sysConfig SET sysValue='/x/err.wav' WHERE sysConfigName='revMtFile'");
    ASSERT_TRUE(Create());
    ASSERT_TRUE(Login());
    EXPECT_FALSE(std::filesystem::exists(WaveDir() / "revMo.wav"));
    EXPECT_FALSE(about().SoundCheck(SoundEvent::SendError)->isChecked());
    EXPECT_EQ(about().SoundEdit(SoundEvent::SendError)->text(), QStringLiteral("/x/err.wav"));
}

TEST_F(AboutPageTest, OpenLogOpensTheAccountsLogFile) {
    about().btnOpenLogClick();
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0], main->log().FilePath().string());
    std::filesystem::remove(main->log().FilePath());
    about().btnOpenLogClick();
    EXPECT_EQ(prompts.Texts().back(), "日志文件不存在!");
}

TEST_F(AboutPageTest, OpeningThePageOffersToBackUpABigLog) {
    WriteFile(main->log().FilePath(), std::string(Log::kBackupSize, 'x'));
    prompts.answer = true;
    main->SelectTreeNodeByText(QStringLiteral("系统配置"));
    EXPECT_EQ(prompts.Texts().back(), "日志文件已经过大,你要立即备份吗?");
    EXPECT_TRUE(std::filesystem::exists(main->log().BackupPath()));
}

}  // namespace
}  // namespace xunda::test
