// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/media_pipeline.h"

#include <chrono>
#include <cstdlib>
#include <cstring>

GST_DEBUG_CATEGORY(vorlaDebug);
#define GST_CAT_DEFAULT vorlaDebug

namespace {

// playbin's flags: audio only, with its own linear volume element.
constexpr guint PLAY_FLAG_AUDIO = 1u << 1;
constexpr guint PLAY_FLAG_SOFT_VOLUME = 1u << 4;

// Runs on the streaming threads: everything but the few messages we act on is dropped at once,
// so nothing piles up on a bus that nobody reads for a while.
GstBusSyncReply keepUsefulMessages(GstBus *, GstMessage *message, gpointer)
{
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
    case GST_MESSAGE_ERROR:
    case GST_MESSAGE_ASYNC_DONE: return GST_BUS_PASS;
    case GST_MESSAGE_WARNING: {
        GError *raw = nullptr;
        gchar *rawDetails = nullptr;
        gst_message_parse_warning(message, &raw, &rawDetails);
        ErrorPtr warning(raw);
        TextPtr details(rawDetails);
        GST_DEBUG("warning from %s: %s", GST_OBJECT_NAME(GST_MESSAGE_SRC(message)),
                  warning ? warning->message : "");
        break;
    }
    default: break;
    }
    MessagePtr dropped(message);
    return GST_BUS_DROP;
}

// Our own linear gain in front of the output, set directly: playbin's volume property does not
// always reach a chain that is still being built when the volume is set.
constexpr char VOLUME_NAME[] = "vorla-volume";

ElementPtr parseOutput(const std::string &sink)
{
    std::string description = "volume name=" + std::string(VOLUME_NAME) + " ! " + sink;
    GError *raw = nullptr;
    ElementPtr bin = adoptFloating<ElementPtr>(gst_parse_bin_from_description_full(
        description.c_str(), TRUE, nullptr, GST_PARSE_FLAG_FATAL_ERRORS, &raw));
    ErrorPtr error(raw);
    if (error) {
        GST_WARNING("audio output \"%s\" not used: %s", sink.c_str(), error->message);
        return nullptr;
    }
    return bin;
}

// True for a sink whose "volume" is its stream's level on the sound server (a linear one, as
// every stream volume is), applied as the server mixes, after the sink's buffer.
bool hasStreamVolume(GstElement *element)
{
    // Registered by the audio library, which a plugin with such a sink has loaded.
    GType streamVolume = g_type_from_name("GstStreamVolume");
    return streamVolume && GST_OBJECT_FLAG_IS_SET(element, GST_ELEMENT_FLAG_SINK) &&
           G_TYPE_CHECK_INSTANCE_TYPE(element, streamVolume);
}

// A new output plays at full level: a sound server may otherwise give the stream the level it
// remembers from the last one.
void openAtFullLevel(GstElement *element)
{
    if (hasStreamVolume(element))
        g_object_set(element, "volume", 1.0, nullptr);
}

// Called for each element added anywhere under the automatic sink; the sink it settles on is one.
void prepareChosenSink(GstBin *, GstBin *, GstElement *element, gpointer)
{
    deepenAudioBuffer(element);
    openAtFullLevel(element);
}

// Calls visit for each element in the bin and the bins within it.
template <typename Visit>
void forEachElement(GstBin *bin, Visit visit)
{
    GstIterator *elements = gst_bin_iterate_recurse(bin);
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(elements, &item) == GST_ITERATOR_OK) {
        visit(GST_ELEMENT(g_value_get_object(&item)));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(elements);
}

// The output bin for a sink description; the automatic sink when it is empty or does not parse.
// The sink the automatic one picks gets the deeper buffer; a described sink is left as described.
ElementPtr makeOutput(const std::string &sink)
{
    ElementPtr output = sink.empty() ? nullptr : parseOutput(sink);
    if (output) {
        forEachElement(GST_BIN(output.get()), openAtFullLevel);
        return output;
    }
    output = parseOutput("autoaudiosink");
    if (output)
        g_signal_connect(output.get(), "deep-element-added", G_CALLBACK(prepareChosenSink),
                         nullptr);
    return output;
}

// The automatic sink plays into a fake sink of its own when it finds no real one.
bool containsFallbackSink(GstBin *output)
{
    bool found = false;
    forEachElement(output, [&found](GstElement *element) {
        GstElementFactory *factory = gst_element_get_factory(element);
        found = found || (factory && std::strcmp(GST_OBJECT_NAME(factory), "fakesink") == 0);
    });
    return found;
}

bool hasFallbackSink(const Playback &playback)
{
    if (!playback.volume)
        return false;
    ElementPtr output(GST_ELEMENT(gst_element_get_parent(playback.volume.get())));
    return output && containsFallbackSink(GST_BIN(output.get()));
}

