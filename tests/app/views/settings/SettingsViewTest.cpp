#include "app/shell/ShellTestFixture.h"

#include "GlobalShortcuts/Name.h"
#include "GlobalShortcuts/Recorder.h"
#include "app/notes/LaunchAtLogin.h"
#include "app/views/settings/HueImages.h"
#include "app/views/settings/PopUpControl.h"
#include "app/views/settings/SectionLabel.h"
#include "app/views/settings/SettingsRow.h"
#include "app/views/settings/SettingsView.h"
#include "app/views/settings/ThemeLabel.h"
#include "app/views/settings/VersionLine.h"
#include "app/views/theme/FocusRing.h"
#include "app/views/theme/PopupWindowStyle.h"
#include "app/views/theme/SwitchToggle.h"
#include "app/views/theme/Theme.h"
#include "platform/LoginItem.h"
#include "platform/Updater.h"
#include "support/Contrast.h"
#include "support/Ink.h"
#include "support/MainThreadChecks.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

namespace {

// A login item that only counts what it is asked to change, and can refuse it.
struct RecordingLoginItem : LoginItem
{
    bool isEnabled() const override { return enabled; }
    bool registerItem() override { return change(true); }
    bool unregisterItem() override { return change(false); }
    bool change(bool on)
    {
        ++changes;
        enabled = refuses ? enabled : on;
        return !refuses;
    }

    bool enabled = false;
    bool refuses = false;
    int changes = 0;
};

class SettingsViewTest : public ShellTestFixture
{
protected:
    void SetUp() override
    {
        m_page.resize(PopoverController::settingsPageSize.toSize());
        m_page.show();
    }

    template <typename Control> Control* control(const char* title) const
    {
        SettingsRow* row = m_page.row(QString::fromUtf8(title));
        return row ? qobject_cast<Control*>(row->control()) : nullptr;
    }

    GlobalShortcuts::Recorder* activeRecorder()
    {
        QApplication::setActiveWindow(&m_page);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m_page));
        return control<GlobalShortcuts::Recorder>("Open with");
    }

    // Chooses an entry from the open list, as a user does.
    static void pick(PopUpControl* popUp, int index)
    {
        popUp->showPopup();
        popUp->view()->setCurrentIndex(popUp->model()->index(index, 0));
        QTest::keyClick(popUp->view(), Qt::Key_Return);
    }

    // What the settings file holds right now.
    QVariant stored(const QString& key)
    {
        // As a fresh reader of the file finds it once the coalesced write is done.
        m_defaults.synchronize();
        return UserDefaults(m_defaults.domain(), m_folder.path()).object(key);
    }

    RecordingLoginItem m_loginItem;
    LaunchAtLogin m_launchAtLogin{m_loginItem};
    Updater m_updater{QUrl(), QVersionNumber(1), m_scheduler};
    GlobalShortcuts::Name m_name{QStringLiteral("settingsPageTest")};
    SettingsView m_page{m_controller, m_settings, m_launchAtLogin, m_updater, m_name, m_appearance};
};

