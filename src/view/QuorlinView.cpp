#include "view/QuorlinView.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileDialog>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <algorithm>

#include "app/Quorlin.h"
#include "app/QuorlinDoc.h"
#include "app/UserAsker.h"
#include "app/WebPages.h"
#include "bank/Archive.h"
#include "dialogs/DialogDelayTime.h"
#include "dialogs/DialogEditPatch.h"
#include "dialogs/DialogEditTone.h"
#include "dialogs/DialogSetupMIDIPorts.h"
#include "dialogs/EntryNameText.h"
#include "midi/MidiManager.h"
#include "platform/Prompter.h"
#include "platform/Trace.h"
#include "view/BankClipboard.h"

namespace {
const QColor kOddGroupNumber(240, 15, 0);
const QColor kEvenGroupNumber(0, 0, 255);
const QColor kPatchName(0, 100, 0);
const QColor kToneName(2, 6, 48);

// Text with an opaque background of its own width only, so a highlight covers
// the name's characters and nothing else of the row.
void DrawOpaqueText(QPainter& in_painter, int in_x, int in_y, const QString& in_text,
                    const QColor& in_background, const QColor& in_foreground) {
    const QFontMetrics metrics(in_painter.font());
    const QRect box(in_x, in_y, metrics.horizontalAdvance(in_text), metrics.height());
    in_painter.fillRect(box, in_background);
    in_painter.setPen(in_foreground);
    in_painter.drawText(in_x, in_y + metrics.ascent(), in_text);
}
}  // namespace

CQuorlinView::CQuorlinView(CQuorlinDoc& in_doc, QWidget* in_parent)
    : CRowView(in_parent), m_ptrDoc(&in_doc) {
    m_SelectedRow = 1;
    m_SelectedColumn = 0;
    m_ptrDoc->AddView(this);
    // Registered for drops so that the pointer shows none is possible here.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setBackgroundRole(QPalette::Base);

    m_ptrPopup = new QMenu(QStringLiteral("popup menu"), this);
    QAction* cut = m_ptrPopup->addAction(QStringLiteral("&Cut"));
    cut->setData(32774);
    cut->setEnabled(false);
    QAction* copy = m_ptrPopup->addAction(QStringLiteral("Copy"));
    copy->setData(32775);
    connect(copy, &QAction::triggered, this, [this]() { OnEditCopy(); });
    QAction* paste = m_ptrPopup->addAction(QStringLiteral("Paste"));
    paste->setData(32776);
    connect(paste, &QAction::triggered, this, [this]() { OnEditPaste(); });
    m_ptrPopup->addSeparator();
    QAction* rename = m_ptrPopup->addAction(QStringLiteral("Rename"));
    rename->setData(32777);
    connect(rename, &QAction::triggered, this, [this]() { OnRename(); });

    if (CQuorlinApp* app = QuorlinApp()) {
        app->SetActiveBankView(this);
    }
}

CQuorlinView::~CQuorlinView() {
    m_ptrDoc->RemoveView(this);
}

void CQuorlinView::GetRowMetrics(const QFontMetrics& in_metrics, int& out_width, int& out_height,
                                 int& out_charWidth) {
    out_charWidth = in_metrics.averageCharWidth() + 1;
    out_height = in_metrics.height();
    out_width = 0;
}

void CQuorlinView::DrawRow(QPainter& in_painter, int in_row, int in_y, bool in_selected) {
    CSysExData* bank = GetSysExData();
    const QPalette& colours = palette();
    const QColor window = colours.color(QPalette::Base);
    const QColor highlight = colours.color(QPalette::Highlight);
    const QColor highlightText = colours.color(QPalette::HighlightedText);

    DrawOpaqueText(in_painter, 0, in_y, QString::fromStdString(EntryNumber(in_row)), window,
                   (in_row / 8) % 2 == 1 ? kEvenGroupNumber : kOddGroupNumber);

    const bool patchSelected = in_selected && m_SelectedColumn == 0;
    DrawOpaqueText(in_painter, 3 * m_CharWidth, in_y,
                   EntryNameToText(bank->GetPatch(in_row)->GetName()),
                   patchSelected ? highlight : window, patchSelected ? highlightText : kPatchName);

    const bool toneSelected = in_selected && m_SelectedColumn == 1;
    DrawOpaqueText(in_painter, 24 * m_CharWidth, in_y,
                   EntryNameToText(bank->GetTone(in_row)->GetName()),
                   toneSelected ? highlight : window, toneSelected ? highlightText : kToneName);
}

