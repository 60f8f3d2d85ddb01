#include "app/QuorlinDoc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUndoCommand>
#include <algorithm>
#include <sstream>

#include "app/Quorlin.h"
#include "app/UserAsker.h"
#include "bank/Archive.h"
#include "bank/BankFiles.h"
#include "ops/FileOps.h"
#include "platform/FileAccess.h"
#include "platform/Prompter.h"
#include "view/QuorlinView.h"

namespace {
const QStringList& BankFilters() {
    static const QStringList filters{QStringLiteral("MKS80 (*.m80)"),
                                     QStringLiteral("All Files (*)")};
    return filters;
}

void Report(const std::string& in_text) {
    (void)platform::GetPrompter().Message(in_text);
}

// A file's name as the user knows it, for the messages.
std::string ShownName(const QString& in_path) {
    return QDir::toNativeSeparators(in_path).toStdString();
}

// One step of the history: the values the step wrote and the ones they replaced.
class CBankEditCommand : public QUndoCommand {
  public:
    CBankEditCommand(CQuorlinDoc& in_doc, const QString& in_text, BankEntries in_before,
                     BankEntries in_after, bool in_alreadyApplied)
        : QUndoCommand(in_text),
          m_Doc(in_doc),
          m_Before(std::move(in_before)),
          m_After(std::move(in_after)),
          m_SkipFirstRedo(in_alreadyApplied) {}

    void undo() override { m_Doc.ApplyEntries(m_Before); }
    void redo() override {
        // A transfer has already written its step into the bank when it is recorded.
        if (m_SkipFirstRedo) {
            m_SkipFirstRedo = false;
            return;
        }
        m_Doc.ApplyEntries(m_After);
    }

  private:
    CQuorlinDoc& m_Doc;
    BankEntries m_Before;
    BankEntries m_After;
    bool m_SkipFirstRedo;
};

// One change of one parameter. The changes of one gesture (a slider dragged, a key held
// down) merge into the step that gesture began, so undo takes back the whole gesture.
class CParameterEditCommand : public QUndoCommand {
  public:
    static constexpr int kId = 0x50415241;

    CParameterEditCommand(CQuorlinDoc& in_doc, const QString& in_text,
                          const EntryParameter& in_which, BankEntry in_before, BankEntry in_after,
                          int in_gesture)
        : QUndoCommand(in_text),
          m_Doc(in_doc),
          m_Which(in_which),
          m_Before(std::move(in_before)),
          m_After(std::move(in_after)),
          m_Gesture(in_gesture) {}

    int id() const override { return kId; }
    bool mergeWith(const QUndoCommand* in_other) override {
        const auto* other = static_cast<const CParameterEditCommand*>(in_other);
        if (m_Gesture == 0 || other->m_Gesture != m_Gesture || other->m_Which != m_Which) {
            return false;
        }
        m_After = other->m_After;
        // Dragged back to where it started: the gesture changed nothing.
        setObsolete(m_After == m_Before);
        return true;
    }
    void undo() override { Apply(m_Before); }
    void redo() override { Apply(m_After); }

  private:
    void Apply(const BankEntry& in_entry) {
        m_Doc.ApplyEntries({in_entry});
        m_Doc.NoteParameterChanged(m_Which);
    }

    CQuorlinDoc& m_Doc;
    EntryParameter m_Which;
    BankEntry m_Before;
    BankEntry m_After;
    int m_Gesture;
};

// "VCF cutoff" -> "VCF Cutoff": each word begins with a capital, as step names do.
QString TitleCase(const char* in_name) {
    QString text = QString::fromUtf8(in_name);
    for (int i = 0; i < text.size(); ++i) {
        if (i == 0 || text.at(i - 1) == QLatin1Char(' ')) {
            text[i] = text.at(i).toUpper();
        }
    }
    return text;
}

// The entries of in_after whose value differs from in_before (same entries, same order).
void KeepChanged(BankEntries& io_before, BankEntries& io_after) {
    BankEntries before;
    BankEntries after;
    for (size_t i = 0; i < io_after.size(); ++i) {
        if (io_before[i] != io_after[i]) {
            before.push_back(std::move(io_before[i]));
            after.push_back(std::move(io_after[i]));
        }
    }
    io_before = std::move(before);
    io_after = std::move(after);
}

QString StepName(const char* in_verb, bool in_tone, int in_index) {
    return QStringLiteral("%1 %2 %3")
        .arg(QLatin1String(in_verb), in_tone ? QStringLiteral("Tone") : QStringLiteral("Patch"),
             QString::fromStdString(EntryNumber(in_index)));
}
}  // namespace

