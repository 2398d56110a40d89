#pragma once

#include "app/notes/Note.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// Reads the notes document. Any valid JSON with the document's keys is accepted, in any order
// and spacing; other keys are ignored. A hue this version does not know, perhaps one a later
// version added, is read as the default hue for that note alone. Anything else (invalid JSON or
// UTF-8, a key twice in one object, a missing key, a wrong type, an unreadable date or id)
// makes the whole document unreadable.
namespace NoteFileReader {

struct Result
{
    std::optional<NoteFile> file;
    QString error;           // why the document is unreadable, when `file` is empty
    QStringList unknownHues; // the hue names read as the default hue, each once
};

Result decode(QByteArrayView bytes);

// An internet date-time, with or without fractions of a second, with Z or a numeric offset.
std::optional<QDateTime> decodeDate(QStringView text);
QString unrecognisedDateError(QStringView text);

} // namespace NoteFileReader
