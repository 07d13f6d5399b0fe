#include <QTest>

#ifdef MORIVA_ICU
#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#endif
#include <memory>

#include "EraDate.h"

class TestEraDate : public QObject {
    Q_OBJECT

  private slots:
    void format_data();
    void format();
    void parse_data();
    void parse();
    void outsideEra_data();
    void outsideEra();
    void agreesWithIcuEveryDay();
    void yearOfDigits_data();
    void yearOfDigits();
};

// Which era year the digits of a year file's name stand for: its dates decide, and
// without dates the clock does, so that neither an era change nor a future year misleads.
void TestEraDate::yearOfDigits_data() {
    QTest::addColumn<int>("digits");
    QTest::addColumn<QDate>("latest");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("western");
    const QDate now(2024, 6, 1);
    QTest::newRow("01 with 1989 dates") << 1 << QDate(1989, 12, 1) << now << "平成元" << 1989;
    QTest::newRow("01 with 令和 dates") << 1 << QDate(2019, 5, 1) << now << "令和元" << 2019;
    QTest::newRow("31 dated into 令和 stays 平成31")
        << 31 << QDate(2019, 6, 1) << now << "平成31" << 2019;
    QTest::newRow("dated into the next January")
        << 2 << QDate(2021, 1, 10) << now << "令和2" << 2020;
    QTest::newRow("no dates, 令和3 still ahead")
        << 3 << QDate() << QDate(2020, 12, 31) << "平成3" << 1991;
    QTest::newRow("no dates, 令和3 reached")
        << 3 << QDate() << QDate(2021, 1, 1) << "令和3" << 2021;
    QTest::newRow("昭和 file") << 63 << QDate(1988, 10, 1) << now << "昭和63" << 1988;
    QTest::newRow("64 is 昭和's last, 平成 never had it")
        << 64 << QDate() << now << "昭和64" << 1989;
    QTest::newRow("00 is no era year") << 0 << QDate() << now << "" << 0;
}

void TestEraDate::yearOfDigits() {
    QFETCH(int, digits);
    QFETCH(QDate, latest);
    QFETCH(QDate, today);
    QFETCH(QString, name);
    QFETCH(int, western);
    const auto year = EraDate::yearOfDigits(digits, latest, today);
    QCOMPARE(year ? year->name() : QString(), name);
    QCOMPARE(year ? year->western : 0, western);
}

void TestEraDate::format_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QChar>("sep");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QChar>("letter");
    QTest::addColumn<int>("year");

    const QChar slash('/');
    const QChar dot('.');
    QTest::newRow("Heisei slash") << QDate(2000, 4, 1) << slash << "H12/4/1" << QChar('H') << 12;
    QTest::newRow("Heisei dot") << QDate(2000, 4, 1) << dot << "H12.4.1" << QChar('H') << 12;
    QTest::newRow("Reiwa") << QDate(2026, 4, 1) << slash << "R8/4/1" << QChar('R') << 8;
    QTest::newRow("two-digit month and day")
        << QDate(2024, 12, 31) << slash << "R6/12/31" << QChar('R') << 6;
    QTest::newRow("last Meiji day")
        << QDate(1912, 7, 29) << slash << "M45/7/29" << QChar('M') << 45;
    QTest::newRow("first Taisho day")
        << QDate(1912, 7, 30) << slash << "T1/7/30" << QChar('T') << 1;
    QTest::newRow("last Taisho day")
        << QDate(1926, 12, 24) << slash << "T15/12/24" << QChar('T') << 15;
    QTest::newRow("first Showa day")
        << QDate(1926, 12, 25) << slash << "S1/12/25" << QChar('S') << 1;
    QTest::newRow("Showa 2 starts on Jan 1")
        << QDate(1927, 1, 1) << slash << "S2/1/1" << QChar('S') << 2;
    QTest::newRow("last Showa day") << QDate(1989, 1, 7) << slash << "S64/1/7" << QChar('S') << 64;
    QTest::newRow("first Heisei day") << QDate(1989, 1, 8) << slash << "H1/1/8" << QChar('H') << 1;
    QTest::newRow("last Heisei day")
        << QDate(2019, 4, 30) << slash << "H31/4/30" << QChar('H') << 31;
    QTest::newRow("first Reiwa day") << QDate(2019, 5, 1) << slash << "R1/5/1" << QChar('R') << 1;
    QTest::newRow("first Meiji day") << QDate(1868, 9, 8) << slash << "M1/9/8" << QChar('M') << 1;
    QTest::newRow("before Meiji, slash")
        << QDate(1868, 9, 7) << slash << "1868/9/7" << QChar() << 0;
    QTest::newRow("before Meiji, dot") << QDate(1800, 1, 2) << dot << "1800.1.2" << QChar() << 0;
    QTest::newRow("null date") << QDate() << slash << "" << QChar() << 0;
}

