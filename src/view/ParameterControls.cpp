#include "view/ParameterControls.h"

#include <QFontMetrics>
#include <QScrollArea>
#include <algorithm>

namespace parameter_controls {

QColor DamagedColour() {
    return QColor(200, 0, 0);
}

QString DamagedTip() {
    return QStringLiteral(
        "Shown as stored: the MKS-80 could not have sent this value. A change writes a valid "
        "one.");
}

int PageStep(const mks80::Parameter& in_param) {
    switch (in_param.display) {
        case mks80::Display::Note:
        case mks80::Display::Vco2Range:
            return 12;
        default:
            return std::max(1, in_param.steps / 10);
    }
}

int LabelWidth(const QFontMetrics& in_metrics, mks80::Kind in_kind) {
    int width = 0;
    for (const mks80::Parameter& param : mks80::ParametersOf(in_kind)) {
        width = std::max(width, in_metrics.horizontalAdvance(QString::fromUtf8(param.label)));
    }
    return width + in_metrics.averageCharWidth();
}

QScrollArea* MakeScrollArea(QWidget* in_parent, QWidget* in_body) {
    auto* area = new QScrollArea(in_parent);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    // Tab goes from control to control; the area scrolls to show the one with the focus.
    area->setFocusPolicy(Qt::NoFocus);
    area->setWidget(in_body);
    return area;
}

}  // namespace parameter_controls
