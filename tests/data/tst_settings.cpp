#include "quessel/data/Settings.h"

#include <orvik/CRegistry.h>
#include <orvik/VbDate.h>

#include <QFile>
#include <QSet>
#include <QSettings>
#include <QTest>

#include <functional>
#include <map>

using namespace quessel;
using orvik::CRegistry;
using orvik::erlMachine;
using orvik::erlUser;
using orvik::vbdate::fromParts;

Q_DECLARE_METATYPE(orvik::eRegistLocate)

namespace {

const QString App = QStringLiteral("Quessel");
const QString Missing = QStringLiteral("<missing>");

// Every value of the record: where it lives, the text a first start writes, and a text of a
// value different from the default (the values of otherRecord() below).
struct Row
{
    orvik::eRegistLocate root;
    QString section;
    QString name;
    QString defaultText;
    QString otherText;
};

QList<Row> table()
{
    auto A = [](const char* section, const char* name, const char* def, const char* other) {
        return Row{erlMachine, QString::fromUtf8(section), QString::fromUtf8(name), QString::fromUtf8(def),
                   QString::fromUtf8(other)};
    };
    auto B = [&](const char* section, const char* name, const char* def, const char* other) {
        Row r = A(section, name, def, other);
        r.root = erlUser;
        return r;
    };
    QList<Row> rows{
        A("Settings", "WindowTopMost", "False", "True"),
        A("Settings", "OpaqueRateMain", "100", "70"),
        A("Settings", "DebugFlag", "0", "2147483647"),
        A("Settings", "ViewPartsFlag", "1", "-2147483648"),
        A("Settings", "IeItemAutoUpdate", "False", "True"),
        A("Settings", "PrinterName", "", "プリンタ Ａ"),
        A("Settings", "PrnOffsetX", "0", "-1.5"),
        A("Settings", "PrnOffsetY", "0", "0.1"),
        A("Settings", "PrnScale", "100", "123.25"),
        A("Settings", "PrnOrientation", "0", "2"),
        A("Settings", "OrderListDateWidth", "0", "1500"),
        A("Settings", "AnalyzeView", "False", "True"),
        A("Settings", "AnalyzeWidth", "0", "-32768"),
        A("Settings", "CurrentUserInfoID", "0", "77"),
        A("Settings", "StartClipBoardMode", "False", "True"),
        A("Settings", "GetTrendWaitTime", "120", "32767"),
        A("WebMemory", "Weg_LogoutItemNo", "-1", "7"),
        A("PositionIE", "WebPage_Left", "0", "-8"),
        A("PositionIE", "WebPage_Top", "0", "12"),
        A("PositionIE", "WebPage_Width", "1024", "800"),
        A("PositionIE", "WebPage_Height", "750", "600"),
        A("SetBrowser", "BrowserUnloadClose", "True", "False"),
        A("SetBrowser", "OtherClose", "True", "False"),
        A("SetBrowser", "ProcessFinishURL", "1", "3"),
        A("SetBrowser", "DeleteSpecifyTime", "24", "1.75"),
        A("SetBrowser", "AfterAutoWebView", "False", "True"),
        A("SetBrowser", "Restart", "False", "True"),
        A("SetBrowser", "ViewFinishHide", "False", "True"),
        A("SetBrowser", "WebViewTime1", "10", "11"),
        A("SetBrowser", "WebViewTime2", "60", "61"),
        A("SetBrowser", "WebViewTime3", "3", "4"),
        A("SetBrowser", "NextPlayTime", "2099/12/31 00:00:00", "2024/05/06 07:08:09"),
        A("SetBrowser", "WebPatrolN", "0", "5"),
        A("Sound", "SoundClipBoard", "", "/usr/share/sounds/ding.wav"),
        B("Settings", "ShutDownWaitTime", "0:01:01", "0:02:30"),
        B("SearchWoed", "DefaultValidDays", "10", "45"),
        B("SearchWoed", "LastTrendWordCollect", "0:00:00", "2024/02/29 23:59:59"),
        B("SearchWoed", "IssuedSearchWord", "1", "3"),
        B("Setting_Action", "AutoSearchRepeat", "True", "False"),
        B("Setting_Action", "RepeatMaxN", "30", "99"),
        B("Setting_Action", "SearchInterval", "10", "15"),
        B("Setting_Action", "SearchInterval2", "20", "25"),
        B("Setting_Action", "SearchWatch", "False", "True"),
        B("Setting_Action", "AutoSearchStartTime", "3", "6"),
        B("Setting_Action", "AutoShutDownTime", "30", "90"),
        B("Setting_Option", "InternetExplorerMax", "1", "2"),
        B("Setting_Option", "RepeatN", "0", "8"),
        B("Setting_Option", "RepeatInterval", "5", "9"),
        B("Setting_Option", "StatusClear", "False", "True"),
        B("Setting_Option", "DelCookies", "False", "True"),
        B("Setting_Option", "ReportStartMail", "False", "True"),
        B("Setting_Option", "ReportEndMail", "False", "True"),
        B("Setting_Option", "ReportErrorMaxN", "20", "21"),
    };
    for (int i = 0; i < 5; ++i) {
        const QString prefix = i == 0 ? QString() : QString::number(i);
        const QString n = QString::number(i + 1);
        rows.append(Row{erlUser, QStringLiteral("Setting_Option"), prefix + QStringLiteral("ReportMailAddress"),
                        QString(), QStringLiteral("report%1@example.org").arg(n)});
        rows.append(Row{erlUser, QStringLiteral("Setting_Option"), prefix + QStringLiteral("ReportDisplayName"),
                        QStringLiteral("巡回管理者") + n, QStringLiteral("担当") + n});
    }
    return rows;
}

Settings otherRecord()
{
    Settings s;
    s.WindowTopMost = true;
    s.OpaqueRateMain = 70;
    s.DebugFlag = 2147483647;
    s.ViewPartsFlag = -2147483647 - 1;
    s.IeItemAutoUpdate = true;
    s.PrinterName = QStringLiteral("プリンタ Ａ");
    s.PrnOffsetX = -1.5f;
    s.PrnOffsetY = 0.1f;
    s.PrnScale = 123.25f;
    s.PrnOrientation = 2;
    s.OrderListDateWidth = 1500;
    s.AnalyzeView = true;
    s.AnalyzeWidth = -32768;
    s.CurrentUserInfoID = 77;
    s.StartClipBoardMode = true;
    s.GetTrendWaitTime = 32767;
    s.Weg_LogoutItemNo = 7;
    s.WebPage_Left = -8;
    s.WebPage_Top = 12;
    s.WebPage_Width = 800;
    s.WebPage_Height = 600;
    s.BrowserUnloadClose = false;
    s.OtherClose = false;
    s.ProcessFinishURL = 3;
    s.DeleteSpecifyTime = 1.75;
    s.AfterAutoWebView = true;
    s.Restart = true;
    s.ViewFinishHide = true;
    s.WebViewTime1 = 11;
    s.WebViewTime2 = 61;
    s.WebViewTime3 = 4;
    s.NextPlayTime = fromParts(2024, 5, 6, 7, 8, 9);
    s.WebPatrolN = 5;
    s.SoundClipBoard = QStringLiteral("/usr/share/sounds/ding.wav");
    s.ShutDownWaitTime = 150.0 / 86400.0;
    s.DefaultValidDays = 45;
    s.LastTrendWordCollect = fromParts(2024, 2, 29, 23, 59, 59);
    s.IssuedSearchWord = 3;
    s.AutoSearchRepeat = false;
    s.RepeatMaxN = 99;
    s.SearchInterval = 15;
    s.SearchInterval2 = 25;
    s.SearchWatch = true;
    s.AutoSearchStartTime = 6;
    s.AutoShutDownTime = 90;
    s.InternetExplorerMax = 2;
    s.RepeatN = 8;
    s.RepeatInterval = 9;
    s.StatusClear = true;
    s.DelCookies = true;
    for (int i = 0; i < 5; ++i) {
        s.ReportMailAddress[i] = QStringLiteral("report%1@example.org").arg(i + 1);
        s.ReportDisplayName[i] = QStringLiteral("担当%1").arg(i + 1);
    }
    s.ReportStartMail = true;
    s.ReportEndMail = true;
    s.ReportErrorMaxN = 21;
    return s;
}

QString hivePath(orvik::eRegistLocate root)
{
    return root == erlMachine ? CRegistry::machineHivePath() : CRegistry::userHivePath();
}

QString rootName(orvik::eRegistLocate root)
{
    return root == erlMachine ? QStringLiteral("machine") : QStringLiteral("user");
}

// The values a hive file holds, as "section/name" -> text, read straight from the file so that
// an empty text (which the registry class reads as the default) still shows.
std::map<QString, QString> hiveValues(orvik::eRegistLocate root)
{
    QSettings file(hivePath(root), QSettings::IniFormat);
    file.beginGroup(QStringLiteral("SOFTWARE/Dorvath/Quessel"));
    std::map<QString, QString> values;
    const QStringList keys = file.allKeys();
    for (const QString& key : keys)
        values[key] = file.value(key).toString();
    return values;
}

// The rows whose registry text differs from the chosen column, one line each.
QStringList mismatches(bool otherColumn)
{
    QStringList out;
    CRegistry reg;
    for (const Row& r : table()) {
        const QString want = otherColumn ? r.otherText : r.defaultText;
        const QString got = reg.GetSetting2(r.root, App, r.section, r.name, Missing);
        // An empty text reads as the default; those rows are checked in the file itself.
        if (want.isEmpty() ? hiveValues(r.root)[r.section + QLatin1Char('/') + r.name] != want : got != want)
            out << QStringLiteral("%1 %2/%3: '%4', expected '%5'").arg(rootName(r.root), r.section, r.name, got, want);
    }
    return out;
}

void writeTexts(bool otherColumn)
{
    CRegistry reg;
    for (const Row& r : table())
        reg.SaveSetting2(r.root, App, r.section, r.name, otherColumn ? r.otherText : r.defaultText);
}

// Accessors for the members the conversion cases look at.
using Getter = std::function<QVariant(const Settings&)>;
const std::map<QString, Getter>& getters()
{
    static const std::map<QString, Getter> map{
        {QStringLiteral("WindowTopMost"), [](const Settings& s) { return QVariant(s.WindowTopMost); }},
        {QStringLiteral("AutoSearchRepeat"), [](const Settings& s) { return QVariant(s.AutoSearchRepeat); }},
        {QStringLiteral("SearchWatch"), [](const Settings& s) { return QVariant(s.SearchWatch); }},
        {QStringLiteral("OpaqueRateMain"), [](const Settings& s) { return QVariant::fromValue(s.OpaqueRateMain); }},
        {QStringLiteral("DebugFlag"), [](const Settings& s) { return QVariant::fromValue(s.DebugFlag); }},
        {QStringLiteral("RepeatMaxN"), [](const Settings& s) { return QVariant::fromValue(s.RepeatMaxN); }},
        {QStringLiteral("SearchInterval"), [](const Settings& s) { return QVariant::fromValue(s.SearchInterval); }},
        {QStringLiteral("Weg_LogoutItemNo"), [](const Settings& s) { return QVariant::fromValue(s.Weg_LogoutItemNo); }},
        {QStringLiteral("PrnScale"), [](const Settings& s) { return QVariant::fromValue(s.PrnScale); }},
        {QStringLiteral("DeleteSpecifyTime"), [](const Settings& s) { return QVariant(s.DeleteSpecifyTime); }},
        {QStringLiteral("NextPlayTime"), [](const Settings& s) { return QVariant(s.NextPlayTime); }},
        {QStringLiteral("ShutDownWaitTime"), [](const Settings& s) { return QVariant(s.ShutDownWaitTime); }},
        {QStringLiteral("LastTrendWordCollect"), [](const Settings& s) { return QVariant(s.LastTrendWordCollect); }},
    };
    return map;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The cases delete the hives: never those of the machine this runs on.
        if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME") || qEnvironmentVariableIsEmpty("XDG_CONFIG_DIRS"))
            QFAIL("run through ctest, which gives the test temporary XDG_CONFIG_HOME and XDG_CONFIG_DIRS");
    }