TEST(VersionLineTest, VersionAndBuildEachOrADash)
{
    const struct
    {
        const char* version;
        const char* build;
        const char16_t* line;
    } rows[] = {
        {"1.2", "45", u"Version 1.2 (45)"},
        {"", "45", u"Version \u2014 (45)"},
        {"1.2", "", u"Version 1.2 (\u2014)"},
        {"", "", u"Version \u2014 (\u2014)"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(versionLine(QString::fromLatin1(row.version), QString::fromLatin1(row.build))
                      .toStdString(),
                  QString::fromUtf16(row.line).toStdString());
}

// The headings are shown as written, in the page's own words.
TEST_F(SettingsViewTest, TheSectionHeadingsAreShownAsWritten)
{
    QStringList headings;
    for (const SectionLabel* label : m_page.findChildren<SectionLabel*>())
        headings << label->text();
    EXPECT_EQ(headings, QStringList({QStringLiteral("General"), QStringLiteral("Notes"),
                                     QStringLiteral("Updates & Privacy")}));
}

TEST_F(SettingsViewTest, ThePageCatchesBeingMadeOrShownOffTheMainThread)
{
    expectEachCaughtOffTheMainThread({
        {"made",
         [this] {
             SettingsView made(m_controller, m_settings, m_launchAtLogin, m_updater, m_name,
                               m_appearance);
         }},
        {"shown",
         [this] {
             QShowEvent shown;
             QCoreApplication::sendEvent(&m_page, &shown);
         }},
    });
}

TEST_F(SettingsViewTest, EachPopUpShowsItsSettingAndStoresAPickAtOnce)
{
    QStringList sizes;
    for (int points = 10; points <= 24; ++points)
        sizes.append(QString::number(points) + QStringLiteral(" pt"));
    const QString colours = QStringLiteral("Rotate|White|Sand|Mint|Sky|Lavender|Pink|Teal|Coral");
    const struct
    {
        const char* row;
        QString titles;
        std::function<void(AppSettings&)> set; // from elsewhere, as the keyboard does
        int shown;
        int picked;
        const char* key;
        QVariant written;
    } cases[] = {
        {"Delete notes after", QStringLiteral("Never|1 hour|1 day|1 week|30 days"),
         [](AppSettings& s) { s.setDeleteAfter(DeleteAfter::hour); }, 1, 4, "quillory.deleteAfter",
         QStringLiteral("30d")},
        {"Delete notes after", QStringLiteral("Never|1 hour|1 day|1 week|30 days"),
         [](AppSettings& s) { s.setDeleteAfter(DeleteAfter::week); }, 3, 0, "quillory.deleteAfter",
         QStringLiteral("never")},
        {"Text size", sizes.join(u'|'), [](AppSettings& s) { s.setTextSize(24); }, 14, 8,
         "quillory.textSize", qint64(18)},
        // A size that is none of the list's shows 12 pt and is kept until a pick.
        {"Text size", sizes.join(u'|'), [](AppSettings& s) { s.setTextSize(9); }, 2, 2,
         "quillory.textSize", qint64(12)},
        {"New note color", colours,
         [](AppSettings& s) { s.setNewNoteColor(NewNoteColor::fixed(Hue::white)); }, 1, 4,
         "quillory.newNoteColor", QStringLiteral("sky")},
        {"New note color", colours,
         [](AppSettings& s) { s.setNewNoteColor(NewNoteColor::fixed(Hue::coral)); }, 8, 0,
         "quillory.newNoteColor", QStringLiteral("rotate")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        PopUpControl* popUp = control<PopUpControl>(c.row);
        ASSERT_NE(popUp, nullptr);
        EXPECT_EQ(popUp->titles().join(u'|'), c.titles);
        c.set(m_settings);
        EXPECT_EQ(popUp->currentIndex(), c.shown);
        pick(popUp, c.picked);
        EXPECT_EQ(stored(QString::fromLatin1(c.key)), c.written);
    }

    // A pick of the entry already chosen is a pick all the same.
    m_defaults.remove(QStringLiteral("quillory.newNoteColor"));
    pick(control<PopUpControl>("New note color"), 0);
    EXPECT_EQ(stored(QStringLiteral("quillory.newNoteColor")), QStringLiteral("rotate"));
    // And told to the setting's observers, so the current period chosen again purges.
    QSignalSpy periodTold(&m_settings, &AppSettings::deleteAfterChanged);
    pick(control<PopUpControl>("Delete notes after"), 0);
    EXPECT_EQ(periodTold.count(), 1);

    // The wheel is left to the page, which scrolls; it changes no setting.
    PopUpControl* textSize = control<PopUpControl>("Text size");
    const QPointF centre(textSize->rect().center());
    QWheelEvent wheel(centre, textSize->mapToGlobal(centre), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(textSize, &wheel);
    EXPECT_EQ(textSize->currentIndex(), 2);
    EXPECT_FALSE(wheel.isAccepted());
}

TEST_F(SettingsViewTest, APopUpMakesItsEntriesAnewOnlyWhenTheirTitlesChange)
{
    PopUpControl popUp;
    const QPixmap image = HueImages::swatchImage(Hue::mint, 1);
    popUp.setItems({{QStringLiteral("A"), image}, {QStringLiteral("B"), image}}, 0, QString());
    popUp.setItems({{QStringLiteral("A"), {}}, {QStringLiteral("B"), {}}}, 1,
                   QStringLiteral("help"));
    EXPECT_FALSE(popUp.itemIcon(0).isNull());
    EXPECT_EQ(popUp.currentIndex(), 1);
    EXPECT_EQ(popUp.toolTip(), QStringLiteral("help"));
    popUp.setItems({{QStringLiteral("A"), {}}, {QStringLiteral("C"), {}}}, 0, QString());
    EXPECT_TRUE(popUp.itemIcon(0).isNull());
    EXPECT_EQ(popUp.titles(), (QStringList{QStringLiteral("A"), QStringLiteral("C")}));
    EXPECT_TRUE(popUp.toolTip().isEmpty());
}

TEST_F(SettingsViewTest, TheWhiteSwatchIsRingedInGreyAndTheOthersArePlainDiscs)
{
    // At twice the pixel ratio the ring is two pixels wide, from x 2 to 3 on the middle row.
    constexpr int middle = 11;
    const QColor grey(0x8C, 0x94, 0xA0);
    for (const Hue hue : Hues::allCases) {
        SCOPED_TRACE(Hues::rawValue(hue).toStdString());
        const QImage image = HueImages::swatchImage(hue, 2).toImage();
        const QColor fill = hue == Hue::white ? QColor(Qt::white) : Theme::hueAccent(int(hue));
        EXPECT_EQ(image.pixelColor(middle, middle), fill);
        EXPECT_EQ(image.pixelColor(2, middle) == grey, hue == Hue::white);
        EXPECT_EQ(image.pixelColor(0, middle).alpha(), 0);
    }
}

TEST_F(SettingsViewTest, LaunchAtLoginShowsTheLoginItemAndOnlyAFlipChangesIt)
{
    SwitchToggle* toggle = control<SwitchToggle>("Launch at login");
    auto showAgain = [this] {
        m_page.hide();
        m_page.show();
    };
    m_loginItem.enabled = true;
    showAgain();
    EXPECT_TRUE(toggle->isChecked());
    m_loginItem.enabled = false;
    showAgain();
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_EQ(m_loginItem.changes, 0);

    // Refused: the switch shows what was asked until the page is shown again.
    m_loginItem.refuses = true;
    QTest::mouseClick(toggle, Qt::LeftButton, {}, QPoint(14, 8));
    EXPECT_EQ(m_loginItem.changes, 1);
    EXPECT_TRUE(toggle->isChecked());
    showAgain();
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_EQ(m_loginItem.changes, 1);
}

TEST_F(SettingsViewTest, EachSwitchWritesItsSettingAtOnceAndFollowsItsChanges)
{
    const std::tuple<const char*, const char*, void (AppSettings::*)(bool)> switches[] = {
        {"New note pastes clipboard", "newNotePastesClipboard",
         &AppSettings::setNewNotePastesClipboard},
        {"Paste as plain text", "pasteAsPlainText", &AppSettings::setPasteAsPlainText},
        {"Copy note on close", "copyNoteOnClose", &AppSettings::setCopyNoteOnClose},
        {"Update automatically", "updateAutomatically", &AppSettings::setUpdateAutomatically},
        {"Send anonymous error reports", "sendErrorReports", &AppSettings::setSendErrorReports},
    };
    for (const auto& [title, name, write] : switches) {
        SCOPED_TRACE(title);
        SwitchToggle* toggle = control<SwitchToggle>(title);
        const QString key = QStringLiteral("quillory.") + QLatin1String(name);
        const bool before = m_defaults.boolValue(key);
        EXPECT_EQ(toggle->isChecked(), before);
        QTest::mouseClick(toggle, Qt::LeftButton, {}, QPoint(14, 8));
        EXPECT_EQ(stored(key), QVariant(!before));
        (m_settings.*write)(before);
        EXPECT_EQ(toggle->isChecked(), before);
    }
}

TEST_F(SettingsViewTest, TheRecordersPromptIsDrawnWhereItsTextWouldBeInBothSchemes)
{
    GlobalShortcuts::Recorder* recorder = activeRecorder();
    ASSERT_TRUE(recorder->text().isEmpty());
    // Within the field's frame and focus ring.
    constexpr QMargins frame(3, 3, 3, 3);
    const QRect inside = recorder->rect().marginsRemoved(frame);
    auto ink = [&] { return inkBounds(recorder->grab().toImage(), inside); };
    // Smoothing in the prompt's lighter colour may fade one pixel earlier at a corner.
    auto expectAbout = [](const QRect& drawn, const QRect& expected) {
        EXPECT_LE((drawn.topLeft() - expected.topLeft()).manhattanLength(), 2);
        EXPECT_LE((drawn.bottomRight() - expected.bottomRight()).manhattanLength(), 2);
    };
    const std::pair<bool, QString> states[] = {{false, QStringLiteral("Record Shortcut")},
                                               {true, QStringLiteral("Press Shortcut")}};
    for (const auto scheme : {Appearance::ColorScheme::Light, Appearance::ColorScheme::Dark}) {
        m_appearance.forceColorScheme(scheme);
        for (const auto& [recording, prompt] : states) {
            SCOPED_TRACE(prompt.toStdString() + (m_appearance.isDark() ? ", dark" : ", light"));
            if (recording)
                recorder->setFocus(Qt::MouseFocusReason);
            else
                recorder->clearFocus();
            ASSERT_EQ(recorder->isRecording(), recording);
            const QRect drawn = ink();
            EXPECT_FALSE(drawn.isEmpty());
            // The same field with the prompt as its text.
            recorder->setText(prompt);
            expectAbout(drawn, ink());
            recorder->setText(QString());
        }
    }
}

TEST_F(SettingsViewTest, AClickJustBesideTheRecorderKeepsItRecording)
{
    GlobalShortcuts::Recorder* recorder = activeRecorder();
    QWindow* window = m_page.windowHandle();
    auto at = [&](int x) { return recorder->mapTo(&m_page, QPoint(x, recorder->height() / 2)); };
    QTest::mouseClick(window, Qt::LeftButton, {}, at(recorder->width() / 2));
    ASSERT_TRUE(recorder->isRecording());
    constexpr int slop = GlobalShortcuts::Recorder::clickSlop;
    const std::pair<int, bool> clicks[] = {{2, true}, {slop, true}, {slop + 2, false}};
    for (const auto& [beside, recording] : clicks) {
        SCOPED_TRACE(beside);
        QTest::mouseClick(window, Qt::LeftButton, {}, at(-beside));
        EXPECT_EQ(recorder->isRecording(), recording);
    }
}

TEST_F(SettingsViewTest, TheLaunchAtLoginSwitchIsFirstDrawnAsTheLoginItemIs)
{
    m_loginItem.enabled = true;
    SettingsView page(m_controller, m_settings, m_launchAtLogin, m_updater, m_name, m_appearance);
    page.resize(PopoverController::settingsPageSize.toSize());
    page.show();
    SettingsRow* row = page.row(QStringLiteral("Launch at login"));
    ASSERT_NE(row, nullptr);
    // At once, before any time passes: the knob at the right end of a track in the on colour.
    const QImage drawn = row->control()->grab().toImage();
    const QColor on = Theme::switchOn().resolved(m_appearance);
    EXPECT_TRUE(isNear(drawn.pixelColor(3, 8), on, 2))
        << drawn.pixelColor(3, 8).name().toStdString();
    EXPECT_EQ(drawn.pixelColor(20, 8), QColor(Qt::white));
    EXPECT_EQ(m_loginItem.changes, 0);
}

TEST_F(SettingsViewTest, TabRingsEachControlInTheAccentColourAndAClickRingsNone)
{
    QApplication::setActiveWindow(&m_page);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_page));
    // Pixels of the accent colour in the band just outside a control.
    const auto ring = [this](QWidget* control) {
        const QRect shown(control->mapTo(&m_page, QPoint(0, 0)), control->size());
        const QImage page = m_page.grab().toImage();
        const QColor accent = Theme::accent().resolved(m_appearance);
        int pixels = 0;
        const QRect band = shown.marginsAdded(QMargins(1, 1, 1, 1) * FocusRing::reach);
        for (int y = band.top(); y <= band.bottom(); ++y) {
            for (int x = band.left(); x <= band.right(); ++x)
                pixels += !shown.contains(x, y) && isNear(page.pixelColor(x, y), accent, 24);
        }
        return pixels;
    };
    QSet<QWidget*> controls;
    for (QWidget* widget : m_page.findChildren<QWidget*>()) {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisible() &&
            !qobject_cast<QScrollArea*>(widget))
            controls.insert(widget);
    }
    // The back button, the recorder, six switches, three pop-ups, "Check now", the two links
    // and Quit.
    ASSERT_EQ(controls.size(), 15);
    for (const auto scheme : {Appearance::ColorScheme::Light, Appearance::ColorScheme::Dark}) {
        m_appearance.forceColorScheme(scheme);
        QSet<QWidget*> ringed;
        for (int presses = 0; presses < 2 * controls.size(); ++presses) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focused = QApplication::focusWidget();
            if (!controls.contains(focused))
                continue;
            SCOPED_TRACE(focused->metaObject()->className());
            // Round it, gaps left for the corners.
            EXPECT_GT(ring(focused), focused->width() + focused->height());
            ringed.insert(focused);
        }
        EXPECT_EQ(ringed, controls);
    }

    // The focus back from the pop-up's list is where it was; where the program puts it, no ring
    // shows, even on a control Tab rang before.
    auto* popUp = control<PopUpControl>("Text size");
    while (QApplication::focusWidget() != popUp)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    popUp->showPopup();
    popUp->hidePopup();
    ASSERT_EQ(QApplication::focusWidget(), popUp);
    EXPECT_GT(ring(popUp), 0);
    QTest::keyClick(popUp, Qt::Key_Tab);
    popUp->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(ring(popUp), 0);

    auto* first = control<SwitchToggle>("New note pastes clipboard");
    auto* second = control<SwitchToggle>("Paste as plain text");
    while (QApplication::focusWidget() != first)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_GT(ring(first), 0);
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(14, 8));
    ASSERT_EQ(QApplication::focusWidget(), second);
    EXPECT_EQ(ring(first), 0);
    EXPECT_EQ(ring(second), 0);
    // Nor does a click on the control the keyboard brought the focus to keep its ring.
    QTest::keyClick(second, Qt::Key_Backtab);
    ASSERT_EQ(QApplication::focusWidget(), first);
    QTest::mouseClick(first, Qt::LeftButton, {}, QPoint(14, 8));
    EXPECT_EQ(ring(first), 0);
}

