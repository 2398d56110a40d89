#include "app/notes/AppSettings.h"
#include "platform/UserDefaults.h"

#include "support/MainThreadChecks.h"
#include "support/TestFiles.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

namespace {

class AppSettingsTest : public testing::Test
{
protected:
    // The earlier store writes what it owes first, as at quit.
    UserDefaults& freshDefaults()
    {
        m_defaults.reset();
        m_defaults = std::make_unique<UserDefaults>(QStringLiteral("settings"), m_folder.path());
        return *m_defaults;
    }
    AppSettings& settingsOver(const QVariantMap& stored)
    {
        UserDefaults& defaults = freshDefaults();
        for (auto it = stored.begin(); it != stored.end(); ++it)
            defaults.set(it.key(), it.value());
        m_settings = std::make_unique<AppSettings>(freshDefaults());
        return *m_settings;
    }

    QTemporaryDir m_folder;
    std::unique_ptr<UserDefaults> m_defaults;
    std::unique_ptr<AppSettings> m_settings;
};

TEST_F(AppSettingsTest, AnEmptyStoreGivesTheDefaultsAndWritesNothing)
{
    const AppSettings& settings = settingsOver({});
    EXPECT_EQ(settings.deleteAfter(), DeleteAfter::never);
    EXPECT_EQ(settings.textSize(), 14);
    EXPECT_EQ(settings.newNoteColor(), NewNoteColor::rotate());
    EXPECT_FALSE(settings.newNotePastesClipboard());
    EXPECT_TRUE(settings.pasteAsPlainText());
    EXPECT_FALSE(settings.copyNoteOnClose());
    EXPECT_TRUE(settings.updateAutomatically());
    EXPECT_TRUE(settings.sendErrorReports());
    EXPECT_EQ(settings.popoverSize(), QSizeF(280, 217));
    EXPECT_FALSE(QFileInfo::exists(m_defaults->filePath()));
}

TEST_F(AppSettingsTest, StoredValuesAreValidatedWhenRead)
{
    struct Case
    {
        QVariantMap stored;
        std::function<void(const AppSettings&)> check;
    };
    const QString size = QStringLiteral("quillory.textSize");
    const QString color = QStringLiteral("quillory.newNoteColor");
    const QString period = QStringLiteral("quillory.deleteAfter");
    const std::vector<Case> cases{
        {{{size, 9}}, [](const auto& s) { EXPECT_EQ(s.textSize(), 14); }},
        {{{size, 25}}, [](const auto& s) { EXPECT_EQ(s.textSize(), 14); }},
        {{{size, 24}}, [](const auto& s) { EXPECT_EQ(s.textSize(), 24); }},
        {{{color, QStringLiteral("rotate")}},
         [](const auto& s) { EXPECT_EQ(s.newNoteColor(), NewNoteColor::rotate()); }},
        {{{color, QStringLiteral("Teal")}},
         [](const auto& s) { EXPECT_EQ(s.newNoteColor(), NewNoteColor::rotate()); }},
        {{{color, QStringLiteral("teal")}},
         [](const auto& s) { EXPECT_EQ(s.newNoteColor(), NewNoteColor::fixed(Hue::teal)); }},
        {{{period, QStringLiteral("1w")}},
         [](const auto& s) { EXPECT_EQ(s.deleteAfter(), DeleteAfter::week); }},
        {{{period, QStringLiteral("2w")}},
         [](const auto& s) { EXPECT_EQ(s.deleteAfter(), DeleteAfter::never); }},
        {{{period, 3600}}, [](const auto& s) { EXPECT_EQ(s.deleteAfter(), DeleteAfter::never); }},
    };
    for (const Case& testCase : cases)
        testCase.check(settingsOver(testCase.stored));
}

TEST_F(AppSettingsTest, PopoverSizeIsClampedAndNonFiniteValuesReadAsTheDefault)
{
    const QString width = QStringLiteral("quillory.popoverWidth");
    const QString height = QStringLiteral("quillory.popoverHeight");
    EXPECT_EQ(settingsOver({{width, 100.0}, {height, 100.0}}).popoverSize(), QSizeF(240, 180));
    EXPECT_EQ(settingsOver({{width, 1000.0}, {height, 1000.0}}).popoverSize(), QSizeF(520, 640));
    EXPECT_EQ(settingsOver({{width, 300.5}, {height, 400.25}}).popoverSize(),
              QSizeF(300.5, 400.25));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(settingsOver({{width, nan}, {height, infinity}}).popoverSize(), QSizeF(280, 217));
    EXPECT_EQ(settingsOver({{width, -infinity}, {height, nan}}).popoverSize(), QSizeF(280, 217));
}

TEST_F(AppSettingsTest, SettersWriteTheirKeysAtOnceWithoutValidating)
{
    AppSettings& settings = settingsOver({});
    QSignalSpy sizeChanged(&settings, &AppSettings::popoverSizeChanged);
    settings.setDeleteAfter(DeleteAfter::month);
    settings.setNewNoteColor(NewNoteColor::fixed(Hue::mint));
    settings.setCopyNoteOnClose(true);
    settings.setPopoverSize(QSizeF(1000, 217));
    EXPECT_EQ(sizeChanged.count(), 1);

    m_defaults->synchronize();
    UserDefaults reread(QStringLiteral("settings"), m_folder.path());
    EXPECT_EQ(reread.object(QStringLiteral("quillory.deleteAfter")),
              QVariant(QStringLiteral("30d")));
    EXPECT_EQ(reread.object(QStringLiteral("quillory.newNoteColor")),
              QVariant(QStringLiteral("mint")));
    EXPECT_EQ(reread.object(QStringLiteral("quillory.copyNoteOnClose")), QVariant(true));
    // Both dimensions are written even though only the width changed, and unclamped.
    EXPECT_EQ(reread.object(QStringLiteral("quillory.popoverWidth")), QVariant(1000.0));
    EXPECT_EQ(reread.object(QStringLiteral("quillory.popoverHeight")), QVariant(217.0));

    // Read back at the next start, the width is clamped.
    EXPECT_EQ(AppSettings(reread).popoverSize(), QSizeF(520, 217));
}

TEST_F(AppSettingsTest, SettingTheValueAlreadyHeldIsToldAndWrittenAsAnyOther)
{
    AppSettings& s = settingsOver({});
    int told = 0;
    const auto tell = [&told] { ++told; };
    QObject::connect(&s, &AppSettings::deleteAfterChanged, tell);
    QObject::connect(&s, &AppSettings::textSizeChanged, tell);
    QObject::connect(&s, &AppSettings::newNoteColorChanged, tell);
    QObject::connect(&s, &AppSettings::newNotePastesClipboardChanged, tell);
    QObject::connect(&s, &AppSettings::pasteAsPlainTextChanged, tell);
    QObject::connect(&s, &AppSettings::copyNoteOnCloseChanged, tell);
    QObject::connect(&s, &AppSettings::updateAutomaticallyChanged, tell);
    QObject::connect(&s, &AppSettings::sendErrorReportsChanged, tell);
    QObject::connect(&s, &AppSettings::popoverSizeChanged, tell);
    s.setDeleteAfter(s.deleteAfter());
    s.setTextSize(s.textSize());
    s.setNewNoteColor(s.newNoteColor());
    s.setNewNotePastesClipboard(s.newNotePastesClipboard());
    s.setPasteAsPlainText(s.pasteAsPlainText());
    s.setCopyNoteOnClose(s.copyNoteOnClose());
    s.setUpdateAutomatically(s.updateAutomatically());
    s.setSendErrorReports(s.sendErrorReports());
    s.setPopoverSize(s.popoverSize());
    EXPECT_EQ(told, 9);

    // Until now only the registered defaults answered for the keys.
    m_defaults->synchronize();
    EXPECT_EQ(
        UserDefaults(QStringLiteral("settings"), m_folder.path()).dictionaryRepresentation().size(),
        10);
}

TEST_F(AppSettingsTest, EachEntryChecksItRunsOnTheMainThread)
{
    // At the largest size, where a step up sets nothing.
    AppSettings& settings = settingsOver({{QStringLiteral("quillory.textSize"), 24}});
    UserDefaults& defaults = *m_defaults;
    expectEachCaughtOffTheMainThread({
        {"constructor", [&defaults] { AppSettings{defaults}; }},
        {"a setter", [&settings] { settings.setTextSize(12); }},
        {"stepTextSize", [&settings] { settings.stepTextSize(+1); }},
    });
}

TEST_F(AppSettingsTest, StepTextSizeStaysWithinTheOfferedSizes)
{
    AppSettings& settings = settingsOver({{QStringLiteral("quillory.textSize"), 24}});
    QSignalSpy changed(&settings, &AppSettings::textSizeChanged);
    settings.stepTextSize(+1);
    EXPECT_EQ(settings.textSize(), 24);
    EXPECT_EQ(changed.count(), 0);
    settings.stepTextSize(-1);
    EXPECT_EQ(settings.textSize(), 23);
    m_defaults->synchronize();
    EXPECT_EQ(UserDefaults(QStringLiteral("settings"), m_folder.path())
                  .integer(QStringLiteral("quillory.textSize")),
              23);

    settings.setTextSize(10);
    m_defaults->remove(QStringLiteral("quillory.textSize"));
    settings.stepTextSize(-1);
    EXPECT_EQ(settings.textSize(), 10);
    m_defaults->synchronize();
    EXPECT_FALSE(UserDefaults(QStringLiteral("settings"), m_folder.path())
                     .object(QStringLiteral("quillory.textSize"))
                     .isValid());

    EXPECT_EQ(AppSettings::textSizes().front(), 10);
    EXPECT_EQ(AppSettings::textSizes().back(), 24);
    EXPECT_EQ(AppSettings::textSizes().size(), 15u);
}

} // namespace
