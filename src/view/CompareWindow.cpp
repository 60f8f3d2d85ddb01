#include "view/CompareWindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "bank/SysExData.h"
#include "dialogs/EntryNameText.h"

namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kIndexRole = Qt::UserRole + 1;

// "3: 5 → 7, 13: 5 → 9": the position of each differing byte and its two values.
QString BytesText(const EntryDifference& in_difference) {
    QStringList parts;
    for (const ByteDifference& each : in_difference.bytes) {
        parts << QStringLiteral("%1: %2 \u2192 %3")
                     .arg(each.position)
                     .arg(each.first)
                     .arg(each.second);
    }
    return parts.join(QStringLiteral(", "));
}

// "VCF cutoff 40 > 72", "LFO-1 waveform Square > Triangle", ...; only unused bits
// differ when no parameter does.
QStringList ParameterTexts(const EntryDifference& in_difference) {
    QStringList parts;
    for (const ParameterDifference& each : in_difference.parameters) {
        parts << QString::fromStdString(ParameterDifferenceText(each));
    }
    if (parts.isEmpty()) {
        parts << QStringLiteral("(unused bits only)");
    }
    return parts;
}

QTreeWidgetItem* Group(QTreeWidget* in_list, const QString& in_title, int in_count) {
    auto* group = new QTreeWidgetItem(in_list, {in_title.arg(in_count)});
    group->setFirstColumnSpanned(true);
    group->setFlags(Qt::ItemIsEnabled);
    QFont bold = group->font(0);
    bold.setBold(true);
    group->setFont(0, bold);
    group->setExpanded(true);
    return group;
}

}  // namespace

CCompareWindow::CCompareWindow(const QString& in_firstTitle, const QString& in_secondTitle,
                               BankComparison in_comparison, bool in_bytesOnly, QWidget* in_parent)
    : QWidget(in_parent, Qt::Window) {
    if (in_bytesOnly) {
        auto& entries = in_comparison.entries;
        entries.erase(
            std::remove_if(entries.begin(), entries.end(),
                           [](const EntryDifference& in_each) { return in_each.IsRenamed(); }),
            entries.end());
    }
    setObjectName(QStringLiteral("CompareWindow"));
    setWindowTitle(QStringLiteral("Compare %1 with %2").arg(in_firstTitle, in_secondTitle));
    setAttribute(Qt::WA_DeleteOnClose);

    m_ptrSummary = new QLabel(this);
    m_ptrSummary->setWordWrap(true);
    m_ptrList = new QTreeWidget(this);
    m_ptrList->setColumnCount(6);
    m_ptrList->setHeaderLabels({QStringLiteral("Kind"), QStringLiteral("Number"), in_firstTitle,
                                in_secondTitle, QStringLiteral("Differing parameters"),
                                QStringLiteral("Differing bytes (position: values)")});
    m_ptrList->setRootIsDecorated(false);
    m_ptrList->setUniformRowHeights(true);
    m_ptrList->setAlternatingRowColors(true);

    const int renamed = in_comparison.RenamedCount();
    const int differing = static_cast<int>(in_comparison.entries.size()) - renamed;
    if (in_comparison.Equal() && in_bytesOnly) {
        m_ptrSummary->setText(QStringLiteral("%1 holds exactly the parameter bytes of %2.")
                                  .arg(in_secondTitle, in_firstTitle));
        m_ptrList->hide();
    } else if (in_comparison.Equal()) {
        m_ptrSummary->setText(
            QStringLiteral("The two banks are equal: every entry holds the same "
                           "name and the same parameter bytes."));
        m_ptrList->hide();
    } else {
        m_ptrSummary->setText(
            in_comparison.SameBytes()
                ? QStringLiteral("The two banks hold the same parameter bytes; %1 entries are "
                                 "named differently.")
                      .arg(renamed)
                : QStringLiteral("%1 entries differ in their parameter bytes%2. Double-click a "
                                 "row to select the entry in %3.")
                      .arg(differing)
                      .arg(in_bytesOnly ? QString()
                                        : QStringLiteral(", %1 only in their names").arg(renamed))
                      .arg(in_firstTitle));
    }
    QTreeWidgetItem* bytesGroup =
        differing > 0 ? Group(m_ptrList, QStringLiteral("Parameter bytes differ (%1)"), differing)
                      : nullptr;
    QTreeWidgetItem* renamedGroup =
        renamed > 0 ? Group(m_ptrList, QStringLiteral("Renamed (%1)"), renamed) : nullptr;
    for (const EntryDifference& each : in_comparison.entries) {
        auto* item = new QTreeWidgetItem(each.IsRenamed() ? renamedGroup : bytesGroup);
        item->setText(
            0, each.kind == EntryKind::Patch ? QStringLiteral("Patch") : QStringLiteral("Tone"));
        item->setText(1, QString::fromStdString(EntryNumber(each.index)));
        item->setText(2, EntryNameToText(each.firstName));
        item->setText(3, EntryNameToText(each.secondName));
        if (each.IsRenamed()) {
            item->setText(4, QStringLiteral("renamed"));
        } else {
            // The row shows what fits; its tooltip has every parameter, one a line.
            const QStringList parameters = ParameterTexts(each);
            item->setText(4, parameters.join(QStringLiteral(", ")));
            item->setToolTip(4, parameters.join(QLatin1Char('\n')));
            item->setText(5, BytesText(each));
            item->setToolTip(5, item->text(5));
        }
        item->setData(0, kKindRole, static_cast<int>(each.kind));
        item->setData(0, kIndexRole, each.index);
    }
    m_ptrList->expandAll();
    for (int column = 0; column < 4; ++column) {
        m_ptrList->resizeColumnToContents(column);
    }
    connect(m_ptrList, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* in_item, int) { OnItemActivated(in_item); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_ptrSummary);
    layout->addWidget(m_ptrList, 1);
    // Wide enough for a few parameters; the rest is in each row's tooltip.
    m_ptrList->setColumnWidth(4, 440);
    resize(980, in_comparison.Equal() ? 120 : 480);
}

void CCompareWindow::OnItemActivated(QTreeWidgetItem* in_item) {
    if (!in_item || !in_item->parent()) {
        return;
    }
    Q_EMIT EntryChosen(static_cast<EntryKind>(in_item->data(0, kKindRole).toInt()),
                       in_item->data(0, kIndexRole).toInt());
}
