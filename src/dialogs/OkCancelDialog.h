#pragma once

#include <QDialog>
#include <initializer_list>

class CDialogLayout;
class QHBoxLayout;
class QPushButton;
class QString;

// The frame of every dialog that asks the user for something: modal, OK the default
// button, Cancel closing it with nothing changed. OK runs OnOK, which accepts unless
// the dialog checks its input first.
class COkCancelDialog : public QDialog {
    Q_OBJECT

  public:
    QPushButton* m_OkButton = nullptr;
    QPushButton* m_CancelButton = nullptr;

  protected:
    COkCancelDialog(const QString& in_title, QWidget* in_parent);

    // OK at (in_x, in_y) in dialog units and Cancel below it, both 50 by 14, as every
    // template of the program has them.
    void PlaceButtons(const CDialogLayout& in_layout, int in_x, int in_y);
    // For a dialog laid out by Qt's layouts: the row at its foot, in_left at the left and
    // OK and Cancel at the right.
    QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> in_left = {});
    // Tab goes OK, Cancel, then in_fields in this order.
    void SetTabOrder(std::initializer_list<QWidget*> in_fields);
    virtual void OnOK() { accept(); }
};
