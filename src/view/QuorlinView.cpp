#include "view/QuorlinView.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHelpEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>

#include "bank/BankFiles.h"
#include "dialogs/DialogDelayTime.h"
#include "dialogs/DialogEditName.h"
#include "dialogs/DialogSetupMIDIPorts.h"
#include "dialogs/EntryNameText.h"
#include "midi/MidiManager.h"
#include "ops/FileOps.h"
#include "platform/FileAccess.h"
#include "platform/Prompter.h"
#include "platform/Trace.h"
#include "view/BankClipboard.h"
#include "view/BankDocument.h"
#include "view/CommandIds.h"
#include "view/EntryToolTip.h"
#include "view/ViewHost.h"

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

CQuorlinView::CQuorlinView(BankDocument& in_doc, QWidget* in_parent)
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
    cut->setData(ID_POPUP_CUT);
    cut->setEnabled(false);
    QAction* copy = m_ptrPopup->addAction(QStringLiteral("Copy"));
    copy->setData(ID_POPUP_COPY);
    connect(copy, &QAction::triggered, this, [this]() { OnEditCopy(); });
    QAction* paste = m_ptrPopup->addAction(QStringLiteral("Paste"));
    paste->setData(ID_POPUP_PASTE);
    connect(paste, &QAction::triggered, this, [this]() { OnEditPaste(); });
    m_ptrPopup->addSeparator();
    QAction* rename = m_ptrPopup->addAction(QStringLiteral("Rename"));
    rename->setData(ID_POPUP_RENAME);
    connect(rename, &QAction::triggered, this, [this]() { OnRename(); });

    if (ViewHost* host = GetViewHost()) {
        host->SetActiveBankView(this);
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

void CQuorlinView::RefreshRow(int in_row) {
    CRowView::RefreshRow(in_row);
    Q_EMIT RowsChanged(in_row, 1);
}

void CQuorlinView::MoveSelection(bool in_down) {
    const int before = m_SelectedRow;
    if (in_down) {
        if (m_SelectedRow < std::min(GetNumRows() - 1, GetMaxRows() - 2)) {
            ++m_SelectedRow;
        }
    } else if (m_SelectedRow != 0) {
        --m_SelectedRow;
    }
    RefreshRow(m_SelectedRow);
    if (m_SelectedRow != before) {
        Q_EMIT SelectionChanged();
    }
}

void CQuorlinView::SelectCell(int in_row, int in_column) {
    const int row = m_SelectedRow;
    const int column = m_SelectedColumn;
    if (in_row >= 0 && in_row < std::min(GetNumRows(), GetMaxRows() - 1)) {
        m_SelectedRow = in_row;
        m_SelectedColumn = in_column;
    }
    RefreshRow(m_SelectedRow);
    if (m_SelectedRow != row || m_SelectedColumn != column) {
        Q_EMIT SelectionChanged();
    }
}

std::unique_ptr<QMimeData> CQuorlinView::CreateDataSource() {
    return CreateBankMimeData(*GetSysExData(), m_SelectedRow, m_SelectedColumn);
}

bool CQuorlinView::PasteData(const QMimeData* in_data) {
    const std::optional<BankEntries> entries = PastedEntries(
        in_data, *GetSysExData(), m_SelectedRow, m_SelectedColumn, DialogToneChooser(this));
    return entries && m_ptrDoc->PasteEntries(m_SelectedColumn != 0, m_SelectedRow, *entries);
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

void CQuorlinView::RepaintRows(int in_first, int in_count) {
    MeasureRows();
    for (int row = in_first; row < in_first + in_count; ++row) {
        viewport()->update(GetRowRect(row));
    }
    Q_EMIT RowsChanged(in_first, in_count);
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
    const bool tone = m_SelectedColumn != 0;
    std::string name;
    if (tone) {
        CDialogEditTone dialog(GetSysExData(), m_SelectedRow, this);
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
        name = dialog.m_Name;
    } else {
        CDialogEditPatch dialog(GetSysExData(), m_SelectedRow, this);
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
        name = dialog.m_Name;
    }
    m_ptrDoc->RenameEntry(tone, m_SelectedRow, name);
}

void CQuorlinView::OnGetPatches() {
    ViewHost* host = GetViewHost();
    if (!host) {
        return;
    }
    // The command comes from this window, so its bank is the one to fill.
    host->SetActiveBankView(this);
    host->GetMidiManager()->GetPatches();
}

void CQuorlinView::OnSendPatches() {
    ViewHost* host = GetViewHost();
    if (!host) {
        return;
    }
    // The instrument keeps no copy of what it held: ask before replacing it.
    if (platform::GetPrompter().Message(
            "Replace all 64 patches and 64 tones in the MKS-80's memory with this bank?\n\n"
            "What the MKS-80 holds now will be lost.",
            platform::PromptButtons::OkCancel) != platform::PromptAnswer::Ok) {
        return;
    }
    host->SetActiveBankView(this);
    host->GetMidiManager()->SendPatches();
}

void CQuorlinView::OnDisplaySelectionData() {
    if (ViewHost* host = GetViewHost()) {
        host->DisplaySelectionData();
    }
}

void CQuorlinView::OnSelectMidiPort() {
    if (ViewHost* host = GetViewHost()) {
        CDialogSetupMIDIPorts dialog(*host, window());
        dialog.exec();
    }
}

void CQuorlinView::OnSetMidiTransferSpeed() {
    if (ViewHost* host = GetViewHost()) {
        CDialogDelayTime dialog(*host, window());
        dialog.exec();
    }
}

void CQuorlinView::OnOpenSysexData() {
    ViewHost* host = GetViewHost();
    if (!host) {
        return;
    }
    const QString path =
        host->AskOpenFileName(QStringLiteral("Open"), {QStringLiteral("System exclusive (*.syx)"),
                                                       QStringLiteral("MIDI file (*.mid *.midi)"),
                                                       QStringLiteral("All files (*)")});
    if (path.isEmpty()) {
        return;
    }
    const ops::ReadMessages messages =
        ops::MessagesFor(ops::ReadFor::Import, QDir::toNativeSeparators(path).toStdString(),
                         m_ptrDoc->ImportFile(QFile::encodeName(path).toStdString()));
    const std::string& text = messages.Taken() ? messages.note : messages.refusal;
    if (!text.empty()) {
        (void)platform::GetPrompter().Message(text);
    }
}

void CQuorlinView::OnExportToMidi() {
    ViewHost* host = GetViewHost();
    if (!host) {
        return;
    }
    QString path = host->AskSaveFileName(
        QStringLiteral("Export to Midi"),
        m_ptrDoc->GetTitle().section(QLatin1Char('.'), 0, 0) + QStringLiteral(".syx"),
        {QStringLiteral("System exclusive (*.syx)"), QStringLiteral("MIDI file (*.mid *.midi)")});
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".syx");
    }
    // The dump as the instrument would take it on the link's current channel.
    const int channel = host->GetMidiManager()->GetMessages().DeviceByte() + 1;
    const std::string file = QFile::encodeName(path).toStdString();
    // Whatever else the name ends in, the dump is written as it is.
    const ops::FileFormat format = ops::FormatOfName(file) == ops::FileFormat::MidiFile
                                       ? ops::FileFormat::MidiFile
                                       : ops::FileFormat::Dump;
    const platform::FileResult written =
        platform::WriteFileSafely(file, ops::FileBytes(*GetSysExData(), format, channel));
    if (!written) {
        (void)platform::GetPrompter().Message(
            ops::SaveFailureText(QDir::toNativeSeparators(path).toStdString(), written));
    }
}

void CQuorlinView::OnHelpContents() {
    if (ViewHost* host = GetViewHost()) {
        host->ShowHelpContents();
    }
}

void CQuorlinView::OnDisconnect() {
    if (ViewHost* host = GetViewHost()) {
        host->GetMidiManager()->CloseMidiPorts();
    }
}

bool CQuorlinView::viewportEvent(QEvent* in_event) {
    if (in_event->type() != QEvent::ToolTip) {
        return CRowView::viewportEvent(in_event);
    }
    auto* help = static_cast<QHelpEvent*>(in_event);
    int row = 0;
    int column = 0;
    const QString text =
        CellAt(help->pos(), row, column) ? EntryToolTip(*GetSysExData(), row, column) : QString();
    if (text.isEmpty()) {
        QToolTip::hideText();
        in_event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), text, viewport());
    }
    return true;
}
