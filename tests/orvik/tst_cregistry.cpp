#include <orvik/CRegistry.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using orvik::CRegistry;
using orvik::erlMachine;
using orvik::erlUser;

namespace {

const QString SaveError = QStringLiteral("レジストリエラーSave2");

QString readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The value as stored in a hive file, by its QSettings key.
QVariant storedValue(const QString& hive, const QString& key)
{
    return QSettings(hive, QSettings::IniFormat).value(key);
}

// For the length of a scope the process acts as an ordinary user (when it runs as root, as CI
// does), so that file permissions apply to it.
class OrdinaryUser
{
public:
    OrdinaryUser()
    {
        if (geteuid() != 0) {
            m_active = true; // already one
            return;
        }
        const passwd* nobody = getpwnam("nobody");
        m_uid = nobody ? nobody->pw_uid : 65534;
        m_gid = nobody ? nobody->pw_gid : 65534;
        m_active = setresgid(m_gid, m_gid, 0) == 0 && setresuid(m_uid, m_uid, 0) == 0;
        m_switched = m_active;
    }
    ~OrdinaryUser()
    {
        if (m_switched) {
            [[maybe_unused]] const int u = setresuid(0, 0, 0);
            [[maybe_unused]] const int g = setresgid(0, 0, 0);
        }
    }
    OrdinaryUser(const OrdinaryUser&) = delete;
    OrdinaryUser& operator=(const OrdinaryUser&) = delete;

    bool active() const { return m_active; }

private:
    bool m_active = false;
    bool m_switched = false;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
};

} // namespace

class TestCRegistry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void hivePaths_data();
    void hivePaths();

    void newObjectStartsAtUserNothing();
    void fileShowsTheKeyLayout();

    void roundTrip_data();
    void roundTrip();

    void missingValuesGiveDefault();
    void namesIgnoreCase();
    void specialNamesStayDistinct();
    void locationStaysForLaterCalls();
    void unknownLocationActsAsUser();

    void machineHiveWritten();
    void machineHiveVirtualised_data();
    void machineHiveVirtualised();
    void machineOverlayReadOverSystem();

    void deleteSetting_data();
    void deleteSetting();
    void deleteFromMachineObjectUsesUserHive();
    void deleteSectionWithSubkeyRefused();
    void deleteSectionKeepsParentValueOfSameName();

    void writeFailureReportedPerValue_data();
    void writeFailureReportedPerValue();
    void successfulWritesReportNothing();
    void defaultReporterWarns();

private:
    void setEnv(const QString& configHome, const QString& configDirs);

    std::unique_ptr<QTemporaryDir> m_home;
    QList<QPair<QString, QString>> m_reports;
};

void TestCRegistry::initTestCase()
{
    CRegistry::setErrorReporter([this](const QString& text, const QString& caption) {
        m_reports.append({text, caption});
    });
}

void TestCRegistry::cleanupTestCase()
{
    CRegistry::setErrorReporter(nullptr);
}

void TestCRegistry::init()
{
    m_reports.clear();
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    QDir().mkpath(m_home->filePath("config"));
    QDir().mkpath(m_home->filePath("etc-xdg"));
    setEnv(m_home->filePath("config"), m_home->filePath("etc-xdg"));
}

void TestCRegistry::setEnv(const QString& configHome, const QString& configDirs)
{
    qputenv("XDG_CONFIG_HOME", configHome.toUtf8());
    qputenv("XDG_CONFIG_DIRS", configDirs.toUtf8());
}

void TestCRegistry::hivePaths_data()
{
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("configHome");
    QTest::addColumn<QString>("configDirs");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("machine");

    QTest::newRow("both set, first of several system folders") << "/h"
                                                               << "/u/cfg"
                                                               << "/sys/a:/sys/b"
                                                               << "/u/cfg/Dorvath/registry/HKEY_CURRENT_USER.ini"
                                                               << "/sys/a/Dorvath/registry/HKEY_LOCAL_MACHINE.ini";
    QTest::newRow("unset folders fall back to ~/.config and /etc/xdg")
        << "/h"
        << ""
        << ""
        << "/h/.config/Dorvath/registry/HKEY_CURRENT_USER.ini"
        << "/etc/xdg/Dorvath/registry/HKEY_LOCAL_MACHINE.ini";
    QTest::newRow("empty and relative entries are skipped") << "/h"
                                                            << "relative"
                                                            << ":rel:/sys/c"
                                                            << "/h/.config/Dorvath/registry/HKEY_CURRENT_USER.ini"
                                                            << "/sys/c/Dorvath/registry/HKEY_LOCAL_MACHINE.ini";
}

