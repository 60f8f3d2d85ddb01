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
    : COkCancelDialog(QStringLiteral("Blend With"), in_parent),
      m_Sources(std::move(in_sources)),
      m_Preview(std::move(in_preview)) {
    auto* heading = new QLabel(QStringLiteral("Blend %1 with:").arg(in_entryTitle), this);
    m_SourceBox = new QComboBox(this);
    for (const Source& source : m_Sources) {
        m_SourceBox->addItem(source.title);
    }
    m_EntryBox = new QComboBox(this);
    m_EntryBox->setMaxVisibleItems(16);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&From:"), m_SourceBox);
    form->addRow(QStringLiteral("&Entry:"), m_EntryBox);
    m_MixSlider = AddPercentRow(*form, this, QStringLiteral("&Mix:"), in_percent, m_MixText);
    auto* hint = new QLabel(
        QStringLiteral("At 0 % %1 stays as it is; at 100 % it takes the other's values.\n"
                       "Switches change at 50 %. A patch keeps its tone numbers.")
            .arg(in_entryTitle),
        this);
    hint->setEnabled(false);
    m_OkButton->setEnabled(!m_Sources.empty());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addStretch(1);
    layout->addLayout(ButtonRow());
    SetTabOrder({m_SourceBox, m_EntryBox, m_MixSlider});
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
