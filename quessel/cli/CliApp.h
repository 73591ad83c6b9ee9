#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace quessel {

// quessel-cli: the lists without windows. Texts in and out are UTF-8; a file changes only when
// the verb says so. Every failure ends as one line on the error stream and a non-zero status.
class CliApp
{
public:
    CliApp(QTextStream& out, QTextStream& err, QTextStream& in);
    // args without the program name; returns the process exit status.
    int run(const QStringList& args);

    static QString usage();

private:
    struct Options;
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

    QTextStream& m_out;
    QTextStream& m_err;
    QTextStream& m_in;
};

} // namespace quessel
