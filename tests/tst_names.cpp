#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QStringDecoder>
#include <QtTest>

#include "Binding.h"
#include "Clock.h"
#include "CowCsv.h"
#include "Frm_Cow.h"
#include "MsgBox.h"
#include "TestYear.h"
#include "YearFile.h"

namespace {

// The calf's name as the file holds it; empty, with a failure, unless it is valid UTF-8.
QString storedName(const TestYear &year) {
    const QByteArray bytes = QByteArray::fromHex(
        year.value(QStringLiteral("SELECT hex(CAST(Name AS BLOB)) FROM T_Cow")).toByteArray());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString name = utf8(bytes);
    if (utf8.hasError() || name.contains(QChar::ReplacementCharacter) || name.toUtf8() != bytes) {
        QTest::qFail(qPrintable(QStringLiteral("not UTF-8: ") + QString::fromLatin1(bytes.toHex())),
                     __FILE__, __LINE__);
        return {};
    }
    return name;
}

const QString Thumb = QStringLiteral("👍");
const QString Dakuten = QStringLiteral("か\u3099");

}  // namespace

// Names pasted into the calf editor or read from a CSV file: stored as valid UTF-8, read
// as they are stored, and never cut without the farmer seeing it.
class TstNames : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        MsgBox::setHeadless(true);
        Clock::setToday(QDate(2001, 8, 15));
    }
    void init() { MsgBox::clearShown(); }

    void pastedIntoTheEditor_data() {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<bool>("inputMethod");  // committed by the input method, not pasted
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("fits");  // of a refused paste: where the marked rest starts
        QTest::newRow("300 emoji") << Thumb.repeated(300) << false << Thumb.repeated(255) << 510;
        QTest::newRow("10,000 characters")
            << QString(10000, u'あ') << false << QString(255, u'あ') << 255;
        QTest::newRow("dakuten across the limit")
            << QString(254, u'あ') + Dakuten << false << QString(254, u'あ') << 254;
        QTest::newRow("255 emoji fit") << Thumb.repeated(255) << false << Thumb.repeated(255) << -1;
        QTest::newRow("right-to-left override")
            << QStringLiteral("evil\u202Eend") << false << QStringLiteral("evilend") << -1;
        QTest::newRow("override from the input method")
            << QStringLiteral("\u2067はなこ\u2069") << true << QStringLiteral("はなこ") << -1;
        QTest::newRow("half a pair from the input method")
            << QStringLiteral("はな") + QChar(0xD83D) << true << QStringLiteral("はな") << -1;
    }
    void pastedIntoTheEditor() {
        QFETCH(QString, pasted);
        QFETCH(bool, inputMethod);
        QFETCH(QString, stored);
        QFETCH(int, fits);
        TestYear year;
        auto *ed = new Frm_Cow(theYear(), std::nullopt);
        ed->setAttribute(Qt::WA_DeleteOnClose);
        ed->show();
        QVERIFY(QTest::qWaitForWindowActive(ed));
        ed->findChild<QLineEdit *>(QStringLiteral("t_No"))->setText(QStringLiteral("1"));
        ed->findChild<QLineEdit *>(QStringLiteral("t_I_Date"))->setText(QStringLiteral("H13/4/1"));
        auto *name = ed->findChild<QLineEdit *>(QStringLiteral("t_Name"));
        QVERIFY(name->toolTip().contains(QStringLiteral("255 文字")));
        name->setFocus();
        if (inputMethod) {
            QInputMethodEvent commit;
            commit.setCommitString(pasted);
            QApplication::sendEvent(name, &commit);
        } else {
            QGuiApplication::clipboard()->setText(pasted);
            QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
        }
        ed->cmd_New_Click();
        if (fits >= 0) {
            // Refused: the whole paste stays, what does not fit is marked, nothing is written.
            QCOMPARE(MsgBox::shown().size(), 1);
            QVERIFY2(
                MsgBox::shown().first().text.contains(QStringLiteral("「子牛名前」は 255 文字")),
                qPrintable(MsgBox::shown().first().text));
            QCOMPARE(name->text(), pasted);
            QCOMPARE(ed->focusWidget(), name);
            QCOMPARE(name->selectionStart(), fits);
            QCOMPARE(name->selectedText(), pasted.mid(fits));
            QCOMPARE(year.value(QStringLiteral("SELECT count(*) FROM T_Cow")).toInt(), 0);
            // One key takes the marked rest away, and the rest is stored whole.
            QTest::keyClick(name, Qt::Key_Delete);
            ed->cmd_New_Click();
        }
        QCOMPARE(MsgBox::shown().size(), fits >= 0 ? 1 : 0);
        QCOMPARE(storedName(year), stored);
        ed->close();
    }

    void importedFromCsv_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("refusal");  // how the row's refusal ends, if refused
        QTest::newRow("right-to-left override")
            << QStringLiteral("evil\u202Eend") << "" << QStringLiteral("evilend") << "";
        QTest::newRow("zero width space and BOM")
            << QStringLiteral("は\u200Bな\uFEFFこ") << "" << QStringLiteral("はなこ") << "";
        QTest::newRow("255 emoji") << Thumb.repeated(255) << "" << Thumb.repeated(255) << "";
        QTest::newRow("dakuten kept") << Dakuten << "" << Dakuten << "";
        QTest::newRow("300 emoji quoted whole") << Thumb.repeated(300) << ""
                                                << ""
                                                << QStringLiteral("（300 文字あります）。（") +
                                                       Thumb.repeated(40) + QStringLiteral("…）");
        QTest::newRow("status name quoted without its override")
            << QStringLiteral("a") << QStringLiteral("\u202E売った") + Thumb.repeated(50) << ""
            << QStringLiteral("（売った") + Thumb.repeated(37) + QStringLiteral("…）。");
    }
    void importedFromCsv() {
        QFETCH(QString, name);
        QFETCH(QString, status);
        QFETCH(QString, stored);
        QFETCH(QString, refusal);
        TestYear year;
        const QString csv =
            QStringLiteral("No,子牛名前,導入・種付年月日,処理名\r\n1,\"%1\",H13/4/1,%2\r\n")
                .arg(name, status);
        CowCsv::Import imp;
        QString error;
        QVERIFY2(CowCsv::read("\xEF\xBB\xBF" + csv.toUtf8(), {}, &imp, &error), qPrintable(error));
        if (!refusal.isEmpty()) {
            QCOMPARE(imp.refused.size(), 1);
            const QString reason = imp.refused.first().reason;
            QVERIFY2(reason.endsWith(refusal), qPrintable(reason));
            QCOMPARE(Binding::plainText(reason), reason);
            return;
        }
        QCOMPARE(imp.refused.size(), 0);
        auto file = YearFile::open(theYear().fileName(), &error);
        QVERIFY2(file && CowCsv::write(*file, imp.calves, &error), qPrintable(error));
        QCOMPARE(storedName(year), stored);
    }
};

QTEST_MAIN(TstNames)
#include "tst_names.moc"
