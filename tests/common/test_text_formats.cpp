#include "common/Prompt.h"
#include "common/TextFormats.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace k71t;

TEST(TextFormats, DecimalPointIsTheOnlySeparator)
{
    struct Case {
        const char *text;
        bool ok;
        double value;
    };
    const Case cases[] = {
        {"12.7", true, 12.7}, {"  3600 ", true, 3600}, {"-19999", true, -19999}, {"1e3", true, 1000},
        {"12,7", false, 0},   {"1,000", false, 0},     {"", false, 0},           {"abc", false, 0},
        {"12.7x", false, 0},  {"inf", false, 0},       {"nan", false, 0},        {"1e999", false, 0},
    };
    for (const Case &c : cases) {
        const auto v = parseDecimal(QString::fromLatin1(c.text));
        EXPECT_EQ(v.has_value(), c.ok) << c.text;
        if (c.ok && v) {
            EXPECT_DOUBLE_EQ(*v, c.value) << c.text;
        }
    }
}

TEST(TextFormats, FixedNotationUsesAPointWhateverTheLocale)
{
    QLocale::setDefault(QLocale(QLocale::Polish));
    EXPECT_EQ(formatFixed(100.0, 4), QStringLiteral("100.0000"));
    EXPECT_EQ(formatFixed(-0.5, 2), QStringLiteral("-0.50"));
    QLocale::setDefault(QLocale::c());
}

TEST(TextFormats, Windows1250RoundTrip)
{
    const QString text = QStringLiteral("Zażółć gęślą jaźń");
    const QByteArray expected = QByteArray::fromHex("5a61bff3b3e62067ea9c6cb9206a619ff1");
    EXPECT_EQ(toWindows1250(text), expected);
    EXPECT_EQ(fromWindows1250(expected), text);
}

TEST(Prompt, FileFiltersBecomeQtFilters)
{
    EXPECT_EQ(qtFileFilter(QStringLiteral("Plik konfiguracyjny K71T (*.k71t)|*.k71t")),
              QStringLiteral("Plik konfiguracyjny K71T (*.k71t)"));
    EXPECT_EQ(qtFileFilter(QStringLiteral("A (*.a)|*.a|B (*.b)|*.b")), QStringLiteral("A (*.a);;B (*.b)"));
}
