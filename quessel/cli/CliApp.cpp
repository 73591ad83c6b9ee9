#include "CliApp.h"

#include "quessel/data/CSearchSite.h"
#include "quessel/data/CSearchWord.h"
#include "quessel/data/CTrendSite.h"
#include "quessel/data/ClipboardAccess.h"
#include "quessel/data/ExchangeText.h"
#include "quessel/data/Settings.h"
#include "quessel/data/SiteNameClash.h"
#include "quessel/util/Clock.h"
#include "quessel/util/DataFolder.h"
#include "quessel/util/FieldText.h"
#include "quessel/util/RandomSource.h"
#include "quessel/web/CWebBrowserWx.h"
#include "quessel/web/CWebProcess.h"
#include "quessel/web/ChromiumAutomation.h"
#include "quessel/web/TrendHarvest.h"
#include "quessel/web/WebProcessRunner.h"

#include <orvik/VbDate.h>

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <memory>

namespace quessel {

namespace {

// The exchange text a copy would put on the clipboard, kept here instead.
class CapturedClipboard : public ClipboardAccess
{
public:
    QString text() const override { return m_text; }
    void setText(const QString& text) override { m_text = text; }

private:
    QString m_text;
};

bool parseIndex(const QString& text, int* index)
{
    bool ok = false;
    *index = text.toInt(&ok);
    return ok;
}

} // namespace

struct CliApp::Options
{
    QString verb;
    QStringList positional;
    QString dataDir;
    QString now;
    QString seed;
    QString onClash = QStringLiteral("rename");
    QString word;
    bool wordGiven = false;
    QString memory1;
    bool memory1Given = false;
    std::unique_ptr<ManualClock> clock;
    std::unique_ptr<SeededRandom> random;
};

// What one run needs: the program's browser, its window manager and the process. The browser
// starts at the first window a step asks for and ends with this object.
struct CliApp::WebSession
{
    ChromiumAutomation automation;
    CWebBrowserWx browser{automation};
    CWebProcess process{browser};
};

CliApp::CliApp(QTextStream& out, QTextStream& err, QTextStream& in) : m_out(out), m_err(err), m_in(in) {}

QString CliApp::usage()
{
    return QStringLiteral("usage: quessel-cli VERB [ARGS] [--data-dir DIR]\n"
                          "  sites | words | trends          print each record as its file line\n"
                          "  notes [--now TIME]              site number, searchable now (1/0) and rule note\n"
                          "  word-list N [--now TIME] [--seed S]\n"
                          "                                  the candidate list of N watch words\n"
                          "  encode site|trend N             the exchange text of record N\n"
                          "  decode                          the payload of an exchange text read on standard input\n"
                          "  import FILE.ssi [--on-clash replace|rename|skip]\n"
                          "                                  add the sites of an exchange file (writes the site list)\n"
                          "  export FILE.ssi N...            write sites N... to an exchange file\n"
                          "  run-site N [--word W] [--seed S]\n"
                          "                                  search site N for W (default: a word drawn from the\n"
                          "                                  watch words) and record the search (writes the site\n"
                          "                                  and watch-word lists)\n"
                          "  run-trend N                     run trend site N and add the words it yields\n"
                          "                                  (writes the trend-site and watch-word lists)\n"
                          "  run-process FILE [--memory1 W]  run the process script in FILE; no list is touched\n"
                          "TIME is \"yyyy/mm/dd hh:nn:ss\". DIR defaults to the program's data folder.\n"
                          "Runs print each status entry and step end as it happens, then \"result R\" (1 finished,\n"
                          "2 cancelled, 5 a step stalled); they exit with 0 for result 1, else 1. The browser runs\n"
                          "headless when QUESSEL_HEADLESS=1.\n");
}

int CliApp::fail(const QString& message, int status)
{
    m_err << "quessel-cli: " << message << Qt::endl;
    return status;
}

int CliApp::run(const QStringList& args)
{
    Options o;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        auto value = [&](QString* target) {
            if (i + 1 >= args.size())
                return false;
            *target = args.at(++i);
            return true;
        };
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            m_out << usage();
            return 0;
        }
        if (a == QLatin1String("--data-dir")) {
            if (!value(&o.dataDir))
                return fail(QStringLiteral("--data-dir needs a folder"));
        } else if (a == QLatin1String("--now")) {
            if (!value(&o.now))
                return fail(QStringLiteral("--now needs a time \"yyyy/mm/dd hh:nn:ss\""));
        } else if (a == QLatin1String("--seed")) {
            if (!value(&o.seed))
                return fail(QStringLiteral("--seed needs a number"));
        } else if (a == QLatin1String("--on-clash")) {
            if (!value(&o.onClash))
                return fail(QStringLiteral("--on-clash needs replace, rename or skip"));
        } else if (a == QLatin1String("--word")) {
            if (!value(&o.word))
                return fail(QStringLiteral("--word needs a word"));
            o.wordGiven = true;
        } else if (a == QLatin1String("--memory1")) {
            if (!value(&o.memory1))
                return fail(QStringLiteral("--memory1 needs a text"));
            o.memory1Given = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            return fail(QStringLiteral("unknown option %1 (see --help)").arg(a));
        } else if (o.verb.isEmpty()) {
            o.verb = a;
        } else {
            o.positional << a;
        }
    }
    if (o.verb.isEmpty()) {
        m_err << usage();
        return 2;
    }
    if (!applyOptions(o)) {
        // An option may have installed its clock or random source before a later one failed.
        Clock::setInstance(nullptr);
        RandomSource::setInstance(nullptr);
        return 2;
    }

    const int status = [&] {
        if (o.verb == QLatin1String("sites"))
            return listSites(o);
        if (o.verb == QLatin1String("words"))
            return listWords(o);
        if (o.verb == QLatin1String("trends"))
            return listTrends(o);
        if (o.verb == QLatin1String("notes"))
            return notes(o);
        if (o.verb == QLatin1String("word-list"))
            return wordList(o);
        if (o.verb == QLatin1String("encode"))
            return encode(o);
        if (o.verb == QLatin1String("decode"))
            return decode();
        if (o.verb == QLatin1String("import"))
            return importSites(o);
        if (o.verb == QLatin1String("export"))
            return exportSites(o);
        if (o.verb == QLatin1String("run-site"))
            return runSite(o);
        if (o.verb == QLatin1String("run-trend"))
            return runTrend(o);
        if (o.verb == QLatin1String("run-process"))
            return runProcessFile(o);
        return fail(QStringLiteral("unknown verb %1 (see --help)").arg(o.verb));
    }();
    Clock::setInstance(nullptr);
    RandomSource::setInstance(nullptr);
    m_out.flush();
    return status;
}