    void init()
    {
        // Each case starts on a clean machine.
        QFile::remove(CRegistry::userHivePath());
        QFile::remove(CRegistry::machineHivePath());
        QFile::remove(CRegistry::machineOverlayHivePath());
    }

    void defaultsOnCleanHome()
    {
        Settings s = otherRecord();
        LoadSettings(s);
        QVERIFY(s == Settings());
        QCOMPARE(qRound(s.ShutDownWaitTime * 86400), 61);
        QCOMPARE(s.LastTrendWordCollect, 0.0);
        QCOMPARE(s.NextPlayTime, fromParts(2099, 12, 31));
        QCOMPARE(s.IeItemAutoUpdate, false);
        QCOMPARE(s.AutoSearchRepeat, true);
        QCOMPARE(s.Weg_LogoutItemNo, qint16(-1));
        QCOMPARE(s.PrnScale, 100.0f);
        QCOMPARE(s.ReportDisplayName[0], QStringLiteral("巡回管理者1"));
        QCOMPARE(s.ReportDisplayName[4], QStringLiteral("巡回管理者5"));
        QVERIFY(s.ReportMailAddress[4].isEmpty());
    }

    // One first start (load, then save, on clean hives); each row checks one value it wrote.
    void firstStartWritesEveryDefault_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("inFile");
        QTest::addColumn<QString>("readBack");
        QTest::addColumn<QString>("inOtherHive");

