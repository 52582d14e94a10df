#include "app/d_start.h"

#include "app/pictures.h"
#include "runtime/colors.h"
#include "runtime/fonts.h"
#include "runtime/units.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegularExpression>
#include <qdrawutil.h>

namespace {

struct LaunchItem {
    const char *picture;
    const char *bitmap;
    int x, y;
    const char *tag;
    const char *caption;
    const char *captionText;
    int captionX, captionY, captionWidth;
};

constexpr LaunchItem kLaunchItems[] = {
    {"p_1", "xm_1.bmp", 23, 60, "Run = w_xm_dx1", "t_1", "大一项目设置", 64, 472, 357},
    {"p_8", "cj_1.bmp", 1033, 60, "Run = w_jsq_dx1", "t_5", "大一成绩计算", 1074, 472, 357},
    {"p_10", "xm_2.bmp", 2039, 60, "Run = w_xm_dx2", "t_7", "大二项目设置", 2080, 472, 329},
    {"p_11", "cj_2.bmp", 3040, 60, "Run = w_jsq_dx2", "t_8", "大二成绩计算", 3081, 472, 357},
    {"p_12", "xm_3.bmp", 3040, 1264, "Run = w_xm_dx3", "t_9", "大三项目设置", 3081, 1676, 329},
    {"p_13", "cj_3.bmp", 2039, 1264, "Run = w_jsq_dx3", "t_4", "大三成绩计算", 2080, 1676, 357},
    {"p_20", "xm_4.bmp", 1033, 1264, "Run = w_xm_dx4", "t_14", "大四项目设置", 1074, 1676, 329},
    {"p_5", "cj_4.bmp", 23, 1264, "Run = w_jsq_dx4", "t_13", "大四成绩计算", 64, 1676, 357},
    {"p_6", "by.bmp", 1563, 652, "Run = w_jsq_by", "t_10", "毕业成绩计算", 1591, 1064, 384},
};
constexpr int kLaunchWidth = 411;
constexpr int kLaunchHeight = 392;
constexpr int kCaptionHeight = 56;

struct Arrow {
    const char *name;
    const char *bitmap;
    int x, y, width, height;
};

constexpr Arrow kArrows[] = {
    {"p_7", "arrow1.bmp", 544, 196, 370, 120},   {"p_15", "arrow1.bmp", 1563, 196, 370, 120},
    {"p_2", "arrow1.bmp", 2560, 196, 370, 120},  {"p_18", "arrow2.bmp", 3200, 728, 137, 324},
    {"p_16", "arrow3.bmp", 2560, 1404, 370, 120}, {"p_17", "arrow3.bmp", 1563, 1404, 370, 120},
    {"p_19", "arrow3.bmp", 544, 1404, 370, 120},
};

} // namespace

d_start::d_start(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    rt::setBackColor(this, kBackColor);
    resize(rt::unitsToPixelsX(kWidth), rt::unitsToPixelsY(kHeight));

    const QFont captionFont = rt::font(QStringLiteral("宋体"), 9, 400);
    for (const LaunchItem &item : kLaunchItems) {
        Object picture{QString::fromUtf8(item.picture), Kind::Bitmap, QRect(item.x, item.y, kLaunchWidth, kLaunchHeight),
                       QString::fromUtf8(item.bitmap), QString::fromUtf8(item.tag), {}, {}, 0, true};
        objects_.append(picture);
    }
    for (const Arrow &arrow : kArrows) {
        objects_.append(Object{QString::fromUtf8(arrow.name), Kind::Bitmap,
                               QRect(arrow.x, arrow.y, arrow.width, arrow.height), QString::fromUtf8(arrow.bitmap), {}, {},
                               {}, 0, false});
    }
    for (const LaunchItem &item : kLaunchItems) {
        Object caption{QString::fromUtf8(item.caption), Kind::Text,
                       QRect(item.captionX, item.captionY, item.captionWidth, kCaptionHeight), {}, {},
                       QString::fromUtf8(item.captionText), captionFont, 0};
        objects_.append(caption);
    }
    objects_.append(Object{QStringLiteral("t_12"), Kind::Text, QRect(0, 1956, 3767, 160), {}, {},
                           QStringLiteral("Fitmarkel（大学）  V3.0"), rt::font(QStringLiteral("宋体"), 26, 700),
                           16711680});
}

