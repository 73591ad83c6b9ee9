#include "CTrendSite.h"

#include "quessel/data/ExchangeText.h"
#include "quessel/util/Beep.h"
#include "quessel/util/DataFolder.h"

#include <array>

namespace quessel {

namespace {

enum class Field
{
    Name,
    URL,
    LastRun,
    JudgeStr01,
    JudgeStr02,
    Process,
};
constexpr int FieldCount = 6;
using Layout = std::array<Field, FieldCount>;

constexpr Layout FileLayout{Field::Name,       Field::URL,     Field::JudgeStr01,
                            Field::JudgeStr02, Field::LastRun, Field::Process};
constexpr Layout ExchangeLayout{Field::Name,       Field::URL,        Field::LastRun,
                                Field::JudgeStr01, Field::JudgeStr02, Field::Process};

const QString PayloadKind = QStringLiteral("TrendSite");
constexpr qsizetype PayloadPrefixLength = 10; // "TrendSite" and the TAB

QString fieldText(const TrendSite& site, Field field)
{
    switch (field) {
    case Field::Name:
        return FieldToText(site.Name);
    case Field::URL:
        return FieldToText(site.URL);
    case Field::LastRun:
        return FieldToTextDate(site.LastRun);
    case Field::JudgeStr01:
        return FieldToText(site.JudgeStr01);
    case Field::JudgeStr02:
        return FieldToText(site.JudgeStr02);
    case Field::Process:
        return FieldToText(site.Process);
    }
    return QString();
}

void setField(TrendSite& site, Field field, const QString& text)
{
    // A line from the clipboard is untrusted: a line break inside a field would split the
    // record when the list file is next read, so it becomes a blank as the writer makes it.
    const QString oneLine = FieldToText(text);
    switch (field) {
    case Field::Name:
        site.Name = oneLine;
        break;
    case Field::URL:
        site.URL = oneLine;
        break;
    case Field::LastRun:
        site.LastRun = TextToDate(text);
        break;
    case Field::JudgeStr01:
        site.JudgeStr01 = oneLine;
        break;
    case Field::JudgeStr02:
        site.JudgeStr02 = oneLine;
        break;
    case Field::Process:
        site.Process = oneLine;
        break;
    }
}

QString joinFields(const TrendSite& site, const Layout& layout)
{
    QStringList texts;
    texts.reserve(FieldCount);
    for (Field field : layout)
        texts.append(fieldText(site, field));
    return texts.join(QLatin1Char('\t'));
}

TrendSite parseFields(const QString& line, const Layout& layout)
{
    const QStringList fields = SplitFields(line);
    TrendSite site;
    for (int i = 0; i < FieldCount; ++i)
        setField(site, layout[size_t(i)], i < fields.size() ? fields.at(i) : QString());
    return site;
}

} // namespace

TrendSite& TrendSiteWork()
{
    static TrendSite work;
    return work;
}

int CTrendSite::Count() const
{
    return int(m_sites.size());
}

bool CTrendSite::isValidIndex(int index) const
{
    return index >= 1 && index <= Count();
}

int CTrendSite::AddTrendSite()
{
    if (Count() >= MaxCount) {
        Beep::sound();
        return 0;
    }
    m_sites.append(TrendSite());
    return Count();
}

bool CTrendSite::DeleteSite(int index)
{
    if (!isValidIndex(index)) {
        Beep::sound();
        return false;
    }
    m_sites.removeAt(index - 1);
    return true;
}

bool CTrendSite::SetWork(int mode, int index)
{
    if (!isValidIndex(index)) {
        Beep::sound();
        return false;
    }
    if (mode == 0)
        TrendSiteWork() = m_sites.at(index - 1);
    else
        m_sites[index - 1] = TrendSiteWork();
    return true;
}

const TrendSite& CTrendSite::Site(int index) const
{
    static const TrendSite none;
    return isValidIndex(index) ? m_sites.at(index - 1) : none;
}

QString CTrendSite::Name(int index) const
{
    return Site(index).Name;
}

void CTrendSite::setName(int index, const QString& name)
{
    if (!isValidIndex(index)) {
        Beep::sound();
        return;
    }
    m_sites[index - 1].Name = name;
}

QString CTrendSite::URL(int index) const
{
    return Site(index).URL;
}

double CTrendSite::LastRun(int index) const
{
    return Site(index).LastRun;
}

void CTrendSite::setLastRun(int index, double lastRun)
{
    if (!isValidIndex(index)) {
        Beep::sound();
        return;
    }
    m_sites[index - 1].LastRun = lastRun;
}

int CTrendSite::FindTrendSite(const QString& name) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_sites.at(i).Name == name)
            return i + 1;
    return 0;
}

