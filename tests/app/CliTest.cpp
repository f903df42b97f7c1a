#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "SimFixture.h"

namespace zandro {
namespace {

// Runs a private copy of the program, so that its config.ini lives in a folder of the test's own.
class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        const QString binary = qEnvironmentVariable("ZANDRO_BINARY");
        if (binary.isEmpty())
            GTEST_SKIP() << "ZANDRO_BINARY is not set";
        ASSERT_TRUE(QFile::copy(binary, exe())) << binary.toStdString();
    }
    QString exe() const { return QString::fromStdString(dir.file("zandro")); }
    QString file(const char* name) const { return QString::fromStdString(dir.file(name)); }
    void writeConfig(const std::string& text = "[MainWindow]\nPositionLeft=0\nPositionTop=0\n") {
        test::writeFile(dir.file("config.ini"), text);
    }
    // Without a display unless one is named.
    int run(const QStringList& args, const QString& display = {}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        if (!display.isEmpty()) {
            env.insert(QStringLiteral("DISPLAY"), display);
            env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        }
        process.setProcessEnvironment(env);
        process.start(exe(), args);
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return -1;  // hung: never a pass
        }
        out = QString::fromLocal8Bit(process.readAllStandardOutput());
        err = QString::fromLocal8Bit(process.readAllStandardError());
        return process.exitCode();
    }
    test::TempDir dir;
    QString out, err;
};

TEST_F(Cli, ReportNamesThePageOfEachProfile) {
    writeConfig();
    EXPECT_EQ(run({"--headless", "--simulate", "unknown", "--report"}), 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith(QStringLiteral("page\tnone\nCPUSelect_Combo\tcombo\t0\t0:0\n")))
        << out.toStdString();
    EXPECT_EQ(run({"--headless", "--simulate", "athlon64", "--report"}), 0) << err.toStdString();
    const QStringList lines = out.split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("page\tpgctrlA64"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("CPUSelect_Combo\tcombo\t")));
    EXPECT_EQ(run({"--report", "--simulate", "pentium3", "--headless"}), 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("page\tpgctrlIPIII\n")));
}

TEST_F(Cli, ProfileListAndHelp) {
    EXPECT_EQ(run({"--simulate", "list"}), 0);
    for (const char* profile :
         {"athlon64", "pentium-m", "pentium4", "athlon", "pentium3", "k6", "k5", "unknown"})
        EXPECT_TRUE(out.contains(QLatin1String(profile) + QLatin1Char('\t'))) << profile;
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_TRUE(out.contains(QLatin1String("--simulate")));
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_TRUE(out.contains(QLatin1String("0.90")));
}

TEST_F(Cli, FirstRunWarningDeclinedAndAccepted) {
    EXPECT_EQ(run({"--headless", "--simulate", "athlon64"}), 1);
    EXPECT_TRUE(err.startsWith(
        QStringLiteral("ZANDRO warning: THIS PROGRAM IS FOR POWER USERS ONLY.\\n\\rSOME")))
        << err.toStdString();
    EXPECT_FALSE(QFile::exists(file("config.ini")));
    EXPECT_EQ(run({"--headless", "--assume-yes", "--simulate", "athlon64"}), 0);
    const std::string ini = test::readFile(dir.file("config.ini"));
    EXPECT_NE(ini.find("PositionLeft="), std::string::npos);
    EXPECT_NE(ini.find("FIDSystemBusCycles=1000"), std::string::npos);
}

TEST_F(Cli, CommandLineErrorsExitWithUsage) {
    writeConfig();
    EXPECT_EQ(run({"--headless", "--bogus"}), 64);
    EXPECT_TRUE(err.contains(QLatin1String("Usage:")));
    EXPECT_EQ(run({"--headless", "--simulate", "no-such-cpu"}), 64);
    EXPECT_EQ(run({"--headless", "--simulate", "athlon64", "--do", "click:NoSuchButton"}), 64);
    EXPECT_TRUE(err.contains(QLatin1String("ZANDRO action: click:NoSuchButton: no such control")))
        << err.toStdString();
    EXPECT_EQ(run({"--headless", "--simulate", "athlon64", "--do", "select:CPUSelect_Combo=0"}),
              64);
    EXPECT_TRUE(err.contains(
        QLatin1String("ZANDRO action: select:CPUSelect_Combo=0: control is disabled")));
}

