#include <gmock/gmock.h>

#include "ui/shell_fixture.h"

namespace xunda::test {
namespace {

class AboutPageTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(Login(QStringLiteral("demo"), QStringLiteral("secret")));
    }
    AboutPage& about() { return main->About(); }
    std::string Keys() { return Setting("autoStart") + "|" + Setting("userName") + "|" + Setting("userPwd"); }
};

TEST_F(AboutPageTest, StartWithTheSessionWritesAQuotedEntryAndTheCredentials) {
    about().autoStartCheck()->setChecked(true);
    const std::string entry = ReadFile(XdgAutostart::EntryFile());
    EXPECT_NE(entry.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(entry.find("Exec=\"" + (home / "bin dir/xunda-sms").string() + "\"\n"), std::string::npos);
    EXPECT_EQ(Keys(), "1|demo|secret");
    about().autoStartCheck()->setChecked(false);
    EXPECT_FALSE(std::filesystem::exists(XdgAutostart::EntryFile()));
    EXPECT_EQ(Keys(), "0||");
    about().autoMiniCheck()->setChecked(true);  // stored for the account; the login test reads it back
    EXPECT_EQ(Setting("autoMini"), "1");
    // An entry that cannot be written keeps the settings.
    WriteFile(home / "not a folder", "x");
    setenv("XDG_CONFIG_HOME", (home / "not a folder").c_str(), 1);
    about().autoStartCheck()->setChecked(true);
    EXPECT_EQ(prompts.Last().rfind("提示: ", 0), 0u);
    EXPECT_FALSE(about().autoStartCheck()->isChecked());
    EXPECT_EQ(Keys(), "0||");
}

TEST_F(AboutPageTest, ClearAllNeedsTheRightPasswordAndDeletesOnlyThisAccountsRows) {
    // Which tables are cleared is the store's concern (its account-clearing test).
    for (const std::string t : {"mt", "okMsg"})
        Exec("INSERT INTO " + t + " (corpID) VALUES (10001), (20002)");
    about().edPass()->setText(QStringLiteral("wrong"));
    about().btnClearAllDataClick();
    EXPECT_EQ(prompts.Last(), "提示: 密码不对!初始化数据将删除所有的数据,请确认你的密码!");
    prompts.answer = false;
    about().edPass()->setText(QStringLiteral(" secret "));
    about().btnClearAllDataClick();
    EXPECT_EQ(prompts.Last(), "严重警告: 初始化数据将删除所有的数据,请慎重考虑之后再做.你确认要继续吗?");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt WHERE corpID=10001"), 1);

    prompts.answer = true;
    Exec("CREATE TRIGGER fail BEFORE DELETE ON okMsg BEGIN SELECT RAISE(ABORT, 'no'); END");
    about().btnClearAllDataClick();
    EXPECT_THAT(prompts.Last(), ::testing::HasSubstr("数据库命令执行失败,请检查!"));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mt WHERE corpID=10001"), 1);
    Exec("DROP TRIGGER fail");
    about().edPass()->setText(QStringLiteral("secret"));
    engine.calls.clear();
    {  // the deletes run on a worker while the window goes on
        LockedUntilBusy locked(*main, "正在处理中,请稍候...");
        about().btnClearAllDataClick();
        EXPECT_TRUE(locked.Released());
    }
    EXPECT_EQ(prompts.Last(), "提示: 初始化数据成功!");
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"Sending off", "Stop", "Start 10001", "Sending on"}));
    EXPECT_TRUE(about().edPass()->text().isEmpty());
    EXPECT_EQ(Rows("SELECT corpID FROM mt UNION ALL SELECT corpID FROM okMsg"), "20002|20002");
    EXPECT_FALSE(main->Paused());  // paused around the deletes, running again afterwards
    EXPECT_EQ(main->busy().Depth(), 0);
}

