#include <orvik/CRegistry.h>

#include <orvik/StrConv.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QtDebug>

#include <mutex>
#include <optional>

// The emulated registry. Each root is one INI file written through QSettings (atomically, under
// a lock file). A registry key path maps to nested QSettings groups, so the key
// "SOFTWARE\Dorvath\Quessel\Settings" with the value "Interval" reads in the file as
//
//     [SOFTWARE]
//     Dorvath\Quessel\Settings\Interval=30
//
// Like the registry, key and value names are matched without regard to case, and a name keeps
// the spelling it was created with. Within one name, "%" and "/" (which would split a QSettings
// key) are given to QSettings as "%25" and "%2F" (which its own escaping writes as "%2525" and
// "%252F"); the value without a name (the key's default value) is
// stored as "@", as registry export files write it, and a name that begins with "@" as "%40...".
// Empty parts of a key path (a doubled or trailing "\") are skipped.
//
// The machine root: while the system-wide file can be written (or created) it alone is read and
// written; otherwise writes go to the per-user copy, and a read takes the copy's value when the
// copy holds that value (even an empty one) and the system file's value otherwise. Deleting never
// touches either: it works on the user's root.
//
// Unlike the registry, a key lives only as long as it holds a value or a subkey: a key whose last
// value was deleted is gone, so deleting it afterwards reports false.
//
// Values are texts in the ANSI code page 932: a text is stored as it reads back through that code
// page (characters it cannot hold become "?"), and a read sees the code page bytes up to the first
// NUL, and nothing (the default) when they are 1024 bytes or more.

namespace orvik {

namespace {

const QString BasePath = QStringLiteral("SOFTWARE\\Dorvath");
constexpr qsizetype ReadBufferBytes = 1024;

const QString& saveErrorText()
{
    static const QString text = QStringLiteral("レジストリエラーSave2");
    return text;
}

std::mutex& reporterLock()
{
    static std::mutex lock;
    return lock;
}

CRegistry::ErrorReporter& reporterSlot()
{
    static CRegistry::ErrorReporter reporter;
    return reporter;
}

void reportError(const QString& text)
{
    CRegistry::ErrorReporter reporter;
    {
        std::lock_guard guard(reporterLock());
        reporter = reporterSlot();
    }
    if (reporter)
        reporter(text, CRegistry::libraryTitle());
    else
        qWarning().noquote() << CRegistry::libraryTitle() + QStringLiteral(": ") + text;
}

QString registryFolder()
{
    QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (home.isEmpty() || QDir::isRelativePath(home)) // relative entries are invalid by the XDG rules
        home = QDir::homePath() + QStringLiteral("/.config");
    return home + QStringLiteral("/Dorvath/registry");
}

// True when the file can be written in place or created, with its folder writable too (an
// atomic write puts a new file beside it). Creates nothing.
bool canWriteFile(const QString& path)
{
    const QFileInfo file(path);
    if (file.exists())
        return file.isFile() && file.isWritable() && QFileInfo(file.absolutePath()).isWritable();
    QString dir = file.absolutePath();
    for (;;) {
        const QFileInfo info(dir);
        if (info.exists())
            return info.isDir() && info.isWritable();
        const QString parent = info.absolutePath();
        if (parent == dir)
            return false;
        dir = parent;
    }
}

QString encodeName(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("@");
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c == QLatin1Char('%'))
            out += QStringLiteral("%25");
        else if (c == QLatin1Char('/'))
            out += QStringLiteral("%2F");
        else if (c == QLatin1Char('@') && i == 0)
            out += QStringLiteral("%40");
        else
            out += c;
    }
    return out;
}

QString decodeName(const QString& stored)
{
    if (stored == QLatin1String("@"))
        return QString();
    if (!stored.contains(QLatin1Char('%')))
        return stored;
    QString out;
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QStringView code = QStringView(stored).mid(i + 1, 2);
        if (stored.at(i) == QLatin1Char('%') && code.size() == 2) {
            bool ok = false;
            const ushort byte = code.toUShort(&ok, 16);
            if (ok) {
                out += QChar(byte);
                i += 2;
                continue;
            }
        }
        out += stored.at(i);
    }
    return out;
}

