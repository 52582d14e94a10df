// The picture button: picture or text mode, placement of the picture, the pressed look, arrow keys,
// Enter, and one queued clicked per click of the inner button.
#include "kit/pfc_picture_command_button.h"
#include "runtime/fonts.h"
#include "runtime/units.h"

#include <QApplication>
#include <QDialog>
#include <QSignalSpy>
#include <QTest>

namespace {

struct Holder {
    QWidget *window;
    QList<pfc_picture_command_button *> buttons;
};

pfc_picture_command_button *makeButton(QWidget *parent, const QString &text, const QString &bitmap, int x,
                                       int width = 361, bool enabled = true)
{
    auto *b = new pfc_picture_command_button(parent);
    b->buttontext = text;
    b->bitmapname = bitmap;
    b->place(x, 20, width);
    b->setEnabled(enabled);
    b->constructor();
    return b;
}

// A window of three buttons side by side, shown and active.
Holder showHolder(QWidget *window)
{
    Holder h{window, {}};
    for (int i = 0; i < 3; ++i) {
        h.buttons << makeButton(window, QStringLiteral("B%1").arg(i), QStringLiteral("Save!"), 20 + i * 400);
        h.buttons.last()->setObjectName(QStringLiteral("uo_%1").arg(i));
    }
    window->resize(rt::unitsToPixelsX(1300), rt::unitsToPixelsY(200));
    window->show();
    QApplication::setActiveWindow(window);
    if (!QTest::qWaitForWindowActive(window))
        qWarning("window not active");
    return h;
}

QPoint pressedPos(pfc_picture_command_button *b)
{
    return {int(b->il_picx) + pfc_picture_command_button::kPressOffset,
            int(b->il_picy) + pfc_picture_command_button::kPressOffset};
}

// Clicks are posted: the spy reaches `count` after the event and stays there a little later.
void verifyClicksSettleAt(const QSignalSpy &spy, int count)
{
    QTRY_COMPARE(spy.count(), count);
    QTest::qWait(20);
    QCOMPARE(spy.count(), count);
}

void giveFocus(QWidget *inner)
{
    inner->setFocus();
    QTRY_VERIFY(inner->hasFocus());
}

QPoint picPos(pfc_picture_command_button *b) { return {b->pictureX(), b->pictureY()}; }
QPoint restPos(pfc_picture_command_button *b) { return {int(b->il_picx), int(b->il_picy)}; }

} // namespace

class TestPictureButton : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { rt::installFontSubstitutions(); }

    void pictureMode_data();
    void pictureMode();
    void captionAndPicture_data();
    void captionAndPicture();
    void placement_data();
    void placement();
    void captionClearsThePicture();
    void disabledAtConstruction();
    void buttonSizeReplacedWhenOneIsZero();
    void stockResourceComesFirst();
    void mouseClickPostsOnce();
    void dragOutAndBack();
    void releasedOutsideDoesNotClick();
    void pressElsewhereThenMoveOn();
    void spaceHoldsPressedLook();
    void spaceWhileMouseHolds();
    void arrowKeysMoveFocus_data();
    void arrowKeysMoveFocus();
    void enterInDialogClicksOnce();
    void spaceInDialogClicksOnce();
    void disabledTakesNoInput();
    void ofSetEnabledOnlyInner();
    void mnemonicAndCancelClickOnce();
};

void TestPictureButton::pictureMode_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("picture");
    QTest::newRow("stock Save!") << "Save!" << true;
    QTest::newRow("stock Custom079!") << "Custom079!" << true;
    QTest::newRow("lower-case gif file") << "logo.gif" << true;
    QTest::newRow("bmp file") << "a.bmp" << true;
    QTest::newRow("jpg file") << "a.jpg" << true;
    QTest::newRow("upper-case GIF") << "logo.GIF" << false;
    QTest::newRow("jpeg") << "photo.jpeg" << false;
    QTest::newRow("png") << "photo.png" << false;
    QTest::newRow("bmp then blank") << "a.bmp " << false;
    QTest::newRow("gif alone") << "gif" << true;
    QTest::newRow("! alone") << "!" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("blanks") << "   " << false;
    QTest::newRow("null") << QString() << false;
}

