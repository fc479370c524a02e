// SPDX-License-Identifier: GPL-3.0-or-later
// Times how soon a player's action is heard on the sink monitor.
//   actionprobe REPEATS silence|level RESET-STEP... -- ACTION-STEP...
// Reads the monitor as raw S16LE stereo 44.1 kHz on stdin (parec), first for 2.1 s, so that the
// null sink has woken and mixes in short blocks. Then a warm-up repeat and REPEATS more: runs the
// reset steps, which must leave the player playing the loud sound, waits for 1 s of it, runs the
// action steps and marks the moment of the last one's input. Prints one line a repeat, the
// warm-up's starting with "warmup", in ms from the mark:
//   silence: gone=<the first read from which the monitor stays below the audible level>
//   level: gone=<the first read from which nothing loud comes>
//          heard=<the first audible read from then on: the new, quieter sound>
// or failed=<why>. The change must hold for 500 ms and come within 5 s. With ACTIONPROBE_TRACE
// set, each read after the mark goes to stderr: ms, frames, level (0 silent, 1 quiet, 2 loud).
// Steps, each a word and its arguments:
//   click WINDOW X Y      a left click at X,Y in WINDOW; marked when the server took the release
//   dclick WINDOW X Y     a double-click there
//   key KEYSYM            a key press and release where the focus is; marked at the press
//   call NAME PATH INTERFACE.METHOD ARGS   a method call on the session bus, ARGS a GVariant
//                         tuple in text form ("()", "(uint32 0,)"); marked as it is sent
//   seek NAME USEC        MPRIS SetPosition to USEC in NAME's current track (its trackid is
//                         read first); marked as it is sent
//   sleep MS              waits, reading the monitor
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <errno.h>
#include <gio/gio.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

enum { RATE = 44100, FRAME_BYTES = 4, MAX_STEPS = 16, MAX_READS = 4096 };
// About -50 dBFS: the null sink's silence is exact zero, the quiet noise peaks at -36 dBFS at
// least in any millisecond.
static const int AUDIBLE = 100;
// About -24 dBFS: the loud noise reaches it in every millisecond, the quiet one never (-30 dBFS).
static const int LOUD = 2000;
static const double WAKE_MS = 2100, LOUD_BEFORE_MS = 1000, HOLD_MS = 500, LIMIT_MS = 5000;

enum Level { SILENT, QUIET, LOUD_LEVEL };
enum Kind { CLICK, DOUBLE_CLICK, KEY, CALL, SEEK, SLEEP };

struct Step {
    enum Kind kind;
    char **args;
};

struct Monitor {
    unsigned char buffer[65536];
    size_t kept; // bytes of an incomplete frame carried to the next read
};

struct Reply {
    int pending, failed;
};

static struct Monitor monitor;
static Display *display;
static GDBusConnection *bus;
static int showTrace;

