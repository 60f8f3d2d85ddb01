#include "app/ChildFrm.h"

#include <QCloseEvent>
#include <QIcon>
#include <algorithm>

#include "app/QuorlinDoc.h"
#include "view/QuorlinView.h"

CChildFrame::CChildFrame(CQuorlinDoc& in_doc, QWidget* in_parent)
    : QMdiSubWindow(in_parent), m_ptrDoc(&in_doc) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(QIcon(QStringLiteral(":/icons/bank.png")));
    m_ptrView = new CQuorlinView(in_doc, this);
    setWidget(m_ptrView);
    connect(m_ptrDoc, &CQuorlinDoc::TitleChanged, this, [this]() { UpdateTitle(); });
}

CChildFrame::~CChildFrame() {
    // This frame wants no more news of the document: it is going.
    disconnect(m_ptrDoc, nullptr, this, nullptr);
    // The view leaves its document here, while this frame is still whole, rather than
    // from the teardown of the frame's children, when the frame is only a QWidget and
    // whatever the document's news reaches (the other windows, the main frame's title
    // and commands) would find it half gone.
    // Nobody reaches the view through this frame once it has begun to go.
    CQuorlinView* view = m_ptrView;
    m_ptrView = nullptr;
    setWidget(nullptr);
    delete view;
}

void CChildFrame::UpdateTitle() {
    QString title = m_ptrDoc->GetTitle();
    const auto& views = m_ptrDoc->GetViews();
    if (views.size() > 1) {
        const auto found = std::find(views.begin(), views.end(), m_ptrView);
        title += QStringLiteral(":%1").arg(int(found - views.begin()) + 1);
    }
    setWindowTitle(title + QStringLiteral("[*]"));
    setWindowModified(m_ptrDoc->IsModified());
}

void CChildFrame::closeEvent(QCloseEvent* in_event) {
    // Only the last window of a document asks to save it.
    const bool confirmed = property("quorlinCloseConfirmed").toBool();
    if (!confirmed && m_ptrDoc->GetViews().size() == 1 && !m_ptrDoc->SaveModified()) {
        in_event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(in_event);
}
