#include "OutputCapture.h"

#include <cstdio>
#include <unistd.h>

OutputCapture::OutputCapture()
{
    if (!m_file.open())
        return;
    std::fflush(stdout);
    m_saved = dup(STDOUT_FILENO);
    dup2(m_file.handle(), STDOUT_FILENO);
}

OutputCapture::~OutputCapture()
{
    if (m_saved < 0)
        return;
    const QByteArray captured = text();
    dup2(m_saved, STDOUT_FILENO);
    close(m_saved);
    std::fwrite(captured.constData(), 1, std::size_t(captured.size()), stdout);
    std::fflush(stdout);
}

QByteArray OutputCapture::text()
{
    std::fflush(stdout);
    m_file.seek(0);
    return m_file.readAll();
}