bool CliApp::applyOptions(Options& o)
{
    if (!o.dataDir.isEmpty()) {
        // Only an existing folder: a mistyped path must not silently give empty lists.
        if (!QFileInfo(o.dataDir).isDir()) {
            fail(QStringLiteral("no such folder: %1").arg(o.dataDir));
            return false;
        }
        qputenv("QUESSEL_DATA_DIR", QDir(o.dataDir).absolutePath().toLocal8Bit());
    }
    if (!o.now.isEmpty()) {
        double moment = 0;
        if (!orvik::vbdate::parse(o.now, &moment) || moment < 1) {
            fail(QStringLiteral("--now is not a time \"yyyy/mm/dd hh:nn:ss\": %1").arg(o.now));
            return false;
        }
        o.clock = std::make_unique<ManualClock>();
        o.clock->setValue(moment);
        Clock::setInstance(o.clock.get());
    }
    if (!o.seed.isEmpty()) {
        bool ok = false;
        const quint64 seed = o.seed.toULongLong(&ok);
        if (!ok) {
            fail(QStringLiteral("--seed is not a whole number: %1").arg(o.seed));
            return false;
        }
        o.random = std::make_unique<SeededRandom>(seed);
        RandomSource::setInstance(o.random.get());
    }
    if (o.wordGiven && o.verb != QLatin1String("run-site")) {
        fail(QStringLiteral("--word goes with run-site only"));
        return false;
    }
    if (o.memory1Given && o.verb != QLatin1String("run-process")) {
        fail(QStringLiteral("--memory1 goes with run-process only"));
        return false;
    }
    // A clock that stands still would never let a step's time run out.
    if (o.clock && o.verb.startsWith(QLatin1String("run-"))) {
        fail(QStringLiteral("--now cannot be used with %1: runs need the real clock").arg(o.verb));
        return false;
    }
    if (o.onClash != QLatin1String("replace") && o.onClash != QLatin1String("rename") &&
        o.onClash != QLatin1String("skip")) {
        fail(QStringLiteral("--on-clash takes replace, rename or skip, not %1").arg(o.onClash));
        return false;
    }
    return true;
}

