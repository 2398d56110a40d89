#include "app/views/PanelTestFixture.h"

#include "app/views/overlays/NoteListModel.h"
#include "app/views/overlays/NoteListView.h"
#include "app/views/overlays/NoteRowsView.h"
#include "app/views/theme/IconButton.h"
#include "app/views/theme/TextButton.h"
#include "app/views/theme/Theme.h"
#include "support/Contrast.h"

#include <QAccessible>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>

#include <memory>

namespace {

constexpr int rowHeight = NoteRowDelegate::rowHeight;
// Drawn tops are rounded to whole pixels.
constexpr qreal topTolerance = 0.5;
// Colour channels and opacities after antialiasing and premultiplication.
constexpr int channelTolerance = 6;

qreal between(qreal from, qreal to, qreal progress)
{
    return from + (to - from) * progress;
}

// The note list card on its own, over notes named A, B, C..., the first one current.
class NoteListRowsTest : public PanelTestFixture
{
public:
    void useNamedNotes(int count)
    {
        QStringList texts;
        for (int i = 0; i < count; ++i)
            texts << QString(QChar(u'a' + i));
        useNotes(texts);
        for (int i = 0; i < count; ++i)
            m_store.rename(m_store.notes()[std::size_t(i)].id, QString(QChar(u'A' + i)));
    }
    void makeList()
    {
        m_list = std::make_unique<NoteListView>(m_controller, m_store, m_scheduler, m_appearance);
        m_list->placeCard({});
        m_list->show();
    }

    NoteRowsView& rows() const { return *m_list->rows(); }
    const NoteListModel& model() const { return m_list->model(); }
    QUuid idOf(char name) const
    {
        for (const Note& note : m_store.notes()) {
            if (note.name == QLatin1Char(name))
                return note.id;
        }
        return {};
    }
    QRect rowRect(char name) const
    {
        return rows().visualRect(model().index(model().rowOf(idOf(name))));
    }
    void clickRows(QPoint point)
    {
        QTest::mouseClick(rows().viewport(), Qt::LeftButton, {}, point);
    }
    void tickEach(const char* names)
    {
        for (const char* name = names; *name; ++name)
            clickRows(rowRect(*name).center());
    }
    void deleteWithIcon(char name)
    {
        clickRows(NoteRowDelegate::trashRect(rowRect(name)).center());
    }
    void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void pointAt(QPoint point)
    {
        QMouseEvent move(QEvent::MouseMove, point, rows().viewport()->mapToGlobal(point),
                         Qt::NoButton, Qt::NoButton, {});
        QCoreApplication::sendEvent(rows().viewport(), &move);
    }

    // Pauses `animation` at `fraction` of its length; returns the eased progress.
    static qreal pauseAt(QVariantAnimation& animation, qreal fraction)
    {
        animation.pause();
        animation.setCurrentTime(qRound(animation.duration() * fraction));
        return animation.easingCurve().valueForProgress(fraction);
    }

    // Where every row rests now, by note: its place less the distance scrolled.
    QHash<QUuid, qreal> restingTops() const
    {
        QHash<QUuid, qreal> tops;
        for (int row = 0; row < model().rowCount(); ++row)
            tops.insert(model().idAt(row), row * rowHeight - rows().verticalScrollBar()->value());
        return tops;
    }
    void expectAtRest() const
    {
        const QHash<QUuid, qreal> tops = restingTops();
        const std::vector<NoteRowsView::DrawnRow> drawn = rows().drawnRows();
        EXPECT_EQ(int(drawn.size()), std::min(model().rowCount(), NoteRowsView::visibleRows));
        for (const NoteRowsView::DrawnRow& row : drawn) {
            EXPECT_GE(row.row, 0);
            EXPECT_EQ(row.placement.top, tops.value(row.id));
            EXPECT_EQ(row.placement.opacity, 1);
        }
        EXPECT_EQ(rows().wantedHeight(), NoteRowsView::restingHeight(model().rowCount()));
    }