void CQuorlinView::MoveSelection(bool in_down) {
    if (in_down) {
        if (m_SelectedRow < std::min(GetNumRows() - 1, GetMaxRows() - 2)) {
            ++m_SelectedRow;
        }
    } else if (m_SelectedRow != 0) {
        --m_SelectedRow;
    }
    RefreshRow(m_SelectedRow);
}

void CQuorlinView::SelectCell(int in_row, int in_column) {
    if (in_row >= 0 && in_row < std::min(GetNumRows(), GetMaxRows() - 1)) {
        m_SelectedRow = in_row;
        m_SelectedColumn = in_column;
    }
    RefreshRow(m_SelectedRow);
}

std::unique_ptr<QMimeData> CQuorlinView::CreateDataSource() {
    return CreateBankMimeData(*GetSysExData(), m_SelectedRow, m_SelectedColumn);
}

bool CQuorlinView::PasteData(const QMimeData* in_data) {
    const bool stored = PasteBankMimeData(in_data, *GetSysExData(), m_SelectedRow, m_SelectedColumn,
                                          *m_ptrDoc, DialogToneChooser(this));
    if (stored) {
        m_ptrDoc->SetModifiedFlag();
    }
    return stored;
}

CSysExData* CQuorlinView::GetSysExData() {
    return m_ptrDoc->GetSysExData();
}

void CQuorlinView::OnInitialUpdate() {
    CRowView::OnInitialUpdate();
    SelectCell(0, 0);
}

void CQuorlinView::OnUpdate() {
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
    m_SelectedRow = -1;
    ResetScrollSizes();
}

bool CQuorlinView::StoreBank(CArchive& ar) {
    return GetSysExData()->StoreBank(ar);
}

bool CQuorlinView::LoadBank(CArchive& ar) {
    return GetSysExData()->LoadBank(ar);
}

void CQuorlinView::RepaintRows(int in_first, int in_count) {
    MeasureRows();
    for (int row = in_first; row < in_first + in_count; ++row) {
        viewport()->update(GetRowRect(row));
    }
}

void CQuorlinView::CloseFrame() {
    for (QWidget* frame = parentWidget(); frame; frame = frame->parentWidget()) {
        if (auto* child = qobject_cast<QMdiSubWindow*>(frame)) {
            child->setProperty("quorlinCloseConfirmed", true);
            child->close();
            return;
        }
    }
}

void CQuorlinView::OnReturnKey() {
    OnRename();
}

void CQuorlinView::mousePressEvent(QMouseEvent* in_event) {
    setFocus(Qt::MouseFocusReason);
    if (in_event->button() == Qt::RightButton) {
        // The row and column under the pointer are selected before the menu shows,
        // so its commands act on them.
        SelectAt(in_event->position().toPoint());
        viewport()->update();
        m_ptrPopup->exec(viewport()->mapToGlobal(in_event->position().toPoint()));
        in_event->accept();
        return;
    }
    CRowView::mousePressEvent(in_event);
}

void CQuorlinView::dragEnterEvent(QDragEnterEvent* in_event) {
    in_event->setDropAction(Qt::IgnoreAction);
    in_event->ignore();
}

void CQuorlinView::dragMoveEvent(QDragMoveEvent* in_event) {
    in_event->setDropAction(Qt::IgnoreAction);
    in_event->ignore();
}

void CQuorlinView::dragLeaveEvent(QDragLeaveEvent* in_event) {
    in_event->accept();
}

void CQuorlinView::dropEvent(QDropEvent* in_event) {
    in_event->setDropAction(Qt::IgnoreAction);
    in_event->ignore();
}

