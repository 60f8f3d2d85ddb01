#include "view/ParametersPanel.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "bank/SysExData.h"
#include "view/BankEntrySource.h"
#include "view/ParameterControls.h"
#include "view/QuorlinView.h"

namespace {

using namespace parameter_controls;

const QColor kDamaged = DamagedColour();

// Gestures are numbered for the whole program, so two panels never share one.
int g_LastGesture = 0;

QString Text(const std::string& in_text) {
    return QString::fromStdString(in_text);
}

}  // namespace

CParametersPanel::CParametersPanel(QWidget* in_parent)
    : QDockWidget(QStringLiteral("Parameters"), in_parent) {
    setObjectName(QStringLiteral("ParametersPanel"));
    m_ptrPages = new QStackedWidget(this);
    m_ptrNothing = new QLabel(m_ptrPages);
    m_ptrNothing->setAlignment(Qt::AlignCenter);
    m_ptrNothing->setWordWrap(true);
    m_ptrNothing->setMargin(12);
    m_ptrPages->addWidget(m_ptrNothing);
    BuildTonePage();
    BuildPatchPage();
    setWidget(m_ptrPages);
    Refresh();
}

CParametersPanel::~CParametersPanel() {
    for (const QMetaObject::Connection& connection : m_ViewConnections) {
        disconnect(connection);
    }
}

CParametersPanel::Editor& CParametersPanel::MakeEditor(QWidget* in_parent, mks80::Kind in_kind,
                                                       const mks80::Parameter& in_param,
                                                       mks80::Half in_half) {
    m_Editors.push_back({});
    Editor& editor = m_Editors.back();
    editor.kind = in_kind;
    editor.param = &in_param;
    editor.half = in_half;
    QWidget* control = nullptr;
    if (in_param.IsContinuous() && in_param.display != mks80::Display::ToneNumber) {
        editor.slider = new QSlider(Qt::Horizontal, in_parent);
        editor.slider->setRange(0, in_param.steps - 1);
        editor.slider->setSingleStep(1);
        editor.slider->setPageStep(PageStep(in_param));
        editor.slider->setMinimumWidth(editor.slider->fontMetrics().averageCharWidth() * 14);
        editor.value = new QLabel(in_parent);
        // Room for the widest ordinary value, so the slider does not jump as it moves.
        editor.value->setMinimumWidth(
            editor.value->fontMetrics().horizontalAdvance(QStringLiteral("High ")));
        Editor* self = &editor;
        connect(editor.slider, &QSlider::valueChanged, this,
                [this, self](int in_value) { OnEdited(*self, in_value); });
        control = editor.slider;
    } else {
        editor.combo = new QComboBox(in_parent);
        if (in_param.display == mks80::Display::ToneNumber) {
            // "23 Soft Pad": the tone's number and its name in the bank shown.
            for (int index = 0; index < in_param.steps; ++index) {
                editor.combo->addItem(Text(EntryNumber(index)));
            }
            editor.combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            editor.combo->setMinimumContentsLength(12);
            editor.select = new QToolButton(in_parent);
            editor.select->setText(QStringLiteral("Select"));
            editor.select->setToolTip(QStringLiteral("Select this tone in the bank window"));
            Editor* self = &editor;
            connect(editor.select, &QToolButton::clicked, this, [this, self]() {
                if (m_ptrSource) {
                    m_ptrSource->SelectTone(self->combo->currentIndex());
                }
            });
        } else {
            for (const char* word : in_param.words) {
                editor.combo->addItem(QString::fromUtf8(word));
            }
        }
        Editor* self = &editor;
        connect(editor.combo, &QComboBox::currentIndexChanged, this,
                [this, self](int in_index) { OnEdited(*self, in_index); });
        control = editor.combo;
    }
    control->setAccessibleName(QString::fromUtf8(in_param.name));
    control->setFocusPolicy(Qt::StrongFocus);
    control->installEventFilter(this);
    return editor;
}

