#include "common/SafeFile.h"
#include "support/TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace k71t;

TEST(SafeFile, ReplacesWholeFileAndLeavesNoTemporaries)
{
    test::TempDir dir;
    dir.write("a.cfg", "old content");
    ASSERT_TRUE(writeFileSafely(dir.file("a.cfg"), QByteArray("new")));
    EXPECT_EQ(dir.read("a.cfg"), QByteArray("new"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.cfg"});
}

TEST(SafeFile, FailedWriteKeepsThePreviousFile)
{
    test::TempDir dir;
    // A folder where the file should be cannot be replaced by a file.
    QDir(dir.path()).mkdir("target");
    QString error;
    EXPECT_FALSE(writeFileSafely(dir.file("target"), QByteArray("x"), &error));
    EXPECT_FALSE(error.isEmpty());
    // A folder that does not exist.
    EXPECT_FALSE(writeFileSafely(dir.file("missing/a.cfg"), QByteArray("x")));
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
