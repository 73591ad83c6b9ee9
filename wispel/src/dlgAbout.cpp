#include "dlgAbout.h"

#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace wispel {

namespace {

QFont titleFont(const QFont& base)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() > 0 ? base.pointSizeF() * 2 : 18);
    font.setBold(true);
    return font;
}

} // namespace

QString dlgAbout::title()
{
    return QStringLiteral("Wispel");
}

dlgAbout::dlgAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgAbout"));
    setWindowTitle(title() + QStringLiteral(u"のﾊﾞｰｼﾞｮﾝ情報"));
    setModal(true);

    m_titleHeight = QFontMetrics(titleFont(font())).height() + 12;
    auto* layout = new QVBoxLayout(this);
    layout->addSpacing(m_titleHeight);
    auto* version = new QLabel(QStringLiteral("Version %1.%2    build %3")
                                   .arg(WISPEL_VERSION_MAJOR)
                                   .arg(WISPEL_VERSION_MINOR)
                                   .arg(WISPEL_VERSION_PATCH),
                               this);
    version->setObjectName(QStringLiteral("lblVersion"));
    layout->addWidget(version);
    // OK is both the default button and the cancel button (Esc rejects); either hides the box.
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
    setMinimumWidth(QFontMetrics(titleFont(font())).horizontalAdvance(title() + QStringLiteral(" Control")) + 40);
}

void dlgAbout::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setFont(titleFont(font()));
    const QRect area(12, 6, width() - 24, m_titleHeight - 6);
    const QString text = title() + QStringLiteral(" Control");
    // Dark grey under white, a little offset, draws the title with a shadow.
    painter.setPen(Qt::darkGray);
    painter.drawText(area.translated(2, 2), Qt::AlignLeft | Qt::AlignVCenter, text);
    painter.setPen(Qt::white);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, text);
}

} // namespace wispel
