// Opens the graduation windows on a real display, types scores as an operator would and saves a
// picture of each: graduation.png (w_jsq_by) and, when the fourth-year window is registered,
// fourth_year.png (w_jsq_dx4) on a private data source with a year-4 settings row.
#include "runtime/fonts.h"
#include "runtime/registry.h"
#include "score/register.h"
#include "test_data_source.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <cstdio>

namespace {

QString outDir;
bool allSaved = true;

void typeInto(QWidget *window, const char *name, const QString &text)
{
    auto *edit = window->findChild<QLineEdit *>(QLatin1String(name));
    if (!edit) {
        std::fprintf(stderr, "no control %s\n", name);
        allSaved = false;
        return;
    }
    edit->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

void save(QWidget *window, const QString &file)
{
    QTest::qWait(200);
    const QString path = QDir(outDir).filePath(file);
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
        allSaved = false;
    } else {
        std::printf("%s\n", qPrintable(path));
    }
}

// What to type into a window before its picture is taken; only fields the year's row tests.
struct Entry {
    const char *field;
    const char *text;
};
constexpr Entry kGraduation[] = {{"em_c1", "93"}, {"em_c2", "100"}, {"em_c3", "62"}, {"em_c4", "35"}};
constexpr Entry kFourthYear[] = {
    {"em_c1", "85.5"}, {"em_c2", "90"},  {"em_c3", "77.5"}, {"em_s1", "175"}, {"em_s2", "65"},
    {"em_1", "3.40"},  {"em_f", "3800"}, {"em_5", "7.1"},   {"em_z", "12"},
};

template <size_t N> void shoot(const QString &className, const Entry (&entries)[N], const QString &file)
{
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(&rt::windows(), &rt::WindowRegistry::windowShown, qApp,
                                   [=](QWidget *w, const QString &shown) {
                                       if (shown != className)
                                           return;
                                       QObject::disconnect(*connection);
                                       QApplication::setActiveWindow(w);
                                       if (!QTest::qWaitForWindowActive(w))
                                           std::fprintf(stderr, "window not active\n");
                                       for (const Entry &e : entries)
                                           typeInto(w, e.field, QString::fromUtf8(e.text));
                                       save(w, file);
                                       w->close();
                                   });
    if (rt::windows().open(className) != 1) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(className));
        allSaved = false;
    }
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(outDir);
    rt::installFontSubstitutions();
    score::registerWindows();

    shoot(QStringLiteral("w_jsq_by"), kGraduation, QStringLiteral("graduation.png"));

    if (rt::windows().hasClass(QStringLiteral("w_jsq_dx4"))) {
        TestDataSource data;
        if (!data.isValid()
            || !data.exec(QStringLiteral("INSERT INTO xmsz (nj, xm_t_m, xm_1_m, xm_5_m, xm_l_m, xm_z_m, xm_w_m, "
                                         "xm_t_w, xm_8_w, xm_5_w, xm_l_w, xm_z_w, xm_y_w, xm_w_w) "
                                         "VALUES ('44','0','1','1','0','1','0','0','1','1','0','1','0','0')"))
            || TestDataSource::connectSqlca() != 0) {
            std::fprintf(stderr, "no data source: %s\n", qPrintable(data.error()));
            return 1;
        }
        shoot(QStringLiteral("w_jsq_dx4"), kFourthYear, QStringLiteral("fourth_year.png"));
        TestDataSource::disconnectSqlca();
    }
    return allSaved ? 0 : 1;
}