void TestCRegistry::hivePaths()
{
    QFETCH(QString, home);
    QFETCH(QString, configHome);
    QFETCH(QString, configDirs);
    QFETCH(QString, user);
    QFETCH(QString, machine);

    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.toUtf8());
    setEnv(configHome, configDirs);
    const QString userPath = CRegistry::userHivePath();
    const QString machinePath = CRegistry::machineHivePath();
    const QString overlayPath = CRegistry::machineOverlayHivePath();
    qputenv("HOME", oldHome);

    QCOMPARE(userPath, user);
    QCOMPARE(machinePath, machine);
    QCOMPARE(overlayPath, QFileInfo(user).absolutePath() + "/HKEY_LOCAL_MACHINE.ini");
}

void TestCRegistry::newObjectStartsAtUserNothing()
{
    CRegistry r;
    QVERIFY(r.SaveSetting("Sec", "Key", "v"));
    QCOMPARE(storedValue(CRegistry::userHivePath(), "SOFTWARE/Dorvath/Nothing/Sec/Key").toString(), QString("v"));
    QVERIFY(!QFileInfo::exists(CRegistry::machineHivePath()));
    QCOMPARE(r.GetSetting("Sec", "Key"), QString("v"));
}

void TestCRegistry::fileShowsTheKeyLayout()
{
    CRegistry r;
    QVERIFY(r.SaveSetting2(erlUser, "Quessel", "Settings", "Interval", "30"));
    QVERIFY(r.SaveSetting2(erlMachine, "Quessel", "Settings", "Path", "C:\\x"));
    const QString user = readFile(CRegistry::userHivePath());
    QVERIFY2(user.contains("[SOFTWARE]\nDorvath\\Quessel\\Settings\\Interval=30\n"), qPrintable(user));
    const QString machine = readFile(CRegistry::machineHivePath());
    QVERIFY2(machine.contains("Dorvath\\Quessel\\Settings\\Path=C:\\\\x"), qPrintable(machine));
    QCOMPARE(r.GetSetting("Settings", "Path"), QString("C:\\x"));
}

void TestCRegistry::roundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    const QString a = QStringLiteral("あ");   // two code page bytes
    const QString kana = QStringLiteral("ｱ"); // one code page byte

    QTest::newRow("plain text") << "abc"
                                << "abc";
    QTest::newRow("empty value gives the default") << ""
                                                   << "<default>";
    QTest::newRow("Japanese text") << "注目ワード検索"
                                   << "注目ワード検索";
    QTest::newRow("half-width katakana") << "ｹﾝｻｸ"
                                         << "ｹﾝｻｸ";
    QTest::newRow("code page 932 extensions kept") << "①～－"
                                                   << "①～－";
    QTest::newRow("blanks around kept") << "  a b  "
                                        << "  a b  ";
    QTest::newRow("character outside the code page becomes ?") << "café"
                                                               << "caf?";
    QTest::newRow("character beyond 16 bits becomes one ?") << "a😀b"
                                                            << "a?b";
    QTest::newRow("text ends at a NUL") << QString::fromUtf16(u"ab\0cd", 5) << "ab";
    QTest::newRow("NUL first gives the default") << QString::fromUtf16(u"\0cd", 3) << "<default>";
    QTest::newRow("leading @ kept") << "@Variant(x)"
                                    << "@Variant(x)";
    QTest::newRow("commas kept") << "a, b,c"
                                 << "a, b,c";
    QTest::newRow("quotes and backslashes kept") << "\"q\" \\n \\"
                                                 << "\"q\" \\n \\";
    QTest::newRow("line breaks kept") << "a\r\nb"
                                      << "a\r\nb";
    QTest::newRow("Boolean text stays text") << "True"
                                             << "True";
    QTest::newRow("1023 single bytes read whole") << QString(1023, 'x') << QString(1023, 'x');
    QTest::newRow("1024 single bytes give the default") << QString(1024, 'x') << "<default>";
    QTest::newRow("511 double-byte characters and one byte: 1023 bytes read whole")
        << a.repeated(511) + "x" << a.repeated(511) + "x";
    QTest::newRow("512 double-byte characters: 1024 bytes give the default") << a.repeated(512) << "<default>";
    QTest::newRow("1022 single bytes and one double-byte: 1024 bytes give the default")
        << QString(1022, 'x') + a << "<default>";
    QTest::newRow("1023 half-width katakana read whole") << kana.repeated(1023) << kana.repeated(1023);
    QTest::newRow("1024 half-width katakana give the default") << kana.repeated(1024) << "<default>";
    QTest::newRow("1023 substitutes read whole") << QString(1023, QChar(0xE9)) << QString(1023, '?');
}

