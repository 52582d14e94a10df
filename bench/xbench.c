// Runs a program on an X display and measures what its user sees. A window counts as shown when the X
// server first reports drawing into it (DAMAGE) after it was mapped: its first frame is on the screen.
// Keys and clicks go through XTEST, as if typed. Steps, in order, after the options:
//   show:LABEL:TITLE   wait for a window mapped since the last mark, named with TITLE in it, to be drawn;
//                      prints "LABEL <ms since the mark>"
//   key:KEYS           mark, then press and release KEYS ("alt+l": modifiers first), at a fixed point of
//                      a 100-ms period of the clock (see awaitKeyPhase)
//   click              mark, then click the middle of the last shown window
//   click:X,Y          mark, then click at X,Y inside the last shown window
//   sleep:MS           wait
//   mem:LABEL          prints "LABEL <peak resident memory of the program in KiB>"
//   size:LABEL         prints "LABEL <width>x<height>" of the last shown window, its frame left out
// The program is started (the first mark) after "--"; it is ended with SIGTERM after the last step.
//   xbench STEP... -- PROGRAM [ARGUMENT...]
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <math.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

enum { kMaxWindows = 512, kTimeoutMs = 15000 };
static const double kKeyPhaseMs = 20;

typedef struct {
    Window id;
    double mapped;
    double drawn; // 0 until the first drawing
} Seen;

static Display *dpy;
static int damageEvent;
static Seen seen[kMaxWindows];
static int seenCount;
static pid_t child;
static Window lastShown;

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static void fail(const char *what, const char *arg)
{
    fprintf(stderr, "xbench: %s%s\n", what, arg ? arg : "");
    if (child > 0) {
        kill(child, SIGKILL);
        waitpid(child, NULL, 0);
    }
    exit(1);
}

// Windows come and go while they are looked at: their errors are expected.
static int ignoreErrors(Display *d, XErrorEvent *e)
{
    (void)d;
    (void)e;
    return 0;
}

static void handle(XEvent *e)
{
    if (e->type == CreateNotify) {
        // A window manager maps a program's window inside a frame of its own: watched on the window itself.
        XSelectInput(dpy, e->xcreatewindow.window, StructureNotifyMask);
    } else if (e->type == MapNotify && seenCount < kMaxWindows) {
        for (int i = seenCount - 1; i >= 0; --i)
            if (seen[i].id == e->xmap.window && seen[i].drawn == 0)
                return;
        XDamageCreate(dpy, e->xmap.window, XDamageReportNonEmpty);
        seen[seenCount++] = (Seen){e->xmap.window, now(), 0};
    } else if (e->type == damageEvent + XDamageNotify) {
        const XDamageNotifyEvent *d = (const XDamageNotifyEvent *)e;
        for (int i = seenCount - 1; i >= 0; --i)
            if (seen[i].id == d->drawable && seen[i].drawn == 0)
                seen[i].drawn = now();
    }
}

// Handles the events that arrive within ms milliseconds (all pending ones at least).
static void pump(double ms)
{
    const double until = now() + ms;
    const int fd = ConnectionNumber(dpy);
    for (;;) {
        while (XPending(dpy)) {
            XEvent e;
            XNextEvent(dpy, &e);
            handle(&e);
        }
        const double left = until - now();
        if (left <= 0)
            return;
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(fd, &fds);
        struct timeval tv = {(time_t)(left / 1e3), (suseconds_t)((long)left % 1000 * 1000)};
        select(fd + 1, &fds, NULL, NULL, &tv);
    }
}

static int named(Window w, const char *title)
{
    Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False), type;
    int format;
    unsigned long n, after;
    unsigned char *name = NULL;
    int found = 0;
    if (XGetWindowProperty(dpy, w, XInternAtom(dpy, "_NET_WM_NAME", False), 0, 1024, False, utf8, &type, &format,
                           &n, &after, &name) == Success && name) {
        found = strstr((const char *)name, title) != NULL;
        XFree(name);
    }
    return found;
}

static double shown(const char *title, double mark)
{
    const double until = mark + kTimeoutMs;
    while (now() < until) {
        for (int i = 0; i < seenCount; ++i)
            if (seen[i].mapped >= mark && seen[i].drawn > 0 && named(seen[i].id, title)) {
                lastShown = seen[i].id;
                return seen[i].drawn - mark;
            }
        pump(2);
    }
    fail("no window shown named ", title);
    return 0;
}

// Keys go down 20 ms into a 100-ms period of the monotonic clock. A button pressed through its mnemonic
// clicks after a coarse 100-ms timer, whose wake-up Qt moves by up to 5 ms toward the nearest 100-ms
// mark: pressed at random times, a program's click comes 5 ms early or 5 ms late at random. Pressed at
// the same point of the period, the timers of both programs wake alike.
static void awaitKeyPhase(void)
{
    pump(fmod(kKeyPhaseMs - fmod(now(), 100.0) + 100.0, 100.0));
}

