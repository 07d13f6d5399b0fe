#include "Frm_Cow.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "Clock.h"
#include "CurrentYear.h"
#include "DataSource.h"
#include "FatteningMonths.h"
#include "KeyNav.h"
#include "MsgBox.h"
#include "YearFile.h"

namespace {

const QString Title = QStringLiteral("子牛登録");

QLineEdit *entry(QWidget *parent, const char *name, bool number) {
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    if (number) {
        e->setAlignment(Qt::AlignRight);
        e->setInputMethodHints(Qt::ImhPreferNumbers | Qt::ImhPreferLatin);
        e->setMaxLength(255);
    }
    return e;
}

}  // namespace

Frm_Cow::Frm_Cow(CurrentYear &year, std::optional<qint64> CowRecordSource, QWidget *parent)
    : QDialog(parent),
      CowRecordSource_(CowRecordSource),
      t_No(entry(this, "t_No", true)),
      t_Name(entry(this, "t_Name", false)),
      t_OName(entry(this, "t_OName", false)),
      t_I_Date(entry(this, "t_I_Date", true)),
      t_I_Kingaku(entry(this, "t_I_Kingaku", true)),
      t_Kisyu(entry(this, "t_Kisyu", true)),
      t_O_Date(entry(this, "t_O_Date", true)),
      cmd_New(new QPushButton(QStringLiteral("追加"), this)),
      cmd_Update(new QPushButton(QStringLiteral("更新"), this)),
      cmd_Close(new QPushButton(QStringLiteral("閉じる"), this)) {
    setObjectName(QStringLiteral("Frm_Cow"));
    setWindowTitle(Title);
    using Binding::Kind;
    fields_ = {
        {QStringLiteral("No"), t_No, Kind::Count, QStringLiteral("No")},
        {QStringLiteral("Name"), t_Name, Kind::Text, QStringLiteral("子牛名前")},
        {QStringLiteral("OName"), t_OName, Kind::Text, QStringLiteral("親牛名前")},
        {QStringLiteral("I_Date"), t_I_Date, Kind::Date, QStringLiteral("導入・種付年月日")},
        {QStringLiteral("I_Kingaku"), t_I_Kingaku, Kind::Amount, QStringLiteral("導入・種付金額")},
        {QStringLiteral("Kisyu"), t_Kisyu, Kind::Amount, QStringLiteral("期首棚卸高")},
        {QStringLiteral("O_Date"), t_O_Date, Kind::Date, QStringLiteral("売却・死亡年月日")}};
    Binding::prepare(fields_);

    auto *grid = new QGridLayout;
    int row = 0;
    for (const Binding::Field &f : fields_) {
        if (f.edit == t_O_Date) break;
        grid->addWidget(new QLabel(f.caption, this), row, 0);
        grid->addWidget(f.edit, row++, 1);
    }
    auto *f_Syori = new QGroupBox(QStringLiteral("処理"), this);
    f_Syori->setObjectName(QStringLiteral("f_Syori"));
    auto *optionsColumn = new QVBoxLayout(f_Syori);
    const std::pair<const char *, QString> optionDefs[] = {
        {"Option_Dounyuu", QStringLiteral("導入・種付")},
        {"Option_Hiiku", QStringLiteral("肥育中")},
        {"Option_Baikyaku", QStringLiteral("売却")},
        {"Option_Sibou", QStringLiteral("死亡")}};
    for (const auto &[name, caption] : optionDefs) {
        auto *o = new QRadioButton(caption, f_Syori);
        o->setObjectName(QString::fromLatin1(name));
        const QString code = QString::number(options_.size() + 1);
        connect(o, &QRadioButton::toggled, this, [this, code](bool on) {
            if (on) syori_ = code;
        });
        optionsColumn->addWidget(o);
        options_ << o;
    }
    grid->addWidget(f_Syori, row++, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("売却・死亡年月日"), this), row, 0);
    grid->addWidget(t_O_Date, row++, 1);

    cmd_New->setObjectName(QStringLiteral("cmd_New"));
    cmd_Update->setObjectName(QStringLiteral("cmd_Update"));
    cmd_Close->setObjectName(QStringLiteral("cmd_Close"));
    auto *side = new QVBoxLayout;
    for (QPushButton *b : {cmd_New, cmd_Update}) {
        b->setAutoDefault(false);
        side->addWidget(b);
    }
    cmd_Close->setAutoDefault(false);
    side->addStretch();
    side->addWidget(cmd_Close);
    auto *outer = new QHBoxLayout(this);
    outer->addLayout(grid);
    outer->addLayout(side);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmd_New, &QPushButton::clicked, this, &Frm_Cow::cmd_New_Click);
    connect(cmd_Update, &QPushButton::clicked, this, &Frm_Cow::cmd_Update_Click);
    connect(cmd_Close, &QPushButton::clicked, this, &QDialog::reject);

    auto *keys = new KeyNav(this);
    keys->field(t_No)
        .field(t_Name)
        .field(t_OName)
        .field(t_I_Date)
        .field(t_I_Kingaku)
        .field(t_Kisyu);
    keys->field(t_O_Date).button(cmd_New).button(cmd_Update).button(cmd_Close);
    keys->on(t_Kisyu, {Qt::Key_Return, Qt::Key_Down}, [this] { return statusTarget(); });
    keys->on(t_O_Date, {Qt::Key_Up}, [this] { return statusTarget(); });
    for (QPushButton *b : {cmd_New, cmd_Update}) keys->on(b, {Qt::Key_Right}, KeyNav::Action::Pass);
    for (int i = 0; i < options_.size(); ++i) {
        QRadioButton *o = options_[i];
        QRadioButton *before = options_[(i + options_.size() - 1) % options_.size()];
        QRadioButton *after = options_[(i + 1) % options_.size()];
        keys->on(o, {Qt::Key_Return, Qt::Key_Down}, [this] { return t_O_Date; });
        keys->on(o, {Qt::Key_Up}, [this] { return t_Kisyu; });
        // The options stand top to bottom, so Qt's geometric arrow handling would not
        // move sideways; Left and Right step through them as an option group does.
        keys->on(o, {Qt::Key_Left}, [before] {
            before->setChecked(true);
            return before;
        });
        keys->on(o, {Qt::Key_Right}, [after] {
            after->setChecked(true);
            return after;
        });
    }

    QString error;
    if (auto file = year.file()) {
        Data_Cow = std::make_unique<DataSource>(std::move(file), QStringLiteral("T_Cow"),
                                                CowRecordSource_);
        if (Data_Cow->refresh(&error) && CowEditMode() && Data_Cow->recordCount() == 0)
            error = QStringLiteral("選択した子牛はもう登録されていません。");
        if (!error.isEmpty()) Data_Cow.reset();
    } else {
        error = CurrentYear::notOpen();
    }
    if (!Data_Cow) {
        MsgBox::show(this, error, Title);
        QTimer::singleShot(0, this, &QDialog::reject);
        return;
    }
    // Chosen here, not when the window first becomes active: a button pressed before
    // that would otherwise store into whatever record the source happened to stand on.
    chooseRecord();
}