void TestCRegistry::roundTrip()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);

    for (const auto location : {erlUser, erlMachine}) {
        CRegistry writer;
        QVERIFY(writer.SaveSetting2(location, "App", "Sec", "Key", value));
        CRegistry reader; // a new object, as the program makes one per load
        QCOMPARE(reader.GetSetting2(location, "App", "Sec", "Key", "<default>"), expected);
    }
    QVERIFY(m_reports.isEmpty());
}

void TestCRegistry::missingValuesGiveDefault()
{
    CRegistry r;
    r.SetRegistLocate(erlUser, "App");
    QCOMPARE(r.GetSetting("Sec", "Key", "d"), QString("d")); // no file at all
    QCOMPARE(r.GetSetting("Sec", "Key"), QString());
    QVERIFY(r.SaveSetting("Sec", "Other", "1"));
    QCOMPARE(r.GetSetting("Sec", "Key", "d"), QString("d"));                       // missing value
    QCOMPARE(r.GetSetting("Sec2", "Other", "d"), QString("d"));                    // missing section
    QCOMPARE(r.GetSetting2(erlUser, "App2", "Sec", "Other", "d"), QString("d"));   // other application
    QCOMPARE(r.GetSetting2(erlMachine, "App", "Sec", "Other", "d"), QString("d")); // other root
}

void TestCRegistry::namesIgnoreCase()
{
    CRegistry r;
    r.SetRegistLocate(erlUser, "Quessel");
    QVERIFY(r.SaveSetting("Settings", "Interval", "1"));
    QCOMPARE(r.GetSetting2(erlUser, "QUESSEL", "settings", "INTERVAL"), QString("1"));
    QVERIFY(r.SaveSetting("SETTINGS", "interval", "2"));

    // One value, under the spelling it was created with.
    QSettings s(CRegistry::userHivePath(), QSettings::IniFormat);
    QCOMPARE(s.allKeys(), QStringList{"SOFTWARE/Dorvath/Quessel/Settings/Interval"});
    QCOMPARE(s.value("SOFTWARE/Dorvath/Quessel/Settings/Interval").toString(), QString("2"));
}

void TestCRegistry::specialNamesStayDistinct()
{
    CRegistry r;
    r.SetRegistLocate(erlUser, "App");
    const QStringList names{"a/b", "a%2Fb", "", "@", "%40", "a b=c", "日本語"};
    for (qsizetype i = 0; i < names.size(); ++i)
        QVERIFY(r.SaveSetting("Sec", names.at(i), QString::number(i)));
    for (qsizetype i = 0; i < names.size(); ++i)
        QCOMPARE(r.GetSetting("Sec", names.at(i)), QString::number(i));

    // "/" belongs to a key name; "\" separates keys, and empty parts of a path are skipped.
    QVERIFY(r.SaveSetting("x/y", "k", "slash"));
    QVERIFY(r.SaveSetting("x\\y", "k", "subkey"));
    QCOMPARE(r.GetSetting("x/y", "k"), QString("slash"));
    QCOMPARE(r.GetSetting("x\\y", "k"), QString("subkey"));
    QCOMPARE(r.GetSetting("x\\\\y\\", "k"), QString("subkey"));
}

void TestCRegistry::locationStaysForLaterCalls()
{
    CRegistry r;
    QVERIFY(r.SaveSetting2(erlMachine, "App", "Sec", "Key", "machine"));
    QVERIFY(r.SaveSetting("Sec", "Key2", "machine too"));
    QCOMPARE(r.GetSetting("Sec", "Key2"), QString("machine too"));
    QCOMPARE(r.GetSetting2(erlUser, "App", "Sec", "Key2", "d"), QString("d"));
    QCOMPARE(r.GetSetting("Sec", "Key", "d"), QString("d")); // now at the user root
    QCOMPARE(storedValue(CRegistry::machineHivePath(), "SOFTWARE/Dorvath/App/Sec/Key2").toString(),
             QString("machine too"));
}

