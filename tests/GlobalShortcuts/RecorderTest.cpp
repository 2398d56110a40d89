#include "ShortcutFixture.h"

#include "GlobalShortcuts/Recorder.h"
#include "support/TestFiles.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

using namespace GlobalShortcuts;

namespace {

// X11 key codes of a US keyboard.
constexpr quint32 aKey = 38, tKey = 28, commaKey = 59, tabKey = 23, escapeKey = 9,
                  backspaceKey = 22, f5Key = 71, f12Key = 96;

// A recorder for Ctrl+Alt+N in an active window, beside a field that Tab moves on to; a menu
// whose entry takes Ctrl+, ; and a desktop that binds Ctrl+Alt+T and F12 for itself.
class RecorderTest : public ShortcutFixture
{
protected:
    void SetUp() override
    {
        ShortcutFixture::SetUp();
        if (QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty())
            GTEST_SKIP() << "the gsettings tool is not installed";
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
        qputenv("GSETTINGS_BACKEND", "keyfile");
        TestFiles::write(qEnvironmentVariable("XDG_CONFIG_HOME") +
                             QStringLiteral("/glib-2.0/settings/keyfile"),
                         "[org/gnome/desktop/wm/keybindings]\n"
                         "switch-windows=['<Primary><Alt>t', 'F12']\n");
        menu.addAction(QStringLiteral("Settings\u2026"))->setShortcut(Qt::CTRL | Qt::Key_Comma);
        setMainMenu(&menu);
        auto* column = new QVBoxLayout(&window);
        column->addWidget(recorder);
        column->addWidget(next);
        window.show();
        QObject::connect(&alertWatch, &QTimer::timeout, &window, [this] { answerAlerts(); });
        alertWatch.start(10);
    }

    // An alert may have left the window inactive.
    void activate()
    {
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void record()
    {
        activate();
        recorder->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(recorder->isRecording());
    }

    // A key as the X server delivers it to the window.
    void type(int key, Qt::KeyboardModifiers modifiers, quint32 keyCode)
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, keyCode, 0, 0);
        QApplication::sendEvent(window.windowHandle(), &press);
    }

    // Every alert is read and answered with the button titled `answer`.
    void answerAlerts()
    {
        auto* alert = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!alert || !alert->isVisible())
            return;
        alerts.append(alert->text());
        for (QAbstractButton* choice : alert->buttons()) {
            if (choice->text() == answer)
                choice->click();
        }
    }

    const Name name{QStringLiteral("togglePopover"), optionCommand(Key::n)};
    QMenu menu;
    QWidget window;
    Recorder* recorder = new Recorder(name);
    QLineEdit* next = new QLineEdit;
    QString answer = QStringLiteral("OK");
    QStringList alerts;
    QTimer alertWatch;
};