void CParametersPanel::BuildTonePage() {
    auto* body = new QWidget;
    m_ptrToneColumns = new QHBoxLayout(body);
    m_ptrToneColumns->setContentsMargins(6, 6, 6, 6);
    m_ptrToneColumns->setSpacing(6);
    const std::vector<mks80::Parameter>& params = mks80::ToneParameters();
    const int labelWidth = LabelWidth(fontMetrics(), mks80::Kind::Tone);
    for (int section = static_cast<int>(mks80::Section::Lfo1);
         section <= static_cast<int>(mks80::Section::Env2); ++section) {
        auto* box = new QGroupBox(
            QString::fromUtf8(SectionName(static_cast<mks80::Section>(section))), body);
        auto* grid = new QGridLayout(box);
        grid->setColumnStretch(1, 1);
        grid->setColumnMinimumWidth(0, labelWidth);
        int row = 0;
        for (const mks80::Parameter& param : params) {
            if (static_cast<int>(param.section) != section) {
                continue;
            }
            Editor& editor = MakeEditor(box, mks80::Kind::Tone, param, mks80::Half::Upper);
            auto* label = new QLabel(QString::fromUtf8(param.label), box);
            editor.label = label;
            grid->addWidget(label, row, 0);
            if (editor.slider) {
                label->setBuddy(editor.slider);
                grid->addWidget(editor.slider, row, 1);
                grid->addWidget(editor.value, row, 2);
            } else {
                label->setBuddy(editor.combo);
                grid->addWidget(editor.combo, row, 1, 1, 2);
            }
            ++row;
        }
        m_ToneSections.push_back(box);
    }
    m_ptrToneScroll = MakeScrollArea(m_ptrPages, body);
    m_ptrToneScroll->viewport()->installEventFilter(this);
    m_ptrPages->addWidget(m_ptrToneScroll);
    ArrangeToneSections(0);
}

void CParametersPanel::BuildPatchPage() {
    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(6, 6, 6, 6);
    const std::vector<mks80::Parameter>& params = mks80::PatchParameters();

    auto* common = new QGroupBox(QString::fromUtf8(SectionName(mks80::Section::Common)), body);
    const int labelWidth = LabelWidth(fontMetrics(), mks80::Kind::Patch);
    auto* commonGrid = new QGridLayout(common);
    commonGrid->setColumnStretch(1, 1);
    commonGrid->setColumnMinimumWidth(0, labelWidth);
    auto* halves = new QGroupBox(QStringLiteral("Upper and lower"), body);
    auto* halvesGrid = new QGridLayout(halves);
    halvesGrid->setColumnStretch(1, 1);
    halvesGrid->setColumnStretch(2, 1);
    halvesGrid->setHorizontalSpacing(12);
    halvesGrid->setColumnMinimumWidth(0, labelWidth);
    for (const char* title : {"Upper", "Lower"}) {
        auto* header = new QLabel(QStringLiteral("<b>%1</b>").arg(QLatin1String(title)), halves);
        halvesGrid->addWidget(header, 0, title[0] == 'U' ? 1 : 2);
    }
    int commonRow = 0;
    int halfRow = 1;
    for (const mks80::Parameter& param : params) {
        if (param.shared) {
            Editor& editor = MakeEditor(common, mks80::Kind::Patch, param, mks80::Half::Upper);
            editor.label = new QLabel(QString::fromUtf8(param.label), common);
            commonGrid->addWidget(editor.label, commonRow, 0);
            if (editor.slider) {
                commonGrid->addWidget(editor.slider, commonRow, 1);
                commonGrid->addWidget(editor.value, commonRow, 2);
            } else {
                commonGrid->addWidget(editor.combo, commonRow, 1, 1, 2);
            }
            ++commonRow;
            continue;
        }
        auto* label = new QLabel(QString::fromUtf8(param.label), halves);
        halvesGrid->addWidget(label, halfRow, 0);
        for (mks80::Half half : {mks80::Half::Upper, mks80::Half::Lower}) {
            Editor& editor = MakeEditor(halves, mks80::Kind::Patch, param, half);
            editor.label = label;
            auto* cell = new QHBoxLayout;
            cell->setSpacing(4);
            if (editor.slider) {
                cell->addWidget(editor.slider, 1);
                cell->addWidget(editor.value);
            } else {
                cell->addWidget(editor.combo, 1);
                if (editor.select) {
                    cell->addWidget(editor.select);
                }
            }
            halvesGrid->addLayout(cell, halfRow, half == mks80::Half::Upper ? 1 : 2);
        }
        ++halfRow;
    }
    // The halves' controls in reading order, upper half first, as the grid shows them.
    QWidget* previous = nullptr;
    for (mks80::Half half : {mks80::Half::Upper, mks80::Half::Lower}) {
        for (const Editor& editor : m_Editors) {
            if (editor.kind != mks80::Kind::Patch || editor.param->shared || editor.half != half) {
                continue;
            }
            QWidget* control = editor.slider ? static_cast<QWidget*>(editor.slider) : editor.combo;
            if (previous) {
                setTabOrder(previous, control);
            }
            previous = control;
            if (editor.select) {
                setTabOrder(previous, editor.select);
                previous = editor.select;
            }
        }
    }
    layout->addWidget(common);
    layout->addWidget(halves);
    layout->addStretch(1);
    m_ptrPatchScroll = MakeScrollArea(m_ptrPages, body);
    m_ptrPages->addWidget(m_ptrPatchScroll);
}

