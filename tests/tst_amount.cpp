#include <QTest>

#include <limits>

#include "Amount.h"

class TestAmount : public QObject {
    Q_OBJECT

  private slots:
    void format_data();
    void format();
    void readers_data();
    void readers();
};

void TestAmount::format_data() {
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("zero") << qint64(0) << "0";
    QTest::newRow("three digits") << qint64(999) << "999";
    QTest::newRow("first separator") << qint64(1000) << "1,000";
    QTest::newRow("thousands") << qint64(1234) << "1,234";
    QTest::newRow("millions") << qint64(1234567) << "1,234,567";
    QTest::newRow("negative millions") << qint64(-1234567) << "-1,234,567";
    QTest::newRow("negative no separator") << qint64(-999) << "-999";
    QTest::newRow("negative six digits") << qint64(-100000) << "-100,000";
    QTest::newRow("int32 max") << qint64(std::numeric_limits<qint32>::max()) << "2,147,483,647";
    QTest::newRow("int32 min") << qint64(std::numeric_limits<qint32>::min()) << "-2,147,483,648";
    QTest::newRow("int64 max") << std::numeric_limits<qint64>::max() << "9,223,372,036,854,775,807";
    QTest::newRow("int64 min") << std::numeric_limits<qint64>::min()
                               << "-9,223,372,036,854,775,808";
}

void TestAmount::format() {
    QFETCH(qint64, value);
    QFETCH(QString, expected);

    QCOMPARE(Amount::format(value), expected);
    // What we show must read back as the same amount.
    QCOMPARE(Amount::parseTotal(expected), std::optional<qint64>(value));
    if (value >= std::numeric_limits<qint32>::min() &&
        value <= std::numeric_limits<qint32>::max()) {
        const std::optional<qint32> back = Amount::parse(expected);
        QVERIFY(back.has_value());
        QCOMPARE(qint64(*back), value);
    }
}

// Each reader's result widened to 64 bits, so that one table checks them all.
std::optional<qint64> readAs(const QString &reader, const QString &text) {
    const auto wide = [](auto r) { return r ? std::optional<qint64>(*r) : std::nullopt; };
    if (reader == QLatin1String("parse")) return wide(Amount::parse(text));
    if (reader == QLatin1String("parseTotal")) return Amount::parseTotal(text);
    if (reader == QLatin1String("parseCount")) return wide(Amount::parseCount(text));
    return wide(Amount::parseYear(text));
}

