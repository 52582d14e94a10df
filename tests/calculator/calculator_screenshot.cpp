// Opens the calculator on the current display and saves a picture of it: calculator_screenshot out.png
#include "runtime/fonts.h"
#include "runtime/registry.h"
#include "tools/register.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    rt::installFontSubstitutions();
    tools::registerWindows();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("calculator.png");
    rt::windows().open(QStringLiteral("w_4"));
    QWidget *calc = rt::windows().window(QStringLiteral("w_4"));
    if (!calc)
        return 1;
    QTimer::singleShot(500, calc, [calc, out] {
        const bool saved = calc->grab().save(out);
        QApplication::exit(saved ? 0 : 2);
    });
    return app.exec();
}
