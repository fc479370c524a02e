// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// GStreamer pieces of the media interpreter: start-up, one pipeline per device with its
// filtered bus, the audio output, waiting for preroll, seeking.

#include <cstdint>
#include <string>

#include <gst/gst.h>

#include "engine/gst_handles.h"
#include "engine/media_length.h"

GST_DEBUG_CATEGORY_EXTERN(vorlaDebug);

// Starts GStreamer on first use; false when it cannot start.
bool startGstreamer();

// One pipeline and its bus. The bus lets through only end of stream, errors and preroll done.
struct Playback {
    PipelinePtr pipeline;
    BusPtr bus;
    // The linear gain in front of the output's sink; its parent is the output bin.
    ElementPtr volume;
    // The output it was built for, so a kept pipeline is reused only for the same output.
    std::string sink;
    // True for the plain MPEG audio decoding chain, false for playbin.
    bool mpegChain = false;
};

// What the automatic output's sink holds: 400 ms in 20 ms segments, where audio sinks hold 200 in
// 10. The sound server then asks for data a third less often, which costs a quarter less CPU
// while playing. Pause, stop and seek do not wait for the buffer, and neither does a volume
// change on a sink with a stream volume of its own (the sound server's).
constexpr gint64 AUDIO_BUFFER_US = 400000;
constexpr gint64 AUDIO_SEGMENT_US = 20000;

// Gives an audio sink (one with buffer-time and latency-time) that buffer; anything else is left.
void deepenAudioBuffer(GstElement *element);

// The audio output asked for now: VORLA_AUDIO_SINK, or "" for the automatic sink.
std::string configuredSink();

// Builds a pipeline for uri that plays to the given sink description ("" is automatic): MPEG
// audio in a local file goes through filesrc ! mpegaudioparse ! mpg123audiodec, everything else,
// or a chain that cannot be made, through playbin. With a watch, the bus is also watched on the
// default main context.
bool buildPlayback(const std::string &uri, MediaType type, const std::string &sink,
                   GstBusFunc watch, Playback &out);

// Waits until the pipeline has prerolled, at most limitMs; false on an error or past the limit.
bool waitPrerolled(const Playback &playback, int limitMs);

// Flushing, accurate seek to ms; returns the seek's sequence number, 0 when it was refused.
std::uint32_t seekTo(const Playback &playback, std::uint32_t ms);

// Sets the linear gain of the output, 1 for full level: on the sink's stream volume where it has
// one, else on the gain element in front of the sink.
void setGain(const Playback &playback, double gain);

// Whole milliseconds of a prerolled pipeline's duration; 0 when it does not know.
long long durationMs(const Playback &playback);

// True when the message is an error of the playback's output (its sink gone with the sound
// server, say) rather than of the file or its decoding.
bool isOutputError(const Playback &playback, GstMessage *message);

// True when the automatic output found no sound server or device and plays into nothing.
bool isOnFallbackOutput(const Playback &playback);

// True when the automatic output would find a sound server or device now; it tries and closes.
bool automaticOutputFindsDevice();
