// With no toolbar utility object (no variant fitted the runtime), the toolbar settings dialog opened from
// the menu still switches nothing it cannot reach: ticking its labels box leaves the toolbar as it is.
#include "app/m_main.h"
#include "app/register.h"
#include "app/w_main1.h"
#include "kit/register.h"
#include "kit/uo_toolbarutil.h"
#include "runtime/application.h"
#include "runtime/fonts.h"
#include "runtime/registry.h"
#include "test_data_source.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QToolBar>
#include <QtTest>

class TestMenuWithoutUtility : public QObject {
    Q_OBJECT
private slots:
    void labelsBoxWithoutAUtilityChangesNothing()
    {
        rt::installFontSubstitutions();
        TestDataSource data;
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        app::registerWindows();
        kit::registerWindows();
        QCOMPARE(rt::windows().open(QStringLiteral("w_main1")), 1);
        auto *frame = qobject_cast<w_main1 *>(rt::windows().window(QStringLiteral("w_main1")));
        QVERIFY(frame);
        QVERIFY(!guo_toolbarutil());
        const Qt::ToolButtonStyle before = frame->frameToolbar()->toolButtonStyle();

        bool clicked = false;
        connect(&rt::windows(), &rt::WindowRegistry::windowShown, this, [&](QWidget *w, const QString &cls) {
            if (cls != QLatin1String("w_genapp_toolbars"))
                return;
            auto *box = w->findChild<QCheckBox *>(QStringLiteral("cbx_showtext"));
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
            clicked = box->isChecked();
            QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("cb_done")), Qt::LeftButton);
        });
        frame->menu()->item(QStringLiteral("m_工具栏设置b"))->trigger();
        QVERIFY(clicked);
        QCOMPARE(frame->frameToolbar()->toolButtonStyle(), before);
        delete frame;
        TestDataSource::disconnectSqlca();
    }
};

QTEST_MAIN(TestMenuWithoutUtility)
#include "test_menu_without_utility.moc"
