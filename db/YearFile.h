#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <memory>

// One connection on one year file of the working folder, held by whoever opened it
// until it is destroyed. Opening never creates a file and refuses any file that is not
// one of ours, down to its schema: a trigger, view or index of anyone else's making, or
// one of ours changed, would run with the farmer's next save. Nothing is written to a
// refused file.
class YearFile {
  public:
    static constexpr int ApplicationId = 1297241665;  // 'MRVA'
    static constexpr int SchemaVersion = 3;

    // A bare file name in the working folder, checked page by page before it is used.
    // On failure returns nullptr and a Japanese message naming the file. A file of an
    // earlier version opened for writing is first brought up to this one: a backup, then
    // every step in one transaction; a file only read is left as it is, so what reads the
    // newer fields must allow for their absence. One that cannot be brought up (nothing
    // can be written where it is) is opened only to be read, once the farmer has been
    // told, and stays so for this run: the next run tries again.
    static std::shared_ptr<YearFile> open(const QString &fileName, QString *error,
                                          bool readOnly = false);
    ~YearFile();
    YearFile(const YearFile &) = delete;
    YearFile &operator=(const YearFile &) = delete;

    QSqlDatabase db() const;

    // Walks every page of the open file, as opening it did the first time: "" when
    // SQLite finds it sound, else what it found.
    QString damage() const;

    // Files this run has had walked need no walk when opened again, until something
    // other than this run changes them. A copy SQLite has just written whole (its
    // backup) is as sound as a commit; a file renamed by this run keeps its standing
    // when its stamp, taken just before the rename, shows nothing else touched it.
    static void writtenWhole(const QString &path);
    static QByteArray stamp(const QString &path);
    static void renamed(const QString &from, const QString &to, const QByteArray &before);
    const QString &fileName() const { return fileName_; }

    // Opened only to be read: by its caller's wish, or as an earlier version's file that
    // could not be brought up to this one.
    bool readOnly() const { return readOnly_; }

    // What a committed change touched, told by the store that made it, so that the one
    // following the file (the year's owner) reads again what depends on it.
    enum class Change { Calves, Expenses, Income, SaleData, All };
    void setFollower(std::function<void(Change)> follower) { follower_ = std::move(follower); }
    void announce(Change what) const {
        if (follower_) follower_(what);
    }
    // The file of the year the program works on, whose day's first change is preceded
    // by a backup. Set by the year's owner only.
    void setCurrent(bool current) { current_ = current; }
    bool isCurrent() const { return current_; }

    // Runs work inside one transaction: committed when it returns true, rolled back
    // otherwise. Database errors are turned into a Japanese message in *error.
    bool transaction(const std::function<bool(QString *error)> &work, QString *error);

    // Japanese messages for a failed statement on this file, with Qt's or SQLite's text
    // as the detail: failure() for a change (what: "保存", "削除", "書き込み"), which
    // says that nothing was saved; readFailure() for a read, which changes nothing.
    QString failure(const QString &what, const QString &detail) const;
    QString readFailure(const QString &detail) const;

  private:
    YearFile(QString connection, QString fileName, QString path, bool readOnly);
    bool upgrade(QString *error);
    QString connection_;
    QString fileName_;
    QString path_;  // absolute
    bool readOnly_;
    bool current_ = false;
    std::function<void(Change)> follower_;
};
