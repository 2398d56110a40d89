#include "NoteStore.h"

#include "app/notes/NoteFileReader.h"
#include "app/notes/NoteFileWriter.h"
#include "app/notes/NoticeTexts.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/MainThread.h"

#include <QFileInfo>
#include <QPointer>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <numeric>

namespace {

const Log storeLog("quillory.notes");

constexpr int hueCount = 8;

// New notes take these in turn when their colour rotates; white comes last.
constexpr std::array<Hue, hueCount> rotation{Hue::sand, Hue::mint, Hue::sky,   Hue::lavender,
                                             Hue::pink, Hue::teal, Hue::coral, Hue::white};

// Where an edit time stands after the wall clock jumped `jump` ahead, `now` being the time after
// the jump. A time the clock had reached before the jump moves with it. A later one was written
// after the jump, or lay ahead of the clock already (the jump sets right a clock that was
// behind): it is right as it is, and counts as now until the clock reaches it. Nothing is ever
// moved back, since a clock that may itself be wrong could then age a note for good.
QDateTime carriedOverJump(const QDateTime& editedAt, std::chrono::milliseconds jump,
                          const QDateTime& now)
{
    return editedAt <= now.addMSecs(-jump.count()) ? editedAt.addMSecs(jump.count()) : editedAt;
}

} // namespace

NoteStore::NoteStore(const QString& fileURL, const Clock& clock, Scheduler& scheduler,
                     std::chrono::milliseconds autosaveDelay, FileWriteQueue& writeQueue,
                     std::shared_ptr<ClockRecord> clockRecord,
                     std::shared_ptr<FolderLock> folderLock, QObject* parent)
    : QObject(parent)
    , m_fileURL(fileURL)
    , m_clock(clock)
    , m_clockJumps(clock)
    , m_clockRecord(std::move(clockRecord))
    , m_scheduler(scheduler)
    , m_autosaveDelay(std::max(autosaveDelay, std::chrono::milliseconds{0}))
    , m_writeQueue(writeQueue)
    , m_document(std::make_shared<NotesDocument>(fileURL, clock, std::move(folderLock)))
{
    load();
    if (m_clockRecord)
        followClockSetBetweenRuns();
}

NoteStore::~NoteStore() = default;

bool NoteStore::hasNext() const
{
    return m_currentIndex < int(m_notes.size()) - 1;
}

void NoteStore::select(int position)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (position < 0 || position >= int(m_notes.size()) || position == m_currentIndex)
        return;
    setCurrentIndex(position);
    markDirty();
}

void NoteStore::setText(const QString& text)
{
    setText(currentNote().id, text);
}

void NoteStore::setText(const QUuid& id, const QString& text)
{
    changeNote(id, &Note::text, text);
}

void NoteStore::rename(const QString& rawName)
{
    rename(currentNote().id, rawName);
}

void NoteStore::rename(const QUuid& id, const QString& rawName)
{
    changeNote(id, &Note::name, normalizedNoteName(rawName));
}

void NoteStore::setHue(Hue hue)
{
    changeNote(currentNote().id, &Note::hue, hue);
}

template <typename Value>
void NoteStore::changeNote(const QUuid& id, Value Note::*field, const Value& value)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    // A jump is seen before the time it brought is written, whenever the next purge comes. The
    // views hear of both at once, after the edit: told before it, the editor would be handed
    // back the text it is replacing.
    const bool timesMoved = carryEditTimesOverClockJump();
    const int index = indexOf(id);
    const bool changes = index >= 0 && m_notes[std::size_t(index)].*field != value;
    if (changes) {
        Note& note = m_notes[std::size_t(index)];
        note.*field = value;
        note.editedAt = m_clock.now();
    }
    if (changes || timesMoved) {
        Q_EMIT notesChanged();
        markDirty();
    }
}

