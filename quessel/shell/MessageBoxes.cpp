#include "quessel/shell/MessageBoxes.h"

#include <QFileDialog>
#include <QQueue>

#include <utility>

namespace quessel {

namespace {

struct State
{
    QQueue<QMessageBox::StandardButton> answers;
    QQueue<QString> fileNames;
    QList<MessageBoxes::Record> records;
    bool unattended = false;
};

State& state()
{
    static State s;
    return s;
}

// The answer an unattended box gives: the one it would default to, and for a question the
// cautious one, so a test that forgot to answer never deletes or overwrites anything.
QMessageBox::StandardButton unattendedAnswer(QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton)
{
    if (defaultButton != QMessageBox::NoButton && buttons.testFlag(defaultButton))
        return defaultButton;
    for (QMessageBox::StandardButton b : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Abort, QMessageBox::Ignore,
                                          QMessageBox::Ok, QMessageBox::Yes}) {
        if (buttons.testFlag(b))
            return b;
    }
    return QMessageBox::NoButton;
}

QString askFileName(MessageBoxes::Kind kind, QWidget* parent, const QString& caption, const QString& start,
                    const QString& filter)
{
    State& s = state();
    if (!s.fileNames.isEmpty() || s.unattended) {
        const QString answer = s.fileNames.isEmpty() ? QString() : s.fileNames.dequeue();
        MessageBoxes::Record r;
        r.kind = kind;
        r.title = caption;
        r.text = start;
        r.fileName = answer;
        s.records.append(r);
        return answer;
    }
    if (kind == MessageBoxes::Kind::OpenFile)
        return QFileDialog::getOpenFileName(parent, caption, start, filter);
    return QFileDialog::getSaveFileName(parent, caption, start, filter, nullptr, QFileDialog::DontConfirmOverwrite);
}

} // namespace

QMessageBox::StandardButton MessageBoxes::show(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                               const QString& text, QMessageBox::StandardButtons buttons,
                                               QMessageBox::StandardButton defaultButton)
{
    State& s = state();
    if (!s.answers.isEmpty() || s.unattended) {
        Record r;
        r.icon = icon;
        r.title = title;
        r.text = text;
        r.buttons = buttons;
        r.answer = s.answers.isEmpty() ? unattendedAnswer(buttons, defaultButton) : s.answers.dequeue();
        s.records.append(r);
        return r.answer;
    }
    QMessageBox box(icon, title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    const int result = box.exec();
    return QMessageBox::StandardButton(result);
}

void MessageBoxes::information(QWidget* parent, const QString& title, const QString& text)
{
    show(parent, QMessageBox::Information, title, text);
}

void MessageBoxes::warning(QWidget* parent, const QString& title, const QString& text)
{
    show(parent, QMessageBox::Warning, title, text);
}

void MessageBoxes::critical(QWidget* parent, const QString& title, const QString& text)
{
    show(parent, QMessageBox::Critical, title, text);
}

QMessageBox::StandardButton MessageBoxes::question(QWidget* parent, const QString& title, const QString& text,
                                                   QMessageBox::StandardButtons buttons,
                                                   QMessageBox::StandardButton defaultButton)
{
    return show(parent, QMessageBox::Question, title, text, buttons, defaultButton);
}

QString MessageBoxes::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                      const QString& filter)
{
    return askFileName(Kind::OpenFile, parent, caption, dir, filter);
}

QString MessageBoxes::getSaveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                                      const QString& filter)
{
    return askFileName(Kind::SaveFile, parent, caption, proposed, filter);
}

void MessageBoxes::setNextAnswer(QMessageBox::StandardButton answer)
{
    state().answers.enqueue(answer);
}

void MessageBoxes::setNextFileName(const QString& fileName)
{
    state().fileNames.enqueue(fileName);
}

void MessageBoxes::setUnattended(bool on)
{
    state().unattended = on;
}

bool MessageBoxes::unattended()
{
    return state().unattended;
}

QList<MessageBoxes::Record> MessageBoxes::records()
{
    return state().records;
}

QList<MessageBoxes::Record> MessageBoxes::takeRecords()
{
    return std::exchange(state().records, {});
}

void MessageBoxes::reset()
{
    State& s = state();
    s.answers.clear();
    s.fileNames.clear();
    s.records.clear();
}

} // namespace quessel
