#include "NoteRowsView.h"

#include "app/views/overlays/NoteListModel.h"
#include "platform/Appearance.h"
#include "platform/MainThread.h"

#include <QPainter>
#include <QSinglePointEvent>

#include <algorithm>

using namespace std::chrono_literals;

namespace {

const Animation rowGlide = Animation::easeOut(200ms);
constexpr int rowHeight = NoteRowDelegate::rowHeight;

} // namespace

int NoteRowsView::restingHeight(int rowCount)
{
    return std::min(rowCount, visibleRows) * rowHeight;
}

NoteRowsView::NoteRowsView(NoteListModel& model, const Appearance& appearance, QWidget* parent)
    // Checked before any of its parts is made.
    : QListView((QUILLORY_ASSERT_MAIN_THREAD(), parent))
    , m_model(model)
    , m_appearance(appearance)
    , m_delegate(new NoteRowDelegate(appearance, this))
{
    setModel(&model);
    setItemDelegate(m_delegate);
    // Every row is as high as the next, so thousands of notes are laid out at once.
    setUniformItemSizes(true);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The panel's own thin scroll bar stands in for this one.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_Hover);
    viewport()->setAutoFillBackground(false);

    connect(&model, &NoteListModel::rowOrderAboutToChange, this,
            &NoteRowsView::rememberRowsBeforeChange);
    connect(&model, &NoteListModel::rowOrderChanged, this, &NoteRowsView::moveRowsToNewPlaces);
    connect(&m_motion, &RowMotion::moved, this, [this] {
        viewport()->update();
        Q_EMIT wantedHeightChanged();
    });
    connect(&m_marks, &SelectionMarks::changed, viewport(), qOverload<>(&QWidget::update));
    markCurrentRowSelected();
}

qreal NoteRowsView::heightNow() const
{
    return m_motion.height(restingHeight(m_model.rowCount()));
}

int NoteRowsView::wantedHeight() const
{
    return qRound(heightNow());
}

qreal NoteRowsView::restingTop(int row) const
{
    return qreal(row) * rowHeight - verticalOffset();
}

std::pair<int, int> NoteRowsView::restingRange() const
{
    const int offset = verticalOffset();
    const int first = std::max(0, offset / rowHeight);
    const int last =
        std::min(m_model.rowCount() - 1, (offset + viewport()->height() - 1) / rowHeight);
    return {first, last};
}

std::vector<NoteRowsView::DrawnRow> NoteRowsView::drawnRows() const
{
    std::vector<DrawnRow> rows;
    for (const RowMotion::Leaving& gone : m_motion.leaving())
        rows.push_back({gone.id, -1, gone.placement, gone.picture});
    const int viewHeight = viewport()->height();
    auto add = [&](int row) {
        const QUuid id = m_model.idAt(row);
        const RowMotion::Placement placement = m_motion.placement(id, restingTop(row));
        if (placement.top + rowHeight > 0 && placement.top < viewHeight)
            rows.push_back({id, row, placement, {}});
    };
    const auto [first, last] = restingRange();
    for (int row = first; row <= last; ++row)
        add(row);
    // Rows gliding in from outside the view, or out of it.
    for (const QUuid& id : m_motion.moving()) {
        const int row = m_model.rowOf(id);
        if (row >= 0 && (row < first || row > last))
            add(row);
    }
    return rows;
}

void NoteRowsView::rememberRowsBeforeChange()
{
    m_before.reset();
    if (m_appearance.reduceMotion())
        return;
    Before before{m_model.ids(), verticalOffset(), heightNow(), drawnRows()};
    for (DrawnRow& row : before.rows) {
        if (row.row >= 0)
            row.picture = picture(row);
    }
    m_before = std::move(before);
}

