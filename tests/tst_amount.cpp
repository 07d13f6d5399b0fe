#include <QTest>

#include <limits>

#include "Amount.h"

class TestAmount : public QObject {
    Q_OBJECT

  private slots:
    void format_data();
    void format();
    void parse_data();
    void parse();
    void parseTotal_data();
    void parseTotal();
    void parseCount_data();
    void parseCount();
    void parseYear_data();
    void parseYear();
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

void TestAmount::parse_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("expected");

    QTest::newRow("plain") << "1234" << true << 1234;
    QTest::newRow("grouped") << "1,234" << true << 1234;
    QTest::newRow("grouped twice") << "12,345,678" << true << 12345678;
    QTest::newRow("three groups") << "999,999,999" << true << 999999999;
    QTest::newRow("full-width grouped") << "１，２３４，５６７" << true << 1234567;
    QTest::newRow("leading zeros") << "000123" << true << 123;
    QTest::newRow("plus sign") << "+5" << true << 5;
    QTest::newRow("minus sign") << "-1,234" << true << -1234;
    QTest::newRow("minus zero") << "-0" << true << 0;
    QTest::newRow("U+2212 minus") << QStringLiteral("\u22121,234") << true << -1234;
    QTest::newRow("full-width minus") << "－１，２３４" << true << -1234;
    QTest::newRow("full-width plus") << "＋７" << true << 7;
    QTest::newRow("yen sign") << "¥1,234" << true << 1234;
    QTest::newRow("full-width yen") << "￥１，２３４" << true << 1234;
    QTest::newRow("minus then yen") << "-¥500" << true << -500;
    QTest::newRow("blanks around") << " \t12 " << true << 12;
    QTest::newRow("int32 max") << "2147483647" << true << std::numeric_limits<qint32>::max();
    QTest::newRow("int32 min") << "-2,147,483,648" << true << std::numeric_limits<qint32>::min();
    QTest::newRow("many leading zeros")
        << "0000000000002147483647" << true << std::numeric_limits<qint32>::max();

    QTest::newRow("fraction down") << "0.49999" << true << 0;
    QTest::newRow("fraction up") << "1.6" << true << 2;
    QTest::newRow("half to even, down") << "2.5" << true << 2;
    QTest::newRow("half to even, up") << "3.5" << true << 4;
    QTest::newRow("negative half to even") << "-2.5" << true << -2;
    QTest::newRow("half with trailing zeros") << "2.50000" << true << 2;
    QTest::newRow("just above half") << "2.5000001" << true << 3;
    QTest::newRow("above half beyond double precision") << "2.50000000000000000001" << true << 3;
    QTest::newRow("half of zero") << "0.5" << true << 0;
    QTest::newRow("half carries into next digit") << "9.5" << true << 10;
    QTest::newRow("grouped with fraction") << "1,234.5" << true << 1234;
    QTest::newRow("rounds onto int32 min")
        << "-2147483648.4" << true << std::numeric_limits<qint32>::min();

    QTest::newRow("just over int32 max") << "2147483648" << false << 0;
    QTest::newRow("just under int32 min") << "-2147483649" << false << 0;
    QTest::newRow("rounds past int32 max") << "2147483647.5" << false << 0;
    QTest::newRow("rounds past int32 min") << "-2147483648.6" << false << 0;
    QTest::newRow("twenty digits") << "99999999999999999999" << false << 0;
    QTest::newRow("wraps 2^64 to zero") << "18446744073709551616" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blanks only") << "   " << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("exponent") << "1e3" << false << 0;
    QTest::newRow("trailing letter") << "12a" << false << 0;
    QTest::newRow("double minus") << "--1" << false << 0;
    QTest::newRow("two points") << "1.2.3" << false << 0;
    QTest::newRow("point only") << "." << false << 0;
    QTest::newRow("no integer part") << ".5" << false << 0;
    QTest::newRow("no fraction digits") << "5." << false << 0;
    QTest::newRow("leading comma") << ",123" << false << 0;
    QTest::newRow("trailing comma") << "123," << false << 0;
    QTest::newRow("double comma") << "1,,2" << false << 0;
    QTest::newRow("comma before point") << "1,.5" << false << 0;
    QTest::newRow("comma in fraction") << "1.2,5" << false << 0;
    QTest::newRow("blank inside") << "1 234" << false << 0;
    // A comma anywhere but between thousands is a slip, never a number to guess at.
    QTest::newRow("comma per digit") << "1,2,3" << false << 0;
    QTest::newRow("typed after a shown amount") << "5,0007777" << false << 0;
    QTest::newRow("same, full-width") << "５，０００７７７７" << false << 0;
    QTest::newRow("odd grouping") << "1234,567" << false << 0;
    QTest::newRow("group of two") << "12,34" << false << 0;
    QTest::newRow("group of four") << "1,0000" << false << 0;
    QTest::newRow("one separator left of two") << "1,234567" << false << 0;
    QTest::newRow("bad group before fraction") << "1,23.5" << false << 0;
    QTest::newRow("backslash as yen") << "\\1234" << false << 0;
    QTest::newRow("yen then minus") << "¥-500" << false << 0;
    QTest::newRow("trailing minus") << "500-" << false << 0;
    QTest::newRow("Arabic-Indic digits") << QStringLiteral("\u0661\u0662") << false << 0;
}

