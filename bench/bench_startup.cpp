// Start-up of the main window with large lists: loading the window (grid layouts, window
// manager), then the first activation (reading the three list files, dropping expired words,
// filling the grids, the word choices). 1,000 search sites, 10,000 watch words, 100 trend sites.
//
//   build/bench/bench_startup [rounds]
#include "quessel/data/CSearchSite.h"
#include "quessel/data/CSearchWord.h"
#include "quessel/data/CTrendSite.h"
#include "quessel/data/WebProcessScript.h"
#include "quessel/shell/MessageBoxes.h"
#include "quessel/shell/QuesselMain.h"
#include "quessel/shell/frmMain.h"
#include "quessel/util/Clock.h"
#include "quessel/util/DataFolder.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace quessel;

namespace {

constexpr int SiteCount = 1000;
constexpr int WordCount = 10000;
constexpr int TrendCount = 100;

bool writeLists()
{
    const double now = Clock::now();
    CSearchSite sites;
    sites.setFilePath(DataFolder::filePrefix() + QStringLiteral("SearchSite.DAT"));
    for (int i = 0; i < SiteCount; ++i) {
        const int index = sites.AddSearchSite();
        SearchSite s = sites.Site(index);
        s.Name = QStringLiteral(u"検索サイト%1").arg(i);
        s.URL = QStringLiteral("https://search%1.example.jp/").arg(i);
        s.KeywordID = QStringLiteral("q");
        s.Process = WebProcessScript::DefaultSearchProcess(s.URL, s.KeywordID);
        s.LastRun = now - (i % 90) / 24.0;
        s.DayMaxN = qint16(i % 31);
        s.DayN = qint16(i % 7);
        s.TimeZoneMaxN = qint16(i % 3);
        s.TimeZoneType = qint16(1 + i % 6);
        s.UseInterval = (i % 4) / 24.0;
        s.BatchSearch = qint16(1 + i % 3);
        sites.setSite(index, s);
    }
    CSearchWord words;
    words.setFilePath(DataFolder::filePrefix() + QStringLiteral("SearchWord.DAT"));
    for (int i = 0; i < WordCount; ++i) {
        const int index = words.AddWord(QStringLiteral(u"注目ワード%1").arg(i), 10 + i % 30);
        words.setRegDate(index, now - (i % 5)); // none expires
        words.setLastDate(index, i % 3 == 0 ? EmptyDate : now - (i % 50) / 24.0);
        words.setUseCount(index, qint16(i % 40));
    }
    CTrendSite trends;
    trends.setFilePath(DataFolder::filePrefix() + QStringLiteral("TrendSite.DAT"));
    for (int i = 0; i < TrendCount; ++i) {
        const int index = trends.AddTrendSite();
        trends.setName(index, QStringLiteral(u"注目ワードサイト%1").arg(i));
        trends.setLastRun(index, now - i / 24.0);
    }
    return sites.FileRW(1).ok && words.FileRW(1).ok && trends.FileRW(1).ok;
}

struct Round
{
    double loadMs = 0;
    double activateMs = 0;
};

Round oneStart()
{
    Round r;
    QElapsedTimer timer;
    timer.start();
    auto w = std::make_unique<frmMain>();
    r.loadMs = timer.nsecsElapsed() / 1e6;
    timer.restart();
    w->show();
    w->activateWindow();
    const QDeadlineTimer deadline(60000);
    while (w->ListsPending() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    r.activateMs = timer.nsecsElapsed() / 1e6;
    if (w->searchSites().Count() != SiteCount || w->searchWords().Count() != WordCount) {
        std::fprintf(stderr, "lists not loaded as written\n");
        r.activateMs = -1;
    }
    w->hide();
    return r;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    // A home of its own, so no real settings or lists are read or written.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QUESSEL_DATA_DIR", home.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", home.filePath(QStringLiteral("etc-xdg")).toLocal8Bit());
    const QString runtime = home.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    QApplication app(argc, argv);
    MessageBoxes::setUnattended(true);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;

    if (!writeLists()) {
        std::fprintf(stderr, "could not write the list files\n");
        return 1;
    }
    InitializeGlobals();
    oneStart(); // warm-up: fonts, styles and file cache

    std::vector<double> load;
    std::vector<double> activate;
    std::vector<double> total;
    for (int i = 0; i < rounds; ++i) {
        const Round r = oneStart();
        if (r.activateMs < 0)
            return 1;
        load.push_back(r.loadMs);
        activate.push_back(r.activateMs);
        total.push_back(r.loadMs + r.activateMs);
    }
    std::printf("start-up with %d sites, %d words, %d trend sites; %d rounds (median / best, ms)\n", SiteCount,
                WordCount, TrendCount, rounds);
    std::printf("  load (window, grid layouts)        %8.1f / %8.1f\n", median(load),
                *std::min_element(load.begin(), load.end()));
    std::printf("  first activation (read and fill)   %8.1f / %8.1f\n", median(activate),
                *std::min_element(activate.begin(), activate.end()));
    std::printf("  load to lists shown                %8.1f / %8.1f\n", median(total),
                *std::min_element(total.begin(), total.end()));
    return 0;
}
