// Each of the program's heavy paths beside its floor, the least code that produces the
// same data, measured in the same run on year files of 1,000, 10,000 and 32,766 calves
// (the most a year can hold: the rollover numbers calves with a 16-bit counter). A pair
// whose outputs differ reports an error instead of a ratio. Ends with one table.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

#include "BarePdf.h"
#include "CurrentYear.h"
#include "FatteningMonths.h"
#include "Frm_CowList.h"
#include "Frm_Wk.h"
#include "InventoryReport.h"
#include "M_Cow.h"
#include "Report.h"
#include "Valuation.h"
#include "ViewTotals.h"
#include "YearFile.h"
#include "YearMaker.h"
#include "YearProcedures.h"

namespace {

const int Sizes[] = {1000, 10000, 32766};
QString benchDir;  // where the helper programs lie

QString yearName(int calves) {
    return QStringLiteral("cowdata%1.mdb")
        .arg(calves == 32766 ? 32 : calves / 1000, 2, 10, QLatin1Char('0'));
}

// The generated year of that size in the working folder, made once per run.
const QString &year(int calves) {
    static std::map<int, QString> made;
    auto &name = made[calves];
    if (name.isEmpty()) {
        name = yearName(calves);
        makeYear(name, calves);
    }
    return name;
}

// A fresh copy of the generated year, so program and floor start from the same bytes.
QString copyOf(int calves, const QString &role) {
    const QString name = role + yearName(calves);
    QFile::remove(name);
    QFile::copy(year(calves), name);
    return name;
}

QString dump(YearFile &file, const QString &sql) {
    QSqlQuery q(file.db());
    q.exec(sql);
    QString out;
    while (q.next())
        for (int c = 0; c < q.record().count(); ++c)
            out += (q.value(c).isNull() ? QStringLiteral("∅") : q.value(c).toString()) + u'|';
    return out;
}

// A floor's own connection, opened as the least code would: none of the program's
// checks, and nothing the program remembers about the file.
struct Bare {
    QString name;
    explicit Bare(const QString &file) : name(QStringLiteral("bare ") + file) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        db.open();
    }
    ~Bare() {
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(name, false); }
};

// --- valuation --------------------------------------------------------------------

const QString ValuedFields = QStringLiteral(
    "SELECT HiikuKingaku, Kimatu, F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12 FROM "
    "T_Cow ORDER BY rowid");

// One UPDATE computing the same fields; no range check, every row written.
bool floorValuation(YearFile &file, int perHead) {
    const QString h = QStringLiteral("(Hiikutuki * %1)").arg(perHead);
    QString sql = QStringLiteral(
                      "UPDATE T_Cow SET HiikuKingaku = %1, Kimatu = CASE Syori WHEN 1 THEN "
                      "I_Kingaku + %1 WHEN 2 THEN Kisyu + %1 WHEN 3 THEN 0 WHEN 4 THEN 0 ELSE "
                      "Kimatu END")
                      .arg(h);
    for (int m = 1; m <= 12; ++m)
        sql += QStringLiteral(
                   ", F%1 = CASE WHEN Syori IN (1, 3, 4) AND CAST(strftime('%m', CASE Syori "
                   "WHEN 1 THEN I_Date ELSE O_Date END) AS INTEGER) = %1 THEN CASE Syori WHEN 1 "
                   "THEN '買' WHEN 3 THEN '売' ELSE '死' END WHEN Syori BETWEEN 1 AND 4 THEN '' "
                   "ELSE F%1 END")
                   .arg(m);
    QString error;
    return file.transaction(
        [&](QString *err) {
            QSqlQuery q(file.db());
            if (q.exec(sql)) return true;
            *err = q.lastError().text();
            return false;
        },
        &error);
}

void Valuation(benchmark::State &state, bool program) {
    const int calves = int(state.range(0));
    QString error;
    auto mine = YearFile::open(copyOf(calves, program ? "p" : "f"), &error);
    // The check: both ways on their own copy give the same fields.
    {
        auto other = YearFile::open(copyOf(calves, program ? "f" : "p"), &error);
        if (!Cal_Cow(*(program ? mine : other), 98076, &error) ||
            !floorValuation(*(program ? other : mine), 98076) ||
            dump(*mine, ValuedFields) != dump(*other, ValuedFields)) {
            std::fprintf(stderr, "%s\n%s\n", qPrintable(error),
                         qPrintable(dump(*mine, ValuedFields).left(300)));
            std::fprintf(stderr, "%s\n", qPrintable(dump(*other, ValuedFields).left(300)));
            return state.SkipWithError("program and floor valued differently");
        }
    }
    int perHead = 98076;
    for (auto _ : state) {
        // A changed cost changes every calf's row, the worst case, on both sides.
        perHead = perHead == 98076 ? 98077 : 98076;
        program ? Cal_Cow(*mine, perHead, &error) : floorValuation(*mine, perHead);
    }
}