// The style the program gives the application, for one case, over the style of the desktop,
// which opens the lists of pop-up buttons as menus.
class PopupWindowStyleScope
{
public:
    explicit PopupWindowStyleScope(const Appearance& appearance)
        : m_previous(QApplication::style()->name())
    {
        QApplication::setStyle(
            new PopupWindowStyle(appearance, QStyleFactory::create(QStringLiteral("Fusion"))));
    }
    ~PopupWindowStyleScope() { QApplication::setStyle(QStyleFactory::create(m_previous)); }

private:
    QString m_previous;
};

TEST_F(SettingsViewTest, TooltipsAndPopUpListsAreRoundedCardsInThePanelsColours)
{
    const PopupWindowStyleScope style(m_appearance);
    auto* popUp = control<PopUpControl>("Text size");
    ASSERT_NE(popUp, nullptr);
    // Cut to a rounded card, drawn in the pop-up colour with text in the primary one.
    // Apart from `chosen`, a list's chosen entry, white on the accent colour.
    const auto expectCard = [this](QWidget* window, const QRect& chosen = {}) {
        ASSERT_TRUE(window->isVisible());
        const QRect bounds = window->rect();
        EXPECT_FALSE(window->mask().contains(bounds.topLeft()));
        EXPECT_FALSE(window->mask().contains(bounds.bottomRight()));
        EXPECT_TRUE(window->mask().contains(bounds.center()));
        const QImage drawn = window->grab().toImage();
        const QColor surface = Theme::popupBackground().resolved(m_appearance);
        const QColor text = Theme::textPrimary().resolved(m_appearance);
        // The card's own colour, and the text's where it is densest.
        int surfacePixels = 0;
        QColor densest = surface;
        const auto distance = [&surface](const QColor& pixel) {
            return std::abs(pixel.red() - surface.red()) +
                   std::abs(pixel.green() - surface.green()) +
                   std::abs(pixel.blue() - surface.blue());
        };
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                const QColor pixel = drawn.pixelColor(x, y);
                surfacePixels += pixel == surface;
                if (!chosen.contains(x, y) && distance(pixel) > distance(densest))
                    densest = pixel;
            }
        }
        EXPECT_GT(surfacePixels, drawn.width() * drawn.height() / 3);
        // The panel's border along the edge.
        const QColor border = Theme::border().resolved(m_appearance);
        const auto over = [&](int surfaceChannel, int borderChannel) {
            return qRound(surfaceChannel + (borderChannel - surfaceChannel) * border.alphaF());
        };
        const QColor edge(over(surface.red(), border.red()), over(surface.green(), border.green()),
                          over(surface.blue(), border.blue()));
        const QColor drawnEdge = drawn.pixelColor(0, drawn.height() / 2);
        EXPECT_TRUE(isNear(drawnEdge, edge, 4)) << drawnEdge.name().toStdString();
        EXPECT_TRUE(isNear(densest, text, 8)) << densest.name().toStdString();
    };
    for (const auto scheme : {Appearance::ColorScheme::Light, Appearance::ColorScheme::Dark}) {
        m_appearance.forceColorScheme(scheme);
        SCOPED_TRACE(m_appearance.isDark() ? "dark" : "light");
        QToolTip::showText(popUp->mapToGlobal(QPoint(0, 0)), popUp->toolTip(), popUp);
        QWidget* tip = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->windowType() == Qt::ToolTip && window->isVisible())
                tip = window;
        }
        ASSERT_NE(tip, nullptr);
        {
            SCOPED_TRACE("tooltip");
            expectCard(tip);
        }
        popUp->showPopup();
        {
            SCOPED_TRACE("pop-up list");
            QAbstractItemView* list = popUp->view();
            const QRect chosen = list->visualRect(list->currentIndex());
            expectCard(
                list->window(),
                QRect(list->viewport()->mapTo(list->window(), chosen.topLeft()), chosen.size()));
        }
        popUp->hidePopup();
    }
}

