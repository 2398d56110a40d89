#include "Sha256.h"

#include <QCryptographicHash>

QString sha256Hex(const QString& text, const QString& salt)
{
    const QString joined = text + salt;
    if (!joined.isValidUtf16())
        return {};
    return QString::fromLatin1(
        QCryptographicHash::hash(joined.toUtf8(), QCryptographicHash::Sha256).toHex());
}
