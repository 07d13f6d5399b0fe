#include <QCoreApplication>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QtTest>

#include "FolderLock.h"
#include "Kit.h"
#include "OwnFiles.h"

namespace {

const QString Lock = OwnFiles::LockName;

// The lines a lock of this process holds: id, program, machine, machine id, boot id.
QList<QByteArray> ownLockLines() {
    QLockFile lock(QStringLiteral("probe.lock"));
    if (!lock.tryLock(0)) return {};
    const QByteArray bytes = bytesOf(QStringLiteral("probe.lock"));
    lock.unlock();
    return bytes.split('\n');
}

// The id of a process that has ended: this test program listing its functions.
qint64 deadProcessId() {
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("-functions")});
    if (!p.waitForStarted()) return 0;
    const qint64 pid = p.processId();
    p.waitForFinished();
    return pid;
}

}  // namespace

class TstFolderLock : public QObject {
    Q_OBJECT

  private slots:
    // A lock file a copy left behind when it was ended by force: every row but the
    // live one must let the next start in, or the farmer is locked out of his books.
    void leftBehind_data() {
        QTest::addColumn<QString>("left");  // how the lock file was left
        QTest::addColumn<bool>("takenOver");
        // Windows reuses ids soon (Wine after a restart hands out the same ones): the id
        // of the copy that died is now this one's.
        QTest::newRow("this process's id") << "own" << true;
        QTest::newRow("an ended process's id") << "dead" << true;
        QTest::newRow("empty: died before writing it") << "empty" << true;
        // Only the machine that wrote it can tell whether its owner lives; on Windows the
        // owner's open handle tells, and nobody holds this one.
        QTest::newRow("this id, written on another machine") << "other host" << onWindows;
        QTest::newRow("held by a live lock of this process") << "live" << false;
    }
    void leftBehind() {
        QFETCH(QString, left);
        QFETCH(bool, takenOver);
        WorkingFolder dir;
        QList<QByteArray> lines = ownLockLines();
        QVERIFY(lines.size() >= 3);
        if (left == "dead") lines[0] = QByteArray::number(deadProcessId());
        if (left == "other host") {
            lines[2] = "another-pc";
            if (lines.size() > 3) lines[3] = "another-pc-id";
        }
        if (left == "empty") lines.clear();
        QLockFile live(Lock);
        if (left == "live") {
            QVERIFY(live.tryLock(0));
        } else {
            QFile f(Lock);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(lines.join('\n'));
        }

        FolderLock lock(dir.path() + '/' + Lock);
        QCOMPARE(lock.tryHold(),
                 takenOver ? FolderLock::Outcome::Held : FolderLock::Outcome::HeldElsewhere);
        QCOMPARE(lock.isHeld(), takenOver);
        QVERIFY(QFile::exists(Lock));
        if (!takenOver) return;
        // Held now as a live copy holds it: a second one is kept out.
        FolderLock second(dir.path() + '/' + Lock);
        QCOMPARE(second.tryHold(), FolderLock::Outcome::HeldElsewhere);
    }
};

QTEST_GUILESS_MAIN(TstFolderLock)
#include "tst_folderlock.moc"
