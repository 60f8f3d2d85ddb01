#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "bank/BankCompare.h"
#include "bank/SysExData.h"
#include "midi/MidiHost.h"

class CCompareWindow;
class CLibraryPanel;
class CLibraryService;
class CMainFrame;
class CQuorlinApp;
class CQuorlinDoc;
class QAction;
class QToolButton;

// The librarian's commands: comparing the active bank with another bank or with the
// instrument's memory, naming unnamed entries from the library, and the Library panel.
// Made with the main frame, whose command table holds its commands.
class CLibrarian : public QObject {
    Q_OBJECT

  public:
    // in_service nullptr: no library (its commands stay off).
    CLibrarian(CQuorlinApp& in_app, CMainFrame& in_frame,
               std::unique_ptr<CLibraryService> in_service);
    ~CLibrarian() override;

    // From the application: a transfer ended. A fetch for a comparison shows it; a Get
    // Patches into a bank window names that bank from the library; a Send Patches that
    // went through offers the comparison.
    void TransferEnded(TransferKind in_kind, TransferOutcome in_outcome, CSysExData* in_ptrBank);

    // The commands.
    void OnCompareWith();
    void OnCompareWithMks80();
    void OnNameFromLibrary();
    void OnLibrarySettings();
    void OnOpenLibraryFolder();

    // Shows in_comparison of in_doc's bank with another (titled in_otherTitle); names
    // count unless in_bytesOnly.
    CCompareWindow* ShowComparison(CQuorlinDoc& in_doc, const QString& in_otherTitle,
                                   const BankComparison& in_comparison, bool in_bytesOnly);
    CCompareWindow* CompareWithFile(CQuorlinDoc& in_doc, const QString& in_path);
    // Names the placeholder entries of in_doc's bank as one step; returns the status text.
    QString NameFromLibrary(CQuorlinDoc& in_doc);

    CLibraryService* GetService() const { return m_ptrService.get(); }
    CLibraryPanel* GetPanel() const { return m_ptrPanel; }
    QToolButton* GetOfferButton() const { return m_ptrOffer; }

  private:
    void OpenEntry(const QString& in_path, EntryKind in_kind, int in_index);
    void ShowStatus(const QString& in_text);
    void SetOffer(bool in_shown);
    CQuorlinDoc* ActiveDocument() const;

    CQuorlinApp& m_App;
    CMainFrame& m_Frame;
    std::unique_ptr<CLibraryService> m_ptrService;
    CLibraryPanel* m_ptrPanel = nullptr;
    QToolButton* m_ptrOffer = nullptr;
    // The fetch of Compare with MKS-80 fills this bank, which no window shows.
    CNullBankView m_CheckView;
    std::unique_ptr<CSysExData> m_ptrCheckBank;
    QPointer<CQuorlinDoc> m_CheckDoc;
};
