#include "PointerFile.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "M_Cow.h"
#include "MsgText.h"

namespace {

const QString folderInTheWay = QStringLiteral("%1 はファイルではなくフォルダです。");

}  // namespace

PointerFile::Read ReadCurrentYear(QString *fileName, QString *problem, const QString &folder) {
    using PointerFile::Read;
    QFile file(folder.isEmpty() ? PointerFile::Name : QDir(folder).filePath(PointerFile::Name));
    if (!file.exists()) return Read::Unusable;
    if (QFileInfo(file).isDir()) {
        *problem = folderInTheWay.arg(PointerFile::Name);
        return Read::Unreadable;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = MsgText::withDetail(
            QStringLiteral("%1 を読み込めません。").arg(PointerFile::Name), file.errorString());
        return Read::Unreadable;
    }
    QByteArray line = file.readLine(4096);
    while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);

    const QString name = QString::fromLocal8Bit(line);
    const bool bare =
        !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
        !name.contains(QLatin1Char(':')) && std::none_of(name.begin(), name.end(), [](QChar c) {
            return c.category() == QChar::Other_Control || c == QChar::ReplacementCharacter;
        });
    if (!bare) {
        *problem = QStringLiteral("%1 の内容がファイル名として読めません。").arg(PointerFile::Name);
        return Read::Unreadable;
    }
    if (M_Cow::yearOfFileName(name).isEmpty()) return Read::Unusable;
    *fileName = name;
    return Read::Ok;
}

bool WritePointerFile(const QString &fileName, QString *error) {
    QSaveFile file(PointerFile::Name);
    // Unbuffered: a buffered write to a full disk fails only when the buffer is flushed
    // inside commit(), which then still renamed an empty file over cowdb.inf and
    // reported success.
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const QByteArray line = fileName.toLocal8Bit();
        if (file.write(line) == line.size() && file.commit()) return true;
        file.cancelWriting();
    }
    *error =
        QFileInfo(PointerFile::Name).isDir()
            ? folderInTheWay.arg(PointerFile::Name)
            : MsgText::withDetail(QStringLiteral("%1 を書き込めません。").arg(PointerFile::Name),
                                  file.errorString());
    return false;
}
