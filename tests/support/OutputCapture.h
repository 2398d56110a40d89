#pragma once

#include <QByteArray>
#include <QTemporaryFile>

// Collects everything written to standard output while it exists, the test framework's own
// lines included; those go on to the real standard output when it ends.
class OutputCapture
{
public:
    OutputCapture();
    ~OutputCapture();
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    // What was written so far.
    QByteArray text();

private:
    QTemporaryFile m_file;
    int m_saved = -1;
};
