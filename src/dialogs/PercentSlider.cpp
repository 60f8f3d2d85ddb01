#include "dialogs/PercentSlider.h"

#include <QLabel>
#include <QSlider>

QSlider* MakePercentSlider(QWidget* in_parent, int in_value, QLabel*& out_text) {
    auto* slider = new QSlider(Qt::Horizontal, in_parent);
    slider->setRange(0, 100);
    slider->setSingleStep(1);
    slider->setPageStep(10);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(10);
    slider->setValue(in_value);
    auto* text = new QLabel(in_parent);
    text->setMinimumWidth(text->fontMetrics().horizontalAdvance(QStringLiteral("100 %")));
    text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    text->setText(QStringLiteral("%1 %").arg(slider->value()));
    QObject::connect(slider, &QSlider::valueChanged, text, [text](int in_percent) {
        text->setText(QStringLiteral("%1 %").arg(in_percent));
    });
    out_text = text;
    return slider;
}