static void keys(const char *chord)
{
    char copy[256];
    snprintf(copy, sizeof copy, "%s", chord);
    KeyCode codes[8];
    int n = 0;
    for (char *part = strtok(copy, "+"); part && n < 8; part = strtok(NULL, "+")) {
        const char *name = !strcmp(part, "alt") ? "Alt_L" : !strcmp(part, "ctrl") ? "Control_L"
                         : !strcmp(part, "shift") ? "Shift_L" : part;
        const KeySym sym = XStringToKeysym(name);
        if (sym == NoSymbol || !(codes[n] = XKeysymToKeycode(dpy, sym)))
            fail("unknown key ", part);
        ++n;
    }
    for (int i = 0; i < n; ++i)
        XTestFakeKeyEvent(dpy, codes[i], True, CurrentTime);
    for (int i = n - 1; i >= 0; --i)
        XTestFakeKeyEvent(dpy, codes[i], False, CurrentTime);
    XFlush(dpy);
}

static void click(const char *at)
{
    if (!lastShown)
        fail("click before any window was shown", NULL);
    XWindowAttributes a;
    if (!XGetWindowAttributes(dpy, lastShown, &a))
        fail("the last shown window is gone", NULL);
    int x = a.width / 2, y = a.height / 2;
    if (at && sscanf(at, "%d,%d", &x, &y) != 2)
        fail("bad click position ", at);
    int rx, ry;
    Window unused;
    XTranslateCoordinates(dpy, lastShown, DefaultRootWindow(dpy), x, y, &rx, &ry, &unused);
    XTestFakeMotionEvent(dpy, -1, rx, ry, CurrentTime);
    XTestFakeButtonEvent(dpy, 1, True, CurrentTime);
    XTestFakeButtonEvent(dpy, 1, False, CurrentTime);
    XFlush(dpy);
}

static long peakKib(void)
{
    char path[64], line[256];
    snprintf(path, sizeof path, "/proc/%d/status", (int)child);
    FILE *f = fopen(path, "r");
    long kib = -1;
    while (f && fgets(line, sizeof line, f))
        if (sscanf(line, "VmHWM: %ld", &kib) == 1)
            break;
    if (f)
        fclose(f);
    if (kib < 0)
        fail("no memory figure of the program", NULL);
    return kib;
}

int main(int argc, char **argv)
{
    int dash = 1;
    while (dash < argc && strcmp(argv[dash], "--"))
        ++dash;
    if (dash + 1 >= argc) {
        fprintf(stderr, "usage: xbench STEP... -- PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    if (!(dpy = XOpenDisplay(NULL)))
        fail("cannot open the display", NULL);
    int errorBase, major, minor;
    if (!XDamageQueryExtension(dpy, &damageEvent, &errorBase) || !XTestQueryExtension(dpy, &errorBase, &errorBase, &major, &minor))
        fail("the display lacks DAMAGE or XTEST", NULL);
    XSetErrorHandler(ignoreErrors);
    XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
    XSync(dpy, False);

    double mark = now();
    if ((child = fork()) == 0) {
        // What the program prints is not part of the measure.
        if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr))
            _exit(127);
        execvp(argv[dash + 1], argv + dash + 1);
        _exit(127);
    }
    for (int i = 1; i < dash; ++i) {
        char step[512];
        snprintf(step, sizeof step, "%s", argv[i]);
        char *arg = strchr(step, ':');
        if (arg)
            *arg++ = '\0';
        if (!strcmp(step, "show") && arg && strchr(arg, ':')) {
            char *title = strchr(arg, ':');
            *title++ = '\0';
            printf("%s %.2f\n", arg, shown(title, mark));
        } else if (!strcmp(step, "key") && arg) {
            pump(0);
            awaitKeyPhase();
            mark = now();
            keys(arg);
        } else if (!strcmp(step, "click")) {
            pump(0);
            mark = now();
            click(arg);
        } else if (!strcmp(step, "sleep") && arg) {
            pump(atof(arg));
        } else if (!strcmp(step, "size") && arg) {
            XWindowAttributes a;
            if (!lastShown || !XGetWindowAttributes(dpy, lastShown, &a))
                fail("no shown window to measure", NULL);
            printf("%s %dx%d\n", arg, a.width, a.height);
        } else if (!strcmp(step, "mem") && arg) {
            printf("%s %ld\n", arg, peakKib());
        } else {
            fail("unknown step ", argv[i]);
        }
        fflush(stdout);
    }
    kill(child, SIGTERM);
    waitpid(child, NULL, 0);
    XCloseDisplay(dpy);
    return 0;
}