void TestCRegistry::unknownLocationActsAsUser()
{
    CRegistry r;
    r.SetRegistLocate(static_cast<orvik::eRegistLocate>(7), "App");
    QVERIFY(r.SaveSetting("Sec", "Key", "v"));
    QCOMPARE(storedValue(CRegistry::userHivePath(), "SOFTWARE/Dorvath/App/Sec/Key").toString(), QString("v"));
    QVERIFY(!QFileInfo::exists(CRegistry::machineHivePath()));
}

void TestCRegistry::machineHiveWritten()
{
    CRegistry r;
    QVERIFY(r.SaveSetting2(erlMachine, "App", "Sec", "Key", "v"));
    QCOMPARE(storedValue(CRegistry::machineHivePath(), "SOFTWARE/Dorvath/App/Sec/Key").toString(), QString("v"));
    QVERIFY(!QFileInfo::exists(CRegistry::machineOverlayHivePath()));
    QVERIFY(!QFileInfo::exists(CRegistry::userHivePath()));
    QCOMPARE(r.GetSetting2(erlUser, "App", "Sec", "Key", "d"), QString("d"));
    QVERIFY(m_reports.isEmpty());
}

void TestCRegistry::machineHiveVirtualised_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("system folder below a regular file") << "file";
    QTest::newRow("folder in place of the system hive file") << "dir";
}

void TestCRegistry::machineHiveVirtualised()
{
    QFETCH(QString, how);

    if (how == "file") {
        const QString blocker = m_home->filePath("plain-file");
        QVERIFY(writeFile(blocker, "not a folder"));
        setEnv(m_home->filePath("config"), blocker + "/xdg");
    } else {
        QVERIFY(QDir().mkpath(CRegistry::machineHivePath()));
    }

    CRegistry r;
    QVERIFY(r.SaveSetting2(erlMachine, "App", "Sec", "Key", "virtual"));
    QVERIFY(m_reports.isEmpty());
    QCOMPARE(storedValue(CRegistry::machineOverlayHivePath(), "SOFTWARE/Dorvath/App/Sec/Key").toString(),
             QString("virtual"));
    QVERIFY(!QFileInfo(CRegistry::machineHivePath()).isFile());
    QCOMPARE(r.GetSetting2(erlMachine, "App", "Sec", "Key"), QString("virtual"));
    QCOMPARE(r.GetSetting2(erlUser, "App", "Sec", "Key", "d"), QString("d"));
}

