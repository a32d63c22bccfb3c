/* Starts a program and reports how long it took until its first top-level
 * window (at least 100x50) was mapped on the X display. Listens for MapNotify
 * on the root window, so the figure does not depend on polling.
 * Usage: xmapwait TIMEOUT_MS program [args...]
 * Prints "PID <pid> MAPPED_MS <ms>" (or "MAPPED_MS timeout") and leaves the
 * program running. */
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

static long window_pid(Display *d, Window w)
{
    Atom pidAtom = XInternAtom(d, "_NET_WM_PID", True);
    if (pidAtom == None)
        return -1;
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char *data = NULL;
    long pid = -1;
    if (XGetWindowProperty(d, w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &n, &after,
                           &data) == Success && data && n == 1)
        pid = (long)*(unsigned long *)data;
    if (data)
        XFree(data);
    return pid;
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: xmapwait TIMEOUT_MS program [args...]\n");
        return 2;
    }
    int timeout = atoi(argv[1]);
    Display *d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "xmapwait: cannot open display\n");
        return 2;
    }
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, False);

    double t0 = now_ms();
    pid_t pid = fork();
    if (pid == 0) {
        /* The caller reads our stdout until it closes: keep the player off it. */
        int devnull = open("/dev/null", O_WRONLY);
        if (devnull >= 0) {
            dup2(devnull, 1);
            dup2(devnull, 2);
            close(devnull);
        }
        close(ConnectionNumber(d));
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    int fd = ConnectionNumber(d);
    for (;;) {
        while (XPending(d)) {
            XEvent ev;
            XNextEvent(d, &ev);
            if (ev.type != MapNotify)
                continue;
            XWindowAttributes wa;
            if (!XGetWindowAttributes(d, ev.xmap.window, &wa) || wa.width < 100 || wa.height < 50)
                continue;
            long wpid = window_pid(d, ev.xmap.window);
            if (wpid != -1 && wpid != pid)
                continue;
            printf("PID %d MAPPED_MS %.1f\n", (int)pid, now_ms() - t0);
            fflush(stdout);
            return 0;
        }
        double left = timeout - (now_ms() - t0);
        if (left <= 0) {
            printf("PID %d MAPPED_MS timeout\n", (int)pid);
            return 1;
        }
        struct pollfd p = {fd, POLLIN, 0};
        poll(&p, 1, (int)left);
    }
}
