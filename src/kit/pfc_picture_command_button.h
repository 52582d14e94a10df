#pragma once
// A push button with a small picture left of its caption. The inner button `command_button` carries
// the caption, the focus, the keys and the click; the picture box `uo_bitmap` lies over the left part
// of its face, takes no input, and follows the press by moving 3 units right and down.
//
// Holders set the public definition values, place the object, then call constructor():
//
//     auto *b = new pfc_picture_command_button(window);
//     b->setObjectName(QStringLiteral("cb_1"));
//     b->buttontext = QStringLiteral("保存（&S)");
//     b->bitmapname = QStringLiteral("Save!");
//     b->place(978, 1164, 360);   // units; height 100 unless given
//     b->setEnabled(false);
//     b->constructor();
//     connect(b, &pfc_picture_command_button::clicked, window, [window] { ... });
//
// Every click of the inner button (mouse, Space, Enter, mnemonic) reaches the holder exactly once as
// `clicked`, queued: it runs from the event loop after the input that caused it has been handled.
// The button is never auto-default, so a dialog adds no click of its own on Enter.
//
// Picture names: a file ending in "bmp", "gif" or "jpg", or a stock name ending in "!". A stock
// name is looked up as the resource ":/stock/<name without !>.png" first, then as a standard icon.
#include <QPixmap>
#include <QPushButton>
#include <QString>
#include <QWidget>

class pfc_picture_command_button;

namespace kit {

// The picture box: draws its picture whether enabled or not, and lets every pointer action through
// to the button beneath.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);
    void setPicture(const QPixmap &picture);
    QPixmap picture() const { return picture_; }
    bool hasPicture() const { return !picture_.isNull(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap picture_;
};

// The inner button: passes mouse and key input on to its object's handlers before the native handling.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    explicit CommandButton(pfc_picture_command_button *owner);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    pfc_picture_command_button *owner_;
};

} // namespace kit

class pfc_picture_command_button : public QWidget {
    Q_OBJECT
public:
    explicit pfc_picture_command_button(QWidget *parent = nullptr);

    // Definition values, read by constructor().
    QString buttontext = QStringLiteral("None");
    QString bitmapname;
    bool default_ = false; // the window's default button
    bool cancel = false;   // the window's cancel button: Esc clicks it
    int buttonwidth = 0;   // pixels; 0 = the object's own width
    int buttonheight = 0;  // pixels; 0 = the object's own height

    // Resting position of the picture box, in units, as last placed.
    long il_picx = 0;
    long il_picy = 0;
    // The left mouse button went down on the inner button and has not come up.
    bool lb_inbounds = false;
    // The Space key holds the inner button down.
    bool lb_keyboard = false;

    static constexpr int kDefaultWidth = 329;
    static constexpr int kDefaultHeight = 100;
    static constexpr int kPictureWidth = 69;
    static constexpr int kPictureHeight = 60;
    static constexpr int kPressOffset = 3;

    // Position and size of the object in units, inside its parent.
    void place(int x, int y, int width = kDefaultWidth, int height = kDefaultHeight);
    int unitWidth() const { return width_; }
    int unitHeight() const { return height_; }

    // Runs once after the holder has set the definition values: sizes, places and fills the button.
    void constructor();

    void of_setresize(int is_width, int is_height);
    void of_setproperties();
    // Sets only the inner button's Enabled; the object's own Enabled is left as it is.
    void of_setenabled(bool is_enabled);
    void of_releasemouse() {}

    kit::CommandButton *command_button() const { return command_button_; }
    kit::PictureBox *uo_bitmap() const { return uo_bitmap_; }

    // The picture box's position in units (resting or pressed).
    int pictureX() const { return picX_; }
    int pictureY() const { return picY_; }
    bool pictureMode() const { return pictureMode_; }

    // Picture mode applies to a name ending in lower-case "gif", "bmp" or "jpg", or in "!"; a
    // trailing blank defeats it, a blank name gives text mode.
    static bool isPictureName(const QString &name);
    // The picture a name stands for; null when it names nothing loadable.
    static QPixmap loadPicture(const QString &name);

signals:
    void clicked();

private:
    friend class kit::CommandButton;

    // The inner button's handlers.
    void commandButtonResize(int newwidth, int newheight);
    void commandButtonClicked();
    void lbuttondown();
    void lbuttonup();
    void mousemove(const QPoint &pos, bool leftDown);
    // True when the key was handled here and the native handling must not run.
    bool keydown(int key);
    void keyup(int key);

    void movePicture(int x, int y);
    void pressPicture() { movePicture(int(il_picx) + kPressOffset, int(il_picy) + kPressOffset); }
    void restPicture() { movePicture(int(il_picx), int(il_picy)); }

    kit::PictureBox *uo_bitmap_;
    kit::CommandButton *command_button_;
    int x_ = 0;
    int y_ = 0;
    int width_ = kDefaultWidth;
    int height_ = kDefaultHeight;
    int picX_ = 0;
    int picY_ = 0;
    bool pictureMode_ = false;
};
