#pragma once

#include "app/notes/Hue.h"

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <optional>
#include <vector>

// One note. `editedAt` is the auto-delete clock: it moves only when the text, name or colour
// changes. `order` is the creation sequence the notes are sorted by when read.
struct Note
{
    QUuid id;
    QString name;
    Hue hue = Hues::defaultHue;
    QString text;
    QDateTime createdAt;
    QDateTime editedAt;
    qint64 order = 0;

    friend bool operator==(const Note&, const Note&) = default;
};

// The notes document as one value.
struct NoteFile
{
    // The form this program writes; a document of a higher version comes from a newer one.
    static constexpr qint64 currentSchemaVersion = 1;

    qint64 schemaVersion = currentSchemaVersion;
    std::vector<Note> notes;
    std::optional<QUuid> currentNoteID;
    qint64 rotateIndex = 0;

    friend bool operator==(const NoteFile&, const NoteFile&) = default;
};

inline constexpr qsizetype maximumNameLength = 40;

// The first `count` user-perceived characters of `text` (a flag or an accented letter counts
// once), or all of it when it is shorter.
QString firstCharacters(const QString& text, qsizetype count);

// The stored form of whatever the user typed as a name: one line, trimmed, at most 40
// user-perceived characters, never empty.
QString normalizedNoteName(const QString& raw);