bool sameName(const QString& stored, const QString& name)
{
    return QString::compare(decodeName(stored), name, Qt::CaseInsensitive) == 0;
}

QStringList keySegments(const QString& keyPath)
{
    return keyPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

// One root of the emulated registry.
class Hive
{
public:
    explicit Hive(const QString& path) : m_settings(path, QSettings::IniFormat) {}

    // The group of an existing key, in its stored spelling.
    std::optional<QString> findKey(const QStringList& segments)
    {
        QString group;
        for (const QString& segment : segments) {
            const std::optional<QString> stored = findIn(group, segment, &QSettings::childGroups);
            if (!stored)
                return std::nullopt;
            group = join(group, *stored);
        }
        return group;
    }

    // The group for a key to be written: existing parts keep their spelling, new ones are added.
    QString keyForWriting(const QStringList& segments)
    {
        QString group;
        bool existing = true;
        for (const QString& segment : segments) {
            std::optional<QString> stored;
            if (existing)
                stored = findIn(group, segment, &QSettings::childGroups);
            existing = stored.has_value();
            group = join(group, stored.value_or(encodeName(segment)));
        }
        return group;
    }

    // The full settings key of an existing value of a key.
    std::optional<QString> findValue(const QString& group, const QString& name)
    {
        const std::optional<QString> stored = findIn(group, name, &QSettings::childKeys);
        if (!stored)
            return std::nullopt;
        return join(group, *stored);
    }

    QString valueForWriting(const QString& group, const QString& name)
    {
        return findValue(group, name).value_or(join(group, encodeName(name)));
    }

    std::optional<QString> read(const QStringList& segments, const QString& name)
    {
        const std::optional<QString> group = findKey(segments);
        if (!group)
            return std::nullopt;
        const std::optional<QString> key = findValue(*group, name);
        if (!key)
            return std::nullopt;
        const QVariant value = m_settings.value(*key);
        // A hand-edited line with bare commas parses as a list; the registry knows only text.
        if (value.typeId() == QMetaType::QStringList)
            return value.toStringList().join(QStringLiteral(", "));
        return value.toString();
    }

    bool hasSubkeys(const QString& group)
    {
        m_settings.beginGroup(group);
        const bool any = !m_settings.childGroups().isEmpty();
        m_settings.endGroup();
        return any;
    }

    // Removes the values of a key, never a value of the same name in the parent key.
    void removeValues(const QString& group)
    {
        m_settings.beginGroup(group);
        const QStringList names = m_settings.childKeys();
        for (const QString& name : names)
            m_settings.remove(name);
        m_settings.endGroup();
    }

    QSettings& settings() { return m_settings; }

    bool commit()
    {
        m_settings.sync();
        return m_settings.status() == QSettings::NoError;
    }

private:
    static QString join(const QString& group, const QString& child)
    {
        return group.isEmpty() ? child : group + QLatin1Char('/') + child;
    }

    std::optional<QString> findIn(const QString& group, const QString& name, QStringList (QSettings::*list)() const)
    {
        m_settings.beginGroup(group);
        const QStringList children = (m_settings.*list)();
        m_settings.endGroup();
        for (const QString& child : children) {
            if (sameName(child, name))
                return child;
        }
        return std::nullopt;
    }

    QSettings m_settings;
};

} // namespace

void CRegistry::setErrorReporter(ErrorReporter reporter)
{
    std::lock_guard guard(reporterLock());
    reporterSlot() = std::move(reporter);
}

QString CRegistry::libraryTitle()
{
    return QStringLiteral("Orvik");
}

QString CRegistry::userHivePath()
{
    return registryFolder() + QStringLiteral("/HKEY_CURRENT_USER.ini");
}

QString CRegistry::machineHivePath()
{
    QString base = QStringLiteral("/etc/xdg");
    const QStringList dirs = qEnvironmentVariable("XDG_CONFIG_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& dir : dirs) {
        if (QDir::isAbsolutePath(dir)) { // relative entries are invalid by the XDG rules
            base = dir;
            break;
        }
    }
    return base + QStringLiteral("/Dorvath/registry/HKEY_LOCAL_MACHINE.ini");
}

