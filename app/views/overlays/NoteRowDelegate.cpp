#include "NoteRowDelegate.h"

#include "app/notes/Hue.h"
#include "app/views/overlays/NoteListModel.h"
#include "app/views/theme/HueDot.h"
#include "app/views/theme/IconButton.h"
#include "app/views/theme/IconImage.h"
#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"
#include "platform/MainThread.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {

bool isSelecting(const QModelIndex& index)
{
    return index.data(NoteListModel::SelectingRole).toBool();
}

} // namespace

NoteRowDelegate::NoteRowDelegate(const Appearance& appearance, QObject* parent)
    : QStyledItemDelegate(parent)
    , m_appearance(appearance)
{
    m_nameFont.setPixelSize(nameFontSize);
    m_nameFont.setWeight(QFont::Medium);
    m_ageFont.setPixelSize(ageFontSize);
}

QSize NoteRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return {option.rect.width(), rowHeight};
}

QRect NoteRowDelegate::trashRect(const QRect& row)
{
    const int side = trashIconSize + 2 * IconButton::padding;
    return {row.right() + 1 - sidePadding - side, row.top() + (row.height() - side) / 2, side,
            side};
}

void NoteRowDelegate::paintRow(QPainter& painter, const QRect& row, const QModelIndex& index,
                               const RowState& state) const
{
    QUILLORY_ASSERT_MAIN_THREAD();
    const Hue hue = Hue(index.data(NoteListModel::HueRole).toInt());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (index.data(NoteListModel::CurrentRole).toBool())
        painter.fillRect(row, Theme::hueBackground(int(hue)).resolved(m_appearance));
    else if (state.hovered)
        painter.fillRect(row, Theme::rowHighlight().resolved(m_appearance));

    const qreal middle = row.center().y() + 0.5;
    qreal x = row.left() + sidePadding;
    if (state.marksShown > 0)
        paintMark(painter, QPointF(x + markSize / 2.0, row.top() + rowHeight / 2.0), state);
    x += state.marksShown * (markSize + spacing);
    HueDot::paint(painter, QPointF(x, middle - HueDot::diameter / 2.0), hue);
    x += HueDot::diameter + spacing;

    if (state.marksShown < 1)
        paintTrash(painter, row, state);
    // The age moves into the delete icon's place as the marks come in.
    const qreal besideTrash = trashRect(row).left() - spacing;
    const qreal right =
        besideTrash + (row.right() + 1 - sidePadding - besideTrash) * state.marksShown;
    const QString age = index.data(NoteListModel::AgeRole).toString();
    const QFontMetricsF ageMetrics(m_ageFont);
    const qreal ageWidth = ageMetrics.horizontalAdvance(age);
    painter.setFont(m_ageFont);
    painter.setPen(Theme::textTertiary().resolved(m_appearance));
    painter.drawText(QRectF(right - ageWidth, row.top(), ageWidth, row.height()),
                     Qt::AlignVCenter | Qt::AlignRight | Qt::TextSingleLine, age);

    const qreal nameRight = right - ageWidth - spacing - minimumGap - spacing;
    const QFontMetricsF nameMetrics(m_nameFont);
    const QString name = nameMetrics.elidedText(index.data().toString(), Qt::ElideRight,
                                                std::max(0.0, nameRight - x));
    painter.setFont(m_nameFont);
    painter.setPen(Theme::textPrimary().resolved(m_appearance));
    painter.drawText(QRectF(x, row.top(), std::max(0.0, nameRight - x), row.height()),
                     Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, name);
    painter.restore();
}

void NoteRowDelegate::paintMark(QPainter& painter, QPointF centre, const RowState& state) const
{
    // Drawn whole first, so that it fades as one picture and its ring never shows through.
    const qreal ratio = painter.device()->devicePixelRatioF();
    QPixmap mark(QSize(markSize, markSize) * ratio);
    mark.setDevicePixelRatio(ratio);
    mark.fill(Qt::transparent);
    QPainter markPainter(&mark);
    markPainter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(0, 0, markSize, markSize);
    markPainter.setPen(QPen(Theme::whiteHueRing().resolved(m_appearance), 1));
    markPainter.drawEllipse(frame.adjusted(0.5, 0.5, -0.5, -0.5));
    if (state.ticked) {
        markPainter.setPen(Qt::NoPen);
        markPainter.setBrush(Theme::textPrimary().resolved(m_appearance));
        markPainter.drawEllipse(frame);
        const QPixmap check = iconPixmap(QStringLiteral("check"), checkSize, Qt::white, ratio);
        const qreal inset = (markSize - checkSize) / 2.0;
        markPainter.drawPixmap(QPointF(inset, inset), check);
    }
    markPainter.end();

    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(painter.opacity() * state.marksShown);
    const qreal scale = markStartScale + (1 - markStartScale) * state.marksShown;
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.drawPixmap(QPointF(-markSize / 2.0, -markSize / 2.0), mark);
    painter.restore();
}

void NoteRowDelegate::paintTrash(QPainter& painter, const QRect& row, const RowState& state) const
{
    const qreal outer = painter.opacity();
    const qreal brightness = state.hovered ? 1.0 : restingTrashOpacity;
    painter.setOpacity(outer * brightness * (1 - state.marksShown));
    // As an icon button does: the primary text colour while the pointer is over it.
    const ThemeColor& color = state.trashHovered ? Theme::textPrimary() : Theme::textSecondary();
    const QPixmap icon =
        iconPixmap(QStringLiteral("trash-2"), trashIconSize, color.resolved(m_appearance),
                   painter.device()->devicePixelRatioF());
    painter.drawPixmap(trashRect(row).topLeft() + QPoint(IconButton::padding, IconButton::padding),
                       icon);
    painter.setOpacity(outer);
}

bool NoteRowDelegate::editorEvent(QEvent* event, QAbstractItemModel*,
                                  const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton || !option.rect.contains(mouse->position().toPoint()))
        return false;
    if (!isSelecting(index) && trashRect(option.rect).contains(mouse->position().toPoint()))
        Q_EMIT deleteClicked(index.row());
    else
        Q_EMIT tapped(index.row());
    return true;
}

bool NoteRowDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event->type() == QEvent::ToolTip && !isSelecting(index) &&
        trashRect(option.rect).contains(event->pos())) {
        QToolTip::showText(event->globalPos(), QStringLiteral("Delete this note"), view);
        return true;
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}