int CliApp::listSites(const Options&)
{
    CSearchSite sites;
    if (const FileResult r = sites.FileRW(0); !r)
        return fail(r.errorText, 1);
    for (int i = 1; i <= sites.Count(); ++i)
        m_out << sites.GetStrSearchSiteInfo(i) << '\n';
    return 0;
}

int CliApp::listWords(const Options&)
{
    CSearchWord words;
    if (const FileResult r = words.FileRW(0); !r)
        return fail(r.errorText, 1);
    for (int i = 1; i <= words.Count(); ++i)
        m_out << CSearchWord::recordLine(words.Record(i)) << '\n';
    return 0;
}

int CliApp::listTrends(const Options&)
{
    CTrendSite trends;
    if (const FileResult r = trends.FileRW(0); !r)
        return fail(r.errorText, 1);
    for (int i = 1; i <= trends.Count(); ++i)
        m_out << CTrendSite::FileLine(trends.Site(i)) << '\n';
    return 0;
}

int CliApp::notes(const Options&)
{
    CSearchSite sites;
    if (const FileResult r = sites.FileRW(0); !r)
        return fail(r.errorText, 1);
    for (int i = 1; i <= sites.Count(); ++i)
        m_out << i << '\t' << (sites.GetSearchSW(i) ? 1 : 0) << '\t' << sites.Note(i) << '\n';
    return 0;
}

int CliApp::wordList(const Options& o)
{
    int n = 0;
    if (o.positional.size() != 1 || !parseIndex(o.positional.at(0), &n) || n < 0)
        return fail(QStringLiteral("word-list needs one count N (0 or more)"));
    CSearchWord words;
    if (const FileResult r = words.FileRW(0); !r)
        return fail(r.errorText, 1);
    words.CreateWordList(n);
    QStringList list;
    words.GetWordList(list);
    for (const QString& word : std::as_const(list))
        m_out << word << '\n';
    return 0;
}

int CliApp::encode(const Options& o)
{
    int index = 0;
    if (o.positional.size() != 2 || !parseIndex(o.positional.at(1), &index))
        return fail(QStringLiteral("encode needs site or trend and a record number"));
    CapturedClipboard clipboard;
    const QString kind = o.positional.at(0);
    if (kind == QLatin1String("site")) {
        CSearchSite sites;
        if (const FileResult r = sites.FileRW(0); !r)
            return fail(r.errorText, 1);
        if (index < 1 || index > sites.Count())
            return fail(QStringLiteral("no search site %1 (the list has %2)").arg(index).arg(sites.Count()));
        sites.Copy_SearchSiteInfo(index, clipboard);
    } else if (kind == QLatin1String("trend")) {
        CTrendSite trends;
        if (const FileResult r = trends.FileRW(0); !r)
            return fail(r.errorText, 1);
        if (index < 1 || index > trends.Count())
            return fail(QStringLiteral("no trend site %1 (the list has %2)").arg(index).arg(trends.Count()));
        trends.Copy_TrendSiteInfo(index, clipboard);
    } else {
        return fail(QStringLiteral("encode takes site or trend, not %1").arg(kind));
    }
    m_out << clipboard.text() << '\n';
    return 0;
}

int CliApp::decode()
{
    const QString payload = DecodeExchangeText(m_in.readAll());
    m_out << payload << '\n';
    return payload == ExchangeError ? 1 : 0;
}