void TestAmount::readers_data() {
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("expected");
    const auto row = [](const char *reader, const char *name, const QString &text, bool valid,
                        qint64 expected) {
        QTest::newRow(qPrintable(
            QStringLiteral("%1: %2").arg(QLatin1String(reader), QString::fromUtf8(name))))
            << QString::fromLatin1(reader) << text << valid << expected;
    };
    constexpr qint64 max = std::numeric_limits<qint64>::max(),
                     min = std::numeric_limits<qint64>::min();

    row("parse", "plain", "1234", true, 1234);
    row("parse", "grouped", "1,234", true, 1234);
    row("parse", "grouped twice", "12,345,678", true, 12345678);
    row("parse", "three groups", "999,999,999", true, 999999999);
    row("parse", "full-width grouped", "１，２３４，５６７", true, 1234567);
    row("parse", "leading zeros", "000123", true, 123);
    row("parse", "plus sign", "+5", true, 5);
    row("parse", "minus sign", "-1,234", true, -1234);
    row("parse", "minus zero", "-0", true, 0);
    row("parse", "U+2212 minus", QStringLiteral("\u22121,234"), true, -1234);
    row("parse", "full-width minus", "－１，２３４", true, -1234);
    row("parse", "full-width plus", "＋７", true, 7);
    row("parse", "yen sign", "¥1,234", true, 1234);
    row("parse", "full-width yen", "￥１，２３４", true, 1234);
    row("parse", "minus then yen", "-¥500", true, -500);
    row("parse", "blanks around", " \t12 ", true, 12);
    row("parse", "int32 max", "2147483647", true, std::numeric_limits<qint32>::max());
    row("parse", "int32 min", "-2,147,483,648", true, std::numeric_limits<qint32>::min());
    row("parse", "many leading zeros", "0000000000002147483647", true,
        std::numeric_limits<qint32>::max());
    row("parse", "fraction down", "0.49999", true, 0);
    row("parse", "fraction up", "1.6", true, 2);
    row("parse", "half to even, down", "2.5", true, 2);
    row("parse", "half to even, up", "3.5", true, 4);
    row("parse", "negative half to even", "-2.5", true, -2);
    row("parse", "half with trailing zeros", "2.50000", true, 2);
    row("parse", "just above half", "2.5000001", true, 3);
    row("parse", "above half beyond double precision", "2.50000000000000000001", true, 3);
    row("parse", "half of zero", "0.5", true, 0);
    row("parse", "half carries into next digit", "9.5", true, 10);
    row("parse", "grouped with fraction", "1,234.5", true, 1234);
    row("parse", "rounds onto int32 min", "-2147483648.4", true,
        std::numeric_limits<qint32>::min());
    row("parse", "just over int32 max", "2147483648", false, 0);
    row("parse", "just under int32 min", "-2147483649", false, 0);
    row("parse", "rounds past int32 max", "2147483647.5", false, 0);
    row("parse", "rounds past int32 min", "-2147483648.6", false, 0);
    row("parse", "twenty digits", "99999999999999999999", false, 0);
    row("parse", "wraps 2^64 to zero", "18446744073709551616", false, 0);
    row("parse", "empty", "", false, 0);
    row("parse", "blanks only", "   ", false, 0);
    row("parse", "letters", "abc", false, 0);
    row("parse", "exponent", "1e3", false, 0);
    row("parse", "trailing letter", "12a", false, 0);
    row("parse", "double minus", "--1", false, 0);
    row("parse", "two points", "1.2.3", false, 0);
    row("parse", "point only", ".", false, 0);
    row("parse", "no integer part", ".5", false, 0);
    row("parse", "no fraction digits", "5.", false, 0);
    row("parse", "leading comma", ",123", false, 0);
    row("parse", "trailing comma", "123,", false, 0);
    row("parse", "double comma", "1,,2", false, 0);
    row("parse", "comma before point", "1,.5", false, 0);
    row("parse", "comma in fraction", "1.2,5", false, 0);
    row("parse", "blank inside", "1 234", false, 0);
    // A comma anywhere but between thousands is a slip, never a number to guess at.
    row("parse", "comma per digit", "1,2,3", false, 0);
    row("parse", "typed after a shown amount", "5,0007777", false, 0);
    row("parse", "same, full-width", "５，０００７７７７", false, 0);
    row("parse", "odd grouping", "1234,567", false, 0);
    row("parse", "group of two", "12,34", false, 0);
    row("parse", "group of four", "1,0000", false, 0);
    row("parse", "one separator left of two", "1,234567", false, 0);
    row("parse", "bad group before fraction", "1,23.5", false, 0);
    row("parse", "backslash as yen", "\\1234", false, 0);
    row("parse", "yen then minus", "¥-500", false, 0);
    row("parse", "trailing minus", "500-", false, 0);
    row("parse", "Arabic-Indic digits", QStringLiteral("\u0661\u0662"), false, 0);
    // The year's totals: the same reader over the 64-bit range, at its edges.
    row("parseTotal", "past int32", "2,399,988,000", true, qint64(2399988000));
    row("parseTotal", "int64 max grouped", "9,223,372,036,854,775,807", true, max);
    row("parseTotal", "int64 min", "-9223372036854775808", true, min);
    row("parseTotal", "rounds onto int64 min", "-9223372036854775808.4", true, min);
    row("parseTotal", "half to even below max", "9223372036854775806.5", true, max - 1);
    row("parseTotal", "just over int64 max", "9223372036854775808", false, 0);
    row("parseTotal", "just under int64 min", "-9223372036854775809", false, 0);
    row("parseTotal", "rounds past int64 max", "9223372036854775807.5", false, 0);
    row("parseTotal", "2^64 - 1", "18446744073709551615", false, 0);
    row("parseTotal", "2^64 wraps to zero", "18446744073709551616", false, 0);
    row("parseTotal", "not a number", "1,2,3", false, 0);
    row("parseTotal", "empty", "", false, 0);
    row("parseCount", "plain", "12", true, 12);
    row("parseCount", "grouped", "1,234", true, 1234);
    row("parseCount", "full-width", "１２", true, 12);
    row("parseCount", "negative", "-3", true, -3);
    row("parseCount", "max", "32767", true, 32767);
    row("parseCount", "min", "-32768", true, -32768);
    row("parseCount", "over max", "32768", false, 0);
    row("parseCount", "under min", "-32769", false, 0);
    row("parseCount", "beyond int32", "99999999999", false, 0);
    row("parseCount", "whole fraction", "3.0", false, 0);
    row("parseCount", "fraction", "3.5", false, 0);
    row("parseCount", "empty", "", false, 0);
    row("parseCount", "letters", "abc", false, 0);
    row("parseCount", "trailing comma", "12,", false, 0);
    row("parseCount", "comma not a separator", "1,2", false, 0);
    row("parseYear", "plain", "13", true, 13);
    row("parseYear", "full-width", "１３", true, 13);
    row("parseYear", "blanks around", " 13 ", true, 13);
    row("parseYear", "leading zero", "013", true, 13);
    row("parseYear", "zero", "0", true, 0);
    row("parseYear", "max", "32767", true, 32767);
    row("parseYear", "over max", "32768", false, 0);
    row("parseYear", "five nines", "99999", false, 0);
    row("parseYear", "empty", "", false, 0);
    row("parseYear", "letters", "abc", false, 0);
    row("parseYear", "fraction", "1.5", false, 0);
    row("parseYear", "minus", "-5", false, 0);
    row("parseYear", "plus", "+5", false, 0);
    row("parseYear", "comma", "1,3", false, 0);
    row("parseYear", "blank inside", "1 3", false, 0);
    row("parseYear", "Arabic-Indic digits", QStringLiteral("\u0661\u0663"), false, 0);
}

void TestAmount::readers() {
    QFETCH(QString, reader);
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(qint64, expected);

    const std::optional<qint64> parsed = readAs(reader, text);
    QCOMPARE(parsed.has_value(), valid);
    if (parsed) QCOMPARE(*parsed, expected);
}

QTEST_APPLESS_MAIN(TestAmount)
#include "tst_amount.moc"