TEST_F(Cli, ShortOptionsEqualsFormsAndDescribeWithoutAFile) {
    writeConfig();
    for (const char* help : {"-h", "-?"}) {
        EXPECT_EQ(run({help}), 0) << help;
        EXPECT_TRUE(out.startsWith(QLatin1String("Usage:"))) << help;
    }
    EXPECT_EQ(run({"-V"}), 0);
    EXPECT_EQ(out, QStringLiteral("zandro 0.90\n"));
    EXPECT_EQ(run({"--headless", "--simulate=pentium3", "--report"}), 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith(QStringLiteral("page\tpgctrlIPIII\n")));
    // An empty FILE is a file that cannot be read; the machine is not touched.
    const std::string trace = dir.file("trace.log");
    EXPECT_EQ(run({"--simulate", "athlon64", "--sim-log", trace.c_str(), "--describe", ""}), 2);
    EXPECT_TRUE(test::readFile(trace).empty());
    EXPECT_EQ(run({"--describe", file("none.msr"), "32"}), 64);
    EXPECT_TRUE(err.contains(QLatin1String("Usage:")));
}

TEST_F(Cli, UnparsableSimStateIsLeftAlone) {
    writeConfig();
    const std::string bad = "uptime 1000\n0 msr 10 zz\n";
    test::writeFile(dir.file("bad.state"), bad);
    EXPECT_EQ(run({"--headless", "--simulate", "athlon64", "--sim-state", file("bad.state")}), 3);
    EXPECT_TRUE(err.contains(QLatin1String("bad.state:2"))) << err.toStdString();
    EXPECT_EQ(test::readFile(dir.file("bad.state")), bad);
}

TEST_F(Cli, SimStateIsWrittenBackAndTraceAppended) {
    writeConfig();
    test::writeFile(dir.file("m.state"), "uptime 20000\n0 msr c0000080 0000000000000d01\n");
    EXPECT_EQ(run({"--headless", "--simulate", "athlon64", "--sim-state", file("m.state"),
                   "--sim-log", file("trace.log"), "--do", "click:A64_NoExecutePageDIS"}),
              0)
        << err.toStdString();
    const QString state = QString::fromStdString(test::readFile(dir.file("m.state")));
    EXPECT_TRUE(state.contains(QLatin1String("0 msr c0000080 0000000000000501")))
        << state.toStdString();
    const QString trace = QString::fromStdString(test::readFile(dir.file("trace.log")));
    // Started 20 s after boot: the start-up waits, then the click writes EFER.
    EXPECT_TRUE(trace.contains(QLatin1String("sleep 5000\n")));
    EXPECT_TRUE(trace.contains(QLatin1String("0 wrmsr c0000080 0000000000000501\n")));
}

