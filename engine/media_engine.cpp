// SPDX-License-Identifier: GPL-3.0-or-later
// The media command interpreter: a table of devices keyed by the exact bytes of their names,
// each one pipeline, driven from the UI thread.
#include "engine/media_engine.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gst/gst.h>

#include "engine/command_parser.h"
#include "engine/device_name.h"
#include "engine/media_length.h"
#include "engine/media_pipeline.h"

#define GST_CAT_DEFAULT vorlaDebug

namespace {

using Clock = std::chrono::steady_clock;

// How long "play X from N" and "status X length" may wait for a file to be ready.
constexpr int READY_LIMIT_MS = 2000;
constexpr GstClockTime READY_LIMIT = READY_LIMIT_MS * GST_MSECOND;
// How long a closed device's pipeline is kept for a following "play X from N".
constexpr int WARM_KEEP_MS = 3000;
constexpr std::size_t KNOWN_FILES_LIMIT = 128;
constexpr std::uint32_t FULL_VOLUME = 1000;
// How often a device without a real output looks for one again.
constexpr guint OUTPUT_RETRY_MS = 500;

struct Device {
    Playback playback;
    FileIdentity file;
    MediaType type = MediaType::Unknown;
    bool paused = false;
    // The last seek's sequence number: an end of stream from before that seek is stale.
    std::uint32_t seekSeqnum = 0;
    // The level last set, for an output opened again.
    double gain = 1.0;
    // Where playback stands by the wall clock: anchorMs when anchoredAt was taken, running on
    // unless paused. It carries the position over a time without output.
    std::uint32_t anchorMs = 0;
    Clock::time_point anchoredAt = Clock::now();
    // The output failed (its sound server went away): no pipeline until one opens again.
    bool outputLost = false;
};

// A closed device's pipeline, paused and kept briefly, so that "close X" then "play X from N"
// (each drag step of the position slider) needs no new preroll. It is not a device: "close X"
// still answers that X is not open.
struct WarmPipeline {
    std::string name;
    Device device;
    guint timer = 0;
    Clock::time_point since;
};

// What opening a file found, kept per version of the file.
struct FileFacts {
    FileIdentity file;
    MediaType type = MediaType::Unknown;
    int openError = 0;
    long long lengthMs = -1; // -1 until measured
};

struct Engine {
    std::map<std::string, Device, std::less<>> devices;
    std::optional<WarmPipeline> warm;
    std::vector<FileFacts> known;
    // Runs while a device has no real output.
    guint outputRetry = 0;
};

Engine &engine()
{
    // Never destroyed: closeAllMediaDevices tears down, at exit before any static destructor.
    static Engine *instance = new Engine;
    return *instance;
}

std::uint32_t positionOf(const Device &device)
{
    if (device.paused)
        return device.anchorMs;
    auto ran =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - device.anchoredAt);
    return static_cast<std::uint32_t>(std::min<long long>(
        device.anchorMs + ran.count(), std::numeric_limits<std::uint32_t>::max()));
}

void anchorAt(Device &device, std::uint32_t ms)
{
    device.anchorMs = ms;
    device.anchoredAt = Clock::now();
}

enum class StreamNews { None, Ended, OutputFailed };

// What a bus message means for the device: the end of its current segment or a decoding error
// end it; an error of its output only takes the output away.
StreamNews newsFor(const Device &device, GstMessage *message)
{
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
        return device.seekSeqnum == 0 || gst_message_get_seqnum(message) == device.seekSeqnum
                   ? StreamNews::Ended
                   : StreamNews::None;
    case GST_MESSAGE_ERROR: {
        GError *raw = nullptr;
        gst_message_parse_error(message, &raw, nullptr);
        ErrorPtr error(raw);
        bool output = isOutputError(device.playback, message);
        GST_INFO("device %s on an error: %s", output ? "loses its output" : "stops",
                 error ? error->message : "");
        return output ? StreamNews::OutputFailed : StreamNews::Ended;
    }
    default: return StreamNews::None;
    }
}

gboolean onOutputRetry(gpointer);

