#include "ShortcutFixture.h"

#include "platform/UserDefaults.h"
#include "support/LogCapture.h"

#include <QFileInfo>

using namespace GlobalShortcuts;

namespace {

class Storage : public ShortcutFixture
{
protected:
    void SetUp() override
    {
        ShortcutFixture::SetUp();
        QObject::connect(&ShortcutNotifications::instance(),
                         &ShortcutNotifications::shortcutByNameDidChange, &receiver,
                         [this](const Name& name) { posted.append(name.rawValue()); });
    }

    static QVariant stored(const Name& name)
    {
        return UserDefaults::standard().object(name.storageKey());
    }

    bool held(quint32 keyCode = nKeyCode) const { return center.isHeld(keyCode, controlAlt); }

    QObject receiver;
    QStringList posted;
};

TEST_F(Storage, TheDefaultIsStoredOnceAndAClearedDefaultStaysClearedAtTheNextStart)
{
    const Name name(QStringLiteral("togglePopover"), optionCommand(Key::n));
    const QVariant value = stored(name);
    ASSERT_EQ(value.metaType().id(), QMetaType::QString);
    EXPECT_EQ(Shortcut::fromJson(value.toString().toUtf8()), Shortcut(45, 2304));
    EXPECT_EQ(posted, QStringList{QStringLiteral("togglePopover")});
    EXPECT_TRUE(held());
    EXPECT_TRUE(registeredShortcuts().contains(Shortcut(45, 2304)));
    // Made again with another default: the stored one stands.
    EXPECT_EQ(getShortcut(Name(QStringLiteral("togglePopover"), optionCommand(Key::m))),
              Shortcut(45, 2304));
    EXPECT_EQ(posted.size(), 1);
    EXPECT_EQ(center.registrationCount(), 1);

    name.setShortcut(std::nullopt);
    EXPECT_EQ(stored(name), QVariant(false));
    EXPECT_FALSE(held());
    EXPECT_FALSE(registeredShortcuts().contains(Shortcut(45, 2304)));
    EXPECT_EQ(posted.size(), 2);
    // What the next start reads from disk, once the quit wrote what was owed.
    UserDefaults::standard().synchronize();
    UserDefaults reloaded(UserDefaults::standard().domain(), UserDefaults::defaultDirectory());
    EXPECT_EQ(reloaded.object(name.storageKey()), QVariant(false));
    EXPECT_EQ(getShortcut(Name(QStringLiteral("togglePopover"), optionCommand(Key::n))),
              std::nullopt);
    EXPECT_EQ(posted.size(), 2);
}

TEST_F(Storage, ANameWithoutDefaultLosesItsKeyWhenClearedAndClearingNothingChangesNothing)
{
    const Name name(QStringLiteral("plain"));
    setShortcut(std::nullopt, name);
    EXPECT_TRUE(posted.isEmpty());
    EXPECT_FALSE(userDefaultsContains(name));

    name.setShortcut(optionCommand(Key::m));
    EXPECT_TRUE(held(mKeyCode));
    name.setShortcut(std::nullopt);
    EXPECT_FALSE(userDefaultsContains(name));
    EXPECT_FALSE(held(mKeyCode));
    EXPECT_EQ(posted, QStringList(2, QStringLiteral("plain")));

    UserDefaults::standard().set(name.storageKey(), QStringLiteral("{}"));
    setShortcut(std::nullopt, name);
    EXPECT_EQ(posted.size(), 2);
    EXPECT_EQ(stored(name), QVariant(QStringLiteral("{}")));
}

// A value that is no shortcut at all reads as none, keeps the default out and stays as it was
// written; a readable shortcut that could not be taken gives way to the default. Both are logged.
TEST_F(Storage, AStoredValueThatIsNoShortcutStaysAndOneThatCannotBeUsedGivesWayToTheDefault)
{
    const Shortcut fallback = optionCommand(Key::n);
    enum class Outcome { kept, unreadable, replaced };
    const struct
    {
        QVariant value;
        Outcome outcome;
        std::optional<Shortcut> shortcut;
    } table[]{
        {QStringLiteral("garbage"), Outcome::unreadable, std::nullopt},
        {QStringLiteral("{}"), Outcome::unreadable, std::nullopt},
        {QStringLiteral(R"({"carbonKeyCode":"46","carbonModifiers":2304})"), Outcome::unreadable,
         std::nullopt},
        {qint64(45), Outcome::unreadable, std::nullopt},
        {true, Outcome::unreadable, std::nullopt},
        {QStringLiteral(R"({"carbonKeyCode":99999,"carbonModifiers":2304})"), Outcome::replaced,
         fallback},
        {QStringLiteral(R"({"carbonKeyCode":46,"carbonModifiers":99999999})"), Outcome::replaced,
         fallback},
        {QStringLiteral(R"({"carbonKeyCode":46,"carbonModifiers":-1})"), Outcome::replaced,
         fallback},
        {false, Outcome::kept, std::nullopt},
        {QStringLiteral(R"({"carbonKeyCode":46,"carbonModifiers":2304})"), Outcome::kept,
         optionCommand(Key::m)},
    };
    for (const auto& [value, outcome, shortcut] : table) {
        SCOPED_TRACE(value.toString().toStdString());
        UserDefaults::standard().set(QStringLiteral("GlobalShortcuts_togglePopover"), value);
        posted.clear();
        LogCapture log;
        const Name name(QStringLiteral("togglePopover"), fallback);
        const bool replaced = outcome == Outcome::replaced;
        EXPECT_EQ(name.shortcut(), shortcut);
        EXPECT_EQ(stored(name) == value, !replaced);
        EXPECT_EQ(isEnabled(name), replaced);
        EXPECT_EQ(held(), replaced);
        EXPECT_EQ(posted.size(), replaced ? 1 : 0);
        EXPECT_EQ(log.matching(QStringLiteral("\"togglePopover\"")).size(),
                  outcome == Outcome::kept ? 0 : 1);
        EXPECT_EQ(log.matching(QStringLiteral("cannot be read")).size(),
                  outcome == Outcome::unreadable ? 1 : 0);
        // What the next start reads.
        UserDefaults& standard = UserDefaults::standard();
        standard.synchronize();
        UserDefaults reloaded(standard.domain(), QFileInfo(standard.filePath()).path());
        EXPECT_EQ(reloaded.object(name.storageKey()), stored(name));
        forgetEveryShortcut();
    }
}

// What is stored passes the rule of recording: a plain letter would be taken from every
// application, so the default stands in for it.
TEST_F(Storage, AStoredShortcutNeedsAModifierUnlessItsKeyIsAFunctionKey)
{
    const Shortcut fallback = optionCommand(Key::n);
    const struct
    {
        Key key;
        int carbonModifiers;
        bool kept;
    } table[]{
        {Key::n, 0, false},
        {Key::n, CarbonModifier::shift, false},
        {Key::n, CarbonModifier::function, false},
        {Key::n, CarbonModifier::alphaLock | CarbonModifier::shift, false},
        {Key::space, 0, false},
        {Key::escape, 0, false},
        {Key::m, CarbonModifier::command, true},
        {Key::m, CarbonModifier::option, true},
        {Key::m, CarbonModifier::control | CarbonModifier::shift, true},
        {Key::f5, 0, true},
        {Key::f5, CarbonModifier::shift, true},
        {Key::f20, CarbonModifier::function, true},
    };
    for (const auto& row : table) {
        const Shortcut stored(row.key.rawValue, row.carbonModifiers);
        SCOPED_TRACE(stored.toJson().toStdString());
        UserDefaults::standard().set(QStringLiteral("GlobalShortcuts_togglePopover"),
                                     QString::fromUtf8(stored.toJson()));
        LogCapture log;
        const Name name(QStringLiteral("togglePopover"), fallback);
        EXPECT_EQ(name.shortcut(), row.kept ? stored : fallback);
        EXPECT_EQ(log.matching(QStringLiteral("\"togglePopover\"")).size(), row.kept ? 0 : 1);
    }
}

TEST_F(Storage, StoringAgainRegistersAnewAndNamesSharingAShortcutShareOneHotKey)
{
    const Name first(QStringLiteral("first"), optionCommand(Key::n));
    const Name second(QStringLiteral("second"), optionCommand(Key::n));
    EXPECT_EQ(center.hotKeys().size(), 1u);
    const quint32 firstId = center.hotKeys().begin()->first;
    first.setShortcut(optionCommand(Key::n));
    ASSERT_EQ(center.hotKeys().size(), 1u);
    EXPECT_GT(center.hotKeys().begin()->first, firstId);
    EXPECT_EQ(posted.size(), 3);

    // Changing either gives the shared hot key up for both, until it is taken again.
    second.setShortcut(optionCommand(Key::m));
    EXPECT_FALSE(held());
    EXPECT_TRUE(held(mKeyCode));
    EXPECT_EQ(registeredShortcuts(), QSet<Shortcut>{optionCommand(Key::m)});
    EXPECT_EQ(first.shortcut(), optionCommand(Key::n));
    EXPECT_FALSE(isEnabled(first));
    enable({first});
    EXPECT_TRUE(held());
    EXPECT_TRUE(isEnabled(first));
}

TEST_F(Storage, ResetRestoresDefaultsAndResetAllClearsEveryReadableStoredShortcut)
{
    resetAll();
    EXPECT_TRUE(posted.isEmpty());
    const Name withDefault(QStringLiteral("withDefault"), optionCommand(Key::n));
    const Name plain(QStringLiteral("plain"));
    plain.setShortcut(optionCommand(Key::m));
    posted.clear();
    reset({withDefault, plain, Name(QStringLiteral("nothing"))});
    EXPECT_EQ(posted, (QStringList{QStringLiteral("withDefault"), QStringLiteral("plain")}));
    EXPECT_EQ(withDefault.shortcut(), optionCommand(Key::n));
    EXPECT_FALSE(userDefaultsContains(plain));
    EXPECT_TRUE(held());
    EXPECT_FALSE(held(mKeyCode));

    plain.setShortcut(optionCommand(Key::m));
    const Name cleared(QStringLiteral("cleared"), optionCommand(Key::a));
    cleared.setShortcut(std::nullopt);
    UserDefaults::standard().set(QStringLiteral("unrelated"), QStringLiteral("kept"));
    posted.clear();
    // Names are equal by raw value only.
    EXPECT_EQ(storedNames(), (QSet<Name>{withDefault, Name(QStringLiteral("plain")), cleared}));
    resetAll();
    EXPECT_EQ(QSet<QString>(posted.begin(), posted.end()),
              (QSet<QString>{QStringLiteral("withDefault"), QStringLiteral("plain")}));
    EXPECT_FALSE(userDefaultsContains(withDefault));
    EXPECT_FALSE(userDefaultsContains(plain));
    EXPECT_EQ(stored(cleared), QVariant(false));
    EXPECT_TRUE(center.hotKeys().empty());
    // The default comes back when the name is next made.
    EXPECT_EQ(Name(QStringLiteral("withDefault"), optionCommand(Key::n)).shortcut(),
              optionCommand(Key::n));
}

} // namespace
