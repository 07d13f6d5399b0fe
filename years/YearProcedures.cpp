#include "YearProcedures.h"

#include <QFile>
#include <QFileInfo>
#include <optional>

#include "Amount.h"
#include "Backup.h"
#include "Checkpoint.h"
#include "CurrentYear.h"
#include "M_Cow.h"
#include "MsgText.h"
#include "PointerFile.h"
#include "Snapshot.h"
#include "Valuation.h"
#include "YearFile.h"
#include "YearStatements.h"

namespace {

// The register may hold no more calves than its 16-bit numbers can count.
constexpr qint64 MaxCalves = 32767;

QString yearOf(const QString &fileName) {
    return M_Cow::yearOfFileName(fileName);
}

// Once the new file is being written, a failure is the new year's; the farmer knows it
// by its final name, never the temporary one, and a step that names no file gets it.
bool newFileFailed(const QString &fileName, const QString &temporary, QString *why) {
    why->replace(QFileInfo(temporary).fileName(), fileName);
    if (!why->contains(fileName))
        why->prepend(
            QStringLiteral("新しい年度のファイル %1 に書き込めませんでした。").arg(fileName));
    return false;
}

// The new file as far as it got; true when it was checked and renamed into place.
bool makeRolledOver(const QString &current, const QString &fileName, QString *why) {
    const QString temporary = Snapshot::temporaryPath(fileName);
    std::optional<Snapshot::Counts> expected;
    {
        // Read-only, so that nothing can change the old year's file.
        auto old = YearFile::open(current, why, true);
        if (!old) return false;
        expected = Snapshot::counts(*old, why, Snapshot::Calves::Carried);
        if (!expected) return false;
        if ((*expected)[0] > MaxCalves) {
            *why = QStringLiteral("繰り越す子牛が %1 頭を超えています。")
                       .arg(Amount::format(MaxCalves));
            return false;
        }
        if (!Snapshot::copy(*old, temporary, why)) return newFileFailed(fileName, temporary, why);
    }
    MORIVA_CHECKPOINT("rollover: snapshot written");
    bool ok = false;
    {
        auto made = YearFile::open(temporary, why);
        ok = made && made->transaction(
                         [&](QString *err) {
                             const bool done = YearProcedures::CarryOverCalves(*made, err) &&
                                               YearProcedures::ClearExpenses(*made, err) &&
                                               YearProcedures::ClearIncome(*made, err);
                             if (done) MORIVA_CHECKPOINT("rollover: before commit");
                             return done;
                         },
                         why);
        if (ok) MORIVA_CHECKPOINT("rollover: transformed");
        if (ok) {
            const QString problem = made->damage();
            const auto found = Snapshot::counts(*made, why);
            if (!problem.isEmpty())
                *why = MsgText::withDetail(
                    QStringLiteral("作ったファイルの検査で異常が見つかりました。"), problem);
            else if (found && *found != *expected)
                *why = QStringLiteral("作ったファイルの件数が合いません。");
            ok = problem.isEmpty() && found && *found == *expected;
        }
    }
    ok = ok && Snapshot::sync(temporary, why);
    if (ok) MORIVA_CHECKPOINT("rollover: synced");
    ok = ok && Snapshot::publish(temporary, fileName, why);
    if (ok) return true;
    Snapshot::discard(temporary);
    return newFileFailed(fileName, temporary, why);
}

}  // namespace

QString YearProcedures::typedYear(const QString &text, QString *message) {
    const auto number = Amount::parseYear(text);
    if (!number) {
        *message = QStringLiteral("数値を指定してください");
        return {};
    }
    // One year, one file name: "8", "08" and a full-width "８" all mean cowdata08.mdb,
    // and a year of three digits could not be read back from its name.
    const QString year = M_Cow::yearText(*number);
    if (year.isEmpty()) *message = QStringLiteral("年度は2桁までの数値で指定してください");
    return year;
}

bool YearProcedures::CarryOverCalves(YearFile &file, QString *error) {
    return YearStatements::carryOverCalves(file, error);
}

bool YearProcedures::ClearExpenses(YearFile &file, QString *error) {
    return YearStatements::clearExpenses(file, error);
}

bool YearProcedures::ClearIncome(YearFile &file, QString *error) {
    return YearStatements::clearIncome(file, error);
}