QString CTrendSite::GetStrTrendSiteInfo(int index) const
{
    return ExchangeLine(Site(index));
}

QString CTrendSite::ExchangeLine(const TrendSite& site)
{
    return joinFields(site, ExchangeLayout);
}

TrendSite CTrendSite::ParseTrendSiteInfo(const QString& text)
{
    return parseFields(text, ExchangeLayout);
}

QString CTrendSite::FileLine(const TrendSite& site)
{
    return joinFields(site, FileLayout);
}

TrendSite CTrendSite::ParseFileLine(const QString& text)
{
    return parseFields(text, FileLayout);
}

void CTrendSite::setFilePath(const QString& path)
{
    m_filePath = path;
}

QString CTrendSite::filePath() const
{
    return m_filePath.isEmpty() ? DataFolder::filePrefix() + QStringLiteral("TrendSite.DAT") : m_filePath;
}

FileResult CTrendSite::FileRW(int mode)
{
    const QString path = filePath();
    if (mode == 1) {
        QStringList lines;
        lines.reserve(m_sites.size());
        for (const TrendSite& site : std::as_const(m_sites))
            lines.append(FileLine(site));
        return Cp932File::writeLines(path, lines);
    }

    QStringList lines;
    if (FileResult result = Cp932File::readLines(path, lines); !result)
        return result;
    // More lines than the index can address would be lost at the next write; refuse the file
    // instead so that it stays whole.
    if (lines.size() > MaxCount)
        return FileResult::failure(QStringLiteral("%1 の行数が多すぎます（%2行まで）").arg(path).arg(MaxCount));
    QList<TrendSite> sites;
    sites.reserve(lines.size());
    for (const QString& line : std::as_const(lines))
        sites.append(ParseFileLine(line));
    m_sites = std::move(sites);
    return {};
}

bool CTrendSite::Copy_TrendSiteInfo(int index, ClipboardAccess& clipboard) const
{
    if (!isValidIndex(index)) {
        Beep::sound();
        return false;
    }
    TrendSite site = m_sites.at(index - 1);
    site.LastRun = EmptyDate;
    clipboard.setText(EncodeExchangeText(PayloadKind + QLatin1Char('\t') + ExchangeLine(site)));
    return true;
}

bool CTrendSite::Clipboard_IsTrendSiteInfo(const ClipboardAccess& clipboard) const
{
    return DecodeExchangeText(clipboard.text()).startsWith(PayloadKind);
}

int CTrendSite::Paste_TrendSiteInfo(ClipboardAccess& clipboard, SiteNameClashPrompt& prompt)
{
    if (!Clipboard_IsTrendSiteInfo(clipboard)) {
        Beep::sound();
        return 0;
    }
    TrendSite site = ParseTrendSiteInfo(DecodeExchangeText(clipboard.text()).mid(PayloadPrefixLength));
    const int index = ResolveSiteNameClash(site, prompt);
    if (index == 0)
        return 0;
    if (index > Count()) {
        if (AddTrendSite() == 0)
            return 0;
    }
    m_sites[index - 1] = site;
    return 1;
}

int CTrendSite::ResolveSiteNameClash(TrendSite& site, SiteNameClashPrompt& prompt) const
{
    return quessel::ResolveSiteNameClash(
        site.Name, Count(), [this](const QString& name) { return FindTrendSite(name); }, prompt,
        SiteNameClashPrompt::TrendSiteList);
}

} // namespace quessel
