// SPDX-License-Identifier: GPL-3.0-or-later
// Measures a player's process tree.
//   playprobe mem PID
//     prints "VmRSS VmHWM" in kB, each summed over PID and its descendants.
//   playprobe first
//     reads the sink monitor as below and prints the moment of the first read holding a sound,
//     on the monotonic clock in ms (the mapwatch clock), then ends.
//   playprobe play PID SECONDS click WINDOW X Y
//   playprobe play PID SECONDS dbus NAME PATH INTERFACE METHOD
//     reads the sink monitor as raw S16LE stereo 44.1 kHz on stdin (parec); waits for 300 ms
//     of silence, then asks for playback and marks that moment: a double-click at X,Y in WINDOW
//     through XTest, marked when the X server has taken the second press; or a method call on
//     the session bus, marked as it is sent. Prints on one line, all times in ms:
//     first=<first audible sample after the mark> request=<click: first press to the mark;
//     call: the mark to the reply> cpu=<utime+stime of the tree from the request's start until
//     SECONDS after the mark> hwm=<VmHWM sum, kB> rss=<VmRSS sum, kB>, both read then.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <ctype.h>
#include <dirent.h>
#include <errno.h>
#include <gio/gio.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

enum { RATE = 44100, FRAME_BYTES = 4, MAX_TREE = 256 };
// About -50 dBFS: the null sink's silence is exact zero, the test file is far above it.
static const int AUDIBLE = 100;

static double nowMs(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The parent of pid from /proc/PID/stat, or -1. The name field may hold spaces and brackets.
static long parentOf(long pid)
{
    char path[64], line[1024];
    snprintf(path, sizeof path, "/proc/%ld/stat", pid);
    FILE *file = fopen(path, "r");
    if (!file)
        return -1;
    long parent = -1;
    if (fgets(line, sizeof line, file)) {
        char *end = strrchr(line, ')');
        if (end)
            sscanf(end + 1, " %*c %ld", &parent);
    }
    fclose(file);
    return parent;
}

// PID and every descendant, at most MAX_TREE of them.
static int processTree(long root, long *tree)
{
    int count = 0;
    tree[count++] = root;
    DIR *proc = opendir("/proc");
    if (!proc)
        return count;
    long all[4096][2];
    int total = 0;
    struct dirent *entry;
    while ((entry = readdir(proc)) && total < 4096) {
        if (!isdigit((unsigned char)entry->d_name[0]))
            continue;
        long pid = strtol(entry->d_name, NULL, 10);
        all[total][0] = pid;
        all[total][1] = parentOf(pid);
        ++total;
    }
    closedir(proc);
    for (int i = 0; i < count; ++i)
        for (int j = 0; j < total && count < MAX_TREE; ++j)
            if (all[j][1] == tree[i])
                tree[count++] = all[j][0];
    return count;
}

// The value of a "Name:  123 kB" line of /proc/PID/status, 0 when absent.
static long statusField(long pid, const char *name)
{
    char path[64], line[256];
    snprintf(path, sizeof path, "/proc/%ld/status", pid);
    FILE *file = fopen(path, "r");
    if (!file)
        return 0;
    long value = 0;
    size_t length = strlen(name);
    while (fgets(line, sizeof line, file))
        if (strncmp(line, name, length) == 0 && line[length] == ':') {
            value = strtol(line + length + 1, NULL, 10);
            break;
        }
    fclose(file);
    return value;
}

static long treeSum(long root, const char *name)
{
    long tree[MAX_TREE];
    int count = processTree(root, tree);
    long sum = 0;
    for (int i = 0; i < count; ++i)
        sum += statusField(tree[i], name);
    return sum;
}

// utime + stime of the tree in ms, from /proc/PID/stat (all threads, dead ones included).
static double treeCpuMs(long root)
{
    long tree[MAX_TREE];
    int count = processTree(root, tree);
    double ticks = 0;
    for (int i = 0; i < count; ++i) {
        char path[64], line[1024];
        snprintf(path, sizeof path, "/proc/%ld/stat", tree[i]);
        FILE *file = fopen(path, "r");
        if (!file)
            continue;
        if (fgets(line, sizeof line, file)) {
            char *end = strrchr(line, ')');
            unsigned long user = 0, system = 0;
            if (end && sscanf(end + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu",
                              &user, &system) == 2)
                ticks += (double)(user + system);
        }
        fclose(file);
    }
    return ticks * 1000.0 / (double)sysconf(_SC_CLK_TCK);
}

struct Monitor {
    unsigned char buffer[65536];
    size_t kept; // bytes of an incomplete frame carried to the next read
};

// Reads what the monitor has: with sound in it, returns the read's arrival time; without, the
// count of frames read; -1 at the end of the stream.
static double readMonitor(struct Monitor *monitor, int *sawSound)
{
    ssize_t got =
        read(STDIN_FILENO, monitor->buffer + monitor->kept, sizeof monitor->buffer - monitor->kept);
    double arrived = nowMs();
    if (got <= 0)
        return got < 0 && (errno == EAGAIN || errno == EINTR) ? 0 : -1;
    size_t bytes = monitor->kept + (size_t)got;
    size_t frames = bytes / FRAME_BYTES;
    *sawSound = 0;
    double first = 0;
    for (size_t frame = 0; frame < frames && !*sawSound; ++frame) {
        const unsigned char *sample = monitor->buffer + frame * FRAME_BYTES;
        int left = (short)(sample[0] | sample[1] << 8);
        int right = (short)(sample[2] | sample[3] << 8);
        // The sink mixes a block at a time, not frame by frame: the block's arrival is its time.
        if (abs(left) >= AUDIBLE || abs(right) >= AUDIBLE) {
            *sawSound = 1;
            first = arrived;
        }
    }
    monitor->kept = bytes - frames * FRAME_BYTES;
    memmove(monitor->buffer, monitor->buffer + frames * FRAME_BYTES, monitor->kept);
    return *sawSound ? first : (double)frames;
}

static int waitReadable(int timeoutMs)
{
    struct pollfd in = {STDIN_FILENO, POLLIN, 0};
    return poll(&in, 1, timeoutMs);
}

struct Request {
    Display *display;     // set for a click
    GDBusConnection *bus; // set for a call, with the four names of it
    char **call;
};

// Puts the pointer over X,Y of the window, ahead of the timed part.
static Display *preparePointer(const char *window, int x, int y)
{
    Display *display = XOpenDisplay(NULL);
    if (!display)
        return NULL;
    Window root = DefaultRootWindow(display), child;
    int rootX, rootY;
    if (!XTranslateCoordinates(display, (Window)strtoul(window, NULL, 0), root, x, y, &rootX,
                               &rootY, &child)) {
        XCloseDisplay(display);
        return NULL;
    }
    XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, CurrentTime);
    XSync(display, False);
    return display;
}