static double nowMs(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Reads what the monitor has within timeoutMs: 1 with the read's loudest level and frame count
// set, 0 when no whole frame came, -1 at the end of the stream.
static int readMonitor(int timeoutMs, enum Level *level, size_t *frames)
{
    struct pollfd in = {STDIN_FILENO, POLLIN, 0};
    if (poll(&in, 1, timeoutMs) <= 0)
        return 0;
    ssize_t got =
        read(STDIN_FILENO, monitor.buffer + monitor.kept, sizeof monitor.buffer - monitor.kept);
    if (got < 0 && (errno == EAGAIN || errno == EINTR))
        return 0;
    if (got <= 0)
        return -1;
    size_t bytes = monitor.kept + (size_t)got;
    *frames = bytes / FRAME_BYTES;
    if (*frames == 0) {
        // Part of one frame: it is judged with the read that completes it.
        monitor.kept = bytes;
        return 0;
    }
    int peak = 0;
    for (size_t i = 0; i < *frames * 2; ++i) {
        const unsigned char *sample = monitor.buffer + i * 2;
        int value = abs((short)(sample[0] | sample[1] << 8));
        if (value > peak)
            peak = value;
    }
    *level = peak >= LOUD ? LOUD_LEVEL : peak >= AUDIBLE ? QUIET : SILENT;
    monitor.kept = bytes - *frames * FRAME_BYTES;
    memmove(monitor.buffer, monitor.buffer + *frames * FRAME_BYTES, monitor.kept);
    return 1;
}

// Keeps reading for ms, so the recorder's pipe never backs up while we wait; 0 at its end.
static int drainFor(double ms)
{
    const double until = nowMs() + ms;
    enum Level level;
    size_t frames;
    do {
        if (readMonitor(1, &level, &frames) < 0)
            return 0;
    } while (nowMs() < until);
    return 1;
}

// Waits for ms of loud sound without a break; 0 when it does not come within 10 s.
static int waitLoud(double ms)
{
    const double limit = nowMs() + 10000;
    double loudFrames = 0;
    while (loudFrames < RATE * ms / 1000) {
        enum Level level;
        size_t frames;
        int got = readMonitor(100, &level, &frames);
        if (got < 0 || nowMs() > limit)
            return 0;
        if (got)
            loudFrames = level == LOUD_LEVEL ? loudFrames + (double)frames : 0;
    }
    return 1;
}

static int pointAt(const char *window, const char *x, const char *y)
{
    Window root = DefaultRootWindow(display), child;
    int rootX, rootY;
    if (!XTranslateCoordinates(display, (Window)strtoul(window, NULL, 0), root, atoi(x), atoi(y),
                               &rootX, &rootY, &child))
        return 0;
    XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, CurrentTime);
    XSync(display, False);
    return 1;
}

static void pressLeft(Bool down)
{
    XTestFakeButtonEvent(display, 1, down, CurrentTime);
    XSync(display, False);
}

static void noteReply(GObject *source, GAsyncResult *result, gpointer data)
{
    struct Reply *reply = data;
    GError *error = NULL;
    GVariant *value = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    reply->pending = 0;
    reply->failed = value == NULL;
    if (error) {
        fprintf(stderr, "actionprobe: %s\n", error->message);
        g_error_free(error);
    }
    if (value)
        g_variant_unref(value);
}

// The object path of NAME's current track, from its MPRIS Metadata; NULL when there is none.
static char *currentTrack(const char *name)
{
    GError *error = NULL;
    GVariant *reply = g_dbus_connection_call_sync(
        bus, name, "/org/mpris/MediaPlayer2", "org.freedesktop.DBus.Properties", "Get",
        g_variant_new("(ss)", "org.mpris.MediaPlayer2.Player", "Metadata"), G_VARIANT_TYPE("(v)"),
        G_DBUS_CALL_FLAGS_NONE, 2000, NULL, &error);
    if (!reply) {
        fprintf(stderr, "actionprobe: %s\n", error->message);
        g_error_free(error);
        return NULL;
    }
    GVariant *boxed, *metadata;
    g_variant_get(reply, "(v)", &boxed);
    metadata = g_variant_is_of_type(boxed, G_VARIANT_TYPE_VARDICT) ? boxed : NULL;
    const char *path = NULL;
    char *track = NULL;
    if (metadata && g_variant_lookup(metadata, "mpris:trackid", "&o", &path))
        track = g_strdup(path);
    g_variant_unref(boxed);
    g_variant_unref(reply);
    return track;
}

// Sends a step's call without waiting; the reply lands in reply. Returns the moment it was sent,
// or 0 when it could not be.
static double sendCall(const struct Step *step, struct Reply *reply)
{
    const char *name = step->args[0], *path, *method;
    GVariant *arguments;
    if (step->kind == SEEK) {
        char *track = currentTrack(name);
        if (!track)
            return 0;
        path = "/org/mpris/MediaPlayer2";
        method = "org.mpris.MediaPlayer2.Player.SetPosition";
        arguments = g_variant_new("(ox)", track, (gint64)strtoll(step->args[1], NULL, 10));
        g_free(track);
    } else {
        path = step->args[1];
        method = step->args[2];
        GError *error = NULL;
        arguments = g_variant_parse(NULL, step->args[3], NULL, NULL, &error);
        if (!arguments || !g_variant_is_of_type(arguments, G_VARIANT_TYPE_TUPLE)) {
            fprintf(stderr, "actionprobe: %s is not a tuple\n", step->args[3]);
            if (error)
                g_error_free(error);
            if (arguments)
                g_variant_unref(arguments);
            return 0;
        }
    }
    const char *dot = strrchr(method, '.');
    if (!dot) {
        g_variant_unref(arguments);
        return 0;
    }
    char interface[256];
    snprintf(interface, sizeof interface, "%.*s", (int)(dot - method), method);
    reply->pending = 1;
    reply->failed = 0;
    double mark = nowMs();
    g_dbus_connection_call(bus, name, path, interface, dot + 1, arguments, NULL,
                           G_DBUS_CALL_FLAGS_NONE, 5000, NULL, noteReply, reply);
    return mark;
}