Note NoteStore::makeNote(const QString& text)
{
    Hue hue = Hue::white;
    if (const auto fixedHue = m_newNoteColor.hue()) {
        hue = *fixedHue;
    } else {
        hue = rotation[std::size_t(m_rotateIndex)];
        m_rotateIndex = (m_rotateIndex + 1) % hueCount;
    }

    qint64 order = 0;
    if (!m_notes.empty()) {
        auto largest =
            std::max_element(m_notes.begin(), m_notes.end(), [](const Note& a, const Note& b) {
                return a.order < b.order;
            })->order;
        if (largest == std::numeric_limits<qint64>::max()) {
            renumberOrders();
            largest = qint64(m_notes.size()) - 1;
        }
        order = largest + 1;
    }

    const QDateTime now = m_clock.now();
    return Note{QUuid::createUuid(),
                normalizedNoteName(QStringLiteral("Quillory")),
                hue,
                text,
                now,
                now,
                order};
}

void NoteStore::renumberOrders()
{
    // Keeps the creation sequence (ties in list order) while making room above the largest.
    std::vector<std::size_t> sequence(m_notes.size());
    std::iota(sequence.begin(), sequence.end(), 0);
    std::stable_sort(sequence.begin(), sequence.end(), [this](std::size_t a, std::size_t b) {
        return m_notes[a].order < m_notes[b].order;
    });
    for (std::size_t rank = 0; rank < sequence.size(); ++rank)
        m_notes[sequence[rank]].order = qint64(rank);
}

void NoteStore::addNote(const QString& text)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    carryEditTimesOverClockJump(); // told below with the new note
    m_notes.push_back(makeNote(text));
    Q_EMIT notesChanged();
    setCurrentIndex(int(m_notes.size()) - 1);
    markDirty();
}

void NoteStore::clearAll()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    setPendingUndo(std::nullopt);
    m_notes.clear(); // so the new note's order starts again at 0
    std::vector<Note> notes{makeNote(QString())};
    replaceNotes(std::move(notes), 0);
    markDirty();
}

void NoteStore::markDirty()
{
    m_hasUnsavedChanges = true;
    ++m_changeCount;
    m_saveTask = m_scheduler.schedule(m_autosaveDelay, [this] { save(); });
    // Steady typing keeps putting the delayed save off; this one is not moved. It never comes
    // before the delay a store was given: a longer one means its changes wait that long.
    if (!m_latestSaveTask.isPending())
        m_latestSaveTask =
            m_scheduler.schedule(std::max(saveDeadline, m_autosaveDelay), [this] { save(); });
}

void NoteStore::save()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    // The clock recorded after the notes must be the one their edit times agree with.
    if (carryEditTimesOverClockJump()) {
        Q_EMIT notesChanged();
        markDirty();
    }
    m_saveTask.cancel();
    m_latestSaveTask.cancel();
    if (!m_hasUnsavedChanges)
        return;
    const quint64 change = m_changeCount;
    m_changeOnItsWay = change;
    auto saved = std::make_shared<NotesDocument::Saved>();
    m_writeQueue.submit(
        m_fileURL,
        [document = m_document, bytes = NoteFileWriter::encode(makeNoteFile()), saved,
         recordClock = clockRecordWrite()] {
            *saved = document->save(bytes);
            if (saved->error.isEmpty() && recordClock)
                recordClock();
        },
        [store = QPointer(this), change, saved] {
            if (store)
                store->saveFinished(change, *saved);
        },
        // Settings and the like can wait; the notes are what a session's end must not lose.
        FileWriteQueue::Turn::first);
}

