#pragma once

#include "app/notes/NoteFileReader.h"
#include "app/notes/NoteFileWriter.h"
#include "app/notes/NoteStore.h"
#include "app/notes/NotesDocument.h"
#include "platform/Clock.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <memory>

// A store over the per-process notes document, with time in the test's hands.
class NoteStoreFixture : public testing::Test
{
protected:
    using Seconds = std::chrono::seconds;

    std::unique_ptr<NoteStore> openStore()
    {
        return std::make_unique<NoteStore>(m_path, m_clock, m_scheduler);
    }

    void writeDocument(const NoteFile& file) const
    {
        TestFiles::write(m_path, NoteFileWriter::encode(file));
    }

    NoteFile readDocument() const
    {
        auto result = NoteFileReader::decode(TestFiles::read(m_path));
        EXPECT_TRUE(result.file) << result.error.toStdString();
        return result.file.value_or(NoteFile{});
    }

    // A note last edited `age` before the clock's present time.
    Note noteAged(Seconds age, const QString& text = QString(), qint64 order = 0) const
    {
        const QDateTime edited = m_clock.now().addSecs(-age.count());
        return Note{QUuid::createUuid(),
                    QStringLiteral("Quillory"),
                    Hue::white,
                    text,
                    edited,
                    edited,
                    order};
    }

    // Notes named by their text, in order 0, 1, 2, ...
    std::vector<Note> notesWithTexts(const QStringList& texts) const
    {
        std::vector<Note> notes;
        for (const QString& text : texts)
            notes.push_back(noteAged(Seconds{0}, text, qint64(notes.size())));
        return notes;
    }

    static QStringList textsOf(const NoteStore& store)
    {
        QStringList texts;
        for (const Note& note : store.notes())
            texts.append(note.text);
        return texts;
    }

    QString m_path = NotesDocument::defaultFileURL();
    ManualClock m_clock;
    ManualScheduler m_scheduler;
};