    std::unique_ptr<NoteListView> m_list;
};

// How the notes named go: each by its delete icon, all ticked and then deleted together, or
// deleted before the card is made and then brought back by an undo.
enum class Road { icon, ticks, undo };

struct GlideCase
{
    const char* name;
    int notes;
    Road road;
    const char* names;
    int arriving;
};

void PrintTo(const GlideCase& glide, std::ostream* out)
{
    *out << glide.name;
}

const GlideCase glideCases[] = {
    {"RowDeletedWithItsIcon", 4, Road::icon, "C", 0},
    {"CurrentNoteDeleted", 4, Road::icon, "A", 0},
    {"RowFromBelowTheViewGlidesIn", 7, Road::icon, "B", 0},
    {"UndoWithTheCardOpen", 4, Road::undo, "B", 1},
    {"BulkDelete", 4, Road::ticks, "BD", 0},
    {"BulkDeleteOfEveryNote", 3, Road::ticks, "ABC", 1},
};

class RowGlideTest : public NoteListRowsTest,
                     public testing::WithParamInterface<std::tuple<GlideCase, bool>>
{};

TEST_P(RowGlideTest, RowsGlideByIdForAFifthOfASecondUnlessMotionIsReduced)
{
    const auto& [glide, reduced] = GetParam();
    useNamedNotes(glide.notes);
    if (glide.road == Road::undo)
        m_controller.deleteNotes({idOf(*glide.names)});
    if (reduced) {
        m_appearance.portalSettingChanged(QStringLiteral("org.gnome.desktop.interface"),
                                          QStringLiteral("enable-animations"), false);
        ASSERT_TRUE(m_appearance.reduceMotion());
    }
    makeList();
    QHash<QUuid, QString> names;
    for (const Note& note : m_store.notes())
        names.insert(note.id, note.name);
    const QHash<QUuid, qreal> before = restingTops();
    const int heightBefore = rows().wantedHeight();

    if (glide.road == Road::undo)
        press(Qt::Key_Z, Qt::ControlModifier);
    else if (glide.road == Road::icon)
        deleteWithIcon(*glide.names);
    else {
        click(m_list->selectButton());
        tickEach(glide.names);
        click(m_list->deleteButton());
    }
    const QHash<QUuid, qreal> after = restingTops();
    const int heightAfter = NoteRowsView::restingHeight(model().rowCount());
    QVariantAnimation& motion = rows().motion().animation();
    if (reduced) {
        EXPECT_NE(motion.state(), QAbstractAnimation::Running);
        expectAtRest();
        return;
    }
    ASSERT_EQ(motion.state(), QAbstractAnimation::Running);
    EXPECT_EQ(motion.duration(), 200);
    EXPECT_EQ(motion.easingCurve().type(), QEasingCurve::OutQuad);
    for (const qreal fraction : {0.0, 0.5}) {
        SCOPED_TRACE(fraction);
        const qreal progress = pauseAt(motion, fraction);
        QString leaving;
        int arriving = 0;
        for (const NoteRowsView::DrawnRow& row : rows().drawnRows()) {
            const RowMotion::Placement& placed = row.placement;
            if (row.row < 0) {
                leaving += names.value(row.id);
                EXPECT_NEAR(placed.top, before.value(row.id), topTolerance);
                EXPECT_DOUBLE_EQ(placed.opacity, 1 - progress);
            } else if (!before.contains(row.id)) {
                ++arriving;
                EXPECT_NEAR(placed.top, after.value(row.id), topTolerance);
                EXPECT_DOUBLE_EQ(placed.opacity, progress);
            } else {
                EXPECT_NEAR(placed.top,
                            between(before.value(row.id), after.value(row.id), progress),
                            topTolerance)
                    << names.value(row.id).toStdString();
                EXPECT_DOUBLE_EQ(placed.opacity, 1);
            }
        }
        std::sort(leaving.begin(), leaving.end());
        EXPECT_EQ(leaving, QLatin1String(glide.road == Road::undo ? "" : glide.names));
        EXPECT_EQ(arriving, glide.arriving);
        EXPECT_EQ(rows().wantedHeight(), qRound(between(heightBefore, heightAfter, progress)));
        EXPECT_EQ(m_list->cardRect().height(),
                  rows().wantedHeight() + NoteListView::hairlineHeight + NoteListView::barHeight);
    }
    pauseAt(motion, 1);
    expectAtRest();
}

INSTANTIATE_TEST_SUITE_P(Changes, RowGlideTest,
                         testing::Combine(testing::ValuesIn(glideCases), testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "_ReducedMotion" : "");
                         });

