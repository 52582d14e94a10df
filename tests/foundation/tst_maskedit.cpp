// The numeric edit: its reading as a real, its mask, Enter as Tab, select-all on entry.
#include "runtime/fonts.h"
#include "score/my_maskedit.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// Lays the controls out one below the other in w, shows it and makes it the active window.
void showActive(QWidget &w, std::initializer_list<QWidget *> controls)
{
    auto *layout = new QVBoxLayout(&w);
    for (QWidget *control : controls)
        layout->addWidget(control);
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

void giveFocus(QWidget *control)
{
    control->setFocus();
    QTRY_VERIFY(control->hasFocus());
}

} // namespace

class TestMaskEdit : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { rt::installFontSubstitutions(); }

    void reading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("value");
        QTest::newRow("separators ignored: 3,500.00 is 3500") << "3,500.00" << 3500.0f;
        QTest::newRow("170.00 is 170") << "170.00" << 170.0f;
        QTest::newRow("empty is 0") << "" << 0.0f;
        QTest::newRow("initial text none is 0") << "none" << 0.0f;
        QTest::newRow("no number is 0") << "abc" << 0.0f;
        QTest::newRow("largest input") << "999,999.99" << 999999.99f;
        QTest::newRow("decimal kept in single precision") << "55.3" << 55.3f;
    }
    void reading()
    {
        QFETCH(QString, text);
        QFETCH(float, value);
        QCOMPARE(my_maskedit::readReal(text), value);
    }

    void format_data()
    {
        QTest::addColumn<int>("mask");
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("shown");
        QTest::newRow("input 170") << 0 << "170" << "170.00";
        QTest::newRow("input 3500 grouped") << 0 << "3500" << "3,500.00";
        QTest::newRow("score 15") << 1 << "15" << "15.0";
        QTest::newRow("score empty") << 1 << "" << "";
        QTest::newRow("score negative") << 1 << "-3" << "-3.0";
    }
    void format()
    {
        QFETCH(int, mask);
        QFETCH(QString, set);
        QFETCH(QString, shown);
        my_maskedit edit(nullptr, mask == 0 ? my_maskedit::Mask::Input : my_maskedit::Mask::Score);
        edit.setText(set);
        QCOMPARE(edit.text(), shown);
    }

    void nothingLargerThanTheMaskCanBeTyped()
    {
        QWidget w;
        auto *edit = new my_maskedit(&w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("99999999.999"));
        QCOMPARE(edit->text(), QStringLiteral("999999.99"));
        QCOMPARE(edit->value(), 999999.99f);
    }

    void enterMovesOnAsTabAndTheLeftEditLosesFocus()
    {
        QWidget w;
        auto *a = new my_maskedit(&w);
        auto *b = new my_maskedit(&w);
        auto *c = new my_maskedit(&w);
        QWidget::setTabOrder(a, c);
        QWidget::setTabOrder(c, b);
        showActive(w, {a, b, c});
        giveFocus(a);

        QSignalSpy lost(a, &my_maskedit::losefocus);
        QSignalSpy modified(a, &my_maskedit::modified);
        QSignalSpy enter(a, &my_maskedit::enter);
        QTest::keyClick(a, Qt::Key_Return);
        QTRY_VERIFY(c->hasFocus()); // the tab order, not the layout order
        QCOMPARE(enter.count(), 1);
        QCOMPARE(lost.count(), 1);
        QCOMPARE(modified.count(), 0); // nothing typed

        // Typed text: modified before losefocus, and the text shown in the mask's format.
        QSignalSpy cLost(c, &my_maskedit::losefocus);
        QSignalSpy cModified(c, &my_maskedit::modified);
        QStringList order;
        connect(c, &my_maskedit::modified, this, [&] { order << QStringLiteral("modified"); });
        connect(c, &my_maskedit::losefocus, this, [&] { order << QStringLiteral("losefocus"); });
        QTest::keyClicks(c, QStringLiteral("3500"));
        QTest::keyClick(c, Qt::Key_Enter, Qt::KeypadModifier);
        QTRY_VERIFY(b->hasFocus());
        QCOMPARE(order, (QStringList{QStringLiteral("modified"), QStringLiteral("losefocus")}));
        QCOMPARE(c->text(), QStringLiteral("3,500.00"));
        QCOMPARE(c->value(), 3500.0f);
    }

    void focusTakenByAnotherWindowIsNoLeaving()
    {
        QWidget w;
        auto *a = new my_maskedit(&w);
        showActive(w, {a, new QLineEdit(&w)});
        giveFocus(a);
        QSignalSpy lost(a, &my_maskedit::losefocus);

        QWidget other;
        other.show();
        QApplication::setActiveWindow(&other);
        QTRY_VERIFY(!w.isActiveWindow());
        QCOMPARE(lost.count(), 0);
    }

    void gainingFocusSelectsTheWholeText()
    {
        QWidget w;
        auto *first = new QLineEdit(&w);
        auto *edit = new my_maskedit(&w);
        edit->setText(QStringLiteral("170"));
        showActive(w, {first, edit});
        giveFocus(first);

        QTest::keyClick(first, Qt::Key_Tab);
        QTRY_VERIFY(edit->hasFocus());
        QTRY_COMPARE(edit->selectedText(), QStringLiteral("170.00"));

        giveFocus(first);
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(4, edit->height() / 2));
        QTRY_VERIFY(edit->hasFocus());
        QTRY_COMPARE(edit->selectedText(), QStringLiteral("170.00"));
        QTest::keyClicks(edit, QStringLiteral("165"));
        QCOMPARE(edit->text(), QStringLiteral("165"));
    }
};

QTEST_MAIN(TestMaskEdit)
#include "tst_maskedit.moc"
