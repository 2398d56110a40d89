#include "FolderLock.h"

#include "StoredFile.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t ownerOnlyFile = 0600;
// Far beyond the path of a socket, which is all a holder leaves.
constexpr std::size_t contactLimit = 4096;

QByteArray readContact(int descriptor)
{
    QByteArray contact(qsizetype(contactLimit), Qt::Uninitialized);
    const ssize_t size = ::pread(descriptor, contact.data(), contactLimit, 0);
    contact.truncate(size < 0 ? 0 : qsizetype(size));
    return contact;
}

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
    m_contact = contact;
    if (const QString error = StoredFile::makePrivateFolder(filePath()); !error.isEmpty()) {
        m_error = error;
        return Result::failed;
    }
    // Neither through a link, whose target would be cut short and written, nor into a FIFO,
    // whose reader would wait for ever.
    const StoredFile::Opened opened =
        StoredFile::openRegular(filePath(), O_RDWR | O_CREAT | O_NOFOLLOW, ownerOnlyFile);
    if (opened.descriptor < 0) {
        const QString refusal = StoredFile::whyNotRegular(filePath());
        m_error = refusal.isEmpty() ? opened.error : refusal;
        return Result::failed;
    }
    const int descriptor = opened.descriptor;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        // From the file this copy opened: the one at the path may have been replaced since.
        if (error == EWOULDBLOCK)
            m_holderContact = readContact(descriptor);
        ::close(descriptor);
        if (error == EWOULDBLOCK)
            return Result::heldElsewhere;
        m_error = qt_error_string(error);
        return Result::failed;
    }
    if (m_descriptor >= 0)
        ::close(m_descriptor); // a file no other copy can find any more
    m_descriptor = descriptor;
    // Only a hint for others: the lock itself is what counts, so a failure here is no failure.
    if (::ftruncate(descriptor, 0) == 0) [[maybe_unused]]
        const ssize_t written =
            ::pwrite(descriptor, contact.constData(), std::size_t(contact.size()), 0);
    m_holderContact = readContact(descriptor);
    return Result::acquired;
}

bool FolderLock::holdsFileAtPath() const
{
    struct stat held = {};
    struct stat atPath = {};
    return m_descriptor >= 0 && ::fstat(m_descriptor, &held) == 0 &&
           ::lstat(QFile::encodeName(filePath()).constData(), &atPath) == 0 &&
           held.st_dev == atPath.st_dev && held.st_ino == atPath.st_ino;
}

FolderLock::Result FolderLock::claimAgain()
{
    return holdsFileAtPath() ? Result::acquired : tryLock(m_contact);
}
