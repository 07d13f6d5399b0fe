#include "Frm_Proseed.h"

using Binding::Kind;

Frm_Proseed::Frm_Proseed(CurrentYear &year, QWidget *parent)
    : LedgerWindow(
          year, QStringLiteral("Frm_Proseed"), QStringLiteral("収入登録"),
          QStringLiteral("T_Proseed"),
          {
              {QStringLiteral("Hanbai"), QStringLiteral("販売金額"), Kind::Amount},
              {QStringLiteral("Zatu"), QStringLiteral("雑収入"), Kind::Amount},
              {QStringLiteral("Etc1_Name"), QStringLiteral("その他収入1の名称"), Kind::Text},
              {QStringLiteral("Etc1"), QStringLiteral("その他収入1"), Kind::Amount},
              {QStringLiteral("Etc2_Name"), QStringLiteral("その他収入2の名称"), Kind::Text},
              {QStringLiteral("Etc2"), QStringLiteral("その他収入2"), Kind::Amount},
          },
          4, parent) {}
