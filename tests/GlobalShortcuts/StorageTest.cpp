#include "ShortcutFixture.h"

#include "platform/UserDefaults.h"

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

    static QVariant stored(const QString& rawValue)
    {
        return UserDefaults::standard().object(Name::storagePrefix + rawValue);
    }

    QObject receiver;
    QStringList posted;
};

TEST_F(Storage, DefaultIsStoredOnceAsAJsonString)
{
    const Name first(QStringLiteral("togglePopover"), optionCommand(Key::n));
    const QVariant value = stored(QStringLiteral("togglePopover"));
    ASSERT_EQ(value.metaType().id(), QMetaType::QString);
    EXPECT_EQ(Shortcut::fromJson(value.toString().toUtf8()), Shortcut(45, 2304));
    EXPECT_EQ(posted, QStringList{QStringLiteral("togglePopover")});
    EXPECT_TRUE(center.isHeld(nKeyCode, controlAlt));
    EXPECT_TRUE(registeredShortcuts().contains(Shortcut(45, 2304)));

    const Name second(QStringLiteral("togglePopover"), optionCommand(Key::m));
    EXPECT_EQ(getShortcut(second), Shortcut(45, 2304));
    EXPECT_EQ(posted.size(), 1);
    EXPECT_EQ(center.registrationCount(), 1);
}

TEST_F(Storage, AClearedDefaultStaysClearedAtTheNextStart)
{
    const Name name(QStringLiteral("togglePopover"), optionCommand(Key::n));
    name.setShortcut(std::nullopt);
    EXPECT_EQ(stored(QStringLiteral("togglePopover")), QVariant(false));
    EXPECT_FALSE(center.isHeld(nKeyCode, controlAlt));
    EXPECT_FALSE(registeredShortcuts().contains(Shortcut(45, 2304)));
    EXPECT_EQ(posted.size(), 2);

    // What the next start reads from disk.
    UserDefaults reloaded(UserDefaults::standard().domain(), UserDefaults::defaultDirectory());
    EXPECT_EQ(reloaded.object(name.storageKey()), QVariant(false));
    const Name again(QStringLiteral("togglePopover"), optionCommand(Key::n));
    EXPECT_EQ(getShortcut(again), std::nullopt);
    EXPECT_EQ(posted.size(), 2);
}

TEST_F(Storage, ClearingWithoutAStoredShortcutChangesNothing)
{
    const Name name(QStringLiteral("plain"));
    setShortcut(std::nullopt, name);
    EXPECT_TRUE(posted.isEmpty());
    EXPECT_FALSE(userDefaultsContains(name));

    UserDefaults::standard().set(name.storageKey(), QStringLiteral("{}"));
    setShortcut(std::nullopt, name);
    EXPECT_TRUE(posted.isEmpty());
    EXPECT_EQ(stored(QStringLiteral("plain")), QVariant(QStringLiteral("{}")));
}

TEST_F(Storage, ANameWithoutDefaultLosesItsKeyWhenCleared)
{
    const Name name(QStringLiteral("plain"));
    name.setShortcut(optionCommand(Key::m));
    EXPECT_TRUE(center.isHeld(mKeyCode, controlAlt));
    name.setShortcut(std::nullopt);
    EXPECT_FALSE(userDefaultsContains(name));
    EXPECT_FALSE(center.isHeld(mKeyCode, controlAlt));
    EXPECT_EQ(posted, QStringList(2, QStringLiteral("plain")));
}

TEST_F(Storage, UnreadableValuesReadAsNoShortcutAndBlockTheDefault)
{
    const QVariant unreadable[] = {
        QVariant(QStringLiteral("{}")), QVariant(QStringLiteral("not json")), QVariant(qint64(45)),
        QVariant(QByteArray(R"({"carbonKeyCode":45,"carbonModifiers":0})")), QVariant(true)};
    for (const QVariant& value : unreadable) {
        UserDefaults::standard().set(QStringLiteral("GlobalShortcuts_odd"), value);
        const Name name(QStringLiteral("odd"), optionCommand(Key::n));
        EXPECT_EQ(name.shortcut(), std::nullopt) << value.toString().toStdString();
        EXPECT_EQ(stored(QStringLiteral("odd")), value);
    }
    EXPECT_TRUE(posted.isEmpty());
    EXPECT_EQ(center.registrationCount(), 0);
}