int CliApp::importSites(const Options& o)
{
    if (o.positional.size() != 1)
        return fail(QStringLiteral("import needs one exchange file"));
    const QString file = o.positional.at(0);
    if (!QFileInfo(file).isFile())
        return fail(QStringLiteral("no such file: %1").arg(file));
    CSearchSite sites;
    if (const FileResult r = sites.FileRW(0); !r)
        return fail(r.errorText, 1);
    const ClashChoice choice = o.onClash == QLatin1String("replace") ? ClashChoice::Replace
                               : o.onClash == QLatin1String("skip")  ? ClashChoice::Skip
                                                                     : ClashChoice::Rename;
    FixedClashChoice prompt(choice);
    FileResult io;
    const int stored = sites.Import_SearchSiteInfo(file, prompt, &io);
    if (!io)
        return fail(io.errorText, 1);
    if (stored > 0) {
        if (const FileResult r = sites.FileRW(1); !r)
            return fail(r.errorText, 1);
    }
    m_out << stored << " site(s) imported\n";
    return 0;
}

int CliApp::exportSites(const Options& o)
{
    if (o.positional.size() < 2)
        return fail(QStringLiteral("export needs a file and at least one site number"));
    CSearchSite sites;
    if (const FileResult r = sites.FileRW(0); !r)
        return fail(r.errorText, 1);
    QList<int> indexes;
    for (qsizetype i = 1; i < o.positional.size(); ++i) {
        int index = 0;
        if (!parseIndex(o.positional.at(i), &index) || index < 1 || index > sites.Count())
            return fail(
                QStringLiteral("no search site %1 (the list has %2)").arg(o.positional.at(i)).arg(sites.Count()));
        indexes << index;
    }
    FileResult io;
    if (!sites.Export_SearchSiteInfo(o.positional.at(0), indexes, &io))
        return fail(io.errorText.isEmpty() ? QStringLiteral("エクスポートに失敗しました！") : io.errorText, 1);
    m_out << indexes.size() << " site(s) exported\n";
    return 0;
}

int CliApp::runSite(const Options& o)
{
    int index = 0;
    if (o.positional.size() != 1 || !parseIndex(o.positional.at(0), &index))
        return fail(QStringLiteral("run-site needs one search-site number"));
    LoadSettings(appSettings());
    CSearchSite sites;
    if (const FileResult r = sites.FileRW(0); !r)
        return fail(r.errorText, 1);
    if (index < 1 || index > sites.Count())
        return fail(QStringLiteral("no search site %1 (the list has %2)").arg(index).arg(sites.Count()));
    CSearchWord words;
    if (const FileResult r = words.FileRW(0); !r)
        return fail(r.errorText, 1);

    // As a search run draws it: an empty word means one from the candidates, else any word.
    QString word = o.word;
    if (word.isEmpty()) {
        words.CreateWordList(10);
        word = words.RandomGetWordList();
        if (word.isEmpty())
            word = words.RandomGetWord(-1);
    }
    WebSession session;
    if (const WebProcessScript::ReadResult r = session.process.setProcessStr(sites.Process(index)); !r)
        return fail(QStringLiteral("the process of search site %1 cannot be read: %2").arg(index).arg(r.errorText), 1);
    session.process.setMemory(1, word);
    m_out << QStringLiteral("検索【") << sites.Name(index) << QStringLiteral("】") << Qt::endl;
    m_out << "word: " << word << Qt::endl;
    const int result = runWebProcess(session);

    // Whatever the result, as the program does: the word's use and the site's search are counted.
    words.UseWord(word, true);
    if (const FileResult r = words.FileRW(1); !r)
        return fail(r.errorText, 1);
    sites.SearchAction(index);
    if (const FileResult r = sites.FileRW(1); !r)
        return fail(r.errorText, 1);
    return runStatus(result, session);
}