void TestEraDate::format() {
    QFETCH(QDate, date);
    QFETCH(QChar, sep);
    QFETCH(QString, expected);
    QFETCH(QChar, letter);
    QFETCH(int, year);

    QCOMPARE(EraDate::format(date, sep), expected);
    QCOMPARE(EraDate::eraLetter(date), letter);
    QCOMPARE(EraDate::eraYear(date), year);
}

void TestEraDate::parse_data() {
    // A null expected date stands for "must be rejected".
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("expected");

    QTest::newRow("era slash") << "H13/4/1" << QDate(2001, 4, 1);
    QTest::newRow("era dot") << "H13.4.1" << QDate(2001, 4, 1);
    QTest::newRow("mixed separators") << "H13/4.1" << QDate(2001, 4, 1);
    QTest::newRow("lower-case letter") << "r8/4/1" << QDate(2026, 4, 1);
    QTest::newRow("zero-padded numbers") << "H01/04/01" << QDate(1989, 4, 1);
    QTest::newRow("Meiji") << "m6/1/1" << QDate(1873, 1, 1);
    QTest::newRow("Taisho") << "T1/7/30" << QDate(1912, 7, 30);
    QTest::newRow("Showa") << "S64/1/7" << QDate(1989, 1, 7);
    QTest::newRow("Reiwa far ahead") << "R100/1/1" << QDate(2118, 1, 1);
    QTest::newRow("leap day in leap year") << "H12/2/29" << QDate(2000, 2, 29);
    QTest::newRow("blanks around") << "  H13/4/1\t" << QDate(2001, 4, 1);
    QTest::newRow("full-width lower") << "ｈ１３／４／１" << QDate(2001, 4, 1);
    QTest::newRow("full-width dots") << "Ｈ１３．４．１" << QDate(2001, 4, 1);
    QTest::newRow("ideographic space around")
        << QStringLiteral("\u3000H13/4/1\u3000") << QDate(2001, 4, 1);
    QTest::newRow("Western slash") << "2001/4/1" << QDate(2001, 4, 1);
    QTest::newRow("Western dash") << "2001-04-01" << QDate(2001, 4, 1);
    QTest::newRow("Western full-width") << "２００１－０４－０１" << QDate(2001, 4, 1);
    QTest::newRow("Western first Meiji day") << "1868/9/8" << QDate(1868, 9, 8);
    QTest::newRow("Western last day the era form shows") << "3017/12/31" << QDate(3017, 12, 31);
    QTest::newRow("first year as 元") << QStringLiteral("R元/5/1") << QDate(2019, 5, 1);
    QTest::newRow("元, full-width and lower-case")
        << QStringLiteral("ｈ元．１．８") << QDate(1989, 1, 8);

    QTest::newRow("no leap day") << "H13/2/29" << QDate();
    QTest::newRow("April 31") << "H13/4/31" << QDate();
    QTest::newRow("month 13") << "H13/13/1" << QDate();
    QTest::newRow("month 0") << "H13/0/1" << QDate();
    QTest::newRow("day 0") << "H13/4/0" << QDate();
    QTest::newRow("era year 0") << "R0/5/1" << QDate();
    QTest::newRow("after Heisei ended") << "H31/5/1" << QDate();
    QTest::newRow("after Showa ended") << "S64/1/8" << QDate();
    QTest::newRow("before Heisei began") << "H1/1/7" << QDate();
    QTest::newRow("before Reiwa began") << "R1/4/30" << QDate();
    QTest::newRow("after Taisho ended") << "T15/12/25" << QDate();
    QTest::newRow("before Meiji began") << "M1/9/7" << QDate();
    QTest::newRow("unknown era letter") << "X13/4/1" << QDate();
    QTest::newRow("four-digit era year") << "R1000/1/1" << QDate();
    QTest::newRow("trailing text") << "H13/4/1x" << QDate();
    QTest::newRow("leading text") << "xH13/4/1" << QDate();
    QTest::newRow("extra part") << "H13/4/1/2" << QDate();
    QTest::newRow("missing day") << "H13/4" << QDate();
    QTest::newRow("blank inside") << "H 13/4/1" << QDate();
    QTest::newRow("dash in era form") << "H13-4-1" << QDate();
    QTest::newRow("empty") << "" << QDate();
    QTest::newRow("blanks only") << "   " << QDate();
    QTest::newRow("Western no leap day") << "2001/2/29" << QDate();
    QTest::newRow("Western month 13") << "2001-13-01" << QDate();
    QTest::newRow("Western dots") << "2001.4.1" << QDate();
    QTest::newRow("Western mixed separators") << "2001/04-01" << QDate();
    QTest::newRow("Western before Meiji") << "1868/9/7" << QDate();
    // Found by fuzzing: shown as R1000/1/1, which no field reads back.
    QTest::newRow("Western after R999") << QStringLiteral("3164/2/7\u3000") << QDate();
    QTest::newRow("Western two-digit year") << "01/4/1" << QDate();
    QTest::newRow("元 without an era letter") << QStringLiteral("元/5/1") << QDate();
    QTest::newRow("元 with digits") << QStringLiteral("R元1/5/1") << QDate();
    QTest::newRow("元 before its era began") << QStringLiteral("R元/4/30") << QDate();
    QTest::newRow("Arabic-Indic digits") << QStringLiteral("H\u0661\u0663/4/1") << QDate();
}

