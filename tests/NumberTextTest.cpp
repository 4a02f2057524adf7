#include "QtPrinters.h"
#include "ui/NumberText.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <climits>

namespace {

// Runs a test in a locale of its own and goes back to the usual one after.
class InLocale : public ::testing::Test {
protected:
    void Use(const char* name)
    {
        QLocale::setDefault(QLocale(QLatin1String(name)));
        ReloadUserLocale();
    }
    void SetUp() override { Use("en_US"); }
    void TearDown() override { Use("en_US"); }
};

TEST_F(InLocale, ByteCountGroupsByThreeAndZeroIsEmpty)
{
    EXPECT_EQ(ByteCountText(0), QString());
    EXPECT_EQ(ByteCountText(7), QStringLiteral("7"));
    EXPECT_EQ(ByteCountText(999), QStringLiteral("999"));
    EXPECT_EQ(ByteCountText(1000), QStringLiteral("1,000"));
    EXPECT_EQ(ByteCountText(1234567), QStringLiteral("1,234,567"));
    EXPECT_EQ(ByteCountText(0x80000000u), QStringLiteral("2,147,483,648")) << "never negative";
    EXPECT_EQ(ByteCountText(UINT_MAX), QStringLiteral("4,294,967,295"));
}

TEST_F(InLocale, ByteCountReadsBackExceptZero)
{
    for (DWORD v : {1u, 999u, 1000u, 1234567u, 0x80000000u, UINT_MAX})
        EXPECT_EQ(ReadByteCountText(ByteCountText(v)), static_cast<double>(v)) << v;
    EXPECT_FALSE(ReadByteCountText(QString()).has_value());
    EXPECT_FALSE(ReadByteCountText(QStringLiteral("abc")).has_value());
}

TEST_F(InLocale, NumberTextIsPlainDecimal)
{
    EXPECT_EQ(NumberText(1536 / 1000.0), QStringLiteral("1.536"));
    EXPECT_EQ(NumberText(500 / 1000.0), QStringLiteral("0.5"));
    EXPECT_EQ(NumberText(1000 / 1000.0), QStringLiteral("1"));
    EXPECT_EQ(NumberText(0), QStringLiteral("0"));
    EXPECT_EQ(NumberText(-250 / 1000.0), QStringLiteral("-0.25"));
    EXPECT_EQ(NumberText(1500), QStringLiteral("1500"));
    EXPECT_EQ(NumberText(-4000000), QStringLiteral("-4000000"));
    EXPECT_EQ(NumberText(2147483.647), QStringLiteral("2147483.647"));
}

TEST_F(InLocale, CommaDecimalLocaleUsesItsOwnSeparators)
{
    Use("de_DE");
    EXPECT_EQ(ByteCountText(1234567), QStringLiteral("1.234.567"));
    EXPECT_EQ(ReadByteCountText(QStringLiteral("1.234.567")), 1234567.0);
    EXPECT_EQ(NumberText(1.536), QStringLiteral("1,536"));
    EXPECT_EQ(NumberText(-0.25), QStringLiteral("-0,25"));
    EXPECT_EQ(NumberText(1500), QStringLiteral("1500")) << "no thousands separator in a number text";
}

} // namespace
