#pragma once

#include <QColor>
#include <QString>

#include "mks80/Parameters.h"

class QFontMetrics;
class QScrollArea;
class QWidget;

// The small rules of how the Parameters panel lays out and marks its controls.
namespace parameter_controls {

// The colour of a value the MKS-80 could not have sent.
QColor DamagedColour();
QString DamagedTip();
// A page step that moves by something the ear knows: an octave for a pitch, ten for a
// level of 0 to 100.
int PageStep(const mks80::Parameter& in_param);
// The width of the longest label of a kind's parameters, so that the controls of
// every section start at the same place.
int LabelWidth(const QFontMetrics& in_metrics, mks80::Kind in_kind);
// A frameless area that scrolls in_body, leaving the focus to its controls.
QScrollArea* MakeScrollArea(QWidget* in_parent, QWidget* in_body);

}  // namespace parameter_controls
