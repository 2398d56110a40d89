#include "UserDefaults.h"

#include "AsideFile.h"
#include "FileWriteQueue.h"
#include "Log.h"
#include "MainQueue.h"
#include "StoredFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <optional>

namespace {

const Log defaultsLog("quillory.defaults");

// Each value is written as an object with one member whose name tells the type, so that an
// integer stays an integer, data stays data, and doubles such as 2.0 or NaN survive JSON.
const QString boolTag = QStringLiteral("bool");
const QString intTag = QStringLiteral("int");
const QString doubleTag = QStringLiteral("double");
const QString stringTag = QStringLiteral("string");
const QString dataTag = QStringLiteral("data");
const QString arrayTag = QStringLiteral("array");
const QString dictionaryTag = QStringLiteral("dict");

// Converts a value to its stored form: integers widen to qint64, floats to double, string
// lists to lists. Returns nothing for a value that cannot be stored.
std::optional<QVariant> storable(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return value;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
        return QVariant(value.toLongLong());
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        if (value.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return QVariant(value.toLongLong());
    case QMetaType::Float:
        return QVariant(value.toDouble());
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        QVariantList list;
        for (const QVariant& item : value.toList()) {
            auto converted = storable(item);
            if (!converted)
                return std::nullopt;
            list.append(*converted);
        }
        return list;
    }
    case QMetaType::QVariantMap: {
        QVariantMap map;
        const QVariantMap source = value.toMap();
        for (auto it = source.begin(); it != source.end(); ++it) {
            auto converted = storable(it.value());
            if (!converted)
                return std::nullopt;
            map.insert(it.key(), *converted);
        }
        return map;
    }
    default:
        return std::nullopt;
    }
}

QJsonValue encodeDouble(double value)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    return value;
}

std::optional<double> decodeDouble(const QJsonValue& value)
{
    if (value.isDouble())
        return value.toDouble();
    const QString text = value.toString();
    if (text == QLatin1String("nan"))
        return std::numeric_limits<double>::quiet_NaN();
    if (text == QLatin1String("inf"))
        return std::numeric_limits<double>::infinity();
    if (text == QLatin1String("-inf"))
        return -std::numeric_limits<double>::infinity();
    return std::nullopt;
}

// Written by this program as text; written by hand, often as a plain number, which counts
// when it is whole.
std::optional<qint64> decodeInteger(const QJsonValue& value)
{
    if (value.isString()) {
        bool ok = false;
        const qint64 number = value.toString().toLongLong(&ok);
        return ok ? std::optional(number) : std::nullopt;
    }
    const qint64 whole = value.toInteger();
    if (value.isDouble() && double(whole) == value.toDouble())
        return whole;
    return std::nullopt;
}

QJsonObject encode(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return {{boolTag, value.toBool()}};
    case QMetaType::LongLong:
        // As text: JSON readers commonly hold numbers as doubles, which lose large integers.
        return {{intTag, QString::number(value.toLongLong())}};
    case QMetaType::Double:
        return {{doubleTag, encodeDouble(value.toDouble())}};
    case QMetaType::QString:
        return {{stringTag, value.toString()}};
    case QMetaType::QByteArray:
        return {{dataTag, QString::fromLatin1(value.toByteArray().toBase64())}};
    case QMetaType::QVariantList: {
        QJsonArray array;
        for (const QVariant& item : value.toList())
            array.append(encode(item));
        return {{arrayTag, array}};
    }
    default: {
        QJsonObject object;
        const QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it)
            object.insert(it.key(), encode(it.value()));
        return {{dictionaryTag, object}};
    }
    }
}

std::optional<QVariant> decode(const QJsonValue& stored)
{
    const QJsonObject object = stored.toObject();
    if (object.size() != 1)
        return std::nullopt;
    const QString tag = object.begin().key();
    const QJsonValue value = object.begin().value();
    if (tag == boolTag && value.isBool())
        return QVariant(value.toBool());
    if (tag == intTag) {
        const auto number = decodeInteger(value);
        return number ? std::optional<QVariant>(QVariant(*number)) : std::nullopt;
    }
    if (tag == doubleTag) {
        const auto number = decodeDouble(value);
        return number ? std::optional<QVariant>(QVariant(*number)) : std::nullopt;
    }
    if (tag == stringTag && value.isString())
        return QVariant(value.toString());
    if (tag == dataTag && value.isString()) {
        auto bytes = QByteArray::fromBase64Encoding(value.toString().toLatin1(),
                                                    QByteArray::AbortOnBase64DecodingErrors);
        return bytes ? std::optional<QVariant>(QVariant(*bytes)) : std::nullopt;
    }
    if (tag == arrayTag && value.isArray()) {
        QVariantList list;
        for (const QJsonValue& item : value.toArray()) {
            auto decoded = decode(item);
            if (!decoded)
                return std::nullopt;
            list.append(*decoded);
        }
        return list;
    }
    if (tag == dictionaryTag && value.isObject()) {
        QVariantMap map;
        const QJsonObject members = value.toObject();
        for (auto it = members.begin(); it != members.end(); ++it) {
            auto decoded = decode(it.value());
            if (!decoded)
                return std::nullopt;
            map.insert(it.key(), *decoded);
        }
        return map;
    }
    return std::nullopt;
}

