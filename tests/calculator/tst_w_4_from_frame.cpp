// The calculator as the frame's menu item "计算器" opens it: a top-level window of its own with the
// stock icon "Form!", one at most, leaving the frame usable and staying open after the frame closes.
#include "app/m_main.h"
#include "app/w_main1.h"
#include "app/w_pwd.h"
#include "app/window_classes.h"
#include "runtime/fonts.h"
#include "runtime/registry.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestW4FromFrame : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void openedBesideTheFrameAndOutlivesIt();
};

void TestW4FromFrame::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
    rt::installFontSubstitutions();
    registerWindowClasses();
}

void TestW4FromFrame::openedBesideTheFrameAndOutlivesIt()
{
    QCOMPARE(rt::windows().open(QStringLiteral("w_pwd")), 1);
    qobject_cast<w_pwd *>(rt::windows().window(QStringLiteral("w_pwd")))->login();
    QPointer<w_main1> frame = qobject_cast<w_main1 *>(rt::windows().window(QStringLiteral("w_main1")));
    QVERIFY(frame);

    QAction *item = frame->menu()->item(QStringLiteral("m_计算器"));
    item->trigger(); // returns at once
    QPointer<QWidget> calc = rt::windows().window(QStringLiteral("w_4"));
    QVERIFY(calc && calc->isVisible());
    QVERIFY(calc->isWindow());
    QVERIFY(!calc->parentWidget());
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(frame->isEnabled());
    const QImage form(QStringLiteral(":/stock/Form.png"));
    QVERIFY(!form.isNull());
    // Compared as the pixmap holds it: premultiplied.
    const auto premultiplied = QImage::Format_ARGB32_Premultiplied;
    QCOMPARE(calc->windowIcon().pixmap(form.size()).toImage().convertToFormat(premultiplied),
             form.convertToFormat(premultiplied));

    calc->findChild<QPushButton *>(QStringLiteral("cb_7"))->click();
    item->trigger(); // the open calculator again, not a second one
    QCOMPARE(rt::windows().window(QStringLiteral("w_4")), calc.data());
    int calculators = 0;
    for (QWidget *top : QApplication::topLevelWidgets())
        calculators += top->objectName() == u"w_4" && top->isVisible() ? 1 : 0;
    QCOMPARE(calculators, 1);
    QCOMPARE(calc->findChild<QLineEdit *>(QStringLiteral("sle_1"))->text(), QStringLiteral("7"));

    frame->menu()->item(QStringLiteral("m_退出系统"))->trigger();
    QTRY_VERIFY(!frame);
    QVERIFY(calc && calc->isVisible());
    calc->close();
    QTRY_VERIFY(!calc);
}

QTEST_MAIN(TestW4FromFrame)
#include "tst_w_4_from_frame.moc"
