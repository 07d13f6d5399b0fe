#include "Frm_Cost.h"

#include <QLineEdit>

#include "CurrentYear.h"
#include "YearFile.h"

using Binding::Kind;

Frm_Cost::Frm_Cost(CurrentYear &year, QWidget *parent)
    : LedgerWindow(
          year, QStringLiteral("Frm_Cost"), QStringLiteral("経費登録"), QStringLiteral("T_Cost"),
          {
              {QStringLiteral("Sozei"), QStringLiteral("租税公課"), Kind::Amount},
              {QStringLiteral("Mototiku"), QStringLiteral("素畜費"), Kind::Amount},
              {QStringLiteral("Siryou"), QStringLiteral("飼料費"), Kind::Amount},
              {QStringLiteral("Eisei"), QStringLiteral("衛生費"), Kind::Amount},
              {QStringLiteral("Syozairyou"), QStringLiteral("諸材料費"), Kind::Amount},
              {QStringLiteral("Syuuzen"), QStringLiteral("修繕費"), Kind::Amount},
              {QStringLiteral("Douryoku"), QStringLiteral("動力光熱費"), Kind::Amount},
              {QStringLiteral("Katiku"), QStringLiteral("家畜共済掛金"), Kind::Amount},
              {QStringLiteral("Genka"), QStringLiteral("減価償却費"), Kind::Amount},
              {QStringLiteral("Nidukuri"), QStringLiteral("荷造運賃手数料"), Kind::Amount},
              {QStringLiteral("Risi"), QStringLiteral("利子割引料"), Kind::Amount},
              {QStringLiteral("Senjuusya"), QStringLiteral("専従者給与"), Kind::Amount},
              {QStringLiteral("Zatu"), QStringLiteral("雑費"), Kind::Amount},
              {QStringLiteral("Etc1_Name"), QStringLiteral("その他経費1の名称"), Kind::Text},
              {QStringLiteral("Etc1"), QStringLiteral("その他経費1"), Kind::Amount},
              {QStringLiteral("Etc2_Name"), QStringLiteral("その他経費2の名称"), Kind::Text},
              {QStringLiteral("Etc2"), QStringLiteral("その他経費2"), Kind::Amount},
              {QStringLiteral("Etc3_Name"), QStringLiteral("その他経費3の名称"), Kind::Text},
              {QStringLiteral("Etc3"), QStringLiteral("その他経費3"), Kind::Amount},
              {QStringLiteral("Etc4_Name"), QStringLiteral("その他経費4の名称"), Kind::Text},
              {QStringLiteral("Etc4"), QStringLiteral("その他経費4"), Kind::Amount},
              {QStringLiteral("Zensiryou"), QStringLiteral("前年飼料棚卸高"), Kind::Amount},
              {QStringLiteral("Konsiryou"), QStringLiteral("今年飼料棚卸高"), Kind::Amount},
              {QStringLiteral("Ikusei"), QStringLiteral("育成費用"), Kind::Amount},
          },
          10, parent) {}

void Frm_Cost::filled() {
    // The fee is the one the work totals subtract from the year's expenses, so the
    // record is saved with that figure rather than with whatever it held before. The
    // totals are the current year's: a window left open on an earlier year keeps the
    // fee of its own file, or saving would carry the new year's fee into the old one.
    const Frm_Wk *wk = year_.wk();
    if (wk && wk->file()->fileName() == fileName())
        field(QStringLiteral("Nidukuri"))->setText(Binding::display(wk->t_Tesuu, Kind::Amount));
}
