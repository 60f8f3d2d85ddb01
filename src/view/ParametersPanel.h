#pragma once

#include <QDockWidget>
#include <QPointer>
#include <deque>
#include <memory>
#include <vector>

#include "view/ParameterSource.h"

class CQuorlinView;
class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QScrollArea;
class QSlider;
class QStackedWidget;
class QToolButton;

// "Parameters": every parameter of one tone or patch by the instrument's names, a
// slider with its value for a continuous one, a drop-down of the instrument's words
// for a switch. A tone's 48 stand in the instrument's sections, as many columns side by
// side as the width allows; a patch shows its shared three, then its halves side by
// side with each half's tone named.
//
// The panel shows what is stored: a value the instrument could not have sent is shown
// as it is and marked, and never written back by being shown. Only the user's change of
// a control writes, and then a valid value.
class CParametersPanel : public QDockWidget {
    Q_OBJECT

  public:
    explicit CParametersPanel(QWidget* in_parent = nullptr);
    ~CParametersPanel() override;

    // Shows the selected entry of in_view's bank and follows the view's selection and
    // every change of its bank, until another view or source is given; nullptr: nothing.
    void FollowView(CQuorlinView* in_view);
    CQuorlinView* GetFollowedView() const { return m_ptrView; }
    // Shows in_source (nullptr: nothing) and stops following a view.
    void SetSource(std::unique_ptr<ParameterSource> in_source);
    ParameterSource* GetSource() const { return m_ptrSource.get(); }
    // Shows the source's bytes as they are now.
    void Refresh();
    // Shows the panel; docked, it is made wide enough for a tone's sections in two
    // columns, the frame growing as far as the screen allows so the bank windows keep
    // their room.
    void Open();
    // That width: a tone in two columns, a patch whole.
    int PreferredWidth() const;

    // The control of a parameter (a QSlider or a QComboBox), the value text beside a
    // slider, and the button that selects a patch half's tone.
    QWidget* GetEditor(mks80::Kind in_kind, int in_number,
                       mks80::Half in_half = mks80::Half::Upper) const;
    QLabel* GetValueLabel(mks80::Kind in_kind, int in_number,
                          mks80::Half in_half = mks80::Half::Upper) const;
    QToolButton* GetSelectToneButton(mks80::Half in_half) const;

  protected:
    bool eventFilter(QObject* in_watched, QEvent* in_event) override;

  private:
    struct Editor {
        mks80::Kind kind = mks80::Kind::Tone;
        const mks80::Parameter* param = nullptr;
        mks80::Half half = mks80::Half::Upper;
        QSlider* slider = nullptr;
        QComboBox* combo = nullptr;
        QLabel* label = nullptr;        // its name
        QLabel* value = nullptr;        // beside a slider
        QToolButton* select = nullptr;  // a patch half's tone
    };

    void BuildTonePage();
    void BuildPatchPage();
    // The control of one parameter, inside in_parent; its value text too for a slider.
    Editor& MakeEditor(QWidget* in_parent, mks80::Kind in_kind, const mks80::Parameter& in_param,
                       mks80::Half in_half);
    const Editor* FindEditor(mks80::Kind in_kind, int in_number, mks80::Half in_half) const;
    void ShowValue(Editor& io_editor, const std::vector<int8_t>& in_bytes);
    void OnEdited(const Editor& in_editor, int in_stored);
    // The tone's sections in as many columns as in_width holds.
    void ArrangeToneSections(int in_width);
    void FollowSelection();
    void NewGesture(QObject* in_widget, bool in_wheel);
    void EndGesture();

    QStackedWidget* m_ptrPages = nullptr;
    QLabel* m_ptrNothing = nullptr;
    QScrollArea* m_ptrToneScroll = nullptr;
    QScrollArea* m_ptrPatchScroll = nullptr;
    QHBoxLayout* m_ptrToneColumns = nullptr;
    std::vector<QGroupBox*> m_ToneSections;
    int m_ToneColumnCount = 0;
    // Stable addresses: the controls' connections hold them.
    std::deque<Editor> m_Editors;

    std::unique_ptr<ParameterSource> m_ptrSource;
    QPointer<CQuorlinView> m_ptrView;
    std::vector<QMetaObject::Connection> m_ViewConnections;

    // The user's gesture the next change belongs to: a key pressed (its repeats while
    // held continue it), a mouse press (a drag continues it), or a run of wheel turns.
    // 0 between gestures: such a change is a step of its own.
    int m_Gesture = 0;
    QObject* m_ptrGestureWidget = nullptr;
    bool m_GestureIsWheel = false;
};
