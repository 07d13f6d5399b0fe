#include "Frm_Print.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QScreen>

#include "CurrentYear.h"
#include "DataSource.h"
#include "InventoryReport.h"
#include "KeyNav.h"
#include "MsgBox.h"
#include "OwnFiles.h"
#include "PrinterSetup.h"
#include "ReportPreview.h"
#include "StatementReport.h"
#include "Valuation.h"
#include "YearFile.h"

namespace {

std::function<QString()> folderAnswer;

const QString printerError = QStringLiteral("プリンタエラーです。\r\nプリンタを確認してください。");

enum class Prepared { Ready, Empty, Refused };

// Values the register for printing; says what stops it.
Prepared prepare(QWidget *parent, CurrentYear &year) {
    QString error;
    Frm_Wk *wk = year.wk();
    const auto file = year.file();
    if (!wk) {
        MsgBox::show(parent, CurrentYear::notOpen());
        return Prepared::Refused;
    }
    // Only whether the register is empty: its first row, not all of them, which would
    // hold the whole register in memory just before the report reads it again.
    DataSource Data_Cow(file, QStringLiteral("T_Cow"));
    Data_Cow.setChunks(1, 1);
    if (!Data_Cow.refresh(&error)) {
        MsgBox::show(parent, error);
        return Prepared::Refused;
    }
    if (Data_Cow.recordCount() == 0) {
        MsgBox::show(parent, QStringLiteral("印刷データがありません。"));
        return Prepared::Empty;
    }
    if (!valueRegister(*wk, *file, &error)) {
        MsgBox::show(parent, error);
        return Prepared::Refused;
    }
    return Prepared::Ready;
}

}  // namespace

Frm_Print::Frm_Print(CurrentYear &year, QWidget *parent) : QDialog(parent), year_(year) {
    setObjectName(QStringLiteral("Frm_Print"));
    setWindowTitle(QStringLiteral("印刷"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);

    // Twips at the screen's resolution.
    const double dpi = logicalDpiX() / 1440.0;
    auto px = [dpi](int twips) { return int(twips * dpi + 0.5); };
    setFixedSize(px(4290), px(2055));
    struct ButtonDef {
        const char *name;
        const char *caption;
        QRect twips;
        void (Frm_Print::*click)();
    };
    const ButtonDef defs[] = {
        {"cmd_Tanaorosi", "棚卸表", {240, 240, 1575, 615}, &Frm_Print::cmd_Tanaorosi_Click},
        {"cmd_Meisai", "明細書", {240, 1200, 1575, 615}, &Frm_Print::cmd_Meisai_Click},
        {"cmd_Close", "閉じる", {2760, 600, 1335, 735}, nullptr},
    };
    auto *keys = new KeyNav(this);
    for (const ButtonDef &d : defs) {
        auto *b = new QPushButton(QString::fromUtf8(d.caption), this);
        b->setObjectName(QString::fromLatin1(d.name));
        b->setGeometry(px(d.twips.x()), px(d.twips.y()), px(d.twips.width()), px(d.twips.height()));
        b->setAutoDefault(false);
        keys->button(b);
        if (d.click)
            connect(b, &QPushButton::clicked, this, d.click);
        else
            connect(b, &QPushButton::clicked, this, &QDialog::reject);
    }
}

Frm_Print::~Frm_Print() = default;

void Frm_Print::showEvent(QShowEvent *event) {
    if (QScreen *s = screen()) move(s->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void Frm_Print::changeEvent(QEvent *event) {
    QDialog::changeEvent(event);
    // Our own message box closing over the window activates it too; that is not the
    // user coming back, and preparing again would show the box again.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() &&
        !MsgBox::returningFromBox())
        Form_Activate();
}

void Frm_Print::Form_Activate() {
    if (prepare(this, year_) != Prepared::Ready) reject();
}

void Frm_Print::done(int result) {
    // Qt may finish a dialog twice (reject, then its close event); portrait once.
    QString ignored;
    if (isVisible())
        PrinterSetup::current().SetPrinterOrientation(PrinterSetup::Portrait, &ignored);
    QDialog::done(result);
}

void Frm_Print::cmd_Tanaorosi_Click() {
    openReport(Form::Inventory);
}

void Frm_Print::cmd_Meisai_Click() {
    openReport(Form::Statement);
}

void Frm_Print::openReport(Form form) {
    QString detail;
    if (!PrinterSetup::current().SetPrinterOrientation(
            form == Form::Inventory ? PrinterSetup::Landscape : PrinterSetup::Portrait, &detail)) {
        MsgBox::show(this, printerError, QStringLiteral("プリンタエラー"));
        return;
    }
    // The figures are read now, not when the window opened: a preview closing runs the
    // preparation again, and the next form must print its result.
    Report::Document doc;
    QString error;
    const bool built = form == Form::Inventory
                           ? InventoryReport::build(year_.file(), *year_.wk(), &doc, &error)
                           : StatementReport::build(*year_.wk(), &doc, &error);
    if (!built) {
        MsgBox::show(this, error);
        return;
    }
    ReportPreview::exec(this, doc);
}

void Frm_Print::setFolderAnswer(std::function<QString()> answer) {
    folderAnswer = std::move(answer);
}

void Frm_Print::savePdfs(QWidget *parent, CurrentYear &year, const More &more) {
    QString error;
    if (prepare(parent, year) != Prepared::Ready) return;
    QList<Report::Document> docs(2);
    if (!InventoryReport::build(year.file(), *year.wk(), &docs[0], &error) ||
        !StatementReport::build(*year.wk(), &docs[1], &error) || (more && !more(&docs, &error))) {
        MsgBox::show(parent, error);
        return;
    }
    QStringList names;
    for (const Report::Document &d : docs) names << ReportPreview::pdfName(d, d.year);
    const QString title = QStringLiteral("PDFに保存");
    auto targets = [&names](const QString &folder) {
        QStringList paths;
        for (const QString &name : names) paths << QDir(folder).filePath(name);
        return paths;
    };
    const QString folder = OwnFiles::ask(
        [parent] {
            return folderAnswer ? folderAnswer()
                                : QFileDialog::getExistingDirectory(
                                      parent, QStringLiteral("PDFの保存先"), QDir::currentPath());
        },
        [&](const QString &refusal) { MsgBox::show(parent, refusal, title); }, targets);
    if (folder.isEmpty()) return;
    bool exists = false;
    for (const QString &path : targets(folder)) exists = exists || QFile::exists(path);
    if (exists && MsgBox::show(parent,
                               QStringLiteral("同じ名前のファイルがあります。上書きしますか？\n") +
                                   names.join(QLatin1Char('\n')),
                               title, MsgBox::Buttons::OkCancel) != MsgBox::Answer::Ok)
        return;
    const QPageSize paper = ReportPreview::defaultPaper();
    for (int i = 0; i < docs.size(); ++i) {
        if (!Report::savePdf(docs[i], QDir(folder).filePath(names[i]), paper, &error)) {
            MsgBox::show(parent, error);
            return;
        }
    }
    MsgBox::show(parent, QStringLiteral("PDFに保存しました。\n") + names.join(QLatin1Char('\n')),
                 title);
}