// The machine goes back into the sim-state however the run ends; a FIFO or a device named as
// the sim-state is neither read nor replaced.
TEST_F(Cli, SimStateIsSavedOnDeclineAndNeverReplacesAFifoOrADevice) {
    EXPECT_EQ(run({"--headless", "--simulate", "k6", "--sim-state", file("declined.state")}), 1);
    EXPECT_NE(test::readFile(dir.file("declined.state")).find("affinity"), std::string::npos);

    writeConfig();
    ASSERT_EQ(::mkfifo(dir.file("pipe.state").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/null", dir.file("null.state").c_str()), 0);
    for (const char* name : {"pipe.state", "null.state"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(run({"--headless", "--simulate", "k6", "--sim-state", file(name)}), 0);
        EXPECT_TRUE(err.contains(QStringLiteral("%1: not a regular file").arg(file(name))))
            << err.toStdString();
    }
    struct stat st {};
    ASSERT_EQ(::lstat(dir.file("pipe.state").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(::lstat(dir.file("null.state").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

// A configuration file larger than any the program writes is named too large, not damaged.
TEST_F(Cli, OversizedConfigurationFileIsCalledTooLarge) {
    writeConfig();
    test::writeFile(dir.file("huge.msr"), std::string((1 << 20) + 1, 'x'));
    EXPECT_EQ(run({"--describe", file("huge.msr")}), 2);
    EXPECT_TRUE(err.contains(QLatin1String("too large"))) << err.toStdString();
    EXPECT_EQ(run({"--headless", "--simulate", "k6", file("huge.msr")}), 2);
    EXPECT_TRUE(err.contains(QLatin1String("too large"))) << err.toStdString();
}

TEST_F(Cli, MissingConfigurationFileGivesStatusTwo) {
    writeConfig();
    EXPECT_EQ(run({"--headless", "--simulate", "athlon64", file("none.msr")}), 2);
    EXPECT_TRUE(
        err.contains(QStringLiteral("ZANDRO error: Could not find configuration file \"%1\".")
                         .arg(file("none.msr"))));
}

// An X server of the test's own, on a display number the server picks itself.
class Xvfb {
public:
    Xvfb() {
        const QString binary = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (binary.isEmpty())
            return;
        m_server.start(binary,
                       {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
        if (m_server.waitForReadyRead(10000))
            m_display = QLatin1Char(':') + QString::fromLatin1(m_server.readLine().trimmed());
    }
    ~Xvfb() {
        m_server.terminate();
        m_server.waitForFinished(5000);
    }
    const QString& display() const { return m_display; }

private:
    QProcess m_server;
    QString m_display;
};

TEST_F(Cli, WithADisplayActionWindowsDoNotWaitForAPerson) {
    const Xvfb x;
    if (x.display().isEmpty())
        GTEST_SKIP() << "no Xvfb here";
    writeConfig();
    EXPECT_EQ(run({"--simulate", "athlon64", "--do", "click:sbtnConfiguration", "--do",
                   "click:btnOK", "--do", "click:abtnAbout", "--report"},
                  x.display()),
              0)
        << err.toStdString();
    EXPECT_TRUE(out.startsWith(QStringLiteral("page\tpgctrlA64\n"))) << out.toStdString();
}

// A value the page refuses is no success: the boot service must see it in the status.
TEST_F(Cli, RefusedRecordIsNamedAndEndsWithStatusFour) {
    writeConfig();
    const QStringList sim = {"--headless", "--assume-yes", "--simulate", "k6"};
    ASSERT_EQ(run(sim + QStringList{"--do", "tab:K6_Features", "--do",
                                    "text:K6_WriteAllocateLimitBox=200", "--do",
                                    "click:sbtnConfiguration", "--do", "click:BitBtn1", "--save-as",
                                    file("limit")}),
              0)
        << err.toStdString();
    EXPECT_EQ(run(sim + QStringList{"--sim-log", file("trace"), file("limit.msr")}), 4);
    EXPECT_TRUE(
        err.contains(QStringLiteral("ZANDRO warning: Please select a value between 0 and "
                                    "127.\nZANDRO not-applied: cpu 0 code 522 value 200: ")))
        << err.toStdString();
    EXPECT_FALSE(QString::fromStdString(test::readFile(dir.file("trace")))
                     .contains(QStringLiteral("wrmsr c0000082")));
}

}  // namespace
}  // namespace zandro

namespace zandro {
namespace {

TEST_F(Cli, SavedFileIsDescribedAndAppliedWithRefusedWritesNamed) {
    writeConfig();
    const QStringList sim = {"--headless", "--assume-yes", "--simulate", "athlon64"};
    ASSERT_EQ(run(sim + QStringList{"--do", "tab:A64_Features", "--do",
                                    "click:A64_NoExecutePageDIS", "--do", "click:sbtnConfiguration",
                                    "--do", "click:BitBtn1", "--save-as", file("saved")}),
              0)
        << err.toStdString();
    ASSERT_EQ(run({"--describe", file("saved.msr")}), 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith(QStringLiteral("version\t90\nprocessor\t1 15 ")));
    EXPECT_TRUE(out.contains(QStringLiteral("record\t20\t1\tNo-Execute Page: Disable")));

    test::writeFile(dir.file("state"), "0 fail-write c0000080\n");
    EXPECT_EQ(run(sim + QStringList{"--sim-state", file("state"), file("saved.msr")}), 4);
    EXPECT_TRUE(err.contains(QRegularExpression(
        QStringLiteral("ZANDRO write-failed: cpu 0 msr C0000080 value [0-9A-F]{16}\n"))))
        << err.toStdString();

    // A register that cannot be read is not written from zeros: the record is named as not
    // applied, and the run says so in its status.
    test::writeFile(dir.file("state"), "0 fail-read c0000080\n");
    EXPECT_EQ(run(sim + QStringList{"--sim-state", file("state"), file("saved.msr")}), 4);
    EXPECT_TRUE(
        err.contains(QStringLiteral("ZANDRO error: Could not read Model Specific Register "
                                    "C0000080h on processor 0. Nothing was written.\n")))
        << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("ZANDRO not-applied: cpu 0 code 20 value 1: ")))
        << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("write-failed")));

    test::writeFile(dir.file("cut.msr"), test::readFile(dir.file("saved.msr")) + "\x01");
    EXPECT_EQ(run({"--describe", file("cut.msr")}), 2);
    EXPECT_EQ(
        err,
        QStringLiteral("ZANDRO error: Could not read from file \"%1\"!.\n").arg(file("cut.msr")));
    EXPECT_EQ(run(sim + QStringList{file("cut.msr")}), 2);
    EXPECT_EQ(run({"--describe", dir.path().c_str()}), 2);
}

}  // namespace
}  // namespace zandro

namespace zandro {
namespace {

// One option from the click to the boot: "Disable" under " Hardware Data Prefetch " on a
// two-processor Pentium 4, saved, read back, and applied on every processor of a fresh machine.
TEST_F(Cli, OneOptionFromClickToEveryProcessor) {
    writeConfig();
    test::writeFile(dir.file("first.state"), "affinity 3\n");
    const QStringList sim = {"--headless", "--assume-yes", "--simulate", "pentium4"};
    ASSERT_EQ(run(sim + QStringList{"--sim-state", file("first.state"), "--do",
                                    "tab:NetBurst_Features", "--do", "click:NetBurst_PrefetchDIS",
                                    "--do", "click:sbtnConfiguration", "--do", "click:BitBtn1",
                                    "--save-as", file("prefetch"), "--report"}),
              0)
        << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("NetBurst_PrefetchQueue\tpanel\t1\tDisabled")))
        << out.toStdString();

    ASSERT_EQ(run({"--describe", file("prefetch.msr")}), 0) << err.toStdString();
    EXPECT_TRUE(out.contains(QRegularExpression(QStringLiteral(
        "\nrecord\t234\t1\tHardware Data Prefetch: Disable; writes 1A0h bit 9 = 1\n"))))
        << out.toStdString();

    test::writeFile(dir.file("second.state"), "affinity 3\n");
    ASSERT_EQ(run(sim + QStringList{"--sim-state", file("second.state"), "--sim-log", file("trace"),
                                    file("prefetch.msr"), "32"}),
              0)
        << err.toStdString();
    const QStringList state =
        QString::fromStdString(test::readFile(dir.file("second.state"))).split(QLatin1Char('\n'));
    for (const char* cpu : {"0", "1"}) {
        const QStringList line =
            state.filter(QRegularExpression(QStringLiteral("^%1 msr 000001a0 ").arg(cpu)));
        ASSERT_EQ(line.size(), 1) << cpu;
        EXPECT_TRUE(line[0].section(QLatin1Char(' '), 3).toULongLong(nullptr, 16) & (1u << 9))
            << line[0].toStdString();
    }
    const QStringList writes = QString::fromStdString(test::readFile(dir.file("trace")))
                                   .split(QLatin1Char('\n'))
                                   .filter(QRegularExpression(QStringLiteral("^\\d wrmsr 1a0 ")));
    ASSERT_GE(writes.size(), 2);
    EXPECT_TRUE(writes.first().startsWith(QLatin1String("0 ")));
    EXPECT_TRUE(writes.last().startsWith(QLatin1String("1 ")));
}

}  // namespace
}  // namespace zandro
