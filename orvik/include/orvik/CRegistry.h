#pragma once

#include <orvik/OrvikGlobal.h>

#include <QString>

#include <functional>

namespace orvik {

enum eRegistLocate
{
    erlMachine = 0,
    erlUser = 1,
};

// Settings kept as text values by section and value name, under a registry-like key layout
// "SOFTWARE\Dorvath\<application>\<section>". The two roots are INI files:
//   HKEY_CURRENT_USER:  $XDG_CONFIG_HOME/Dorvath/registry/HKEY_CURRENT_USER.ini
//   HKEY_LOCAL_MACHINE: <first of $XDG_CONFIG_DIRS>/Dorvath/registry/HKEY_LOCAL_MACHINE.ini when
//                       that file can be written, otherwise a per-user copy beside the user file
//                       that is read over the system one.
class ORVIK_EXPORT CRegistry
{
public:
    // Shows a failure to the user: text and caption. The default writes to standard error;
    // a program with windows installs a message box. An empty reporter restores the default.
    using ErrorReporter = std::function<void(const QString& text, const QString& caption)>;
    static void setErrorReporter(ErrorReporter reporter);
    static QString libraryTitle(); // caption of the library's messages

    CRegistry();

    bool SaveSetting2(eRegistLocate vType, const QString& vAppName, const QString& vSection, const QString& vKey,
                      const QString& vSetting);
    QString GetSetting2(eRegistLocate vType, const QString& vAppName, const QString& vSection, const QString& vKey,
                        const QString& vDefault = QString());
    void SetRegistLocate(eRegistLocate vType, const QString& vAppName);
    bool SaveSetting(const QString& vSection, const QString& vKey, const QString& vSetting);
    QString GetSetting(const QString& vSection, const QString& vKey, const QString& vDefault = QString());
    bool DeleteSetting(const QString& vSection, const QString& vKey = QString());

    // Where the hives live (for tests and for the user's information).
    static QString userHivePath();
    static QString machineHivePath();        // the system-wide file
    static QString machineOverlayHivePath(); // the per-user copy used when the system file is read-only

private:
    QString sectionKey(const QString& vSection) const;

    eRegistLocate m_root = erlUser;
    QString m_basePath;
    QString m_appName;
};

} // namespace orvik