void CParametersPanel::ArrangeToneSections(int in_width) {
    int sectionWidth = 0;
    int total = 0;
    for (QGroupBox* box : m_ToneSections) {
        sectionWidth = std::max(sectionWidth, box->sizeHint().width());
        total += box->sizeHint().height();
    }
    const int spacing = m_ptrToneColumns->spacing();
    const QMargins margins = m_ptrToneColumns->contentsMargins();
    const int room = in_width - margins.left() - margins.right() + spacing;
    const int columns = std::clamp(room / std::max(1, sectionWidth + spacing), 1, 4);
    if (columns == m_ToneColumnCount) {
        return;
    }
    m_ToneColumnCount = columns;
    while (QLayoutItem* item = m_ptrToneColumns->takeAt(0)) {
        if (QLayout* column = item->layout()) {
            while (QLayoutItem* inner = column->takeAt(0)) {
                delete inner;
            }
        }
        delete item;
    }
    // The sections in the instrument's order, down each column then across, the
    // columns about equally long.
    const int target = (total + columns - 1) / columns;
    auto* column = new QVBoxLayout;
    m_ptrToneColumns->addLayout(column, 1);
    int height = 0;
    int made = 1;
    for (QGroupBox* box : m_ToneSections) {
        const int boxHeight = box->sizeHint().height();
        if (height > 0 && height + boxHeight / 2 > target && made < columns) {
            column->addStretch(1);
            column = new QVBoxLayout;
            m_ptrToneColumns->addLayout(column, 1);
            height = 0;
            ++made;
        }
        column->addWidget(box);
        height += boxHeight;
    }
    column->addStretch(1);
}

int CParametersPanel::PreferredWidth() const {
    int sectionWidth = 0;
    for (QGroupBox* box : m_ToneSections) {
        sectionWidth = std::max(sectionWidth, box->sizeHint().width());
    }
    const QMargins margins = m_ptrToneColumns->contentsMargins();
    const int tone =
        2 * sectionWidth + m_ptrToneColumns->spacing() + margins.left() + margins.right();
    const int patch = m_ptrPatchScroll->widget()->sizeHint().width();
    return std::max(tone, patch) + style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
           2 * style()->pixelMetric(QStyle::PM_DockWidgetFrameWidth);
}

