#pragma once

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QVariant>

// A persistent key-value domain, one JSON file per domain under $XDG_CONFIG_HOME/Quillory/.
//
// Values keep their type exactly across a restart: bool, integer (64-bit), double (including
// non-finite ones), string, data, array and dictionary (whose members are values too).
// Registered defaults answer reads of absent keys and are never written. Every change is
// written at once, atomically. All members are thread-safe.
class UserDefaults
{
public:
    // Reads the domain's file at once. A file that cannot be read as a domain is moved aside,
    // logged, and the domain starts empty.
    UserDefaults(const QString& domain, const QString& directory);
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // The application's own domain.
    static UserDefaults& standard();
    // A named domain shared by everyone who asks for that name; null for a name that cannot
    // be a file name (empty, or containing "/").
    static UserDefaults* suite(const QString& name);
    static QString defaultDirectory();

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

    // Exposed for tests of the file form.
    static bool isStorable(const QVariant& value);

private:
    void load();
    bool write() const;

    const QString m_domain;
    const QString m_directory;
    mutable QMutex m_mutex;
    QVariantMap m_values;
    QVariantMap m_registered;
    // Set when an unreadable file could not be moved aside: it is then never overwritten.
    bool m_keepsUnreadableFile = false;
};
