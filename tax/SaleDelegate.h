#pragma once

#include <QStyledItemDelegate>

// The entry field of 売却牛の明細's grid: a typed field's text as typed, a chosen field
// picked by its number. Every edit goes into the model at once, so that a field's editor
// can close at any moment without losing what was typed.
class SaleDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;

  protected:
    // Not Qt's editor keys and focus rules: the window's key navigation moves between the
    // fields and saves the rows, and the editor stays open while the focus is away (on
    // 判定表, in a message box), as an entry field would.
    bool eventFilter(QObject *, QEvent *) override { return false; }
};