TEST_F(Storage, StoringAgainRegistersUnderANewIdentifierAndPosts)
{
    const Name name(QStringLiteral("toggle"), optionCommand(Key::n));
    const quint32 firstId = center.hotKeys().begin()->first;
    name.setShortcut(optionCommand(Key::n));
    ASSERT_EQ(center.hotKeys().size(), 1u);
    EXPECT_GT(center.hotKeys().begin()->first, firstId);
    EXPECT_EQ(posted.size(), 2);

    name.setShortcut(optionCommand(Key::m));
    EXPECT_FALSE(center.isHeld(nKeyCode, controlAlt));
    EXPECT_TRUE(center.isHeld(mKeyCode, controlAlt));
    EXPECT_EQ(registeredShortcuts(), QSet<Shortcut>{optionCommand(Key::m)});
}

TEST_F(Storage, NamesSharingAShortcutShareOneHotKey)
{
    const Name first(QStringLiteral("first"), optionCommand(Key::n));
    const Name second(QStringLiteral("second"), optionCommand(Key::n));
    EXPECT_EQ(center.hotKeys().size(), 1u);
    // Changing either gives the shared hot key up for both, until it is taken again.
    second.setShortcut(optionCommand(Key::m));
    EXPECT_FALSE(center.isHeld(nKeyCode, controlAlt));
    EXPECT_EQ(first.shortcut(), optionCommand(Key::n));
    EXPECT_FALSE(isEnabled(first));
    enable({first});
    EXPECT_TRUE(center.isHeld(nKeyCode, controlAlt));
    EXPECT_TRUE(isEnabled(first));
}

TEST_F(Storage, ResetPostsForNamesWithDefaultsAndClearsOthers)
{
    const Name withDefault(QStringLiteral("withDefault"), optionCommand(Key::n));
    const Name plain(QStringLiteral("plain"));
    plain.setShortcut(optionCommand(Key::m));
    posted.clear();

    reset({withDefault, plain, Name(QStringLiteral("nothing"))});
    EXPECT_EQ(posted, (QStringList{QStringLiteral("withDefault"), QStringLiteral("plain")}));
    EXPECT_EQ(withDefault.shortcut(), optionCommand(Key::n));
    EXPECT_FALSE(userDefaultsContains(plain));
    EXPECT_TRUE(center.isHeld(nKeyCode, controlAlt));
    EXPECT_FALSE(center.isHeld(mKeyCode, controlAlt));
}

TEST_F(Storage, ResetAllClearsEveryReadableStoredShortcut)
{
    resetAll();
    EXPECT_TRUE(posted.isEmpty());

    const Name withDefault(QStringLiteral("withDefault"), optionCommand(Key::n));
    const Name plain(QStringLiteral("plain"));
    plain.setShortcut(optionCommand(Key::m));
    const Name cleared(QStringLiteral("cleared"), optionCommand(Key::a));
    cleared.setShortcut(std::nullopt);
    UserDefaults::standard().set(QStringLiteral("unrelated"), QStringLiteral("kept"));
    posted.clear();

    EXPECT_EQ(storedNames(), (QSet<Name>{withDefault, plain, cleared}));
    resetAll();
    EXPECT_EQ(QSet<QString>(posted.begin(), posted.end()),
              (QSet<QString>{QStringLiteral("withDefault"), QStringLiteral("plain")}));
    EXPECT_FALSE(userDefaultsContains(withDefault));
    EXPECT_FALSE(userDefaultsContains(plain));
    EXPECT_EQ(UserDefaults::standard().object(cleared.storageKey()), QVariant(false));
    EXPECT_TRUE(center.hotKeys().empty());
    // The default comes back when the name is next made.
    EXPECT_EQ(Name(QStringLiteral("withDefault"), optionCommand(Key::n)).shortcut(),
              optionCommand(Key::n));
}

TEST_F(Storage, NamesAreEqualByRawValueOnly)
{
    const Name withDefault(QStringLiteral("same"), optionCommand(Key::n));
    const Name without(QStringLiteral("same"));
    EXPECT_EQ(withDefault, without);
    EXPECT_EQ(qHash(withDefault), qHash(without));
    EXPECT_EQ(QSet<Name>({withDefault, without}).size(), 1);
}

} // namespace