TEST_F(NoteListRowsTest, AChangeWhileRowsGlideStartsFromWhereTheyAreDrawn)
{
    useNamedNotes(4);
    makeList();
    deleteWithIcon('B');
    QVariantAnimation& motion = rows().motion().animation();
    pauseAt(motion, 0.5);
    QHash<QUuid, RowMotion::Placement> drawn;
    for (const NoteRowsView::DrawnRow& row : rows().drawnRows())
        drawn.insert(row.id, row.placement);

    m_controller.deleteNotes({idOf('C')});
    pauseAt(motion, 0);
    for (const NoteRowsView::DrawnRow& row : rows().drawnRows()) {
        ASSERT_TRUE(drawn.contains(row.id));
        EXPECT_EQ(row.placement.top, drawn.value(row.id).top);
        EXPECT_EQ(row.placement.opacity, drawn.value(row.id).opacity);
    }
    EXPECT_EQ(rows().drawnRows().size(), drawn.size());
}

TEST_F(NoteListRowsTest, SelectCancelAndDeleteBringTheMarksInAndOutOverTheModeSwitch)
{
    useNamedNotes(4);
    makeList();
    const std::pair<QAbstractButton*, const char*> cases[] = {{m_list->selectButton(), ""},
                                                              {m_list->cancelButton(), "B"},
                                                              {m_list->deleteButton(), "CD"}};
    QVariantAnimation& motion = rows().marks().animation();
    for (const auto& [button, ticks] : cases) {
        SCOPED_TRACE(button->text().toStdString());
        const bool showing = button == m_list->selectButton();
        if (!showing && !model().selection().isSelecting())
            click(m_list->selectButton());
        if (motion.state() != QAbstractAnimation::Stopped)
            pauseAt(motion, 1);
        QList<QUuid> ticked;
        for (const char* name = ticks; *name; ++name)
            ticked.append(idOf(*name));
        tickEach(ticks);
        click(button);
        ASSERT_EQ(motion.state(), QAbstractAnimation::Running);
        EXPECT_EQ(motion.duration(), 150);
        EXPECT_EQ(motion.easingCurve().type(), QEasingCurve::OutQuad);
        for (const qreal fraction : {0.0, 0.5, 1.0}) {
            const qreal progress = pauseAt(motion, fraction);
            EXPECT_DOUBLE_EQ(rows().marks().shown(), showing ? progress : 1 - progress);
            // Marks on their way out keep the ticks they had.
            for (const QUuid& id : ticked)
                EXPECT_EQ(rows().marks().keepsTick(id), fraction < 1);
            EXPECT_FALSE(rows().marks().keepsTick(idOf('A')));
        }
    }
}

