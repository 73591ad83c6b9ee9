#pragma once

#include <QSplashScreen>
#include <QString>

namespace quessel {

// The start-up picture: the program's name and "Version " + major.minor.revision, centred on
// the screen, without title bar and outside the task bar.
class SplashWindow : public QSplashScreen
{
    Q_OBJECT

public:
    explicit SplashWindow(const QString& version);

    QString versionLabel() const { return m_versionLabel; }

private:
    QString m_versionLabel;
};

} // namespace quessel