TEST_F(RecorderTest, EachKeyIsJudgedOnItsWayToTheShortcut)
{
    const std::optional<Shortcut> ctrlAltN = optionCommand(Key::n);
    const QString menuClash = QStringLiteral("This keyboard shortcut cannot be used as it's "
                                             "already used by the \u201cSettings\u2026\u201d menu "
                                             "item.");
    const QString systemClash = QStringLiteral("This keyboard shortcut cannot be used as it's "
                                               "already a system-wide keyboard shortcut.");
    const struct
    {
        const char* what;
        int key;
        Qt::KeyboardModifiers modifiers;
        quint32 keyCode;
        bool useAnyway; // the answer to the alert that comes, if one does
        std::optional<Shortcut> stored;
        bool recordingAfter;
        QString alert;
    } cases[] = {
        {"Escape alone cancels", Qt::Key_Escape, {}, escapeKey, false, ctrlAltN, false, {}},
        {"Tab moves on", Qt::Key_Tab, {}, tabKey, false, ctrlAltN, false, {}},
        {"Shift+Tab is no shortcut",
         Qt::Key_Backtab,
         Qt::ShiftModifier,
         tabKey,
         false,
         ctrlAltN,
         true,
         {}},
        {"Delete clears", Qt::Key_Backspace, {}, backspaceKey, false, std::nullopt, true, {}},
        {"Delete with nothing to clear",
         Qt::Key_Backspace,
         {},
         backspaceKey,
         false,
         std::nullopt,
         true,
         {}},
        {"a letter alone", Qt::Key_A, {}, aKey, false, ctrlAltN, true, {}},
        {"F5 alone", Qt::Key_F5, {}, f5Key, false, Shortcut(Key::f5, 0), false, {}},
        {"Shift+F5",
         Qt::Key_F5,
         Qt::ShiftModifier,
         f5Key,
         false,
         Shortcut(Key::f5, ModifierFlag::shift),
         false,
         {}},
        {"the menu's Ctrl+,", Qt::Key_Comma, Qt::ControlModifier, commaKey, false, ctrlAltN, true,
         menuClash},
        {"the desktop's Ctrl+Alt+T, kept", Qt::Key_T, Qt::ControlModifier | Qt::AltModifier, tKey,
         false, ctrlAltN, true, systemClash},
        {"the desktop's Ctrl+Alt+T, used anyway", Qt::Key_T, Qt::ControlModifier | Qt::AltModifier,
         tKey, true, optionCommand(Key::t), false, systemClash},
        {"F12 alone is never the desktop's",
         Qt::Key_F12,
         {},
         f12Key,
         false,
         Shortcut(Key::f12, 0),
         false,
         {}},
        {"Ctrl+Alt+M",
         Qt::Key_M,
         Qt::ControlModifier | Qt::AltModifier,
         mKeyCode,
         false,
         optionCommand(Key::m),
         false,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Each case starts from Ctrl+Alt+N, but the one after a clearing from nothing.
        if (QLatin1String(c.what) != QLatin1String("Delete with nothing to clear"))
            setShortcut(ctrlAltN, name);
        alerts.clear();
        record();
        answer = c.useAnyway ? QStringLiteral("Use Anyway") : QStringLiteral("OK");
        type(c.key, c.modifiers, c.keyCode);
        EXPECT_EQ(getShortcut(name), c.stored);
        EXPECT_EQ(recorder->text(), c.stored ? c.stored->description() : QString());
        EXPECT_EQ(recorder->clearAction()->isVisible(), c.stored.has_value());
        EXPECT_EQ(alerts, c.alert.isEmpty() ? QStringList() : QStringList{c.alert});
        // After an alert, recording resumes once the window has the focus back.
        EXPECT_TRUE(QTest::qWaitFor([&] { return recorder->isRecording() == c.recordingAfter; }));
        EXPECT_EQ(isRecorderActive(), c.recordingAfter);
        EXPECT_EQ(next->hasFocus(), c.key == Qt::Key_Tab);
        recorder->clearFocus();
        next->clearFocus();
    }
}

TEST_F(RecorderTest, TheClearButtonRemovesTheShortcutAndStartsRecording)
{
    activate();
    QSignalSpy changes(recorder, &Recorder::shortcutChanged);
    recorder->clearAction()->trigger();
    EXPECT_EQ(getShortcut(name), std::nullopt);
    EXPECT_EQ(changes.size(), 1);
    EXPECT_TRUE(recorder->isRecording());
    EXPECT_EQ(recorder->placeholderText(), QStringLiteral("Press Shortcut"));
}

TEST_F(RecorderTest, WhileEitherOfTwoRecordersRecordsNoHotKeyIsHeldOrDelivered)
{
    int toggles = 0;
    onKeyUp(name, [&toggles] { ++toggles; });
    QList<bool> announced;
    QObject::connect(&ShortcutNotifications::instance(),
                     &ShortcutNotifications::recorderActiveStatusDidChange, &window,
                     [&announced](bool active) { announced.append(active); });
    auto* other = new Recorder(name, &window);
    other->show();

    record();
    EXPECT_FALSE(center.isHeld(nKeyCode, controlAlt));
    // The idle one leaves its window while the first still records.
    delete other;
    EXPECT_TRUE(isRecorderActive());
    handleOnKeyUp(*getShortcut(name));
    EXPECT_EQ(toggles, 0);
    EXPECT_EQ(announced, QList<bool>{true});

    // Ctrl+Alt+N reaches the recorder, which takes it again.
    type(Qt::Key_N, Qt::ControlModifier | Qt::AltModifier, nKeyCode);
    EXPECT_FALSE(isRecorderActive());
    EXPECT_EQ(announced, (QList<bool>{true, false}));
    EXPECT_TRUE(center.isHeld(nKeyCode, controlAlt));
    ASSERT_TRUE(pressAndRelease());
    EXPECT_EQ(toggles, 1);
}

} // namespace
