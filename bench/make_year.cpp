// Writes a generated year file into the current folder, with the pointer file naming
// it, so that a profiler can be run on the program over a register of any size:
//   make_year 32766 && valgrind --tool=callgrind .../startup_program
#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include "YearMaker.h"

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const int calves = argc > 1 ? QByteArray(argv[1]).toInt() : 32766;
    const QString name = QStringLiteral("cowdata30.mdb");
    QFile::remove(name);
    makeYear(name, calves);
    QFile pointer(QStringLiteral("cowdb.inf"));
    if (!pointer.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 1;
    pointer.write(name.toLatin1());
    std::printf("%s: %d calves\n", qPrintable(name), calves);
    return 0;
}
