#include "CurrentYear.h"

#include "M_Cow.h"
#include "MsgText.h"

CurrentYear::CurrentYear(QObject *parent) : QObject(parent) {}

CurrentYear::~CurrentYear() {
    if (wk_) wk_->file()->setFollower(nullptr);
}

bool CurrentYear::open(const QString &fileName, QString *error) {
    auto wk = Frm_Wk::prepare(fileName, error);
    if (!wk) return false;
    install(std::move(wk));
    return true;
}

void CurrentYear::install(std::unique_ptr<Frm_Wk> wk) {
    // The year text comes from the file's name, as the file's name is how the next start
    // finds the year again: the two can never name different years.
    fileName_ = wk->file()->fileName();
    wk->t_Nendo = M_Cow::yearOfFileName(fileName_);
    const auto &file = wk->file();
    file->setCurrent(true);
    file->setFollower([this](YearFile::Change what) { follow(what); });
    take(std::move(wk));
}

void CurrentYear::close() {
    take(nullptr);
}

void CurrentYear::take(std::unique_ptr<Frm_Wk> wk) {
    // A window left open on the year before keeps its file; what it saves there is no
    // longer this year's, and is neither followed nor backed up as this year's.
    if (wk_) {
        wk_->file()->setFollower(nullptr);
        wk_->file()->setCurrent(false);
    }
    wk_ = std::move(wk);
}

void CurrentYear::follow(YearFile::Change what) {
    using S = Frm_Wk::Source;
    QList<S> sources;
    switch (what) {
        case YearFile::Change::Calves:
            sources = {Frm_Wk::Data_CowCal1};
            break;
        case YearFile::Change::Expenses:
            // In the order the expenses have always been read back after a save.
            sources = {Frm_Wk::Data_Cost_Ikusei,    Frm_Wk::Data_Cost_Konsiryou,
                       Frm_Wk::Data_Cost_Zensiryou, Frm_Wk::Data_Cost2,
                       Frm_Wk::Data_CostCal,        Frm_Wk::Data_CowCal1};
            break;
        case YearFile::Change::Income:
            sources = {Frm_Wk::Data_ProseedCal1};
            break;
        case YearFile::Change::SaleData:
            break;  // no total counts the sale data
        case YearFile::Change::All:
            sources = {Frm_Wk::Data_CowCal1,        Frm_Wk::Data_CostCal,
                       Frm_Wk::Data_Cost2,          Frm_Wk::Data_ProseedCal1,
                       Frm_Wk::Data_Cost_Zensiryou, Frm_Wk::Data_Cost_Konsiryou,
                       Frm_Wk::Data_Cost_Ikusei};
            break;
    }
    reread(sources);
}

void CurrentYear::reread(const QList<Frm_Wk::Source> &sources) {
    if (!wk_) return;
    for (Frm_Wk::Source s : sources) {
        QString error;
        if (!wk_->refresh({s}, &error)) MsgText::tell(error);
    }
}