TEST_F(NoteListRowsTest, TheMarksReachTheScreenAtEachStepOfTheirAnimation)
{
    useNamedNotes(3);
    makeList();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_list.get()));
    QWidget* viewport = rows().viewport();
    const QRect area(viewport->mapTo(m_list.get(), QPoint(0, 0)), viewport->size());
    // What the window shows of the rows, and what it would show were it drawn afresh now.
    const auto onScreen = [&] {
        return m_list->screen()
            ->grabWindow(m_list->winId(), area.x(), area.y(), area.width(), area.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    const auto drawnNow = [&] {
        return m_list->grab(area).toImage().convertToFormat(QImage::Format_RGB32);
    };
    click(m_list->selectButton());
    QVariantAnimation& motion = rows().marks().animation();
    QImage before = drawnNow();
    for (const qreal fraction : {0.25, 0.5, 0.75, 1.0}) {
        SCOPED_TRACE(fraction);
        pauseAt(motion, fraction);
        const QImage frame = drawnNow();
        EXPECT_NE(frame, before); // the step changes the marks
        EXPECT_TRUE(QTest::qWaitFor([&] { return onScreen() == frame; }, 2000));
        before = frame;
    }
}

TEST_F(NoteListRowsTest, ATickedMarkGrowsFromSixTenthsAboutItsCentreAsItFadesIn)
{
    useNamedNotes(2);
    m_store.select(1);
    m_store.setHue(Hue::sky); // a dot unlike the mark's fill
    m_store.select(0);
    makeList();
    // The row drawn by the delegate alone, four times enlarged, on a clear background.
    constexpr int zoom = 4;
    const QRect row(0, 0, 248, rowHeight);
    const QColor fill = Theme::textPrimary().resolved(m_appearance);
    const int centreX =
        qRound((NoteRowDelegate::sidePadding + NoteRowDelegate::markSize / 2.0) * zoom);
    for (const qreal shown : {0.0, 0.5, 1.0}) {
        SCOPED_TRACE(shown);
        QImage image(row.size() * zoom, QImage::Format_ARGB32);
        image.setDevicePixelRatio(zoom);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        rows().rowDelegate()->paintRow(painter, row, model().index(model().rowOf(idOf('B'))),
                                       {false, false, shown, true});
        // Down the mark's middle, clear of the colour dot beside it: the filled circle.
        int top = -1;
        int bottom = -1;
        int opacity = 0;
        for (int y = 0; y < image.height(); ++y) {
            const QColor pixel = image.pixelColor(centreX, y);
            if (pixel.alpha() > 0 && isNear(pixel, fill, channelTolerance)) {
                top = top < 0 ? y : top;
                bottom = y;
                opacity = std::max(opacity, pixel.alpha());
            }
        }
        if (shown == 0) {
            EXPECT_EQ(top, -1);
            continue;
        }
        constexpr qreal startScale = 0.6;
        const qreal scale = between(startScale, 1, shown);
        EXPECT_NEAR(bottom - top + 1, NoteRowDelegate::markSize * scale * zoom, zoom / 2);
        EXPECT_NEAR((top + bottom + 1) / 2.0, rowHeight * zoom / 2.0, zoom);
        EXPECT_NEAR(opacity, 255 * shown, channelTolerance);
    }
}

TEST_F(NoteListRowsTest, TheDeleteIconTurnsToThePrimaryTextColourUnderThePointer)
{
    useNamedNotes(3);
    makeList();
    const QRect trash = NoteRowDelegate::trashRect(rowRect('B'));
    const QRect icon = trash - QMargins(IconButton::padding, IconButton::padding,
                                        IconButton::padding, IconButton::padding);
    for (const auto scheme : {Appearance::ColorScheme::Light, Appearance::ColorScheme::Dark}) {
        m_appearance.forceColorScheme(scheme);
        for (const bool onIcon : {true, false}) {
            SCOPED_TRACE(testing::Message() << (onIcon ? "on the icon, " : "elsewhere, ")
                                            << (m_appearance.isDark() ? "dark" : "light"));
            pointAt(onIcon ? trash.center() : rowRect('B').center());
            QImage image(rows().viewport()->size(), QImage::Format_ARGB32);
            image.fill(Qt::transparent);
            rows().viewport()->render(&image, {}, {}, QWidget::DrawChildren);
            // The icon's most opaque pixel.
            QColor drawn(Qt::transparent);
            for (int y = icon.top(); y <= icon.bottom(); ++y) {
                for (int x = icon.left(); x <= icon.right(); ++x) {
                    if (image.pixelColor(x, y).alpha() > drawn.alpha())
                        drawn = image.pixelColor(x, y);
                }
            }
            const ThemeColor& expected = onIcon ? Theme::textPrimary() : Theme::textSecondary();
            EXPECT_TRUE(isNear(drawn, expected.resolved(m_appearance), channelTolerance))
                << drawn.name().toStdString();
        }
    }
}

TEST_F(NoteListRowsTest, EachRowIsOneItemNamedAfterItsNoteAndTheCurrentOneIsSelected)
{
    useNamedNotes(4);
    makeList();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&rows());
    ASSERT_NE(list, nullptr);
    auto selectedNames = [&] {
        QStringList names;
        for (int i = 0; i < list->childCount(); ++i) {
            QAccessibleInterface* item = list->child(i);
            EXPECT_EQ(item->childCount(), 0);
            if (item->state().selected)
                names << item->text(QAccessible::Name);
        }
        return names;
    };
    ASSERT_EQ(list->childCount(), 4);
    EXPECT_EQ(list->child(2)->text(QAccessible::Name), QStringLiteral("C"));
    EXPECT_EQ(selectedNames(), QStringList{QStringLiteral("A")});

    m_store.select(2);
    EXPECT_EQ(selectedNames(), QStringList{QStringLiteral("C")});
    click(m_list->selectButton());
    tickEach("B"); // a tick is no selection for assistive technology
    EXPECT_EQ(selectedNames(), QStringList{QStringLiteral("C")});
    click(m_list->cancelButton());
    m_controller.deleteNotes({idOf('C')});
    nextTurn();
    // Without a screen reader the toolkit's items do not follow rows that come and go; one
    // made afresh reads the rows as a screen reader's would.
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(list));
    list = QAccessible::queryAccessibleInterface(&rows());
    ASSERT_EQ(list->childCount(), 3);
    EXPECT_EQ(selectedNames(), QStringList{m_store.currentNote().name});
}

} // namespace
