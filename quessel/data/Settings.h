#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

namespace quessel {

// The program's settings record. Members carry the registry value names; date-time members
// are day counts since 1899-12-30 (fraction = time of day). Values under "kept" are not used by
// the program but are read and written back so the registry keeps every value it ever had.
struct Settings
{
    // Machine hive, section "Settings"
    bool WindowTopMost = false;
    qint32 OpaqueRateMain = 100;
    // kept
    qint32 DebugFlag = 0;
    qint32 ViewPartsFlag = 1;
    bool IeItemAutoUpdate = false;
    QString PrinterName;
    float PrnOffsetX = 0.0f;
    float PrnOffsetY = 0.0f;
    float PrnScale = 100.0f;
    qint16 PrnOrientation = 0;
    qint16 OrderListDateWidth = 0;
    bool AnalyzeView = false;
    qint16 AnalyzeWidth = 0;
    qint32 CurrentUserInfoID = 0;
    bool StartClipBoardMode = false;
    qint16 GetTrendWaitTime = 120;

    // Machine hive, section "WebMemory" (kept)
    qint16 Weg_LogoutItemNo = -1;

    // Machine hive, section "PositionIE" (kept)
    qint16 WebPage_Left = 0;
    qint16 WebPage_Top = 0;
    qint16 WebPage_Width = 1024;
    qint16 WebPage_Height = 750;

    // Machine hive, section "SetBrowser" (kept)
    bool BrowserUnloadClose = true;
    bool OtherClose = true;
    qint16 ProcessFinishURL = 1;
    double DeleteSpecifyTime = 24.0;
    bool AfterAutoWebView = false;
    bool Restart = false;
    bool ViewFinishHide = false;
    qint16 WebViewTime1 = 10;
    qint16 WebViewTime2 = 60;
    qint16 WebViewTime3 = 3;
    double NextPlayTime = 73050.0; // date-time: 2099/12/31
    qint16 WebPatrolN = 0;

    // Machine hive, section "Sound" (kept)
    QString SoundClipBoard;

    // User hive, section "Settings"
    double ShutDownWaitTime = 61.0 / 86400.0; // date-time (a duration): 0:01:01

    // User hive, section "SearchWoed" (spelled so in the registry)
    qint16 DefaultValidDays = 10;
    double LastTrendWordCollect = 0.0; // date-time
    qint16 IssuedSearchWord = 1;       // 1 off, 2 copy, 3 copy and paste

    // User hive, section "Setting_Action"
    bool AutoSearchRepeat = true;
    qint16 RepeatMaxN = 30;
    qint16 SearchInterval = 10;  // seconds
    qint16 SearchInterval2 = 20; // seconds; may be below SearchInterval
    bool SearchWatch = false;
    qint16 AutoSearchStartTime = 3; // minutes
    qint16 AutoShutDownTime = 30;   // minutes

    // User hive, section "Setting_Option" (kept)
    qint16 InternetExplorerMax = 1;
    qint16 RepeatN = 0;
    qint16 RepeatInterval = 5;
    bool StatusClear = false;
    bool DelCookies = false;
    // Pair i is stored under the names "ReportMailAddress" / "ReportDisplayName" prefixed with
    // nothing for i = 0 and with the digit i otherwise.
    std::array<QString, 5> ReportMailAddress;
    std::array<QString, 5> ReportDisplayName{
        QStringLiteral(u"巡回管理者1"), QStringLiteral(u"巡回管理者2"), QStringLiteral(u"巡回管理者3"),
        QStringLiteral(u"巡回管理者4"), QStringLiteral(u"巡回管理者5"),
    };
    bool ReportStartMail = false;
    bool ReportEndMail = false;
    qint16 ReportErrorMaxN = 20;

    bool operator==(const Settings&) const = default;
};

// Fills the record from the registry (machine hive first, then the user hive); missing, empty
// or unreadable values give their defaults.
void LoadSettings(Settings& s);
// Writes every value of the record back, in the same order. Failed writes are reported by the
// registry class itself and otherwise ignored.
void SaveSettings(const Settings& s);

// The one record the program runs on.
Settings& appSettings();

} // namespace quessel