static void pressLeft(Display *display, Bool down)
{
    XTestFakeButtonEvent(display, 1, down, CurrentTime);
}

// Drains the monitor for a moment so its pipe never backs up while we wait on something else.
static void drainMonitor(struct Monitor *monitor)
{
    int sawSound = 0;
    if (waitReadable(0) > 0)
        readMonitor(monitor, &sawSound);
}

struct Reply {
    int done, failed;
    double at;
};

static void noteReply(GObject *bus, GAsyncResult *result, gpointer data)
{
    struct Reply *reply = data;
    GError *error = NULL;
    GVariant *value = g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, &error);
    reply->at = nowMs();
    reply->done = 1;
    reply->failed = value == NULL;
    if (error) {
        fprintf(stderr, "playprobe: %s\n", error->message);
        g_error_free(error);
    }
    if (value)
        g_variant_unref(value);
}

static int play(long pid, double seconds, const struct Request *request)
{
    static struct Monitor monitor;
    struct Reply reply = {0, 0, 0};
    int sawSound = 0;
    double silentFrames = 0;
    const double limit = nowMs() + 10000;
    // Silence first: the chime or anything else still playing must not count.
    while (silentFrames < RATE * 0.3) {
        if (nowMs() > limit) {
            fprintf(stderr, "playprobe: the monitor never went silent\n");
            return 1;
        }
        if (waitReadable(100) <= 0)
            continue;
        double result = readMonitor(&monitor, &sawSound);
        if (result < 0) {
            fprintf(stderr, "playprobe: the monitor stream ended\n");
            return 1;
        }
        silentFrames = sawSound ? 0 : silentFrames + result;
    }

    double cpuBefore = treeCpuMs(pid);
    double started = nowMs(), marked = 0, requestMs = 0;
    if (request->display) {
        // A double-click starts on its second press; the release follows at once, as a hand's.
        pressLeft(request->display, True);
        pressLeft(request->display, False);
        XSync(request->display, False);
        drainMonitor(&monitor);
        pressLeft(request->display, True);
        XSync(request->display, False);
        marked = nowMs();
        requestMs = marked - started;
        pressLeft(request->display, False);
        XSync(request->display, False);
    } else {
        // Sent without waiting, so the monitor is read while the player handles the call.
        marked = started;
        g_dbus_connection_call(request->bus, request->call[0], request->call[1], request->call[2],
                               request->call[3], NULL, NULL, G_DBUS_CALL_FLAGS_NONE, 5000, NULL,
                               noteReply, &reply);
    }
    double firstSound = 0;
    const double soundLimit = marked + 10000;
    while (!firstSound || (request->bus && !reply.done)) {
        if (request->bus)
            while (g_main_context_iteration(NULL, FALSE))
                ;
        if (reply.done && reply.failed) {
            fprintf(stderr, "playprobe: %s failed\n", request->call[3]);
            return 1;
        }
        if (nowMs() > soundLimit) {
            fprintf(stderr, "playprobe: nothing audible within 10 s\n");
            return 1;
        }
        if (firstSound) {
            usleep(1000);
            continue;
        }
        if (waitReadable(1) <= 0)
            continue;
        double result = readMonitor(&monitor, &sawSound);
        if (result < 0) {
            fprintf(stderr, "playprobe: the monitor stream ended\n");
            return 1;
        }
        if (sawSound)
            firstSound = result;
    }
    if (request->bus)
        requestMs = reply.at - marked;
    // The recorder stops with its pipe, so it does not hold the sink at low latency all along.
    close(STDIN_FILENO);

    double until = marked + seconds * 1000.0;
    for (double left; (left = until - nowMs()) > 0;) {
        struct timespec pause = {(time_t)(left / 1000), (long)(((long)left % 1000) * 1000000L)};
        nanosleep(&pause, NULL);
    }
    double cpuEnd = treeCpuMs(pid);
    long hwm = treeSum(pid, "VmHWM");
    long rss = treeSum(pid, "VmRSS");
    printf("first=%.1f request=%.1f cpu=%.0f hwm=%ld rss=%ld\n", firstSound - marked, requestMs,
           cpuEnd - cpuBefore, hwm, rss);
    return 0;
}

