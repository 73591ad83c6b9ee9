#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>

class QWidget;

namespace quessel {

// Every message box and file dialog of the program goes through here, so tests can answer
// them in advance and no test ever waits on a modal window.
//
// A queued answer is used (and recorded) instead of showing the next box; a queued file name
// likewise answers the next file dialog, an empty one standing for a cancelled dialog. In
// unattended mode nothing is ever shown: a box without a queued answer gets its default button
// (or its only one), a file dialog without a queued name counts as cancelled.
class MessageBoxes
{
public:
    enum class Kind
    {
        Message,
        OpenFile,
        SaveFile,
    };

    // What one box or dialog was asked and what it answered.
    struct Record
    {
        Kind kind = Kind::Message;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title;
        QString text; // the message, or the dialog's proposed file name
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton answer = QMessageBox::NoButton;
        QString fileName; // the dialog's answer; empty when cancelled
    };

    static QMessageBox::StandardButton show(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                            const QString& text, QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    static void information(QWidget* parent, const QString& title, const QString& text);
    // The exclamation box.
    static void warning(QWidget* parent, const QString& title, const QString& text);
    static void critical(QWidget* parent, const QString& title, const QString& text);
    // Yes and No unless told otherwise.
    static QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Yes |
                                                                                       QMessageBox::No,
                                                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    // Filters in Qt's form ("SearchSiteInfo (*.ssi);;すべてのﾌｧｲﾙ (*)"). Empty when cancelled.
    static QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter);
    static QString getSaveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                                   const QString& filter);

    // For tests.
    static void setNextAnswer(QMessageBox::StandardButton answer);
    static void setNextFileName(const QString& fileName);
    static void setUnattended(bool on);
    static bool unattended();
    static QList<Record> records();
    static QList<Record> takeRecords();
    // Drops queued answers, queued names and records; unattended mode stays as it is.
    static void reset();
};

} // namespace quessel
