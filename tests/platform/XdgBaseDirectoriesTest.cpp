#include "platform/XdgBaseDirectories.h"
#include "platform/UserDefaults.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <functional>

namespace {

struct Case
{
    const char* variable;
    QString value;
    std::function<QString()> resolved;
    // Relative to the home folder when it does not start with "/".
    QString expected;
};

QString location(QStandardPaths::StandardLocation kind)
{
    return QStandardPaths::writableLocation(kind);
}

// Each case runs in a process of its own, so the environment it changes dies with it; the
// working folder holds each relative value as a folder that exists and is private, as Qt
// would accept it.
TEST(XdgBaseDirectoriesTest, RelativeValuesAreIgnoredAndAbsoluteOnesKept)
{
    const QString home = TestFiles::home();
    const QString elsewhere = home + QStringLiteral("/elsewhere");
    QDir().mkpath(elsewhere);
    QDir::setCurrent(elsewhere);
    const auto data = [] { return location(QStandardPaths::GenericDataLocation); };
    const auto config = [] { return location(QStandardPaths::GenericConfigLocation); };
    const auto cache = [] { return location(QStandardPaths::GenericCacheLocation); };
    const auto runtime = [] { return location(QStandardPaths::RuntimeLocation); };
    const auto settings = [] { return UserDefaults::defaultDirectory(); };
    const auto state = [] { return XdgBaseDirectories::stateHome(); };
    const std::vector<Case> cases{
        {"XDG_DATA_HOME", QStringLiteral("data"), data, QStringLiteral(".local/share")},
        {"XDG_DATA_HOME", QStringLiteral("~/data"), data, QStringLiteral(".local/share")},
        {"XDG_DATA_HOME", home + QStringLiteral("/mine"), data, QStringLiteral("mine")},
        {"XDG_CONFIG_HOME", QStringLiteral("config"), config, QStringLiteral(".config")},
        {"XDG_CONFIG_HOME", QStringLiteral("config"), settings, QStringLiteral(".config/Quillory")},
        {"XDG_CONFIG_HOME", home + QStringLiteral("/mine"), settings,
         QStringLiteral("mine/Quillory")},
        {"XDG_CACHE_HOME", QStringLiteral("cache"), cache, QStringLiteral(".cache")},
        {"XDG_STATE_HOME", QStringLiteral("state"), state, QStringLiteral(".local/state")},
        {"XDG_STATE_HOME", QString(), state, QStringLiteral(".local/state")},
        {"XDG_STATE_HOME", home + QStringLiteral("/mine"), state, QStringLiteral("mine")},
        {"XDG_RUNTIME_DIR", home + QStringLiteral("/mine"), runtime, QStringLiteral("mine")},
    };
    for (const Case& item : cases) {
        const QByteArray saved = qgetenv(item.variable);
        qputenv(item.variable, item.value.toLocal8Bit());
        if (!item.value.isEmpty()) {
            QDir().mkpath(item.value);
            QFile::setPermissions(item.value,
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        const QStringList ignored = XdgBaseDirectories::ignoreRelativePaths();
        const bool relative = !item.value.isEmpty() && !item.value.startsWith(QLatin1Char('/'));
        EXPECT_EQ(ignored,
                  relative ? QStringList{QString::fromLatin1(item.variable)} : QStringList())
            << item.variable << "=" << item.value.toStdString();
        const QString expected = item.expected.startsWith(QLatin1Char('/'))
                                     ? item.expected
                                     : home + QLatin1Char('/') + item.expected;
        EXPECT_EQ(item.resolved().toStdString(), expected.toStdString())
            << item.variable << "=" << item.value.toStdString();
        qputenv(item.variable, saved);
    }
}

// Without a usable variable Qt makes a private folder of its own; it never takes one from
// the working folder, even one that exists and is private.
TEST(XdgBaseDirectoriesTest, ARelativeRuntimeFolderIsIgnored)
{
    const QString elsewhere = TestFiles::home() + QStringLiteral("/elsewhere");
    QDir().mkpath(elsewhere + QStringLiteral("/runtime"));
    QFile::setPermissions(elsewhere + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir::setCurrent(elsewhere);
    qputenv("XDG_RUNTIME_DIR", "runtime");
    EXPECT_EQ(XdgBaseDirectories::ignoreRelativePaths(),
              QStringList{QStringLiteral("XDG_RUNTIME_DIR")});
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    EXPECT_TRUE(runtime.startsWith(QLatin1Char('/'))) << runtime.toStdString();
    EXPECT_FALSE(qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"));
}

} // namespace