void TestPictureButton::pictureMode()
{
    QFETCH(QString, name);
    QFETCH(bool, picture);
    QCOMPARE(pfc_picture_command_button::isPictureName(name), picture);
}

void TestPictureButton::captionAndPicture_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("bitmap");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("pictureShown");
    QTest::newRow("Save! shows a picture, three blanks") << "保存（&S)" << "Save!" << "   保存（&S)" << true;
    QTest::newRow("Close! shows a picture") << "关闭(&X)" << "Close!" << "   关闭(&X)" << true;
    QTest::newRow("Exit! shows a picture") << "退出(&X)" << "Exit!" << "   退出(&X)" << true;
    QTest::newRow("Custom079! shows a picture") << "登录(&L)" << "Custom079!" << "   登录(&L)" << true;
    QTest::newRow("no picture: caption alone") << "关闭(&X)" << "" << "关闭(&X)" << false;
    QTest::newRow("blank name: caption alone") << "关闭(&X)" << "  " << "关闭(&X)" << false;
    QTest::newRow("default caption None in picture mode") << "None" << "Save!" << "   None" << true;
}

void TestPictureButton::captionAndPicture()
{
    QFETCH(QString, text);
    QFETCH(QString, bitmap);
    QFETCH(QString, caption);
    QFETCH(bool, pictureShown);
    QWidget w;
    auto *b = makeButton(&w, text, bitmap, 0);
    w.show();
    QCOMPARE(b->command_button()->text(), caption);
    QCOMPARE(b->uo_bitmap()->isVisible(), pictureShown);
    QCOMPARE(b->pictureMode(), pictureShown);
    if (pictureShown)
        QVERIFY(b->uo_bitmap()->hasPicture());
    QCOMPARE(b->command_button()->font().family(), QStringLiteral("宋体"));
    QVERIFY(!b->command_button()->autoDefault());
    QVERIFY(!b->command_button()->isDefault());
}

void TestPictureButton::placement_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("picx");
    QTest::addColumn<int>("picy");
    QTest::newRow("width 361") << 361 << 33 << 21;
    QTest::newRow("width 360") << 360 << 33 << 21;
    QTest::newRow("width 329") << 329 << 30 << 21;
}

void TestPictureButton::placement()
{
    QFETCH(int, width);
    QFETCH(int, picx);
    QFETCH(int, picy);
    QWidget w;
    auto *b = makeButton(&w, QStringLiteral("x"), QStringLiteral("Save!"), 0, width);
    QCOMPARE(b->il_picx, long(picx));
    QCOMPARE(b->il_picy, long(picy));
    QCOMPARE(picPos(b), QPoint(picx, picy));
    QCOMPARE(b->uo_bitmap()->geometry(), rt::unitRect(picx, picy, 69, 60));
    QCOMPARE(b->command_button()->geometry(), QRect(QPoint(0, 0), rt::unitRect(0, 0, width, 100).size()));
}

void TestPictureButton::captionClearsThePicture()
{
    QWidget w;
    auto *b = makeButton(&w, QStringLiteral("保存（&S)"), QStringLiteral("Save!"), 0, 360);
    w.show();
    // The inner button alone, without the picture box above it: where does the caption's ink start?
    const QImage face = b->command_button()->grab().toImage();
    int firstInk = -1;
    for (int x = 3; x < face.width() - 3 && firstInk < 0; ++x)
        for (int y = 3; y < face.height() - 3; ++y)
            if (qGray(face.pixel(x, y)) < 96) {
                firstInk = x;
                break;
            }
    QVERIFY(firstInk > 0);
    const int pictureRight = b->uo_bitmap()->geometry().right() * face.width() / b->command_button()->width();
    // A visible gap, of two pixels at least, between picture and caption.
    QVERIFY2(firstInk > pictureRight + 2,
             qPrintable(QStringLiteral("caption at %1, picture to %2").arg(firstInk).arg(pictureRight)));
    QCOMPARE(b->command_button()->text(), QStringLiteral("   保存（&S)"));
}

