// The search-site list at its largest (32,767 sites, the most a list can hold): writing and
// reading the file, and refreshing every site's note as the grid does.
//
//   build/bench/bench_searchsite
#include "quessel/data/CSearchSite.h"
#include "quessel/data/WebProcessScript.h"
#include "quessel/util/Clock.h"

#include <orvik/VbDate.h>

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace quessel;

namespace {

constexpr int SiteCount = CSearchSite::MaxCount;

ManualClock& benchClock()
{
    static ManualClock clock(QDateTime(QDate(2005, 3, 10), QTime(12, 0)));
    Clock::setInstance(&clock);
    return clock;
}

// Sites as users register them: the default process (about 500 characters), mixed rules.
void fillList(CSearchSite& list)
{
    benchClock();
    const double now = Clock::now();
    for (int i = 0; i < SiteCount; ++i) {
        const int index = list.AddSearchSite();
        SearchSite s = list.Site(index);
        s.Name = QStringLiteral("検索サイト%1").arg(i);
        s.URL = QStringLiteral("https://search%1.example.jp/").arg(i);
        s.KeywordID = QStringLiteral("q");
        s.Process = WebProcessScript::DefaultSearchProcess(s.URL, s.KeywordID);
        s.LastRun = now - (i % 90) / 24.0;
        s.DayChangeTime = (i % 5) / 24.0;
        s.DayMaxN = qint16(i % 31);
        s.DayN = qint16(i % 7);
        s.TimeZoneMaxN = qint16(i % 3);
        s.TimeZoneType = qint16(1 + i % 6);
        s.UseInterval = (i % 4) / 24.0;
        s.BatchSearch = qint16(1 + i % 3);
        list.setSite(index, s);
    }
}

struct BenchFile
{
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("VELT_bench_SearchSite.DAT")); }
};

void BM_SaveMaxSites(benchmark::State& state)
{
    BenchFile file;
    CSearchSite list;
    fillList(list);
    list.setFilePath(file.path());
    for (auto _ : state) {
        if (!list.FileRW(1))
            state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_SaveMaxSites)->Unit(benchmark::kMillisecond);

void BM_LoadMaxSites(benchmark::State& state)
{
    BenchFile file;
    {
        CSearchSite list;
        fillList(list);
        list.setFilePath(file.path());
        if (!list.FileRW(1)) {
            state.SkipWithError("write failed");
            return;
        }
    }
    CSearchSite list;
    list.setFilePath(file.path());
    for (auto _ : state) {
        if (!list.FileRW(0))
            state.SkipWithError("read failed");
    }
    state.counters["sites"] = list.Count();
}
BENCHMARK(BM_LoadMaxSites)->Unit(benchmark::kMillisecond);

void BM_NotesOfMaxSites(benchmark::State& state)
{
    CSearchSite list;
    fillList(list);
    for (auto _ : state) {
        int searchable = 0;
        for (int i = 1; i <= list.Count(); ++i) {
            benchmark::DoNotOptimize(list.Note(i));
            searchable += list.GetSearchSW(i) ? 1 : 0;
        }
        benchmark::DoNotOptimize(searchable);
    }
}
BENCHMARK(BM_NotesOfMaxSites)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
