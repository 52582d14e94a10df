#pragma once
// Every message box of the program goes through one service, so a test can replace it with a
// recorder that answers at once and keeps what was shown.
#include <QList>
#include <QString>
#include <functional>

class QWidget;

namespace rt {

enum class Icon { Information, Exclamation, StopSign, Question };

struct ShownBox {
    QString title;
    QString text;
    Icon icon = Icon::Information;
};

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // Shows the box with one OK button; returns the number of the button pressed (1).
    virtual int show(QWidget *parent, const ShownBox &box) = 0;
};

// The modal box with one OK button; returns 1 when OK is pressed.
int messageBox(const QString &title, const QString &text, Icon icon = Icon::Information);

// While a recorder lives, boxes are recorded instead of shown, and answered OK at once.
class MessageBoxRecorder : public MessageBoxService {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder() override;
    MessageBoxRecorder(const MessageBoxRecorder &) = delete;
    MessageBoxRecorder &operator=(const MessageBoxRecorder &) = delete;

    int show(QWidget *parent, const ShownBox &box) override;

    QList<ShownBox> boxes;
    // Called for each box as it is shown, before it is answered: a test can act at that moment.
    std::function<void(const ShownBox &)> onShow;

    int count() const { return int(boxes.size()); }
    ShownBox last() const { return boxes.isEmpty() ? ShownBox{} : boxes.last(); }
    void clear() { boxes.clear(); }

private:
    MessageBoxService *previous_;
};

} // namespace rt