void TestPictureButton::disabledAtConstruction()
{
    QWidget w;
    auto *b = makeButton(&w, QStringLiteral("保存（&S)"), QStringLiteral("Save!"), 0, 360, false);
    w.show();
    QVERIFY(b->command_button()->testAttribute(Qt::WA_ForceDisabled));
    QVERIFY(!b->command_button()->isEnabled());
    QVERIFY(b->uo_bitmap()->isVisible());
    QVERIFY(b->uo_bitmap()->hasPicture());

    // Switched on the way the settings windows do: inner button first, then the object.
    b->command_button()->setEnabled(true);
    b->setEnabled(true);
    QVERIFY(b->command_button()->isEnabled());
}

void TestPictureButton::buttonSizeReplacedWhenOneIsZero()
{
    QWidget w;
    auto *b = new pfc_picture_command_button(&w);
    b->buttonheight = 50;
    b->place(0, 0, 361);
    b->constructor();
    QCOMPARE(b->buttonwidth, rt::unitsToPixelsX(361));
    QCOMPARE(b->buttonheight, rt::unitsToPixelsY(100));
}

void TestPictureButton::stockResourceComesFirst()
{
    const QPixmap art = pfc_picture_command_button::loadPicture(QStringLiteral("TestArt!"));
    QVERIFY(!art.isNull());
    QCOMPARE(art.toImage().pixelColor(5, 5), QColor(Qt::red));
    QVERIFY(pfc_picture_command_button::loadPicture(QStringLiteral("NoSuchStock!")).isNull());

    // A name that loads nothing keeps picture mode: blanks before the caption, no picture.
    QWidget w;
    auto *b = makeButton(&w, QStringLiteral("x"), QStringLiteral("missing.bmp"), 0);
    QCOMPARE(b->command_button()->text(), QStringLiteral("   x"));
    QVERIFY(!b->uo_bitmap()->hasPicture());
}

void TestPictureButton::mouseClickPostsOnce()
{
    QWidget w;
    Holder h = showHolder(&w);
    auto *b = h.buttons[0];
    QSignalSpy spy(b, &pfc_picture_command_button::clicked);
    auto *inner = b->command_button();
    const QPoint c = inner->rect().center();

    QTest::mousePress(inner, Qt::LeftButton, {}, c);
    QVERIFY(b->lb_inbounds);
    QCOMPARE(picPos(b), pressedPos(b));
    QTest::mouseRelease(inner, Qt::LeftButton, {}, c);
    QVERIFY(!b->lb_inbounds);
    QCOMPARE(picPos(b), restPos(b));
    QCOMPARE(spy.count(), 0); // posted: not yet, while the release is being handled
    verifyClicksSettleAt(spy, 1);
}

void TestPictureButton::dragOutAndBack()
{
    QWidget w;
    Holder h = showHolder(&w);
    auto *b = h.buttons[0];
    auto *inner = b->command_button();
    QSignalSpy spy(b, &pfc_picture_command_button::clicked);
    const QPoint c = inner->rect().center();
    QTest::mousePress(inner, Qt::LeftButton, {}, c);
    QTest::mouseMove(inner, QPoint(inner->width() + 20, c.y()));
    QCOMPARE(picPos(b), restPos(b));
    QTest::mouseMove(inner, c);
    QCOMPARE(picPos(b), pressedPos(b));
    QTest::mouseRelease(inner, Qt::LeftButton, {}, c);
    QCOMPARE(picPos(b), restPos(b));
    QTRY_COMPARE(spy.count(), 1);
}