// The fixture's start was the first: it put the default sounds, and the login ticked their rows
// (the engine test hears them).
TEST_F(AboutPageTest, TheFirstStartPutsTheDefaultSoundsAndStoredRowsWinAtLogin) {
    for (const char* name : {"revMo.wav", "revReport.wav", "mtError.wav"}) {
        const std::string wav = ReadFile(WaveDir() / name);
        EXPECT_EQ(wav.substr(0, 4) + wav.substr(8, 8), "RIFFWAVEfmt ") << name;
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

TEST_F(AboutPageTest, BrowsingASoundStartsInWaveAndTicksAndStoresTheRowAlsoWhenItWasTicked) {
    for (bool ticked : {false, true}) {
        about().SoundCheck(SoundEvent::Report)->setChecked(ticked);
        prompts.file = (home / (ticked ? "b.wav" : "a.wav")).string();
        about().btnOpenWavClick(SoundEvent::Report);
        EXPECT_EQ(prompts.openFolder, WaveDir().string());
        EXPECT_EQ(Setting("revRpPlay") + Setting("revRpFile"), "1" + *prompts.file);
    }
    prompts.file.reset();  // cancelled: nothing changes
    about().btnOpenWavClick(SoundEvent::Report);
    EXPECT_EQ(Setting("revRpFile"), (home / "b.wav").string());
}

TEST_F(AboutPageTest, ASoundRowIsStoredWholeOrNotAtAllAndAPastedNulIsDropped) {
    QLineEdit* edit = about().SoundEdit(SoundEvent::Report);
    QCheckBox* check = about().SoundCheck(SoundEvent::Report);
    check->setChecked(false);
    const std::string before = Setting("revRpPlay") + "|" + Setting("revRpFile");
    Exec(
        "CREATE TRIGGER refuse BEFORE UPDATE ON sysConfig WHEN NEW.sysConfigName='revRpFile' "
        "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    edit->setText(QStringLiteral("/x/new.wav"));
    check->setChecked(true);  // the file key fails: the play key keeps its value too
    EXPECT_THAT(prompts.Last(), ::testing::HasSubstr("refused"));
    EXPECT_EQ(Setting("revRpPlay") + "|" + Setting("revRpFile"), before);
    Exec("DROP TRIGGER refuse");

    const std::size_t boxes = prompts.Boxes().size();
    edit->clear();
    QApplication::clipboard()->setText(QStringLiteral("/x/a") + QChar(u'\0') + QStringLiteral("b.wav"));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    check->setChecked(false);
    EXPECT_EQ(prompts.Boxes().size(), boxes);
    EXPECT_EQ(Setting("revRpPlay") + "|" + Setting("revRpFile"), "0|/x/ab.wav");
}

TEST_F(AboutPageTest, SoundsPlayOnlyFromExistingFilesAndEventsOnlyForTickedRows) {
    // A path with characters beyond GBK is used as it is, blanks around it are not.
    const std::filesystem::path foreign = home / "jörg.wav";
    for (const std::string& file : {(home / "missing.wav").string(), " " + foreign.string() + " "}) {
        WriteFile(foreign, "RIFF");
        about().SoundEdit(SoundEvent::Report)->setText(QString::fromStdString(file));
        about().btnPlayWavClick(SoundEvent::Report);
        main->PlayEventSound(SoundEvent::Report);
    }
    EXPECT_EQ(prompts.Last(), "提示: 声音文件不存在,请检查!");
    about().SoundCheck(SoundEvent::Report)->setChecked(false);
    main->PlayEventSound(SoundEvent::Report);
    EXPECT_EQ(sound.played, (std::vector<std::string>{foreign.string(), foreign.string()}));
}

TEST_F(AboutPageTest, OpenLogOpensTheAccountsLogFileAndABigLogIsOfferedABackup) {
    about().btnOpenLogClick();
    EXPECT_EQ(desktop.opened, std::vector<std::string>{main->log().FilePath().string()});
    std::filesystem::remove(main->log().FilePath());
    about().btnOpenLogClick();
    EXPECT_EQ(prompts.Last(), "提示: 日志文件不存在!");

    WriteFile(main->log().FilePath(), std::string(Log::kBackupSize, 'x'));
    main->SelectTreeNodeByText(QStringLiteral("系统配置"));
    EXPECT_EQ(prompts.Last(), "警告: 日志文件已经过大,你要立即备份吗?");
    EXPECT_TRUE(std::filesystem::exists(main->log().BackupPath()));
}

}  // namespace
}  // namespace xunda::test
