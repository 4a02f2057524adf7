#include "Fixture.h"
#include "ui/SettingsFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>

#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Field(const std::string& bytes)
{
    return SettingsFile::FirstField(bytes.data(), bytes.size(), true);
}

TEST(SettingsFileReader, TakesTheFirstFieldOfTheFirstLine)
{
    EXPECT_EQ(Field("\"Use Bar\"\r\n"), QStringLiteral("Use Bar"));
    EXPECT_EQ(Field("Use Bar"), QStringLiteral("Use Bar")) << "a bare word alone";
    EXPECT_EQ(Field("Use Bar\r\n"), QStringLiteral("Use Bar"));
    EXPECT_EQ(Field("\"Use Bar\",and more"), QStringLiteral("Use Bar"));
    EXPECT_EQ(Field("\"Use Bar\"\r\n\"Use System Tray Icon\"\r\n"), QStringLiteral("Use Bar"));
    EXPECT_EQ(Field("Use Bar,Use System Tray Icon"), QStringLiteral("Use Bar"));
    EXPECT_EQ(Field("   \"Pink Lights\"\r\n"), QStringLiteral("Pink Lights")) << "leading blanks skipped";
    EXPECT_EQ(Field("\"a, b\"\r\n"), QStringLiteral("a, b")) << "commas inside quotes stay";
    EXPECT_EQ(Field("\"Use bar\"\r\n"), QStringLiteral("Use bar")) << "case is kept as read";
    EXPECT_EQ(Field("\"Use Bar \"\r\n"), QStringLiteral("Use Bar "));
    EXPECT_EQ(Field("\r\n\"Use Bar\""), QString()) << "an empty first line";
}

TEST(SettingsFileReader, WhatTheWriterNeverWritesMatchesNoWord)
{
    EXPECT_EQ(Field("\"Use Bar"), QStringLiteral("\"Use Bar")) << "unterminated quote";
    const std::string withNul("\"Use\0Bar\"", 9);
    EXPECT_EQ(Field(withNul), QString::fromLatin1("Use\0Bar", 7));
    EXPECT_EQ(Field("\x01\xff\xfe\"junk"), QString::fromLatin1("\x01\xff\xfe\"junk"));
    const std::string longLine(600, 'x');
    EXPECT_EQ(SettingsFile::FirstField(longLine.data(), 512, false), QString(512, QLatin1Char('x')))
        << "a line that does not end within what is read";
}

