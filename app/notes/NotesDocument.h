#pragma once

#include <QByteArray>
#include <QString>

// Where the notes document lies and how its bytes reach the disk.
namespace NotesDocument {

// $XDG_DATA_HOME/Quillory/notes.json
QString defaultFileURL();

// Writes `bytes` atomically, so a reader never sees half a document: the old document is
// replaced only once every byte has reached the disk. Creates a missing folder readable by the
// user only, and the file with mode 0600 whatever mode it had. Returns the reason on failure,
// an empty string on success.
QString write(const QString& path, const QByteArray& bytes);

} // namespace NotesDocument
