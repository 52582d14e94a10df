#pragma once
// A year's score window and its settings window driven as an operator drives them, for the tests that
// link the score windows: the year's settings row, the window opened as the program opens it, its
// controls by name, a field typed into and left, a choice clicked and saved.
#include "common/item_selection.h"
#include "common/test_items.h"
#include "kit/pfc_picture_command_button.h"
#include "runtime/transaction.h"
#include "score/my_maskedit.h"
#include "score/year_parameters.h"
#include "score/year_score_window.h"
#include "settings/w_xm_dx.h"

#include <QApplication>
#include <QLineEdit>
#include <QMap>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>
#include <initializer_list>
#include <memory>

namespace score_test {

using Flags = QMap<QString, QString>;

// Writes the year's settings row as a settings window does: through sqlca, committed. Every flag is
// `others` unless `overrides` names it.
inline void saveRow(int year, const Flags &overrides = {}, const QString &others = QStringLiteral("1"))
{
    const QString code = common::studyYearCode(year);
    rt::Transaction &tr = rt::sqlca();
    tr.execute(QStringLiteral("DELETE FROM xmsz WHERE nj = ?"), {code});
    QStringList columns{QStringLiteral("nj")};
    QVariantList values{code};
    for (const char *c : common::kItemFlagColumns) {
        columns << QLatin1String(c);
        values << overrides.value(QLatin1String(c), others);
    }
    QStringList marks;
    for (int i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    tr.execute(QStringLiteral("INSERT INTO xmsz (%1) VALUES (%2)").arg(columns.join(u','), marks.join(u',')), values);
    tr.commit();
}

template <typename T = my_maskedit> T *child(QWidget *w, const char *name)
{
    return w->findChild<T *>(QLatin1String(name));
}

inline QString shown(QWidget *w, const char *name) { return child<QLineEdit>(w, name)->text(); }

// Makes a shown window the active one, as the operator's click on it would.
inline void activate(QWidget *w)
{
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
}

// A window of the year opened as the program opens it, shown and active, or null.
inline std::unique_ptr<score::YearScoreWindow> openWindow(int year)
{
    auto w = std::make_unique<score::YearScoreWindow>(score::yearParameters(year));
    if (!w->openEvent())
        return nullptr;
    w->show();
    activate(w.get());
    return w;
}

// Clicks into the field and types over what it shows.
inline void typeInto(QWidget *w, const char *name, const QString &text)
{
    my_maskedit *e = child(w, name);
    QTest::mouseClick(e, Qt::LeftButton);
    QTRY_VERIFY(e->hasFocus());
    e->selectAll();
    QTest::keyClicks(e, text);
}

inline void typeAndLeave(QWidget *w, const char *name, const QString &text)
{
    typeInto(w, name, text);
    QTest::keyClick(child(w, name), Qt::Key_Tab);
}

inline void clickRadios(w_xm_dx *w, std::initializer_list<const char *> names)
{
    for (const char *name : names) {
        auto *b = child<QRadioButton>(w, name);
        QVERIFY2(b, name);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    }
}

// Clicks Save and waits until its clicked has run.
inline void clickSave(w_xm_dx *w)
{
    QSignalSpy done(w->cb_1(), &pfc_picture_command_button::clicked);
    QTest::mouseClick(w->cb_1()->command_button(), Qt::LeftButton);
    QTRY_COMPARE(done.count(), 1);
}

} // namespace score_test
