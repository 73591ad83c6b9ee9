#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace quessel {

class CSearchWord;
class CWebProcess;

// How the words a trend site's finished run left in memory enter the watch-word list: the count
// from slot 3, the words from slot 4 on, words over 20 characters skipped, the rest added with
// the empty validity (a new word gets the default validity, a known one a fresh registration).
class TrendHarvest
{
public:
    static constexpr int CountSlot = 3;
    static constexpr int MaxWordLength = 20; // UTF-16 code units

    struct Result
    {
        QStringList taken;   // in memory order, duplicates and empty words included
        QString displayText; // each taken word followed by two blanks, as the trend grid shows it
        int added = 0;       // words the list accepted (blank ones it refuses)
    };

    // The words of slots 4 .. 3 + count, never past the last memory slot.
    static QStringList harvestedWords(const std::function<QString(int)>& memory);
    static QStringList harvestedWords(const CWebProcess& process);
    // Adds the words by the rules above. Does not write the list file.
    static Result addToWatchWords(const QStringList& harvested, CSearchWord& words);
};

} // namespace quessel
