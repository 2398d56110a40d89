#pragma once

#include "app/notes/Note.h"

#include <QByteArray>
#include <QDateTime>

// Writes the notes document: pretty-printed JSON (two-space indent, "key" : value), members in
// byte order of their keys, dates as UTC internet date-times with whole seconds, ids in upper
// case. Written by hand because the document is saved on the main thread while the user types.
namespace NoteFileWriter {

QByteArray encode(const NoteFile& file);
// "2024-05-01T09:30:00Z"; fractions of a second are dropped. A time whose UTC year has more or
// fewer than four digits keeps a zone offset ("9999-12-31T23:59:59-05:00").
QByteArray encodeDate(const QDateTime& time);

} // namespace NoteFileWriter
