// Shows one text in the program's own message box and ends when it is answered: the launcher's way of
// telling a user who started it from the desktop's menu, with nothing to read its printed output, why
// the program could not start. Ctrl+C copies the title and the text, as a Windows message box does, so
// that the reason and the file it names can be passed on.
//   fitmarkel-message TITLE TEXT
#include "runtime/fonts.h"
#include "runtime/messagebox.h"
#include "runtime/style.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <cstdio>

namespace {

class CopyOnCtrlC : public QObject {
public:
    CopyOnCtrlC(QString title, QString text) : title_(std::move(title)), text_(std::move(text)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
            QGuiApplication::clipboard()->setText(title_ + QLatin1Char('\n') + text_ + QLatin1Char('\n'));
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QString title_;
    QString text_;
};

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fputs("usage: fitmarkel-message TITLE TEXT\n", stderr);
        return 2;
    }
    // Qt is given only the program's name, so that no text is taken for one of its options.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    rt::installFontSubstitutions();
    rt::installStyle();
    const QString title = QString::fromLocal8Bit(argv[1]);
    const QString text = QString::fromLocal8Bit(argv[2]);
    CopyOnCtrlC copy(title, text);
    app.installEventFilter(&copy);
    rt::messageBox(title, text, rt::Icon::StopSign);
    return 0;
}
