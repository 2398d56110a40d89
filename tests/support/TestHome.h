#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <optional>
#include <utility>

// A temporary home folder with the XDG folders inside it, which the environment points at
// while the object exists; the earlier values come back when it goes.
class TestHome
{
public:
    // Made inside `parent` when one is given, and then left there for the parent's removal:
    // objects that live until the process ends may still write into it.
    explicit TestHome(const QString& parent = {});
    ~TestHome();
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

    bool isValid() const { return m_folder.isValid(); }
    QString path() const { return m_folder.path(); }

    // From now on, every test case of the program gets a home of its own inside the current
    // one, also when the cases run one after another in one process. Call before the cases
    // run; calls after the first change nothing.
    static void givePerCaseHomes();

private:
    QTemporaryDir m_folder;
    QList<std::pair<const char*, std::optional<QByteArray>>> m_earlier;
};