// --- calf list --------------------------------------------------------------------

// Scrolls a grid from top to bottom a page at a time, painting every page.
void scrollThrough(QTableView *grid) {
    QScrollBar *bar = grid->verticalScrollBar();
    for (int v = 0;; v += bar->pageStep()) {
        bar->setValue(v);
        grid->viewport()->repaint();
        if (v >= bar->maximum()) break;
    }
}

QString lastNo(QTableView *grid) {
    const auto *model = grid->model();
    return QString::number(model->rowCount()) + u' ' +
           model->index(model->rowCount() - 1, 0).data().toString();
}

struct BareList {
    Bare file;  // its own connection, as the list window opens its own
    QSqlQueryModel model;
    QTableView view;
    explicit BareList(const QString &name) : file(name) {
        model.setQuery(QStringLiteral("SELECT No, Name, OName, I_Date, I_Kingaku, Kisyu, O_Date, "
                                      "Hiikutuki FROM T_Cow ORDER BY rowid"),
                       file.db());
        view.setModel(&model);
        view.resize(960, 480);
        view.show();
        QApplication::processEvents();
    }
};

void CalfList(benchmark::State &state, bool program, bool scroll) {
    const int calves = int(state.range(0));
    QString error;
    if (!benchYear().open(year(calves), &error)) return state.SkipWithError(qPrintable(error));
    {
        Frm_CowList list(benchYear());
        list.show();
        BareList bare(benchYear().fileName());
        auto *grid = list.findChild<QTableView *>();
        scrollThrough(grid);
        scrollThrough(&bare.view);
        if (lastNo(grid) != lastNo(&bare.view))
            state.SkipWithError("program and floor list different calves");
    }
    for (auto _ : state) {
        if (program) {
            Frm_CowList list(benchYear());
            list.show();
            QApplication::processEvents();
            if (scroll) scrollThrough(list.findChild<QTableView *>());
        } else {
            BareList bare(benchYear().fileName());
            if (scroll) scrollThrough(&bare.view);
        }
    }
}

// --- whole processes --------------------------------------------------------------

struct Child {
    QString out;
    double peakMiB = 0;
};

// Runs a helper program as a whole process in folder, offscreen; its output and peak memory.
Child run(const QString &program, const QString &folder, const QStringList &args = {}) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const QByteArray dir = QFile::encodeName(folder), path = QFile::encodeName(program);
    posix_spawn_file_actions_addchdir_np(&actions, dir.constData());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QList<QByteArray> bytesOfArgs{path};
    for (const QString &a : args) bytesOfArgs << QFile::encodeName(a);
    std::vector<char *> argv;
    for (QByteArray &a : bytesOfArgs) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, path.constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return {QStringLiteral("failed")};
    close(fds[1]);
    Child c;
    QByteArray bytes;
    char buf[256];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) bytes.append(buf, n);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    // Its first line of output (start-up totals, PDF pages), then its peak memory in KiB.
    const QStringList lines = QString::fromLocal8Bit(bytes).trimmed().split(u'\n');
    c.out = lines.value(0);
    c.peakMiB = lines.value(1).toDouble() / 1024;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) c.out = QStringLiteral("failed");
    return c;
}

// --- inventory PDF ----------------------------------------------------------------

int pdfPages(const QString &path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return int(f.readAll().count("/Type /Page\n"));
}

// The same texts and rules, already placed, drawn with bare QPainter calls.
void bareInventoryPdf(const QList<Report::Page> &pages, const QPageLayout &layout,
                      const QString &path) {
    BarePdf pdf(layout, path);
    for (const Report::Page &page : pages) pdf.draw(page);
}

