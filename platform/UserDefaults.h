#pragma once

#include "platform/Scheduler.h"

#include <QByteArray>
#include <QJsonObject>
#include <QMutex>
#include <QString>
#include <QVariant>

#include <memory>

class FileWriteQueue;
class MainQueue;

// A persistent key-value domain, one JSON file per domain under $XDG_CONFIG_HOME/Quillory/.
//
// Values keep their type exactly across a restart: bool, integer (64-bit), double (including
// non-finite ones), string, data, array and dictionary (whose members are values too).
// Registered defaults answer reads of absent keys and are never written. Changes take effect
// in memory at once and reach the file atomically, at most once per coalescing interval: the
// first change after a quiet spell at once, the ones that follow within the interval together
// when it ends, so a domain written many times a second costs one write every few seconds.
// The file is written through a write queue, so a slow disk holds up no caller.
// All members are thread-safe; the object is destroyed on the main thread.
class UserDefaults
{
public:
    static constexpr std::chrono::seconds coalescingInterval{5};

    // Reads the domain's file at once. A file that is not a JSON object is moved aside,
    // logged, and the domain starts empty; a single value that cannot be read is logged and
    // left in the file untouched, and its key reads as absent. The interval's timer runs on
    // the main thread's scheduler, armed through its main queue. The first form writes
    // through the default write queue.
    UserDefaults(const QString& domain, const QString& directory);
    UserDefaults(const QString& domain, const QString& directory, Scheduler& scheduler,
                 MainQueue& mainQueue, FileWriteQueue& writeQueue);
    // Writes what is still owed.
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // The application's own domain.
    static UserDefaults& standard();
    // A named domain shared by everyone who asks for that name; null for a name that cannot
    // be a file name (empty, or containing "/").
    static UserDefaults* suite(const QString& name);
    // Where standard() and the suites keep their files: the user's own folder unless another
    // is set, once, before any of them is first used.
    static QString defaultDirectory();
    static void setDefaultDirectory(const QString& directory);
    // What standard(), the suites and the first constructor write through: files written at
    // once unless another queue is set, once, before any of them is first used.
    static FileWriteQueue& defaultWriteQueue();
    static void setDefaultWriteQueue(FileWriteQueue& writeQueue);

    QString domain() const { return m_domain; }
    QString filePath() const;

    // The stored value, else the registered default, else an invalid QVariant.
    QVariant object(const QString& key) const;
    bool boolValue(const QString& key) const;
    qint64 integer(const QString& key) const;
    double doubleValue(const QString& key) const;
    QString string(const QString& key) const;
    QByteArray data(const QString& key) const;
    QVariantList array(const QString& key) const;
    QVariantMap dictionary(const QString& key) const;
    // Every key with its value: the stored ones, and the registered defaults of the others.
    QVariantMap dictionaryRepresentation() const;

    // Stores a value; an invalid QVariant removes the key. Values of types that cannot be
    // stored are refused and logged.
    void set(const QString& key, const QVariant& value);
    void remove(const QString& key);
    void registerDefaults(const QVariantMap& defaults);

    // Forgets every stored value of this domain and deletes its file.
    void removePersistentDomain();
    // Hands the changes not yet in the file to the write queue at once: at quit, so that
    // nothing is lost. Waiting for the queue is the caller's.
    void synchronize();

    // Exposed for tests of the file form.
    static bool isStorable(const QVariant& value);

private:
    void load();
    // With the mutex held: writes now, or owes the write to the end of the interval.
    void persist();
    void startInterval();
    void finishInterval();
    void write() const;

    const QString m_domain;
    const QString m_directory;
    Scheduler& m_scheduler;
    MainQueue& m_mainQueue;
    FileWriteQueue& m_writeQueue;
    mutable QMutex m_mutex;
    QVariantMap m_values;
    QVariantMap m_registered;
    // Members of the file this program cannot read, written back as they were found.
    QJsonObject m_unreadable;
    // Set when an unreadable file could not be moved aside: it is then never overwritten.
    bool m_keepsUnreadableFile = false;
    bool m_inInterval = false;
    bool m_writeOwed = false;
    // Main thread only.
    Scheduler::Task m_interval;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
