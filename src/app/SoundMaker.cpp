#include "app/SoundMaker.h"

#include <QItemSelectionModel>
#include <QPointer>
#include <QTableView>
#include <random>

#include "app/ChildFrm.h"
#include "app/Librarian.h"
#include "app/LibraryService.h"
#include "app/LiveSound.h"
#include "app/MainFrm.h"
#include "app/Quorlin.h"
#include "app/QuorlinDoc.h"
#include "bank/LibraryIndex.h"
#include "dialogs/DialogBlendWith.h"
#include "dialogs/DialogMutate.h"
#include "dialogs/EntryNameText.h"
#include "mks80/NewSounds.h"
#include "view/CommandIds.h"
#include "view/LibraryModel.h"
#include "view/LibraryPanel.h"
#include "view/QuorlinView.h"

namespace {

constexpr int kSimilarCount = 50;
constexpr int kFirstMix = 50;
constexpr int kFirstStrength = 10;

mks80::Kind KindOf(bool in_tone) {
    return in_tone ? mks80::Kind::Tone : mks80::Kind::Patch;
}

QString StepName(const char* in_verb, const BankEntry& in_entry) {
    return QStringLiteral("%1 %2").arg(QLatin1String(in_verb),
                                       EntryTitle(in_entry.tone, in_entry.index));
}

// in_original with new bytes; an empty entry takes its placeholder name, as an entry
// that receives bytes always does.
BankEntry WithBytes(const BankEntry& in_original, std::vector<int8_t> in_bytes) {
    BankEntry entry = in_original;
    entry.data = std::move(in_bytes);
    if (entry.name == kEmptyName) {
        entry.name = entry.tone ? kTonePlaceholder : kPatchPlaceholder;
    }
    return entry;
}

// The other entries a blend may take: where each comes from and its bytes.
struct BlendCandidates {
    std::vector<CDialogBlendWith::Source> sources;
    // Per source, the bytes of each of its entries (one for a library entry).
    std::vector<std::vector<std::vector<int8_t>>> bytes;
    int chosen = 0;
};

}  // namespace

QString EntryTitle(bool in_tone, int in_index) {
    return QStringLiteral("%1 %2").arg(in_tone ? QStringLiteral("Tone") : QStringLiteral("Patch"),
                                       QString::fromStdString(EntryNumber(in_index)));
}

CSoundMaker::CSoundMaker(CQuorlinApp& in_app, CMainFrame& in_frame)
    : QObject(&in_frame), m_App(in_app), m_Frame(in_frame) {}

bool CSoundMaker::Selected(CQuorlinDoc*& out_doc, BankEntry& out_entry) const {
    CQuorlinView* view = m_Frame.ActiveView();
    out_doc = DocumentOf(view);
    const int index = view ? view->GetSelectedRow() : -1;
    if (!out_doc || index < 0 || index >= BANK_SIZE) {
        return false;
    }
    out_entry = ReadEntry(*out_doc->GetSysExData(), view->GetSelectedColumn() == 1, index);
    // What the dialog shows in the entry is heard with Audition on.
    if (CLiveSound* live = m_App.GetLiveSound()) {
        live->PlaySelected();
    }
    return true;
}

