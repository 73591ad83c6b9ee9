#pragma once

#include "quessel/util/Cp932File.h"
#include "quessel/util/FieldText.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace quessel {

// One watch word as it is kept in memory and in "SearchWord.DAT" (fields in file order).
struct SearchWord
{
    QString Word;
    double RegDate = 0.0;   // date-time of registration; renewed when the word is added again
    double ValidDays = 0.0; // validity period in days; 1E-20 (empty) behaves as zero days
    double LastDate = 0.0;  // date-time of the last use; 1E-20 (empty) when never used
    qint16 UseCount = 0;

    bool operator==(const SearchWord&) const = default;
};

// The watch-word list: the words searched for, their validity and their use, and the short
// candidate list the searches draw from.
//
// Indexes count from 1 to Count(), as everywhere in the program's lists. The list is not held
// to the 16-bit range: a harvest can grow it past 32767 words and nothing here would gain from
// refusing them. A bad index sounds the beep: reads then give empty text or 0, writes do nothing.
// A date or period written as NaN or infinity is stored as the empty value 1E-20, so the order
// by last use stays a true order.
// "Now" is Clock::now() and chance is RandomSource::nextValue(), so tests can set both.
class CSearchWord
{
public:
    int Count() const;

    // A new record (now, the DefaultValidDays setting, never used) at the end; its index.
    int AddNullWord();
    // Adds the word (trimmed of blanks) or renews it when it is already listed: RegDate becomes
    // now, and validDays replaces ValidDays only when it is above the empty value 1E-20.
    // Returns the word's index, or 0 with a beep when the word is blank.
    int AddWord(const QString& word, double validDays);
    // Counts one use of the word as given (not trimmed): UseCount + 1 (held at 32767) and
    // LastDate = now. When it is missing and addIfMissing is set it is added first. Returns the
    // index, the negated index when this call added a record, or 0 when there is no such word.
    int UseWord(const QString& word, bool addIfMissing);

    QString GetWord(int index) const;
    QString Word(int index) const;
    void setWord(int index, const QString& word);
    double RegDate(int index) const;
    void setRegDate(int index, double value);
    double ValidDays(int index) const;
    void setValidDays(int index, double value);
    double LastDate(int index) const;
    void setLastDate(int index, double value);
    qint16 UseCount(int index) const;
    void setUseCount(int index, qint16 value);
    // The whole record; a bad index gives an empty record.
    const SearchWord& Record(int index) const;

    // The last calendar day (at midnight) on which the word is valid.
    double ValidDate(int index) const;

    // Words registered at or after this moment count as new. Until it is set to a moment after
    // 1990/01/01 it reads as 2015/12/31.
    double NewDataDate() const;
    void setNewDataDate(double value);
    bool IsNewData(int index) const;

    // Removes the word; later words move up. A bad index only beeps.
    void DeleteWord(int index);
    // Removes every word whose last valid day is before today, keeping the order of the rest;
    // returns how many went. Does not write the file.
    int DelTimeoutWord();

    // A word drawn at random that is valid today (unless restTime is negative) and was last used
    // at least restTime days ago; empty text when none qualifies.
    QString RandomGetWord(double restTime) const;

    // Rebuilds the candidate list with up to n words: first the newest words not used for
    // 12 hours, then the least recently used ones. Returns how many it holds.
    int CreateWordList(int n);
    // Copies the candidate list into list (candidate 1 is list[0]) and returns its length.
    int GetWordList(QStringList& list) const;
    // A candidate drawn at random; empty text with a beep when there is none.
    QString RandomGetWordList() const;

    // Mode 1 writes the list file, mode 0 loads it (a missing file gives an empty list). A read
    // that fails leaves the list as it was, so a later write cannot wipe the file.
    FileResult FileRW(int mode);
    // The first index whose word equals the text exactly, or 0.
    int FindSearchWord(const QString& word) const;

    // The list file: set here (command-line tool, tests), else the data folder's prefix +
    // "SearchWord.DAT", looked up each time FileRW runs.
    QString filePath() const;
    void setFilePath(const QString& path);

    // ValidDays as the file writes it: 7 significant digits, a blank in place of a plus sign and
    // no zero before the decimal point (" 10", " .5", "-.25"); "" for the empty value, "NP" and
    // "－" for the two marker values.
    static QString validDaysText(double validDays);
    // The record as the file holds it, one line without the line end.
    static QString recordLine(const SearchWord& record);

private:
    bool isValidIndex(int index) const;
    SearchWord* recordForWrite(int index);
    static SearchWord parseRecordLine(const QString& line);

    QList<SearchWord> m_words; // record i is m_words[i - 1]
    QStringList m_wordList;    // the candidate list
    double m_newDataDate = EmptyDate;
    QString m_filePath;
};

} // namespace quessel