// The first sound on the monitor, from whatever the player plays first (Vorla's chime).
static int firstSound(void)
{
    static struct Monitor monitor;
    const double limit = nowMs() + 10000;
    while (nowMs() < limit) {
        if (waitReadable(100) <= 0)
            continue;
        int sawSound = 0;
        double result = readMonitor(&monitor, &sawSound);
        if (result < 0)
            break;
        if (sawSound) {
            printf("%.3f\n", result);
            return 0;
        }
    }
    fprintf(stderr, "playprobe: no sound within 10 s\n");
    return 1;
}

int main(int argc, char **argv)
{
    if (argc == 3 && strcmp(argv[1], "mem") == 0) {
        long pid = strtol(argv[2], NULL, 10);
        printf("%ld %ld\n", treeSum(pid, "VmRSS"), treeSum(pid, "VmHWM"));
        return 0;
    }
    if (argc == 2 && strcmp(argv[1], "first") == 0)
        return firstSound();
    struct Request request = {NULL, NULL, NULL};
    if (argc == 8 && strcmp(argv[1], "play") == 0 && strcmp(argv[4], "click") == 0) {
        request.display = preparePointer(argv[5], atoi(argv[6]), atoi(argv[7]));
        if (!request.display) {
            fprintf(stderr, "playprobe: no window %s on the display\n", argv[5]);
            return 1;
        }
    } else if (argc == 9 && strcmp(argv[1], "play") == 0 && strcmp(argv[4], "dbus") == 0) {
        GError *error = NULL;
        request.bus = g_bus_get_sync(G_BUS_TYPE_SESSION, NULL, &error);
        if (!request.bus) {
            fprintf(stderr, "playprobe: no session bus: %s\n", error->message);
            return 1;
        }
        request.call = argv + 5;
    } else {
        fprintf(stderr, "usage: playprobe mem PID | playprobe play PID SECONDS click WINDOW X Y"
                        " | playprobe first | playprobe play PID SECONDS dbus NAME PATH INTERFACE METHOD\n");
        return 2;
    }
    return play(strtol(argv[2], NULL, 10), strtod(argv[3], NULL), &request);
}