d_start::Object *d_start::find(const QString &name)
{
    const QString lower = name.toLower();
    for (Object &object : objects_) {
        if (object.name == lower)
            return &object;
    }
    return nullptr;
}

const d_start::Object *d_start::find(const QString &name) const
{
    return const_cast<d_start *>(this)->find(name);
}

const d_start::Object *d_start::objectAt(const QPoint &pos) const
{
    // The topmost object wins: later objects lie above earlier ones.
    for (auto it = objects_.crbegin(); it != objects_.crend(); ++it) {
        const QRect r = rt::unitRect(it->unitRect.x(), it->unitRect.y(), it->unitRect.width(), it->unitRect.height());
        if (r.contains(pos))
            return &*it;
    }
    return nullptr;
}

QString d_start::getObjectAtPointer() const
{
    const Object *object = objectAt(pointer_);
    return object ? object->name + QStringLiteral("\t0") : QString();
}

QString d_start::describe(const QString &expression) const
{
    const qsizetype dot = expression.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return QStringLiteral("!");
    const Object *object = find(expression.left(dot));
    if (!object)
        return QStringLiteral("!");
    const QString property = expression.mid(dot + 1).toLower();
    if (property == QLatin1String("type"))
        return object->kind == Kind::Bitmap ? QStringLiteral("bitmap") : QStringLiteral("text");
    if (property == QLatin1String("tag"))
        return object->tag.isEmpty() ? QStringLiteral("?") : object->tag;
    if (property == QLatin1String("border"))
        return QString::number(object->border);
    if (property == QLatin1String("name"))
        return object->name;
    return QStringLiteral("!");
}

QString d_start::modify(const QString &expression)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^\s*(\w+)\.(\w+)\s*=\s*'([^']*)'\s*$)"));
    const QRegularExpressionMatch match = pattern.match(expression);
    if (!match.hasMatch())
        return QStringLiteral("Line 1 Column 0: incorrect syntax.");
    Object *object = find(match.captured(1));
    if (!object)
        return QStringLiteral("Line 1 Column 0: unknown object %1.").arg(match.captured(1));
    const QString property = match.captured(2).toLower();
    const QString value = match.captured(3);
    if (property == QLatin1String("tag")) {
        object->tag = value;
        return QString();
    }
    bool isNumber = false;
    const int border = value.toInt(&isNumber);
    if (property != QLatin1String("border") || !isNumber || border < 0 || border > 6)
        return QStringLiteral("Line 1 Column 0: invalid value for %1.").arg(match.captured(2));
    if (object->border != border) {
        object->border = border;
        update(objectRect(object->name).adjusted(-2, -2, 2, 2));
    }
    return QString();
}

QRect d_start::objectRect(const QString &name) const
{
    const Object *object = find(name);
    if (!object)
        return {};
    return rt::unitRect(object->unitRect.x(), object->unitRect.y(), object->unitRect.width(),
                        object->unitRect.height());
}

QStringList d_start::objectNames() const
{
    QStringList names;
    for (const Object &object : objects_)
        names << object.name;
    return names;
}

void d_start::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const Object &object : objects_) {
        const QRect r = rt::unitRect(object.unitRect.x(), object.unitRect.y(), object.unitRect.width(),
                                     object.unitRect.height());
        if (!event->rect().intersects(r.adjusted(-2, -2, 2, 2)))
            continue;
        if (object.kind == Kind::Bitmap) {
            // Decoded as they are drawn, from the program's own resources: the pad is drawn when it is
            // shown and where a border changes, and its pictures, kept decoded as pixmaps, took four
            // times their 8-bit size in memory for the whole run.
            const QImage image = pictures::image(object.picture);
            if (!image.isNull())
                painter.drawImage(r, image);
        } else {
            painter.setFont(object.font);
            painter.setPen(rt::color(object.color));
            painter.drawText(r, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, object.text);
        }
        // Three-dimensional borders drawn just outside the object.
        if (object.border == 5 || object.border == 6)
            qDrawWinPanel(&painter, r.adjusted(-2, -2, 2, 2), palette(), object.border == 5);
    }
}

void d_start::mouseMoveEvent(QMouseEvent *event)
{
    pointer_ = event->position().toPoint();
    const Object *object = objectAt(pointer_);
    setCursor(object && object->hyperlink ? Qt::PointingHandCursor : Qt::ArrowCursor);
    emit mousemove();
}

void d_start::mousePressEvent(QMouseEvent *event)
{
    pointer_ = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        emit clicked();
}
