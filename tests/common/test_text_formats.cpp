#include "widgets/QtPrompt.h"
#include "support/AppHarness.h"

#include <QLabel>
#include <QMessageBox>
#include "common/TextFormats.h"

#include <QLocale>
#include <QTextCodec>
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

// The table-driven conversion must give exactly what the codec gives: every
// byte, every UTF-16 code unit alone, text mixing mapped and unmapped
// characters, and a character outside the Basic Multilingual Plane.
TEST(TextFormats, Windows1250MatchesTheCodecForEveryCharacter)
{
    QTextCodec *codec = QTextCodec::codecForName("Windows-1250");
    ASSERT_NE(codec, nullptr);
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    EXPECT_EQ(fromWindows1250(all), codec->toUnicode(all));
    for (int u = 0; u < 0x10000; ++u) {
        const QString one(QChar(static_cast<char16_t>(u)));
        ASSERT_EQ(toWindows1250(one), codec->fromUnicode(one)) << "U+" << std::hex << u;
    }
    for (const QString &text : {QStringLiteral("Ciśnienie €5 ¤ ąę"), QStringLiteral("ok 中 ż"),
                                QStringLiteral("znak \U0001F600 i ł"), QString()}) {
        EXPECT_EQ(toWindows1250(text), codec->fromUnicode(text)) << text.toStdString();
        EXPECT_EQ(fromWindows1250(toWindows1250(text)), codec->toUnicode(codec->fromUnicode(text)));
    }
}

TEST(Prompt, FileFiltersBecomeQtFilters)
{
    EXPECT_EQ(qtFileFilter(QStringLiteral("Plik konfiguracyjny K71T (*.k71t)|*.k71t")),
              QStringLiteral("Plik konfiguracyjny K71T (*.k71t)"));
    EXPECT_EQ(qtFileFilter(QStringLiteral("A (*.a)|*.a|B (*.b)|*.b")), QStringLiteral("A (*.a);;B (*.b)"));
    // Qt reads the patterns from the brackets: they must be the real ones.
    EXPECT_EQ(qtFileFilter(QStringLiteral("Pliki danych (*.dat, *.bin)|*.dat;*.bin")),
              QStringLiteral("Pliki danych (*.dat *.bin)"));
    EXPECT_EQ(qtFileFilter(QStringLiteral("Dane|*.dat")), QStringLiteral("Dane (*.dat)"));
}

TEST(TextFormats, DisplayFormOfFloats)
{
    struct Case {
        double value;
        const char *text;
    };
    const Case cases[] = {
        {100.0, "100.0000"},      {0.0, "0.0000"},        {99999.0, "99999.0000"},  {-19999.0, "-19999.0000"},
        {12.345678, "12.3457"},   {1234.56789, "1234.5700"}, {0.1f, "0.1000"},     {-0.00012345678, "-0.0001"},
        {999999.4, "999999.0000"}, {999999.7, "1.00000E+006"}, {1.0e20, "1.00000E+020"}, {50.0f, "50.0000"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(formatFloat(c.value), QString::fromLatin1(c.text)) << c.value;
}

TEST(TextFormats, ExponentFormHasThreeExponentDigits)
{
    EXPECT_EQ(formatExponent(123.456f, 7), QStringLiteral("1.234560E+002"));
    EXPECT_EQ(formatExponent(123.456f, 10), QStringLiteral("1.234560013E+002"));
    EXPECT_EQ(formatExponent(-0.5, 7), QStringLiteral("-5.000000E-001"));
    EXPECT_EQ(formatExponent(1.0e20f, 7), QStringLiteral("1.000000E+020"));
    EXPECT_EQ(formatExponent(1.0e-120, 3), QStringLiteral("1.00E-120"));
}

TEST(Prompt, AOneLineMessageStaysOnOneLine)
{
    test::ensureApplication();
    const QString text = QStringLiteral("Odczytano: 4400 rekordów w czasie: 20 s przy prędkości: 220 rekordów/sekundę ");
    const auto box = QtPrompt::messageBox(nullptr, text, QStringLiteral("Info"), PromptIcon::None, PromptButtons::Ok);
    box->show();
    const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), text);
    EXPECT_LT(label->height(), 2 * label->fontMetrics().lineSpacing());
    box->hide();
}
