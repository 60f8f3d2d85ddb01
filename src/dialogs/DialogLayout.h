#pragma once

#include <QRect>

class QComboBox;
class QDialog;
class QWidget;

// Places the controls of a dialog the way its template gives them, in dialog units:
// a horizontal unit is a quarter of the font's average character width, a vertical
// one an eighth of its height. Text controls are never made narrower or lower than
// their text needs, so a font wider than the template's never clips a label.
class CDialogLayout {
  public:
    explicit CDialogLayout(QDialog& in_dialog);

    QRect ToPixels(int in_x, int in_y, int in_width, int in_height) const;
    // Sets the widget's geometry, grown to its size hint where that is larger.
    void Place(QWidget* in_widget, int in_x, int in_y, int in_width, int in_height) const;
    // A combo box: in_dropHeight is the height with its list open, as the template
    // gives it; the closed box takes the height it needs for its text.
    void PlaceCombo(QComboBox* in_combo, int in_x, int in_y, int in_width, int in_dropHeight) const;
    // Fixes the dialog's client size, grown where a control reaches beyond it.
    void Finish(int in_width, int in_height) const;

  private:
    QDialog& m_Dialog;
    int m_CharWidth;
    int m_CharHeight;
};
