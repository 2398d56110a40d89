#include "PopoverRootView.h"

#include "app/notes/NoteStore.h"
#include "app/shell/PopoverController.h"
#include "app/views/outline/PanelPlacement.h"
#include "app/views/page/PageSnapshot.h"
#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"
#include "platform/MainThread.h"

#include <QGraphicsOpacityEffect>
#include <QPainter>

using namespace std::chrono_literals;

namespace {

const Animation hueFade = Animation::easeInOut(350ms);

struct ShadowStyle
{
    qreal radius;
    QPointF offset;
};
constexpr ShadowStyle softShadow{16, {0, 12}};
constexpr ShadowStyle tightShadow{3, {0, 2}};
constexpr qreal borderWidth = 1;

} // namespace

// The 1-point border, drawn above the pages; it lets every click through.
class PopoverRootView::Border : public QWidget
{
public:
    explicit Border(PopoverRootView& root)
        : QWidget(&root)
        , m_root(root)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPen pen(Theme::border().resolved(m_root.m_appearance), borderWidth, Qt::SolidLine,
                 Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10);
        painter.setPen(pen);
        painter.drawPath(m_root.outline(borderWidth / 2));
    }

private:
    PopoverRootView& m_root;
};

PopoverRootView::PopoverRootView(PopoverController& controller, NoteStore& store,
                                 const Appearance& appearance, QWidget* parent)
    // Checked before any of its parts is made.
    : QWidget((QUILLORY_ASSERT_MAIN_THREAD(), parent))
    , m_controller(controller)
    , m_store(store)
    , m_appearance(appearance)
    , m_body(new QWidget(this))
    , m_border(new Border(*this))
    , m_handles(controller, this)
    , m_hue(store.currentNote().hue)
{
    setAttribute(Qt::WA_TranslucentBackground);
    m_fillTo = targetFill();
    for (QVariantAnimation* fade : {&m_fillFade, &m_pageFade}) {
        fade->setStartValue(0.0);
        fade->setEndValue(1.0);
    }
    connect(&m_fillFade, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    connect(&m_pageFade, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& progress) { showPageFade(progress.toReal()); });
    connect(&m_pageFade, &QAbstractAnimation::finished, this, &PopoverRootView::endPageFade);

    connect(&store, &NoteStore::notesChanged, this, &PopoverRootView::updateHue);
    connect(&store, &NoteStore::currentIndexChanged, this, &PopoverRootView::updateHue);
    connect(&controller, &PopoverController::modeChanged, this, &PopoverRootView::switchPage);
    for (const auto changed :
         {&PopoverController::sizeChanged, &PopoverController::notchCenterXChanged,
          &PopoverController::notchEdgeChanged, &PopoverController::outlineMoved})
        connect(&controller, changed, this, &PopoverRootView::layoutContent);
    connect(&appearance, &Appearance::changed, this, [this] {
        m_fillFade.stop();
        m_fillTo = targetFill();
        update();
        m_border->update();
    });
    layoutContent();
}

void PopoverRootView::setNotePage(QWidget* page)
{
    m_notePage = page;
    page->setParent(m_body);
    showPageForMode();
    layoutContent();
}

void PopoverRootView::setSettingsPage(QWidget* page)
{
    m_settingsPage = page;
    page->setParent(m_body);
    showPageForMode();
    layoutContent();
}

void PopoverRootView::showPageForMode()
{
    const bool settings = m_controller.mode() == PopoverController::Mode::settings;
    if (m_notePage)
        m_notePage->setVisible(!settings);
    if (m_settingsPage)
        m_settingsPage->setVisible(settings);
}

void PopoverRootView::switchPage()
{
    const bool settings = m_controller.mode() == PopoverController::Mode::settings;
    QWidget* leaving = settings ? m_notePage : m_settingsPage;
    endPageFade();
    const Animation animation = m_controller.animation();
    // The page that leaves fades out as a picture: it takes no more clicks or keys.
    if (!animation.isNone() && leaving && !leaving->isHidden()) {
        m_leavingPage = new PageSnapshot(*leaving, m_body);
        m_leavingPage->setGeometry(leaving->geometry());
        m_leavingPage->show();
    }
    showPageForMode();
    fadeFill(animation);
    layoutContent();
    if (!m_leavingPage)
        return;
    QWidget* coming = settings ? m_settingsPage : m_notePage;
    if (coming)
        coming->setGraphicsEffect(m_comingFade = new QGraphicsOpacityEffect(coming));
    m_leavingPage->raise();
    m_pageFade.setEasingCurve(animation.curve);
    m_pageFade.setDuration(int(animation.duration.count()));
    m_pageFade.start();
    // The first frame at once: Qt tells of a frame only when its value differs from the last.
    showPageFade(0);
}

