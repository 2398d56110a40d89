#include "FolderLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr QFile::Permissions ownerOnlyFolder =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
constexpr mode_t ownerOnlyFile = 0600;

} // namespace

FolderLock::FolderLock(const QString& folder)
    : m_folder(folder)
{}

FolderLock::~FolderLock()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor); // releases the lock
}

QString FolderLock::filePath() const
{
    return m_folder + QLatin1Char('/') + fileName;
}

FolderLock::Result FolderLock::tryLock(const QByteArray& contact)
{
    if (!QFileInfo(m_folder).isDir()) {
        if (!QDir().mkpath(m_folder)) {
            m_error = QStringLiteral("could not create the folder %1").arg(m_folder);
            return Result::failed;
        }
        QFile::setPermissions(m_folder, ownerOnlyFolder);
    }
    const int descriptor = ::open(QFile::encodeName(filePath()).constData(),
                                  O_RDWR | O_CREAT | O_CLOEXEC, ownerOnlyFile);
    if (descriptor < 0) {
        m_error = qt_error_string(errno);
        return Result::failed;
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(descriptor);
        if (error == EWOULDBLOCK)
            return Result::heldElsewhere;
        m_error = qt_error_string(error);
        return Result::failed;
    }
    m_descriptor = descriptor;
    // Only a hint for others: the lock itself is what counts, so a failure here is no failure.
    if (::ftruncate(descriptor, 0) == 0) [[maybe_unused]]
        const ssize_t written =
            ::pwrite(descriptor, contact.constData(), std::size_t(contact.size()), 0);
    return Result::acquired;
}

QByteArray FolderLock::holderContact() const
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}
