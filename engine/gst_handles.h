// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Owning handles for the C objects of GStreamer, GLib and libmpg123. Each deleter is the one
// release path of its object.

#include <memory>

#include <gst/gst.h>
#include <mpg123.h>

struct ObjectUnref {
    void operator()(gpointer object) const { gst_object_unref(object); }
};
struct PipelineRelease {
    void operator()(GstElement *pipeline) const
    {
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
    }
};
// A bus may carry our watch and filter; both go before the last reference.
struct BusRelease {
    void operator()(GstBus *bus) const
    {
        gst_bus_remove_watch(bus);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
    }
};
struct MessageUnref {
    void operator()(GstMessage *message) const { gst_message_unref(message); }
};
struct ErrorFree {
    void operator()(GError *error) const { g_error_free(error); }
};
struct TextFree {
    void operator()(gchar *text) const { g_free(text); }
};
struct DecoderDelete {
    void operator()(mpg123_handle *decoder) const { mpg123_delete(decoder); }
};

using ElementPtr = std::unique_ptr<GstElement, ObjectUnref>;
using PipelinePtr = std::unique_ptr<GstElement, PipelineRelease>;
using BusPtr = std::unique_ptr<GstBus, BusRelease>;
using MessagePtr = std::unique_ptr<GstMessage, MessageUnref>;
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;
using TextPtr = std::unique_ptr<gchar, TextFree>;
using DecoderPtr = std::unique_ptr<mpg123_handle, DecoderDelete>;

// For calls that hand back a floating reference (gst_element_factory_make, gst_parse_launch).
template <typename Handle>
Handle adoptFloating(GstElement *element)
{
    return Handle(element ? GST_ELEMENT(gst_object_ref_sink(element)) : nullptr);
}
