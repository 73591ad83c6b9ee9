#pragma once

#include <QString>

namespace quessel {

// The process-wide values set once at start-up.
struct ProgramGlobals
{
    QString applicationFolder; // the executable's folder
    QString dataFolder;        // where the list files live; made the current directory
    QString documentFolder;    // where file dialogs start; follows the files the user picks
    QString dataFilePrefix;    // data folder + "/VELT_" + user name + "_"
    QString helpFile;          // the contents page of the help
    double OneSecond = 1.0 / 86400.0;
    double OldestWordDate = 0;   // 1990/01/01
    double FallbackWordDate = 0; // 2015/12/31
    QString EditorDateFormat = QStringLiteral("yyyy/mm/dd hh:nn:ss");

    // Settings files that could not be read at start-up. While any of them is one the program
    // would write to, the settings are never written during the run, so nothing in them is lost.
    QString settingsReadError;
    bool settingsWriteBlocked = false;
};

ProgramGlobals& programGlobals();

// The start-up routine: refuses a second copy, shows the splash, sets the process-wide values,
// loads the main window and runs the program until the main window closes. The process's exit
// status: 0 after a normal run, 1 when another copy is running.
int Main();

// Sets the process-wide values, loads the settings record and, unless it could not be read,
// writes it straight back so that every value exists from the first run on.
void InitializeGlobals();

// Settings files that exist but cannot be read, one line each; empty when all could be read.
// `blocksWriting` tells whether one of them is a file the settings would be written to.
QString CheckSettingsReadable(bool* blocksWriting);

// The splash stays at least this long.
inline constexpr double SplashSeconds = 1.5;
// Whether the splash wait is over, from two readings of the seconds-since-midnight clock: the
// time is up, or the clock fell more than 100 s below the start (it passed midnight).
bool SplashWaitOver(double startSeconds, double nowSeconds);
// Keeps the event loop turning until SplashWaitOver, reading Clock::secondsSinceMidnight.
void WaitForSplash(double startSeconds);

// major.minor.revision of the program, from the application version.
QString VersionText();

inline const QString SecondStartText = QStringLiteral(u"すでにこのプログラムは起動しています！");
inline const QString SecondStartTitle = QStringLiteral(u"起動エラー");

} // namespace quessel
