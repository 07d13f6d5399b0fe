#include "SaleDelegate.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "Fields.h"
#include "SaleModel.h"

namespace {

// A chosen field: a digit key picks a code off its list, Backspace or Delete empties it;
// read-only, so no word is typed and the input method stays out, and a digit arrives as a
// key however the input method is set.
class ChoiceEdit : public QLineEdit {
  public:
    ChoiceEdit(const Fields::Field &field, QWidget *parent) : QLineEdit(parent), field_(field) {
        setReadOnly(true);
    }
    QVariant code;
    std::function<void()> picked;

  protected:
    void keyPressEvent(QKeyEvent *key) override {
        QVariant typed;
        if (key->key() != Qt::Key_Backspace && key->key() != Qt::Key_Delete) {
            // Full-width digits count as their ASCII twins.
            const QString text = key->text().normalized(QString::NormalizationForm_KC);
            bool number = false;
            const int n = text.toInt(&number);
            if (!number || text.size() != 1 || !field_.code(n)) {
                QLineEdit::keyPressEvent(key);  // whatever the key does in a read-only field
                return;
            }
            typed = n;
        }
        code = typed;
        picked();
    }

  private:
    const Fields::Field &field_;
};

}  // namespace

QWidget *SaleDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                    const QModelIndex &index) const {
    const Fields::Field &f = Fields::field(SaleModel::shown()[SaleModel::placeOf(index.column())]);
    auto *self = const_cast<SaleDelegate *>(this);
    QLineEdit *edit = nullptr;
    if (!f.codes.isEmpty()) {
        auto *choice = new ChoiceEdit(f, parent);
        choice->picked = [self, choice] { emit self->commitData(choice); };
        edit = choice;
    } else {
        edit = new QLineEdit(parent);
        edit->setAlignment(Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()));
        connect(edit, &QLineEdit::textEdited, self, [self, edit] { emit self->commitData(edit); });
    }
    edit->setObjectName(QStringLiteral("t_") + f.name);
    return edit;
}

void SaleDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const {
    auto *edit = static_cast<QLineEdit *>(editor);
    const QString text = index.data(Qt::DisplayRole).toString();
    // The model hears every key: setting the same text again would only move the caret.
    if (edit->text() != text) edit->setText(text);
    if (auto *choice = dynamic_cast<ChoiceEdit *>(edit)) {
        choice->code = index.data(Qt::EditRole);
        choice->selectAll();
    }
}

void SaleDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                const QModelIndex &index) const {
    if (auto *choice = dynamic_cast<ChoiceEdit *>(editor))
        model->setData(index, choice->code);
    else
        model->setData(index, static_cast<QLineEdit *>(editor)->text());
}