CQuorlinDoc::CQuorlinDoc(CQuorlinApp& in_app)
    : QObject(&in_app), m_App(in_app), m_ptrSysExData(std::make_unique<CSysExData>(this)) {
    m_App.RegisterDocument(this);
    connect(&m_UndoStack, &QUndoStack::cleanChanged, this, [this]() { NoteModifiedChange(); });
    connect(&m_UndoStack, &QUndoStack::indexChanged, this, [this]() {
        NoteModifiedChange();
        Q_EMIT UndoStateChanged();
    });
}

CQuorlinDoc::~CQuorlinDoc() {
    m_App.UnregisterDocument(this);
}

void CQuorlinDoc::IndexRefused(const std::string& in_text) {
    (void)platform::GetPrompter().Message(in_text);
}

void CQuorlinDoc::RefreshRow(int in_row) {
    for (CQuorlinView* view : m_Views) {
        view->RefreshRow(in_row);
    }
}

void CQuorlinDoc::AddView(CQuorlinView* in_ptrView) {
    m_Views.push_back(in_ptrView);
}

void CQuorlinDoc::RemoveView(CQuorlinView* in_ptrView) {
    m_Views.erase(std::remove(m_Views.begin(), m_Views.end(), in_ptrView), m_Views.end());
    m_App.ForgetBankView(in_ptrView, m_Views.empty() ? m_ptrSysExData.get() : nullptr);
    if (m_Views.empty()) {
        if (!m_Dying) {
            m_Dying = true;
            deleteLater();
        }
        return;
    }
    // The remaining windows renumber themselves.
    Q_EMIT TitleChanged();
}

void CQuorlinDoc::OnNewDocument() {
    m_PathName.clear();
    m_Title = QStringLiteral("MKS80v%1").arg(m_App.NextUntitledNumber());
    m_UndoStack.clear();
    NoteModifiedChange();
    Q_EMIT TitleChanged();
}

bool CQuorlinDoc::OnOpenDocument(const QString& in_path) {
    const ops::FileReading reading =
        ops::ReadFile(ops::ReadFor::Open, QFile::encodeName(in_path).toStdString(),
                      ShownName(in_path), *m_ptrSysExData);
    if (!reading.Taken()) {
        Report(reading.refusal);
        return false;
    }
    if (reading.report.kind == FileKind::BankFile) {
        SetPathName(in_path);
        m_UndoStack.clear();
        NoteModifiedChange();
    } else {
        // A bank read from a dump is not that file: Save asks for a bank file's name
        // instead of writing a bank file over the dump.
        OnNewDocument();
        SetModifiedFlag();
    }
    if (!reading.note.empty()) {
        Report(reading.note);
    }
    return true;
}

bool CQuorlinDoc::OnSaveDocument(const QString& in_path) {
    std::ostringstream stream;
    CArchive ar(stream);
    const bool stored = Serialize(ar);
    // The old file stays as it was unless the new one reached the disk completely.
    const platform::FileResult written =
        stored ? platform::WriteFileSafely(QFile::encodeName(in_path).toStdString(), stream.str())
               : platform::FileResult{platform::FileStatus::WriteFailed,
                                      "the bank could not be stored"};
    if (!written) {
        Report(ops::SaveFailureText(ShownName(in_path), written));
        return false;
    }
    SetPathName(in_path);
    SetModifiedFlag(false);
    return true;
}

