#include "ShortcutFixture.h"

#include "GlobalShortcuts/Recorder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTextLayout>
#include <QTimer>
#include <QVBoxLayout>

using namespace GlobalShortcuts;

namespace {

// A key as the X server delivers it: Qt's key, the modifiers and the X11 key code of a US
// keyboard.
struct Press
{
    int key;
    Qt::KeyboardModifiers modifiers;
    quint32 keyCode;
};
constexpr Qt::KeyboardModifiers controlAltKeys = Qt::ControlModifier | Qt::AltModifier;

// A recorder for Ctrl+Alt+N in an active window, beside a field that Tab moves on to; a menu
// whose entry takes Ctrl+, ; and a desktop that binds Ctrl+Alt+T and F12 for itself.
class RecorderTest : public ShortcutFixture
{
protected:
    void SetUp() override
    {
        ShortcutFixture::SetUp();
        if (!useGnomeBindings(environment))
            GTEST_SKIP() << "the gsettings tool is not installed";
        menu.addAction(QStringLiteral("Settings\u2026"))->setShortcut(Qt::CTRL | Qt::Key_Comma);
        setMainMenu(&menu);
        // The page around a recorder has colours of its own, which its alerts take.
        QPalette page = window.palette();
        page.setColor(QPalette::Window, QColor(0x20, 0x22, 0x24));
        window.setPalette(page);
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

    void type(const Press& press)
    {
        QKeyEvent event(QEvent::KeyPress, press.key, press.modifiers, press.keyCode, 0, 0);
        QApplication::sendEvent(window.windowHandle(), &event);
    }

    // Every alert is read and answered with the button titled `answer`.
    void answerAlerts()
    {
        auto* alert = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!alert || !alert->isVisible())
            return;
        alerts.append(alert->text());
        EXPECT_EQ(alert->palette().color(QPalette::Window),
                  recorder->palette().color(QPalette::Window));
        if (beforeAnswer)
            beforeAnswer(*alert);
        for (QAbstractButton* choice : alert->buttons()) {
            if (choice->text() == answer)
                choice->click();
        }
    }

