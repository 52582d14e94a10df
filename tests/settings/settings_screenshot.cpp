// Opens settings windows on a real display with a private data source and saves their pictures in the
// folder given (default "."): year1.png with a stored row of year 1 (and a radio clicked, so Save is
// on), year3.png of year 3 with no row yet (both buttons with pictures).
#include "runtime/fonts.h"
#include "runtime/registry.h"
#include "runtime/transaction.h"
#include "settings/register.h"
#include "settings/w_xm_dx.h"
#include "test_data_source.h"

#include <QApplication>
#include <QDir>
#include <QRadioButton>
#include <QTest>
#include <cstdio>

namespace {

bool ok = true;

void grabTo(QWidget *w, const QString &path)
{
    QTest::qWait(300);
    if (w->grab().save(path))
        std::printf("%s\n", qPrintable(path));
    else
        ok = false;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    rt::installFontSubstitutions();
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(outDir);

    TestDataSource ds(TestDataSource::SchemaOnly);
    if (!ds.isValid() || TestDataSource::connectSqlca() != 0) {
        std::fprintf(stderr, "no data source: %s\n", qPrintable(ds.error()));
        return 1;
    }
    // Year 1: the step test, the 50 m run and the sit-and-reach for men; the 800 m run, the long jump
    // and the grip for women.
    const QStringList on = {"xm_t_m", "xm_5_m", "xm_z_m", "xm_8_w", "xm_l_w", "xm_w_w"};
    QStringList cols{QStringLiteral("nj")}, marks{QStringLiteral("?")};
    QVariantList values{QStringLiteral("41")};
    for (const settings::ItemRadio &item : settings::kItemRadios) {
        cols << QLatin1String(item.column);
        marks << QStringLiteral("?");
        values << (on.contains(QLatin1String(item.column)) ? QStringLiteral("1") : QStringLiteral("0"));
    }
    if (!ds.exec(QStringLiteral("INSERT INTO xmsz (%1) VALUES (%2)").arg(cols.join(u','), marks.join(u',')), values)) {
        std::fprintf(stderr, "seed failed: %s\n", qPrintable(ds.error()));
        return 1;
    }

    settings::registerWindows();
    QObject::connect(&rt::windows(), &rt::WindowRegistry::windowShown, &app, [&](QWidget *w, const QString &cls) {
        QApplication::setActiveWindow(w);
        if (!QTest::qWaitForWindowActive(w))
            std::fprintf(stderr, "window not active\n");
        if (cls == QLatin1String("w_xm_dx1")) {
            if (auto *rb = w->findChild<QRadioButton *>(QStringLiteral("rb_t_m")))
                QTest::mouseClick(rb, Qt::LeftButton, {}, QPoint(6, rb->height() / 2));
            grabTo(w, QDir(outDir).filePath(QStringLiteral("year1.png")));
        } else {
            grabTo(w, QDir(outDir).filePath(cls.right(1) == QLatin1String("3") ? QStringLiteral("year3.png")
                                                                                : cls + QStringLiteral(".png")));
        }
        w->close();
    });
    rt::windows().open(QStringLiteral("w_xm_dx1"));
    rt::windows().open(QStringLiteral("w_xm_dx3"));
    return ok ? 0 : 1;
}
