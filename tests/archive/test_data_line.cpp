// The data lines of a .dat file as the database import and the chart read them.
#include "archive/DataLine.h"

#include <gtest/gtest.h>

using namespace k71t;

namespace {

QByteArray line(const char *date, const char *time, const char *device, const char *r0, const char *r5 = "1.5")
{
    return QByteArray(date) + '\t' + time + '\t' + device + '\t' + r0 + "\t2.5\t3.5\t4.5\t5.5\t" + r5 +
           "\t7.5\t8.5\t9.5\t10.5";
}

} // namespace

TEST(DataLines, WhatIsADataLine)
{
    DataLine d;
    ASSERT_TRUE(parseDataLine(line("2013-09-16", "07:05:00", "3", "1.234568E+001"), d));
    EXPECT_EQ(d.dateKey, 20130916);
    EXPECT_EQ(d.timeKey, 70500);
    EXPECT_EQ(d.device, 3);
    EXPECT_EQ(d.R[0], 12.34568f);
    EXPECT_EQ(d.R[9], 10.5f);

    // "*" leaves the marker, in R0 too: a device that does not archive R0
    // still has its other registers.
    ASSERT_TRUE(parseDataLine(line("2013-09-16", "07:05:00", "3", "*", "*"), d));
    EXPECT_EQ(d.R[0], DataLineNoValue);
    EXPECT_EQ(d.R[5], DataLineNoValue);
    EXPECT_EQ(d.R[1], 2.5f);

    // Lines meant as data (they begin with a date's shape) that are wrong
    // are refused, so an import can report them; anything else is no data.
    const QByteArray good = line("2013-09-16", "07:05:00", "3", "1");
    const struct {
        QByteArray text;
        LineVerdict verdict;
    } cases[] = {
        {line("2013-02-30", "07:05:00", "3", "1"), LineVerdict::Refused}, // no such day
        {line("2013-09-16", "24:00:00", "3", "1"), LineVerdict::Refused},
        {line("2013-09-16", "07:05:00", "x", "1"), LineVerdict::Refused},
        {line("2013-09-16", "07:05:00", "10", "1"), LineVerdict::Refused}, // devices are 0 .. 9
        {line("2013-09-16", "07:05:00", "3", "1e400"), LineVerdict::Refused}, // cannot be stored unchanged
        {line("2013-09-16", "07:05:00", "3", "1", "-5e39"), LineVerdict::Refused},
        {line("2013-09-16", "07:05:00", "3", "1,5"), LineVerdict::Refused}, // a decimal comma
        {line("2013-09-16", "07:05:00", "3", "nan"), LineVerdict::Refused},
        {line("2013-09-16", "07:05:00", "3", ""), LineVerdict::Refused},
        {line("2013-09-16", "07:05:00", "3", "**"), LineVerdict::Refused},
        {good + "\t1", LineVerdict::Refused},                  // 13 TABs
        {good.left(good.lastIndexOf('\t')), LineVerdict::Refused}, // 11 TABs
        {"2013-09-16", LineVerdict::Refused},
        {line("2013-9-16", "07:05:00", "3", "1"), LineVerdict::NotData}, // not YYYY-MM-DD
        {"Data\tCzas\tDEV\tR0\tR1\tR2\tR3\tR4\tR5\tR6\tR7\tR8\tR9", LineVerdict::NotData},
        {"", LineVerdict::NotData},
        {QByteArray("\x01\x02\xff\t\t\t\t\t\t\t\t\t\t\t\t", 15), LineVerdict::NotData},
        {line("2013-09-16", "07:05:00", "9", "-1.5E-38", "*"), LineVerdict::Data},
    };
    for (const auto &c : cases)
        EXPECT_EQ(readDataLine(c.text, d), c.verdict) << c.text.toStdString();

    // The shortest data line: one character a register (41 characters; with
    // dates and times in full no data line is 38 characters or shorter).
    const QByteArray shortest = "2013-09-16\t07:05:00\t3\t1\t2\t3\t4\t5\t6\t7\t8\t9\t1";
    ASSERT_EQ(shortest.size(), 41);
    EXPECT_TRUE(parseDataLine(shortest, d));
}