void InventoryPdf(benchmark::State &state, bool program) {
    const int calves = int(state.range(0));
    QString error;
    if (!benchYear().open(year(calves), &error)) return state.SkipWithError(qPrintable(error));
    Report::Document doc;
    InventoryReport::build(benchYear().wk()->file(), *benchYear().wk(), &doc, &error);
    const QPageLayout layout = Report::pageLayout(doc, QPageSize(QPageSize::A4));
    QList<Report::Page> pages;
    Report::flow(
        doc.sections, layout.paintRectPoints().height() * 20,
        [&](const Report::Page &page) { pages << page; }, &error);
    Report::savePdf(doc, QStringLiteral("program.pdf"), QPageSize(QPageSize::A4), &error);
    bareInventoryPdf(pages, layout, QStringLiteral("floor.pdf"));
    if (pdfPages(QStringLiteral("program.pdf")) != pdfPages(QStringLiteral("floor.pdf")))
        return state.SkipWithError("program and floor wrote different page counts");
    const QString out = program ? QStringLiteral("program.pdf") : QStringLiteral("floor.pdf");
    for (auto _ : state) {
        if (program) {
            Report::Document d;
            InventoryReport::build(benchYear().wk()->file(), *benchYear().wk(), &d, &error);
            Report::savePdf(d, out, QPageSize(QPageSize::A4), &error);
        } else {
            bareInventoryPdf(pages, layout, out);
        }
    }
    state.counters["pages"] = pdfPages(out);
    state.counters["bytes/calf"] = double(QFileInfo(out).size()) / calves;
    benchYear().close();
    // The whole write again in a process of its own, for its own peak memory.
    QStringList args{year(calves), QStringLiteral("child.pdf")};
    if (!program) args << QStringLiteral("floor");
    const Child child = run(benchDir + QStringLiteral("/pdf_program"), QDir::currentPath(), args);
    if (child.out != QString::number(pdfPages(out)))
        return state.SkipWithError("the PDF child failed or wrote other pages");
    state.counters["peak_MiB"] = child.peakMiB;
}

// --- rollover and data clear ------------------------------------------------------

const QString CarriedFields = QStringLiteral("SELECT * FROM T_Cow ORDER BY rowid");
const QString LedgerFields =
    QStringLiteral("SELECT * FROM T_Cost ORDER BY rowid; SELECT * FROM T_Proseed ORDER BY rowid");

bool execAll(const Bare &file, const QStringList &statements) {
    QSqlDatabase db = file.db();
    if (!db.transaction()) return false;
    QSqlQuery q(db);
    for (const QString &sql : statements) {
        if (!q.exec(sql)) {
            db.rollback();
            return false;
        }
    }
    return db.commit();
}

const QStringList ClearLedgers = {
    QStringLiteral("UPDATE T_Cost SET Sozei = 0, Mototiku = 0, Siryou = 0, Eisei = 0, Syozairyou "
                   "= 0, Syuuzen = 0, Douryoku = 0, Katiku = 0, Genka = 0, Nidukuri = 0, Risi = "
                   "0, Senjuusya = 0, Zatu = 0, Etc1_Name = '', Etc1 = 0, Etc2_Name = '', Etc2 = "
                   "0, Etc3_Name = '', Etc3 = 0, Etc4_Name = '', Etc4 = 0, Ikusei = 0"),
    QStringLiteral("UPDATE T_Proseed SET Hanbai = 0, Zatu = 0, Etc1_Name = '', Etc1 = 0, "
                   "Etc2_Name = '', Etc2 = 0")};

// VACUUM INTO a temporary name, a set-based delete and renumber (the carried calves
// fattening, 12 months, as the program carries them), the rename.
bool floorRollover(const QString &from, const QString &to) {
    {
        const Bare source(from);
        if (!QSqlQuery(source.db()).exec(QStringLiteral("VACUUM INTO 'next.tmp'"))) return false;
    }
    {
        const Bare made(QStringLiteral("next.tmp"));
        if (!execAll(made, QStringList{QStringLiteral("DELETE FROM T_Cow WHERE Kimatu = 0"),
                                       QStringLiteral(
                                           "UPDATE T_Cow SET No = k.n, I_Kingaku = 0, Kisyu = "
                                           "T_Cow.Kimatu, Syori = %1, Hiikutuki = 12 FROM "
                                           "(SELECT rowid AS id, row_number() OVER (ORDER BY "
                                           "rowid) AS n FROM T_Cow) AS k WHERE T_Cow.rowid = k.id")
                                           .arg(Hiiku)} +
                               ClearLedgers))
            return false;
    }
    return QFile::rename(QStringLiteral("next.tmp"), to);
}

