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

const QString ListColumns = QStringLiteral("年度\tファイル\t頭数\t期末棚卸計\tSHA-256");

// Only the names the program gives its years: a stray "cowdata13 (copy).mdb" is no year.
QStringList yearFiles() {
    static const QRegularExpression yearName(QStringLiteral("^cowdata[0-9]{1,2}\\.mdb$"));
    QStringList names = QDir::current().entryList(QDir::Files, QDir::Name);
    names.removeIf([](const QString &n) { return !yearName.match(n).hasMatch(); });
    return names;
}

// One year into folder: copied, checked, synced; its line of the list in *line.
QString saveYear(const QString &name, const QString &folder, const SavedBackup::Closing &closing,
                 QString *line) {
    QString error;
    const QString path = QDir(folder).filePath(name);
    {
        const auto source = YearFile::open(name, &error, true);
        if (!source) return error;
        const auto counts = Snapshot::counts(*source, &error);
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
    const QString sum = SavedBackup::sha256Of(path);
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
        QString(), ListColumns};
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
        // A stick turned read-only keeps a folder that holds everything but the check.
        if (!QDir(temporary).removeRecursively())
            why += QStringLiteral(
                       "\n書きかけのフォルダ %1 を消せませんでした。使わずに消してください。")
                       .arg(QDir::toNativeSeparators(temporary));
        return fail(why);
    }
    MORIVA_CHECKPOINT("saved backup renamed");
    // A stick pulled out now takes the new name with it. Whatever of the folder survives
    // is checked against its list before a restore offers it, so it is left alone.
    if (!Snapshot::sync(where, &why, true))
        return fail(why + QStringLiteral("\nフォルダ %1 が残っているか確かめられません。"
                                         "もう一度保存してください。")
                              .arg(QDir::toNativeSeparators(finalPath)));
    *saved = {finalPath, years};
    return true;
}

QString SavedBackup::sha256Of(const QString &path) {
    QFile f(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!f.open(QIODevice::ReadOnly) || !hash.addData(&f)) return {};
    return QString::fromLatin1(hash.result().toHex());
}

SavedBackup::List SavedBackup::readList(const QString &folder, QHash<QString, Listed> *years,
                                        QString *problem) {
    const QFileInfo info(QDir(folder).filePath(ListName));
    if (!info.exists() && !info.isSymLink()) return List::Missing;
    const auto unusable = [&](const QString &why) {
        *problem = QStringLiteral("このバックアップの %1 %2").arg(ListName, why);
        years->clear();
        return List::Unusable;
    };
    if (info.isSymLink())
        return unusable(QStringLiteral("はほかの場所を指すリンクなので、写しを確かめられません。"));
    QFile f(info.filePath());
    if (!info.isFile() || !f.open(QIODevice::ReadOnly))
        return unusable(QStringLiteral("が読めないので、写しを確かめられません。"));
    // Written with a BOM and CRLF; an editor that saved it again may have dropped either.
    QString text = QString::fromUtf8(f.readAll());
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    const qsizetype start = lines.indexOf(ListColumns);
    if (start < 0) return unusable(QStringLiteral("の形式が違うので、写しを確かめられません。"));
    for (qsizetype n = start + 1; n < lines.size(); ++n) {
        if (lines[n].isEmpty()) continue;
        const QStringList cells = lines[n].split(QLatin1Char('\t'));
        bool counted = false;
        const qint64 heads = cells.value(2).toLongLong(&counted);
        if (cells.size() != 5 || !counted || years->contains(cells[1]))
            return unusable(
                QStringLiteral("の %1 行目が読めないので、写しを確かめられません。").arg(n + 1));
        years->insert(cells[1], {heads, cells[4]});
    }
    return List::Read;
}
