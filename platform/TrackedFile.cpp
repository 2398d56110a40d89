#include "TrackedFile.h"

#include "platform/AsideFile.h"

#include <QCryptographicHash>
#include <QFileInfo>

namespace {

// Four times as fast as SHA-256 here, which counts on a document of megabytes read at start.
QByteArray hashOf(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Blake2b_256);
}

} // namespace

TrackedFile::TrackedFile(const QString& path)
    : m_path(path)
{}

StoredFile::Contents TrackedFile::read()
{
    StoredFile::Contents contents = StoredFile::read(m_path);
    // Through a symbolic link, as a write replaces its target.
    m_known.reset();
    if (QFileInfo::exists(m_path))
        m_known = hashOf(contents.bytes);
    return contents;
}

QString TrackedFile::moveAside(const QString& reason, const QDateTime& when,
                               QFileDevice::Permissions permissions)
{
    const QString aside = AsideFile::moveAside(m_path, reason, when, permissions);
    if (!aside.isEmpty())
        m_known.reset();
    return aside;
}

TrackedFile::Written TrackedFile::write(const QByteArray& bytes,
                                        QFileDevice::Permissions permissions, const QDateTime& when)
{
    Written written;
    written.error = StoredFile::write(m_path, bytes, permissions,
                                      [&] { return keepWhatIsThere(written, permissions, when); });
    if (written.error.isEmpty()) {
        m_known = hashOf(bytes);
        // Kept, or replaced by someone else before it could be.
        m_keepReason.clear();
    }
    return written;
}

QString TrackedFile::keepWhatIsThere(Written& written, QFileDevice::Permissions permissions,
                                     const QDateTime& when) const
{
    std::optional<QByteArray> onDisk;
    StoredFile::Contents contents;
    if (QFileInfo::exists(m_path)) {
        // A FIFO or a device is refused here rather than copied: a FIFO would make the copy
        // wait for a writer for ever.
        contents = StoredFile::read(m_path);
        // Too large to copy, it is kept whole under a new name instead.
        if (contents.tooLarge) {
            written.outsideCopy = AsideFile::moveAside(m_path, outside, when, permissions);
            return written.outsideCopy.isEmpty()
                       ? QStringLiteral("%1 is %2 and could not be moved aside, so it is not "
                                        "replaced")
                             .arg(m_path, contents.error)
                       : QString();
        }
        if (!contents.error.isEmpty())
            return QStringLiteral("%1 cannot be read (%2), so it is not replaced")
                .arg(m_path, contents.error);
        onDisk = hashOf(contents.bytes);
    }
    // The copy holds exactly what was compared, even if the file changes again meanwhile.
    const auto keep = [&](const QString& reason) {
        return AsideFile::keepAside(m_path, reason, when, contents.bytes, permissions);
    };
    if (onDisk != m_known) {
        if (!onDisk) {
            written.removedOutside = true;
        } else {
            written.outsideCopy = keep(outside);
            if (written.outsideCopy.isEmpty())
                return QStringLiteral("%1 was changed by another program, and that version "
                                      "could not be kept beside it")
                    .arg(m_path);
        }
        return {};
    }
    if (onDisk && !m_keepReason.isEmpty()) {
        written.keptCopy = keep(m_keepReason);
        if (written.keptCopy.isEmpty())
            return QStringLiteral("a copy of %1 could not be kept beside it").arg(m_path);
    }
    return {};
}
