// Opens the score windows of years 1 to 3 on a real display with a private data source, types a
// student's results as an operator would, and saves a picture of each: year1.png, year2.png and
// year3.png in the folder given (default ".").
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
#include <QRadioButton>
#include <QTest>
#include <cstdio>
#include <vector>

namespace {

// One thing the operator does: type into an edit and press Enter, or click a radio or a box.
struct Step {
    const char *control;
    const char *text; // null: a click
};

struct Shot {
    int year;
    const char *className;
    std::vector<Step> steps;
};

// Not tested for men in any of the years: the step test, the long jump, the sit-and-reach.
const QStringList kOffForMen = {QStringLiteral("xm_t_m"), QStringLiteral("xm_l_m"), QStringLiteral("xm_z_m")};

const std::vector<Shot> kShots = {
    // A man of 175 cm and 65 kg: the 1000 m run, the 50 m run and the grip, one bonus.
    {1, "w_jsq_dx1",
     {{"em_s1", "175"}, {"em_s2", "65"}, {"em_1", "3.40"}, {"em_f", "3800"}, {"em_5", "7.1"}, {"em_w", "65"},
      {"cbx_3", nullptr}}},
    // A woman: the 800 m run, the step test, the 50 m run and the sit-ups; the absence box ticked.
    {2, "w_jsq_dx2",
     {{"rb_sex_woman", nullptr}, {"em_s1", "160"}, {"em_s2", "52"}, {"em_t", "50"}, {"em_8", "3.50"},
      {"em_f", "2900"}, {"em_5", "8.6"}, {"em_y", "40"}, {"em_w", "45"}, {"cbx_59", nullptr}}},
    // The women's results typed, then the sex changed to men: their scores stay, greyed and left out.
    {3, "w_jsq_dx3",
     {{"rb_sex_woman", nullptr}, {"em_s1", "168"}, {"em_s2", "58"}, {"em_8", "3.50"}, {"em_y", "40"},
      {"rb_sex_man", nullptr}, {"em_1", "3.55"}, {"em_f", "4200"}, {"em_5", "7.4"}, {"em_w", "62"}}},
};

bool ok = true;

void perform(QWidget *window, const Step &s)
{
    auto *control = window->findChild<QWidget *>(QLatin1String(s.control));
    if (!control) {
        std::fprintf(stderr, "no control %s\n", s.control);
        ok = false;
        return;
    }
    if (!s.text) {
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(8, control->height() / 2));
        return;
    }
    QTest::mouseClick(control, Qt::LeftButton);
    QTest::keyClicks(control, QString::fromLatin1(s.text));
    QTest::keyClick(control, Qt::Key_Return);
}

void saveSettingsRow(int year)
{
    QStringList cols{QStringLiteral("nj")}, marks{QStringLiteral("?")};
    QVariantList values{common::studyYearCode(year)};
    for (const char *c : common::kItemFlagColumns) {
        cols << QLatin1String(c);
        marks << QStringLiteral("?");
        values << (kOffForMen.contains(QLatin1String(c)) ? QStringLiteral("0") : QStringLiteral("1"));
    }
    rt::sqlca().execute(QStringLiteral("INSERT INTO xmsz (%1) VALUES (%2)").arg(cols.join(u','), marks.join(u',')),
                        values);
    rt::sqlca().commit();
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
    for (const Shot &shot : kShots)
        saveSettingsRow(shot.year);

    score::registerWindows();
    const Shot *current = nullptr;
    QObject::connect(&rt::windows(), &rt::WindowRegistry::windowShown, &app, [&](QWidget *w, const QString &cls) {
        if (!current || cls != QLatin1String(current->className))
            return;
        QApplication::setActiveWindow(w);
        if (!QTest::qWaitForWindowActive(w))
            std::fprintf(stderr, "window not active\n");
        for (const Step &s : current->steps)
            perform(w, s);
        QTest::qWait(300);
        const QString path = QDir(outDir).filePath(QStringLiteral("year%1.png").arg(current->year));
        if (w->grab().save(path))
            std::printf("%s\n", qPrintable(path));
        else
            ok = false;
        w->close();
    });
    for (const Shot &shot : kShots) {
        current = &shot;
        if (rt::windows().open(QLatin1String(shot.className)) != 1)
            ok = false;
    }
    return ok ? 0 : 1;
}
