#include "app/book.h"
#include "app/pictures.h"
#include "app/window_classes.h"
#include "runtime/fonts.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication qapp(argc, argv);
    rt::installFontSubstitutions();
    QApplication::setWindowIcon(pictures::appIcon());
    registerWindowClasses();

    book app;
    app.create();
    if (!app.open(QApplication::arguments().mid(1).join(QLatin1Char(' ')))) {
        app.destroy();
        return 1;
    }
    int status = 0;
    const auto windows = QApplication::topLevelWidgets();
    const bool anyOpen = std::any_of(windows.begin(), windows.end(), [](QWidget *w) { return w->isVisible(); });
    if (anyOpen)
        status = qapp.exec();
    app.close();
    app.destroy();
    return status;
}
