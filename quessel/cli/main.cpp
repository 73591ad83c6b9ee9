#include "CliApp.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quessel"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    QTextStream in(stdin);
    for (QTextStream* s : {&out, &err, &in})
        s->setEncoding(QStringConverter::Utf8);
    quessel::CliApp cli(out, err, in);
    return cli.run(QCoreApplication::arguments().mid(1));
}
