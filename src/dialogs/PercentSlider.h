#pragma once

class QLabel;
class QSlider;
class QWidget;

// A slider from 0 to 100 % set to in_value, and the label that shows its value ("30 %")
// and follows it.
QSlider* MakePercentSlider(QWidget* in_parent, int in_value, QLabel*& out_text);
