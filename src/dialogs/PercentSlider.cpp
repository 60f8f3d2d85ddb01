#include "dialogs/PercentSlider.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>

QSlider* AddPercentRow(QFormLayout& in_form, QWidget* in_parent, const QString& in_label,
                       int in_value, QLabel*& out_text) {
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
    auto* row = new QHBoxLayout;
    row->addWidget(slider, 1);
    row->addWidget(text);
    // A row of a layout has no buddy of its own: the label names the slider.
    auto* label = new QLabel(in_label, in_parent);
    label->setBuddy(slider);
    in_form.addRow(label, row);
    out_text = text;
    return slider;
}
