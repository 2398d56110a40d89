#include "app/views/PanelTestFixture.h"

#include "app/views/outline/PanelPlacement.h"
#include "app/views/panel/PopoverRootView.h"
#include "app/views/theme/DropShadow.h"
#include "app/views/theme/Theme.h"

#include <QImage>
#include <QPainter>

#include <memory>
#include <tuple>

namespace {

// Colour channels may differ this much after antialiasing and premultiplication.
constexpr int channelTolerance = 3;

class ForcedAppearance
{
public:
    explicit ForcedAppearance(const char* scheme) { qputenv("QUILLORY_APPEARANCE", scheme); }
    ~ForcedAppearance() { qunsetenv("QUILLORY_APPEARANCE"); }
    ForcedAppearance(const ForcedAppearance&) = delete;
    ForcedAppearance& operator=(const ForcedAppearance&) = delete;
};

bool isNear(const QColor& actual, const QColor& expected)
{
    return std::abs(actual.red() - expected.red()) <= channelTolerance &&
           std::abs(actual.green() - expected.green()) <= channelTolerance &&
           std::abs(actual.blue() - expected.blue()) <= channelTolerance &&
           std::abs(actual.alpha() - expected.alpha()) <= channelTolerance;
}

QColor over(const QColor& top, const QColor& bottom)
{
    const qreal alpha = top.alphaF();
    auto mix = [alpha](int above, int below) {
        return qRound(above * alpha + below * (1 - alpha));
    };
    return QColor(mix(top.red(), bottom.red()), mix(top.green(), bottom.green()),
                  mix(top.blue(), bottom.blue()));
}

std::string describe(const QColor& color)
{
    return color.name(QColor::HexArgb).toStdString();
}

// The open panel with an empty note, rendered as the window would show it on a compositing
// desktop: whatever the view leaves unpainted stays transparent.
class PanelPixelTest : public testing::WithParamInterface<const char*>,
                       private ForcedAppearance,
                       public PanelTestFixture
{
protected:
    static constexpr Hue hue = Hue::sky;

    PanelPixelTest()
        : ForcedAppearance(GetParam())
    {}

    QImage render()
    {
        m_store.setHue(hue);
        auto* page = new NoteView(m_controller, m_store, m_settings, m_scheduler, m_appearance);
        m_root = std::make_unique<PopoverRootView>(m_controller, m_store, m_appearance);
        m_root->setNotePage(page);
        m_root->resize(PanelGeometry::frameSize(m_controller.size()).toSize());
        QImage image(m_root->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        m_root->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }

    QColor fill() const { return Theme::hueBackground(int(hue)).resolved(m_appearance); }

    // The body's rectangle below the notch, in the window.
    QRect body() const
    {
        using namespace PanelGeometry;
        const QSize size = m_controller.size().toSize();
        return {int(sideMargin), int(topMargin + notchHeight), size.width(), size.height()};
    }

    std::unique_ptr<PopoverRootView> m_root;
};

TEST_P(PanelPixelTest, TheOutlineIsFilledBorderedAndShadowedWithClearMargins)
{
    ASSERT_EQ(m_appearance.isDark(), QByteArray(GetParam()) == "dark");
    const QImage image = render();
    const QRect body = this->body();

    // The hue fills the body, here below the header beside the left edge.
    const QPoint inside(body.left() + body.width() / 8, body.center().y());
    EXPECT_TRUE(isNear(image.pixelColor(inside), fill()))
        << describe(image.pixelColor(inside)) << " instead of " << describe(fill());

    // The far corners of the margin are beyond any shadow.
    for (const QPoint corner :
         {QPoint(1, 1), QPoint(image.width() - 2, 1), QPoint(1, image.height() - 2),
          QPoint(image.width() - 2, image.height() - 2)})
        EXPECT_EQ(image.pixelColor(corner).alpha(), 0) << corner.x() << ", " << corner.y();

    // The notch stands on the body, filled up to its tip.
    const int tipX = int(PanelGeometry::sideMargin + m_controller.notchCenterX());
    const int notchMiddle = int(PanelGeometry::topMargin + PanelGeometry::notchHeight / 2);
    EXPECT_TRUE(isNear(image.pixelColor(tipX, notchMiddle), fill()))
        << describe(image.pixelColor(tipX, notchMiddle));
    EXPECT_GT(image.pixelColor(tipX, int(PanelGeometry::topMargin) + 1).alpha(), 0);
    // Beside the tip, at the same height, is margin.
    EXPECT_LT(image.pixelColor(tipX - int(PanelGeometry::notchWidth), notchMiddle).alpha(), 255);

    // The border runs along the straight left edge, over the fill.
    const QColor border = Theme::border().resolved(m_appearance);
    const QColor edge = image.pixelColor(body.left(), body.center().y());
    EXPECT_TRUE(isNear(edge, over(border, fill())))
        << describe(edge) << " instead of " << describe(over(border, fill()));
    EXPECT_FALSE(isNear(edge, fill()));

    // Below the body the shadow shows through, partly opaque.
    const QColor shadow = image.pixelColor(body.center().x(), body.bottom() + 8);
    EXPECT_GT(shadow.alpha(), 0);
    EXPECT_LT(shadow.alpha(), 255);
}

TEST_P(PanelPixelTest, AfterADragThePanelIsTheOneOpenedAtItsSizeWithTheShadowsBlurredWhole)
{
    m_store.setHue(hue);
    m_store.setText(m_store.currentNote().id,
                    QStringLiteral("Call Anna about the weekend trip, bring the map and ask "
                                   "whether the car is free.\n")
                        .repeated(300));
    // As the panel opens: at the controller's size, the caret after the last character.
    auto open = [this] {
        auto root = std::make_unique<PopoverRootView>(m_controller, m_store, m_appearance);
        auto* page = new NoteView(m_controller, m_store, m_settings, m_scheduler, m_appearance);
        root->setNotePage(page);
        root->resize(PanelGeometry::frameSize(m_controller.size()).toSize());
        root->show();
        QCoreApplication::processEvents();
        page->pager()->editor()->focusAtEnd();
        return root;
    };
    auto picture = [](QWidget& root, QWidget::RenderFlags flags) {
        QImage image(root.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        root.render(&image, QPoint(), QRegion(), flags);
        return image;
    };

    std::unique_ptr<PopoverRootView> dragged = open();
    const QPointF press(600, 300);
    m_controller.beginResize(press);
    // Wider and narrower, lower and higher.
    for (const QPointF move : {QPointF(3, 5), QPointF(40, 31), QPointF(17, -9), QPointF(29, 24)}) {
        m_controller.resizeDrag(PopoverController::Corner::bottomRight, press + move);
        dragged->resize(PanelGeometry::frameSize(m_controller.size()).toSize());
        QCoreApplication::processEvents();
    }
    m_controller.endResize();
    ASSERT_EQ(m_controller.size(), QSizeF(338, 241));
    m_scheduler.advance(std::chrono::milliseconds(0));
    const QImage afterDrag = picture(*dragged, QWidget::DrawChildren);

    // The outline and its shadows as blurred over the whole panel.
    QImage whole(dragged->size(), QImage::Format_ARGB32_Premultiplied);
    whole.fill(Qt::transparent);
    QPainter painter(&whole);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath outline = m_controller.outline();
    for (const auto& [color, radius, offset] : {std::tuple(Theme::shadowSoft(), 16, QPointF(0, 12)),
                                                std::tuple(Theme::shadowTight(), 3, QPointF(0, 2))})
        painter.drawImage(
            0, 0,
            renderDropShadow(outline, whole.size(), color.resolved(m_appearance), radius, offset));
    painter.fillPath(outline, fill());
    EXPECT_TRUE(picture(*dragged, {}) == whole);

    dragged.reset();
    EXPECT_TRUE(afterDrag == picture(*open(), QWidget::DrawChildren));
}

INSTANTIATE_TEST_SUITE_P(Appearances, PanelPixelTest, testing::Values("light", "dark"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

} // namespace
