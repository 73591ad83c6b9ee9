#pragma once

#include <QDialog>

namespace wispel {

// The control's version window.
class dlgAbout : public QDialog
{
    Q_OBJECT

public:
    static QString title();

    explicit dlgAbout(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_titleHeight = 0;
};

} // namespace wispel