void NoteRowsView::moveRowsToNewPlaces()
{
    if (!m_before) {
        m_motion.stop();
        return;
    }
    const Before before = *std::exchange(m_before, std::nullopt);
    QHash<QUuid, RowMotion::Placement> from;
    std::vector<RowMotion::Leaving> leaving;
    for (const DrawnRow& row : before.rows) {
        if (m_model.rowOf(row.id) >= 0)
            from.insert(row.id, row.placement);
        else
            leaving.push_back({row.id, row.picture, row.placement});
    }
    // The scroll range follows the new rows before their places are worked out.
    executeDelayedItemsLayout();
    const auto [first, last] = restingRange();
    for (int row = first; row <= last; ++row) {
        const QUuid id = m_model.idAt(row);
        if (from.contains(id))
            continue;
        const auto old = std::find(before.ids.begin(), before.ids.end(), id);
        if (old == before.ids.end())
            from.insert(id, {restingTop(row), 0}); // arriving: it fades in at its place
        else
            from.insert(id, {qreal(old - before.ids.begin()) * rowHeight - before.offset, 1});
    }
    m_motion.start(std::move(from), std::move(leaving), before.height, rowGlide);
}

NoteRowDelegate::RowState NoteRowsView::stateOf(int row, const QRect& drawnAt) const
{
    const QUuid id = m_model.idAt(row);
    const NoteSelection& selection = m_model.selection();
    const bool hovered = m_pointer && drawnAt.contains(m_pointer->toPoint());
    const bool trashHovered = hovered && !selection.isSelecting() &&
                              NoteRowDelegate::trashRect(drawnAt).contains(m_pointer->toPoint());
    return {hovered, trashHovered, m_marks.shown(),
            selection.isSelected(id) || m_marks.keepsTick(id)};
}

QRect NoteRowsView::drawnRect(const DrawnRow& row) const
{
    return {0, qRound(row.placement.top), viewport()->width(), rowHeight};
}

void NoteRowsView::paintRow(QPainter& painter, const DrawnRow& row) const
{
    const QRect rect = drawnRect(row);
    painter.setOpacity(row.placement.opacity);
    if (row.row < 0)
        painter.drawPixmap(rect.topLeft(), row.picture);
    else
        m_delegate->paintRow(painter, rect, m_model.index(row.row), stateOf(row.row, rect));
}

QPixmap NoteRowsView::picture(const DrawnRow& row) const
{
    const qreal ratio = viewport()->devicePixelRatioF();
    QPixmap picture(QSize(viewport()->width(), rowHeight) * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    const QRect rect(0, 0, viewport()->width(), rowHeight);
    m_delegate->paintRow(painter, rect, m_model.index(row.row), stateOf(row.row, drawnRect(row)));
    return picture;
}

void NoteRowsView::paintEvent(QPaintEvent*)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    QPainter painter(viewport());
    for (const DrawnRow& row : drawnRows())
        paintRow(painter, row);
}

bool NoteRowsView::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
    case QEvent::MouseMove:
        setPointer(static_cast<QSinglePointEvent*>(event)->position());
        break;
    case QEvent::HoverLeave:
    case QEvent::Leave:
        setPointer(std::nullopt);
        break;
    default:
        break;
    }
    return QListView::viewportEvent(event);
}

void NoteRowsView::setPointer(std::optional<QPointF> pointer)
{
    // What the pointer is over: a row, and whether its delete icon.
    auto target = [this](const std::optional<QPointF>& at) {
        const QModelIndex index = at ? indexAt(at->toPoint()) : QModelIndex();
        const bool onTrash = index.isValid() &&
                             NoteRowDelegate::trashRect(visualRect(index)).contains(at->toPoint());
        return std::pair(index.row(), onTrash);
    };
    const bool changed = target(m_pointer) != target(pointer);
    m_pointer = pointer;
    if (changed)
        viewport()->update();
}

void NoteRowsView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                               const QList<int>& roles)
{
    QListView::dataChanged(topLeft, bottomRight, roles);
    markCurrentRowSelected();
}

void NoteRowsView::markCurrentRowSelected()
{
    // The rows draw the current note themselves; the view's selection tells assistive
    // technology which item that is.
    const QModelIndex current = m_model.index(m_model.currentRow());
    if (selectionModel()->selectedIndexes() != QModelIndexList{current})
        selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
}