void CQuorlinView::OnEditCopy() {
    std::unique_ptr<QMimeData> data = CreateDataSource();
    if (data) {
        QGuiApplication::clipboard()->setMimeData(data.release());
    }
}

void CQuorlinView::OnEditPaste() {
    (void)PasteData(QGuiApplication::clipboard()->mimeData());
}

void CQuorlinView::OnRename() {
    CSysExData* bank = GetSysExData();
    const auto currentName = [&]() {
        const bool tone = m_SelectedColumn != 0;
        if (m_SelectedRow < 0 || m_SelectedRow >= BANK_SIZE) {
            return std::string();
        }
        return tone ? bank->GetTone(m_SelectedRow)->GetName()
                    : bank->GetPatch(m_SelectedRow)->GetName();
    };
    const std::string before = currentName();
    int result = QDialog::Rejected;
    if (m_SelectedColumn == 0) {
        CDialogEditPatch dialog(m_ptrDoc, GetSysExData(), m_SelectedRow, this);
        result = dialog.exec();
    } else {
        CDialogEditTone dialog(m_ptrDoc, GetSysExData(), m_SelectedRow, this);
        result = dialog.exec();
    }
    // OK with the name as it was changes nothing worth saving.
    if (result == QDialog::Accepted && currentName() != before) {
        m_ptrDoc->SetModifiedFlag();
    }
}

void CQuorlinView::OnGetPatches() {
    CQuorlinApp* app = QuorlinApp();
    if (!app) {
        return;
    }
    // The command comes from this window, so its bank is the one to fill.
    app->SetActiveBankView(this);
    app->GetMidiManager()->GetPatches();
}

void CQuorlinView::OnSendPatches() {
    CQuorlinApp* app = QuorlinApp();
    if (!app) {
        return;
    }
    app->SetActiveBankView(this);
    app->GetMidiManager()->SendPatches();
}

void CQuorlinView::OnDisplaySelectionData() {
    if (CQuorlinApp* app = QuorlinApp()) {
        app->DisplaySelectionData();
    }
}

void CQuorlinView::OnSelectMidiPort() {
    if (CQuorlinApp* app = QuorlinApp()) {
        CDialogSetupMIDIPorts dialog(*app, window());
        dialog.exec();
    }
}

void CQuorlinView::OnSetMidiTransferSpeed() {
    if (CQuorlinApp* app = QuorlinApp()) {
        CDialogDelayTime dialog(*app, window());
        dialog.exec();
    }
}

void CQuorlinView::OnOpenSysexData() {
    CQuorlinApp* app = QuorlinApp();
    if (!app) {
        return;
    }
    const QString path = app->GetAsker().OpenFileName(
        QStringLiteral("Open"),
        {QStringLiteral("All files (*)"), QStringLiteral("System exclusive (*.syx)")});
    if (path.isEmpty()) {
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        (void)platform::GetPrompter().Message(
            QStringLiteral("Cannot open the file \"%1\":\n%2.")
                .arg(QDir::toNativeSeparators(path), file.errorString())
                .toStdString());
        return;
    }
    const QByteArray bytes = file.read(qint64(SYSEX_IMPORT_LIMIT));
    file.close();
    const int blocks = GetSysExData()->ImportSysEx(
        reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    QUORLIN_TRACE("\nImported %d blocks", blocks);
    // Only a file that filled something changed the bank.
    if (blocks > 0) {
        m_ptrDoc->SetModifiedFlag();
    }
}

void CQuorlinView::OnHelpContents() {
    CQuorlinApp* app = QuorlinApp();
    if (!app || !app->GetShell()) {
        return;
    }
    const QString guide = webpages::HelpPageUrl();
    if (guide.isEmpty()) {
        (void)platform::GetPrompter().Message(
            "The user guide was not found beside the program; it may not have been installed.");
        return;
    }
    app->GetShell()->OpenUrl(guide.toStdString());
}

void CQuorlinView::OnDisconnect() {
    if (CQuorlinApp* app = QuorlinApp()) {
        app->GetMidiManager()->CloseMidiPorts();
    }
}