// Looks for a real output again while some device has none.
void watchOutputs()
{
    Engine &state = engine();
    if (state.outputRetry)
        return;
    for (const auto &[name, device] : state.devices) {
        if (device.outputLost || isOnFallbackOutput(device.playback)) {
            state.outputRetry = g_timeout_add(OUTPUT_RETRY_MS, onOutputRetry, nullptr);
            return;
        }
    }
}

// The device keeps its place and time; its pipeline goes with the output it can no longer use.
void loseOutput(Device &device)
{
    anchorAt(device, positionOf(device));
    device.outputLost = true;
    device.playback = Playback{};
    device.seekSeqnum = 0;
}

// Acts on what a device's bus said; true when the device has ended.
bool followNews(Device &device, StreamNews news)
{
    if (news == StreamNews::OutputFailed)
        loseOutput(device);
    return news == StreamNews::Ended;
}

// Bus watch on the default main context: a device whose stream ends closes itself.
gboolean onBusMessage(GstBus *bus, GstMessage *message, gpointer)
{
    Engine &state = engine();
    for (auto it = state.devices.begin(); it != state.devices.end(); ++it) {
        if (it->second.playback.bus.get() != bus)
            continue;
        if (followNews(it->second, newsFor(it->second, message))) {
            GST_DEBUG("device closes at its end: %s", it->first.c_str());
            state.devices.erase(it);
        }
        break;
    }
    watchOutputs();
    return G_SOURCE_CONTINUE;
}

void dropWarm()
{
    Engine &state = engine();
    if (!state.warm)
        return;
    if (state.warm->timer)
        g_source_remove(state.warm->timer);
    state.warm.reset();
}

gboolean onWarmExpired(gpointer)
{
    Engine &state = engine();
    if (state.warm) {
        state.warm->timer = 0;
        state.warm.reset();
    }
    return G_SOURCE_REMOVE;
}

// Drops whatever waits on a bus and acts on it; true when the device's stream has ended.
bool drainBus(Device &device)
{
    bool ended = false;
    while (!device.outputLost && !ended) {
        MessagePtr message{gst_bus_pop(device.playback.bus.get())};
        if (!message)
            break;
        ended = followNews(device, newsFor(device, message.get()));
    }
    return ended;
}

long long lengthOf(std::string_view name, const std::string &path, const FileIdentity &file,
                   MediaType type);

// A device without output ends when its time has run past its length.
bool hasRunOut(std::string_view name, const Device &device)
{
    if (!device.outputLost || device.paused)
        return false;
    std::string path;
    decodeDeviceName(name, path);
    return positionOf(device) >= lengthOf(name, path, device.file, device.type);
}

// The check at the start of every command, for when no main loop has run the bus watches.
void collectEndedDevices()
{
    Engine &state = engine();
    for (auto it = state.devices.begin(); it != state.devices.end();) {
        if (drainBus(it->second) || hasRunOut(it->first, it->second)) {
            GST_DEBUG("device closed at its end: %s", it->first.c_str());
            it = state.devices.erase(it);
        } else {
            ++it;
        }
    }
    if (state.warm && Clock::now() - state.warm->since > std::chrono::milliseconds(WARM_KEEP_MS))
        dropWarm();
}

FileFacts *findFacts(const FileIdentity &file)
{
    std::vector<FileFacts> &known = engine().known;
    auto found = std::find_if(known.begin(), known.end(),
                              [&file](const FileFacts &facts) { return facts.file == file; });
    return found == known.end() ? nullptr : &*found;
}

void rememberFacts(const FileFacts &facts)
{
    std::vector<FileFacts> &known = engine().known;
    if (FileFacts *old = findFacts(facts.file)) {
        *old = facts;
        return;
    }
    if (known.size() >= KNOWN_FILES_LIMIT)
        known.clear();
    known.push_back(facts);
}

