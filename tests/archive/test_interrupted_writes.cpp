// Saves killed halfway: a child process saves one kind of file over and over
// with the program's own writers and is killed (SIGKILL) at random moments;
// what is left is always the old file or the new one, complete, and an
// archive export never loses what the file held before.
#include "support/SaveLoop.h"
#include "archive/ArchiveFiles.h"
#include "automat/Tasks.h"
#include "config/ConfigFile.h"
#include "db/DatabaseSettings.h"
#include "support/TempDir.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>
#include <set>

using namespace k71t;

namespace {

constexpr int Kills = 60;

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Starts the loop, waits for its first complete save, lets it run a random
// while (0 .. 4 ms: the point of the cut) and kills it.
void runAndKill(const QString &kind, const QString &path)
{
    QProcess p;
    p.start(QStringLiteral(K71T_SAVELOOP_BINARY), {kind, path});
    ASSERT_TRUE(p.waitForStarted());
    ASSERT_TRUE(p.waitForReadyRead(20000)) << "no first save";
    QThread::usleep(QRandomGenerator::global()->bounded(4000));
    p.kill();
    ASSERT_TRUE(p.waitForFinished(20000));
}

} // namespace

TEST(InterruptedWrites, ReplacedFilesAreTheOldOrTheNewOne)
{
    auto store = std::make_unique<RecordStore>();
    test::TempDir dir;
    // Both contents each kind alternates between, as the program writes them.
    const QString k71t = dir.file(QStringLiteral("def.k71t")), tasks = dir.file(QStringLiteral("auto.conf")),
                  sql = dir.file(QStringLiteral("sql.conf"));
    std::set<QByteArray> expected[3];
    for (int v = 0; v < 2; ++v) {
        expected[0].insert(buildConfigFile(test::saveLoopImage(v)));
        ASSERT_TRUE(saveTasks(tasks, test::saveLoopTasks(v)));
        expected[1].insert(fileBytes(tasks));
        ASSERT_TRUE(saveSqlConf(sql, test::saveLoopSettings(v)));
        expected[2].insert(fileBytes(sql));
    }
    const std::pair<const char *, QString> kinds[] = {{"k71t", k71t}, {"auto", tasks}, {"sql", sql}};
    for (int k = 0; k < 3; ++k) {
        ASSERT_EQ(expected[k].size(), 2u) << kinds[k].first;
        for (int i = 0; i < Kills; ++i) {
            runAndKill(QString::fromLatin1(kinds[k].first), kinds[k].second);
            const QByteArray left = fileBytes(kinds[k].second);
            ASSERT_TRUE(expected[k].count(left)) << kinds[k].first << " cut at kill " << i << ": " << left.size()
                                                 << " bytes";
        }
    }
}

TEST(InterruptedWrites, ArchivesAreCompleteAndExportsKeepWhatWasThere)
{
    auto store = std::make_unique<RecordStore>();
    test::TempDir dir;
    QByteArray bins[2];
    for (int v = 0; v < 2; ++v) {
        const int n = test::saveLoopRecords(*store, v);
        bins[v] = buildBin(*store, n, test::saveLoopImage(v));
    }
    // .bin files are new files: every one there is complete.
    QDir(dir.path()).mkpath(QStringLiteral("Archives"));
    const QString bin = dir.file(QStringLiteral("Archives/2013-09-17_06_00_00_1.bin"));
    for (int i = 0; i < Kills; ++i)
        runAndKill(QStringLiteral("bin"), bin);
    const QStringList files = QDir(dir.file(QStringLiteral("Archives"))).entryList(QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), Kills);
    for (const QString &f : files) {
        const QByteArray b = fileBytes(dir.file(QStringLiteral("Archives/") + f));
        EXPECT_TRUE(b == bins[0] || b == bins[1]) << f.toStdString() << ": " << b.size() << " bytes";
    }

    // A .dat export appends: what the file held before a cut stays, byte for
    // byte, at its start.
    const QString dat = dir.file(QStringLiteral("eksport.dat"));
    QByteArray before;
    for (int i = 0; i < Kills; ++i) {
        runAndKill(QStringLiteral("dat"), dat);
        const QByteArray now = fileBytes(dat);
        ASSERT_GE(now.size(), before.size());
        ASSERT_TRUE(now.startsWith(before)) << "kill " << i;
        before = now;
    }
}