QString dumpOf(const QString &name, const QString &sql) {
    QString error, out;
    auto file = YearFile::open(name, &error, true);
    for (const QString &one : sql.split(QStringLiteral("; "))) out += dump(*file, one) + u'#';
    return out;
}

void Rollover(benchmark::State &state, bool program) {
    const int calves = int(state.range(0));
    const QString from = year(calves), to = QStringLiteral("cowdata50.mdb");
    auto programOnce = [&] {
        QFile::remove(to);
        QString error;
        return benchYear().open(from, &error) && YearProcedures::rollOver(benchYear(), to, &error);
    };
    auto floorOnce = [&] {
        QFile::remove(to);
        return floorRollover(from, to);
    };
    if (!programOnce()) return state.SkipWithError("rollover failed");
    const QString made = dumpOf(to, CarriedFields + QStringLiteral("; ") + LedgerFields);
    if (!floorOnce() || dumpOf(to, CarriedFields + QStringLiteral("; ") + LedgerFields) != made)
        return state.SkipWithError("program and floor carried different data");
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(to);
        QString error;
        if (program) benchYear().open(from, &error);
        state.ResumeTiming();
        program ? (void)YearProcedures::rollOver(benchYear(), to, &error)
                : (void)floorRollover(from, to);
    }
    benchYear().close();
}

void DataClear(benchmark::State &state, bool program) {
    const int calves = int(state.range(0));
    const QString name = QStringLiteral("cowdata60.mdb");
    auto fresh = [&] {
        benchYear().close();
        QFile::remove(name);
        QFile::copy(year(calves), name);
    };
    auto once = [&] {
        QString error;
        if (program)
            return benchYear().open(name, &error) && YearProcedures::clearData(benchYear(), &error);
        return execAll(Bare(name), QStringList{QStringLiteral("DELETE FROM T_Cow")} + ClearLedgers);
    };
    fresh();
    if (!once()) return state.SkipWithError("data clear failed");
    const QString all = CarriedFields + QStringLiteral("; ") + LedgerFields;
    const QString cleared = dumpOf(name, all);
    fresh();
    program = !program;
    const bool other = once();
    program = !program;
    if (!other || dumpOf(name, all) != cleared)
        return state.SkipWithError("program and floor cleared differently");
    for (auto _ : state) {
        state.PauseTiming();
        fresh();
        QString error;
        if (program) benchYear().open(name, &error);
        state.ResumeTiming();
        if (program) {
            YearProcedures::clearData(benchYear(), &error);
        } else {
            execAll(Bare(name), QStringList{QStringLiteral("DELETE FROM T_Cow")} + ClearLedgers);
        }
    }
    benchYear().close();
}

// --- start-up ---------------------------------------------------------------------

void StartUp(benchmark::State &state, bool program) {
    const int calves = int(state.range(0));
    const QString folder = QDir::current().absoluteFilePath(QStringLiteral("start%1").arg(calves));
    QDir().mkpath(folder);
    const QString name = yearName(calves);
    QFile::remove(folder + u'/' + name);
    QFile::copy(year(calves), folder + u'/' + name);
    QFile pointer(folder + QStringLiteral("/cowdb.inf"));
    pointer.open(QIODevice::WriteOnly | QIODevice::Truncate);
    pointer.write(name.toLocal8Bit());
    pointer.close();
    const QString mine = benchDir + (program ? "/startup_program" : "/startup_floor");
    const QString other = benchDir + (program ? "/startup_floor" : "/startup_program");
    const Child a = run(mine, folder), b = run(other, folder);
    if (a.out != b.out || a.out == QLatin1String("failed")) {
        std::fprintf(stderr, "%s\n%s\n", qPrintable(a.out), qPrintable(b.out));
        return state.SkipWithError("program and floor read different totals");
    }
    double peak = 0;
    for (auto _ : state) peak = std::max(peak, run(mine, folder).peakMiB);
    state.counters["peak_MiB"] = peak;
}

// --- the table --------------------------------------------------------------------

struct Result {
    std::vector<double> runs;  // ms, one per repetition
    std::map<std::string, double> counters;
    std::string error;
    // A neighbour's burst of work moves one repetition, not the middle one.
    double ms() const {
        std::vector<double> sorted = runs;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0 : sorted[sorted.size() / 2];
    }
};
std::map<std::string, Result> results;

class TableReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &r : runs) {
            // "Valuation/program/1000/real_time" is filed as "Valuation/program/1000".
            const QStringList parts = QString::fromStdString(r.benchmark_name()).split(u'/');
            Result &res = results[parts.mid(0, 3).join(u'/').toStdString()];
            res.runs.push_back(r.GetAdjustedRealTime());  // in the benchmark's unit, ms
            for (const auto &[k, v] : r.counters) res.counters[k] = v.value;
            if (r.error_occurred) res.error = r.error_message;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

void printTable() {
    const std::map<std::string, double> goals = {
        {"Valuation", 1.3},    {"CalfListOpen", 1.5}, {"CalfListScroll", 1.5}, {"StartUp", 1.3},
        {"InventoryPdf", 1.3}, {"Rollover", 1.5},     {"DataClear", 1.5}};
    std::printf("\n%-16s %7s %11s %11s %7s %6s  %s\n", "benchmark", "calves", "program ms",
                "floor ms", "ratio", "goal", "notes");
    for (const auto &[name, goal] : goals) {
        for (int calves : Sizes) {
            const auto p = results.find(name + "/program/" + std::to_string(calves));
            const auto f = results.find(name + "/floor/" + std::to_string(calves));
            if (p == results.end() || f == results.end()) continue;
            std::string notes;
            for (const auto &[k, v] : p->second.counters)
                notes += k + " " + QString::number(v, 'f', 1).toStdString() + "  ";
            if (!f->second.counters.empty() && f->second.counters.count("peak_MiB"))
                notes += "floor peak_MiB " +
                         QString::number(f->second.counters.at("peak_MiB"), 'f', 1).toStdString();
            if (!p->second.error.empty() || !f->second.error.empty()) {
                std::printf("%-16s %7d  %s\n", name.c_str(), calves,
                            (p->second.error + f->second.error).c_str());
                continue;
            }
            const double ratio = p->second.ms() / f->second.ms();
            std::printf("%-16s %7d %11.1f %11.1f %6.2fx %5.1fx  %s%s\n", name.c_str(), calves,
                        p->second.ms(), f->second.ms(), ratio, goal, ratio <= goal ? "" : "MISSED ",
                        notes.c_str());
        }
    }
}

}  // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchDir = QCoreApplication::applicationDirPath();
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    using namespace benchmark;
    // Each size's program and floor take turns, repetition by repetition: on a shared
    // machine the load drifts over the minutes a whole side would take.
    struct Pair {
        const char *name;
        std::function<void(State &, bool program)> run;
        int iterations = 0;   // 0: as many as Google Benchmark wants
        int repetitions = 5;  // the median of each side is reported
        bool largestOnly = false;
    };
    const Pair pairs[] = {
        {"Valuation", Valuation},
        {"CalfListOpen", [](State &s, bool p) { CalfList(s, p, false); }},
        {"CalfListScroll", [](State &s, bool p) { CalfList(s, p, true); }, 2, 1},
        {"InventoryPdf", InventoryPdf, 2, 1},
        {"Rollover", Rollover},
        {"DataClear", DataClear},
        {"StartUp", StartUp, 10, 3, true},
    };
    for (const Pair &pair : pairs) {
        for (int calves : Sizes) {
            if (pair.largestOnly && calves != Sizes[std::size(Sizes) - 1]) continue;
            for (int turn = 0; turn < 2 * pair.repetitions; ++turn) {
                const bool program = turn % 2 == 0;
                const std::string name = std::string(pair.name) + (program ? "/program" : "/floor");
                auto *b = RegisterBenchmark(
                    name.c_str(), [run = pair.run, program](State &s) { run(s, program); });
                b->Arg(calves)->Unit(kMillisecond)->UseRealTime();
                if (pair.iterations > 0)
                    b->Iterations(pair.iterations);
                else
                    b->MinTime(0.2);
            }
        }
    }
    Initialize(&argc, argv);
    // Made and flushed before anything is timed: the first pair would otherwise share
    // the disk with the write-back of some 50 MB of freshly made year files.
    for (int calves : Sizes) year(calves);
    sync();
    TableReporter reporter;
    RunSpecifiedBenchmarks(&reporter);
    printTable();
    return 0;
}
