// The pointer-file reader on any file content: what it accepts is a bare file name in
// the working folder, with the year start-up cuts from it.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "Check.h"
#include "M_Cow.h"
#include "PointerFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static QTemporaryDir dir;
    static const bool entered = QDir::setCurrent(dir.path());
    FUZZ_CHECK(entered, "working folder");
    {
        QFile file(PointerFile::Name);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "write cowdb.inf");
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    QString name, problem;
    const auto read = ReadCurrentYear(&name, &problem);
    if (read == PointerFile::Read::Unreadable) FUZZ_CHECK(!problem.isEmpty(), "says why");
    if (read != PointerFile::Read::Ok) {
        FUZZ_CHECK(name.isEmpty(), "a refused name is not handed on");
        return 0;
    }

    FUZZ_CHECK(!name.isEmpty() && name != QLatin1String(".") && name != QLatin1String(".."),
               "a name");
    for (QChar c : name) {
        FUZZ_CHECK(c != QLatin1Char('/') && c != QLatin1Char('\\') && c != QLatin1Char(':'),
                   "no folder or drive");
        FUZZ_CHECK(c.category() != QChar::Other_Control && c != QChar::ReplacementCharacter &&
                       c != QChar::Null,
                   "no control character");
    }
    FUZZ_CHECK(QFileInfo(QDir::current(), name).absolutePath() == QDir::currentPath(),
               "stays in the working folder");
    FUZZ_CHECK(M_Cow::yearOfFileName(name).size() == 2, "a year in the name");
    return 0;
}
