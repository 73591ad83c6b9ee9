#include "quessel/shell/QuesselMain.h"

#include <QApplication>
#include <QString>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quessel"));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(QUESSEL_VERSION_MAJOR).arg(QUESSEL_VERSION_MINOR).arg(QUESSEL_VERSION_PATCH));
    return quessel::Main();
}