void NoteStore::saveFinished(quint64 change, const NotesDocument::Saved& saved)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (change == m_changeOnItsWay)
        m_changeOnItsWay = 0;
    if (!saved.outsideCopy.isEmpty())
        addNotice(NoticeTexts::changedOutside(m_fileURL, saved.outsideCopy));
    if (saved.error.isEmpty()) {
        if (change == m_changeCount)
            m_hasUnsavedChanges = false;
        m_lastSaveError.clear();
        setSaveProblem({});
        return;
    }
    // A retry that fails the same way again is not logged again.
    if (saved.error != m_lastSaveError)
        storeLog.error(QStringLiteral("Quillory: save failed: ") + saved.error);
    m_lastSaveError = saved.error;
    setSaveProblem(NoticeTexts::saveProblem(
        m_fileURL, saved.error,
        std::chrono::duration_cast<std::chrono::seconds>(saveRetryInterval)));
    // Tried again until it succeeds, so that a crash after the fault has cleared loses nothing;
    // a newer save already on its way tries for itself.
    if (m_changeOnItsWay == 0)
        m_latestSaveTask = m_scheduler.schedule(saveRetryInterval, [this] { save(); });
}

void NoteStore::setSaveProblem(const QString& problem)
{
    if (problem == m_saveProblem)
        return;
    m_saveProblem = problem;
    Q_EMIT saveProblemChanged(problem);
}

void NoteStore::addNotice(const QString& notice)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    m_notices.append(notice);
    Q_EMIT noticesChanged();
}

void NoteStore::dismissNotices()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (m_notices.isEmpty())
        return;
    m_notices.clear();
    Q_EMIT noticesChanged();
}

NoteFile NoteStore::makeNoteFile() const
{
    return NoteFile{NoteFile::currentSchemaVersion, m_notes, currentNote().id, m_rotateIndex};
}

void NoteStore::load()
{
    if (!QFileInfo::exists(m_fileURL)) {
        m_notes = {makeNote(QString())};
        m_currentIndex = 0;
        return;
    }

    const StoredFile::Contents contents = m_document->read();
    NoteFileReader::Result result = contents.error.isEmpty()
                                        ? NoteFileReader::decode(contents.bytes)
                                        : NoteFileReader::Result{std::nullopt, contents.error, {}};
    if (!result.file) {
        const QString aside = m_document->moveAsideUnreadable();
        if (aside.isEmpty()) {
            storeLog.error(QStringLiteral("Quillory: the notes document %1 is unreadable (%2) "
                                          "and could not be moved aside; it will not be "
                                          "overwritten")
                               .arg(m_fileURL, result.error));
            m_notices.append(NoticeTexts::unreadableLeft(m_fileURL));
        } else {
            storeLog.error(QStringLiteral("Quillory: the notes document %1 is unreadable (%2); "
                                          "moved to %3")
                               .arg(m_fileURL, result.error, aside));
            m_notices.append(NoticeTexts::movedAside(m_fileURL, aside));
        }
        m_notes = {makeNote(QString())};
        m_currentIndex = 0;
        return;
    }

    NoteFile& document = *result.file;
    // What this version cannot write back stays in a copy the first save keeps.
    if (document.schemaVersion > NoteFile::currentSchemaVersion)
        m_document->keepBeforeFirstSave(QStringLiteral("schema%1").arg(document.schemaVersion),
                                        QStringLiteral("was written by a newer version of "
                                                       "Quillory"));
    else if (!result.unknownHues.isEmpty())
        m_document->keepBeforeFirstSave(QStringLiteral("hues"),
                                        QStringLiteral("holds a colour name that was not known"));
    if (!result.unknownHues.isEmpty())
        storeLog.error(QStringLiteral("Quillory: %1 names colours this version does not know "
                                      "(%2); those notes are read as %3")
                           .arg(m_fileURL, result.unknownHues.join(QStringLiteral(", ")),
                                Hues::displayName(Hues::defaultHue)));
    m_rotateIndex = document.rotateIndex < 0 ? 0 : int(document.rotateIndex % hueCount);

    // A repeated id would make one deletion remove two notes.
    QSet<QUuid> seen;
    for (Note& note : document.notes) {
        if (seen.contains(note.id))
            note.id = QUuid::createUuid();
        seen.insert(note.id);
    }
    std::stable_sort(document.notes.begin(), document.notes.end(),
                     [](const Note& a, const Note& b) { return a.order < b.order; });
    m_notes = std::move(document.notes);
    if (m_notes.empty())
        m_notes = {makeNote(QString())};

    m_currentIndex = 0;
    if (document.currentNoteID)
        m_currentIndex = std::max(indexOf(*document.currentNoteID), 0);
}

