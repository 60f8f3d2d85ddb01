#include "app/CommandTable.h"

#include <QAction>
#include <QEvent>
#include <QIcon>
#include <QMenu>
#include <QToolBar>
#include <QWidget>
#include <algorithm>

namespace {

// Eats the tooltips of the buttons it watches: the program's own buttons show only
// their status-bar prompt.
class NoToolTip : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* in_watched, QEvent* in_event) override {
        return in_event->type() == QEvent::ToolTip || QObject::eventFilter(in_watched, in_event);
    }
};

// The rows that pass in_wanted, ordered by in_key and, where that is equal, as the
// table has them.
template <typename Wanted, typename Key>
std::vector<const CommandRow*> Ordered(const std::vector<CommandRow>& in_rows, Wanted in_wanted,
                                       Key in_key) {
    std::vector<const CommandRow*> rows;
    for (const CommandRow& row : in_rows) {
        if (in_wanted(row)) {
            rows.push_back(&row);
        }
    }
    std::stable_sort(rows.begin(), rows.end(), [&](const CommandRow* in_a, const CommandRow* in_b) {
        return in_key(*in_a) < in_key(*in_b);
    });
    return rows;
}

}  // namespace

QIcon MakeIcon(const CommandIcon& in_icon, const QWidget& in_owner) {
    if (in_icon.isStandard) {
        return in_owner.style()->standardIcon(in_icon.standard);
    }
    QIcon icon;
    if (in_icon.resource) {
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(QLatin1String(in_icon.resource)),
                     QSize(16, 16));
        icon.addFile(QStringLiteral(":/icons/%1@2x.png").arg(QLatin1String(in_icon.resource)),
                     QSize(32, 32));
    }
    return icon;
}

CommandRow::CommandRow(int in_id, const char* in_text, const char* in_tip)
    : id(in_id), text(QString::fromUtf8(in_text)), tip(QString::fromUtf8(in_tip)) {}

CommandRow CommandRow::Items(FrameMenu in_menu, int in_section, bool in_withoutBank,
                             Filler in_fill) {
    CommandRow row(0, "");
    row.In(in_menu, in_section, in_withoutBank);
    row.fill = std::move(in_fill);
    return row;
}

QString CommandRow::MenuText() const {
    return keys.isEmpty()
               ? text
               : text + QLatin1Char('\t') + keys.first().toString(QKeySequence::PortableText);
}

QAction* MakeCommandAction(const CommandRow& in_row, QWidget& in_owner) {
    if (in_row.fill) {
        return nullptr;
    }
    QAction* action =
        in_row.maker ? in_row.maker(in_row.MenuText()) : new QAction(in_row.MenuText(), &in_owner);
    action->setData(in_row.id);
    if (!in_row.tip.isEmpty()) {
        action->setStatusTip(in_row.tip);
    }
    if (!in_row.toolTip.isEmpty()) {
        action->setToolTip(in_row.toolTip);
    }
    if (in_row.icon.isStandard || in_row.icon.resource) {
        action->setIcon(MakeIcon(in_row.icon, in_owner));
    }
    action->setShortcuts(in_row.keys);
    action->setShortcutContext(Qt::WindowShortcut);
    // Its rules are first applied once the frame is whole (UpdateCommandStates).
    action->setCheckable(static_cast<bool>(in_row.checked));
    if (in_row.handler) {
        QObject::connect(action, &QAction::triggered, &in_owner, in_row.handler);
    }
    in_owner.addAction(action);
    return action;
}

void FillCommandMenu(QMenu& in_menu, FrameMenu in_kind, bool in_bankOpen,
                     const std::vector<CommandRow>& in_rows,
                     const std::function<QAction*(int)>& in_actions) {
    in_menu.clear();
    const std::vector<const CommandRow*> rows = Ordered(
        in_rows,
        [&](const CommandRow& in_row) {
            return in_row.menu == in_kind && (in_bankOpen || in_row.withoutBank);
        },
        [](const CommandRow& in_row) { return in_row.section; });
    const CommandRow* previous = nullptr;
    for (const CommandRow* row : rows) {
        // A separator opens a new section; it goes again if the section brings no items.
        QAction* separator =
            previous && previous->section != row->section && !in_menu.actions().isEmpty()
                ? in_menu.addSeparator()
                : nullptr;
        const qsizetype before = in_menu.actions().size();
        if (row->fill) {
            row->fill(in_menu);
        } else if (QAction* action = in_actions(row->id)) {
            in_menu.addAction(action);
        }
        if (separator && in_menu.actions().size() == before) {
            in_menu.removeAction(separator);
            delete separator;
        }
        previous = row;
    }
}

void FillCommandToolBar(QToolBar& in_toolBar, const std::vector<CommandRow>& in_rows,
                        const std::function<QAction*(int)>& in_actions) {
    const std::vector<const CommandRow*> rows = Ordered(
        in_rows, [](const CommandRow& in_row) { return in_row.toolbarGroup > 0; },
        [](const CommandRow& in_row) { return in_row.toolbarGroup; });
    auto* noToolTip = new NoToolTip(&in_toolBar);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i > 0 && rows[i - 1]->toolbarGroup != rows[i]->toolbarGroup) {
            in_toolBar.addSeparator();
        }
        QAction* action = in_actions(rows[i]->id);
        in_toolBar.addAction(action);
        if (rows[i]->toolTip.isEmpty()) {
            if (QWidget* button = in_toolBar.widgetForAction(action)) {
                button->installEventFilter(noToolTip);
            }
        }
    }
}

void UpdateCommandStates(const std::vector<CommandRow>& in_rows,
                         const std::function<QAction*(int)>& in_actions) {
    for (const CommandRow& row : in_rows) {
        QAction* action = row.fill ? nullptr : in_actions(row.id);
        if (!action) {
            continue;
        }
        if (row.enable) {
            action->setEnabled(row.enable());
        }
        if (row.checked) {
            action->setChecked(row.checked());
        }
    }
}