    const Name name{QStringLiteral("togglePopover"), optionCommand(Key::n)};
    QMenu menu;
    QWidget window;
    // What the recorder told of each change it made.
    QList<std::optional<Shortcut>> changes;
    Recorder* recorder = new Recorder(
        name, [this](const std::optional<Shortcut>& shortcut) { changes.append(shortcut); });
    QLineEdit* next = new QLineEdit;
    QString answer = QStringLiteral("OK");
    QStringList alerts;
    // Looks at each alert before it is answered.
    std::function<void(QMessageBox& alert)> beforeAnswer;
    QTimer alertWatch;
};

TEST_F(RecorderTest, EachKeyIsJudgedOnItsWayToTheShortcut)
{
    const std::optional<Shortcut> n = optionCommand(Key::n);
    const Shortcut f5(Key::f5, 0);
    const Press escape{Qt::Key_Escape, {}, 9}, tab{Qt::Key_Tab, {}, 23},
        shiftTab{Qt::Key_Backtab, Qt::ShiftModifier, 23}, backspace{Qt::Key_Backspace, {}, 22},
        letter{Qt::Key_A, {}, 38}, f5Alone{Qt::Key_F5, {}, 71},
        shiftF5{Qt::Key_F5, Qt::ShiftModifier, 71},
        ctrlComma{Qt::Key_Comma, Qt::ControlModifier, 59}, ctrlAltT{Qt::Key_T, controlAltKeys, 28},
        f12{Qt::Key_F12, {}, 96}, ctrlAltM{Qt::Key_M, controlAltKeys, mKeyCode};
    const struct
    {
        const char* what;
        Press press;
        bool useAnyway; // the answer to an alert
        std::optional<Shortcut> stored;
        bool recordingAfter;
        const char* alert; // a part of the alert's text
    } cases[] = {
        {"Escape alone cancels", escape, false, n, false, nullptr},
        {"Tab moves on", tab, false, n, false, nullptr},
        {"Shift+Tab is no shortcut", shiftTab, false, n, true, nullptr},
        {"Delete clears", backspace, false, std::nullopt, true, nullptr},
        {"Delete with nothing to clear", backspace, false, std::nullopt, true, nullptr},
        {"a letter alone", letter, false, n, true, nullptr},
        {"F5 alone", f5Alone, false, f5, false, nullptr},
        {"Shift+F5", shiftF5, false, Shortcut(Key::f5, ModifierFlag::shift), false, nullptr},
        {"the menu's Ctrl+,", ctrlComma, false, n, true, "by the \u201cSettings\u2026\u201d menu"},
        {"the desktop's Ctrl+Alt+T, kept", ctrlAltT, false, n, true, "system-wide"},
        {"the desktop's Ctrl+Alt+T, used", ctrlAltT, true, optionCommand(Key::t), false,
         "system-wide"},
        {"F12 alone is never the desktop's", f12, false, Shortcut(Key::f12, 0), false, nullptr},
        {"Ctrl+Alt+M", ctrlAltM, false, optionCommand(Key::m), false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Each case starts from Ctrl+Alt+N, but the one after a clearing from nothing.
        const bool fromNothing =
            QLatin1String(c.what) == QLatin1String("Delete with nothing to clear");
        if (!fromNothing)
            setShortcut(n, name);
        alerts.clear();
        changes.clear();
        record();
        answer = c.useAnyway ? QStringLiteral("Use Anyway") : QStringLiteral("OK");
        type(c.press);
        EXPECT_EQ(getShortcut(name), c.stored);
        // Told once of a change, with what was stored, and of nothing else.
        const bool changed = c.stored != n && !fromNothing;
        EXPECT_EQ(changes, changed ? QList{c.stored} : QList<std::optional<Shortcut>>());
        EXPECT_EQ(recorder->text(), c.stored ? c.stored->description() : QString());
        EXPECT_EQ(recorder->clearAction()->isVisible(), c.stored.has_value());
        EXPECT_EQ(alerts.size(), c.alert ? 1 : 0);
        EXPECT_TRUE(!c.alert || alerts.value(0).contains(QString::fromUtf8(c.alert)));
        // After an alert, recording resumes once the window has the focus back.
        EXPECT_TRUE(QTest::qWaitFor([&] { return recorder->isRecording() == c.recordingAfter; }));
        EXPECT_EQ(isRecorderActive(), c.recordingAfter);
        EXPECT_EQ(next->hasFocus(), c.press.key == Qt::Key_Tab);
        recorder->clearFocus();
        next->clearFocus();
    }
}

// Where the window has nowhere to move the focus, recording ends all the same.
TEST_F(RecorderTest, TabAloneEndsRecordingWhereNothingElseTakesTheFocus)
{
    next->setFocusPolicy(Qt::NoFocus);
    record();
    type({Qt::Key_Tab, {}, 23});
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_FALSE(recorder->hasFocus());
    EXPECT_FALSE(isRecorderActive());
    EXPECT_EQ(getShortcut(name), optionCommand(Key::n));
    EXPECT_TRUE(changes.isEmpty());
}

// Whether `name` lies on one line of `text` laid out `width` pixels wide in `font`, whatever
// spaces the text has between its words.
bool isOnOneLine(const QString& text, const QString& name, const QFont& font, int width)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
        line.setLineWidth(width);
    layout.endLayout();
    const qsizetype start = QString(text).replace(QChar::Nbsp, QLatin1Char(' ')).indexOf(name);
    return start >= 0 && layout.lineForTextPosition(int(start)).lineNumber() ==
                             layout.lineForTextPosition(int(start + name.size() - 1)).lineNumber();
}

// The clash alert names the menu entry on one line, however narrow its text, and shows the
// page's colours, light or dark, also when they change while it is open.
TEST_F(RecorderTest, TheClashAlertKeepsTheEntrysNameWholeInThePagesColours)
{
    const QString title = QStringLiteral("Paste the Clipboard into a New Note");
    menu.addAction(title)->setShortcut(Qt::CTRL | Qt::Key_V);
    const auto pagePalette = [](QRgb background, QRgb text) {
        QPalette page;
        page.setColor(QPalette::Window, background);
        page.setColor(QPalette::Button, background);
        page.setColor(QPalette::WindowText, text);
        page.setColor(QPalette::ButtonText, text);
        return page;
    };
    const QPalette light = pagePalette(0xFFFFFF, 0x1D1D1F);
    const QPalette dark = pagePalette(0x2B2B2F, 0xF2F2F7);
    window.setPalette(light);
    int checked = 0;
    beforeAnswer = [&](QMessageBox& alert) {
        for (const QPalette& page : {light, dark}) {
            window.setPalette(page);
            for (const QPalette::ColorRole role :
                 {QPalette::Window, QPalette::WindowText, QPalette::Button, QPalette::ButtonText})
                EXPECT_EQ(alert.palette().color(role).name(), page.color(role).name()) << role;
        }
        for (const QLabel* label : alert.findChildren<QLabel*>()) {
            if (label->text() != alert.text())
                continue;
            ++checked;
            const QFontMetrics metrics(label->font());
            for (int width = metrics.horizontalAdvance(title);
                 width <= metrics.horizontalAdvance(label->text()); ++width)
                ASSERT_TRUE(isOnOneLine(label->text(), title, label->font(), width)) << width;
        }
    };
    record();
    type({Qt::Key_V, Qt::ControlModifier, 55});
    EXPECT_EQ(alerts.size(), 1);
    EXPECT_EQ(checked, 1);
    EXPECT_EQ(getShortcut(name), optionCommand(Key::n));
}

TEST_F(RecorderTest, TheClearButtonRemovesTheShortcutAndStartsRecording)
{
    activate();
    recorder->clearAction()->trigger();
    EXPECT_EQ(getShortcut(name), std::nullopt);
    EXPECT_EQ(changes, QList<std::optional<Shortcut>>{std::nullopt});
    EXPECT_TRUE(recorder->isRecording());
    EXPECT_EQ(recorder->placeholderText(), QStringLiteral("Press Shortcut"));
}

TEST_F(RecorderTest, ARenamedFieldShowsFollowsAndRecordsTheNewNamesShortcut)
{
    const Name other(QStringLiteral("other"), optionCommand(Key::m));
    recorder->setShortcutName(other);
    EXPECT_EQ(recorder->text(), QStringLiteral("Ctrl+Alt+M"));
    setShortcut(optionCommand(Key::x), name);
    EXPECT_EQ(recorder->text(), QStringLiteral("Ctrl+Alt+M"));
    setShortcut(optionCommand(Key::y), other);
    EXPECT_EQ(recorder->text(), QStringLiteral("Ctrl+Alt+Y"));

    record();
    type({Qt::Key_N, controlAltKeys, nKeyCode});
    EXPECT_EQ(getShortcut(other), optionCommand(Key::n));
    EXPECT_EQ(getShortcut(name), optionCommand(Key::x));
    EXPECT_EQ(changes, QList<std::optional<Shortcut>>{optionCommand(Key::n)});
}

TEST_F(RecorderTest, WhileEitherOfTwoRecordersRecordsNoHotKeyIsHeldOrDelivered)
{
    int toggles = 0;
    onKeyUp(name, [&toggles] { ++toggles; });
    QList<bool> announced;
    QObject::connect(&ShortcutNotifications::instance(),
                     &ShortcutNotifications::recorderActiveStatusDidChange, &window,
                     [&announced](bool active) { announced.append(active); });
    auto* other = new Recorder(name, {}, &window);
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
    type({Qt::Key_N, controlAltKeys, nKeyCode});
    EXPECT_FALSE(isRecorderActive());
    EXPECT_EQ(announced, (QList<bool>{true, false}));
    EXPECT_TRUE(center.isHeld(nKeyCode, controlAlt));
    ASSERT_TRUE(pressAndRelease());
    EXPECT_EQ(toggles, 1);
}

} // namespace
