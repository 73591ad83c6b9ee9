// The watch-word list at the size a long-running harvest reaches: loading and saving the file,
// and building the candidate list when no word is fresh.
//
//   build/bench/bench_searchword
#include "quessel/data/CSearchWord.h"
#include "quessel/util/Clock.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>

using namespace quessel;

namespace {

constexpr int WordCount = 50000;

ManualClock& benchClock()
{
    static ManualClock clock(QDateTime(QDate(2005, 3, 10), QTime(12, 0)));
    Clock::setInstance(&clock);
    return clock;
}

// Words of the size trend pages yield, registered over a year, every one used within the last
// 12 hours at one of 72 moments ten minutes apart (so many share a LastDate), a few blank lines.
void fillList(CSearchWord& list, int blankRecords = 0)
{
    benchClock();
    const double now = Clock::now();
    std::mt19937 gen(20050310u);
    for (int i = 0; i < WordCount; ++i) {
        const int index = list.AddNullWord();
        if (i >= blankRecords)
            list.setWord(index, QStringLiteral(u"注目ワード%1 キーワード").arg(i));
        list.setRegDate(index, now - 365 + i * (365.0 / WordCount));
        list.setValidDays(index, (i % 7 == 0) ? 0.5 : 30);
        list.setLastDate(index, now - double(gen() % 72) * 10.0 / 1440.0);
        list.setUseCount(index, qint16(gen() % 500));
    }
}

struct BenchFile
{
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("VELT_bench_SearchWord.DAT")); }
};

void BM_Save50000(benchmark::State& state)
{
    BenchFile file;
    CSearchWord list;
    fillList(list);
    list.setFilePath(file.path());
    for (auto _ : state) {
        if (!list.FileRW(1))
            state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_Save50000)->Unit(benchmark::kMillisecond);

void BM_Load50000(benchmark::State& state)
{
    BenchFile file;
    {
        CSearchWord list;
        fillList(list);
        list.setFilePath(file.path());
        if (!list.FileRW(1)) {
            state.SkipWithError("write failed");
            return;
        }
    }
    CSearchWord list;
    list.setFilePath(file.path());
    for (auto _ : state) {
        if (!list.FileRW(0))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(list.Count());
    }
}
BENCHMARK(BM_Load50000)->Unit(benchmark::kMillisecond);

void BM_LoadAndSave50000(benchmark::State& state)
{
    BenchFile file;
    CSearchWord list;
    fillList(list);
    list.setFilePath(file.path());
    if (!list.FileRW(1)) {
        state.SkipWithError("write failed");
        return;
    }
    for (auto _ : state) {
        if (!list.FileRW(0) || !list.FileRW(1))
            state.SkipWithError("file failed");
    }
}
BENCHMARK(BM_LoadAndSave50000)->Unit(benchmark::kMillisecond);

// The argument is the number of records without a word, which the candidate walk has to pass.
void BM_CreateWordList10AllRecent(benchmark::State& state)
{
    CSearchWord list;
    fillList(list, int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(list.CreateWordList(10));
}
BENCHMARK(BM_CreateWordList10AllRecent)->Arg(0)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_DelTimeoutWord50000(benchmark::State& state)
{
    CSearchWord source;
    fillList(source);
    for (auto _ : state) {
        state.PauseTiming();
        CSearchWord list = source;
        list.setUseCount(1, list.UseCount(1)); // the copy is taken here, not in the timed part
        state.ResumeTiming();
        benchmark::DoNotOptimize(list.DelTimeoutWord());
    }
}
BENCHMARK(BM_DelTimeoutWord50000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
