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
    // The sanitizer build's settings reach the program it starts.
    const QProcessEnvironment own = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {QStringLiteral("ASAN_OPTIONS"), QStringLiteral("UBSAN_OPTIONS"),
                                QStringLiteral("LSAN_OPTIONS")})
        if (own.contains(name))
            env.insert(name, own.value(name));
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

// The program under test: the one built beside this test, or an installed
// one named by K71T_PROGRAM_UNDER_TEST (the package check runs these cases
// against the program unpacked from the .deb).
QString programUnderTest()
{
    const QString installed = QProcessEnvironment::systemEnvironment().value(QStringLiteral("K71T_PROGRAM_UNDER_TEST"));
    return installed.isEmpty() ? QStringLiteral(K71T_BINARY) : installed;
}

struct ProgramRun {
    int exitCode = -1;
    QByteArray out, err;
};

// Starts k71t in `cwd` with `args`, ends it with SIGTERM once it is up.
ProgramRun runProgram(const QString &cwd, const QStringList &args, QProcessEnvironment env, bool expectRunning = true)
{
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("K71T_NO_DB"), QStringLiteral("1"));
    QProcess p;
    p.setWorkingDirectory(cwd);
    p.setProcessEnvironment(env);
    p.start(programUnderTest(), args);
    ProgramRun r;
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
        if (!c.error) {
            EXPECT_EQ(a.workFolder, c.folder) << c.args.join(' ').toStdString();
        }
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
    // The program reads uart.cfg at start and writes it back when it ends:
    // a folder seeded with one is read and written there. (def.k71t is saved
    // only once it has been read, 100 ms after start, so it is not awaited.)
    // At start the program also makes its task log and archive folder.
    const QByteArray seeded = QByteArray::fromHex("040203");
    const QStringList made = {QStringLiteral("Archives"), QStringLiteral("automat.log"), QStringLiteral("uart.cfg")};
    test::TempDir dir;
    const QString cwd = dir.file("cwd"), home = dir.file("home");
    QDir().mkpath(cwd);
    QDir().mkpath(home);
    auto expectWorkedIn = [&](const QString &folder, const char *what) {
        QStringList found = entries(folder);
        found.removeAll(QStringLiteral("def.k71t"));
        EXPECT_EQ(found, made) << what;
        QFile f(folder + QStringLiteral("/uart.cfg"));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << what;
        EXPECT_EQ(f.readAll(), seeded) << what;
    };
    auto seed = [&](const QString &folder) {
        QDir().mkpath(folder);
        QFile f(folder + QStringLiteral("/uart.cfg"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(seeded);
    };

    // No option: the current folder, as always.
    seed(cwd);
    ProgramRun r = runProgram(cwd, {}, environment(home, QString()));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    expectWorkedIn(cwd, "current folder");
    QDir(cwd).removeRecursively();
    QDir().mkpath(cwd);

    // --workdir: nothing lands in the current folder.
    const QString work = dir.file("praca");
    seed(work);
    r = runProgram(cwd, {"--workdir", work}, environment(home, QString()));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    expectWorkedIn(work, "--workdir");
    EXPECT_TRUE(entries(cwd).isEmpty());

    // A folder that does not exist yet is made (the program's defaults then).
    const QString fresh = dir.file("a/b/nowy");
    r = runProgram(cwd, {QStringLiteral("--workdir=") + fresh}, environment(home, QString()));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(entries(fresh).contains(QStringLiteral("uart.cfg")));
    EXPECT_TRUE(entries(cwd).isEmpty());

    // --user-workdir, with XDG_DATA_HOME (Qt's own options mixed in) and without.
    seed(dir.file("xdg/k71t"));
    r = runProgram(cwd, {"-platform", "offscreen", "--user-workdir"}, environment(home, dir.file("xdg")));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    expectWorkedIn(dir.file("xdg/k71t"), "XDG_DATA_HOME");
    seed(home + "/.local/share/k71t");
    r = runProgram(cwd, {"--user-workdir"}, environment(home, QString()));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    expectWorkedIn(home + "/.local/share/k71t", "~/.local/share/k71t");
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
        p.start(programUnderTest(), {option});
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
    ProgramRun r = runProgram(dir.path(), {"--workdir"}, environment(dir.path(), QString()), false);
    EXPECT_EQ(r.exitCode, 2);
    // (Qt may warn before it, e.g. of a missing XDG_RUNTIME_DIR.)
    EXPECT_TRUE(QString::fromUtf8(r.err).endsWith(
        QStringLiteral("k71t: Opcja --workdir wymaga nazwy katalogu.\nk71t --help opisuje opcje.\n")))
        << r.err.toStdString();
    // A file where the folder should be: the reason, exit status 1.
    dir.write("plik", "x");
    r = runProgram(dir.path(), {"--workdir", dir.file("plik")}, environment(dir.path(), QString()), false);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(r.err).endsWith(QStringLiteral("k71t: %1: to nie jest katalog\n").arg(dir.file("plik"))))
        << r.err.toStdString();
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("plik")});
}