void TestCRegistry::machineOverlayReadOverSystem()
{
    // An administrator wrote the system-wide values.
    {
        CRegistry admin;
        QVERIFY(admin.SaveSetting2(erlMachine, "App", "Sec", "Shared", "system"));
        QVERIFY(admin.SaveSetting2(erlMachine, "App", "Sec", "Mine", "system"));
        QVERIFY(admin.SaveSetting2(erlMachine, "App", "Sec", "Cleared", "system"));
    }
    const QString system = CRegistry::machineHivePath();
    const QByteArray systemBytes = readFile(system).toUtf8();

    // The ordinary user may read the system folder but not write it, and owns the config folder.
    QVERIFY(::chmod(QFile::encodeName(m_home->path()).constData(), 0755) == 0);
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() == 0) {
        const uid_t uid = nobody ? nobody->pw_uid : 65534;
        const gid_t gid = nobody ? nobody->pw_gid : 65534;
        QVERIFY(::chown(QFile::encodeName(m_home->filePath("config")).constData(), uid, gid) == 0);
    } else {
        QVERIFY(QFile::setPermissions(system, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(::chmod(QFile::encodeName(QFileInfo(system).absolutePath()).constData(), 0555) == 0);
    }

    {
        OrdinaryUser user;
        if (!user.active())
            QSKIP("cannot act as an ordinary user here");
        QVERIFY(!QFileInfo(system).isWritable());

        CRegistry r;
        QCOMPARE(r.GetSetting2(erlMachine, "App", "Sec", "Shared"), QString("system"));
        QVERIFY(r.SaveSetting2(erlMachine, "App", "Sec", "Mine", "user"));
        QVERIFY(r.SaveSetting2(erlMachine, "App", "Sec", "Cleared", ""));
        QVERIFY(r.SaveSetting2(erlMachine, "App", "Sec", "New", "user"));
        QVERIFY(m_reports.isEmpty());

        QCOMPARE(r.GetSetting2(erlMachine, "App", "Sec", "Mine"), QString("user"));      // the copy wins
        QCOMPARE(r.GetSetting2(erlMachine, "App", "Sec", "Shared"), QString("system"));  // shows through
        QCOMPARE(r.GetSetting2(erlMachine, "App", "Sec", "Cleared", "d"), QString("d")); // empty copy wins
        QCOMPARE(r.GetSetting2(erlMachine, "App", "Sec", "New"), QString("user"));
        QCOMPARE(r.GetSetting2(erlUser, "App", "Sec", "Mine", "d"), QString("d"));
    }
    QCOMPARE(readFile(system).toUtf8(), systemBytes); // the system file is untouched
    QCOMPARE(storedValue(CRegistry::machineOverlayHivePath(), "SOFTWARE/Dorvath/App/Sec/Mine").toString(),
             QString("user"));
    QVERIFY(!storedValue(CRegistry::machineOverlayHivePath(), "SOFTWARE/Dorvath/App/Sec/Shared").isValid());
}

void TestCRegistry::deleteSetting_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<QStringList>("remaining"); // "section/key" of the values left

    const QStringList all{"Sec/A", "Sec/B", "Other/A"};
    QTest::newRow("existing value") << "Sec"
                                    << "A" << true << QStringList{"Sec/B", "Other/A"};
    QTest::newRow("value named in another case") << "sec"
                                                 << "b" << true << QStringList{"Sec/A", "Other/A"};
    QTest::newRow("missing value") << "Sec"
                                   << "C" << false << all;
    QTest::newRow("value in a missing section") << "None"
                                                << "A" << false << all;
    QTest::newRow("section without subkeys, all its values") << "Sec"
                                                             << "" << true << QStringList{"Other/A"};
    QTest::newRow("missing section") << "None"
                                     << "" << false << all;
}

void TestCRegistry::deleteSetting()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(bool, deleted);
    QFETCH(QStringList, remaining);

    const QStringList all{"Sec/A", "Sec/B", "Other/A"};
    CRegistry r;
    r.SetRegistLocate(erlUser, "App");
    for (const QString& v : all)
        QVERIFY(r.SaveSetting(v.section('/', 0, 0), v.section('/', 1), v));

    QCOMPARE(r.DeleteSetting(section, key), deleted);
    for (const QString& v : all) {
        const bool left = remaining.contains(v);
        QCOMPARE(r.GetSetting(v.section('/', 0, 0), v.section('/', 1), "gone"), left ? v : QString("gone"));
    }
    QVERIFY(m_reports.isEmpty());
}

void TestCRegistry::deleteFromMachineObjectUsesUserHive()
{
    CRegistry r;
    QVERIFY(r.SaveSetting2(erlUser, "App", "Sec", "Key", "user"));
    QVERIFY(r.SaveSetting2(erlMachine, "App", "Sec", "Key", "machine"));
    QVERIFY(r.SaveSetting2(erlMachine, "App", "Sec", "MachineOnly", "machine"));

    r.SetRegistLocate(erlMachine, "App");
    QVERIFY(r.DeleteSetting("Sec", "Key"));
    QCOMPARE(r.GetSetting2(erlUser, "App", "Sec", "Key", "gone"), QString("gone"));
    QCOMPARE(r.GetSetting2(erlMachine, "App", "Sec", "Key"), QString("machine"));

    r.SetRegistLocate(erlMachine, "App");
    QVERIFY(!r.DeleteSetting("Sec", "MachineOnly")); // not in the user's root
    QVERIFY(!r.DeleteSetting("Sec"));                // the user's section is gone with its last value
    QCOMPARE(r.GetSetting("Sec", "MachineOnly"), QString("machine"));
}

