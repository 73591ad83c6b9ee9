// Filling the main window's grids at the sizes a long-running program reaches: the watch-word
// grid with 10,000 words and the search-site grid with 1,000 sites, notes and colours included.
// The grids are shown (offscreen), as in the main window.
//
//   build/bench/bench_grids
#include "quessel/data/CSearchSite.h"
#include "quessel/data/CSearchWord.h"
#include "quessel/data/ProgramFlags.h"
#include "quessel/editors/FlexGrid.h"
#include "quessel/editors/GridPresentation.h"
#include "quessel/util/Clock.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>

using namespace quessel;

namespace {

constexpr int WordCount = 10000;
constexpr int SiteCount = 1000;

ManualClock& benchClock()
{
    static ManualClock clock(QDateTime(QDate(2005, 3, 10), QTime(12, 0)));
    Clock::setInstance(&clock);
    return clock;
}

const CSearchWord& wordList()
{
    static const CSearchWord words = [] {
        benchClock();
        const double now = Clock::now();
        CSearchWord list;
        list.setNewDataDate(now - 3);
        for (int i = 0; i < WordCount; ++i) {
            const int index = list.AddNullWord();
            list.setWord(index, QStringLiteral(u"注目ワード%1").arg(i));
            list.setRegDate(index, now - 30 + i * (30.0 / WordCount));
            list.setValidDays(index, 30);
            list.setLastDate(index, i % 3 ? now - (i % 97) / 24.0 : EmptyDate);
            list.setUseCount(index, qint16(i % 500));
        }
        return list;
    }();
    return words;
}

// Every kind of rule: always, never, and limited by day, time zone and interval.
const CSearchSite& siteList()
{
    static const CSearchSite sites = [] {
        benchClock();
        const double now = Clock::now();
        CSearchSite list;
        for (int i = 0; i < SiteCount; ++i) {
            SearchSite s;
            s.Name = QStringLiteral(u"検索サイト%1").arg(i);
            s.URL = QStringLiteral("http://127.0.0.1/%1").arg(i);
            s.LastRun = i % 5 ? now - (i % 48) / 24.0 : EmptyDate;
            s.BatchSearch = qint16(1 + i % 3);
            s.BatchSearchSW = qint16(i % 4 ? 1 : 0);
            s.DayMaxN = qint16(i % 7);
            s.DayN = qint16(i % 5);
            s.TimeZoneType = qint16(1 + i % 6);
            s.TimeZoneMaxN = qint16(i % 3);
            s.UseInterval = (i % 4) / 24.0;
            list.setSite(list.AddSearchSite(), s);
        }
        return list;
    }();
    return sites;
}

std::unique_ptr<FlexGrid> shownGrid(void (*setup)(FlexGrid&, const ColumnWidthRoutines&))
{
    auto grid = std::make_unique<FlexGrid>();
    setup(*grid, {});
    grid->resize(900, 500);
    grid->show();
    QApplication::processEvents();
    return grid;
}

void BM_FillWordGrid10000_First(benchmark::State& state)
{
    CSearchWord words = wordList();
    for (auto _ : state) {
        state.PauseTiming();
        auto grid = shownGrid(&SetupSearchWordGrid);
        state.ResumeTiming();
        if (!FillSearchWordGrid(*grid, words, false))
            state.SkipWithError("fill failed");
        QApplication::processEvents(); // the repaint that follows
        state.PauseTiming();
        grid.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FillWordGrid10000_First)->Unit(benchmark::kMillisecond);

void BM_FillWordGrid10000_Refill(benchmark::State& state)
{
    CSearchWord words = wordList();
    auto grid = shownGrid(&SetupSearchWordGrid);
    (void)FillSearchWordGrid(*grid, words, false);
    for (auto _ : state) {
        if (!FillSearchWordGrid(*grid, words, false))
            state.SkipWithError("fill failed");
        QApplication::processEvents();
    }
}
BENCHMARK(BM_FillWordGrid10000_Refill)->Unit(benchmark::kMillisecond);

void BM_FillSiteGrid1000_First(benchmark::State& state)
{
    CSearchSite sites = siteList();
    programFlags().CompressView = state.range(0) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto grid = shownGrid(&SetupSearchSiteGrid);
        state.ResumeTiming();
        if (!FillSearchSiteGrid(*grid, sites, false))
            state.SkipWithError("fill failed");
        QApplication::processEvents();
        state.PauseTiming();
        grid.reset();
        state.ResumeTiming();
    }
    programFlags().CompressView = false;
}
BENCHMARK(BM_FillSiteGrid1000_First)->ArgName("compressed")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The scheduler's regular refresh, with the compressed view flipping every time so that rows
// really change between shown and hidden.
void BM_RefreshSiteNotes1000(benchmark::State& state)
{
    CSearchSite sites = siteList();
    auto grid = shownGrid(&SetupSearchSiteGrid);
    (void)FillSearchSiteGrid(*grid, sites, false);
    bool compressed = false;
    for (auto _ : state) {
        compressed = !compressed;
        programFlags().CompressView = compressed;
        RefreshSiteNotes(*grid, sites, 0);
        QApplication::processEvents();
    }
    programFlags().CompressView = false;
}
BENCHMARK(BM_RefreshSiteNotes1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
