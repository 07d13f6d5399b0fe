#pragma once

#include <QStringList>
#include <QVariantList>
#include <vector>

#include "SoldHead.h"

class YearFile;

// The year's sold calves (status 売却) with their sale data, in the register's order, as
// the sale window and the report take them; the register's store (Calves) keeps them.
namespace SaleData {

struct Row {
    qint64 rowid = 0;
    SoldHead head;
    QVariantList stored;  // by Fields::Sale; null when not entered
};

// A file of a version before some of these fields, opened only to be read, shows them
// empty.
bool load(const YearFile &file, std::vector<Row> *rows, QString *error);
bool load(const YearFile &file, std::vector<SoldHead> *heads, QString *error);

// Puts the sale fields (by Fields::Sale, null for empty) into the head.
void apply(const QVariantList &stored, SoldHead *head);

// Why the sale fields cannot be stored for the head, or "": a tax or grant below 0, a
// birth after its sale, or before a bought calf's 導入日. The register's own dates are not
// questioned here.
QString refusal(const SoldHead &head, const QVariantList &stored, Fields::Sale *field);

// What the farmer should look at again in sale fields that are stored all the same, or "":
// a tax above 10 % of the price, grants above it, a 個体識別番号 that fails its check.
QString warning(const SoldHead &head, const QVariantList &stored);

// Writes one calf's sale fields (by Fields::Sale, null for empty) in one transaction.
bool save(YearFile &file, qint64 rowid, const QVariantList &stored, QString *error);

}  // namespace SaleData
