#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "Frm_Wk.h"
#include "YearFile.h"

// The year the program works on, for the whole run: its open file, its year text and
// its totals. Made once at start-up and handed to the windows when they are made. A
// year switch, rollover, restore or data clear changes the year through it alone; a
// window left open sees the change when it next asks for file(). The stores tell it
// what they changed on its file, and it reads again the totals that depend on that, in
// the order the program always has.
class CurrentYear : public QObject {
    Q_OBJECT
  public:
    explicit CurrentYear(QObject *parent = nullptr);
    ~CurrentYear() override;

    // The work totals; nullptr while no year is open.
    Frm_Wk *wk() const { return wk_.get(); }
    bool isOpen() const { return wk_ != nullptr; }
    // "cowdata13.mdb": the year last opened, kept while the file is closed for a restore;
    // "" before any.
    const QString &fileName() const { return fileName_; }
    // The year as the forms read it ("13"); "" while no year is open.
    QString text() const { return wk_ ? wk_->t_Nendo : QString(); }
    // The open file, shared with the windows on this year; nullptr while none.
    std::shared_ptr<YearFile> file() const { return wk_ ? wk_->file() : nullptr; }

    // Why there is nothing to work on while no year is open.
    static QString notOpen() { return QStringLiteral("集計データが読み込まれていません。"); }

    // Makes fileName the year. Its totals are read first: a failure leaves the program on
    // the year it had, with the message in *error.
    bool open(const QString &fileName, QString *error);
    // The same year's file opened again, after a restore replaced it.
    bool reopen(QString *error) { return open(fileName_, error); }
    // Makes totals read beforehand (Frm_Wk::prepare) the year: one that must only be
    // taken once something else (the pointer file) has been written for it.
    void install(std::unique_ptr<Frm_Wk> wk);
    // No year: the file is closed, so that it can be replaced; fileName() stays.
    void close();

    // Reads the totals that depend on what changed; a source that cannot be read is told
    // the farmer (MsgText::tell), and the others are still read.
    void follow(YearFile::Change what);
    // Reads these sources of the totals again, in this order, as follow() does: for a
    // window whose own rule re-reads them (the ledgers, as they close).
    void reread(const QList<Frm_Wk::Source> &sources);

  private:
    void take(std::unique_ptr<Frm_Wk> wk);
    std::unique_ptr<Frm_Wk> wk_;
    QString fileName_;
};