class SettingsFiles : public MonitorTest {
protected:
    QString Path(const char* name) { return folder.filePath(QLatin1String(name)); }
    void Write(const char* name, const QByteArray& bytes)
    {
        QFile f(Path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray Read(const char* name)
    {
        QFile f(Path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

TEST_F(SettingsFiles, ReaderOpensFilesAndGivesUpSilently)
{
    EXPECT_FALSE(SettingsFile::ReadFirstField(Path("missing.ini")).has_value());
    Write("empty.ini", "");
    EXPECT_FALSE(SettingsFile::ReadFirstField(Path("empty.ini")).has_value());
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("dir.ini")));
    EXPECT_FALSE(SettingsFile::ReadFirstField(Path("dir.ini")).has_value());
    Write("two.ini", "\"Green Lights\"\r\n\"Pink Lights\"\r\n");
    EXPECT_EQ(SettingsFile::ReadFirstField(Path("two.ini")), QStringLiteral("Green Lights"));

    Write("huge.ini", QByteArray(10 * 1024 * 1024, 'u'));
    QElapsedTimer clock;
    clock.start();
    const auto huge = SettingsFile::ReadFirstField(Path("huge.ini"));
    EXPECT_LT(clock.elapsed(), 1000);
    ASSERT_TRUE(huge.has_value());
    EXPECT_LE(huge->size(), 512);
}

TEST_F(SettingsFiles, WriterMakesTheExactRecords)
{
    const struct {
        const char* word;
        int size;
    } cases[] = {{"Blue Lights", 15},
                 {"Green Lights", 16},
                 {"Pink Lights", 15},
                 {"Use System Tray Icon", 24},
                 {"Use Bar", 11}};
    for (const auto& c : cases) {
        ASSERT_TRUE(SettingsFile::WriteRecord(Path("x.ini"), QLatin1String(c.word)));
        const QByteArray bytes = Read("x.ini");
        EXPECT_EQ(bytes, QByteArray("\"") + c.word + "\"\r\n");
        EXPECT_EQ(bytes.size(), c.size);
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList({"x.ini"})) << "no temporary left";
}

TEST_F(SettingsFiles, FolderThatCannotBeWrittenStaysSilent)
{
    platform.appPath = QStringLiteral("/proc/self"); // not writable, not even by root
    settings& d = settings::Instance();
    d.show();
    d.gl->click();
    d.apbtn->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_FALSE(SettingsFile::WriteRecord(QStringLiteral("/proc/self/settings.ini"), QStringLiteral("x")));
    EXPECT_FALSE(SettingsFile::WriteRecord(folder.filePath(QStringLiteral("no/such/folder.ini")),
                                           QStringLiteral("x")));
}

TEST_F(SettingsFiles, NoFilesGiveTheDefaultsAndCloseWritesThem)
{
    SetTotals(10, 10);
    Start();
    settings& d = settings::Instance();
    EXPECT_TRUE(d.bl->Value());
    EXPECT_TRUE(d.si->Value());
    EXPECT_EQ(Form2::IfLoaded(), nullptr) << "no bar in tray mode";
    d.apbtn->click();
    EXPECT_EQ(Read("settings.ini"), QByteArray("\"Blue Lights\"\r\n"));
    EXPECT_EQ(Read("config.ini"), QByteArray("\"Use System Tray Icon\"\r\n"));
}

TEST_F(SettingsFiles, StoredPinkAndBarShowTheBarDuringStartUp)
{
    Write("settings.ini", "\"Pink Lights\"\r\n");
    Write("config.ini", "\"Use Bar\"\r\n");
    SetTotals(10, 10);
    Form1& f = Start();
    settings& d = settings::Instance();
    EXPECT_TRUE(d.pl->Value());
    EXPECT_FALSE(d.bl->Value());
    EXPECT_TRUE(d.ub->Value());
    EXPECT_FALSE(d.si->Value());
    EXPECT_FALSE(d.pl->isEnabled() || d.gl->isEnabled() || d.bl->isEnabled());
    ASSERT_NE(Form2::IfLoaded(), nullptr);
    EXPECT_TRUE(Form2::Instance().isVisible());
    EXPECT_EQ(d.Text1.text(), QStringLiteral("Pink Lights"));
    EXPECT_EQ(d.Text2.text(), QStringLiteral("Use Bar"));

    // The icon entry is added without a picture, and the first tick removes it.
    ASSERT_GE(platform.shellCalls.size(), 2u);
    EXPECT_EQ(platform.shellCalls[0].message, NIM_DELETE);
    EXPECT_EQ(platform.shellCalls[1].message, NIM_ADD);
    EXPECT_EQ(platform.shellCalls[1].data.hIcon, nullptr);
    f.Timer1->Tick();
    EXPECT_FALSE(platform.iconPresent);

    d.si->click();
    f.Timer1->Tick();
    EXPECT_EQ(IconIndex(platform.icon), 9) << "pink once back in the tray";
}

TEST_F(SettingsFiles, UnknownWordKeepsTheDefaultAndIsWrittenBack)
{
    Write("settings.ini", "Green Lights\r\n"); // unquoted: still understood
    Write("config.ini", "\"use bar\"\r\n");
    Start();
    settings& d = settings::Instance();
    EXPECT_TRUE(d.gl->Value());
    EXPECT_TRUE(d.si->Value());
    EXPECT_EQ(d.Text2.text(), QStringLiteral("use bar"));
    d.apbtn->click();
    EXPECT_EQ(Read("settings.ini"), QByteArray("\"Green Lights\"\r\n"));
    EXPECT_EQ(Read("config.ini"), QByteArray("\"use bar\"\r\n"));
}

TEST_F(SettingsFiles, HostileFilesStartWithTheDefaults)
{
    Write("settings.ini", QByteArray("\x00\x01\x02\xff\"Pink", 9));
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("config.ini")));
    Start();
    settings& d = settings::Instance();
    EXPECT_TRUE(d.bl->Value());
    EXPECT_TRUE(d.si->Value());
    EXPECT_EQ(d.Text2.text(), QStringLiteral("Use System Tray Icon"));
}

TEST_F(SettingsFiles, FailedWriteKeepsThePreviousFile)
{
    Write("settings.ini", "\"Pink Lights\"\r\n");
    // A file-size limit makes the write fail part-way, as a full disk does.
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 8;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = SettingsFile::WriteRecord(Path("settings.ini"), QStringLiteral("Green Lights"));
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(Read("settings.ini"), QByteArray("\"Pink Lights\"\r\n"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList({"settings.ini"}))
        << "no temporary left";
}

TEST_F(SettingsFiles, OnlyRegularFilesAreReadOrReplaced)
{
    // settings.ini a FIFO with a word waiting in it; config.ini a link to a
    // regular file elsewhere.
    const QByteArray fifo = QFile::encodeName(Path("settings.ini"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0644), 0);
    const int pipe = ::open(fifo.constData(), O_RDWR | O_NONBLOCK); // keeps a writer, so nothing blocks
    ASSERT_GE(pipe, 0);
    const QByteArray waiting("\"Pink Lights\"\r\n");
    ASSERT_EQ(::write(pipe, waiting.constData(), waiting.size()), waiting.size());
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("real")));
    Write("real/mode.ini", "\"Use Bar\"\r\n");
    ASSERT_TRUE(QFile::link(Path("real/mode.ini"), Path("config.ini")));

    ::alarm(20); // a reader that waits on the FIFO ends the test here
    Start();
    ::alarm(0);
    settings& d = settings::Instance();
    EXPECT_TRUE(d.bl->Value()) << "a FIFO reads as a missing file";
    EXPECT_TRUE(d.ub->Value()) << "a link to a regular file is read";
    d.gl->click();
    d.si->click();
    d.apbtn->click();

    struct stat st {};
    ASSERT_EQ(::lstat(fifo.constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the FIFO was replaced";
    char left[64] = {};
    EXPECT_EQ(::read(pipe, left, sizeof left), waiting.size()) << "nothing was written into the FIFO";
    EXPECT_EQ(QByteArray(left), waiting);
    ::close(pipe);
    EXPECT_EQ(QFileInfo(Path("config.ini")).symLinkTarget(), Path("real/mode.ini")) << "the link stays";
    EXPECT_EQ(Read("real/mode.ini"), QByteArray("\"Use System Tray Icon\"\r\n"));

    ASSERT_TRUE(QFile::link(Path("nowhere/x.ini"), Path("dangling.ini")));
    EXPECT_FALSE(SettingsFile::WriteRecord(Path("dangling.ini"), QStringLiteral("x")));
    EXPECT_FALSE(QFileInfo::exists(Path("nowhere")));
}

} // namespace
