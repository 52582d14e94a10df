#include "runtime/messagebox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace rt {

namespace {

class QtMessageBoxService : public MessageBoxService {
public:
    int show(QWidget *parent, const ShownBox &box) override
    {
        QMessageBox mb(parent);
        mb.setWindowTitle(box.title);
        mb.setText(box.text);
        switch (box.icon) {
        case Icon::Information:
            mb.setIcon(QMessageBox::Information);
            break;
        case Icon::Exclamation:
            mb.setIcon(QMessageBox::Warning);
            break;
        case Icon::StopSign:
            mb.setIcon(QMessageBox::Critical);
            break;
        case Icon::Question:
            mb.setIcon(QMessageBox::Question);
            break;
        }
        QPushButton *ok = mb.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
        mb.setDefaultButton(ok);
        mb.setEscapeButton(ok);
        mb.exec();
        return 1;
    }
};

QtMessageBoxService &defaultService()
{
    static QtMessageBoxService service;
    return service;
}

MessageBoxService *current = nullptr;

} // namespace

int messageBox(const QString &title, const QString &text, Icon icon)
{
    MessageBoxService *service = current ? current : &defaultService();
    return service->show(QApplication::activeWindow(), ShownBox{title, text, icon});
}

MessageBoxRecorder::MessageBoxRecorder() : previous_(current) { current = this; }

MessageBoxRecorder::~MessageBoxRecorder() { current = previous_; }

int MessageBoxRecorder::show(QWidget *, const ShownBox &box)
{
    boxes.append(box);
    if (onShow)
        onShow(box);
    return 1;
}

} // namespace rt