// Waits for a call's reply, reading the monitor meanwhile; the bus gives up after 5 s.
static void finishCall(struct Reply *reply)
{
    while (reply->pending) {
        while (g_main_context_iteration(NULL, FALSE))
            ;
        drainFor(1);
    }
}

// Runs one step; returns its mark on the monotonic clock, or 0 when it failed. A call's reply is
// left to the caller through reply.
static double runStep(const struct Step *step, struct Reply *reply)
{
    double mark = 0;
    switch (step->kind) {
    case CLICK:
    case DOUBLE_CLICK:
        if (!pointAt(step->args[0], step->args[1], step->args[2]))
            return 0;
        if (step->kind == DOUBLE_CLICK) {
            pressLeft(True);
            pressLeft(False);
        }
        pressLeft(True);
        pressLeft(False);
        return nowMs();
    case KEY: {
        KeyCode code = XKeysymToKeycode(display, XStringToKeysym(step->args[0]));
        if (!code)
            return 0;
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XSync(display, False);
        mark = nowMs();
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        XSync(display, False);
        return mark;
    }
    case CALL:
    case SEEK: return sendCall(step, reply);
    case SLEEP: return drainFor(atof(step->args[0])) ? nowMs() : 0;
    }
    return 0;
}

// Runs reset steps, each call to its reply, reading the monitor meanwhile.
static int runReset(const struct Step *steps, int count)
{
    for (int i = 0; i < count; ++i) {
        struct Reply reply = {0, 0};
        if (!runStep(&steps[i], &reply))
            return 0;
        finishCall(&reply);
        if (reply.failed)
            return 0;
    }
    return 1;
}

struct Trace {
    double at[MAX_READS];
    enum Level level[MAX_READS];
    int count;
};

// The index of the first read from which no read reaches floor, or count when the last one does.
static int settledFrom(const struct Trace *trace, enum Level floor)
{
    int from = 0;
    for (int i = 0; i < trace->count; ++i)
        if (trace->level[i] >= floor)
            from = i + 1;
    return from;
}

// Reads the monitor from the mark until the change has held; returns the repeat's line.
static const char *followChange(double mark, int byLevel, struct Reply *reply)
{
    static struct Trace trace;
    static char line[64];
    trace.count = 0;
    const enum Level floor = byLevel ? LOUD_LEVEL : QUIET;
    for (;;) {
        while (g_main_context_iteration(NULL, FALSE))
            ;
        if (!reply->pending && reply->failed)
            return "failed=call";
        double now = nowMs();
        if (now > mark + LIMIT_MS || trace.count == MAX_READS)
            return "failed=no-change";
        enum Level read;
        size_t frames;
        int got = readMonitor(1, &read, &frames);
        if (got < 0)
            return "failed=monitor";
        if (got) {
            if (showTrace)
                fprintf(stderr, "%8.1f %5zu %d\n", now - mark, frames, read);
            trace.at[trace.count] = now;
            trace.level[trace.count++] = read;
        }
        int gone = settledFrom(&trace, floor);
        if (gone == trace.count || trace.at[trace.count - 1] - trace.at[gone] < HOLD_MS ||
            reply->pending)
            continue;
        if (!byLevel) {
            snprintf(line, sizeof line, "gone=%.1f", trace.at[gone] - mark);
            return line;
        }
        int heard = gone;
        while (heard < trace.count && trace.level[heard] == SILENT)
            ++heard;
        if (heard < trace.count) {
            snprintf(line, sizeof line, "gone=%.1f heard=%.1f", trace.at[gone] - mark,
                     trace.at[heard] - mark);
            return line;
        }
    }
}

