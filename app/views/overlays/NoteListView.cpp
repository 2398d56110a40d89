#include "NoteListView.h"

#include "app/notes/NoteStore.h"
#include "app/shell/PopoverController.h"
#include "app/views/overlays/NoteListModel.h"
#include "app/views/overlays/NoteRowsView.h"
#include "app/views/theme/OverlayScrollBar.h"
#include "app/views/theme/TextButton.h"
#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"
#include "platform/MainThread.h"

#include <QPainter>
#include <QScrollBar>

using namespace std::chrono_literals;

namespace {

const PopupCard::Style cardStyle{10, {12, {0, 6}}, {2, {0, 1}}};
// Select, Cancel and Delete switch the mode with it: the selection marks come and go.
const Animation modeSwitch = Animation::easeOut(150ms);

} // namespace

QSize NoteListView::cardSize(int noteCount, qreal panelWidth)
{
    return cardSizeAround(NoteRowsView::restingHeight(noteCount), panelWidth);
}

QSize NoteListView::cardSizeAround(int rowsHeight, qreal panelWidth)
{
    const int width = std::max(narrowest, qRound(panelWidth) - panelInset);
    return {width, rowsHeight + hairlineHeight + barHeight};
}

NoteListView::NoteListView(PopoverController& controller, NoteStore& store, Scheduler& scheduler,
                           const Appearance& appearance, QWidget* parent)
    // Checked before any of its parts is made.
    : PopupCard((QUILLORY_ASSERT_MAIN_THREAD(), cardStyle), appearance, parent)
    , m_controller(controller)
    , m_model(new NoteListModel(store, controller.clock(), this))
    , m_rows(new NoteRowsView(*m_model, appearance, this))
    , m_scrollIndicator(
          new OverlayScrollBar(*m_rows->verticalScrollBar(), scheduler, appearance, m_rows))
    , m_select(new TextButton(QStringLiteral("Select"), Theme::accent(), appearance, this))
    , m_cancel(new TextButton(QStringLiteral("Cancel"), Theme::textSecondary(), appearance, this))
    , m_delete(new TextButton(QString(), Theme::destructive(), appearance, this))
{
    setAccessibleName(QStringLiteral("Notes"));

    m_select->setToolTip(QStringLiteral("Choose several notes to delete"));
    m_cancel->setToolTip(QStringLiteral("Leave selection"));
    m_delete->setToolTip(QStringLiteral("Delete the selected notes"));

    connect(m_rows->rowDelegate(), &NoteRowDelegate::tapped, this, &NoteListView::tapRow);
    connect(m_rows->rowDelegate(), &NoteRowDelegate::deleteClicked, this, &NoteListView::deleteRow);
    connect(m_select, &QAbstractButton::clicked, this, &NoteListView::beginSelecting);
    connect(m_cancel, &QAbstractButton::clicked, this, &NoteListView::cancelSelecting);
    connect(m_delete, &QAbstractButton::clicked, this, &NoteListView::deleteSelected);
    connect(m_model, &NoteListModel::selectionChanged, this, &NoteListView::updateBar);
    connect(m_rows, &NoteRowsView::wantedHeightChanged, this, &NoteListView::updateSize);
    connect(&controller, &PopoverController::sizeChanged, this, &NoteListView::updateSize);
    updateBar();
    updateSize();
}

void NoteListView::placeCard(QPoint topLeft)
{
    m_cardTopLeft = topLeft;
    updateSize();
}

void NoteListView::updateSize()
{
    setCardGeometry(
        QRect(m_cardTopLeft, cardSizeAround(m_rows->wantedHeight(), m_controller.size().width())));
    // At once, not at the next show: a click may follow the opening key straight away.
    layoutChildren();
}

QRect NoteListView::rowsRect() const
{
    const QRect card = cardRect();
    return {card.left(), card.top(), card.width(), card.height() - hairlineHeight - barHeight};
}

void NoteListView::resizeEvent(QResizeEvent* event)
{
    PopupCard::resizeEvent(event);
    layoutChildren();
}

void NoteListView::layoutChildren()
{
    const QRect rows = rowsRect();
    m_rows->setGeometry(rows);
    m_scrollIndicator->place();
    // The rows stay inside the card's rounded border.
    QPainterPath inside;
    const QRectF card = QRectF(cardRect()).adjusted(1, 1, -1, -1);
    inside.addRoundedRect(card, cardStyle.cornerRadius - 1, cardStyle.cornerRadius - 1);
    m_rows->setMask(QRegion(inside.translated(-rows.topLeft()).toFillPolygon().toPolygon()));

    const QRect bar(rows.left() + barPadding, rows.bottom() + 1 + hairlineHeight,
                    rows.width() - 2 * barPadding, barHeight);
    auto place = [&bar](QWidget* button, bool trailing) {
        const QSize size = button->sizeHint();
        const int x = trailing ? bar.right() + 1 - size.width() : bar.left();
        button->setGeometry(QRect(QPoint(x, bar.top() + (bar.height() - size.height()) / 2), size));
    };
    place(m_select, true);
    place(m_cancel, false);
    place(m_delete, true);
}

void NoteListView::paintEvent(QPaintEvent* event)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    PopupCard::paintEvent(event);
    QPainter painter(this);
    const QRect rows = rowsRect();
    painter.fillRect(QRect(rows.left(), rows.bottom() + 1, rows.width(), hairlineHeight),
                     Theme::hairline().resolved(appearance()));
}

void NoteListView::scrollToCurrent()
{
    m_rows->doItemsLayout();
    const int row = m_model->currentRow();
    if (row >= 0)
        m_rows->scrollTo(m_model->index(row), QAbstractItemView::PositionAtCenter);
}

void NoteListView::updateBar()
{
    const NoteSelection& selection = m_model->selection();
    const bool selecting = selection.isSelecting();
    m_select->setVisible(!selecting);
    m_cancel->setVisible(selecting);
    m_delete->setVisible(selecting);
    m_delete->setText(QStringLiteral("Delete ") + QString::number(selection.selected().size()));
    m_delete->setEnabled(!selection.selected().isEmpty());
    layoutChildren();
}

void NoteListView::beginSelecting()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    m_model->beginSelecting();
    m_rows->marks().show(modeSwitch);
}

void NoteListView::cancelSelecting()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    const QSet<QUuid> ticks = m_model->selection().selected();
    m_model->endSelecting();
    m_rows->marks().hide(ticks, modeSwitch);
}

void NoteListView::tapRow(int row)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (m_model->selection().isSelecting()) {
        m_model->toggleSelected(row);
        return;
    }
    m_controller.goToNote(row);
    m_controller.closeList();
}

void NoteListView::deleteRow(int row)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (const QUuid id = m_model->idAt(row); !id.isNull())
        m_controller.deleteNotes({id});
}

void NoteListView::deleteSelected()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    const QSet<QUuid> ids = m_model->takeSelectionForDeletion();
    m_rows->marks().hide(ids, modeSwitch);
    m_controller.deleteNotes(ids);
}
