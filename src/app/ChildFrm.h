#pragma once

#include <QMdiSubWindow>

class CQuorlinDoc;
class CQuorlinView;

// The window of one bank inside the main frame, holding its bank view.
class CChildFrame : public QMdiSubWindow {
    Q_OBJECT

  public:
    CChildFrame(CQuorlinDoc& in_doc, QWidget* in_parent = nullptr);
    ~CChildFrame() override;

    CQuorlinView* GetView() const { return m_ptrView; }
    CQuorlinDoc* GetDocument() const { return m_ptrDoc; }
    // Title from the document: its name, ":n" when several windows show it, "*" when modified.
    void UpdateTitle();

  protected:
    void closeEvent(QCloseEvent* in_event) override;

  private:
    CQuorlinDoc* m_ptrDoc;
    CQuorlinView* m_ptrView;
};
