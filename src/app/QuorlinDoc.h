#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

#include "bank/SysExData.h"

class CArchive;
class CQuorlinApp;
class CQuorlinView;

// One bank document: the bank shared by every window open on it, its file name, title
// and modified flag. The document is the bank's view and passes each refreshed row on
// to all its windows. It lives until its last window closes.
class CQuorlinDoc : public QObject, public CBankView {
    Q_OBJECT

  public:
    explicit CQuorlinDoc(CQuorlinApp& in_app);
    ~CQuorlinDoc() override;

    CSysExData* GetSysExData() { return m_ptrSysExData.get(); }
    void RefreshRow(int in_row) override;

    void AddView(CQuorlinView* in_ptrView);
    // The last view going takes the document with it.
    void RemoveView(CQuorlinView* in_ptrView);
    const std::vector<CQuorlinView*>& GetViews() const { return m_Views; }

    // A new, empty bank titled "MKS80v" and the running number.
    void OnNewDocument();
    // Reads the bank file; reports a failure and returns false (the document is then
    // discarded). A file of 0 bytes opens as a bank at the defaults.
    [[nodiscard]] bool OnOpenDocument(const QString& in_path);
    // Writes the bank file whole or not at all; reports a failure.
    [[nodiscard]] bool OnSaveDocument(const QString& in_path);
    // File Save: asks for a name when the bank has none yet (or in_saveAs).
    bool DoSave(bool in_saveAs);
    // Before a modified bank is closed: Save / Discard / Cancel. False on Cancel or
    // when the save failed.
    [[nodiscard]] bool SaveModified();
    // Closes every window on this document (after asking to save).
    bool OnCloseDocument();

    void SetModifiedFlag(bool in_modified = true);
    bool IsModified() const { return m_Modified; }
    QString GetTitle() const { return m_Title; }
    QString GetPathName() const { return m_PathName; }
    void SetPathName(const QString& in_path);

    bool Serialize(CArchive& ar);

  Q_SIGNALS:
    void TitleChanged();

  private:
    CQuorlinApp& m_App;
    std::unique_ptr<CSysExData> m_ptrSysExData;
    std::vector<CQuorlinView*> m_Views;
    QString m_PathName;
    QString m_Title;
    bool m_Modified = false;
    bool m_Dying = false;
};
