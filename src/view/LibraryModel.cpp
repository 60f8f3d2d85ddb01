#include "view/LibraryModel.h"

#include <QDir>

#include "bank/LibraryIndex.h"
#include "bank/SysExData.h"
#include "dialogs/EntryNameText.h"
#include "mks80/NewSounds.h"

CLibraryModel::CLibraryModel(QObject* in_parent) : QAbstractTableModel(in_parent) {}

CLibraryModel::~CLibraryModel() = default;

void CLibraryModel::SetIndex(std::shared_ptr<const CLibraryIndex> in_index,
                             const QString& in_folder) {
    beginResetModel();
    m_ptrFilter = in_index ? std::make_unique<CLibraryFilter>(std::move(in_index)) : nullptr;
    m_Folder = in_folder;
    if (m_ptrFilter) {
        m_ptrFilter->Filter(EntryNameFromText(m_Text));
    }
    endResetModel();
}

void CLibraryModel::SetFilterText(const QString& in_text) {
    m_Text = in_text;
    if (!m_ptrFilter && !IsShowingSimilar()) {
        return;
    }
    beginResetModel();
    m_ptrSimilarIndex.reset();
    m_Similar.clear();
    if (m_ptrFilter) {
        m_ptrFilter->Filter(EntryNameFromText(in_text));
    }
    endResetModel();
}

void CLibraryModel::ShowSimilar(std::shared_ptr<const CLibraryIndex> in_index,
                                std::vector<SimilarEntry> in_found) {
    beginResetModel();
    m_ptrSimilarIndex = std::move(in_index);
    m_Similar = m_ptrSimilarIndex ? std::move(in_found) : std::vector<SimilarEntry>();
    endResetModel();
}

const CLibraryIndex* CLibraryModel::ShownIndex() const {
    if (m_ptrSimilarIndex) {
        return m_ptrSimilarIndex.get();
    }
    return m_ptrFilter ? &m_ptrFilter->Index() : nullptr;
}

const LibraryEntry* CLibraryModel::EntryAt(int in_row) const {
    if (!ShownIndex() || in_row < 0 || in_row >= rowCount()) {
        return nullptr;
    }
    if (IsShowingSimilar()) {
        return m_Similar[static_cast<size_t>(in_row)].entry;
    }
    return &m_ptrFilter->Index().Entries()[m_ptrFilter->Rows()[static_cast<size_t>(in_row)]];
}

QString CLibraryModel::FilePath(const LibraryEntry& in_entry) const {
    return QString::fromStdString(ShownIndex()->Files()[static_cast<size_t>(in_entry.file)].path);
}

int CLibraryModel::TotalEntries() const {
    return m_ptrFilter ? static_cast<int>(m_ptrFilter->Index().Entries().size()) : 0;
}

int CLibraryModel::rowCount(const QModelIndex& in_parent) const {
    if (in_parent.isValid()) {
        return 0;
    }
    if (IsShowingSimilar()) {
        return static_cast<int>(m_Similar.size());
    }
    return m_ptrFilter ? static_cast<int>(m_ptrFilter->Rows().size()) : 0;
}

int CLibraryModel::columnCount(const QModelIndex& in_parent) const {
    return in_parent.isValid() ? 0 : ColumnCount;
}

QVariant CLibraryModel::data(const QModelIndex& in_index, int in_role) const {
    const LibraryEntry* entry = EntryAt(in_index.row());
    if (entry && in_role == Qt::TextAlignmentRole && in_index.column() == DistanceColumn) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (!entry || (in_role != Qt::DisplayRole && in_role != Qt::ToolTipRole)) {
        return {};
    }
    switch (in_index.column()) {
        case DistanceColumn:
            if (!IsShowingSimilar()) {
                return {};
            }
            return QString::fromStdString(
                mks80::DistanceText(m_Similar[static_cast<size_t>(in_index.row())].distance));
        case KindColumn:
            return entry->kind == EntryKind::Patch ? QStringLiteral("Patch")
                                                   : QStringLiteral("Tone");
        case NameColumn:
            return EntryNameToText(ShownIndex()->Name(*entry));
        case FileColumn: {
            const QString path = FilePath(*entry);
            const QString shown = in_role == Qt::ToolTipRole || m_Folder.isEmpty()
                                      ? path
                                      : QDir(m_Folder).relativeFilePath(path);
            return QStringLiteral("%1 (%2)").arg(QDir::toNativeSeparators(shown),
                                                 QString::fromStdString(EntryNumber(entry->index)));
        }
        default:
            return {};
    }
}

QVariant CLibraryModel::headerData(int in_section, Qt::Orientation in_orientation,
                                   int in_role) const {
    if (in_orientation != Qt::Horizontal || in_role != Qt::DisplayRole) {
        return {};
    }
    switch (in_section) {
        case DistanceColumn:
            return QStringLiteral("Distance");
        case KindColumn:
            return QStringLiteral("Kind");
        case NameColumn:
            return QStringLiteral("Name");
        case FileColumn:
            return QStringLiteral("Bank file");
        default:
            return {};
    }
}