void TestAmount::parse() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, expected);

    const std::optional<qint32> parsed = Amount::parse(text);
    QCOMPARE(parsed.has_value(), valid);
    if (parsed) QCOMPARE(*parsed, expected);
}

// The year's totals: the same reader over the 64-bit range, at its edges.
void TestAmount::parseTotal_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("expected");
    constexpr qint64 max = std::numeric_limits<qint64>::max(),
                     min = std::numeric_limits<qint64>::min();

    QTest::newRow("past int32") << "2,399,988,000" << true << qint64(2399988000);
    QTest::newRow("int64 max grouped") << "9,223,372,036,854,775,807" << true << max;
    QTest::newRow("int64 min") << "-9223372036854775808" << true << min;
    QTest::newRow("rounds onto int64 min") << "-9223372036854775808.4" << true << min;
    QTest::newRow("half to even below max") << "9223372036854775806.5" << true << max - 1;
    QTest::newRow("just over int64 max") << "9223372036854775808" << false << qint64(0);
    QTest::newRow("just under int64 min") << "-9223372036854775809" << false << qint64(0);
    QTest::newRow("rounds past int64 max") << "9223372036854775807.5" << false << qint64(0);
    QTest::newRow("2^64 - 1") << "18446744073709551615" << false << qint64(0);
    QTest::newRow("2^64 wraps to zero") << "18446744073709551616" << false << qint64(0);
    QTest::newRow("not a number") << "1,2,3" << false << qint64(0);
    QTest::newRow("empty") << "" << false << qint64(0);
}

void TestAmount::parseTotal() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(qint64, expected);

    const std::optional<qint64> parsed = Amount::parseTotal(text);
    QCOMPARE(parsed.has_value(), valid);
    if (parsed) QCOMPARE(*parsed, expected);
}

void TestAmount::parseCount_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("expected");

    QTest::newRow("plain") << "12" << true << 12;
    QTest::newRow("grouped") << "1,234" << true << 1234;
    QTest::newRow("full-width") << "１２" << true << 12;
    QTest::newRow("negative") << "-3" << true << -3;
    QTest::newRow("max") << "32767" << true << 32767;
    QTest::newRow("min") << "-32768" << true << -32768;
    QTest::newRow("over max") << "32768" << false << 0;
    QTest::newRow("under min") << "-32769" << false << 0;
    QTest::newRow("beyond int32") << "99999999999" << false << 0;
    QTest::newRow("whole fraction") << "3.0" << false << 0;
    QTest::newRow("fraction") << "3.5" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("trailing comma") << "12," << false << 0;
    QTest::newRow("comma not a separator") << "1,2" << false << 0;
}

void TestAmount::parseCount() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, expected);

    const std::optional<qint16> parsed = Amount::parseCount(text);
    QCOMPARE(parsed.has_value(), valid);
    if (parsed) QCOMPARE(int(*parsed), expected);
}

void TestAmount::parseYear_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("expected");

    QTest::newRow("plain") << "13" << true << 13;
    QTest::newRow("full-width") << "１３" << true << 13;
    QTest::newRow("blanks around") << " 13 " << true << 13;
    QTest::newRow("leading zero") << "013" << true << 13;
    QTest::newRow("zero") << "0" << true << 0;
    QTest::newRow("max") << "32767" << true << 32767;
    QTest::newRow("over max") << "32768" << false << 0;
    QTest::newRow("five nines") << "99999" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("fraction") << "1.5" << false << 0;
    QTest::newRow("minus") << "-5" << false << 0;
    QTest::newRow("plus") << "+5" << false << 0;
    QTest::newRow("comma") << "1,3" << false << 0;
    QTest::newRow("blank inside") << "1 3" << false << 0;
    QTest::newRow("Arabic-Indic digits") << QStringLiteral("\u0661\u0663") << false << 0;
}

void TestAmount::parseYear() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, expected);

    const std::optional<qint16> parsed = Amount::parseYear(text);
    QCOMPARE(parsed.has_value(), valid);
    if (parsed) QCOMPARE(int(*parsed), expected);
}

QTEST_APPLESS_MAIN(TestAmount)
#include "tst_amount.moc"
