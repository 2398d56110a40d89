#include "NotePager.h"

#include "app/notes/AppSettings.h"
#include "app/notes/NoteStore.h"
#include "app/shell/PopoverController.h"
#include "app/views/editor/NoteTextView.h"
#include "app/views/page/PageSnapshot.h"
#include "platform/Appearance.h"
#include "platform/MainThread.h"

#include <QGraphicsOpacityEffect>

NotePager::NotePager(PopoverController& controller, NoteStore& store, AppSettings& settings,
                     Scheduler& scheduler, const Appearance& appearance, QWidget* parent)
    // Checked before any of its parts is made.
    : QWidget((QUILLORY_ASSERT_MAIN_THREAD(), parent))
    , m_controller(controller)
    , m_store(store)
    , m_settings(settings)
    , m_scheduler(scheduler)
    , m_appearance(appearance)
{
    m_editor = makeEditor();
    m_transition.setStartValue(0.0);
    m_transition.setEndValue(1.0);
    connect(&m_transition, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& progress) { showProgress(progress.toReal()); });
    connect(&m_transition, &QAbstractAnimation::finished, this, &NotePager::finishTransition);

    connect(&store, &NoteStore::notesChanged, this, &NotePager::followStore);
    connect(&store, &NoteStore::currentIndexChanged, this, &NotePager::followStore);
    connect(&settings, &AppSettings::textSizeChanged, this,
            [this](int points) { m_editor->setFontSize(points); });
    connect(&settings, &AppSettings::pasteAsPlainTextChanged, this,
            [this](bool on) { m_editor->setPasteAsPlainText(on); });
    connect(&controller, &PopoverController::focusRequested, this,
            [this] { m_editor->setFocusRequest(m_controller.focusRequest()); });
}

NoteTextView* NotePager::makeEditor()
{
    const Note& note = m_store.currentNote();
    auto* editor =
        new NoteTextView(note.id, note.text, m_settings.textSize(), m_settings.pasteAsPlainText(),
                         m_controller.focusRequest(), m_appearance, m_scheduler, this);
    editor->setGeometry(rect());
    // Each editor writes into its own note by id, whatever note is current by then.
    connect(editor, &NoteTextView::textEdited, &m_store,
            qOverload<const QUuid&, const QString&>(&NoteStore::setText));
    connect(editor, &NoteTextView::copyWholeRequested, &m_controller,
            &PopoverController::copyCurrentNote);
    editor->show();
    return editor;
}

void NotePager::followStore()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    const Note& note = m_store.currentNote();
    if (note.id == m_editor->noteID())
        m_editor->setText(note.text);
    else
        changePage();
}

void NotePager::changePage()
{
    finishTransition();
    const Animation animation = m_controller.animation();
    NoteTextView* leaving = m_editor;
    // The keyboard stays on the page: a key typed before a pending focus request is served
    // must reach the new note, not the window.
    const bool keepsKeyboard = leaving->hasPendingFocus() || leaving->hasFocus();
    if (!animation.isNone()) {
        m_outgoing = new PageSnapshot(*leaving, this);
        m_outgoing->setGeometry(rect());
        m_outgoing->show();
    }
    delete leaving;
    m_editor = makeEditor();
    // Before the move starts, so that laying out a long note never stalls one of its frames.
    m_editor->finishLayout();
    if (keepsKeyboard)
        m_editor->focusAtEnd();
    if (animation.isNone())
        return;

    m_pageTransition = pageTransition(m_controller.motion(), width(), m_appearance.reduceMotion());
    m_incomingFade = new QGraphicsOpacityEffect(m_editor);
    m_editor->setGraphicsEffect(m_incomingFade);
    m_outgoing->raise();
    m_transition.setEasingCurve(animation.curve);
    m_transition.setDuration(int(animation.duration.count()));
    showProgress(0);
    m_transition.start();
}

void NotePager::showProgress(qreal progress)
{
    if (!m_outgoing)
        return;
    m_outgoing->setEffect(
        PageEffect::interpolated(PageEffect::identity(), m_pageTransition.removal, progress));
    const PageEffect incoming =
        PageEffect::interpolated(m_pageTransition.insertion, PageEffect::identity(), progress);
    m_editor->move(qRound(incoming.x), qRound(incoming.y));
    if (m_incomingFade)
        m_incomingFade->setOpacity(incoming.opacity);
}

void NotePager::finishTransition()
{
    if (m_transition.state() == QAbstractAnimation::Running)
        m_transition.stop();
    delete m_outgoing;
    m_editor->setGraphicsEffect(nullptr);
    m_editor->move(0, 0);
}

void NotePager::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_editor->resize(size());
    if (m_outgoing)
        m_outgoing->resize(size());
}
