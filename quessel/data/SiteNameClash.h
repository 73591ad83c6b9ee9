#pragma once

#include <QString>

#include <functional>

namespace quessel {

enum class ClashChoice
{
    Replace, // "既存の検索サイトを置き換える"
    Rename,  // "名前を変えて追加する。"
    Skip,    // "インポートしない。"
};

// Asks the user what to do with an incoming site whose name is already in the list. The
// program shows its clash dialog; tests and the command-line tool answer without asking.
class SiteNameClashPrompt
{
public:
    enum ListType
    {
        SearchSiteList = 2,
        TrendSiteList = 3,
    };
    virtual ~SiteNameClashPrompt() = default;
    virtual ClashChoice ask(ListType type, const QString& incomingName) = 0;
};

// Always gives the same answer.
class FixedClashChoice : public SiteNameClashPrompt
{
public:
    explicit FixedClashChoice(ClashChoice choice) : m_choice(choice) {}
    ClashChoice ask(ListType, const QString&) override { return m_choice; }

private:
    ClashChoice m_choice;
};

// Where an incoming site goes in a list of `count` sites: count + 1 to append (possibly after
// renaming `name` to "【改名NN】" + base), the index of the site it replaces, or 0 to drop it.
// `find` gives the index of the first site with a name, or 0.
int ResolveSiteNameClash(QString& name, int count, const std::function<int(const QString&)>& find,
                         SiteNameClashPrompt& prompt, SiteNameClashPrompt::ListType type);

// The "【改名NN】" name the rename choice gives (exposed for the command-line tool's report).
QString RenamedSiteName(const QString& name, const std::function<int(const QString&)>& find);

} // namespace quessel
