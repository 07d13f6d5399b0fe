#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "Frm_Main.h"
#include "Frm_Wk.h"
#include "Help.h"
#include "M_Cow.h"
#include "MsgBox.h"
#include "OnModal.h"
#include "WindowTest.h"
#include "YearFiles.h"

class TstMainMenu : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowTest> year_;
    std::unique_ptr<Frm_Main> main_;
    QPushButton *button(const QString &name) const { return main_->findChild<QPushButton *>(name); }

  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() {
        year_ = std::make_unique<WindowTest>();
        main_ = std::make_unique<Frm_Main>(theYear());
        main_->show();
        QVERIFY(QTest::qWaitForWindowActive(main_.get()));
    }
    void cleanup() {
        main_.reset();
        year_.reset();
    }

    void buttons_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tip");
        QTest::newRow("cmd_Cow") << "子牛登録"
                                 << "子牛情報の登録";
        QTest::newRow("cmd_Proseed") << "収入登録"
                                     << "収入情報の登録";
        QTest::newRow("cmd_Cost") << "経費登録"
                                  << "経費情報の登録";
        QTest::newRow("cmd_Print") << "印刷"
                                   << "棚卸表・明細書の印刷";
        QTest::newRow("cmd_Year") << "年度設定"
                                  << "年度更新処理";
        QTest::newRow("cmd_End") << "終了"
                                 << "";
    }
    void buttons() {
        QFETCH(QString, caption);
        QFETCH(QString, tip);
        QPushButton *b = button(QTest::currentDataTag());
        QVERIFY(b && b->isVisible() && b->isEnabled());
        QCOMPARE(b->text(), caption);
        QCOMPARE(b->toolTip(), tip);
        // The help page names every button, so a renamed one would leave it behind.
        QVERIFY(QString::fromUtf8(bytesOf(":/moriva/help/index.htm")).contains(caption));
    }

    void arrowKeys_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("to");
        QTest::newRow("Down: next") << "cmd_Cow" << int(Qt::Key_Down) << "cmd_Proseed";
        QTest::newRow("Right: next") << "cmd_Proseed" << int(Qt::Key_Right) << "cmd_Cost";
        QTest::newRow("Up: previous") << "cmd_Print" << int(Qt::Key_Up) << "cmd_Cost";
        QTest::newRow("Left: previous") << "cmd_Year" << int(Qt::Key_Left) << "cmd_Print";
        QTest::newRow("Down from the last") << "cmd_End" << int(Qt::Key_Down) << "cmd_Cow";
        QTest::newRow("Right from the last") << "cmd_End" << int(Qt::Key_Right) << "cmd_Cow";
        QTest::newRow("Up from the first") << "cmd_Cow" << int(Qt::Key_Up) << "cmd_End";
        QTest::newRow("Left from the first") << "cmd_Cow" << int(Qt::Key_Left) << "cmd_End";
    }
    void arrowKeys() {
        QFETCH(QString, from);
        QFETCH(int, key);
        QFETCH(QString, to);
        QCOMPARE(QApplication::focusWidget(), button("cmd_Cow"));
        button(from)->setFocus();
        QTest::keyClick(button(from), Qt::Key(key));
        QCOMPARE(QApplication::focusWidget(), button(to));
        QCOMPARE(MsgBox::shown().size(), 0);
    }

    void closing_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("confirm");
        QTest::newRow("Enter on 終了, OK") << "enter" << true;
        QTest::newRow("Shift+Enter on 終了, Cancel") << "shift-enter" << false;
        QTest::newRow("menu 終了, OK") << "menu" << true;
        QTest::newRow("menu 終了, Cancel") << "menu" << false;
        QTest::newRow("window closed, OK") << "close" << true;
        QTest::newRow("window closed, Cancel") << "close" << false;
    }
    void closing() {
        QFETCH(QString, how);
        QFETCH(bool, confirm);
        MsgBox::queueAnswer(confirm ? MsgBox::Answer::Ok : MsgBox::Answer::Cancel);
        if (how == "enter") QTest::keyClick(button("cmd_End"), Qt::Key_Return);
        if (how == "shift-enter")
            QTest::keyClick(button("cmd_End"), Qt::Key_Return, Qt::ShiftModifier);
        if (how == "menu") main_->findChild<QAction *>("mnu_Exit")->trigger();
        if (how == "close") main_->close();
        QCOMPARE(shownBoxes(), QStringLiteral("終了|終了します。よろしいですか？|OK/Cancel") +
                                   (confirm ? "" : "\nエラー|すべてのフォームを閉じてください。"));
        QCOMPARE(main_->isVisible(), !confirm);
        QCOMPARE(theYear().wk() != nullptr, !confirm);
    }

    // A restore or the exit closes the ledgers: typing left in one is the farmer's to give
    // up, and a Cancel keeps every window as it was.
    void programClosingAsksAboutTyping_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("typedIn");  // "Cost Proseed": both opened, typed in
        QTest::addColumn<QString>("answers");  // one letter a question: O(K) or C(ancel)
        QTest::addColumn<QString>("asked");    // the windows whose typing was asked about
        QTest::addColumn<bool>("closed");
        const auto row = [](const char *tag, const char *how, const char *typedIn,
                            const char *answers, const char *asked, bool closed) {
            QTest::newRow(tag) << QString(how) << QString(typedIn) << QString(answers)
                               << QString::fromUtf8(asked) << closed;
        };
        row("restore, expenses typed, Cancel", "restore", "Cost", "C", "経費登録", false);
        row("restore, expenses typed, OK", "restore", "Cost", "O", "経費登録", true);
        row("restore, nothing typed", "restore", "", "", "", true);
        row("restore, both typed, Cancel on the second", "restore", "Cost Proseed", "OC",
            "経費登録 収入登録", false);
        // The first answer is the exit's own question.
        row("exit, income typed, Cancel", "exit", "Proseed", "OC", "収入登録", false);
        row("exit, income typed, OK", "exit", "Proseed", "OO", "収入登録", true);
    }
    void programClosingAsksAboutTyping() {
        QFETCH(QString, how);
        QFETCH(QString, typedIn);
        QFETCH(QString, answers);
        QFETCH(QString, asked);
        QFETCH(bool, closed);
        QList<QPointer<QWidget>> ledgers;
        for (const QString &form : {QStringLiteral("Cost"), QStringLiteral("Proseed")}) {
            button("cmd_" + form)->click();
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->objectName() == "Frm_" + form) ledgers << w;
            QVERIFY(QTest::qWaitForWindowActive(ledgers.last()));
            if (typedIn.contains(form))
                QTest::keyClicks(ledgers.last()->findChild<QLineEdit *>("t_Zatu"), "7777777");
        }
        main_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main_.get()));
        for (QChar a : answers)
            MsgBox::queueAnswer(a == 'O' ? MsgBox::Answer::Ok : MsgBox::Answer::Cancel);
        bool restoreShown = false;
        QTimer poll;  // its own, not onModal's: a restore refused leaves no dialog to find
        connect(&poll, &QTimer::timeout, this, [&] {
            if (QWidget *w = QApplication::activeModalWidget()) {
                restoreShown = w->objectName() == "Frm_Restore";
                w->close();
            }
        });
        if (how == "restore") {
            poll.start(10);
            main_->findChild<QAction *>("mnu_Restore")->trigger();
        } else {
            main_->close();
        }
        QStringList questions;
        for (const MsgBox::Shown &s : MsgBox::shown())
            if (s.text.startsWith(s.title + " に保存していない入力があります。"))
                questions << s.title;
        QCOMPARE(questions.join(' '), asked);
        for (const QPointer<QWidget> &w : ledgers) {
            QCOMPARE(!w || !w->isVisible(), closed);
            if (w && typedIn.contains(w->objectName().mid(4)))
                QCOMPARE(w->findChild<QLineEdit *>("t_Zatu")->text(), QStringLiteral("7777777"));
        }
        if (how == "restore") QCOMPARE(restoreShown, closed);
        if (how == "exit") QCOMPARE(theYear().wk() == nullptr, closed);
        for (const QPointer<QWidget> &w : ledgers) delete w;
    }

    void menus_data() {
        QTest::addColumn<QString>("caption");
        QTest::newRow("mnu_File") << "ﾌｧｲﾙ(&F)";
        QTest::newRow("mnu_DataClr") << "データクリア(&C)";
        QTest::newRow("mnu_Exit") << "終了(&X)";
        QTest::newRow("mnu_Help") << "ヘルプ(&H)";
        QTest::newRow("mnu_Rerese") << "このソフトについて(&C)";
        QTest::newRow("mnu_About") << "バージョン情報(&A)";
    }
    void menus() {
        QFETCH(QString, caption);
        const QString name = QTest::currentDataTag();
        auto *menu = main_->findChild<QMenu *>(name);
        auto *action = menu ? menu->menuAction() : main_->findChild<QAction *>(name);
        QVERIFY2(action, qPrintable(name));
        QCOMPARE(action->text(), caption);
        QVERIFY(action->isVisible() && action->isEnabled());
    }

    void about() {
        QStringList seen;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto *about = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!about) return;
            poll.stop();
            seen << about->objectName() << about->windowTitle()
                 << about->findChild<QLabel *>("lblVersion")->text();
            QVERIFY(!about->findChild<QLabel *>("picIcon")->pixmap().isNull());
            about->findChild<QPushButton *>("cmdSysInfo")->click();
            QVERIFY(about->isVisible());
            QTest::keyClick(about, Qt::Key_Return);  // OK is the default button
            if (about->isVisible()) about->reject();
        });
        poll.start(10);
        main_->findChild<QAction *>("mnu_About")->trigger();
        QCOMPARE(seen, (QStringList{"frmAbout", "Moriva" + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"),
                                    "ﾊﾞｰｼﾞｮﾝ " MORIVA_PROJECT_VERSION}));
        QCOMPARE(shownBoxes(), QStringLiteral("Moriva|現時点ではｼｽﾃﾑ情報を使用できません"));
        QVERIFY(main_->isVisible());
    }

    void helpPage() {
        // Without a page in the working folder, the carried one is written out elsewhere;
        // an older copy there is replaced.
        const QByteArray carried = bytesOf(":/moriva/help/index.htm");
        QVERIFY(carried.contains("<html"));
        QString error;
        const QString copy = Help::page(&error);
        QVERIFY2(QFileInfo(copy).isAbsolute() && !copy.startsWith(QDir::currentPath()),
                 qPrintable(copy + error));
        QFile stale(copy);
        QVERIFY(stale.open(QIODevice::WriteOnly) && stale.write("old") == 3);
        stale.close();
        QCOMPARE(Help::page(&error), copy);
        QCOMPARE(bytesOf(copy), carried);

        QVERIFY(QDir::current().mkdir("help"));
        QFile own("help/index.htm");
        QVERIFY(own.open(QIODevice::WriteOnly) && own.write("<p>farm's own</p>") > 0);
        own.close();
        QCOMPARE(Help::page(&error), QDir::current().absoluteFilePath("help/index.htm"));
        QCOMPARE(bytesOf("help/index.htm"), QByteArray("<p>farm's own</p>"));
    }
    // The help page reaches the farmer even without a browser: xdg-open's own answer
    // counts, and the page then opens in a window of the program's.
    void helpWithoutBrowser_data() {
        QTest::addColumn<QString>("opener");  // xdg-open's script; empty: there is none
        QTest::addColumn<bool>("seam");       // the test seam says there is no browser
        QTest::addColumn<bool>("window");
#ifndef Q_OS_WIN  // Windows asks its shell, not xdg-open: only the seam applies there
        QTest::newRow("a browser started") << "exit 0" << false << false;
        QTest::newRow("xdg-open finds no browser") << "exit 3" << false << true;
        QTest::newRow("no xdg-open") << "" << false << true;
#endif
        QTest::newRow("no browser, by the seam") << "exit 0" << true << true;
    }
    void helpWithoutBrowser() {
        QFETCH(QString, opener);
        QFETCH(bool, seam);
        QFETCH(bool, window);
        QVERIFY(QDir::current().mkdir("bin"));
        if (!opener.isEmpty()) {
            QFile script("bin/xdg-open");
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write("#!/bin/sh\n" + opener.toUtf8() + "\n");
            script.setPermissions(script.permissions() | QFile::ExeOwner);
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QDir::current().absoluteFilePath("bin").toUtf8());
        if (seam) Help::setBrowser([](const QString &) { return false; });
        main_->findChild<QAction *>("mnu_Rerese")->trigger();
        main_->findChild<QAction *>("mnu_Rerese")->trigger();  // brings the same window up
        Help::setBrowser({});
        qputenv("PATH", path);
        QCOMPARE(shownBoxes(), QString());
        QList<QWidget *> helps;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == "Help" && w->isVisible()) helps << w;
        QCOMPARE(helps.size(), window ? 1 : 0);
        if (!window) return;
        QCOMPARE(helps[0]->windowTitle(), QStringLiteral("Moriva ヘルプ"));
        auto *text = helps[0]->findChild<QTextBrowser *>();
        QString error;
        QCOMPARE(text->source(), QUrl::fromLocalFile(Help::page(&error)));
        QVERIFY(text->toPlainText().contains("子牛一覧"));
        // A click on the data clear's link to the backups goes there.
        QTextCursor link(text->document());
        while (!link.atEnd() && link.charFormat().anchorHref() != "#backup")
            link.movePosition(QTextCursor::NextCharacter);
        QVERIFY(!link.atEnd());
        text->setTextCursor(link);
        text->ensureCursorVisible();
        const int before = text->verticalScrollBar()->value();
        QTest::mouseClick(text->viewport(), Qt::LeftButton, {},
                          text->cursorRect(link).center() + QPoint(2, 0));
        QCOMPARE(text->source().fragment(), QStringLiteral("backup"));
        QVERIFY(text->verticalScrollBar()->value() != before);
        QTest::keyClick(text, Qt::Key_Escape);
        QVERIFY(!helps[0]->isVisible());
    }

    // A box is at least as wide as its title and the frame's buttons beside it.
    void boxWidth_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("data clear") << "初期化"
                                    << "データクリア終了";
        QTest::newRow("long title, short text") << "年度のファイルを作れませんでした"
                                                << "OK";
    }
    void boxWidth() {
        QFETCH(QString, title);
        QFETCH(QString, text);
        int width = 0;
        withRealBoxes([&] { MsgBox::show(main_.get(), text, title); },
                      [&](QWidget *box) { width = box->width(); });
        QFont bold = main_->font();
        bold.setBold(true);
        const QFontMetrics metrics(bold);
        QVERIFY2(width >= metrics.horizontalAdvance(title) + 4 * metrics.height(),
                 qPrintable(QString::number(width)));
    }
};

QTEST_MAIN(TstMainMenu)
#include "tst_mainmenu.moc"
