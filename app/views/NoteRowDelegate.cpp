#include "NoteRowDelegate.h"

#include "app/notes/Hue.h"
#include "app/views/HueDot.h"
#include "app/views/IconButton.h"
#include "app/views/IconImage.h"
#include "app/views/NoteListModel.h"
#include "app/views/Theme.h"
#include "platform/Appearance.h"

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

void NoteRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const
{
    const QRect row = option.rect;
    const bool hovering = option.state.testFlag(QStyle::State_MouseOver);
    const bool selecting = isSelecting(index);
    const Hue hue = Hue(index.data(NoteListModel::HueRole).toInt());
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (index.data(NoteListModel::CurrentRole).toBool())
        painter->fillRect(row, Theme::hueBackground(int(hue)).resolved(m_appearance));
    else if (hovering)
        painter->fillRect(row, Theme::rowHighlight().resolved(m_appearance));

    const qreal middle = row.center().y() + 0.5;
    qreal x = row.left() + sidePadding;
    if (selecting) {
        paintMark(*painter, QRectF(x, middle - markSize / 2.0, markSize, markSize),
                  index.data(NoteListModel::SelectedRole).toBool());
        x += markSize + spacing;
    }
    HueDot::paint(*painter, QPointF(x, middle - HueDot::diameter / 2.0), hue);
    x += HueDot::diameter + spacing;

    qreal right = row.right() + 1 - sidePadding;
    if (!selecting) {
        const QRect trash = trashRect(row);
        const qreal opacity = hovering ? 1.0 : restingTrashOpacity;
        painter->setOpacity(opacity);
        const QPixmap icon = iconPixmap(QStringLiteral("trash-2"), trashIconSize,
                                        Theme::textSecondary().resolved(m_appearance),
                                        painter->device()->devicePixelRatioF());
        painter->drawPixmap(trash.topLeft() + QPoint(IconButton::padding, IconButton::padding),
                            icon);
        painter->setOpacity(1);
        right = trash.left() - spacing;
    }
    const QString age = index.data(NoteListModel::AgeRole).toString();
    const QFontMetricsF ageMetrics(m_ageFont);
    const qreal ageWidth = ageMetrics.horizontalAdvance(age);
    painter->setFont(m_ageFont);
    painter->setPen(Theme::textTertiary().resolved(m_appearance));
    painter->drawText(QRectF(right - ageWidth, row.top(), ageWidth, row.height()),
                      Qt::AlignVCenter | Qt::AlignRight | Qt::TextSingleLine, age);

    const qreal nameRight = right - ageWidth - spacing - minimumGap - spacing;
    const QFontMetricsF nameMetrics(m_nameFont);
    const QString name = nameMetrics.elidedText(index.data().toString(), Qt::ElideRight,
                                                std::max(0.0, nameRight - x));
    painter->setFont(m_nameFont);
    painter->setPen(Theme::textPrimary().resolved(m_appearance));
    painter->drawText(QRectF(x, row.top(), std::max(0.0, nameRight - x), row.height()),
                      Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, name);
    painter->restore();
}

void NoteRowDelegate::paintMark(QPainter& painter, const QRectF& mark, bool selected) const
{
    painter.setPen(QPen(Theme::whiteHueRing().resolved(m_appearance), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(mark.adjusted(0.5, 0.5, -0.5, -0.5));
    if (!selected)
        return;
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::textPrimary().resolved(m_appearance));
    painter.drawEllipse(mark);
    const QPixmap check = iconPixmap(QStringLiteral("check"), checkSize, Qt::white,
                                     painter.device()->devicePixelRatioF());
    const qreal inset = (markSize - checkSize) / 2.0;
    painter.drawPixmap(mark.topLeft() + QPointF(inset, inset), check);
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
