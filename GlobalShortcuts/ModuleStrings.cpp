#include "GlobalShortcuts/ModuleStrings.h"

#include "platform/Log.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace GlobalShortcuts {

namespace {

const Log stringsLog("quillory.shortcuts");

QJsonObject loadStrings()
{
    QFile file(QStringLiteral(":/GlobalShortcuts/strings.json"));
    const QJsonDocument document =
        file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()) : QJsonDocument();
    if (!document.isObject())
        stringsLog.error(QStringLiteral("Quillory: the shortcut texts are missing; keys are "
                                        "shown instead"));
    return document.object();
}

} // namespace

QString localizedString(const QString& key)
{
    static const QJsonObject strings = loadStrings();
    const QJsonValue text = strings.value(key);
    return text.isString() ? text.toString() : key;
}

} // namespace GlobalShortcuts
