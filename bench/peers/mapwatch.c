// SPDX-License-Identifier: GPL-3.0-or-later
// mapwatch OUT CMD [ARG...]: runs CMD and writes to OUT the milliseconds from exec until its
// first top-level window is mapped, then that window's id, then the moment of the map on the
// monotonic clock in ms; stays CMD's parent until it exits.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <errno.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double nowMs(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The process that owns a window by _NET_WM_PID, or -1 when the property is missing.
static long windowPid(Display *display, Window window)
{
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = NULL;
    Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data && type == XA_CARDINAL && format == 32 && count == 1)
        pid = (long)*(unsigned long *)data;
    if (data)
        XFree(data);
    return pid;
}

// True when pid is child or one of its descendants.
static int inTree(long pid, pid_t child)
{
    for (int depth = 0; pid > 1 && depth < 16; ++depth) {
        if (pid == child)
            return 1;
        char path[64], line[256];
        snprintf(path, sizeof path, "/proc/%ld/status", pid);
        FILE *status = fopen(path, "r");
        if (!status)
            return 0;
        long parent = -1;
        while (fgets(line, sizeof line, status))
            if (sscanf(line, "PPid: %ld", &parent) == 1)
                break;
        fclose(status);
        pid = parent;
    }
    return 0;
}

static int writeResult(const char *out, const char *text)
{
    char temporary[4096];
    if (snprintf(temporary, sizeof temporary, "%s.part", out) >= (int)sizeof temporary)
        return -1;
    FILE *file = fopen(temporary, "w");
    if (!file)
        return -1;
    fputs(text, file);
    if (fclose(file) != 0)
        return -1;
    // Renamed into place so a reader never sees half a line.
    return rename(temporary, out);
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: mapwatch OUT CMD [ARG...]\n");
        return 2;
    }
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "mapwatch: cannot open display\n");
        return 2;
    }
    // Watching the root's children before the exec, so the map cannot be missed.
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    double start = nowMs();
    pid_t child = fork();
    if (child < 0)
        return 2;
    if (child == 0) {
        close(ConnectionNumber(display));
        execvp(argv[2], argv + 2);
        _exit(127);
    }

    const double limitMs = 30000;
    char result[128] = "fail\n";
    int status = 0, exited = 0, mapped = 0;
    while (!mapped && !exited && nowMs() - start <= limitMs) {
        while (!mapped && XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != MapNotify || event.xmap.override_redirect)
                continue;
            double at = nowMs();
            long owner = windowPid(display, event.xmap.window);
            // A window without _NET_WM_PID is taken as ours: only the player maps windows here.
            if (owner != -1 && !inTree(owner, child))
                continue;
            snprintf(result, sizeof result, "%.3f 0x%lx %.3f\n", at - start,
                     (unsigned long)event.xmap.window, at);
            mapped = 1;
        }
        if (mapped)
            break;
        if (waitpid(child, &status, WNOHANG) == child) {
            exited = 1;
            break;
        }
        struct pollfd wait = {ConnectionNumber(display), POLLIN, 0};
        poll(&wait, 1, 50);
    }
    writeResult(argv[1], result);
    XCloseDisplay(display);
    if (!exited)
        while (waitpid(child, &status, 0) < 0 && errno == EINTR)
            ;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
