#pragma once

#include <QObject>
#include <QString>
#include <QUndoStack>
#include <memory>
#include <optional>
#include <vector>

#include "bank/BankEntries.h"
#include "bank/SysExData.h"
#include "view/BankDocument.h"

class CArchive;
class CQuorlinApp;
class CQuorlinView;

// One bank document: the bank shared by every window open on it, its file name, title,
// modified flag and undo history. The document is the bank's view and passes each
// refreshed row on to all its windows. It lives until its last window closes, and its
// history goes with it.
//
// The document is the only writer of its bank from the user interface: every change is
// a step on its QUndoStack, and the bank is modified exactly while the stack is not at
// its clean state (a save marks it clean). The one exception is a transfer from the
// instrument, which the MIDI link writes block by block: BeginReceive/EndReceive turn
// it into one step from before its first block to its end.
class CQuorlinDoc : public QObject, public CBankView, public BankDocument {
    Q_OBJECT

  public:
    explicit CQuorlinDoc(CQuorlinApp& in_app);
    ~CQuorlinDoc() override;

    CSysExData* GetSysExData() override { return m_ptrSysExData.get(); }
    void RefreshRow(int in_row) override;
    // Says so in a box.
    void IndexRefused(const std::string& in_text) override;

    void AddView(CQuorlinView* in_ptrView) override;
    // The last view going takes the document with it.
    void RemoveView(CQuorlinView* in_ptrView) override;
    const std::vector<CQuorlinView*>& GetViews() const { return m_Views; }

    // A new, empty bank titled "MKS80v" and the running number.
    void OnNewDocument();
    // Reads a bank file, or a dump or MIDI file into an untitled bank; reports a
    // refusal and returns false (the document is then discarded), and tells what was
    // read when it is not simply a whole bank. A file of 0 bytes opens as a bank at
    // the defaults.
    [[nodiscard]] bool OnOpenDocument(const QString& in_path);
    // Writes the bank file whole or not at all (a full disk leaves the old file as
    // it was); reports a failure.
    [[nodiscard]] bool OnSaveDocument(const QString& in_path);
    // File Save: asks for a name when the bank has none yet (or in_saveAs).
    bool DoSave(bool in_saveAs);
    // Before a modified bank is closed: Save / Discard / Cancel. False on Cancel or
    // when the save failed.
    [[nodiscard]] bool SaveModified();
    // Closes every window on this document (after asking to save).
    bool OnCloseDocument();

    // The edits. Each is one step on the undo stack, named as the Edit menu shows it
    // after "Undo " and "Redo ". Every other edit is a thin form of ReplaceEntries:
    // in_after holds the new value of each entry the step writes, in order (a later
    // value for the same entry wins); the step records the entries' values before it,
    // so undo puts back exactly the names and bytes there were. A step that changes
    // nothing is not recorded and returns false. Rows that change are repainted in every
    // window of the document, on undo and redo too.
    bool ReplaceEntries(const QString& in_stepName, const BankEntries& in_after) override;
    // The whole bank from in_source (e.g. a bank fetched into a hidden bank), one step.
    bool ReplaceBank(const QString& in_stepName, const CSysExData& in_source);
    // "Rename Patch 35" / "Rename Tone 35". An unchanged name repaints the row only.
    bool RenameEntry(bool in_tone, int in_index, const std::string& in_name) override;
    // New names for several entries (bytes kept), as one step named in_stepName.
    struct EntryName {
        bool tone = false;
        int index = 0;
        std::string name;
    };
    bool NameEntries(const QString& in_stepName, const std::vector<EntryName>& in_names);
    // "Paste Patch 35" / "Paste Tone 35": the entries a paste onto entry in_index writes
    // (see PastedEntries).
    bool PasteEntries(bool in_tone, int in_index, const BankEntries& in_after) override;
    // "Open Sysex Data": a dump, MIDI file or bank file read into the bank as one step
    // (none when nothing was read).
    BankReadReport ImportFile(const std::string& in_path) override;
    // One parameter of one entry (see BankDocument). Undo puts back the entry's exact
    // bytes and name; ParameterChanged tells of the step, its undo and its redo.
    bool SetParameter(const EntryParameter& in_which, int in_stored, int in_gesture) override;

    // A transfer from the instrument into this bank starts: the bank as it is now is
    // what undoing the transfer puts back. Undo and redo stay off until EndReceive.
    void BeginReceive();
    // Called for each block the link stored into the bank.
    void EntriesReceived();
    // The transfer ended, however it ended: what it changed becomes one step named
    // "Get Patches" (none when nothing arrived).
    void EndReceive();
    bool IsReceiving() const { return m_ReceiveBefore.has_value(); }

    QUndoStack& GetUndoStack() { return m_UndoStack; }

    // True marks the bank modified with no way back to a clean state by undo; false
    // marks the present state clean (as a save does).
    void SetModifiedFlag(bool in_modified = true);
    bool IsModified() const override;

    // Writes entries as a step does and repaints their rows in every window: for the
    // undo stack's commands only.
    void ApplyEntries(const BankEntries& in_entries);
    // Writes entries and repaints their rows without a step: what a dialog shows while the
    // user chooses, so that whatever shows or plays the entry follows. The dialog puts
    // the entries back before it closes, and records its result as a step.
    void PreviewEntries(const BankEntries& in_entries) { ApplyEntries(in_entries); }
    // For the undo stack's parameter steps: a parameter was written, undone or redone.
    void NoteParameterChanged(const EntryParameter& in_which) { Q_EMIT ParameterChanged(in_which); }
    QString GetTitle() const override { return m_Title; }
    QString GetPathName() const { return m_PathName; }
    void SetPathName(const QString& in_path);

    // Writes the bank into a storing archive, as a save does; false for any other.
    bool Serialize(CArchive& ar);

  Q_SIGNALS:
    void TitleChanged();
    // Undo or redo became possible or not, or changed its name.
    void UndoStateChanged();
    // A parameter of an entry changed by SetParameter, or by undoing or redoing it.
    void ParameterChanged(const EntryParameter& in_which);

  private:
    CQuorlinApp& m_App;
    std::unique_ptr<CSysExData> m_ptrSysExData;
    std::vector<CQuorlinView*> m_Views;
    QString m_PathName;
    QString m_Title;
    QUndoStack m_UndoStack;
    // The bank before a transfer from the instrument began, while it runs.
    std::optional<BankEntries> m_ReceiveBefore;
    bool m_ReceiveChanged = false;
    bool m_WasModified = false;
    bool m_Dying = false;

    void NoteModifiedChange();
};