        init();
        Settings s;
        LoadSettings(s);
        SaveSettings(s);

        const std::map<QString, QString> files[2] = {hiveValues(erlMachine), hiveValues(erlUser)};
        CRegistry reg;
        for (const Row& r : table()) {
            const QString key = r.section + QLatin1Char('/') + r.name;
            const auto it = files[r.root].find(key);
            const orvik::eRegistLocate otherRoot = r.root == erlMachine ? erlUser : erlMachine;
            const QString row =
                QStringLiteral("%1 %2/%3 = '%4'").arg(rootName(r.root), r.section, r.name, r.defaultText);
            QTest::newRow(qPrintable(row)) << r.defaultText << (it == files[r.root].end() ? Missing : it->second)
                                           << reg.GetSetting2(r.root, App, r.section, r.name, Missing)
                                           << reg.GetSetting2(otherRoot, App, r.section, r.name, Missing);
        }
    }
    void firstStartWritesEveryDefault()
    {
        QFETCH(QString, text);
        QFETCH(QString, inFile);
        QFETCH(QString, readBack);
        QFETCH(QString, inOtherHive);

        QCOMPARE(inFile, text);
        // The registry class reads an empty text as the default: here the marker for "missing".
        QCOMPARE(readBack, text.isEmpty() ? Missing : text);
        QCOMPARE(inOtherHive, Missing);
    }

    void hivesHoldNothingElse()
    {
        SaveSettings(Settings());
        QSet<QString> expected[2];
        for (const Row& r : table())
            expected[r.root].insert(r.section + QLatin1Char('/') + r.name);
        for (orvik::eRegistLocate root : {erlMachine, erlUser}) {
            QSet<QString> written;
            for (const auto& [key, text] : hiveValues(root))
                written.insert(key);
            QCOMPARE(written, expected[root]);
        }
    }

    void everyValueRoundTrips()
    {
        const Settings other = otherRecord();
        SaveSettings(other);
        QStringList wrong = mismatches(true);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));

        // Read from texts written by someone else, then written back by us: each text must land
        // in its own member and come out under its own name.
        init();
        writeTexts(true);
        Settings loaded;
        LoadSettings(loaded);
        init();
        SaveSettings(loaded);
        wrong = mismatches(true);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
        QVERIFY(loaded == other);
    }

    void longestPauseBelowShortestKept()
    {
        Settings s;
        s.SearchInterval = 30;
        s.SearchInterval2 = 5;
        SaveSettings(s);
        Settings loaded;
        LoadSettings(loaded);
        QCOMPARE(loaded.SearchInterval, qint16(30));
        QCOMPARE(loaded.SearchInterval2, qint16(5));
        CRegistry reg;
        QCOMPARE(reg.GetSetting2(erlUser, App, QStringLiteral("Setting_Action"), QStringLiteral("SearchInterval2")),
                 QStringLiteral("5"));
    }

    void storedTextRead_data()
    {
        QTest::addColumn<orvik::eRegistLocate>("root");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QVariant>("value");

        const QString set = QStringLiteral("Settings");
        const QString action = QStringLiteral("Setting_Action");
        const QString word = QStringLiteral("SearchWoed");
        const QString browser = QStringLiteral("SetBrowser");
        auto i16 = [](int v) { return QVariant::fromValue(qint16(v)); };
        auto i32 = [](qint32 v) { return QVariant::fromValue(v); };

        QTest::newRow("16-bit above its range clamps to 32767") << erlUser << action << "RepeatMaxN"
                                                                << "40000" << i16(32767);
        QTest::newRow("16-bit below its range clamps to -32768") << erlMachine << "WebMemory"
                                                                 << "Weg_LogoutItemNo"
                                                                 << "-40000" << i16(-32768);
        QTest::newRow("32-bit above its range clamps") << erlMachine << set << "OpaqueRateMain"
                                                       << "3000000000" << i32(2147483647);
        QTest::newRow("beyond 64 bits clamps too") << erlMachine << set << "DebugFlag"
                                                   << "-99999999999999999999999" << i32(-2147483647 - 1);
        QTest::newRow("integer with blanks around") << erlUser << action << "SearchInterval"
                                                    << " 42 " << i16(42);
        QTest::newRow("integer with plus sign") << erlUser << action << "SearchInterval"
                                                << "+42" << i16(42);
        QTest::newRow("integer bad text gives the default") << erlUser << action << "SearchInterval"
                                                            << "abc" << i16(10);
        QTest::newRow("integer with a fraction gives the default") << erlUser << action << "RepeatMaxN"
                                                                   << "12.5" << i16(30);
        QTest::newRow("integer empty text gives the default") << erlUser << action << "RepeatMaxN"
                                                              << "" << i16(30);
        QTest::newRow("boolean any case") << erlUser << action << "SearchWatch"
                                          << "tRUE" << QVariant(true);
        QTest::newRow("boolean -1 is true") << erlUser << action << "SearchWatch"
                                            << "-1" << QVariant(true);
        QTest::newRow("boolean 0 is false") << erlUser << action << "AutoSearchRepeat"
                                            << "0" << QVariant(false);
        QTest::newRow("boolean bad text gives the default True") << erlUser << action << "AutoSearchRepeat"
                                                                 << "abc" << QVariant(true);
        QTest::newRow("boolean bad text gives the default False") << erlMachine << set << "WindowTopMost"
                                                                  << "yes" << QVariant(false);
        QTest::newRow("single with a comma gives the default") << erlMachine << set << "PrnScale"
                                                               << "1,5" << QVariant::fromValue(100.0f);
        QTest::newRow("single beyond its range gives the default") << erlMachine << set << "PrnScale"
                                                                   << "1e39" << QVariant::fromValue(100.0f);
        QTest::newRow("double with exponent") << erlMachine << browser << "DeleteSpecifyTime"
                                              << "2.5e1" << QVariant(25.0);
        QTest::newRow("double nan gives the default") << erlMachine << browser << "DeleteSpecifyTime"
                                                      << "nan" << QVariant(24.0);
        QTest::newRow("impossible date gives the default") << erlMachine << browser << "NextPlayTime"
                                                           << "2099/13/01" << QVariant(fromParts(2099, 12, 31));
        QTest::newRow("date alone is midnight") << erlMachine << browser << "NextPlayTime"
                                                << "2024/05/06" << QVariant(fromParts(2024, 5, 6));
        QTest::newRow("date as a day count") << erlUser << word << "LastTrendWordCollect"
                                             << "45000.5" << QVariant(45000.5);
        QTest::newRow("day count beyond the calendar gives the default") << erlUser << word << "LastTrendWordCollect"
                                                                         << "1e10" << QVariant(0.0);
        QTest::newRow("time h:nn is a duration") << erlUser << set << "ShutDownWaitTime"
                                                 << "0:05" << QVariant(300.0 / 86400.0);
        QTest::newRow("25 hours as a time gives the default") << erlUser << set << "ShutDownWaitTime"
                                                              << "25:00:00" << QVariant(61.0 / 86400.0);
    }
    void storedTextRead()
    {
        QFETCH(orvik::eRegistLocate, root);
        QFETCH(QString, section);
        QFETCH(QString, name);
        QFETCH(QString, stored);
        QFETCH(QVariant, value);

        CRegistry reg;
        QVERIFY(reg.SaveSetting2(root, App, section, name, stored));
        Settings s = otherRecord();
        LoadSettings(s);
        QCOMPARE(getters().at(name)(s), value);
    }

    void dateTextForms_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero date as a time") << 0.0 << QStringLiteral("0:00:00");
        QTest::newRow("last second of the first day as a time") << 86399.0 / 86400.0 << QStringLiteral("23:59:59");
        QTest::newRow("a duration rounding up to one day as a date")
            << (86400.0 - 0.2) / 86400.0 << QStringLiteral("1899/12/31 00:00:00");
        QTest::newRow("before 1899/12/30 keeps its date")
            << fromParts(1899, 12, 29, 6) << QStringLiteral("1899/12/29 06:00:00");
    }
    void dateTextForms()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        Settings s;
        s.LastTrendWordCollect = value;
        SaveSettings(s);
        CRegistry reg;
        QCOMPARE(reg.GetSetting2(erlUser, App, QStringLiteral("SearchWoed"), QStringLiteral("LastTrendWordCollect")),
                 text);
        Settings loaded;
        LoadSettings(loaded);
        QCOMPARE(qRound64(loaded.LastTrendWordCollect * 86400), qRound64(value * 86400));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