// The output's sink with a stream volume, or null; the automatic sink has one only once it has
// chosen (on its way to READY, which "play" passes before it returns).
ElementPtr streamVolumeSink(const Playback &playback)
{
    if (!playback.volume)
        return nullptr;
    ElementPtr output(GST_ELEMENT(gst_element_get_parent(playback.volume.get())));
    ElementPtr found;
    if (output) {
        forEachElement(GST_BIN(output.get()), [&found](GstElement *element) {
            if (!found && hasStreamVolume(element))
                found.reset(GST_ELEMENT(gst_object_ref(element)));
        });
    }
    return found;
}

// playbin, audio only, playing into the output; volume gets our gain element.
PipelinePtr buildPlaybin(const std::string &uri, const std::string &sink, ElementPtr &volume)
{
    PipelinePtr playbin =
        adoptFloating<PipelinePtr>(gst_element_factory_make("playbin", "vorla-device"));
    ElementPtr output = makeOutput(sink);
    volume.reset(output ? gst_bin_get_by_name(GST_BIN(output.get()), VOLUME_NAME) : nullptr);
    if (!playbin || !volume) {
        GST_ERROR("playbin or audio output missing");
        return nullptr;
    }
    // With soft volume playbin adds a gain of its own, left at 1, and leaves ours alone.
    g_object_set(playbin.get(), "uri", uri.c_str(), "audio-sink", output.get(), "flags",
                 PLAY_FLAG_AUDIO | PLAY_FLAG_SOFT_VOLUME, nullptr);
    return playbin;
}

// The decoding chain playbin would pick for MPEG audio, without its typefinding, decodebin and
// playsink, and half its threads; nullptr when an element is missing or does not link.
PipelinePtr buildMpegChain(const std::string &uri, const std::string &sink, ElementPtr &volume)
{
    GError *raw = nullptr;
    // The file name's raw bytes, whatever their encoding.
    TextPtr location(g_filename_from_uri(uri.c_str(), nullptr, &raw));
    ErrorPtr error(raw);
    MpegLayout layout = location ? mpegLayoutOf(location.get()) : MpegLayout::Other;
    // playbin strips ID3 tags before the parser, as id3demux does here; the rest stays with it.
    if (layout == MpegLayout::Other) {
        GST_INFO("no decoding chain for %s: %s", uri.c_str(), error ? error->message : "layout");
        return nullptr;
    }
    PipelinePtr pipeline = adoptFloating<PipelinePtr>(gst_pipeline_new("vorla-device"));
    ElementPtr output = makeOutput(sink);
    ElementPtr gain(output ? gst_bin_get_by_name(GST_BIN(output.get()), VOLUME_NAME) : nullptr);
    if (!pipeline || !gain)
        return nullptr;
    const char *demuxer = layout == MpegLayout::Id3 ? "id3demux" : nullptr;
    const char *chain[] = {"filesrc",        demuxer,        "mpegaudioparse",
                           "mpg123audiodec", "audioconvert", "audioresample"};
    GstElement *previous = nullptr;
    for (const char *factory : chain) {
        if (!factory)
            continue;
        ElementPtr element = adoptFloating<ElementPtr>(gst_element_factory_make(factory, nullptr));
        if (!element || !gst_bin_add(GST_BIN(pipeline.get()), element.get()) ||
            (previous && !gst_element_link(previous, element.get()))) {
            GST_INFO("no decoding chain for %s: %s missing or unlinked", uri.c_str(), factory);
            return nullptr;
        }
        if (!previous)
            g_object_set(element.get(), "location", location.get(), nullptr);
        previous = element.get();
    }
    if (!gst_bin_add(GST_BIN(pipeline.get()), output.get()) ||
        !gst_element_link(previous, output.get())) {
        GST_INFO("no decoding chain for %s: the output does not link", uri.c_str());
        return nullptr;
    }
    volume = std::move(gain);
    return pipeline;
}

} // namespace

void deepenAudioBuffer(GstElement *element)
{
    GObjectClass *type = G_OBJECT_GET_CLASS(element);
    GParamSpec *buffer = g_object_class_find_property(type, "buffer-time");
    GParamSpec *segment = g_object_class_find_property(type, "latency-time");
    // Both are microseconds in every audio sink that has them.
    if (!buffer || !segment || buffer->value_type != G_TYPE_INT64 ||
        segment->value_type != G_TYPE_INT64)
        return;
    g_object_set(element, "buffer-time", AUDIO_BUFFER_US, "latency-time", AUDIO_SEGMENT_US,
                 nullptr);
}

