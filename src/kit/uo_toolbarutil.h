#pragma once
// Restyles the frame toolbar from outside: finds the frame's toolbar by the window class our layer gives
// it, gives its buttons text labels in a font of the caller's choice, and sets the labels-off icon and
// button geometry. One object serves the whole run (guo_toolbarutil); each login attaches it to the new
// frame. While detached, the font, label and icon calls change nothing.
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QToolBar>
#include <QWidget>

class uo_toolbarutil : public QObject {
    Q_OBJECT
public:
    ~uo_toolbarutil() override = default;

    // Attaches to the frame's toolbar; true when a toolbar of our class was found. A size above 16 is
    // recorded as the icon size of the labels-off look. A failed attach detaches.
    bool of_inittoolbar(QWidget *aw_frame, int ai_size);
    // Label font: the runtime's text size (negative: points) and a sample text by which labels are measured.
    void of_settoolbarfont(const QString &as_fontname, int ai_fontsize, const QString &as_extent);
    // Labels on (separator size of labelled buttons) or off (the recorded icon size).
    void of_toolbarshowtext(bool ib_show);
    void of_adjusttoolbariconsize();
    void of_displayseperator();

    const QString &toolClassName() const { return is_toolclassname; }
    QToolBar *attachedToolbar() const { return il_ptoolbar; }
    QWidget *attachedFrame() const { return il_hframe; }
    int iconSize() const { return ii_iconsize; }

    // The window class our layer gives a frame toolbar, by the runtime's major version.
    static QString toolbarClassFor(int runtimeMajorVersion);
    // The property that carries that class name on a toolbar.
    static constexpr const char *kWindowClassProperty = "rt_windowclass";
    // Gap widgets of a toolbar carry their number of spacing units in this property.
    static constexpr const char *kSpaceProperty = "rt_toolbarspace";
    // Width of one spacing unit in pixels while labels are shown.
    static constexpr int kLabelledSeparator = 4;

protected:
    uo_toolbarutil() = default;
    // The runtime's toolbar routines, supplied by each variant.
    virtual void fn_toolbarsetfont(QToolBar *toolbar, const QString &fontname, int fontsize, QSize bitmap,
                                   const QString &str);
    virtual void fn_toolbarshowtext(QToolBar *toolbar, bool bshow);

    QString is_toolclassname;

private:
    void detach();

    QPointer<QToolBar> il_ptoolbar; // the attached toolbar; null while detached (also once it is destroyed)
    QSize il_hbitmap;               // icon bitmap of an attach with a size above 16
    QPointer<QWidget> il_hframe;
    int ii_iconsize = 0;
};

// The variants for the runtime major versions; they differ only in the toolbar's class name.
class uo_toolbarutil6 : public uo_toolbarutil {
    Q_OBJECT
public:
    uo_toolbarutil6() { is_toolclassname = QStringLiteral("FNFIXEDBAR60"); }
};
class uo_toolbarutil7 : public uo_toolbarutil {
    Q_OBJECT
public:
    uo_toolbarutil7() { is_toolclassname = QStringLiteral("FNFIXEDBAR70"); }
};
class uo_toolbarutil8 : public uo_toolbarutil {
    Q_OBJECT
public:
    uo_toolbarutil8() { is_toolclassname = QStringLiteral("FNFIXEDBAR80"); }
};

// The application's one toolbar utility; empty until the first login creates it.
uo_toolbarutil *&guo_toolbarutil();
