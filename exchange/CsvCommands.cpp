#include "CsvCommands.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QSaveFile>

#include "Amount.h"
#include "CowCsv.h"
#include "CurrentYear.h"
#include "Dlg_CsvImport.h"
#include "MsgBox.h"
#include "MsgText.h"
#include "OwnFiles.h"
#include "YearFile.h"

namespace {

const QString ExportTitle = QStringLiteral("CSV出力");
const QString ImportTitle = QStringLiteral("CSV取り込み");
const QString Filter = QStringLiteral("CSV ファイル (*.csv);;すべてのファイル (*)");
// Far beyond any register (100,000 rows are some 6 MB); a bigger file is not one.
constexpr qint64 MaxBytes = 64 * 1024 * 1024;

bool save(const QString &path, const QByteArray &bytes, QString *error) {
    QSaveFile out(path);
    if (out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit())
        return true;
    *error = MsgText::withDetail(
        QStringLiteral("%1 に書き込めません。").arg(MsgText::fileLabel(QFileInfo(path).fileName())),
        out.errorString());
    return false;
}

// Shown only when the work takes more than a second; it cannot be cancelled, because
// the import is all or nothing and is over quickly anyway.
class Progress {
  public:
    Progress(QWidget *parent, const QString &label) : dialog_(label, QString(), 0, 100, parent) {
        dialog_.setWindowTitle(ImportTitle);
        dialog_.setObjectName(QStringLiteral("dlg_Progress"));
        dialog_.setCancelButton(nullptr);
        // Every window waits: a calf stored meanwhile would meet the import's open transaction.
        dialog_.setWindowModality(Qt::ApplicationModal);
        dialog_.setMinimumDuration(1000);
        dialog_.setValue(0);
    }
    CowCsv::Progress callback() {
        return [this](qint64 done, qint64 total) {
            dialog_.setValue(total > 0 ? int(done * 100 / total) : 100);
        };
    }

  private:
    QProgressDialog dialog_;
};

}  // namespace

void CsvCommands::exportYear(QWidget *parent, CurrentYear &year) {
    QString error;
    QByteArray cows, totals;
    auto file = year.file();
    const Frm_Wk *wk = year.wk();
    if (!wk) error = QStringLiteral("年度のデータが読み込まれていません。");
    if (!file || !wk || !CowCsv::exportRegister(file, &cows, &error) ||
        !CowCsv::exportTotals(*wk, &totals, &error)) {
        MsgBox::show(parent, error, ExportTitle);
        return;
    }
    file.reset();
    const QString text = year.text();
    const struct {
        QString caption, name;
        const QByteArray &bytes;
    } outputs[] = {
        {QStringLiteral("子牛台帳の CSV 出力"), QStringLiteral("子牛台帳_%1年度.csv").arg(text),
         cows},
        {QStringLiteral("集計の CSV 出力"), QStringLiteral("集計_%1年度.csv").arg(text), totals},
    };
    QStringList written;
    for (const auto &out : outputs) {
        const QString path = OwnFiles::ask(
            [&] { return QFileDialog::getSaveFileName(parent, out.caption, out.name, Filter); },
            [&](const QString &refusal) { MsgBox::show(parent, refusal, ExportTitle); });
        if (path.isEmpty()) continue;
        if (!save(path, out.bytes, &error)) {
            MsgBox::show(parent, error, ExportTitle);
            return;
        }
        written << QFileInfo(path).fileName();
    }
    if (!written.isEmpty())
        MsgBox::show(parent,
                     QStringLiteral("CSV ファイルに出力しました。\n%1").arg(written.join('\n')),
                     ExportTitle);
}

bool CsvCommands::importRegister(QWidget *parent, CurrentYear &year) {
    const QString path = QFileDialog::getOpenFileName(
        parent, QStringLiteral("取り込む CSV ファイル"), QString(), Filter);
    return !path.isEmpty() && importFile(parent, year, path);
}

bool CsvCommands::importFile(QWidget *parent, CurrentYear &year, const QString &path) {
    const QString name = QFileInfo(path).fileName();
    QFile in(path);
    QString error;
    if (!in.open(QIODevice::ReadOnly)) {
        MsgBox::show(
            parent,
            MsgText::withDetail(QStringLiteral("%1 を開けません。").arg(MsgText::fileLabel(name)),
                                in.errorString()),
            ImportTitle);
        return false;
    }
    if (in.size() > MaxBytes) {
        MsgBox::show(parent,
                     QStringLiteral("%1 は大きすぎて子牛台帳の CSV ではありません。")
                         .arg(MsgText::fileLabel(name)),
                     ImportTitle);
        return false;
    }
    const QByteArray bytes = in.readAll();
    in.close();

    auto file = year.file();
    if (!file) error = CurrentYear::notOpen();
    QSet<int> registered;
    if (!file || !CowCsv::registeredNumbers(*file, &registered, &error)) {
        MsgBox::show(parent, error, ImportTitle);
        return false;
    }
    CowCsv::Import import;
    bool read = false;
    {
        Progress progress(parent,
                          QStringLiteral("%1 を読んでいます…").arg(MsgText::fileLabel(name)));
        read = CowCsv::read(bytes, registered, &import, &error, progress.callback());
    }
    if (!read) {
        MsgBox::show(
            parent,
            QStringLiteral("%1 は取り込めません。\n%2").arg(MsgText::fileLabel(name), error),
            ImportTitle);
        return false;
    }
    Dlg_CsvImport preview(import, name, parent);
    if (preview.exec() != QDialog::Accepted || !import.refused.isEmpty() || import.calves.isEmpty())
        return false;
    bool written = false;
    {
        Progress progress(parent, QStringLiteral("子牛台帳に書き込んでいます…"));
        written = CowCsv::write(*file, import.calves, &error, progress.callback());
    }
    file.reset();
    if (!written) {
        MsgBox::show(parent, error, ImportTitle);
        return false;
    }
    MsgBox::show(parent,
                 QStringLiteral("%1 頭を子牛台帳に取り込みました。")
                     .arg(Amount::format(import.calves.size())),
                 ImportTitle);
    return true;
}