bool CQuorlinDoc::DoSave(bool in_saveAs) {
    QString path = m_PathName;
    if (in_saveAs || path.isEmpty()) {
        QString proposed = path.isEmpty() ? m_Title : path;
        if (!proposed.endsWith(QStringLiteral(".m80"), Qt::CaseInsensitive)) {
            proposed += QStringLiteral(".m80");
        }
        path = m_App.AskSaveFileName(QStringLiteral("Save As"), proposed, BankFilters());
        if (path.isEmpty()) {
            return false;
        }
        if (QFileInfo(path).suffix().isEmpty()) {
            path += QStringLiteral(".m80");
        }
    }
    return OnSaveDocument(path);
}

bool CQuorlinDoc::SaveModified() {
    if (!IsModified()) {
        return true;
    }
    switch (m_App.GetAsker().AskSaveChanges(m_Title)) {
        case SaveChoice::Save:
            return DoSave(false);
        case SaveChoice::Discard:
            return true;
        case SaveChoice::Cancel:
        default:
            return false;
    }
}

bool CQuorlinDoc::OnCloseDocument() {
    if (!SaveModified()) {
        return false;
    }
    // The windows go without asking again.
    SetModifiedFlag(false);
    const std::vector<CQuorlinView*> views = m_Views;
    for (CQuorlinView* view : views) {
        view->CloseFrame();
    }
    return true;
}

void CQuorlinDoc::SetModifiedFlag(bool in_modified) {
    if (in_modified) {
        m_UndoStack.resetClean();
    } else {
        m_ReceiveChanged = false;
        m_UndoStack.setClean();
    }
    NoteModifiedChange();
}

bool CQuorlinDoc::IsModified() const {
    return m_ReceiveChanged || !m_UndoStack.isClean();
}

void CQuorlinDoc::NoteModifiedChange() {
    const bool modified = IsModified();
    if (modified != m_WasModified) {
        m_WasModified = modified;
        Q_EMIT TitleChanged();
    }
}

bool CQuorlinDoc::ReplaceEntries(const QString& in_stepName, const BankEntries& in_after) {
    const CSysExData& bank = *m_ptrSysExData;
    BankEntries before;
    before.reserve(in_after.size());
    for (const BankEntry& entry : in_after) {
        before.push_back(ReadEntry(bank, entry.tone, entry.index));
    }
    // The step changes something when the last value written to some entry differs
    // from what the entry holds now.
    bool changes = false;
    for (size_t i = 0; i < in_after.size() && !changes; ++i) {
        bool last = true;
        for (size_t j = i + 1; j < in_after.size(); ++j) {
            last = last && !(in_after[j].tone == in_after[i].tone &&
                             in_after[j].index == in_after[i].index);
        }
        changes = last && in_after[i] != before[i];
    }
    if (!changes) {
        for (const BankEntry& entry : in_after) {
            RefreshRow(entry.index);
        }
        return false;
    }
    m_UndoStack.push(new CBankEditCommand(*this, in_stepName, std::move(before), in_after, false));
    return true;
}

bool CQuorlinDoc::ReplaceBank(const QString& in_stepName, const CSysExData& in_source) {
    BankEntries before = ReadWholeBank(*m_ptrSysExData);
    BankEntries after = ReadWholeBank(in_source);
    KeepChanged(before, after);
    return ReplaceEntries(in_stepName, after);
}

bool CQuorlinDoc::RenameEntry(bool in_tone, int in_index, const std::string& in_name) {
    return NameEntries(StepName("Rename", in_tone, in_index), {{in_tone, in_index, in_name}});
}

bool CQuorlinDoc::NameEntries(const QString& in_stepName, const std::vector<EntryName>& in_names) {
    BankEntries after;
    for (const EntryName& each : in_names) {
        if (each.index < 0 || each.index >= BANK_SIZE) {
            continue;
        }
        after.push_back(ReadEntry(*m_ptrSysExData, each.tone, each.index));
        after.back().name = each.name;
    }
    return ReplaceEntries(in_stepName, after);
}

bool CQuorlinDoc::PasteEntries(bool in_tone, int in_index, const BankEntries& in_after) {
    (void)ReplaceEntries(StepName("Paste", in_tone, in_index), in_after);
    return true;
}

