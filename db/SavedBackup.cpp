#include "SavedBackup.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include "Amount.h"
#include "Checkpoint.h"
#include "Clock.h"
#include "M_Cow.h"
#include "MsgText.h"
#include "OwnFiles.h"
#include "PathLimit.h"
#include "PointerFile.h"
#include "Snapshot.h"
#include "YearFile.h"

namespace {

// Only the names the program gives its years: a stray "cowdata13 (copy).mdb" is no year.
QStringList yearFiles() {
    static const QRegularExpression yearName(QStringLiteral("^cowdata[0-9]{1,2}\\.mdb$"));
    QStringList names = QDir::current().entryList(QDir::Files, QDir::Name);
    names.removeIf([](const QString &n) { return !yearName.match(n).hasMatch(); });
    return names;
}

QString sha256Of(const QString &path) {
    QFile f(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!f.open(QIODevice::ReadOnly) || !hash.addData(&f)) return {};
    return QString::fromLatin1(hash.result().toHex());
}

// One year into folder: copied, checked, synced; its line of the list in *line.
QString saveYear(const QString &name, const QString &folder, const SavedBackup::Closing &closing,
                 QString *line) {
    QString error;
    const QString path = QDir(folder).filePath(name);
    {
        const auto source = YearFile::open(name, &error, true);
        if (!source) return error;
        const auto counts = Snapshot::counts(*source, QStringLiteral("1"), &error);
        if (!counts || !Snapshot::copy(*source, path, &error)) return error;
        MORIVA_CHECKPOINT("saved backup year copied");
        const auto copy = YearFile::open(path, &error, true);
        if (!copy) return error;
        if (const QString bad = Snapshot::check(*copy, *counts); !bad.isEmpty()) return bad;
        const std::optional<qint64> closingTotal = closing ? closing(copy) : std::nullopt;
        *line = QStringList{M_Cow::yearOfFileName(name), name, QString::number((*counts)[0]),
                            closingTotal ? Amount::format(*closingTotal)
                                         : QStringLiteral("計算できません")}
                    .join(QLatin1Char('\t'));
    }
    if (!Snapshot::sync(path, &error)) return error;
    const QString sum = sha256Of(path);
    if (sum.isEmpty()) return QStringLiteral("%1 の写しを読み返せません。").arg(name);
    *line += QLatin1Char('\t') + sum;
    return {};
}

QString writeList(const QString &path, const QStringList &lines) {
    QFile f(path);
    const QByteArray text = "\xEF\xBB\xBF" + lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size() || !f.flush())
        return QStringLiteral("%1 を書けません。\n詳細：%2")
            .arg(SavedBackup::ListName, f.errorString());
    f.close();
    QString error;
    return Snapshot::sync(path, &error) ? QString() : error;
}

// Fills the temporary folder; "" when every file in it is complete and checked.
QString fill(const QString &folder, const SavedBackup::Closing &closing, const QString &made,
             int *years) {
    QStringList lines = {
        QStringLiteral("Moriva バックアップ %1").arg(made),
        QStringLiteral("作業フォルダ：%1").arg(QDir::toNativeSeparators(QDir::currentPath())),
        QString(), QStringLiteral("年度\tファイル\t頭数\t期末棚卸計\tSHA-256")};
    const QStringList names = yearFiles();
    if (names.isEmpty()) return QStringLiteral("作業フォルダに年度のデータファイルがありません。");
    for (const QString &name : names) {
        QString line;
        if (const QString why = saveYear(name, folder, closing, &line); !why.isEmpty()) return why;
        lines << line;
    }
    *years = int(names.size());
    // The pointer file goes too: a restore onto a new PC then opens the same year.
    if (QFile::exists(PointerFile::Name)) {
        QFile pointer(PointerFile::Name);
        const QString to = QDir(folder).filePath(PointerFile::Name);
        QString error;
        if (!pointer.copy(to))
            return QStringLiteral("%1 を写せません。\n詳細：%2")
                .arg(PointerFile::Name, pointer.errorString());
        if (!Snapshot::sync(to, &error)) return error;
    }
    return writeList(QDir(folder).filePath(SavedBackup::ListName), lines);
}

}  // namespace

bool SavedBackup::save(const QString &target, const Closing &closing, Saved *saved,
                       QString *error) {
    const QString where = QFileInfo(target).absoluteFilePath();
    auto fail = [&](const QString &why) {
        *error = QStringLiteral("バックアップをフォルダ %1 に保存できませんでした。\n%2")
                     .arg(MsgText::fileLabel(where), why);
        return false;
    };
    if (const QString refused = OwnFiles::refusal(where); !refused.isEmpty()) {
        *error = refused;
        return false;
    }
    if (!QFileInfo(where).isDir()) return fail(QStringLiteral("フォルダが見つかりません。"));
    if (const QString why = Snapshot::unwritable(where); !why.isEmpty()) return fail(why);

    const QDateTime now(Clock::today(), QTime::currentTime());
    const QString base =
        QDir(where).filePath(Prefix + now.toString(QStringLiteral("yyyy-MM-dd-HHmm")));
    QString finalPath = base;
    for (int n = 2;
         QFileInfo::exists(finalPath) || QFileInfo::exists(Snapshot::temporaryPath(finalPath)); ++n)
        finalPath = base + QStringLiteral("-%1").arg(n);
    const QString temporary = Snapshot::temporaryPath(finalPath);
    // The longest name the folder will hold is a year file's journal.
    if (const QString tooLong = PathLimit::problem(temporary + QStringLiteral("/cowdata00.mdb"));
        !tooLong.isEmpty())
        return fail(QStringLiteral("保存先の場所が長すぎます。") + tooLong +
                    QStringLiteral("\nもっと短い名前のフォルダを選んでください。"));
    if (!QDir().mkdir(temporary)) return fail(QStringLiteral("フォルダを作れません。"));
    MORIVA_CHECKPOINT("saved backup folder made");

    int years = 0;
    QString why =
        fill(temporary, closing, now.toString(QStringLiteral("yyyy-MM-dd HH:mm")), &years);
    if (why.isEmpty() && Snapshot::sync(temporary, &why, true)) {
        MORIVA_CHECKPOINT("saved backup checked");
        if (!QDir().rename(temporary, finalPath))
            why =
                QStringLiteral("%1 の名前を変えられません。").arg(QFileInfo(temporary).fileName());
    }
    if (!why.isEmpty()) {
        QDir(temporary).removeRecursively();
        return fail(why);
    }
    Snapshot::sync(where, &why, true);  // the new name is there either way
    MORIVA_CHECKPOINT("saved backup renamed");
    *saved = {finalPath, years};
    return true;
}
