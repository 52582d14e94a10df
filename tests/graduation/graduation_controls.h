#pragma once
// The graduation tests' way to reach a control by name and to fill the focused field.
#include "score/my_maskedit.h"

#include <QApplication>
#include <QTest>

namespace graduation_test {

// The control of that name below w; without it no test can go on.
template <typename T = my_maskedit> T *control(const QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

// The named field has the focus: types text into it (nothing when empty) and leaves it by key.
inline void typeAndLeave(const QWidget *w, const char *name, const QString &text, Qt::Key key = Qt::Key_Tab)
{
    QCOMPARE(QApplication::focusWidget(), control<QWidget>(w, name));
    if (!text.isEmpty())
        QTest::keyClicks(QApplication::focusWidget(), text);
    QTest::keyClick(QApplication::focusWidget(), key);
}

} // namespace graduation_test
