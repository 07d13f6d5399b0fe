#include "StartUp.h"

#include "Frm_Init.h"
#include "Frm_Main.h"
#include "Frm_Wk.h"
#include "M_Cow.h"
#include "MsgBox.h"
#include "PointerFile.h"
#include "YearFile.h"

std::unique_ptr<Frm_Main> StartUp() {
    QString year, problem;
    PointerFile::Read read = ReadCurrentYear(&year, &problem);
    if (read == PointerFile::Read::Ok && !YearFile::open(M_Cow::DbFileName, &problem))
        read = PointerFile::Read::Unreadable;
    if (read == PointerFile::Read::Unreadable)
        MsgBox::show(nullptr, MsgBox::beforeDetail(
                                  problem, QStringLiteral("処理年度を設定し直してください。")));

    if (read != PointerFile::Read::Ok) {
        Frm_Init init;
        if (init.exec() != QDialog::Accepted) return nullptr;
        year = init.yearText();
    }
    QString error;
    if (!Frm_Wk::load(&error)) {
        MsgBox::show(nullptr, error);
        return nullptr;
    }
    Frm_Wk::instance()->t_Nendo = year;
    return std::make_unique<Frm_Main>();
}
