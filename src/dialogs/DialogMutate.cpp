#include "dialogs/DialogMutate.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "dialogs/PercentSlider.h"

CDialogMutate::CDialogMutate(const QString& in_entryTitle, int in_percent, Preview in_preview,
                             SeedSource in_seeds, QWidget* in_parent)
    : COkCancelDialog(QStringLiteral("Mutate"), in_parent),
      m_Preview(std::move(in_preview)),
      m_Seeds(std::move(in_seeds)) {
    auto* heading = new QLabel(QStringLiteral("Vary %1 at random.").arg(in_entryTitle), this);
    auto* form = new QFormLayout;
    m_StrengthSlider =
        AddPercentRow(*form, this, QStringLiteral("&Strength:"), in_percent, m_StrengthText);
    auto* hint = new QLabel(QStringLiteral("Each level moves by at most this share of its range; "
                                           "each switch\nchanges with half this chance. Tone "
                                           "numbers and the name are kept."),
                            this);
    hint->setEnabled(false);
    m_AgainButton = new QPushButton(QStringLiteral("&Again"), this);
    m_AgainButton->setToolTip(QStringLiteral("Draw anew from %1 as it was").arg(in_entryTitle));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addStretch(1);
    layout->addLayout(ButtonRow({m_AgainButton}));
    SetTabOrder({m_StrengthSlider, m_AgainButton});
    setMinimumWidth(fontMetrics().averageCharWidth() * 56);

    m_Seed = m_Seeds ? m_Seeds() : 0;
    // A stronger or weaker mutation keeps its draw; Again takes a new one.
    connect(m_StrengthSlider, &QSlider::valueChanged, this, [this]() { Changed(); });
    connect(m_AgainButton, &QPushButton::clicked, this, [this]() {
        m_Seed = m_Seeds ? m_Seeds() : m_Seed + 1;
        Changed();
    });
    Changed();
}

int CDialogMutate::GetPercent() const {
    return m_StrengthSlider->value();
}

void CDialogMutate::Changed() {
    if (m_Preview) {
        m_Preview(GetPercent(), m_Seed);
    }
}
