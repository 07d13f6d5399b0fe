#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <algorithm>

// Makes, inside root, a folder whose full path (as SQLite sees it: links resolved) is
// exactly bytes long in UTF-8, named with the character unit in components short enough
// for any file system (ASCII "x" pads what unit cannot fill). "" when it cannot be made.
inline QString longFolder(const QString &root, qsizetype bytes, const QString &unit = "x") {
    QString path = QFileInfo(root).canonicalFilePath();
    const qsizetype unitBytes = unit.toUtf8().size();
    for (qsizetype left; (left = bytes - path.toUtf8().size() - 1) > 0;) {  // 1: the "/"
        qsizetype take = std::min<qsizetype>(left, 200) / unitBytes;
        if (left > 200 && left - take * unitBytes < 2) --take;  // room for one more "/x"
        const qsizetype pad = left <= 200 ? left - take * unitBytes : 0;
        path += QLatin1Char('/') + unit.repeated(take) + QString(pad, QLatin1Char('x'));
    }
    return path.toUtf8().size() == bytes && QDir().mkpath(path) ? path : QString();
}
