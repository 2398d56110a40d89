#include "NoteView.h"

#include "app/notes/NoteStore.h"
#include "app/shell/PopoverController.h"
#include "app/views/overlays/ColorPickerView.h"
#include "app/views/overlays/NoteListView.h"
#include "app/views/page/FooterView.h"
#include "app/views/page/HeaderView.h"
#include "app/views/page/NotePager.h"
#include "app/views/page/NoticeBanner.h"
#include "app/views/page/PageSnapshot.h"
#include "app/views/page/PopupPresenter.h"
#include "app/views/page/UndoToast.h"
#include "platform/MainThread.h"

#include <QAbstractButton>
#include <QGraphicsOpacityEffect>
#include <QMouseEvent>
#include <QVBoxLayout>

// Clear, covering the whole page; any press on it closes the open list or picker.
class NoteView::TapCatcher : public QWidget
{
public:
    explicit TapCatcher(NoteView& page)
        : QWidget(&page)
        , m_page(page)
    {}

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        event->accept();
        m_page.dismissOverlays(mapTo(&m_page, event->position()),
                               std::chrono::milliseconds(event->timestamp()));
    }
    // Qt reports the second click of a quick pair as a double click alone.
    void mouseDoubleClickEvent(QMouseEvent* event) override { mousePressEvent(event); }

private:
    NoteView& m_page;
};

NoteView::NoteView(PopoverController& controller, NoteStore& store, AppSettings& settings,
                   Scheduler& scheduler, const Appearance& appearance, QWidget* parent)
    // Checked before any of its parts is made.
    : QWidget((QUILLORY_ASSERT_MAIN_THREAD(), parent))
    , m_controller(controller)
    , m_store(store)
    , m_appearance(appearance)
    , m_header(new HeaderView(controller, store, appearance, *this))
    , m_banner(new NoticeBanner(store, appearance, this))
    , m_pager(new NotePager(controller, store, settings, scheduler, appearance, this))
    , m_footer(new FooterView(controller, store, scheduler, appearance, this))
    , m_catcher(new TapCatcher(*this))
    , m_list(new PopupPresenter(
          [this, &scheduler] {
              auto* list = new NoteListView(m_controller, m_store, scheduler, m_appearance, this);
              list->placeCard(listPosition);
              list->scrollToCurrent();
              return list;
          },
          this))
    , m_picker(new PopupPresenter(
          [this] {
              auto* picker = new ColorPickerView(m_controller, m_store, m_appearance, this);
              picker->setCardGeometry(QRect(pickerPosition, ColorPickerView::pillSize()));
              return picker;
          },
          this))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, headerTop, 0, 0);
    column->setSpacing(0);
    auto* headerRow = new QHBoxLayout;
    headerRow->setContentsMargins(sidePadding, 0, sidePadding, 0);
    headerRow->addWidget(m_header);
    column->addLayout(headerRow);
    // Margins of its own, so that they go when it hides.
    m_banner->setContentsMargins(sidePadding, bannerTop, sidePadding, 0);
    column->addWidget(m_banner);
    column->addWidget(m_pager, 1);
    auto* footerRow = new QHBoxLayout;
    footerRow->setContentsMargins(sidePadding, 0, sidePadding, 0);
    footerRow->addWidget(m_footer);
    column->addLayout(footerRow);
    // The header lies above the rest of the column: its dot's tap area reaches over the text.
    for (QWidget* below : std::initializer_list<QWidget*>{m_banner, m_pager, m_footer})
        below->stackUnder(m_header);

    m_catcher->hide();
    m_toastMotion.setStartValue(0.0);
    m_toastMotion.setEndValue(1.0);
    connect(&m_toastMotion, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& progress) { placeToast(progress.toReal()); });
    connect(&m_toastMotion, &QAbstractAnimation::finished, this, [this] {
        if (m_toastLeaving) {
            m_toastLeaving = false;
            delete m_toast;
        } else if (m_toast) {
            m_toast->setGraphicsEffect(nullptr);
        }
    });

    connect(&controller, &PopoverController::listOpenChanged, this, [this] {
        updateCatcher();
        m_list->setOpen(m_controller.listOpen(), m_controller.animation());
        if (m_toast)
            m_toast->raise();
    });
    connect(&controller, &PopoverController::pickerOpenChanged, this, [this] {
        updateCatcher();
        m_picker->setOpen(m_controller.pickerOpen(), m_controller.animation());
        if (m_toast)
            m_toast->raise();
    });
    connect(&controller, &PopoverController::toastVisibleChanged, this, &NoteView::updateToast);
    connect(&store, &NoteStore::pendingUndoChanged, this, &NoteView::updateToast);
    updateCatcher();
    updateToast();
}

