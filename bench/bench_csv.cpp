// Reading and importing a spreadsheet register: 100,000 rows read (most refused, the
// register holds 16-bit numbers) and 32,767 good rows written in one transaction.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "CowCsv.h"
#include "M_Cow.h"
#include "YearFile.h"
#include "YearFiles.h"

namespace {

QByteArray rows(int n) {
    QByteArray csv = "No,子牛名前,導入・種付年月日,導入・種付金額,売却・死亡年月日,処理\r\n";
    for (int i = 1; i <= n; ++i)
        csv += QByteArray::number(i) + ",\"はなこ, " + QByteArray::number(i) +
               "\",H13/4/1,\"400,000\",2001/07/01," + QByteArray::number(i % 4 + 1) + "\r\n";
    return csv;
}

void readRows(benchmark::State &state) {
    const QByteArray csv = rows(int(state.range(0)));
    for (auto _ : state) {
        CowCsv::Import imp;
        QString error;
        CowCsv::read(csv, {}, &imp, &error);
        benchmark::DoNotOptimize(imp.calves.size());
    }
}
BENCHMARK(readRows)->Arg(100000)->Unit(benchmark::kMillisecond);

void writeRows(benchmark::State &state) {
    CowCsv::Import imp;
    QString error;
    CowCsv::read(rows(32767), {}, &imp, &error);
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        QDir::setCurrent(dir.path());
        YearFiles::createFromTemplate(QStringLiteral("cowdata13.mdb"), &error);
        auto file = YearFile::open(QStringLiteral("cowdata13.mdb"), &error);
        state.ResumeTiming();
        CowCsv::write(*file, imp.calves, &error);
    }
}
BENCHMARK(writeRows)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