void PopoverRootView::showPageFade(qreal progress)
{
    if (m_leavingPage)
        m_leavingPage->setEffect(
            PageEffect::interpolated(PageEffect::identity(), PageEffect::faded(), progress));
    if (m_comingFade)
        m_comingFade->setOpacity(progress);
}

void PopoverRootView::endPageFade()
{
    m_pageFade.stop();
    delete m_leavingPage;
    for (QWidget* page : {m_notePage.data(), m_settingsPage.data()}) {
        if (page && page->graphicsEffect() == m_comingFade)
            page->setGraphicsEffect(nullptr);
    }
}

QPainterPath PopoverRootView::outline(qreal inset) const
{
    return m_controller.outline(inset);
}

QColor PopoverRootView::targetFill() const
{
    if (m_controller.mode() == PopoverController::Mode::settings)
        return Theme::settingsBackground().resolved(m_appearance);
    return Theme::hueBackground(int(m_hue)).resolved(m_appearance);
}

QColor PopoverRootView::fillColor() const
{
    if (m_fillFade.state() != QAbstractAnimation::Running)
        return m_fillTo;
    const qreal progress = m_fillFade.currentValue().toReal();
    auto mix = [progress](float from, float to) { return from + (to - from) * float(progress); };
    return QColor::fromRgbF(mix(m_fillFrom.redF(), m_fillTo.redF()),
                            mix(m_fillFrom.greenF(), m_fillTo.greenF()),
                            mix(m_fillFrom.blueF(), m_fillTo.blueF()));
}

void PopoverRootView::fadeFill(const Animation& animation)
{
    m_fillFrom = fillColor();
    m_fillTo = targetFill();
    m_fillFade.stop();
    if (!animation.isNone()) {
        m_fillFade.setEasingCurve(animation.curve);
        m_fillFade.setDuration(int(animation.duration.count()));
        m_fillFade.start();
    }
    update();
}

void PopoverRootView::updateHue()
{
    const Hue hue = m_store.currentNote().hue;
    if (hue == m_hue)
        return;
    m_hue = hue;
    fadeFill(hueFade);
}

void PopoverRootView::layoutContent()
{
    const QRect body =
        PanelGeometry::bodyRect(m_controller.shownSize(), m_controller.notchEdge()).toRect();
    m_body->setGeometry(body);
    // The pages are clipped to the rounded body.
    const QPainterPath clip = outline().translated(-body.topLeft());
    m_body->setMask(QRegion(clip.toFillPolygon().toPolygon()));
    for (QWidget* page : {m_notePage.data(), m_settingsPage.data()}) {
        if (page)
            page->setGeometry(m_body->rect());
    }
    m_border->setGeometry(rect());
    m_border->raise();
    m_handles.place(m_notePage);
    update();
}

void PopoverRootView::showEvent(QShowEvent*)
{
    // The page's buttons have their places only once it is shown.
    m_handles.place(m_notePage);
}

void PopoverRootView::resizeEvent(QResizeEvent*)
{
    layoutContent();
}

void PopoverRootView::paintEvent(QPaintEvent*)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = outline();
    // The outline runs straight down its sides and along its edges between the corners, but
    // for the notch.
    using namespace PanelGeometry;
    const QRectF body = bodyRect(m_controller.shownSize(), m_controller.notchEdge());
    const qreal notch = body.left() + m_controller.shownNotchCenterX();
    m_shadow.paint(
        painter, shape, size(),
        {{Theme::shadowSoft().resolved(m_appearance), softShadow.radius, softShadow.offset},
         {Theme::shadowTight().resolved(m_appearance), tightShadow.radius, tightShadow.offset}},
        {{body.left() + cornerRadius, notch - notchWidth / 2},
         {notch + notchWidth / 2, body.right() - cornerRadius}},
        {{body.top() + cornerRadius, body.bottom() - cornerRadius}});
    painter.fillPath(shape, fillColor());
}
