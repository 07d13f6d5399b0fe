#include "StartUp.h"

#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>

#include "Frm_Init.h"
#include "Frm_Main.h"
#include "Frm_Wk.h"
#include "M_Cow.h"
#include "MsgBox.h"
#include "PointerFile.h"
#include "YearFile.h"

QString DocumentsWorkingFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
           QStringLiteral("/Moriva");
}

bool EnterWorkingFolder(const QStringList &arguments, QString *error) {
    QCommandLineParser parser;
    const QCommandLineOption documents(
        DocumentsOption,
        QStringLiteral(
            "ドキュメントフォルダの Moriva を作業フォルダにします（なければ作ります）。"));
    parser.addOption(documents);
    const QCommandLineOption help = parser.addHelpOption();
    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty()) {
        *error = MsgBox::withDetail(
            QStringLiteral("起動のしかたが違います。\n使い方：moriva [--%1]").arg(DocumentsOption),
            parser.errorText().isEmpty() ? parser.positionalArguments().join(u' ')
                                         : parser.errorText());
        return false;
    }
    if (parser.isSet(help)) parser.showHelp();  // prints the options and ends the program
    if (!parser.isSet(documents)) return true;

    const QString folder = DocumentsWorkingFolder();
    if (QDir().mkpath(folder) && QDir::setCurrent(folder)) return true;
    *error = QStringLiteral("作業フォルダ %1 を作れませんでした。")
                 .arg(QDir::toNativeSeparators(folder));
    return false;
}

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