BankReadReport CQuorlinDoc::ImportFile(const std::string& in_path) {
    // Read into a copy first, so the import is one step however many blocks it held,
    // and a refused file changes nothing.
    CNullBankView nowhere;
    CSysExData scratch(&nowhere);
    WriteEntries(scratch, ReadWholeBank(*m_ptrSysExData));
    const BankReadReport report = ReadBankOrDump(in_path, scratch);
    if (report.EntriesRead() > 0) {
        (void)ReplaceBank(QStringLiteral("Open Sysex Data"), scratch);
    }
    return report;
}

bool CQuorlinDoc::SetParameter(const EntryParameter& in_which, int in_stored, int in_gesture) {
    const mks80::Parameter* param = mks80::FindParameter(in_which.kind, in_which.number);
    if (!param || !mks80::IsValidStored(*param, in_stored) || in_which.index < 0 ||
        in_which.index >= BANK_SIZE) {
        return false;
    }
    const bool tone = in_which.kind == mks80::Kind::Tone;
    BankEntry before = ReadEntry(*m_ptrSysExData, tone, in_which.index);
    BankEntry after = before;
    mks80::SetStoredValue(*param, in_stored, after.data.data(), in_which.half);
    mks80::ClearUnusedBits(in_which.kind, *param, after.data.data(), in_which.half);
    // Bytes written into an entry that never held any make it a loaded one, as
    // every other way of giving an entry bytes does.
    if (before.name == kEmptyName) {
        after.name = tone ? kTonePlaceholder : kPatchPlaceholder;
    }
    if (after == before) {
        return false;
    }
    QString half;
    if (!tone && !param->shared) {
        half = in_which.half == mks80::Half::Upper ? QStringLiteral("Upper ")
                                                   : QStringLiteral("Lower ");
    }
    const QString name = QStringLiteral("Set %1%2 of %3 %4")
                             .arg(half, TitleCase(param->name),
                                  tone ? QStringLiteral("Tone") : QStringLiteral("Patch"),
                                  QString::fromStdString(EntryNumber(in_which.index)));
    m_UndoStack.push(new CParameterEditCommand(*this, name, in_which, std::move(before),
                                               std::move(after), in_gesture));
    return true;
}

void CQuorlinDoc::BeginReceive() {
    if (IsReceiving()) {
        return;
    }
    m_ReceiveBefore = ReadWholeBank(*m_ptrSysExData);
    m_ReceiveChanged = false;
    Q_EMIT UndoStateChanged();
}

void CQuorlinDoc::EntriesReceived() {
    if (IsReceiving()) {
        m_ReceiveChanged = true;
    }
    NoteModifiedChange();
}

void CQuorlinDoc::EndReceive() {
    if (!IsReceiving()) {
        return;
    }
    BankEntries before = std::move(*m_ReceiveBefore);
    m_ReceiveBefore.reset();
    BankEntries after = ReadWholeBank(*m_ptrSysExData);
    KeepChanged(before, after);
    m_ReceiveChanged = false;
    if (!after.empty()) {
        m_UndoStack.push(new CBankEditCommand(*this, QStringLiteral("Get Patches"),
                                              std::move(before), std::move(after), true));
    }
    NoteModifiedChange();
    Q_EMIT UndoStateChanged();
}

void CQuorlinDoc::ApplyEntries(const BankEntries& in_entries) {
    WriteEntries(*m_ptrSysExData, in_entries);
    // A few rows are brought into sight; a whole bank is only repainted where it shows.
    if (in_entries.size() <= 3) {
        for (const BankEntry& entry : in_entries) {
            RefreshRow(entry.index);
        }
        return;
    }
    for (CQuorlinView* view : m_Views) {
        view->RepaintRows(0, BANK_SIZE);
    }
}

void CQuorlinDoc::SetPathName(const QString& in_path) {
    m_PathName = QFileInfo(in_path).absoluteFilePath();
    m_Title = QFileInfo(in_path).fileName();
    m_App.AddToRecentFileList(m_PathName);
    Q_EMIT TitleChanged();
}

bool CQuorlinDoc::Serialize(CArchive& ar) {
    // Every file is read by the one reader (OnOpenDocument); only a save comes here.
    return ar.IsStoring() && m_ptrSysExData->StoreBank(ar);
}
