#include "dialogs/DialogChooseToneToOverwrite.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <cassert>

#include "bank/SysExData.h"
#include "dialogs/DialogLayout.h"
#include "dialogs/EntryNameText.h"

namespace {
// An entry as both lists show it: its two-digit number, a blank, its name.
QString ItemText(int in_index, const std::string& in_name) {
    return QString::fromStdString(EntryNumber(in_index)) + QLatin1Char(' ') +
           EntryNameToText(in_name);
}
}  // namespace

CDialogChooseToneToOverwrite::CDialogChooseToneToOverwrite(int in_nTone,
                                                           CSysExData* in_ptrSysExData,
                                                           QWidget* in_parent)
    : COkCancelDialog(QStringLiteral("Choose Tone to Overwrite"), in_parent),
      m_ptrSysExData(in_ptrSysExData),
      m_nInitialTone(in_nTone),
      m_nSelectedTone(in_nTone) {
    assert(in_ptrSysExData && "in_ptrSysExData");
    auto* group = new QGroupBox(QStringLiteral("Tone to overwrite"), this);
    auto* toneLabel = new QLabel(QStringLiteral("Tone"), this);
    m_ToneCombo = new QComboBox(this);
    auto* patchesLabel = new QLabel(QStringLiteral("Patches that use this tone"), this);
    m_PatchList = new QListWidget(this);
    auto* note1 =
        new QLabel(QStringLiteral("NOTE: The Patches that already use this tone will sound"), this);
    auto* note2 = new QLabel(QStringLiteral("different after clicking OK!"), this);

    const CDialogLayout layout(*this);
    PlaceButtons(layout, 135, 10);
    layout.Place(toneLabel, 15, 17, 17, 8);
    layout.PlaceCombo(m_ToneCombo, 14, 27, 100, 78);
    layout.Place(patchesLabel, 14, 45, 76, 8);
    m_PatchList->setGeometry(layout.ToPixels(14, 55, 100, 50));
    layout.Place(note1, 10, 125, 167, 8);
    layout.Place(note2, 33, 136, 75, 8);
    // The frame encloses whatever its controls needed, drawn beneath them.
    QRect frame = layout.ToPixels(5, 5, 120, 110);
    for (QWidget* inside :
         {static_cast<QWidget*>(toneLabel), static_cast<QWidget*>(m_ToneCombo),
          static_cast<QWidget*>(patchesLabel), static_cast<QWidget*>(m_PatchList)}) {
        frame.setRight(std::max(frame.right(), inside->geometry().right() + 10));
    }
    group->setGeometry(frame);
    group->lower();
    layout.Finish(194, 150);

    m_PatchList->setSelectionMode(QAbstractItemView::SingleSelection);
    SetTabOrder({m_ToneCombo, m_PatchList});
    m_OkButton->setFocus();
    OnInitDialog();
    connect(m_ToneCombo, &QComboBox::currentIndexChanged, this,
            &CDialogChooseToneToOverwrite::OnSelChangeTone);
}

void CDialogChooseToneToOverwrite::OnInitDialog() {
    // Every text starts with its own entry number, so index order is the sorted order
    // and item position i is tone index i.
    for (int index = 0; index < BANK_SIZE; ++index) {
        m_ToneCombo->addItem(ItemText(index, m_ptrSysExData->GetTone(index)->GetName()));
    }
    // A proposed tone outside the bank selects nothing.
    m_ToneCombo->setCurrentIndex(m_nInitialTone >= 0 && m_nInitialTone < BANK_SIZE ? m_nInitialTone
                                                                                   : -1);
    OnSelChangeTone();
}

void CDialogChooseToneToOverwrite::OnSelChangeTone() {
    m_nSelectedTone = m_ToneCombo->currentIndex();
    m_PatchList->clear();
    if (m_nSelectedTone < 0) {
        return;
    }
    for (int index = 0; index < BANK_SIZE; ++index) {
        const CPatchData* patch = m_ptrSysExData->GetPatch(index);
        if (patch->UsesTone(m_nSelectedTone)) {
            m_PatchList->addItem(ItemText(index, patch->GetName()));
        }
    }
}