// Set once at start, before any domain exists and before any other thread runs.
QString& defaultDirectoryOverride()
{
    static QString directory;
    return directory;
}

FileWriteQueue*& defaultWriteQueueOverride()
{
    static FileWriteQueue* queue = nullptr;
    return queue;
}

bool isValidDomainName(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QLatin1String(".") &&
           name != QLatin1String("..");
}

} // namespace

UserDefaults::UserDefaults(const QString& domain, const QString& directory)
    : UserDefaults(domain, directory, Scheduler::system(), MainQueue::system(), defaultWriteQueue())
{}

UserDefaults::UserDefaults(const QString& domain, const QString& directory, Scheduler& scheduler,
                           MainQueue& mainQueue, FileWriteQueue& writeQueue)
    : m_domain(domain)
    , m_directory(directory)
    , m_scheduler(scheduler)
    , m_mainQueue(mainQueue)
    , m_writeQueue(writeQueue)
{
    load();
}

UserDefaults::~UserDefaults()
{
    synchronize();
}

UserDefaults& UserDefaults::standard()
{
    // Never destroyed: its owner writes what is owed at quit, and no timer may outlive Qt.
    static auto* defaults = new UserDefaults(QStringLiteral("settings"), defaultDirectory());
    return *defaults;
}

UserDefaults* UserDefaults::suite(const QString& name)
{
    if (!isValidDomainName(name))
        return nullptr;
    static QMutex registryMutex;
    // Never destroyed, like the standard domain.
    static auto* registry = new std::map<QString, std::unique_ptr<UserDefaults>>;
    const QMutexLocker lock(&registryMutex);
    auto& slot = (*registry)[name];
    if (!slot)
        slot = std::make_unique<UserDefaults>(name, defaultDirectory());
    return slot.get();
}

QString UserDefaults::defaultDirectory()
{
    if (!defaultDirectoryOverride().isEmpty())
        return defaultDirectoryOverride();
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quillory");
}

void UserDefaults::setDefaultDirectory(const QString& directory)
{
    defaultDirectoryOverride() = directory;
}

FileWriteQueue& UserDefaults::defaultWriteQueue()
{
    FileWriteQueue* queue = defaultWriteQueueOverride();
    return queue ? *queue : FileWriteQueue::immediate();
}

void UserDefaults::setDefaultWriteQueue(FileWriteQueue& writeQueue)
{
    defaultWriteQueueOverride() = &writeQueue;
}

QString UserDefaults::filePath() const
{
    return m_directory + QLatin1Char('/') + m_domain + QStringLiteral(".json");
}

QVariant UserDefaults::object(const QString& key) const
{
    const QMutexLocker lock(&m_mutex);
    auto stored = m_values.constFind(key);
    if (stored != m_values.constEnd())
        return *stored;
    return m_registered.value(key);
}

bool UserDefaults::boolValue(const QString& key) const
{
    const QVariant value = object(key);
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::LongLong:
        return value.toLongLong() != 0;
    case QMetaType::Double:
        return value.toDouble() != 0.0;
    case QMetaType::QString: {
        const QString text = value.toString().toLower();
        return text == QLatin1String("true") || text == QLatin1String("yes") ||
               text.toLongLong() != 0;
    }
    default:
        return false;
    }
}

qint64 UserDefaults::integer(const QString& key) const
{
    const QVariant value = object(key);
    switch (value.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::LongLong:
        return value.toLongLong();
    case QMetaType::Double: {
        const double number = value.toDouble();
        // Only doubles that fit convert; anything else would be undefined behaviour.
        if (!(number > -0x1p63 && number < 0x1p63))
            return 0;
        return static_cast<qint64>(number);
    }
    case QMetaType::QString:
        return value.toString().toLongLong();
    default:
        return 0;
    }
}

double UserDefaults::doubleValue(const QString& key) const
{
    const QVariant value = object(key);
    switch (value.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::QString:
        return value.toDouble();
    default:
        return 0.0;
    }
}

QString UserDefaults::string(const QString& key) const
{
    const QVariant value = object(key);
    return value.metaType().id() == QMetaType::QString ? value.toString() : QString();
}

QByteArray UserDefaults::data(const QString& key) const
{
    const QVariant value = object(key);
    return value.metaType().id() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
}

QVariantList UserDefaults::array(const QString& key) const
{
    const QVariant value = object(key);
    return value.metaType().id() == QMetaType::QVariantList ? value.toList() : QVariantList();
}

QVariantMap UserDefaults::dictionary(const QString& key) const
{
    const QVariant value = object(key);
    return value.metaType().id() == QMetaType::QVariantMap ? value.toMap() : QVariantMap();
}