void TestEraDate::parse() {
    QFETCH(QString, text);
    QFETCH(QDate, expected);

    const std::optional<QDate> parsed = EraDate::parse(text);
    QCOMPARE(parsed.has_value(), expected.isValid());
    if (parsed) QCOMPARE(*parsed, expected);
}

void TestEraDate::outsideEra_data() {
    // Every row is refused; an empty message means the generic one is to be shown.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString reiwa = QStringLiteral("は令和の期間外です（令和は2019年5月1日からです）。");
    QTest::newRow("before Reiwa began") << "R1/4/30" << QStringLiteral("令和1年4月30日") + reiwa;
    QTest::newRow("before Reiwa began, as 元")
        << QStringLiteral("Ｒ元/4/30") << QStringLiteral("令和1年4月30日") + reiwa;
    QTest::newRow("after Heisei ended")
        << "H31/5/1"
        << QStringLiteral(
               "平成31年5月1日は平成の期間外です（平成は1989年1月8日から2019年4月30日までです）。");
    QTest::newRow("long after Showa ended") << "s100/1/1"
                                            << QStringLiteral(
                                                   "昭和100年1月1日は昭和の期間外です（昭和は1926年"
                                                   "12月25日から1989年1月7日までです）。");
    QTest::newRow("before Meiji began")
        << "M1/9/7"
        << QStringLiteral(
               "明治1年9月7日は明治の期間外です（明治は1868年9月8日から1912年7月29日までです）。");
    QTest::newRow("no such day, whatever the era") << "H31/2/30" << QString();
    QTest::newRow("era year 0") << "R0/5/1" << QString();
    QTest::newRow("Western, before Meiji") << "1868/9/7" << QString();
}

void TestEraDate::outsideEra() {
    QFETCH(QString, text);
    QFETCH(QString, message);
    QString said;
    QVERIFY(!EraDate::parse(text, &said));
    QCOMPARE(said, message);
}

#ifdef MORIVA_ICU
namespace {

QChar letterOfIcuEra(int era) {
    switch (era) {
        case 232:
            return QLatin1Char('M');
        case 233:
            return QLatin1Char('T');
        case 234:
            return QLatin1Char('S');
        case 235:
            return QLatin1Char('H');
        case 236:
            return QLatin1Char('R');
        default:
            return QChar();
    }
}

}  // namespace
#endif

// From 1873, when Japan took up the Gregorian calendar, ICU's Japanese calendar is the reference
// for every day we may ever meet; format and parse must also round-trip each of those days.
void TestEraDate::agreesWithIcuEveryDay() {
#ifndef MORIVA_ICU
    QSKIP("This build has no ICU; the era table is checked against it in the Linux build.");
#else
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> japanese(icu::Calendar::createInstance(
        icu::TimeZone::getGMT()->clone(), icu::Locale("ja_JP@calendar=japanese"), status));
    QVERIFY2(U_SUCCESS(status), u_errorName(status));

    constexpr qint64 unixEpochJd = 2440588;
    constexpr double msPerDay = 86400000.0;
    const QDate first(1873, 1, 1);
    const QDate last(2100, 12, 31);

    QStringList mismatches;
    int days = 0;
    for (QDate d = first; d <= last && mismatches.size() < 20; d = d.addDays(1), ++days) {
        japanese->setTime(double(d.toJulianDay() - unixEpochJd) * msPerDay, status);
        const QChar letter = letterOfIcuEra(japanese->get(UCAL_ERA, status));
        const int year = japanese->get(UCAL_YEAR, status);
        const int month = japanese->get(UCAL_MONTH, status) + 1;
        const int day = japanese->get(UCAL_DATE, status);
        if (U_FAILURE(status)) {
            mismatches << d.toString(Qt::ISODate) + QStringLiteral(": ") + u_errorName(status);
            break;
        }

        const QString expected = letter + QString::number(year) + QLatin1Char('/') +
                                 QString::number(month) + QLatin1Char('/') + QString::number(day);
        const QString slashed = EraDate::format(d);
        const QString dotted = EraDate::format(d, QLatin1Char('.'));
        const bool ok = EraDate::eraLetter(d) == letter && EraDate::eraYear(d) == year &&
                        slashed == expected && EraDate::parse(slashed) == d &&
                        EraDate::parse(dotted) == d;
        if (!ok) {
            mismatches << QStringLiteral("%1: ICU %2, ours %3 / %4")
                              .arg(d.toString(Qt::ISODate), expected, slashed, dotted);
        }
    }
    QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.join(QLatin1Char('\n'))));
    QCOMPARE(days, int(first.daysTo(last)) + 1);
#endif
}

QTEST_APPLESS_MAIN(TestEraDate)
#include "tst_eradate.moc"