void NoteStore::followClockSetBetweenRuns()
{
    if (const auto jump = m_clockRecord->readJump())
        m_clockJumps.addEarlierJump(*jump);
    else if (auto recordClock = clockRecordWrite())
        // Nothing tells a jump: the clock is taken as it is, and the notes agree with it.
        m_writeQueue.submit(m_clockRecord->path(), std::move(recordClock));
}

FileWriteQueue::Work NoteStore::clockRecordWrite() const
{
    const auto clocks = m_clockRecord ? m_clockRecord->readClocks() : std::nullopt;
    if (!clocks)
        return {};
    return [record = m_clockRecord, clocks = *clocks] { record->write(clocks); };
}

int NoteStore::indexOf(const QUuid& id) const
{
    const auto found = std::find_if(m_notes.begin(), m_notes.end(),
                                    [&](const Note& note) { return note.id == id; });
    return found == m_notes.end() ? -1 : int(found - m_notes.begin());
}

void NoteStore::replaceNotes(std::vector<Note> notes, int currentIndex)
{
    m_notes = std::move(notes);
    const bool indexChanged = currentIndex != m_currentIndex;
    m_currentIndex = currentIndex;
    Q_EMIT notesChanged();
    if (indexChanged)
        Q_EMIT currentIndexChanged(m_currentIndex);
}

void NoteStore::setCurrentIndex(int index)
{
    if (index == m_currentIndex)
        return;
    m_currentIndex = index;
    Q_EMIT currentIndexChanged(index);
}

void NoteStore::setPendingUndo(std::optional<DeletedNotes> record)
{
    if (record == m_pendingUndo)
        return;
    m_pendingUndo = std::move(record);
    Q_EMIT pendingUndoChanged();
}

void NoteStore::clearPendingUndo()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    setPendingUndo(std::nullopt);
}

bool NoteStore::carryEditTimesOverClockJump()
{
    const auto jump = m_clockJumps.takeJump();
    if (jump == std::chrono::milliseconds{0})
        return false;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(jump).count();
    storeLog.info(QStringLiteral("Quillory: the clock was set %1 s %2; no note expires because "
                                 "of that")
                      .arg(std::abs(seconds))
                      .arg(seconds > 0 ? QStringLiteral("ahead") : QStringLiteral("back")));
    if (seconds < 0)
        return false;

    const QDateTime now = m_clock.now();
    bool moved = false;
    auto carry = [&](Note& note) {
        const QDateTime editedAt = carriedOverJump(note.editedAt, jump, now);
        moved = moved || editedAt != note.editedAt;
        note.editedAt = editedAt;
    };
    std::for_each(m_notes.begin(), m_notes.end(), carry);
    // An undo must not bring back a note that looks as old as the jump.
    if (m_pendingUndo) {
        DeletedNotes record = *m_pendingUndo;
        for (auto& entry : record.entries)
            carry(entry.note);
        setPendingUndo(std::move(record));
    }
    return moved;
}

