#include "view/LibraryPanel.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

#include "bank/LibraryIndex.h"
#include "view/LibraryModel.h"

CLibraryPanel::CLibraryPanel(QWidget* in_parent)
    : QDockWidget(QStringLiteral("Library"), in_parent) {
    setObjectName(QStringLiteral("LibraryPanel"));
    auto* body = new QWidget(this);
    m_ptrFilter = new QLineEdit(body);
    m_ptrFilter->setPlaceholderText(QStringLiteral("Type part of a name"));
    m_ptrFilter->setClearButtonEnabled(true);
    m_ptrModel = new CLibraryModel(this);
    m_ptrList = new QTableView(body);
    m_ptrList->setModel(m_ptrModel);
    // A library may hold a million entries: a table of fixed rows lays them out at once,
    // where a tree would visit every row after each keystroke.
    m_ptrList->verticalHeader()->hide();
    m_ptrList->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_ptrList->verticalHeader()->setDefaultSectionSize(m_ptrList->fontMetrics().height() + 4);
    m_ptrList->setShowGrid(false);
    m_ptrList->setWordWrap(false);
    m_ptrList->setAlternatingRowColors(true);
    m_ptrList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_ptrList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_ptrList->horizontalHeader()->setStretchLastSection(true);
    m_ptrList->horizontalHeader()->setHighlightSections(false);
    m_ptrStatus = new QLabel(body);
    m_ptrStatus->setWordWrap(true);

    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_ptrFilter);
    layout->addWidget(m_ptrList, 1);
    layout->addWidget(m_ptrStatus);
    setWidget(body);

    connect(m_ptrFilter, &QLineEdit::textChanged, this, [this](const QString& in_text) {
        m_ptrModel->SetFilterText(in_text);
        UpdateColumns();
        UpdateStatus();
    });
    connect(m_ptrList, &QTableView::activated, this, [this](const QModelIndex& in_index) {
        if (const LibraryEntry* entry = m_ptrModel->EntryAt(in_index.row())) {
            Q_EMIT OpenEntry(m_ptrModel->FilePath(*entry), entry->kind, entry->index);
        }
    });
    UpdateColumns();
    UpdateStatus();
}

void CLibraryPanel::SetIndex(std::shared_ptr<const CLibraryIndex> in_index,
                             const QString& in_folder) {
    m_ptrIndex = in_index;
    m_Folder = in_folder;
    m_ptrModel->SetIndex(std::move(in_index), in_folder);
    m_ptrList->horizontalHeader()->resizeSection(
        CLibraryModel::KindColumn,
        m_ptrList->fontMetrics().horizontalAdvance(QStringLiteral("Patch")) * 2);
    m_ptrList->horizontalHeader()->resizeSection(CLibraryModel::NameColumn,
                                                 m_ptrList->fontMetrics().averageCharWidth() * 24);
    UpdateStatus();
}

void CLibraryPanel::ShowSimilar(std::shared_ptr<const CLibraryIndex> in_index,
                                std::vector<SimilarEntry> in_found, const QString& in_caption) {
    // The filter goes first: a change of its text ends the list of similar entries.
    m_ptrFilter->clear();
    m_SimilarCaption = in_caption;
    m_ptrModel->ShowSimilar(std::move(in_index), std::move(in_found));
    UpdateColumns();
    UpdateStatus();
    if (m_ptrModel->rowCount() > 0) {
        m_SelectingByItself = true;
        m_ptrList->selectRow(0);
        m_SelectingByItself = false;
        m_ptrList->scrollToTop();
    }
}

void CLibraryPanel::UpdateColumns() {
    const bool similar = m_ptrModel->IsShowingSimilar();
    // Similar entries are all of one kind, which the status line names.
    m_ptrList->setColumnHidden(CLibraryModel::DistanceColumn, !similar);
    m_ptrList->setColumnHidden(CLibraryModel::KindColumn, similar);
    if (similar) {
        m_ptrList->horizontalHeader()->resizeSection(
            CLibraryModel::DistanceColumn,
            m_ptrList->fontMetrics().horizontalAdvance(QStringLiteral("Distance")) + 12);
    }
}

void CLibraryPanel::SetReading(bool in_reading) {
    m_Reading = in_reading;
    UpdateStatus();
}

void CLibraryPanel::UpdateStatus() {
    QString text;
    if (m_ptrModel->IsShowingSimilar()) {
        text = QStringLiteral(
                   "%1: %2 entries, nearest first. Type part of a name to search the "
                   "whole library again.")
                   .arg(m_SimilarCaption)
                   .arg(m_ptrModel->rowCount());
    } else if (!m_ptrIndex) {
        text = m_Reading ? QStringLiteral("Reading the library...")
                         : QStringLiteral("No library folder has been read yet.");
    } else {
        text = QStringLiteral("%1 of %2 named entries, from %3 bank files in %4.")
                   .arg(m_ptrModel->rowCount())
                   .arg(m_ptrModel->TotalEntries())
                   .arg(m_ptrIndex->Files().size())
                   .arg(QDir::toNativeSeparators(m_Folder));
        if (!m_ptrIndex->Notes().empty()) {
            text +=
                QStringLiteral(" %1 skipped (see the tooltip).").arg(m_ptrIndex->Notes().size());
        }
        if (m_Reading) {
            text += QStringLiteral(" Reading the library again...");
        }
    }
    QStringList notes;
    if (m_ptrIndex) {
        for (const std::string& note : m_ptrIndex->Notes()) {
            notes << QString::fromStdString(note);
        }
    }
    m_ptrStatus->setText(text);
    m_ptrStatus->setToolTip(notes.join(QLatin1Char('\n')));
}
