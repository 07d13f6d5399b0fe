#include "ReportPreview.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QTimer>
#include <QToolBar>

#include "MsgBox.h"
#include "MsgText.h"
#include "OwnFiles.h"
#include "PrinterSetup.h"

namespace ReportPreview {

namespace {
std::function<QString(const QString &)> savePathAnswer;
std::function<void(QDialog *, const Report::Document &)> shownHook;

// Qt's preview toolbar is outside the Tab order: its two commands get keys, and the
// tooltip says which.
void giveKey(QAction *action, const QKeySequence &key) {
    action->setShortcut(key);
    action->setToolTip(QStringLiteral("%1 (%2)").arg(action->text().remove(QLatin1Char('&')),
                                                     key.toString(QKeySequence::NativeText)));
}

// Qt's own print command closes the preview whatever the print system answered. This
// one says a refused job, and keeps the preview open so the form can be saved as PDF.
void print(QPrintPreviewDialog *preview, QPrinter *printer) {
    QPrintDialog dialog(printer, preview);
    if (dialog.exec() != QDialog::Accepted) return;
    const QString title = QStringLiteral("印刷");
    if (const QString refused = OwnFiles::refusal(printer->outputFileName()); !refused.isEmpty()) {
        MsgBox::show(preview, refused, title);
        return;
    }
    preview->findChild<QPrintPreviewWidget *>()->print();
    const QString reason = PrinterSetup::JobRefusal(*printer);
    if (reason.isEmpty()) return preview->accept();
    MsgBox::show(
        preview,
        MsgText::withDetail(
            QStringLiteral("プリンタ「%1」が印刷を受け付けませんでした。印刷されていません。\n"
                           "プリンタの状態を確かめるか、「PDFに保存」(Ctrl+S) またはメニューの "
                           "ﾌｧｲﾙ > PDFに保存 で PDF にして、別の方法で印刷してください。")
                .arg(printer->printerName()),
            reason),
        title);
}
}  // namespace

void setShownHook(std::function<void(QDialog *, const Report::Document &)> hook) {
    shownHook = std::move(hook);
}

void setSavePathAnswer(std::function<QString(const QString &)> answer) {
    savePathAnswer = std::move(answer);
}

QPageSize defaultPaper() {
    const QPageSize size = QPrinterInfo::defaultPrinter().defaultPageSize();
    return size.isValid() ? size : QPageSize(QPageSize::A4);
}

QString pdfName(const Report::Document &doc, const QString &year) {
    return QStringLiteral("%1_%2年度.pdf").arg(doc.caption, year);
}

void savePdfFromPreview(QWidget *parent, const Report::Document &doc, const QPageSize &paper) {
    const QString suggested = QDir::current().absoluteFilePath(pdfName(doc, doc.year));
    const QString title = QStringLiteral("PDFに保存");
    const QString path = OwnFiles::ask(
        [&] {
            return savePathAnswer ? savePathAnswer(suggested)
                                  : QFileDialog::getSaveFileName(parent, title, suggested,
                                                                 QStringLiteral("PDF (*.pdf)"));
        },
        [&](const QString &refusal) { MsgBox::show(parent, refusal, title); });
    if (path.isEmpty()) return;
    QString error;
    if (!Report::savePdf(doc, path, paper, &error)) MsgBox::show(parent, error);
}

void exec(QWidget *parent, const Report::Document &doc) {
    // Qt does not apply the printer's stored default orientation by itself.
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(Report::pageLayout(doc, defaultPaper()));
    printer.setDocName(doc.title);
    printer.setFullPage(false);

    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName(QStringLiteral("ReportPreview"));
    preview.setWindowTitle(doc.caption);
    if (QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        preview.resize(screen->availableSize() * 4 / 5);  // a page that can be read
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, [&](QPrinter *p) {
        QString error;
        if (Report::paint(doc, p, &error) || error.isEmpty()) return;
        // Pages cut short by a failed read must not be printed. Queued: this runs inside
        // the preview's own painting.
        QTimer::singleShot(0, &preview, [&preview, error] {
            MsgBox::show(&preview, error);
            preview.reject();
        });
    });
    if (auto *bar = preview.findChild<QToolBar *>()) {
        const QString printText = QCoreApplication::translate("QPrintPreviewDialog", "Print");
        for (QAction *action : bar->actions()) {
            if (action->text() != printText) continue;
            action->setObjectName(QStringLiteral("cmd_Print"));
            giveKey(action, QKeySequence::Print);
            QObject::disconnect(action, &QAction::triggered, &preview, nullptr);
            QObject::connect(action, &QAction::triggered, &preview,
                             [&] { print(&preview, &printer); });
        }
        QAction *save = bar->addAction(QStringLiteral("PDFに保存"));
        save->setObjectName(QStringLiteral("cmd_SavePdf"));
        giveKey(save, QKeySequence::Save);
        QObject::connect(save, &QAction::triggered, &preview, [&] {
            savePdfFromPreview(&preview, doc, printer.pageLayout().pageSize());
        });
    }
    if (shownHook) QTimer::singleShot(0, &preview, [&] { shownHook(&preview, doc); });
    preview.exec();
}

}  // namespace ReportPreview
