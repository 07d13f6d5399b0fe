#pragma once

#include <QString>
#include <functional>

#include "Report.h"

class QDialog;
class QWidget;

// The modal print preview of one form on the default printer, from which the user
// prints, prints to a file, or saves a PDF with the toolbar's "PDFに保存".
namespace ReportPreview {

// Blocks until the preview is closed.
void exec(QWidget *parent, const Report::Document &doc);

// The default printer's paper, A4 when it has none (or there is no printer).
QPageSize defaultPaper();

// "子牛棚卸表_13年度.pdf" for the given year text.
QString pdfName(const Report::Document &doc, const QString &year);

// --- test seams ---
// Called once the preview runs, with the dialog and what it shows; it may close it.
void setShownHook(std::function<void(QDialog *preview, const Report::Document &doc)> hook);
// Answers the save dialog instead of the user: the chosen path, or "" for Cancel.
void setSavePathAnswer(std::function<QString(const QString &suggested)> answer);
// The preview's "PDFに保存": asks for a file (or the seam) and writes the PDF.
void savePdfFromPreview(QWidget *parent, const Report::Document &doc, const QPageSize &paper);

}  // namespace ReportPreview