void TestPictureButton::releasedOutsideDoesNotClick()
{
    QWidget w;
    Holder h = showHolder(&w);
    auto *b = h.buttons[0];
    auto *inner = b->command_button();
    QSignalSpy spy(b, &pfc_picture_command_button::clicked);
    const QPoint outside(inner->width() + 20, inner->height() / 2);
    QTest::mousePress(inner, Qt::LeftButton, {}, inner->rect().center());
    QTest::mouseMove(inner, outside);
    QTest::mouseRelease(inner, Qt::LeftButton, {}, outside);
    QVERIFY(!b->lb_inbounds);
    QCOMPARE(picPos(b), restPos(b));
    QTest::qWait(20);
    QCOMPARE(spy.count(), 0);
}

void TestPictureButton::pressElsewhereThenMoveOn()
{
    QWidget w;
    Holder h = showHolder(&w);
    auto *b = h.buttons[0];
    auto *inner = b->command_button();
    // A move with the left button down that did not start on the button gives no pressed look.
    QMouseEvent move(QEvent::MouseMove, QPointF(inner->rect().center()), inner->mapToGlobal(inner->rect().center()),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(inner, &move);
    QVERIFY(!b->lb_inbounds);
    QCOMPARE(picPos(b), restPos(b));
    // Hovering with no button down leaves it at rest too.
    QTest::mouseMove(inner, inner->rect().center() + QPoint(2, 0));
    QCOMPARE(picPos(b), restPos(b));
}

void TestPictureButton::spaceHoldsPressedLook()
{
    QWidget w;
    Holder h = showHolder(&w);
    auto *b = h.buttons[1];
    auto *inner = b->command_button();
    giveFocus(inner);
    QSignalSpy spy(b, &pfc_picture_command_button::clicked);
    QTest::keyPress(inner, Qt::Key_Space);
    QVERIFY(b->lb_keyboard);
    QCOMPARE(picPos(b), pressedPos(b));
    QTest::mouseMove(inner, QPoint(inner->width() + 20, 3));
    QCOMPARE(picPos(b), pressedPos(b));
    QTest::keyRelease(inner, Qt::Key_Space);
    QVERIFY(!b->lb_keyboard);
    QCOMPARE(picPos(b), restPos(b));
    QCOMPARE(spy.count(), 0);
    verifyClicksSettleAt(spy, 1);
}

void TestPictureButton::spaceWhileMouseHolds()
{
    QWidget w;
    Holder h = showHolder(&w);
    auto *b = h.buttons[0];
    auto *inner = b->command_button();
    inner->setFocus();
    const QPoint c = inner->rect().center();
    QTest::mousePress(inner, Qt::LeftButton, {}, c);
    QTest::keyPress(inner, Qt::Key_Space);
    QVERIFY(!b->lb_keyboard);
    QCOMPARE(picPos(b), pressedPos(b));
    QTest::keyRelease(inner, Qt::Key_Space);
    QCOMPARE(picPos(b), restPos(b)); // at rest although the mouse button is still down
    QTest::mouseMove(inner, c + QPoint(1, 0));
    QCOMPARE(picPos(b), pressedPos(b));
    QTest::mouseRelease(inner, Qt::LeftButton, {}, c);
}

void TestPictureButton::arrowKeysMoveFocus_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::newRow("Down moves to the next") << int(Qt::Key_Down) << 1 << 2;
    QTest::newRow("Right moves to the next") << int(Qt::Key_Right) << 1 << 2;
    QTest::newRow("Up moves to the previous") << int(Qt::Key_Up) << 1 << 0;
    QTest::newRow("Left moves to the previous") << int(Qt::Key_Left) << 1 << 0;
}

void TestPictureButton::arrowKeysMoveFocus()
{
    QFETCH(int, key);
    QFETCH(int, from);
    QFETCH(int, to);
    QWidget w;
    Holder h = showHolder(&w);
    auto *start = h.buttons[from]->command_button();
    giveFocus(start);
    QSignalSpy spy(h.buttons[from], &pfc_picture_command_button::clicked);
    QTest::keyClick(start, Qt::Key(key));
    QTRY_VERIFY(h.buttons[to]->command_button()->hasFocus());
    QTest::qWait(20);
    QVERIFY(h.buttons[to]->command_button()->hasFocus()); // one move, not two
    QCOMPARE(spy.count(), 0);
}