int NoteStore::purgeExpired(DeleteAfter period)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (carryEditTimesOverClockJump()) {
        Q_EMIT notesChanged();
        markDirty();
    }
    const auto interval = DeleteAfterPeriods::interval(period);
    if (!interval)
        return 0;
    const qint64 cutoff =
        m_clock.now().toMSecsSinceEpoch() - std::chrono::milliseconds(*interval).count();
    auto expired = [cutoff](const Note& note) {
        return note.editedAt.toMSecsSinceEpoch() <= cutoff;
    };

    const auto removed = std::count_if(m_notes.begin(), m_notes.end(), expired);
    if (removed == 0)
        return 0;

    const QUuid currentID = currentNote().id;
    const int rememberedIndex = m_currentIndex;
    // The list is replaced below, so the kept notes can be moved out of it.
    std::vector<Note> kept;
    kept.reserve(m_notes.size() - std::size_t(removed));
    for (Note& note : m_notes) {
        if (!expired(note))
            kept.push_back(std::move(note));
    }

    if (kept.empty()) {
        // Made while the expired notes are still held, so its order follows theirs.
        replaceNotes({makeNote(QString())}, 0);
    } else {
        const auto found = std::find_if(kept.begin(), kept.end(),
                                        [&](const Note& note) { return note.id == currentID; });
        const int index = found != kept.end() ? int(found - kept.begin())
                                              : std::min(rememberedIndex, int(kept.size()) - 1);
        replaceNotes(std::move(kept), index);
    }

    if (m_pendingUndo &&
        std::any_of(m_pendingUndo->entries.begin(), m_pendingUndo->entries.end(),
                    [&](const DeletedNotes::Entry& entry) { return expired(entry.note); }))
        setPendingUndo(std::nullopt);

    storeLog.info(QStringLiteral("Quillory: auto-delete removed %1 note(s) last edited at or "
                                 "before %2")
                      .arg(removed)
                      .arg(QDateTime::fromMSecsSinceEpoch(cutoff, Qt::UTC).toString(Qt::ISODate)));
    markDirty();
    return int(removed);
}

NoteStore::DeletedNotes NoteStore::deleteNotes(const QSet<QUuid>& ids)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    DeletedNotes record;
    for (std::size_t index = 0; index < m_notes.size(); ++index) {
        if (ids.contains(m_notes[index].id))
            record.entries.push_back({m_notes[index], int(index)});
    }
    if (record.entries.empty())
        return record;

    const int current = m_currentIndex;
    const QUuid currentID = currentNote().id;
    std::vector<Note> kept;
    kept.reserve(m_notes.size() - record.entries.size());
    std::copy_if(m_notes.begin(), m_notes.end(), std::back_inserter(kept),
                 [&](const Note& note) { return !ids.contains(note.id); });

    if (kept.empty()) {
        m_notes.clear();
        Note replacement = makeNote(QString());
        record.replacementID = replacement.id;
        kept.push_back(std::move(replacement));
    }

    int index = 0;
    const auto found = std::find_if(kept.begin(), kept.end(),
                                    [&](const Note& note) { return note.id == currentID; });
    if (found != kept.end()) {
        index = int(found - kept.begin());
    } else {
        const auto before = std::count_if(record.entries.begin(), record.entries.end(),
                                          [&](const auto& entry) { return entry.index < current; });
        index = std::min(current - int(before), int(kept.size()) - 1);
    }
    replaceNotes(std::move(kept), index);
    setPendingUndo(record);
    markDirty();
    return record;
}

NoteStore::DeletedNotes NoteStore::deleteCurrent()
{
    return deleteNotes({currentNote().id});
}

bool NoteStore::undoDelete()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (!m_pendingUndo)
        return false;
    const DeletedNotes record = *m_pendingUndo;
    setPendingUndo(std::nullopt);
    if (record.entries.empty())
        return true;

    std::vector<Note> notes = m_notes;
    if (record.replacementID) {
        // A replacement that has been typed into is kept.
        const auto replacement = std::find_if(notes.begin(), notes.end(), [&](const Note& note) {
            return note.id == *record.replacementID;
        });
        if (replacement != notes.end() && replacement->text.isEmpty())
            notes.erase(replacement);
    }
    for (const auto& entry : record.entries) {
        const auto position = std::min(std::size_t(entry.index), notes.size());
        notes.insert(notes.begin() + qsizetype(position), entry.note);
    }
    const int index = std::min(record.entries.front().index, int(notes.size()) - 1);
    replaceNotes(std::move(notes), index);
    markDirty();
    return true;
}