NoteListView* NoteView::noteList() const
{
    return static_cast<NoteListView*>(m_list->card());
}

ColorPickerView* NoteView::colorPicker() const
{
    return static_cast<ColorPickerView*>(m_picker->card());
}

void NoteView::dismissOverlays(QPointF position, std::chrono::milliseconds time)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    // The second tap of a double tap on the name lands here, as the first one opened the
    // list: it is the name's to judge, so that it starts renaming.
    const QWidget* name = m_header->nameButton();
    if (m_controller.listOpen() && QRectF(name->rect()).contains(name->mapFrom(this, position))) {
        m_controller.nameTapped(time);
        return;
    }
    if (m_controller.listOpen())
        m_controller.closeList();
    else
        m_controller.closePicker();
}

void NoteView::mousePressEvent(QMouseEvent* event)
{
    if (m_controller.listOpen() || m_controller.pickerOpen())
        dismissOverlays(event->position(), std::chrono::milliseconds(event->timestamp()));
    else
        QWidget::mousePressEvent(event);
}

UndoToast* NoteView::toast() const
{
    return m_toastLeaving ? nullptr : m_toast.data();
}

void NoteView::updateCatcher()
{
    const bool open = m_controller.listOpen() || m_controller.pickerOpen();
    m_catcher->setVisible(open);
    if (open)
        m_catcher->raise();
    if (m_toast)
        m_toast->raise();
}

void NoteView::updateToast()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    const bool wanted = m_controller.toastVisible() && m_store.pendingUndo().has_value();
    const Animation animation = m_controller.animation();
    if (wanted == (toast() != nullptr))
        return;

    m_toastMotion.stop();
    if (wanted) {
        // A toast still leaving gives way to the new one.
        delete m_toast;
        m_toastLeaving = false;
        m_toast = new UndoToast(m_controller, m_store, m_appearance, this);
        m_toast->show();
        m_toast->raise();
    } else {
        m_toastLeaving = true;
        // On its way out it takes no clicks.
        m_toast->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    if (animation.isNone()) {
        placeToast(1);
        if (m_toastLeaving) {
            m_toastLeaving = false;
            delete m_toast;
        }
        return;
    }
    m_toastFade = new QGraphicsOpacityEffect(m_toast);
    m_toast->setGraphicsEffect(m_toastFade);
    m_toastMotion.setEasingCurve(animation.curve);
    m_toastMotion.setDuration(int(animation.duration.count()));
    placeToast(0);
    m_toastMotion.start();
}

void NoteView::placeToast(qreal progress)
{
    if (!m_toast)
        return;
    // Entering it rises 8 points and fades in; leaving, the reverse.
    const qreal shown = m_toastLeaving ? 1 - progress : progress;
    const QSize size = m_toast->sizeHint();
    const qreal drop = toastDrop * (1 - shown);
    m_toast->setGeometry(QRect(
        QPoint((width() - size.width()) / 2, qRound(height() - toastBottom - size.height() + drop)),
        size));
    if (m_toastFade)
        m_toastFade->setOpacity(shown);
}

void NoteView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_catcher->setGeometry(rect());
    const bool moving = m_toastMotion.state() == QAbstractAnimation::Running;
    placeToast(moving ? m_toastMotion.currentValue().toReal() : 1);
}