Frm_Cow::~Frm_Cow() = default;

void Frm_Cow::chooseRecord() {
    const bool edit = CowEditMode();
    cmd_Update->setVisible(edit);
    cmd_New->setVisible(!edit);
    if (edit) {
        Data_Cow->editCurrent();
        const QVariant code = Data_Cow->value(QStringLiteral("Syori"));
        syori_ = code.isNull() ? QString() : code.toString();
        if (QRadioButton *o = option(syori_)) o->setChecked(true);
    } else {
        Data_Cow->addNew();
        selectStatus(Dounyuu);
    }
    Binding::fill(fields_, *Data_Cow);
    t_No->setFocus();
}

QRadioButton *Frm_Cow::option(const QString &code) const {
    for (int i = 0; i < options_.size(); ++i)
        if (code == QString::number(i + 1)) return options_[i];
    return nullptr;
}

QWidget *Frm_Cow::statusTarget() const {
    // A new calf always starts at 導入・種付; an edited one at its stored status, or
    // nowhere when that status has no option.
    return CowEditMode() ? option(syori_) : options_.first();
}

void Frm_Cow::selectStatus(int code) {
    options_[code - 1]->setChecked(true);
    syori_ = QString::number(code);
}

bool Frm_Cow::store() {
    if (!Data_Cow) return false;
    Binding::Collected in = Binding::collect(fields_);
    if (!in.bad) {
        if (in.values.value(QStringLiteral("No")).isNull()) {
            in.bad = t_No;
            in.error = QStringLiteral("「No」を入力してください。");
        } else if (in.values.value(QStringLiteral("I_Date")).isNull()) {
            in.bad = t_I_Date;
            in.error = QStringLiteral("「導入・種付年月日」を入力してください。");
        }
    }
    if (!in.bad) {
        // Editing selects a calf by its number, so a second calf with the same number
        // could never be edited and its changes would land on the first.
        const auto taken = Data_Cow->otherRecordHas(
            QStringLiteral("No"), in.values.value(QStringLiteral("No")), &in.error);
        if (!taken || *taken) {
            in.bad = t_No;
            if (taken)
                in.error = QStringLiteral(
                               "No %1 の子牛はすでに登録されています。別の番号を入力してください。")
                               .arg(in.values.value(QStringLiteral("No")).toInt());
        }
    }
    if (in.bad) {
        MsgBox::show(this, in.error, Title);
        Binding::markBad(in);
        return false;
    }

    const QDate start =
        QDate::fromString(in.values.value(QStringLiteral("I_Date")).toString(), Qt::ISODate);
    const QVariant sold = in.values.value(QStringLiteral("O_Date"));
    const QDate end =
        sold.isNull() ? Clock::today() : QDate::fromString(sold.toString(), Qt::ISODate);
    bool numeric = false;
    const int code = syori_.toInt(&numeric);
    in.values.insert(QStringLiteral("Syori"), numeric ? QVariant(code) : QVariant());
    in.values.insert(QStringLiteral("Hiikutuki"),
                     int(FatteningMonths(start, end, numeric ? qint16(code) : qint16(0))));

    QString error;
    if (!Data_Cow->update(in.values, &error)) {
        MsgBox::show(this, error, Title);
        return false;
    }
    emit stored();
    return true;
}

void Frm_Cow::cmd_New_Click() {
    if (!store()) return;
    // The next calf often shares the dates and amounts, so those fields stay filled.
    Data_Cow->addNew();
    for (QLineEdit *e : {t_No, t_Name, t_OName}) e->clear();
    selectStatus(Dounyuu);
    t_No->setFocus();
}

void Frm_Cow::cmd_Update_Click() {
    if (store()) accept();
}
