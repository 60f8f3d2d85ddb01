#include "dialogs/DialogBlendWith.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "bank/SysExData.h"
#include "dialogs/PercentSlider.h"

CDialogBlendWith::CDialogBlendWith(const QString& in_entryTitle, std::vector<Source> in_sources,
                                   int in_source, int in_entry, int in_percent, Preview in_preview,
                                   QWidget* in_parent)
    : QDialog(in_parent), m_Sources(std::move(in_sources)), m_Preview(std::move(in_preview)) {
    setWindowTitle(QStringLiteral("Blend With"));
    setModal(true);
    auto* heading = new QLabel(QStringLiteral("Blend %1 with:").arg(in_entryTitle), this);
    m_SourceBox = new QComboBox(this);
    for (const Source& source : m_Sources) {
        m_SourceBox->addItem(source.title);
    }
    m_EntryBox = new QComboBox(this);
    m_EntryBox->setMaxVisibleItems(16);
    m_MixSlider = MakePercentSlider(this, in_percent, m_MixText);
    auto* hint = new QLabel(
        QStringLiteral("At 0 % %1 stays as it is; at 100 % it takes the other's values.\n"
                       "Switches change at 50 %. A patch keeps its tone numbers.")
            .arg(in_entryTitle),
        this);
    hint->setEnabled(false);
    m_OkButton = new QPushButton(QStringLiteral("OK"), this);
    m_OkButton->setDefault(true);
    m_OkButton->setEnabled(!m_Sources.empty());
    m_CancelButton = new QPushButton(QStringLiteral("Cancel"), this);

    auto* mix = new QHBoxLayout;
    mix->addWidget(m_MixSlider, 1);
    mix->addWidget(m_MixText);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&From:"), m_SourceBox);
    form->addRow(QStringLiteral("&Entry:"), m_EntryBox);
    // A row of a layout has no buddy of its own: the label names the slider.
    auto* mixLabel = new QLabel(QStringLiteral("&Mix:"), this);
    mixLabel->setBuddy(m_MixSlider);
    form->addRow(mixLabel, mix);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_OkButton);
    buttons->addWidget(m_CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setTabOrder(m_OkButton, m_CancelButton);
    setTabOrder(m_CancelButton, m_SourceBox);
    setTabOrder(m_SourceBox, m_EntryBox);
    setTabOrder(m_EntryBox, m_MixSlider);
    setMinimumWidth(fontMetrics().averageCharWidth() * 56);

    if (in_source >= 0 && in_source < m_SourceBox->count()) {
        m_SourceBox->setCurrentIndex(in_source);
    }
    FillEntries();
    if (in_entry >= 0 && in_entry < m_EntryBox->count()) {
        m_EntryBox->setCurrentIndex(in_entry);
    }

    connect(m_SourceBox, qOverload<int>(&QComboBox::currentIndexChanged), this, [this]() {
        const int entry = m_EntryBox->currentIndex();
        FillEntries();
        if (entry >= 0 && entry < m_EntryBox->count()) {
            m_EntryBox->setCurrentIndex(entry);
        }
        Changed();
    });
    connect(m_EntryBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this]() { Changed(); });
    connect(m_MixSlider, &QSlider::valueChanged, this, [this]() { Changed(); });
    connect(m_OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    // What the entry would become at the first choice, before anything moves.
    Changed();
}

void CDialogBlendWith::FillEntries() {
    const QSignalBlocker quiet(m_EntryBox);
    m_EntryBox->clear();
    const int source = m_SourceBox->currentIndex();
    if (source < 0 || source >= static_cast<int>(m_Sources.size())) {
        return;
    }
    const QStringList& names = m_Sources[static_cast<size_t>(source)].entryNames;
    for (int i = 0; i < names.size(); ++i) {
        m_EntryBox->addItem(
            QStringLiteral("%1  %2").arg(QString::fromStdString(EntryNumber(i)), names.at(i)));
    }
    // A library entry is the one the panel has selected.
    m_EntryBox->setEnabled(!names.isEmpty());
}

void CDialogBlendWith::Changed() {
    if (m_Preview && GetSource() >= 0) {
        m_Preview(GetSource(), GetEntry(), GetPercent());
    }
}

int CDialogBlendWith::GetSource() const {
    return m_SourceBox->currentIndex();
}

int CDialogBlendWith::GetEntry() const {
    return std::max(0, m_EntryBox->currentIndex());
}

int CDialogBlendWith::GetPercent() const {
    return m_MixSlider->value();
}
