#include "TestHome.h"

#include <QDir>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

// Each variable and the folder it names inside the home; null for the home itself.
constexpr std::pair<const char*, const char*> variables[] = {
    {"HOME", nullptr},
    {"XDG_CONFIG_HOME", "/config"},
    {"XDG_DATA_HOME", "/data"},
    {"XDG_CACHE_HOME", "/cache"},
    {"XDG_STATE_HOME", "/state"},
    {"XDG_RUNTIME_DIR", "/runtime"},
    {"QUILLORY_TEST_HOME", nullptr},
};

QString folderTemplate(const QString& parent)
{
    return parent.isEmpty() ? QString() : parent + QStringLiteral("/case-XXXXXX");
}

// Each case also leaves the environment and the working folder as it found them.
class PerCaseHomes final : public testing::EmptyTestEventListener
{
public:
    void OnTestStart(const testing::TestInfo&) override
    {
        m_environment = QProcessEnvironment::systemEnvironment();
        m_workingFolder = QDir::currentPath();
        m_home.emplace(QString::fromLocal8Bit(qgetenv("QUILLORY_TEST_HOME")));
        if (!m_home->isValid())
            qFatal("cannot create a temporary home folder for the test case");
    }

    void OnTestEnd(const testing::TestInfo&) override
    {
        m_home.reset();
        QDir::setCurrent(m_workingFolder);
        for (const QString& name : QProcessEnvironment::systemEnvironment().keys()) {
            if (!m_environment.contains(name))
                qunsetenv(name.toLocal8Bit().constData());
        }
        for (const QString& name : m_environment.keys())
            qputenv(name.toLocal8Bit().constData(), m_environment.value(name).toLocal8Bit());
    }

private:
    QProcessEnvironment m_environment;
    QString m_workingFolder;
    std::optional<TestHome> m_home;
};

} // namespace

TestHome::TestHome(const QString& parent)
    : m_folder(folderTemplate(parent))
{
    if (!parent.isEmpty())
        m_folder.setAutoRemove(false);
    if (!m_folder.isValid())
        return;
    const QByteArray root = m_folder.path().toLocal8Bit();
    for (const auto& [name, folder] : variables) {
        m_earlier.append(
            {name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
        qputenv(name, folder ? root + folder : root);
    }
}

TestHome::~TestHome()
{
    for (const auto& [name, value] : m_earlier) {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
}

void TestHome::givePerCaseHomes()
{
    static const bool given =
        (testing::UnitTest::GetInstance()->listeners().Append(new PerCaseHomes), true);
    Q_UNUSED(given);
}
