// The floor the program is measured against: a bare Qt Widgets program that walks the same way through
// its windows. A window whose button "&L" opens a QMainWindow the size of the screen, whose Alt+Y opens
// a dialog.
#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget start;
    start.setWindowTitle(QStringLiteral("bare start"));
    auto *login = new QPushButton(QStringLiteral("&Login"), &start);
    QObject::connect(login, &QPushButton::clicked, &start, [&start] {
        auto *frame = new QMainWindow;
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->setWindowTitle(QStringLiteral("bare frame"));
        auto *year = new QShortcut(QKeySequence(QStringLiteral("Alt+Y")), frame);
        QObject::connect(year, &QShortcut::activated, frame, [frame] {
            auto *dialog = new QDialog(frame);
            dialog->setAttribute(Qt::WA_DeleteOnClose);
            dialog->setWindowTitle(QStringLiteral("bare year"));
            dialog->show();
        });
        frame->setGeometry(frame->screen()->availableGeometry());
        frame->show();
        start.close();
    });
    start.show();
    return app.exec();
}