// The page on a screen too short for it: the panel then holds less than the whole page.
class ShortSettingsViewTest : public SettingsViewTest
{
protected:
    void SetUp() override
    {
        m_page.resize(PopoverController::settingsPageSize.toSize() - QSize(0, 200));
        m_page.show();
        QApplication::setActiveWindow(&m_page);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_page));
        m_area = m_page.findChild<QScrollArea*>();
        ASSERT_NE(m_area, nullptr);
        ASSERT_GT(bar()->maximum(), 0);
    }

    QScrollBar* bar() const { return m_area->verticalScrollBar(); }

    // Whether the whole of a widget of the page shows in the part of it the panel holds.
    bool inView(const QWidget* widget) const
    {
        const QRect shown(widget->mapTo(m_area->viewport(), QPoint(0, 0)), widget->size());
        return m_area->viewport()->rect().contains(shown);
    }

    void mouse(QEvent::Type type, QWidget* widget, QPoint at, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, buttons, {});
        QApplication::sendEvent(widget, &event);
    }

    QScrollArea* m_area = nullptr;
};

TEST_F(ShortSettingsViewTest, TheWheelAndTheKeysScrollThePageWithoutScrollBars)
{
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_FALSE(m_area->horizontalScrollBar()->isVisible());
    const QPoint middle = m_area->viewport()->rect().center();
    QWheelEvent down(middle, m_area->viewport()->mapToGlobal(middle), {}, {0, -120}, Qt::NoButton,
                     {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(m_area->viewport(), &down);
    EXPECT_GT(bar()->value(), 0);

    bar()->setValue(0);
    QTest::keyClick(m_area, Qt::Key_PageDown);
    EXPECT_EQ(bar()->value(), bar()->maximum());
    QTest::keyClick(m_area, Qt::Key_Up);
    EXPECT_LT(bar()->value(), bar()->maximum());
}

TEST_F(ShortSettingsViewTest, TabBringsTheControlItFocusesIntoView)
{
    QWidget* last = control<SwitchToggle>("Send anonymous error reports");
    ASSERT_FALSE(inView(last));
    for (int presses = 0; presses < 20 && QApplication::focusWidget() != last; ++presses)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), last);
    EXPECT_TRUE(inView(last));

    QWidget* first = control<QWidget>("Open with");
    for (int presses = 0; presses < 20 && QApplication::focusWidget() != first; ++presses)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    ASSERT_EQ(QApplication::focusWidget(), first);
    EXPECT_TRUE(inView(first));
}