bool YearProcedures::DeleteAllCalves(YearFile &file, QString *error) {
    return YearStatements::deleteAllCalves(file, error);
}

namespace {

// The switch itself; *why is the bare reason when it fails. The new year's totals are
// read and cowdb.inf written before the program takes the year as current, so that a
// failure of either leaves it where it was.
bool switchTo(CurrentYear &year, const QString &fileName, QString *why) {
    auto wk = Frm_Wk::prepare(fileName, why);
    if (!wk || !WritePointerFile(fileName, why)) return false;
    MORIVA_CHECKPOINT("switch: pointer written");
    year.install(std::move(wk));
    return true;
}

}  // namespace

bool YearProcedures::switchYear(CurrentYear &year, const QString &fileName, QString *error,
                                const QString &current) {
    QString why;
    if (switchTo(year, fileName, &why)) return true;
    *error =
        QStringLiteral("処理年度を切り替えられませんでした。処理年度は %1 年度のままです。\n%2")
            .arg(yearOf(year.fileName().isEmpty() ? current : year.fileName()), why);
    return false;
}

namespace {

QString notMade(const QString &fileName, const QString &before, const QString &why) {
    return QStringLiteral(
               "%1 を作れませんでした。処理年度は %2 年度のままで、%3 には手を加えていません。\n%4")
        .arg(fileName, yearOf(before), before, why);
}

// The valuation writes the current year's file: saying it was left untouched beside
// its failed write would contradict itself; the failure says nothing was saved.
QString notValued(const QString &fileName, const QString &before, const QString &why) {
    return QStringLiteral(
               "%1 を作れませんでした。処理年度は %2 年度のままです。\n"
               "年度を更新する前の棚卸の計算を %3 に保存できませんでした。\n%4")
        .arg(fileName, yearOf(before), before, why);
}

// The current year's file and totals, as the print window values them.
std::shared_ptr<YearFile> currentYear(CurrentYear &year, Frm_Wk **wk, QString *why) {
    *wk = year.wk();
    if (!*wk) *why = CurrentYear::notOpen();
    return year.file();
}

}  // namespace

std::optional<qint64> YearProcedures::calvesToValue(CurrentYear &year, const QString &fileName,
                                                    QString *error) {
    QString why;
    Frm_Wk *wk = nullptr;
    if (const auto file = currentYear(year, &wk, &why))
        if (const auto n = staleCalves(*wk, *file, &why)) return n;
    *error = notMade(fileName, year.fileName(), why);
    return std::nullopt;
}

bool YearProcedures::valueCalves(CurrentYear &year, const QString &fileName, QString *error) {
    QString why;
    Frm_Wk *wk = nullptr;
    const auto file = currentYear(year, &wk, &why);
    if (file && valueRegister(*wk, *file, &why)) return true;
    *error = notValued(fileName, year.fileName(), why);
    return false;
}

bool YearProcedures::rollOver(CurrentYear &year, const QString &fileName, QString *error) {
    QString why;
    if (QFileInfo::exists(fileName)) {
        why = QStringLiteral("%1 はすでにあります。").arg(fileName);
    } else if (makeRolledOver(year.fileName(), fileName, &why)) {
        if (switchTo(year, fileName, &why)) return true;
        // Nothing names the new file yet: take it away again, so that typing the year
        // once more makes it afresh instead of switching to it.
        QFile::remove(fileName);
    }
    *error = notMade(fileName, year.fileName(), why);
    return false;
}

bool YearProcedures::clearData(CurrentYear &year, QString *error) {
    const auto fail = [&](const QString &why) {
        *error =
            QStringLiteral("データクリアができませんでした。データには手を加えていません。\n%1")
                .arg(why);
        return false;
    };
    QString why;
    auto file = year.file();
    if (!file) return fail(CurrentYear::notOpen());
    if (!Backup::make(*file, &why, Backup::Kind::BeforeClear)) return fail(why);
    const bool cleared = file->transaction(
        [&](QString *err) {
            const bool done =
                DeleteAllCalves(*file, err) && ClearExpenses(*file, err) && ClearIncome(*file, err);
            if (done) MORIVA_CHECKPOINT("data clear: before commit");
            return done;
        },
        &why);
    if (!cleared) return fail(why);
    MORIVA_CHECKPOINT("data clear: cleared");
    file->announce(YearFile::Change::All);
    return true;
}
