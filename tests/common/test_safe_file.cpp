#include "common/SafeFile.h"
#include "common/SystemErrors.h"
#include "support/DiskLimits.h"
#include "support/TempDir.h"

#include <QDir>
#include <QSet>
#include <cerrno>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using namespace k71t;

namespace {

QStringList filesIn(const test::TempDir &dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

TEST(SafeFile, ReplacesTheFileInsteadOfRewritingIt)
{
    test::TempDir dir;
    dir.write("a.cfg", "old content");
    // A second name for the old file: a rewrite in place would change it too.
    ASSERT_EQ(::link(QFile::encodeName(dir.file("a.cfg")).constData(),
                     QFile::encodeName(dir.file("old.cfg")).constData()),
              0);
    ASSERT_TRUE(writeFileSafely(dir.file("a.cfg"), QByteArray("new")));
    EXPECT_EQ(dir.read("a.cfg"), QByteArray("new"));
    EXPECT_EQ(dir.read("old.cfg"), QByteArray("old content"));
    EXPECT_EQ(filesIn(dir), (QStringList{"a.cfg", "old.cfg"})); // no temporaries left
}

TEST(SafeFile, WriteThatFailsHalfwayKeepsThePreviousFile)
{
    test::TempDir dir;
    dir.write("a.cfg", "old content");
    QString error;
    {
        const test::FileSizeLimit limit(100);
        EXPECT_FALSE(writeFileSafely(dir.file("a.cfg"), QByteArray(1000, 'n'), &error));
    }
    EXPECT_EQ(dir.read("a.cfg"), QByteArray("old content"));
    EXPECT_EQ(error, QStringLiteral("plik zbyt duży"));
    EXPECT_EQ(filesIn(dir), QStringList{"a.cfg"});
}

TEST(SafeFile, UnwritablePlacesAreReportedInPolish)
{
    test::TempDir dir;
    QDir(dir.path()).mkdir("target");
    dir.write("plain", "x");
    struct Case {
        QString path;
        QString reason;
    };
    const Case cases[] = {
        {dir.file("target"), QStringLiteral("to jest folder")},
        {dir.file("missing/a.cfg"), QStringLiteral("brak pliku lub folderu")},
        {dir.file("plain/a.cfg"), QStringLiteral("to nie jest folder")},
    };
    for (const Case &c : cases) {
        QString error;
        EXPECT_FALSE(writeFileSafely(c.path, QByteArray("x"), &error)) << qPrintable(c.path);
        EXPECT_EQ(error, c.reason) << qPrintable(c.path);
    }
    QString error;
    EXPECT_TRUE(writeNewFileSafely(dir.file("plain/a.bin"), QByteArray("x"), &error).isEmpty());
    EXPECT_EQ(error, QStringLiteral("to nie jest folder"));
    EXPECT_EQ(systemErrorText(ENOSPC), QStringLiteral("brak miejsca na dysku"));
    EXPECT_EQ(systemErrorText(EACCES), QStringLiteral("brak uprawnień"));
    EXPECT_EQ(systemErrorText(EROFS), QStringLiteral("system plików tylko do odczytu"));
}

TEST(SafeFile, NewFilesNeverReplaceAnother)
{
    // Each way of placing a file, as on file systems without the ones before it.
    for (NoReplace method : {NoReplace::Rename, NoReplace::Link, NoReplace::ExclusiveCreate}) {
        test::TempDir dir;
        dir.write("a.bin", "first");
        EXPECT_EQ(writeNewFileSafely(dir.file("a.bin"), "second", nullptr, method), dir.file("a_2.bin"));
        EXPECT_EQ(writeNewFileSafely(dir.file("a.bin"), "third", nullptr, method), dir.file("a_3.bin"));
        EXPECT_EQ(writeNewFileSafely(dir.file("b.bin"), "free", nullptr, method), dir.file("b.bin"));
        EXPECT_EQ(writeNewFileSafely(dir.file("plain"), "x", nullptr, method), dir.file("plain"));
        EXPECT_EQ(writeNewFileSafely(dir.file("plain"), "y", nullptr, method), dir.file("plain_2"));
        // A "%2" in the name is part of the name.
        EXPECT_EQ(writeNewFileSafely(dir.file("p%2q.bin"), "1", nullptr, method), dir.file("p%2q.bin"));
        EXPECT_EQ(writeNewFileSafely(dir.file("p%2q.bin"), "2", nullptr, method), dir.file("p%2q_2.bin"));
        EXPECT_EQ(dir.read("a.bin"), QByteArray("first"));
        EXPECT_EQ(dir.read("a_2.bin"), QByteArray("second"));
        EXPECT_EQ(dir.read("a_3.bin"), QByteArray("third"));
        EXPECT_EQ(dir.read("plain_2"), QByteArray("y"));
        EXPECT_EQ(filesIn(dir).size(), 8) << int(method); // no temporaries left
    }
}

TEST(SafeFile, NewFilesWrittenAtTheSameMomentGetNamesOfTheirOwn)
{
    test::TempDir dir;
    constexpr int Threads = 8, Each = 10;
    std::vector<std::thread> writers;
    std::vector<QStringList> written(Threads);
    // Writers place their files by all three methods at once.
    for (int t = 0; t < Threads; ++t)
        writers.emplace_back([&, t] {
            const NoReplace method = static_cast<NoReplace>(t % 3);
            for (int k = 0; k < Each; ++k)
                written[t] << writeNewFileSafely(dir.file("same.bin"), QByteArray::number(t * 100 + k), nullptr,
                                                 method);
        });
    for (std::thread &w : writers)
        w.join();
    QSet<QString> names;
    for (int t = 0; t < Threads; ++t)
        for (int k = 0; k < Each; ++k) {
            const QString path = written[t][k];
            ASSERT_FALSE(path.isEmpty());
            names.insert(path);
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(f.readAll(), QByteArray::number(t * 100 + k)); // nobody's file was replaced
        }
    EXPECT_EQ(names.size(), Threads * Each);
    EXPECT_EQ(filesIn(dir).size(), Threads * Each);
}

TEST(SafeFile, ReadSmallFileRefusesWhatIsNotASmallRegularFile)
{
    test::TempDir dir;
    dir.write("three", "abc");
    dir.write("four", "abcd");
    QDir(dir.path()).mkdir("folder");
    QByteArray content;
    EXPECT_TRUE(readSmallFile(dir.file("three"), 3, content));
    EXPECT_EQ(content, QByteArray("abc"));
    EXPECT_FALSE(readSmallFile(dir.file("four"), 3, content));
    EXPECT_FALSE(readSmallFile(dir.file("folder"), 3, content));
    EXPECT_FALSE(readSmallFile(dir.file("none"), 3, content));
}
