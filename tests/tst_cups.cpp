#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "Frm_Print.h"
#include "MsgBox.h"
#include "OnModal.h"
#include "PrinterSetup.h"
#include "ReportPreview.h"
#include "TestYear.h"

#ifdef Q_OS_WIN
#include "PrinterSetupWin.h"
#else
#include <pwd.h>
#include <unistd.h>
#endif

// The printer's stored default orientation on a real CUPS server with a cups-pdf queue,
// started here in a temporary folder: CUPS_SERVERROOT, CUPS_SERVER and HOME point into
// it, so nothing outside the test changes (as root, lpoptions is kept in the server root).
// On Windows (under Wine) the same queue is the default printer of Wine's spooler, started
// by scripts/package-windows.sh, and the setting is read back from the spooler.
class TstCups : public QObject {
    Q_OBJECT
    QTemporaryDir root_;
    QProcess cupsd_;

    QString path(const QString &name) const { return QDir(root_.path()).filePath(name); }
    static QString run(const QString &program, const QStringList &args) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAll()) +
               (p.exitCode() == 0 ? QString() : QStringLiteral(" [failed]"));
    }
    // The stored default as CUPS numbers it: "4" landscape, "3" portrait.
    QString stored() const {
#ifdef Q_OS_WIN
        short orientation = 0;
        std::string error;
        if (!DefaultPrinterOrientation(&orientation, &error)) return QStringLiteral("no printer");
        return orientation == 2 ? "4" : orientation == 1 ? "3" : "none";
#else
        const QString options = run("lpoptions", {"-p", "MorivaPDF"});
        const auto m = QRegularExpression("orientation-requested=(\\d)").match(options);
        return m.hasMatch() ? m.captured(1) : QStringLiteral("none");
#endif
    }
    // Where CUPS cannot be started the test is skipped; CI asks for it to fail instead.
    void unavailable(const QString &why) {
        if (qEnvironmentVariableIsSet("MORIVA_REQUIRE_CUPS")) QFAIL(qPrintable(why));
        QSKIP(
            qPrintable("CUPS cannot be started here, so the real-printer test is skipped: " + why));
    }

    static void addQueue() {
        QString added = run("lpadmin", {"-p", "MorivaPDF", "-E", "-v", "cups-pdf:/", "-P",
                                        "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"});
        added += run("lpadmin", {"-d", "MorivaPDF"});
        QVERIFY2(!added.contains("[failed]"), qPrintable(added + run("lpstat", {"-v"})));
    }

  private slots:
    void initTestCase() {
        MsgBox::setHeadless(true);
#ifdef Q_OS_WIN
        if (stored() == QLatin1String("no printer"))
            unavailable(
                "Wine's spooler has no default printer (scripts/package-windows.sh "
                "starts a CUPS server with a cups-pdf queue before the tests)");
        return;
#endif
        const QString cupsdPath = QStandardPaths::findExecutable("cupsd", {"/usr/sbin", "/sbin"});
        if (cupsdPath.isEmpty() || !QFile::exists("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"))
            return unavailable(
                "cupsd or the cups-pdf driver is not installed (Debian cups, "
                "printer-driver-cups-pdf)");
        for (const char *d : {"spool", "cache", "state", "tmp", "log", "ppd"})
            QDir(root_.path()).mkpath(d);
        QFile conf(path("cupsd.conf")), files(path("cups-files.conf"));
        if (!conf.open(QIODevice::WriteOnly) || !files.open(QIODevice::WriteOnly))
            return unavailable("cannot write the configuration");
        conf.write(QStringLiteral("Listen %1\nLogLevel warn\nBrowsing No\nWebInterface No\n"
                                  "<Location />\nOrder allow,deny\nAllow all\n</Location>\n")
                       .arg(path("cups.sock"))
                       .toUtf8());
        files.write(QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nCacheDir %1/cache\n"
                                   "StateDir %1/state\nTempDir %1/tmp\nErrorLog %1/log/error_log\n"
                                   "AccessLog %1/log/access_log\nPageLog %1/log/page_log\n")
                        .arg(root_.path())
                        .toUtf8());
        conf.close();
        files.close();
        QFile::setPermissions(root_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ReadGroup | QFile::ExeGroup |
                                                QFile::ReadOther | QFile::ExeOther);
        qputenv("CUPS_SERVERROOT", root_.path().toUtf8());
        qputenv("CUPS_SERVER", path("cups.sock").toUtf8());
        qputenv("HOME", root_.path().toUtf8());
        cupsd_.setProcessChannelMode(QProcess::MergedChannels);
        cupsd_.start(cupsdPath, {"-f", "-c", path("cupsd.conf"), "-s", path("cups-files.conf")});
        if (!cupsd_.waitForStarted(10000)) return unavailable(cupsd_.errorString());
        for (int i = 0; i < 100 && !run("lpstat", {"-r"}).contains("is running"); ++i) {
            if (cupsd_.state() != QProcess::Running)
                return unavailable(QString::fromUtf8(cupsd_.readAll()));
            QTest::qWait(100);
        }
        if (!run("lpstat", {"-r"}).contains("is running"))
            return unavailable("the scheduler does not answer");
    }
    void cleanupTestCase() {
        if (cupsd_.state() == QProcess::Running) {
            cupsd_.terminate();
            if (!cupsd_.waitForFinished(10000)) cupsd_.kill();
        }
    }

    void storedDefaultFollowsTheButtons() {
#ifndef Q_OS_WIN
        QString detail;
        QVERIFY(!PrinterSetup::current().SetPrinterOrientation(PrinterSetup::Landscape, &detail));

        addQueue();
#endif

        TestYear year;
        year.exec("INSERT INTO T_Cow (No, Syori, Hiikutuki, Kisyu) VALUES (1, 2, 12, 1000)");
        QStringList seen;  // the stored default while each preview is open
        ReportPreview::setShownHook([&](QDialog *preview, const Report::Document &) {
            seen << stored();
            preview->reject();
        });
        QPointer<Frm_Print> w = new Frm_Print(theYear());
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::mouseClick(w->findChild<QPushButton *>("cmd_Tanaorosi"), Qt::LeftButton);
        const QString afterInventory = stored();
        QTest::mouseClick(w->findChild<QPushButton *>("cmd_Meisai"), Qt::LeftButton);
        QTest::mouseClick(w->findChild<QPushButton *>("cmd_Tanaorosi"), Qt::LeftButton);
        w->close();
        QTRY_VERIFY(!w);
        QCOMPARE(seen, QStringList({"4", "3", "4"}));
        QCOMPARE(afterInventory, QStringLiteral("4"));
        QCOMPARE(stored(), QStringLiteral("3"));
        QCOMPARE(MsgBox::shown().size(), 0);
        ReportPreview::setShownHook(nullptr);
    }

    // The preview's print (Ctrl+P) on a queue that takes the job closes the preview
    // without a word; on one that refuses it, the farmer is told which printer said what,
    // the preview stays, and Ctrl+S saves the form as PDF from there.
    void printAnswer_data() {
        QTest::addColumn<QStringList>("queue");  // commands on MorivaPDF before printing
        QTest::addColumn<QString>("refusal");    // the print system's word; "" when printed
        QTest::newRow("accepting") << QStringList{"cupsaccept", "cupsenable"} << "";
        QTest::newRow("rejecting")
            << QStringList{"cupsreject"} << "server-error-not-accepting-jobs";
        QTest::newRow("stopped and rejecting")
            << QStringList{"cupsdisable", "cupsreject"} << "server-error-not-accepting-jobs";
        QTest::newRow("removed after the print dialog")
            << QStringList{"lpadmin -x"} << "server-error";
    }
    void printAnswer() {
#ifdef Q_OS_WIN
        QSKIP("Wine's spooler queue is set up outside the test");
#else
        QFETCH(QStringList, queue);
        QFETCH(QString, refusal);
        addQueue();
        TestYear year;
        year.exec("INSERT INTO T_Cow (No, Syori, Hiikutuki, Kisyu) VALUES (1, 2, 12, 1000)");
        const QString pdf = year.path() + "/saved.pdf";
        ReportPreview::setSavePathAnswer([&](const QString &) { return pdf; });
        bool stayed = false;
        ReportPreview::setShownHook([&](QDialog *preview, const Report::Document &) {
            // After the print dialog has read the printers, as a queue changes at any time.
            onModal([&](QWidget *dialog) {
                for (const QString &command : queue) {
                    const QStringList words = command.split(' ');
                    run(words[0], words.mid(1) << "MorivaPDF");
                }
                static_cast<QDialog *>(dialog)->accept();
            });
            QApplication::setActiveWindow(preview);
            QTest::keyClick(preview, Qt::Key_P, Qt::ControlModifier);
            stayed = preview->isVisible();
            QApplication::setActiveWindow(preview);
            if (stayed) QTest::keyClick(preview, Qt::Key_S, Qt::ControlModifier);
            preview->reject();
        });
        MsgBox::clearShown();
        Frm_Print w(theYear());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::mouseClick(w.findChild<QPushButton *>("cmd_Tanaorosi"), Qt::LeftButton);
        ReportPreview::setShownHook(nullptr);
        ReportPreview::setSavePathAnswer(nullptr);
        QCOMPARE(stayed, !refusal.isEmpty());
        if (refusal.isEmpty()) {
            QCOMPARE(MsgBox::shown().size(), 0);
            // cups-pdf writes into the PDF folder of the job owner's home, from the
            // password file: the test's HOME is not the backend's.
            auto jobs = QRegularExpression("MorivaPDF-(\\d+)")
                            .globalMatch(run("lpstat", {"-W", "all", "-o"}));
            QString job;
            while (jobs.hasNext()) job = jobs.next().captured(1);
            QVERIFY(!job.isEmpty());
            QDir out(QString::fromLocal8Bit(getpwuid(getuid())->pw_dir) + "/PDF");
            const QStringList made{"*-job_" + job + ".pdf"};
            QTRY_COMPARE_WITH_TIMEOUT(out.entryList(made).size(), 1, 30000);
            QVERIFY(QFile::remove(out.filePath(out.entryList(made)[0])));
            return;
        }
        QCOMPARE(MsgBox::shown().size(), 1);
        const QString said = MsgBox::shown()[0].text;
        QVERIFY2(said.startsWith("プリンタ「MorivaPDF」が印刷を受け付けませんでした。"),
                 qPrintable(said));
        QVERIFY2(said.contains(refusal) && said.contains("PDFに保存"), qPrintable(said));
        QVERIFY(QFileInfo(pdf).size() > 0);
#endif
    }
};

QTEST_MAIN(TstCups)
#include "tst_cups.moc"
