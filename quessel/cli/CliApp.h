#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace quessel {

// quessel-cli: the lists without windows, and single search and trend runs in the program's
// browser. Texts in and out are UTF-8; a file changes only when the verb says so. Every failure
// ends as one line on the error stream and a non-zero status. The run verbs turn the event loop
// of the running QCoreApplication until the run ends.
class CliApp
{
public:
    CliApp(QTextStream& out, QTextStream& err, QTextStream& in);
    // args without the program name; returns the process exit status.
    int run(const QStringList& args);

    static QString usage();

private:
    struct Options;
    struct WebSession;
    int fail(const QString& message, int status = 2);
    bool applyOptions(Options& o);

    int listSites(const Options& o);
    int listWords(const Options& o);
    int listTrends(const Options& o);
    int notes(const Options& o);
    int wordList(const Options& o);
    int encode(const Options& o);
    int decode();
    int importSites(const Options& o);
    int exportSites(const Options& o);
    int runSite(const Options& o);
    int runTrend(const Options& o);
    int runProcessFile(const Options& o);

    // Runs the process automatically to its end, printing each status-list entry and each
    // step's end as they happen, then the result line. Returns the result code (1, 2 or 5).
    int runWebProcess(WebSession& session);
    // The exit status of a run: 0 when it finished, else 1 with one line saying so.
    int runStatus(int result, const WebSession& session);

    QTextStream& m_out;
    QTextStream& m_err;
    QTextStream& m_in;
};

} // namespace quessel
