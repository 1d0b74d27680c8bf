// Where the program keeps its settings: the current folder, --workdir DIR or
// the per-user folder of --user-workdir. The end-to-end cases start the real
// program, wait until it handles SIGTERM, end it with SIGTERM (it saves
// def.k71t and uart.cfg on the way out) and look where the files went.
#include "app/WorkFolder.h"
#include "support/TempDir.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <csignal>
#include <gtest/gtest.h>

using namespace k71t;

namespace {

QProcessEnvironment environment(const QString &home, const QString &dataHome)
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("HOME"), home);
    if (!dataHome.isNull())
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    return env;
}

// True once the process has a handler for SIGTERM (SigCgt in its status).
bool catchesSigterm(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:")) {
            bool ok = false;
            const qulonglong mask = line.mid(7).trimmed().toULongLong(&ok, 16);
            return ok && (mask & (1ull << (SIGTERM - 1)));
        }
    return false;
}

struct Run {
    int exitCode = -1;
    QByteArray out, err;
};

// Starts k71t in `cwd` with `args`, ends it with SIGTERM once it is up.
Run runProgram(const QString &cwd, const QStringList &args, QProcessEnvironment env, bool expectRunning = true)
{
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("K71T_NO_DB"), QStringLiteral("1"));
    QProcess p;
    p.setWorkingDirectory(cwd);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(K71T_BINARY), args);
    Run r;
    if (!p.waitForStarted(30000))
        return r;
    if (expectRunning) {
        EXPECT_TRUE(test::waitUntil([&] { return catchesSigterm(p.processId()) || p.state() != QProcess::Running; }));
        ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    }
    EXPECT_TRUE(p.waitForFinished(60000));
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace

TEST(WorkFolder, CommandLines)
{
    const QProcessEnvironment env = environment(QStringLiteral("/home/op"), QStringLiteral("/data"));
    struct Case {
        QStringList args;
        QString folder;
        bool error;
    };
    const Case cases[] = {
        {{}, {}, false},
        {{"--workdir", "/srv/k71t"}, "/srv/k71t", false},
        {{"--workdir=rel/dir"}, "rel/dir", false},
        {{"--user-workdir"}, "/data/k71t", false},
        {{"--workdir"}, {}, true},
        {{"--workdir="}, {}, true},
        {{"--workdir", "a", "--user-workdir"}, {}, true},
        {{"--user-workdir", "--user-workdir"}, {}, true},
        {{"--porty"}, {}, true},
        {{"plik.k71t"}, {}, true},
    };
    for (const Case &c : cases) {
        const ProgramArguments a = parseProgramArguments(QStringList{QStringLiteral("k71t")} + c.args, env);
        EXPECT_EQ(!a.error.isEmpty(), c.error) << c.args.join(' ').toStdString();
        if (!c.error)
            EXPECT_EQ(a.workFolder, c.folder) << c.args.join(' ').toStdString();
    }
    EXPECT_TRUE(parseProgramArguments({"k71t", "--help"}, env).help);
    EXPECT_TRUE(parseProgramArguments({"k71t", "--version"}, env).version);
    EXPECT_EQ(parseProgramArguments({"k71t", "--workdir"}, env).error,
              QStringLiteral("Opcja --workdir wymaga nazwy katalogu."));
    EXPECT_EQ(parseProgramArguments({"k71t", "-x"}, env).error, QStringLiteral("Nieznany argument: -x"));

    // The per-user folder: XDG_DATA_HOME when it is an absolute path.
    EXPECT_EQ(userWorkFolder(environment("/home/op", "/data/")), QStringLiteral("/data/k71t"));
    EXPECT_EQ(userWorkFolder(environment("/home/op", QString())), QStringLiteral("/home/op/.local/share/k71t"));
    EXPECT_EQ(userWorkFolder(environment("/home/op", "")), QStringLiteral("/home/op/.local/share/k71t"));
    EXPECT_EQ(userWorkFolder(environment("/home/op", "relative")), QStringLiteral("/home/op/.local/share/k71t"));
}

TEST(WorkFolder, SettingsLandInTheChosenFolder)
{
    test::TempDir dir;
    const QString cwd = dir.file("cwd"), home = dir.file("home");
    QDir().mkpath(cwd);
    QDir().mkpath(home);
    const QStringList saved = {QStringLiteral("def.k71t"), QStringLiteral("uart.cfg")};

    // No option: the current folder, as always.
    Run r = runProgram(cwd, {}, environment(home, QString()));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(entries(cwd), saved);
    QDir(cwd).removeRecursively();
    QDir().mkpath(cwd);

    // --workdir: a folder that does not exist yet is made, nothing lands in
    // the current folder; the same folder's def.k71t is used the next time.
    const QString work = dir.file("a/b/praca");
    r = runProgram(cwd, {"--workdir", work}, environment(home, QString()));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(entries(work), saved);
    EXPECT_TRUE(entries(cwd).isEmpty());
    EXPECT_EQ(QFileInfo(work + "/def.k71t").size(), 650);
    EXPECT_EQ(dir.read("a/b/praca/uart.cfg").size(), 3);

    // --user-workdir, with and without XDG_DATA_HOME; Qt's own options mixed in.
    r = runProgram(cwd, {"-platform", "offscreen", "--user-workdir"}, environment(home, dir.file("xdg")));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(entries(dir.file("xdg/k71t")), saved);
    r = runProgram(cwd, {"--user-workdir"}, environment(home, QString()));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(entries(home + "/.local/share/k71t"), saved);
    EXPECT_TRUE(entries(cwd).isEmpty());
    EXPECT_EQ(entries(home), QStringList{QStringLiteral(".local")});
}

TEST(WorkFolder, HelpVersionAndFaultyCommandLines)
{
    test::TempDir dir;
    // --help and --version need no display: no QT_QPA_PLATFORM, no DISPLAY.
    for (const QString &option : {QStringLiteral("--help"), QStringLiteral("--version")}) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.setProcessEnvironment(environment(dir.path(), QString()));
        p.start(QStringLiteral(K71T_BINARY), {option});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0);
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        if (option == QLatin1String("--help")) {
            EXPECT_TRUE(out.startsWith(QStringLiteral("Użycie: k71t [--workdir KATALOG | --user-workdir]"))) << out.toStdString();
            EXPECT_TRUE(out.contains(QStringLiteral("--user-workdir     pracuj w katalogu użytkownika")));
        } else {
            EXPECT_EQ(out, QStringLiteral("k71t " K71T_VERSION "\n"));
        }
    }
    EXPECT_TRUE(entries(dir.path()).isEmpty());

    // A faulty command line ends the program before anything is written.
    Run r = runProgram(dir.path(), {"--workdir"}, environment(dir.path(), QString()), false);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(QString::fromUtf8(r.err),
              QStringLiteral("k71t: Opcja --workdir wymaga nazwy katalogu.\nk71t --help opisuje opcje.\n"));
    // A file where the folder should be: the reason, exit status 1.
    dir.write("plik", "x");
    r = runProgram(dir.path(), {"--workdir", dir.file("plik")}, environment(dir.path(), QString()), false);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(QString::fromUtf8(r.err), QStringLiteral("k71t: %1: to nie jest katalog\n").arg(dir.file("plik")));
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("plik")});
}