bool startGstreamer()
{
    static const bool started = [] {
        GError *raw = nullptr;
        bool ok = gst_init_check(nullptr, nullptr, &raw);
        ErrorPtr error(raw);
        if (!ok)
            return false;
        GST_DEBUG_CATEGORY_INIT(vorlaDebug, "vorla", 0, "Vorla media commands");
        return true;
    }();
    return started;
}

std::string configuredSink()
{
    const char *sink = std::getenv("VORLA_AUDIO_SINK");
    return sink ? sink : "";
}

bool buildPlayback(const std::string &uri, MediaType type, const std::string &sink,
                   GstBusFunc watch, Playback &out)
{
    ElementPtr volume;
    PipelinePtr pipeline = type == MediaType::Mpeg ? buildMpegChain(uri, sink, volume) : nullptr;
    const bool mpegChain = pipeline != nullptr;
    if (!pipeline)
        pipeline = buildPlaybin(uri, sink, volume);
    if (!pipeline)
        return false;
    BusPtr bus(gst_element_get_bus(pipeline.get()));
    if (!bus)
        return false;
    gst_bus_set_sync_handler(bus.get(), keepUsefulMessages, nullptr, nullptr);
    if (watch)
        gst_bus_add_watch(bus.get(), watch, nullptr);
    out.pipeline = std::move(pipeline);
    out.bus = std::move(bus);
    out.volume = std::move(volume);
    out.sink = sink;
    out.mpegChain = mpegChain;
    return true;
}

bool waitPrerolled(const Playback &playback, int limitMs)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        GstState state = GST_STATE_VOID_PENDING;
        GstStateChangeReturn result =
            gst_element_get_state(playback.pipeline.get(), &state, nullptr, 0);
        if (result == GST_STATE_CHANGE_FAILURE)
            return false;
        if (result != GST_STATE_CHANGE_ASYNC && state >= GST_STATE_PAUSED)
            return true;
        auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            GST_WARNING("no preroll within %d ms", limitMs);
            return false;
        }
        MessagePtr message(gst_bus_timed_pop_filtered(
            playback.bus.get(), static_cast<GstClockTime>(left.count()),
            static_cast<GstMessageType>(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR)));
        if (message && GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR) {
            GError *raw = nullptr;
            gst_message_parse_error(message.get(), &raw, nullptr);
            ErrorPtr error(raw);
            GST_INFO("cannot preroll: %s", error ? error->message : "");
            return false;
        }
    }
}

std::uint32_t seekTo(const Playback &playback, std::uint32_t ms)
{
    GstEvent *seek = gst_event_new_seek(
        1.0, GST_FORMAT_TIME,
        static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), GST_SEEK_TYPE_SET,
        static_cast<gint64>(ms) * GST_MSECOND, GST_SEEK_TYPE_NONE, 0);
    std::uint32_t seqnum = gst_event_get_seqnum(seek);
    // The event goes to the pipeline, which takes it whatever the outcome.
    if (!gst_element_send_event(playback.pipeline.get(), seek))
        return 0;
    return seqnum;
}

void setGain(const Playback &playback, double gain)
{
    // The server scales what it mixes now; our element scales what enters the sink's buffer,
    // heard only once that has played out.
    ElementPtr stream = streamVolumeSink(playback);
    if (stream)
        g_object_set(stream.get(), "volume", gain, nullptr);
    g_object_set(playback.volume.get(), "volume", stream ? 1.0 : gain, nullptr);
}

bool isOutputError(const Playback &playback, GstMessage *message)
{
    if (GST_MESSAGE_TYPE(message) != GST_MESSAGE_ERROR || !playback.volume)
        return false;
    ElementPtr output(GST_ELEMENT(gst_element_get_parent(playback.volume.get())));
    return output && gst_object_has_as_ancestor(GST_MESSAGE_SRC(message), GST_OBJECT(output.get()));
}

bool isOnFallbackOutput(const Playback &playback)
{
    return playback.sink.empty() && hasFallbackSink(playback);
}

bool automaticOutputFindsDevice()
{
    ElementPtr output = makeOutput("");
    if (!output)
        return false;
    bool found = gst_element_set_state(output.get(), GST_STATE_READY) != GST_STATE_CHANGE_FAILURE &&
                 !containsFallbackSink(GST_BIN(output.get()));
    gst_element_set_state(output.get(), GST_STATE_NULL);
    return found;
}

long long durationMs(const Playback &playback)
{
    gint64 duration = 0;
    if (!gst_element_query_duration(playback.pipeline.get(), GST_FORMAT_TIME, &duration) ||
        duration < 0)
        return 0;
    return duration / static_cast<gint64>(GST_MSECOND);
}
