#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <QStyle>
#include <functional>
#include <vector>

class QAction;
class QIcon;
class QMenu;
class QToolBar;
class QWidget;

// The menus of the main frame's menu bar.
enum class FrameMenu { None, File, Edit, View, Midi, Window, Help };

// A toolbar image: one of the program's (":/icons/NAME.png" and its "@2x" twin) or one
// of the style's standard ones.
struct CommandIcon {
    CommandIcon() = default;
    CommandIcon(const char* in_resource) : resource(in_resource) {}
    CommandIcon(QStyle::StandardPixmap in_standard) : standard(in_standard), isStandard(true) {}

    const char* resource = nullptr;
    QStyle::StandardPixmap standard = QStyle::SP_CustomBase;
    bool isStandard = false;
};

// One command of the main frame: everything its menu item, toolbar button, keys,
// status-bar prompt and enabling need. The frame holds one row per command, and its
// menus, toolbar and keys are made from those rows alone, so a new command is one new
// row. Rows are written as CommandRow(id, text, tip).Keys(...).In(...).Does(...).
struct CommandRow {
    using Handler = std::function<void()>;
    using Rule = std::function<bool()>;
    // Makes the command's action itself (Undo and Redo are the undo group's own);
    // given the text the menu would show.
    using Maker = std::function<QAction*(const QString& in_menuText)>;
    // Puts items of the program's state into a menu: the recent files, the windows.
    using Filler = std::function<void(QMenu& in_menu)>;

    // in_text as the menu shows it, without the key (the first key follows a tab);
    // in_tip the status-bar prompt ("" for none).
    CommandRow(int in_id, const char* in_text, const char* in_tip = "");
    // Not a command but a run of items of in_menu made by in_fill when the menu is made.
    static CommandRow Items(FrameMenu in_menu, int in_section, bool in_withoutBank, Filler in_fill);

    CommandRow& Keys(QList<QKeySequence> in_keys) { return Set(keys, std::move(in_keys)); }
    // Its place: in_menu, in section in_section (a separator between sections, which
    // stand in ascending order), also while no bank window is open when in_withoutBank.
    CommandRow& In(FrameMenu in_menu, int in_section, bool in_withoutBank = false) {
        menu = in_menu;
        withoutBank = in_withoutBank;
        return Set(section, in_section);
    }
    // A toolbar button in group in_group (groups in ascending order, a separator between
    // them); in_toolTip "" shows none, only the status-bar prompt.
    CommandRow& Button(int in_group, const char* in_toolTip, CommandIcon in_icon) {
        toolbarGroup = in_group;
        toolTip = QString::fromUtf8(in_toolTip);
        return Set(icon, in_icon);
    }
    CommandRow& Does(Handler in_handler) { return Set(handler, std::move(in_handler)); }
    // Enabled exactly while in_rule holds; a row without a rule stays as it was made.
    CommandRow& EnabledWhen(Rule in_rule) { return Set(enable, std::move(in_rule)); }
    // A check item, checked exactly while in_rule holds.
    CommandRow& CheckedWhen(Rule in_rule) { return Set(checked, std::move(in_rule)); }
    CommandRow& MadeBy(Maker in_maker) { return Set(maker, std::move(in_maker)); }

    // The text of its menu item: the text, and after a tab the first key.
    QString MenuText() const;

    int id = 0;
    QString text;
    QString tip;
    QList<QKeySequence> keys;
    FrameMenu menu = FrameMenu::None;
    int section = 0;
    bool withoutBank = false;
    int toolbarGroup = 0;
    QString toolTip;
    CommandIcon icon;
    Handler handler;
    Rule enable;
    Rule checked;
    Maker maker;
    Filler fill;

  private:
    template <typename T>
    CommandRow& Set(T& out_field, T in_value) {
        out_field = std::move(in_value);
        return *this;
    }
};

QIcon MakeIcon(const CommandIcon& in_icon, const QWidget& in_owner);

// The action of a row, made and set up from it; its keys work wherever in_owner, which
// owns it, has the focus. Nullptr for a row of items.
QAction* MakeCommandAction(const CommandRow& in_row, QWidget& in_owner);

// Empties in_menu and fills it with the rows placed in in_kind, section by section,
// in table order within a section; while no bank window is open (in_bankOpen false)
// only the rows that stand there as well. in_actions gives a row's action by id.
void FillCommandMenu(QMenu& in_menu, FrameMenu in_kind, bool in_bankOpen,
                     const std::vector<CommandRow>& in_rows,
                     const std::function<QAction*(int)>& in_actions);

// The rows' buttons, group by group.
void FillCommandToolBar(QToolBar& in_toolBar, const std::vector<CommandRow>& in_rows,
                        const std::function<QAction*(int)>& in_actions);

// Sets each row's action enabled and checked by its rules.
void UpdateCommandStates(const std::vector<CommandRow>& in_rows,
                         const std::function<QAction*(int)>& in_actions);
