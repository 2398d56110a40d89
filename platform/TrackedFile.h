#pragma once

#include "platform/StoredFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// A file this program replaces whole and someone else may change too: a sync tool, a restore
// from a backup, another copy of the program. It remembers the contents it last read or
// wrote; a write that finds other contents in their place keeps those beside the file first
// ("<name>.outside-<time>"), so that nothing is ever overwritten unseen. Contents are compared
// by their hash, since times and sizes cannot tell two quick writes of the same size apart.
//
// Used by one thread at a time: read on the thread that starts with it, then handed over to
// the thread that writes it.
class TrackedFile
{
public:
    static inline const QString outside = QStringLiteral("outside");

    struct Written
    {
        QString error;       // why nothing was written; empty when the file was replaced
        QString outsideCopy; // where contents changed by someone else were kept
        QString keptCopy;    // where the contents asked for by keepBeforeNextWrite() were kept
        bool removedOutside = false; // the file had been removed by someone else
    };

    // Until it is read, the file is expected not to exist.
    explicit TrackedFile(const QString& path);

    QString path() const { return m_path; }

    // Reads the file as StoredFile::read() does and remembers what it found.
    StoredFile::Contents read();
    // Moves the file aside (AsideFile::moveAside) with `permissions`; on success none is
    // expected any more.
    QString moveAside(const QString& reason, const QDateTime& when,
                      QFileDevice::Permissions permissions);
    // The next write first keeps a copy of the contents in place under `reason`, if there are
    // any and nobody else has replaced them.
    void keepBeforeNextWrite(const QString& reason) { m_keepReason = reason; }

    // The copies it keeps take `permissions` too, whatever mode the file had.
    Written write(const QByteArray& bytes, QFileDevice::Permissions permissions,
                  const QDateTime& when);

private:
    // Run just before a write replaces the file. A write that fails after it keeps its copies
    // again next time, under a later time: a duplicate, never a loss.
    QString keepWhatIsThere(Written& written, QFileDevice::Permissions permissions,
                            const QDateTime& when) const;

    const QString m_path;
    // The hash of the contents known to be there; none when no file is.
    std::optional<QByteArray> m_known;
    QString m_keepReason;
};