QString CRegistry::machineOverlayHivePath()
{
    return registryFolder() + QStringLiteral("/HKEY_LOCAL_MACHINE.ini");
}

CRegistry::CRegistry()
{
    SetRegistLocate(erlUser, QStringLiteral("Nothing"));
}

bool CRegistry::SaveSetting2(eRegistLocate vType, const QString& vAppName, const QString& vSection, const QString& vKey,
                             const QString& vSetting)
{
    SetRegistLocate(vType, vAppName);
    return SaveSetting(vSection, vKey, vSetting);
}

QString CRegistry::GetSetting2(eRegistLocate vType, const QString& vAppName, const QString& vSection,
                               const QString& vKey, const QString& vDefault)
{
    SetRegistLocate(vType, vAppName);
    return GetSetting(vSection, vKey, vDefault);
}

void CRegistry::SetRegistLocate(eRegistLocate vType, const QString& vAppName)
{
    // No caller passes a code other than the two locations; any other code means the user's own
    // root, the one place an ordinary user can always write.
    m_root = vType == erlMachine ? erlMachine : erlUser;
    m_basePath = BasePath;
    m_appName = vAppName;
}

bool CRegistry::SaveSetting(const QString& vSection, const QString& vKey, const QString& vSetting)
{
    // The machine root is virtualised per user when the system-wide file cannot be written, so
    // the message appears only when a write really fails.
    QString path = userHivePath();
    if (m_root == erlMachine) {
        path = machineHivePath();
        if (!canWriteFile(path))
            path = machineOverlayHivePath();
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        reportError(saveErrorText());
        return false;
    }

    Hive hive(path);
    const QString group = hive.keyForWriting(keySegments(sectionKey(vSection)));
    const QString stored = fromCp932(toCp932(vSetting, Unmappable::Substitute));
    const QString key = hive.valueForWriting(group, vKey);
    // The program writes its whole settings record back at every save; rewriting the file for
    // values that did not change would cost one atomic file replacement per value.
    if (hive.settings().contains(key) && hive.settings().value(key).typeId() == QMetaType::QString &&
        hive.settings().value(key).toString() == stored)
        return true;
    hive.settings().setValue(key, stored);
    if (!hive.commit()) {
        reportError(saveErrorText());
        return false;
    }
    return true;
}

QString CRegistry::GetSetting(const QString& vSection, const QString& vKey, const QString& vDefault)
{
    const QStringList segments = keySegments(sectionKey(vSection));
    std::optional<QString> text;
    if (m_root == erlUser) {
        text = Hive(userHivePath()).read(segments, vKey);
    } else {
        const QString machine = machineHivePath();
        if (!canWriteFile(machine))
            text = Hive(machineOverlayHivePath()).read(segments, vKey);
        if (!text)
            text = Hive(machine).read(segments, vKey);
    }
    if (!text)
        return vDefault;

    QByteArray bytes = toCp932(*text, Unmappable::Substitute);
    if (bytes.size() >= ReadBufferBytes) // the value does not fit the read buffer
        return vDefault;
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    const QString value = fromCp932(bytes);
    return value.isEmpty() ? vDefault : value;
}

bool CRegistry::DeleteSetting(const QString& vSection, const QString& vKey)
{
    // Deleting always works on the user's own root, whatever this object points at.
    const QString path = userHivePath();
    if (!QFileInfo::exists(path))
        return false;
    Hive hive(path);
    const std::optional<QString> group = hive.findKey(keySegments(sectionKey(vSection)));
    if (!group)
        return false;
    if (vKey.isEmpty()) {
        if (hive.hasSubkeys(*group)) // a key with subkeys is never deleted
            return false;
        hive.removeValues(*group);
    } else {
        const std::optional<QString> value = hive.findValue(*group, vKey);
        if (!value)
            return false;
        hive.settings().remove(*value);
    }
    return hive.commit();
}

QString CRegistry::sectionKey(const QString& vSection) const
{
    return m_basePath + QLatin1Char('\\') + m_appName + QLatin1Char('\\') + vSection;
}

} // namespace orvik