// One repeat: the reset, a second of loud sound, the action and what is heard of it.
static int repeatOnce(const struct Step *reset, int resets, const struct Step *action, int actions,
                      int level, int isWarmUp)
{
    if (isWarmUp)
        printf("warmup ");
    if (!runReset(reset, resets)) {
        printf("failed=reset\n");
        return drainFor(500);
    }
    if (!waitLoud(LOUD_BEFORE_MS)) {
        printf("failed=not-loud\n");
        return drainFor(500);
    }
    // Steps before the last one prepare the action (a click that gives a slider the focus).
    if (!runReset(action, actions - 1)) {
        printf("failed=action\n");
        return drainFor(500);
    }
    struct Reply reply = {0, 0};
    double mark = runStep(&action[actions - 1], &reply);
    if (!mark) {
        printf("failed=action\n");
        return drainFor(500);
    }
    const char *line = followChange(mark, level, &reply);
    // A late reply must not land in this frame after it is gone.
    finishCall(&reply);
    printf("%s\n", line);
    fflush(stdout);
    return 1;
}

// Parses steps from argv up to "--" or the end; the count, or -1 on a bad step.
static int parseSteps(char **argv, int argc, int *used, struct Step *steps)
{
    static const struct {
        const char *word;
        enum Kind kind;
        int args;
    } forms[] = {{"click", CLICK, 3}, {"dclick", DOUBLE_CLICK, 3}, {"key", KEY, 1},
                 {"call", CALL, 4},   {"seek", SEEK, 2},           {"sleep", SLEEP, 1}};
    int count = 0, i = 0;
    while (i < argc && strcmp(argv[i], "--") != 0) {
        size_t form = 0;
        while (form < sizeof forms / sizeof forms[0] && strcmp(argv[i], forms[form].word) != 0)
            ++form;
        if (form == sizeof forms / sizeof forms[0] || i + forms[form].args >= argc ||
            count == MAX_STEPS) {
            fprintf(stderr, "actionprobe: bad step at %s\n", argv[i]);
            return -1;
        }
        steps[count].kind = forms[form].kind;
        steps[count++].args = argv + i + 1;
        i += 1 + forms[form].args;
    }
    *used = i;
    return count;
}

int main(int argc, char **argv)
{
    static struct Step reset[MAX_STEPS], action[MAX_STEPS];
    int used = 0, resets = -1, actions = -1;
    if (argc > 3) {
        resets = parseSteps(argv + 3, argc - 3, &used, reset);
        if (resets >= 0 && 3 + used < argc)
            actions = parseSteps(argv + 4 + used, argc - 4 - used, &used, action);
    }
    int repeats = argc > 1 ? atoi(argv[1]) : 0;
    int level = argc > 2 && strcmp(argv[2], "level") == 0;
    if (repeats < 1 || (!level && (argc < 3 || strcmp(argv[2], "silence") != 0)) || resets < 0 ||
        actions < 1) {
        fprintf(stderr, "usage: actionprobe REPEATS silence|level RESET-STEP... -- "
                        "ACTION-STEP...\n");
        return 2;
    }
    const char *trace = getenv("ACTIONPROBE_TRACE");
    showTrace = trace && *trace;
    display = XOpenDisplay(NULL);
    GError *error = NULL;
    bus = g_bus_get_sync(G_BUS_TYPE_SESSION, NULL, &error);
    if (!display || !bus) {
        fprintf(stderr, "actionprobe: no %s\n", display ? "session bus" : "display");
        return 1;
    }
    if (!drainFor(WAKE_MS)) {
        fprintf(stderr, "actionprobe: the monitor stream ended\n");
        return 1;
    }
    // The first repeat may find the player as the last series left it: Vorla, restarted after
    // seconds of playing at volume 0, at times held that many seconds of sound in the server, and
    // the next change was heard that late. It is printed, marked.
    for (int i = 0; i <= repeats; ++i)
        if (!repeatOnce(reset, resets, action, actions, level, i == 0)) {
            fprintf(stderr, "actionprobe: the monitor stream ended\n");
            return 1;
        }
    return 0;
}