// Duration from a silent trial pipeline; -1 when the file does not decode within the limit.
long long gstreamerLengthMs(std::string_view uri)
{
    Playback probe;
    // Only types other than MPEG audio come here, so the probe is always a playbin.
    if (!buildPlayback(std::string(uri), MediaType::Unknown, "fakesink", nullptr, probe))
        return -1;
    if (gst_element_set_state(probe.pipeline.get(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE ||
        !waitPrerolled(probe, READY_LIMIT_MS))
        return -1;
    return durationMs(probe);
}

// The length that status reports and that bounds "from"; -1 when the file does not decode.
long long lengthOf(std::string_view name, const std::string &path, const FileIdentity &file,
                   MediaType type)
{
    FileFacts *known = findFacts(file);
    if (known && known->lengthMs >= 0)
        return known->lengthMs;
    long long ms = type == MediaType::Mpeg ? std::max(0LL, scanMpegLengthMs(path.c_str()))
                                           : gstreamerLengthMs(name);
    if (ms < 0)
        return -1;
    FileFacts facts = known ? *known : FileFacts{file, type, 0, -1};
    facts.lengthMs = ms;
    rememberFacts(facts);
    return ms;
}

// Opens a file the way a device would: 0, 275 when it is missing, 277 when it does not decode.
int probeFile(std::string_view name, const std::string &path, FileFacts &out)
{
    FileIdentity file;
    MediaType type = sniffMedia(path.c_str(), &file);
    if (type == MediaType::Missing)
        return ERR_FILE_NOT_FOUND;
    if (type == MediaType::Unreadable)
        return ERR_NOT_DECODABLE;
    if (FileFacts *known = findFacts(file)) {
        out = *known;
        return out.openError;
    }
    out = FileFacts{file, type, 0, -1};
    if (type == MediaType::Mpeg && !decodesFirstMpegFrame(path.c_str()))
        out.openError = ERR_NOT_DECODABLE;
    // Only a trial decode tells whether GStreamer can play an unknown type.
    if (type == MediaType::Unknown) {
        out.lengthMs = gstreamerLengthMs(name);
        if (out.lengthMs < 0)
            out.openError = ERR_NOT_DECODABLE;
    }
    rememberFacts(out);
    return out.openError;
}

// Seeks, waiting for a pipeline that has not prerolled yet; the seek's number or 0.
std::uint32_t seekWhenReady(const Device &device, std::uint32_t ms)
{
    if (std::uint32_t seqnum = seekTo(device.playback, ms))
        return seqnum;
    if (gst_element_get_state(device.playback.pipeline.get(), nullptr, nullptr, READY_LIMIT) !=
        GST_STATE_CHANGE_SUCCESS)
        return 0;
    return seekTo(device.playback, ms);
}

// A kept pipeline for this name and this version of the file, taken out of its slot.
std::optional<Device> takeWarm(std::string_view name, const FileIdentity &file)
{
    Engine &state = engine();
    if (!state.warm || state.warm->name != name)
        return std::nullopt;
    std::optional<Device> device;
    if (state.warm->device.file == file && state.warm->device.playback.sink == configuredSink())
        device = std::move(state.warm->device);
    dropWarm();
    return device;
}

void keepWarm(std::string name, Device device)
{
    dropWarm();
    if (gst_element_set_state(device.playback.pipeline.get(), GST_STATE_PAUSED) ==
        GST_STATE_CHANGE_FAILURE)
        return;
    Engine &state = engine();
    guint timer = g_timeout_add(WARM_KEEP_MS, onWarmExpired, nullptr);
    state.warm = WarmPipeline{std::move(name), std::move(device), timer, Clock::now()};
}

// Restarts a kept pipeline at ms with the volume of a fresh open; false when it cannot seek.
bool restartWarm(Device &device, std::uint32_t ms)
{
    drainBus(device);
    if (device.outputLost)
        return false;
    device.gain = 1.0;
    setGain(device.playback, device.gain);
    anchorAt(device, ms);
    device.seekSeqnum = seekWhenReady(device, ms);
    if (device.seekSeqnum == 0)
        return false;
    device.paused = false;
    return gst_element_set_state(device.playback.pipeline.get(), GST_STATE_PLAYING) !=
           GST_STATE_CHANGE_FAILURE;
}

// A new pipeline, playing from the start or, after its preroll, from ms; a paused device stays
// paused there.
bool startFresh(std::string_view name, Device &device, std::optional<std::uint32_t> from)
{
    if (!buildPlayback(std::string(name), device.type, configuredSink(), onBusMessage,
                       device.playback))
        return false;
    anchorAt(device, from.value_or(0));
    GstElement *pipeline = device.playback.pipeline.get();
    if (!from)
        return gst_element_set_state(pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
    if (gst_element_set_state(pipeline, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE ||
        !waitPrerolled(device.playback, READY_LIMIT_MS))
        return false;
    device.seekSeqnum = seekTo(device.playback, *from);
    return device.seekSeqnum != 0 &&
           (device.paused ||
            gst_element_set_state(pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE);
}

// Gives a device without a real output a new pipeline where its time has got to, with its level;
// false when none opens, and the device goes on without.
bool reopenOutput(std::string_view name, Device &device)
{
    std::uint32_t position = positionOf(device);
    Device reopened;
    reopened.file = device.file;
    reopened.type = device.type;
    reopened.paused = device.paused;
    reopened.gain = device.gain;
    if (!startFresh(name, reopened, position))
        return false;
    setGain(reopened.playback, reopened.gain);
    GST_INFO("device has an output again at %u ms: %.*s", position, static_cast<int>(name.size()),
             name.data());
    device = std::move(reopened);
    return true;
}

gboolean onOutputRetry(gpointer)
{
    Engine &state = engine();
    // The automatic output is asked once a round, so a device is not reopened into nothing; a
    // described output is simply tried.
    const bool automatic = configuredSink().empty();
    std::optional<bool> found;
    bool waiting = false;
    for (auto it = state.devices.begin(); it != state.devices.end();) {
        Device &device = it->second;
        if (!device.outputLost && !isOnFallbackOutput(device.playback)) {
            ++it;
            continue;
        }
        if (hasRunOut(it->first, device)) {
            it = state.devices.erase(it);
            continue;
        }
        if (automatic && !found)
            found = automaticOutputFindsDevice();
        if ((automatic && !*found) || !reopenOutput(it->first, device))
            waiting = true;
        ++it;
    }
    if (waiting)
        return G_SOURCE_CONTINUE;
    state.outputRetry = 0;
    // A reopened automatic output may have settled on nothing after all.
    watchOutputs();
    return G_SOURCE_REMOVE;
}

int playOpenDevice(std::string_view name, Device &device, std::optional<std::uint32_t> from)
{
    if (device.outputLost) {
        std::string path;
        decodeDeviceName(name, path);
        if (from && *from > lengthOf(name, path, device.file, device.type))
            return ERR_OUT_OF_RANGE;
        if (from || device.paused)
            anchorAt(device, from.value_or(device.anchorMs));
        device.paused = false;
        return 0;
    }
    GstElement *pipeline = device.playback.pipeline.get();
    if (!from) {
        if (device.paused &&
            gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
            return ERR_NOT_DECODABLE;
        if (device.paused)
            anchorAt(device, device.anchorMs);
        device.paused = false;
        return 0;
    }
    std::string path;
    decodeDeviceName(name, path);
    long long length = lengthOf(name, path, device.file, device.type);
    if (length < 0)
        return ERR_NOT_DECODABLE;
    if (*from > length)
        return ERR_OUT_OF_RANGE;
    std::uint32_t seqnum = seekWhenReady(device, *from);
    if (seqnum == 0)
        return ERR_NOT_DECODABLE;
    device.seekSeqnum = seqnum;
    device.paused = false;
    anchorAt(device, *from);
    if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
        return ERR_NOT_DECODABLE;
    return 0;
}

int playDevice(std::string_view name, std::optional<std::uint32_t> from)
{
    Engine &state = engine();
    auto open = state.devices.find(name);
    if (open != state.devices.end())
        return playOpenDevice(name, open->second, from);

    std::string path;
    decodeDeviceName(name, path);
    FileFacts facts;
    if (int error = probeFile(name, path, facts))
        return error;
    if (from) {
        long long length = lengthOf(name, path, facts.file, facts.type);
        if (length < 0)
            return ERR_NOT_DECODABLE;
        if (*from > length)
            return ERR_OUT_OF_RANGE;
    }

    std::optional<Device> warm = takeWarm(name, facts.file);
    if (warm && restartWarm(*warm, from.value_or(0))) {
        state.devices.emplace(std::string(name), std::move(*warm));
        return 0;
    }
    warm.reset();
    Device device;
    device.file = facts.file;
    device.type = facts.type;
    if (!startFresh(name, device, from))
        return ERR_NOT_DECODABLE;
    state.devices.emplace(std::string(name), std::move(device));
    return 0;
}

int closeDevice(std::string_view name)
{
    Engine &state = engine();
    auto open = state.devices.find(name);
    if (open == state.devices.end())
        return ERR_BAD_DEVICE_NAME;
    std::string key = open->first;
    Device device = std::move(open->second);
    state.devices.erase(open);
    if (!device.outputLost)
        keepWarm(std::move(key), std::move(device));
    return 0;
}

int pauseDevice(std::string_view name)
{
    Engine &state = engine();
    auto open = state.devices.find(name);
    if (open == state.devices.end()) {
        std::string path;
        decodeDeviceName(name, path);
        FileFacts facts;
        return probeFile(name, path, facts);
    }
    Device &device = open->second;
    if (device.paused)
        return 0;
    if (!device.outputLost && gst_element_set_state(device.playback.pipeline.get(),
                                                    GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE)
        return ERR_NOT_DECODABLE;
    anchorAt(device, positionOf(device));
    device.paused = true;
    return 0;
}

int statusLength(std::string_view name, char *reply, int replyLength)
{
    Engine &state = engine();
    std::string path;
    decodeDeviceName(name, path);
    FileIdentity file;
    MediaType type = MediaType::Unknown;
    auto open = state.devices.find(name);
    if (open != state.devices.end()) {
        file = open->second.file;
        type = open->second.type;
    } else {
        FileFacts facts;
        if (int error = probeFile(name, path, facts))
            return error;
        file = facts.file;
        type = facts.type;
    }
    long long length = lengthOf(name, path, file, type);
    if (length < 0)
        return ERR_NOT_DECODABLE;
    return writeDecimalReply(length, reply, replyLength);
}

int setDeviceVolume(std::string_view name, std::uint32_t volume)
{
    Engine &state = engine();
    auto open = state.devices.find(name);
    if (open == state.devices.end())
        return ERR_UNKNOWN_COMMAND;
    Device &device = open->second;
    device.gain = static_cast<double>(volume) / FULL_VOLUME;
    if (!device.outputLost)
        setGain(device.playback, device.gain);
    return 0;
}

// A device just opened may have found no real output.
int watchedOutputs(int result)
{
    watchOutputs();
    return result;
}

} // namespace

int runMediaCommand(const char *command, char *reply, int replyLength)
{
    if (reply && replyLength > 0)
        reply[0] = '\0';
    MediaRequest req;
    if (int error = parseRequest(command ? command : "", req))
        return error;
    if (req.verb == Verb::SetVolume && req.number > FULL_VOLUME)
        return ERR_OUT_OF_RANGE;
    if (!startGstreamer())
        return ERR_NOT_DECODABLE;
    static const bool tornDownAtExit = std::atexit(closeAllMediaDevices) == 0;
    (void)tornDownAtExit;
    GST_DEBUG("command: %s", command);
    collectEndedDevices();

    switch (req.verb) {
    case Verb::Play: return watchedOutputs(playDevice(req.device, std::nullopt));
    case Verb::PlayFrom: return watchedOutputs(playDevice(req.device, req.number));
    case Verb::Close: return closeDevice(req.device);
    case Verb::Pause: return pauseDevice(req.device);
    case Verb::StatusLength: return statusLength(req.device, reply, replyLength);
    case Verb::SetVolume: return setDeviceVolume(req.device, req.number);
    }
    return ERR_UNKNOWN_COMMAND;
}

bool isMediaDeviceOpen(std::string_view name)
{
    return engine().devices.find(name) != engine().devices.end();
}

bool isMediaDeviceOnMpegChain(std::string_view name)
{
    auto open = engine().devices.find(name);
    return open != engine().devices.end() && open->second.playback.mpegChain;
}

void closeAllMediaDevices()
{
    Engine &state = engine();
    state.devices.clear();
    dropWarm();
    if (state.outputRetry)
        g_source_remove(state.outputRetry);
    state.outputRetry = 0;
}

void forgetMediaLengths()
{
    engine().known.clear();
}
