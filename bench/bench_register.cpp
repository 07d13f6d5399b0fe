// Opening the calf list and the sale list, valuing the register, printing its inventory table,
// backing the year up and rolling it over, with the largest register a year can hold (32,766
// calves: the rollover numbers calves with a 16-bit counter).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>

#include "Backup.h"
#include "CurrentYear.h"
#include "Frm_CowList.h"
#include "Frm_Sale.h"
#include "Frm_Wk.h"
#include "InventoryReport.h"
#include "M_Cow.h"
#include "Valuation.h"
#include "YearFile.h"
#include "YearFiles.h"
#include "YearMaker.h"
#include "YearProcedures.h"

namespace {

constexpr int Calves = 32766;

struct BigYear {
    QTemporaryDir dir;
    BigYear() {
        QDir::setCurrent(dir.path());
        QString error;
        YearFiles::createFromTemplate(QStringLiteral("cowdata13.mdb"), &error);
        auto file = YearFile::open(QStringLiteral("cowdata13.mdb"), &error);
        file->transaction(
            [&](QString *) {
                QSqlQuery q(file->db());
                q.prepare(QStringLiteral(
                    "INSERT INTO T_Cow (No, Name, OName, I_Date, I_Kingaku, Kisyu, O_Date, Syori, "
                    "Hiikutuki) VALUES (?, 'みどり', 'はな', '2001-04-01', 400000, 300000, ?, ?, "
                    "?)"));
                for (int n = 1; n <= Calves; ++n) {
                    q.addBindValue(n);
                    q.addBindValue(n % 3 ? QVariant() : QVariant(QStringLiteral("2001-07-01")));
                    q.addBindValue(n % 4 + 1);
                    q.addBindValue(n % 12 + 1);
                    q.exec();
                }
                return true;
            },
            &error);
        file.reset();
        benchYear().open(QStringLiteral("cowdata13.mdb"), &error);
    }
};

BigYear &bigYear() {
    static BigYear year;
    return year;
}

void OpenCalfList(benchmark::State &state) {
    bigYear();
    for (auto _ : state) {
        Frm_CowList list(benchYear());
        list.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(list.findChild<QTableView *>()->model()->rowCount());
    }
}
BENCHMARK(OpenCalfList)->Unit(benchmark::kMillisecond);

// 売却牛の明細 on the register's 8,191 sold calves: opened, and shown again as each return
// from another window shows it.
void OpenSaleList(benchmark::State &state) {
    bigYear();
    for (auto _ : state) {
        Frm_Sale sale(benchYear());
        sale.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(sale.rowCount());
    }
}
BENCHMARK(OpenSaleList)->Unit(benchmark::kMillisecond);

void ReshowSaleList(benchmark::State &state) {
    bigYear();
    Frm_Sale sale(benchYear());
    sale.show();
    QApplication::processEvents();
    for (auto _ : state) {
        sale.Form_Activate();
        QApplication::processEvents();
    }
    state.counters["rows"] = sale.rowCount();
}
BENCHMARK(ReshowSaleList)->Unit(benchmark::kMillisecond);

void ValueRegister(benchmark::State &state) {
    bigYear();
    int perHead = 98076;
    for (auto _ : state) {
        QString error;
        // A changed cost makes every calf's row change, the worst case.
        Cal_Cow(*benchYear().wk()->file(), ++perHead % 2 ? 98076 : 98077, &error);
    }
}
BENCHMARK(ValueRegister)->Unit(benchmark::kMillisecond);

// The calf inventory table of the full register: read and laid out, then written as a
// PDF (about 1,500 landscape pages).
void LayOutInventory(benchmark::State &state) {
    bigYear();
    for (auto _ : state) {
        Report::Document doc;
        QString error;
        InventoryReport::build(benchYear().wk()->file(), *benchYear().wk(), &doc, &error);
        int pages = 0;
        Report::flow(
            doc.sections, 9026, [&](const Report::Page &) { ++pages; }, &error);
        benchmark::DoNotOptimize(pages);
    }
}
BENCHMARK(LayOutInventory)->Unit(benchmark::kMillisecond);

void WriteInventoryPdf(benchmark::State &state) {
    bigYear();
    Report::Document doc;
    QString error;
    InventoryReport::build(benchYear().wk()->file(), *benchYear().wk(), &doc, &error);
    for (auto _ : state)
        Report::savePdf(doc, QStringLiteral("inventory.pdf"), QPageSize(QPageSize::A4), &error);
    int pages = 0;
    Report::flow(
        doc.sections, 9026, [&](const Report::Page &) { ++pages; }, &error);
    state.counters["pages"] = pages;
}
BENCHMARK(WriteInventoryPdf)->Unit(benchmark::kMillisecond)->Iterations(1);

void BackUpYear(benchmark::State &state) {
    bigYear();
    for (auto _ : state) {
        QString error;
        if (!Backup::make(*benchYear().wk()->file(), &error)) state.SkipWithError("backup");
    }
}
BENCHMARK(BackUpYear)->Unit(benchmark::kMillisecond);

void RollOverYear(benchmark::State &state) {
    bigYear();
    QString error;
    Cal_Cow(*benchYear().wk()->file(), 98076, &error);  // sold and dead calves get 0
    for (auto _ : state) {
        if (!YearProcedures::rollOver(benchYear(), QStringLiteral("cowdata14.mdb"), &error))
            state.SkipWithError("rollover");
        state.PauseTiming();
        YearProcedures::switchYear(benchYear(), QStringLiteral("cowdata13.mdb"), &error);
        QFile::remove(QStringLiteral("cowdata14.mdb"));
        state.ResumeTiming();
    }
}
BENCHMARK(RollOverYear)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchYear().close();
    return 0;
}