TEST_F(ShortSettingsViewTest, ADragOnThePageMovesItAndADragOnAControlDoesNot)
{
    SettingsRow* row = m_page.row(QStringLiteral("Text size"));
    QWidget* title = row->title();
    const QPoint at = title->rect().center();
    const int distance = 60;
    mouse(QEvent::MouseButtonPress, title, at, Qt::LeftButton);
    mouse(QEvent::MouseMove, title, at - QPoint(0, distance), Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, title, at - QPoint(0, distance), Qt::NoButton);
    EXPECT_EQ(bar()->value(), distance);
    mouse(QEvent::MouseMove, title, at - QPoint(0, 2 * distance), Qt::NoButton);
    EXPECT_EQ(bar()->value(), distance); // released: the page stays

    // A press that hardly moves is a click, and leaves the page where it is.
    mouse(QEvent::MouseButtonPress, title, at, Qt::LeftButton);
    mouse(QEvent::MouseMove, title, at + QPoint(0, 2), Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, title, at + QPoint(0, 2), Qt::NoButton);
    EXPECT_EQ(bar()->value(), distance);

    SwitchToggle* toggle = control<SwitchToggle>("Copy note on close");
    const bool before = toggle->isChecked();
    mouse(QEvent::MouseButtonPress, toggle, {14, 8}, Qt::LeftButton);
    mouse(QEvent::MouseMove, toggle, {14, 8 - distance}, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, toggle, {14, 8 - distance}, Qt::NoButton);
    EXPECT_EQ(bar()->value(), distance);
    EXPECT_EQ(toggle->isChecked(), before); // released off the switch: no flip either
}

} // namespace
