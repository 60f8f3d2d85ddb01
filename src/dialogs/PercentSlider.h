#pragma once

class QFormLayout;
class QLabel;
class QSlider;
class QString;
class QWidget;

// Adds a row to in_form: the label in_label, whose mnemonic goes to the slider, a slider
// from 0 to 100 % set to in_value, and the text that shows its value ("30 %") and follows
// it (out_text).
QSlider* AddPercentRow(QFormLayout& in_form, QWidget* in_parent, const QString& in_label,
                       int in_value, QLabel*& out_text);