void CSoundMaker::OnBlendWith() {
    CQuorlinDoc* active = nullptr;
    BankEntry original;
    if (!Selected(active, original) || m_App.IsMidiBusy() || active->IsReceiving()) {
        return;
    }
    // Every open bank, this one first, then the Library panel's selected entry of the
    // same kind. Their bytes are taken now: the previews change this bank.
    BlendCandidates candidates;
    std::vector<CQuorlinDoc*> docs{active};
    for (CChildFrame* frame : m_Frame.ChildFrames()) {
        if (std::find(docs.begin(), docs.end(), frame->GetDocument()) == docs.end()) {
            docs.push_back(frame->GetDocument());
        }
    }
    for (CQuorlinDoc* doc : docs) {
        CDialogBlendWith::Source source{doc->GetTitle(), {}};
        std::vector<std::vector<int8_t>> bytes;
        for (int i = 0; i < BANK_SIZE; ++i) {
            BankEntry entry = ReadEntry(*doc->GetSysExData(), original.tone, i);
            source.entryNames << EntryNameToText(entry.name);
            bytes.push_back(std::move(entry.data));
        }
        candidates.sources.push_back(std::move(source));
        candidates.bytes.push_back(std::move(bytes));
    }
    candidates.chosen = docs.size() > 1 ? 1 : 0;
    CLibrarian* librarian = m_App.GetLibrarian();
    if (CLibraryPanel* panel = librarian ? librarian->GetPanel() : nullptr) {
        const CLibraryModel* model = panel->GetModel();
        const QModelIndex current = panel->GetList()->selectionModel()->currentIndex();
        const LibraryEntry* entry = current.isValid() ? model->EntryAt(current.row()) : nullptr;
        if (entry && (entry->kind == EntryKind::Tone) == original.tone) {
            const CLibraryIndex& index = *model->ShownIndex();
            const QString file =
                model->data(model->index(current.row(), CLibraryModel::FileColumn), Qt::DisplayRole)
                    .toString();
            candidates.sources.push_back(
                {QStringLiteral("Library: %1, %2").arg(EntryNameToText(index.Name(*entry)), file),
                 {}});
            const int8_t* bytes = index.Bytes(*entry);
            candidates.bytes.push_back(
                {std::vector<int8_t>(bytes, bytes + mks80::ByteCount(KindOf(original.tone)))});
            candidates.chosen = static_cast<int>(candidates.sources.size()) - 1;
        }
    }
    const auto result = [&](int in_source, int in_entry, int in_percent) {
        const std::vector<std::vector<int8_t>>& from = candidates.bytes[size_t(in_source)];
        const std::vector<int8_t>& other = from[std::min(size_t(in_entry), from.size() - 1)];
        return WithBytes(original, mks80::Blend(KindOf(original.tone), original.data.data(),
                                                other.data(), in_percent));
    };
    QPointer<CQuorlinDoc> doc(active);
    const auto preview = [&](int in_source, int in_entry, int in_percent) {
        if (doc) {
            doc->PreviewEntries({result(in_source, in_entry, in_percent)});
        }
    };
    // Blending with itself is nothing; the entry after it is a better first offer.
    const int firstEntry =
        candidates.chosen == 0 ? (original.index + 1) % BANK_SIZE : original.index;
    CDialogBlendWith dialog(EntryTitle(original.tone, original.index), candidates.sources,
                            candidates.chosen, firstEntry, kFirstMix, preview, &m_Frame);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (!doc) {
        return;
    }
    doc->PreviewEntries({original});
    if (accepted) {
        (void)doc->ReplaceEntries(
            StepName("Blend", original),
            {result(dialog.GetSource(), dialog.GetEntry(), dialog.GetPercent())});
    }
}

void CSoundMaker::OnMutate() {
    CQuorlinDoc* active = nullptr;
    BankEntry original;
    if (!Selected(active, original) || m_App.IsMidiBusy() || active->IsReceiving()) {
        return;
    }
    const auto result = [&](int in_percent, uint32_t in_seed) {
        std::mt19937 random(in_seed);
        return WithBytes(original, mks80::Mutate(KindOf(original.tone), original.data.data(),
                                                 in_percent, random));
    };
    QPointer<CQuorlinDoc> doc(active);
    std::random_device seeds;
    CDialogMutate dialog(
        EntryTitle(original.tone, original.index), kFirstStrength,
        [&](int in_percent, uint32_t in_seed) {
            if (doc) {
                doc->PreviewEntries({result(in_percent, in_seed)});
            }
        },
        [&seeds]() { return static_cast<uint32_t>(seeds()); }, &m_Frame);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (!doc) {
        return;
    }
    doc->PreviewEntries({original});
    if (accepted) {
        (void)doc->ReplaceEntries(StepName("Mutate", original),
                                  {result(dialog.GetPercent(), dialog.GetSeed())});
    }
}

void CSoundMaker::OnFindSimilar() {
    CQuorlinDoc* doc = nullptr;
    BankEntry entry;
    CLibrarian* librarian = m_App.GetLibrarian();
    CLibraryService* service = librarian ? librarian->GetService() : nullptr;
    CLibraryPanel* panel = librarian ? librarian->GetPanel() : nullptr;
    if (!Selected(doc, entry) || !service || !panel) {
        return;
    }
    const std::shared_ptr<const CLibraryIndex> index = service->GetIndex();
    if (!index) {
        m_Frame.SetTransferStatus(
            QStringLiteral("The library is still being read; try Find Similar again in a moment"));
        return;
    }
    std::vector<SimilarEntry> found = index->FindSimilar(
        entry.tone ? EntryKind::Tone : EntryKind::Patch, entry.data.data(), kSimilarCount);
    const QString caption = QStringLiteral("Nearest to %1 of %2")
                                .arg(EntryTitle(entry.tone, entry.index), doc->GetTitle());
    panel->ShowSimilar(index, std::move(found), caption);
    panel->show();
    panel->raise();
    m_Frame.SetTransferStatus(caption);
}
