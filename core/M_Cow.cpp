#include "M_Cow.h"

QString M_Cow::yearFileName(const QString &yearText)
{
    return QStringLiteral("cowdata") + yearText + QStringLiteral(".mdb");
}

QString M_Cow::yearOfFileName(const QString &fileName)
{
    const qsizetype dot = fileName.indexOf(QLatin1Char('.'));
    return dot >= 2 ? fileName.mid(dot - 2, 2) : QString();
}