QVariantMap UserDefaults::dictionaryRepresentation() const
{
    const QMutexLocker lock(&m_mutex);
    QVariantMap all = m_registered;
    all.insert(m_values);
    return all;
}

bool UserDefaults::isStorable(const QVariant& value)
{
    return storable(value).has_value();
}

void UserDefaults::set(const QString& key, const QVariant& value)
{
    if (!value.isValid()) {
        remove(key);
        return;
    }
    const auto converted = storable(value);
    if (!converted) {
        defaultsLog.error(
            QStringLiteral("Quillory: refused to store a value of type %1 under \"%2\"")
                .arg(QString::fromLatin1(value.metaType().name()), key));
        return;
    }
    const QMutexLocker lock(&m_mutex);
    m_values.insert(key, *converted);
    m_unreadable.remove(key);
    persist();
}

void UserDefaults::remove(const QString& key)
{
    const QMutexLocker lock(&m_mutex);
    const bool stored = m_values.remove(key) > 0;
    if (stored || !m_unreadable.take(key).isUndefined())
        persist();
}

void UserDefaults::registerDefaults(const QVariantMap& defaults)
{
    const QMutexLocker lock(&m_mutex);
    for (auto it = defaults.begin(); it != defaults.end(); ++it) {
        if (const auto converted = storable(it.value()))
            m_registered.insert(it.key(), *converted);
    }
}

void UserDefaults::removePersistentDomain()
{
    const QMutexLocker lock(&m_mutex);
    m_values.clear();
    m_unreadable = {};
    m_writeOwed = false;
    // Through the queue, so that a write of the domain still waiting there cannot bring the
    // file back.
    m_writeQueue.submit(filePath(), [path = filePath()] { QFile::remove(path); });
}

void UserDefaults::synchronize()
{
    const QMutexLocker lock(&m_mutex);
    if (!m_writeOwed)
        return;
    m_writeOwed = false;
    write();
}

void UserDefaults::persist()
{
    if (m_inInterval) {
        m_writeOwed = true;
        return;
    }
    write();
    m_inInterval = true;
    m_mainQueue.async([this, alive = std::weak_ptr<bool>(m_alive)] {
        if (!alive.expired())
            startInterval();
    });
}

void UserDefaults::startInterval()
{
    m_interval = m_scheduler.schedule(coalescingInterval, [this] { finishInterval(); });
}

void UserDefaults::finishInterval()
{
    const QMutexLocker lock(&m_mutex);
    m_inInterval = m_writeOwed;
    if (!m_writeOwed)
        return;
    // A failed write is not retried by the timer; the next change tries again.
    m_writeOwed = false;
    write();
    startInterval();
}

void UserDefaults::load()
{
    if (!QFileInfo::exists(filePath()))
        return;
    // The user's choices, a hashed id and device facts are no one else's to read, also in a
    // folder an older version left open.
    StoredFile::makePrivateFolder(filePath());
    const QJsonDocument document = QJsonDocument::fromJson(StoredFile::read(filePath()).bytes);

    if (document.isObject()) {
        const QJsonObject members = document.object();
        for (auto it = members.begin(); it != members.end(); ++it) {
            if (auto value = decode(it.value())) {
                m_values.insert(it.key(), *value);
                continue;
            }
            m_unreadable.insert(it.key(), it.value());
            defaultsLog.error(QStringLiteral("Quillory: settings file %1: the value of \"%2\" is "
                                             "unreadable; its default applies")
                                  .arg(filePath(), it.key()));
        }
        return;
    }
    const QString aside =
        AsideFile::moveAside(filePath(), AsideFile::corrupt, QDateTime::currentDateTimeUtc(),
                             StoredFile::privateFileMode);
    m_keepsUnreadableFile = aside.isEmpty();
    if (m_keepsUnreadableFile)
        defaultsLog.error(
            QStringLiteral("Quillory: settings file %1 is unreadable and could not be "
                           "moved aside; it is left in place and not changed")
                .arg(filePath()));
    else
        defaultsLog.error(QStringLiteral("Quillory: settings file %1 is unreadable; moved to %2")
                              .arg(filePath(), aside));
}

void UserDefaults::write() const
{
    if (m_keepsUnreadableFile)
        return;
    QJsonObject members = m_unreadable;
    for (auto it = m_values.begin(); it != m_values.end(); ++it)
        members.insert(it.key(), encode(it.value()));
    const QByteArray bytes = QJsonDocument(members).toJson(QJsonDocument::Indented);
    m_writeQueue.submit(filePath(), [path = filePath(), bytes] {
        // Unlike the program's own records, through a link the user made (a folder of dotfiles)
        // to the file it names, as the notes are.
        QString error = StoredFile::makePrivateFolder(path);
        if (error.isEmpty())
            error = StoredFile::write(path, bytes, StoredFile::privateFileMode);
        if (!error.isEmpty())
            defaultsLog.error(QStringLiteral("Quillory: could not write %1: %2").arg(path, error));
    });
}
