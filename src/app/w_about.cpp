#include "app/w_about.h"

#include "app/pictures.h"
#include "runtime/colors.h"
#include "runtime/fonts.h"
#include "runtime/static_text.h"
#include "runtime/units.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <qdrawutil.h>

namespace {

// The support team's contact data.
constexpr rt::StaticText kLines[] = {
    {"st_1", "如有技术问题或新功能建议，请与 Fitmarkel 技术支持组联系。", 55, 80, 2034, 72, 10, 700, rt::rgb(0, 0, 255)},
    {"st_3", "地址：学院路 1 号体育教研室  联系人：李老师  邮编：100000", 64, 208, 1902, 72, 10, 400,
     rt::syscolor::Desktop},
    {"st_5", "手机：130 0000 0000", 64, 332, 1262, 72, 10, 700, rt::rgb(0, 0, 255)},
    {"st_4", "电话：010-0000 0000", 64, 440, 1262, 72, 10, 700, rt::rgb(0, 0, 255)},
    {"st_2", "E_Mail:   fm@example.org", 64, 556, 1038, 72, 12, 700, rt::syscolor::LinkColor},
    {"st_10", "软件升级：", 64, 692, 379, 72, 10, 400, rt::rgb(255, 0, 255)},
};

} // namespace

w_about::w_about(QWidget *parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setWindowIcon(pictures::appIcon());
    rt::setBackColor(this, rt::syscolor::ButtonFace);
    // No title bar, but the dialog frame of a response window: the controls stand inside its border.
    setFixedSize(rt::unitsToPixelsX(2181), rt::unitsToPixelsY(820));
    const QSize inner = rt::clientSizeForOuter(2181, 820, false);
    auto *client = new QWidget(this);
    client->setGeometry((width() - inner.width()) / 2, (height() - inner.height()) / 2, inner.width(), inner.height());

    for (const rt::StaticText &line : kLines)
        rt::addStaticText(client, line, QStringLiteral("Arial"));

    auto *shl_1 = new QLabel(client);
    shl_1->setObjectName(QStringLiteral("shl_1"));
    QFont linkFont = rt::font(QStringLiteral("Arial"), 12, 400);
    linkFont.setUnderline(true);
    shl_1->setFont(linkFont);
    const QString linkColor = rt::color(rt::syscolor::LinkColor).name();
    shl_1->setText(QStringLiteral("<a href=\"%1\" style=\"color:%2\">Fitmarkel 软件升级站</a>").arg(upgradeUrl(), linkColor));
    shl_1->setTextFormat(Qt::RichText);
    shl_1->setOpenExternalLinks(true);
    shl_1->setFocusPolicy(Qt::NoFocus);
    shl_1->setCursor(Qt::PointingHandCursor);
    shl_1->setToolTip(upgradeUrl());
    rt::placeControl(shl_1, 480, 684, 1221, 92);

    auto *cb_1 = new QPushButton(QStringLiteral("关闭(&X)"), client);
    cb_1->setObjectName(QStringLiteral("cb_1"));
    cb_1->setFont(rt::font(QStringLiteral("Arial"), 9, 400));
    cb_1->setAutoDefault(false);
    rt::placeControl(cb_1, 1792, 680, 302, 80);
    connect(cb_1, &QPushButton::clicked, this, &QWidget::close);
    cb_1->setFocus();
    setFocusProxy(cb_1);
    rt::centerOnScreen(this);
}

void w_about::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), false);
}