void TestPictureButton::enterInDialogClicksOnce()
{
    QDialog d;
    Holder h = showHolder(&d);
    QSignalSpy rejected(&d, &QDialog::rejected);
    QSignalSpy accepted(&d, &QDialog::accepted);
    QList<QSignalSpy *> spies;
    for (auto *b : h.buttons)
        spies << new QSignalSpy(b, &pfc_picture_command_button::clicked);
    auto *inner = h.buttons[1]->command_button();
    giveFocus(inner);
    QTest::keyClick(inner, Qt::Key_Return);
    QCOMPARE(spies[1]->count(), 0);
    QTRY_COMPARE(spies[1]->count(), 1);
    QTest::keyClick(inner, Qt::Key_Enter, Qt::KeypadModifier);
    verifyClicksSettleAt(*spies[1], 2);
    QCOMPARE(spies[0]->count(), 0);
    QCOMPARE(spies[2]->count(), 0);
    QVERIFY(d.isVisible());
    QCOMPARE(accepted.count() + rejected.count(), 0);
    qDeleteAll(spies);
}

void TestPictureButton::spaceInDialogClicksOnce()
{
    QDialog d;
    Holder h = showHolder(&d);
    auto *inner = h.buttons[2]->command_button();
    giveFocus(inner);
    QSignalSpy spy(h.buttons[2], &pfc_picture_command_button::clicked);
    QTest::keyClick(inner, Qt::Key_Space);
    QTRY_COMPARE(spy.count(), 1);
    QTest::mouseClick(inner, Qt::LeftButton);
    verifyClicksSettleAt(spy, 2);
}

void TestPictureButton::disabledTakesNoInput()
{
    QWidget w;
    Holder h = showHolder(&w);
    auto *b = h.buttons[0];
    b->command_button()->setEnabled(false);
    b->setEnabled(false);
    QSignalSpy spy(b, &pfc_picture_command_button::clicked);
    QTest::mouseClick(b->command_button(), Qt::LeftButton);
    QTest::keyClick(b->command_button(), Qt::Key_Return);
    QTest::qWait(20);
    QCOMPARE(spy.count(), 0);
    QVERIFY(!b->lb_inbounds);
    QCOMPARE(picPos(b), restPos(b));
}

void TestPictureButton::ofSetEnabledOnlyInner()
{
    QWidget w;
    auto *b = makeButton(&w, QStringLiteral("x"), QStringLiteral("Save!"), 0, 360, false);
    b->of_setenabled(true);
    QVERIFY(!b->command_button()->testAttribute(Qt::WA_ForceDisabled));
    QVERIFY(b->testAttribute(Qt::WA_ForceDisabled));
    QVERIFY(!b->command_button()->isEnabled()); // the object as a whole still takes no input
}

void TestPictureButton::mnemonicAndCancelClickOnce()
{
    QDialog d;
    auto *save = makeButton(&d, QStringLiteral("保存（&S)"), QStringLiteral("Save!"), 20);
    auto *quit = new pfc_picture_command_button(&d);
    quit->buttontext = QStringLiteral("关闭(&X)");
    quit->cancel = true;
    quit->place(420, 20, 361);
    quit->constructor();
    d.resize(rt::unitsToPixelsX(900), rt::unitsToPixelsY(200));
    d.show();
    QApplication::setActiveWindow(&d);
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QSignalSpy saves(save, &pfc_picture_command_button::clicked);
    QSignalSpy quits(quit, &pfc_picture_command_button::clicked);
    QTest::keyClick(&d, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(saves.count(), 1);
    QTest::keyClick(&d, Qt::Key_Escape);
    QTRY_COMPARE(quits.count(), 1);
    QTest::qWait(20);
    QCOMPARE(saves.count(), 1);
    QCOMPARE(quits.count(), 1);
    QVERIFY(d.isVisible()); // the dialog's own Esc did not run as well
}

QTEST_MAIN(TestPictureButton)
#include "test_picture_button.moc"