void TestCRegistry::deleteSectionWithSubkeyRefused()
{
    CRegistry r;
    r.SetRegistLocate(erlUser, "App");
    QVERIFY(r.SaveSetting("Sec", "A", "1"));
    QVERIFY(r.SaveSetting("Sec\\Sub", "B", "2"));
    QVERIFY(!r.DeleteSetting("Sec"));
    QCOMPARE(r.GetSetting("Sec", "A"), QString("1"));
    QCOMPARE(r.GetSetting("Sec\\Sub", "B"), QString("2"));

    QVERIFY(r.DeleteSetting("Sec\\Sub"));
    QCOMPARE(r.GetSetting("Sec\\Sub", "B", "gone"), QString("gone"));
    QVERIFY(r.DeleteSetting("Sec"));
    QCOMPARE(r.GetSetting("Sec", "A", "gone"), QString("gone"));
}

void TestCRegistry::deleteSectionKeepsParentValueOfSameName()
{
    CRegistry r;
    r.SetRegistLocate(erlUser, "App");
    QVERIFY(r.SaveSetting("", "Sec", "parent value")); // a value of the application key itself
    QVERIFY(r.SaveSetting("Sec", "A", "1"));
    QVERIFY(r.DeleteSetting("Sec"));
    QCOMPARE(r.GetSetting("Sec", "A", "gone"), QString("gone"));
    QCOMPARE(r.GetSetting("", "Sec"), QString("parent value"));
}

void TestCRegistry::writeFailureReportedPerValue_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("location");

    QTest::newRow("user hive file is a folder") << "user-dir" << int(erlUser);
    QTest::newRow("user config folder below a regular file") << "user-file" << int(erlUser);
    QTest::newRow("machine hive and its per-user copy both impossible") << "both" << int(erlMachine);
}

void TestCRegistry::writeFailureReportedPerValue()
{
    QFETCH(QString, how);
    QFETCH(int, location);

    const QString blocker = m_home->filePath("plain-file");
    QVERIFY(writeFile(blocker, "not a folder"));
    if (how == "user-dir") {
        QVERIFY(QDir().mkpath(CRegistry::userHivePath()));
    } else if (how == "user-file") {
        setEnv(blocker + "/config", m_home->filePath("etc-xdg"));
    } else {
        setEnv(blocker + "/config", blocker + "/xdg");
    }

    CRegistry r;
    r.SetRegistLocate(orvik::eRegistLocate(location), "App");
    QVERIFY(!r.SaveSetting("Sec", "A", "1"));
    QCOMPARE(m_reports.size(), 1);
    QCOMPARE(m_reports.at(0).first, SaveError);
    QCOMPARE(m_reports.at(0).second, QString("Orvik"));
    QCOMPARE(CRegistry::libraryTitle(), QString("Orvik"));

    QVERIFY(!r.SaveSetting("Sec", "B", "2"));
    QVERIFY(!r.SaveSetting("Sec", "A", "1")); // each failing value shows it again
    QCOMPARE(m_reports.size(), 3);

    // Reads and deletes fall back quietly.
    QCOMPARE(r.GetSetting("Sec", "A", "d"), QString("d"));
    QVERIFY(!r.DeleteSetting("Sec", "A"));
    QVERIFY(!r.DeleteSetting("Sec"));
    QCOMPARE(m_reports.size(), 3);
}

void TestCRegistry::successfulWritesReportNothing()
{
    CRegistry r;
    QVERIFY(r.SaveSetting2(erlUser, "App", "Sec", "A", "1"));
    QVERIFY(r.SaveSetting2(erlMachine, "App", "Sec", "A", "1"));
    // From now on the machine root is virtualised.
    QVERIFY(QFile::remove(CRegistry::machineHivePath()));
    QVERIFY(QDir().mkpath(CRegistry::machineHivePath()));
    QVERIFY(r.SaveSetting2(erlMachine, "App", "Sec", "B", "2"));
    QVERIFY(r.SaveSetting2(erlUser, "App", "New\\Deep\\Section", "C", "3"));
    QVERIFY(m_reports.isEmpty());
}

void TestCRegistry::defaultReporterWarns()
{
    CRegistry::setErrorReporter(nullptr);
    QVERIFY(QDir().mkpath(CRegistry::userHivePath()));
    QTest::ignoreMessage(QtWarningMsg, QByteArray("Orvik: " + SaveError.toUtf8()).constData());
    CRegistry r;
    const bool written = r.SaveSetting("Sec", "A", "1");
    initTestCase(); // the recording reporter again
    QVERIFY(!written);
    QVERIFY(m_reports.isEmpty());
}

QTEST_GUILESS_MAIN(TestCRegistry)
#include "tst_cregistry.moc"
