// The notes document is saved and loaded on the main thread, and every keystroke goes through
// the store: these measure each beside the cost of Qt's own file writing and JSON parsing.
#include "app/notes/NoteFileWriter.h"
#include "app/notes/NoteStore.h"
#include "platform/Clock.h"

#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr qsizetype noteSize = 1024;

struct Fixture
{
    explicit Fixture(int noteCount, qsizetype textSize = noteSize)
    {
        path = folder.path() + QStringLiteral("/Quillory/notes.json");
        std::vector<Note> notes;
        const QDateTime now = clock.now();
        const QString line =
            QStringLiteral("The quick brown fox jumps over the lazy dog. \"Quoted\"\n");
        for (int index = 0; index < noteCount; ++index) {
            QString text = line.repeated(textSize / line.size() + 1).left(textSize);
            notes.push_back(Note{QUuid::createUuid(), QStringLiteral("Note %1").arg(index),
                                 Hue::sky, text, now.addSecs(-index), now.addSecs(-index), index});
        }
        bytes = NoteFileWriter::encode({1, notes, notes.front().id, 3});
        QDir().mkpath(folder.path() + QStringLiteral("/Quillory"));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }

    std::unique_ptr<NoteStore> openStore()
    {
        return std::make_unique<NoteStore>(path, clock, scheduler);
    }

    QTemporaryDir folder;
    QString path;
    QByteArray bytes;
    ManualClock clock;
    ManualScheduler scheduler;
};

void BM_SaveStore(benchmark::State& state)
{
    Fixture fixture(int(state.range(0)));
    auto store = fixture.openStore();
    bool flip = false;
    for (auto _ : state) {
        store->rename(flip ? QStringLiteral("a") : QStringLiteral("b"));
        flip = !flip;
        store->save();
    }
    state.SetBytesProcessed(state.iterations() * fixture.bytes.size());
}

void BM_QSaveFileOnly(benchmark::State& state)
{
    Fixture fixture(int(state.range(0)));
    for (auto _ : state) {
        QSaveFile file(fixture.path);
        file.open(QIODevice::WriteOnly);
        file.write(fixture.bytes);
        file.commit();
    }
    state.SetBytesProcessed(state.iterations() * fixture.bytes.size());
}

void BM_LoadStore(benchmark::State& state)
{
    Fixture fixture(int(state.range(0)));
    for (auto _ : state) {
        auto store = fixture.openStore();
        benchmark::DoNotOptimize(store->notes().data());
    }
    state.SetBytesProcessed(state.iterations() * fixture.bytes.size());
}

void BM_QJsonFromJsonOnly(benchmark::State& state)
{
    Fixture fixture(int(state.range(0)));
    for (auto _ : state) {
        QFile file(fixture.path);
        file.open(QIODevice::ReadOnly);
        auto document = QJsonDocument::fromJson(file.readAll());
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(state.iterations() * fixture.bytes.size());
}

void BM_Keystroke(benchmark::State& state)
{
    constexpr qsizetype tenKilobytes = 10 * 1024;
    Fixture fixture(int(state.range(0)), tenKilobytes);
    auto store = fixture.openStore();
    const QString base = store->currentNote().text;
    const QString typed[] = {base + QLatin1Char('a'), base + QLatin1Char('b')};
    std::size_t next = 0;
    for (auto _ : state) {
        store->setText(typed[next]);
        next ^= 1;
    }
}

void BM_PurgeNothingExpired(benchmark::State& state)
{
    Fixture fixture(int(state.range(0)));
    auto store = fixture.openStore();
    for (auto _ : state)
        benchmark::DoNotOptimize(store->purgeExpired(DeleteAfter::week));
}

void BM_PurgeHalfExpired(benchmark::State& state)
{
    const int count = int(state.range(0));
    Fixture fixture(count);
    for (auto _ : state) {
        state.PauseTiming();
        auto store = fixture.openStore();
        fixture.clock.setNow(store->notes().front().editedAt.addSecs(3600 - count / 2));
        state.ResumeTiming();
        benchmark::DoNotOptimize(store->purgeExpired(DeleteAfter::hour));
    }
}

} // namespace

BENCHMARK(BM_SaveStore)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QSaveFileOnly)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadStore)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QJsonFromJsonOnly)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Keystroke)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PurgeNothingExpired)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PurgeHalfExpired)->Arg(10000)->Unit(benchmark::kMicrosecond)->Iterations(20);

BENCHMARK_MAIN();
