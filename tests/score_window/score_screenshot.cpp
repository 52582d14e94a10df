// Opens the first-year score window on a real display with a private data source, types a student's
// results as an operator would, and saves a picture: year1.png in the folder given (default ".").
#include "common/item_selection.h"
#include "runtime/fonts.h"
#include "runtime/registry.h"
#include "runtime/transaction.h"
#include "score/register.h"
#include "test_data_source.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <cstdio>

namespace {

struct Entry {
    const char *field;
    const char *text;
};
// A man of 175 cm and 65 kg with the year's items typed: the 1000 m run, the 50 m run and the grip.
constexpr Entry kYear1[] = {
    {"em_s1", "175"}, {"em_s2", "65"}, {"em_1", "3.40"}, {"em_f", "3800"}, {"em_5", "7.1"}, {"em_w", "65"},
};
// Not tested for men this year: the step test, the long jump, the sit-and-reach.
const QStringList kOffForMen = {QStringLiteral("xm_t_m"), QStringLiteral("xm_l_m"), QStringLiteral("xm_z_m")};

bool ok = true;

void typeInto(QWidget *window, const Entry &e)
{
    auto *edit = window->findChild<QLineEdit *>(QLatin1String(e.field));
    if (!edit) {
        std::fprintf(stderr, "no control %s\n", e.field);
        ok = false;
        return;
    }
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClicks(edit, QString::fromLatin1(e.text));
    QTest::keyClick(edit, Qt::Key_Return);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    rt::installFontSubstitutions();
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(outDir);

    TestDataSource ds;
    if (!ds.isValid() || TestDataSource::connectSqlca() != 0) {
        std::fprintf(stderr, "no data source: %s\n", qPrintable(ds.error()));
        return 1;
    }
    // One item per category for either sex.
    QStringList cols{QStringLiteral("nj")}, marks{QStringLiteral("?")};
    QVariantList values{QStringLiteral("41")};
    for (const char *c : common::kItemFlagColumns) {
        cols << QLatin1String(c);
        marks << QStringLiteral("?");
        values << (kOffForMen.contains(QLatin1String(c)) ? QStringLiteral("0") : QStringLiteral("1"));
    }
    rt::sqlca().execute(QStringLiteral("INSERT INTO xmsz (%1) VALUES (%2)").arg(cols.join(u','), marks.join(u',')),
                        values);
    rt::sqlca().commit();

    score::registerWindows();
    QObject::connect(&rt::windows(), &rt::WindowRegistry::windowShown, &app, [&](QWidget *w, const QString &cls) {
        if (cls != QLatin1String("w_jsq_dx1"))
            return;
        QApplication::setActiveWindow(w);
        if (!QTest::qWaitForWindowActive(w))
            std::fprintf(stderr, "window not active\n");
        for (const Entry &e : kYear1)
            typeInto(w, e);
        if (auto *bonus = w->findChild<QCheckBox *>(QStringLiteral("cbx_3")))
            QTest::mouseClick(bonus, Qt::LeftButton);
        QTest::qWait(300);
        const QString path = QDir(outDir).filePath(QStringLiteral("year1.png"));
        if (w->grab().save(path))
            std::printf("%s\n", qPrintable(path));
        else
            ok = false;
        w->close();
    });
    rt::windows().open(QStringLiteral("w_jsq_dx1"));
    return ok ? 0 : 1;
}
