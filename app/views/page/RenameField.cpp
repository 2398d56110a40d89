#include "RenameField.h"

#include "app/notes/Note.h"
#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"
#include "platform/MainThread.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>
#include <QtMath>

namespace {

const ThemeColor& ringColor()
{
    static const ThemeColor color(QColor(0x4B, 0x7D, 0xF0), QColor(0x6E, 0x9A, 0xFF));
    return color;
}

} // namespace

RenameField::RenameField(const QString& initial, qreal maxWidth, const Appearance& appearance,
                         QWidget* parent)
    : QLineEdit(parent)
    , m_appearance(appearance)
    , m_maxWidth(maxWidth)
{
    QFont semibold = font();
    semibold.setPixelSize(fontSize);
    semibold.setWeight(QFont::DemiBold);
    setFont(semibold);
    setFrame(false);
    setTextMargins(textMargin, 0, textMargin, 0);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    applyColors();
    setText(initial);
    limitLength();
    connect(this, &QLineEdit::textChanged, this, &RenameField::limitLength);
    connect(&appearance, &Appearance::changed, this, &RenameField::applyColors);
}

void RenameField::setMaxWidth(qreal maxWidth)
{
    if (maxWidth == m_maxWidth)
        return;
    m_maxWidth = maxWidth;
    updateGeometry();
}

int RenameField::widthFor(qreal textWidth, qreal maxWidth)
{
    return std::min(std::max(qCeil(textWidth) + textAllowance, narrowest),
                    std::max(qCeil(maxWidth), narrowest));
}

QSize RenameField::sizeHint() const
{
    return {widthFor(QFontMetricsF(font()).horizontalAdvance(text()), m_maxWidth), fieldHeight};
}

void RenameField::limitLength()
{
    const QString kept = firstCharacters(text(), maximumNameLength);
    if (kept.size() != text().size()) {
        const int cursor = cursorPosition();
        setText(kept);
        setCursorPosition(std::min(cursor, int(kept.size())));
    }
    updateGeometry();
}

void RenameField::applyColors()
{
    QPalette colors = palette();
    colors.setColor(QPalette::Base, Qt::transparent);
    colors.setColor(QPalette::Text, Theme::textPrimary().resolved(m_appearance));
    setPalette(colors);
    update();
}

void RenameField::showEvent(QShowEvent* event)
{
    QLineEdit::showEvent(event);
    // A turn later, once the header has laid the field out.
    QTimer::singleShot(0, this, [this] {
        if (!window()->isVisible())
            return;
        setFocus(Qt::OtherFocusReason);
        selectAll();
    });
}

void RenameField::finish(bool commit)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    // Set before reporting, so the focus loss that follows reports nothing more.
    if (m_finished)
        return;
    m_finished = true;
    if (commit)
        Q_EMIT committed(text());
    else
        Q_EMIT cancelled();
}

void RenameField::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        finish(true);
        return;
    case Qt::Key_Escape:
        finish(false);
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

void RenameField::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // The panel losing the keyboard closes it, which ends renaming without a commit; only
    // another control taking the focus ends the edit here.
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
        finish(true);
}

void RenameField::paintEvent(QPaintEvent* event)
{
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Inset by half the line, so the ring lies exactly inside the field.
    const qreal half = ringWidth / 2;
    painter.setPen(QPen(ringColor().resolved(m_appearance), ringWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(half, half, -half, -half), ringRadius,
                            ringRadius);
}
