#pragma once
// The launch pad: a band of named objects (launch pictures with their tags and captions, arrows, the
// title) at fixed unit positions, never holding a row. It answers what the frame asks of it as a
// DataWindow does: the object under the pointer, Describe of an object's type, tag and border, and
// Modify of an object's border (0 none, 5 lowered, 6 raised).
#include <QString>
#include <QVector>
#include <QWidget>

class d_start : public QWidget {
    Q_OBJECT
public:
    explicit d_start(QWidget *parent = nullptr);

    // Size of the control that shows the pad, in units.
    static constexpr int kWidth = 3671;
    static constexpr int kHeight = 2144;
    static constexpr long kBackColor = 15793151;

    // The name of the object under the pointer, a tab and the row number 0; empty over empty space.
    QString getObjectAtPointer() const;
    // "<name>.type", "<name>.tag", "<name>.border": the value, "?" for an empty tag, "!" for an unknown
    // object or property.
    QString describe(const QString &expression) const;
    // "<name>.Border='<n>'" or "<name>.Tag='<text>'": the empty string on success, an error text
    // otherwise.
    QString modify(const QString &expression);

    // The object's rectangle in pixels, empty for an unknown name.
    QRect objectRect(const QString &name) const;
    QStringList objectNames() const;

signals:
    void mousemove();
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    enum class Kind { Bitmap, Text };
    struct Object {
        QString name;
        Kind kind;
        QRect unitRect;
        QString picture; // bitmap objects
        QString tag;
        QString text; // text objects
        QFont font;
        long color = 0;
        bool hyperlink = false;
        int border = 0;
    };
    const Object *objectAt(const QPoint &pos) const;
    Object *find(const QString &name);
    const Object *find(const QString &name) const;

    QVector<Object> objects_;
    QPoint pointer_{-1, -1};
};