void CParametersPanel::Open() {
    auto* window = qobject_cast<QMainWindow*>(parentWidget());
    const bool wasHidden = isHidden();
    const int centreWidth =
        window && window->centralWidget() ? window->centralWidget()->width() : 0;
    show();
    raise();
    if (!wasHidden || !window || isFloating()) {
        return;
    }
    const int wanted = PreferredWidth();
    // A bank window is 310 pixels wide; it keeps that and its frame beside the panel.
    const int lacking = wanted + 340 - centreWidth;
    if (lacking > 0 && !(window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
        const QRect screen = window->screen() ? window->screen()->availableGeometry()
                                              : QRect(window->pos(), window->size());
        const int width =
            std::min(window->width() + lacking,
                     screen.width() - (window->frameGeometry().width() - window->width()));
        window->resize(width, window->height());
        const int overflow = window->frameGeometry().right() - screen.right();
        if (overflow > 0) {
            window->move(std::max(screen.left(), window->x() - overflow), window->y());
        }
    }
    window->resizeDocks({this}, {wanted}, Qt::Horizontal);
}

const CParametersPanel::Editor* CParametersPanel::FindEditor(mks80::Kind in_kind, int in_number,
                                                             mks80::Half in_half) const {
    for (const Editor& editor : m_Editors) {
        if (editor.kind == in_kind && editor.param->number == in_number &&
            (editor.half == in_half || editor.param->shared)) {
            return &editor;
        }
    }
    return nullptr;
}

QWidget* CParametersPanel::GetEditor(mks80::Kind in_kind, int in_number,
                                     mks80::Half in_half) const {
    const Editor* editor = FindEditor(in_kind, in_number, in_half);
    if (!editor) {
        return nullptr;
    }
    return editor->slider ? static_cast<QWidget*>(editor->slider) : editor->combo;
}

QLabel* CParametersPanel::GetValueLabel(mks80::Kind in_kind, int in_number,
                                        mks80::Half in_half) const {
    const Editor* editor = FindEditor(in_kind, in_number, in_half);
    return editor ? editor->value : nullptr;
}

QToolButton* CParametersPanel::GetSelectToneButton(mks80::Half in_half) const {
    const Editor* editor = FindEditor(mks80::Kind::Patch, mks80::PATCH_TONE_PARAMETER, in_half);
    return editor ? editor->select : nullptr;
}

void CParametersPanel::FollowView(CQuorlinView* in_view) {
    if (in_view != m_ptrView || !in_view) {
        for (const QMetaObject::Connection& connection : m_ViewConnections) {
            disconnect(connection);
        }
        m_ViewConnections.clear();
        m_ptrView = in_view;
        if (in_view) {
            m_ViewConnections.push_back(connect(in_view, &CQuorlinView::SelectionChanged, this,
                                                [this]() { FollowSelection(); }));
            m_ViewConnections.push_back(
                connect(in_view, &CQuorlinView::RowsChanged, this, [this](int, int) {
                    // Any row may hold a tone a patch plays; one refresh is cheap.
                    if (dynamic_cast<CBankEntrySource*>(m_ptrSource.get())) {
                        Refresh();
                    }
                }));
            m_ViewConnections.push_back(connect(in_view, &QObject::destroyed, this, [this]() {
                // The view is half destroyed: forget it without looking at it as a view.
                for (const QMetaObject::Connection& connection : m_ViewConnections) {
                    disconnect(connection);
                }
                m_ViewConnections.clear();
                m_ptrView.clear();
                FollowSelection();
            }));
        }
    }
    FollowSelection();
}

void CParametersPanel::FollowSelection() {
    CQuorlinView* view = m_ptrView;
    const int row = view ? view->GetSelectedRow() : -1;
    if (!view || row < 0 || row >= BANK_SIZE) {
        m_ptrSource.reset();
        Refresh();
        return;
    }
    const mks80::Kind kind =
        view->GetSelectedColumn() != 0 ? mks80::Kind::Tone : mks80::Kind::Patch;
    const auto* shown = dynamic_cast<CBankEntrySource*>(m_ptrSource.get());
    if (!shown || shown->GetView() != view || shown->GetKind() != kind ||
        shown->GetIndex() != row) {
        m_ptrSource = std::make_unique<CBankEntrySource>(*view, kind, row);
    }
    Refresh();
}

void CParametersPanel::SetSource(std::unique_ptr<ParameterSource> in_source) {
    for (const QMetaObject::Connection& connection : m_ViewConnections) {
        disconnect(connection);
    }
    m_ViewConnections.clear();
    m_ptrView = nullptr;
    m_ptrSource = std::move(in_source);
    Refresh();
}

void CParametersPanel::Refresh() {
    const std::vector<int8_t> bytes = m_ptrSource ? m_ptrSource->GetBytes() : std::vector<int8_t>();
    const mks80::Kind kind = m_ptrSource ? m_ptrSource->GetKind() : mks80::Kind::Tone;
    const size_t size = kind == mks80::Kind::Tone ? mks80::TONE_BYTES : mks80::PATCH_BYTES;
    if (!m_ptrSource || bytes.size() != size) {
        // A source with nothing yet keeps its title, so the panel says what it waits for.
        const QString waiting = m_ptrSource ? m_ptrSource->EmptyText() : QString();
        setWindowTitle(waiting.isEmpty()
                           ? QStringLiteral("Parameters")
                           : QStringLiteral("Parameters: %1").arg(m_ptrSource->GetTitle()));
        m_ptrNothing->setText(waiting.isEmpty()
                                  ? QStringLiteral("Select a patch or a tone in a "
                                                   "bank window to see its parameters.")
                                  : waiting);
        m_ptrPages->setCurrentWidget(m_ptrNothing);
        return;
    }
    setWindowTitle(QStringLiteral("Parameters: %1").arg(m_ptrSource->GetTitle()));
    m_ptrPages->setCurrentWidget(kind == mks80::Kind::Tone ? m_ptrToneScroll : m_ptrPatchScroll);
    const bool editable = !m_ptrSource->IsReadOnly();
    for (Editor& editor : m_Editors) {
        if (editor.kind == kind) {
            (editor.slider ? static_cast<QWidget*>(editor.slider) : editor.combo)
                ->setEnabled(editable);
            ShowValue(editor, bytes);
        }
    }
}

void CParametersPanel::ShowValue(Editor& io_editor, const std::vector<int8_t>& in_bytes) {
    const mks80::Parameter& param = *io_editor.param;
    const int stored = mks80::StoredValue(param, in_bytes.data(), io_editor.half);
    const bool valid =
        mks80::IsValidStored(param, stored) &&
        !mks80::HasUnusedBitsSet(io_editor.kind, param, in_bytes.data(), io_editor.half);
    const QString text =
        Text(mks80::StoredText(io_editor.kind, param, in_bytes.data(), io_editor.half));
    QWidget* control = io_editor.slider ? static_cast<QWidget*>(io_editor.slider) : io_editor.combo;
    // Every control is set with its signals blocked: showing a value never writes it.
    const QSignalBlocker blocker(control);
    QPalette colours = palette();
    if (!valid) {
        for (QPalette::ColorRole role :
             {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
            colours.setColor(role, kDamaged);
        }
    }
    // A narrow list cuts a marked text short: its tip says it whole.
    control->setToolTip(valid ? QString() : QStringLiteral("%1\n%2").arg(text, DamagedTip()));
    if (io_editor.slider) {
        // A slider cannot stand beyond its ends: it stands at the nearest valid value,
        // and its text says what is stored.
        io_editor.slider->setValue(mks80::ValidStored(param, stored));
        io_editor.value->setText(text);
        io_editor.value->setPalette(colours);
        io_editor.value->setToolTip(valid ? QString() : DamagedTip());
        return;
    }
    QComboBox* combo = io_editor.combo;
    if (io_editor.select) {
        for (int index = 0; index < param.steps; ++index) {
            const QString item = QStringLiteral("%1 %2")
                                     .arg(Text(EntryNumber(index)), m_ptrSource->ToneName(index))
                                     .trimmed();
            if (combo->itemText(index) != item) {
                combo->setItemText(index, item);
            }
        }
        io_editor.select->setEnabled(mks80::IsValidStored(param, stored) &&
                                     m_ptrSource->CanSelectTone());
    }
    // What is stored when the instrument could not have sent it: one more item, marked,
    // after the instrument's own.
    if (valid) {
        while (combo->count() > param.steps) {
            combo->removeItem(param.steps);
        }
        combo->setCurrentIndex(stored);
    } else {
        if (combo->count() == param.steps) {
            combo->addItem(text);
        } else {
            combo->setItemText(param.steps, text);
        }
        combo->setItemData(param.steps, kDamaged, Qt::ForegroundRole);
        combo->setCurrentIndex(param.steps);
    }
    combo->setPalette(colours);
}

void CParametersPanel::OnEdited(const Editor& in_editor, int in_stored) {
    const mks80::Parameter& param = *in_editor.param;
    // The marked item of a damaged value is what is stored already.
    if (!m_ptrSource || m_ptrSource->IsReadOnly() || !mks80::IsValidStored(param, in_stored)) {
        return;
    }
    const std::vector<int8_t> bytes = m_ptrSource->GetBytes();
    if (bytes.size() !=
        size_t(in_editor.kind == mks80::Kind::Tone ? mks80::TONE_BYTES : mks80::PATCH_BYTES)) {
        return;
    }
    if (mks80::StoredValue(param, bytes.data(), in_editor.half) == in_stored &&
        !mks80::HasUnusedBitsSet(in_editor.kind, param, bytes.data(), in_editor.half)) {
        return;
    }
    m_ptrSource->Write(param, in_editor.half, in_stored, m_Gesture);
    Refresh();
}

void CParametersPanel::NewGesture(QObject* in_widget, bool in_wheel) {
    m_Gesture = ++g_LastGesture;
    m_ptrGestureWidget = in_widget;
    m_GestureIsWheel = in_wheel;
}

void CParametersPanel::EndGesture() {
    m_Gesture = 0;
    m_ptrGestureWidget = nullptr;
    m_GestureIsWheel = false;
}

bool CParametersPanel::eventFilter(QObject* in_watched, QEvent* in_event) {
    if (m_ptrToneScroll && in_watched == m_ptrToneScroll->viewport()) {
        if (in_event->type() == QEvent::Resize) {
            ArrangeToneSections(static_cast<QResizeEvent*>(in_event)->size().width());
        }
        return QDockWidget::eventFilter(in_watched, in_event);
    }
    switch (in_event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            // The control with the focus has its name in bold: a slider's own focus mark
            // is hard to see.
            for (const Editor& editor : m_Editors) {
                if ((editor.slider == in_watched || editor.combo == in_watched) && editor.label) {
                    QFont font = editor.label->font();
                    font.setBold(in_event->type() == QEvent::FocusIn);
                    editor.label->setFont(font);
                }
            }
            break;
        case QEvent::KeyPress:
            if (!static_cast<QKeyEvent*>(in_event)->isAutoRepeat()) {
                NewGesture(in_watched, false);
            }
            break;
        case QEvent::KeyRelease:
            if (!static_cast<QKeyEvent*>(in_event)->isAutoRepeat()) {
                EndGesture();
            }
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            NewGesture(in_watched, false);
            break;
        case QEvent::MouseButtonRelease:
            EndGesture();
            break;
        case QEvent::Wheel: {
            // Turning the wheel over the panel scrolls it; only the control that has
            // the focus takes the wheel as a change.
            auto* widget = qobject_cast<QWidget*>(in_watched);
            if (widget && !widget->hasFocus()) {
                auto* area = qobject_cast<QScrollArea*>(m_ptrPages->currentWidget());
                if (area) {
                    QCoreApplication::sendEvent(area->verticalScrollBar(), in_event);
                }
                return true;
            }
            if (!m_GestureIsWheel || m_ptrGestureWidget != in_watched) {
                NewGesture(in_watched, true);
            }
            break;
        }
        default:
            break;
    }
    return QDockWidget::eventFilter(in_watched, in_event);
}