int CliApp::runTrend(const Options& o)
{
    int index = 0;
    if (o.positional.size() != 1 || !parseIndex(o.positional.at(0), &index))
        return fail(QStringLiteral("run-trend needs one trend-site number"));
    LoadSettings(appSettings());
    CTrendSite trends;
    if (const FileResult r = trends.FileRW(0); !r)
        return fail(r.errorText, 1);
    if (index < 1 || index > trends.Count())
        return fail(QStringLiteral("no trend site %1 (the list has %2)").arg(index).arg(trends.Count()));
    CSearchWord words;
    if (const FileResult r = words.FileRW(0); !r)
        return fail(r.errorText, 1);
    words.setNewDataDate(Clock::now());

    WebSession session;
    if (const WebProcessScript::ReadResult r = session.process.setProcessStr(trends.Site(index).Process); !r)
        return fail(QStringLiteral("the process of trend site %1 cannot be read: %2").arg(index).arg(r.errorText), 1);
    m_out << QStringLiteral("注目ワード収集【") << trends.Name(index) << QStringLiteral("】") << Qt::endl;
    const int result = runWebProcess(session);

    // Words are taken only from a finished run; the trend list is written either way.
    if (result == WebProcessRunner::Finished) {
        const TrendHarvest::Result harvest =
            TrendHarvest::addToWatchWords(TrendHarvest::harvestedWords(session.process), words);
        for (const QString& word : harvest.taken)
            m_out << "word: " << word << '\n';
        if (const FileResult r = words.FileRW(1); !r)
            return fail(r.errorText, 1);
        trends.setLastRun(index, Clock::now());
    }
    if (const FileResult r = trends.FileRW(1); !r)
        return fail(r.errorText, 1);
    return runStatus(result, session);
}

int CliApp::runProcessFile(const Options& o)
{
    if (o.positional.size() != 1)
        return fail(QStringLiteral("run-process needs one script file"));
    QFile file(o.positional.at(0));
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()), 1);
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    // The script is one line; an editor's final line end is not part of it.
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);

    WebSession session;
    if (const WebProcessScript::ReadResult r = session.process.setProcessStr(text); !r)
        return fail(QStringLiteral("the process in %1 cannot be read: %2").arg(file.fileName(), r.errorText), 1);
    if (o.memory1Given)
        session.process.setMemory(1, o.memory1);
    const int result = runWebProcess(session);
    for (int n = 1; n <= CWebProcess::MemoryLast; ++n) {
        if (!session.process.Memory(n).isEmpty())
            m_out << "memory " << n << ": " << session.process.Memory(n) << '\n';
    }
    return runStatus(result, session);
}

int CliApp::runWebProcess(WebSession& session)
{
    CWebProcess& process = session.process;
    WebProcessRunner runner(process);
    QObject::connect(&runner, &WebProcessRunner::statusEntry,
                     [this](const QString& entry) { m_out << entry << Qt::endl; });
    // Each step's end once: a step that failed stays current and is reported at every tick.
    QHash<int, qint32> shown;
    QObject::connect(&runner, &WebProcessRunner::stepStatusChanged, [&](int step, qint32 status, const QString& text) {
        const qint32 before = shown.value(step, CWebProcess::NotStarted);
        shown[step] = status;
        if (status == before ||
            (status != CWebProcess::Done && status != CWebProcess::Failed && status != CWebProcess::TimedOut))
            return;
        m_out << QStringLiteral("(%1/%2) %3: %4").arg(step).arg(process.ProcessN()).arg(process.ProName(step), text)
              << Qt::endl;
    });
    QEventLoop loop;
    QObject::connect(&runner, &WebProcessRunner::finished, &loop, &QEventLoop::quit);
    runner.startAutoRun();
    if (runner.pbRetuen() == WebProcessRunner::NoResult)
        loop.exec();
    const int result = runner.pbRetuen();
    m_out << "result " << result << Qt::endl;
    return result;
}

int CliApp::runStatus(int result, const WebSession& session)
{
    if (result == WebProcessRunner::Finished)
        return 0;
    QString message = QStringLiteral("the run did not finish (result %1)").arg(result);
    if (!session.automation.lastError().isEmpty())
        message += QStringLiteral("; browser: ") + session.automation.lastError();
    return fail(message, 1);
}

} // namespace quessel
