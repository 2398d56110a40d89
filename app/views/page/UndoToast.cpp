#include "UndoToast.h"

#include "app/shell/PopoverController.h"
#include "app/views/theme/HelpText.h"
#include "app/views/theme/TextButton.h"
#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"
#include "platform/MainThread.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace {

constexpr int fontSize = 11;

} // namespace

UndoToast::UndoToast(PopoverController& controller, NoteStore& store, const Appearance& appearance,
                     QWidget* parent)
    : QWidget(parent)
    , m_store(store)
    , m_appearance(appearance)
    , m_message(new QLabel(this))
    , m_undoButton(new TextButton(QStringLiteral("Undo"), Theme::toastAction(), appearance, this))
{
    QUILLORY_ASSERT_MAIN_THREAD();
    QFont plain = m_message->font();
    plain.setPixelSize(fontSize);
    m_message->setFont(plain);
    QPalette white = m_message->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    m_message->setPalette(white);
    m_undoButton->setToolTip(
        helpText(QStringLiteral("Bring the note back"), QKeySequence(Qt::CTRL | Qt::Key_Z)));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(padding);
    row->setSpacing(spacing);
    row->addWidget(m_message, 0, Qt::AlignVCenter);
    row->addWidget(m_undoButton, 0, Qt::AlignVCenter);
    row->setSizeConstraint(QLayout::SetFixedSize);

    // Direct, so that a click from another thread is caught there rather than queued over.
    connect(
        m_undoButton, &QAbstractButton::clicked, &controller,
        [&controller] {
            QUILLORY_ASSERT_MAIN_THREAD();
            controller.undo();
        },
        Qt::DirectConnection);
    connect(&store, &NoteStore::pendingUndoChanged, this, &UndoToast::refresh);
    connect(&appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
    refresh();
}

QString UndoToast::message(const std::optional<NoteStore::DeletedNotes>& pending)
{
    if (!pending || pending->entries.size() == 1)
        return QStringLiteral("Note deleted");
    return QString::number(pending->entries.size()) + QStringLiteral(" notes deleted");
}

QString UndoToast::messageShown() const
{
    return m_message->text();
}

void UndoToast::refresh()
{
    m_message->setText(message(m_store.pendingUndo()));
}

void UndoToast::paintEvent(QPaintEvent*)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::toastBackground().resolved(m_appearance));
    painter.drawRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
}
