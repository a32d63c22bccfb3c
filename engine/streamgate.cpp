// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/streamgate.h"

#include <condition_variable>
#include <gst/gst.h>

struct StreamGates::Gate {
    std::mutex lock;
    std::condition_variable drained;
    int inside = 0; // buffers between the two pads
    int high = 0;
    int low = 0;
    bool open = false;
    bool off = false; // for good: the queue has company it must not starve
};

namespace {

using GatePtr = std::shared_ptr<StreamGates::Gate>;

void dropRef(gpointer data)
{
    delete static_cast<GatePtr *>(data);
}

GstPadProbeReturn intoQueue(GstPad *, GstPadProbeInfo *info, gpointer data)
{
    StreamGates::Gate &g = **static_cast<GatePtr *>(data);
    std::unique_lock hold(g.lock);
    if (info->type & (GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM | GST_PAD_PROBE_TYPE_EVENT_FLUSH)) {
        switch (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info))) {
        case GST_EVENT_FLUSH_START: // the queue drops what it holds
            g.inside = 0;
            g.drained.notify_all();
            break;
        case GST_EVENT_FLUSH_STOP:
        case GST_EVENT_STREAM_START:
            g.inside = 0;
            g.open = g.off;
            break;
        default:
            break;
        }
        return GST_PAD_PROBE_OK;
    }
    if (g.inside >= g.high)
        g.drained.wait(hold, [&] { return g.open || g.inside <= g.low; });
    ++g.inside;
    return GST_PAD_PROBE_OK;
}

GstPadProbeReturn outOfQueue(GstPad *, GstPadProbeInfo *, gpointer data)
{
    StreamGates::Gate &g = **static_cast<GatePtr *>(data);
    std::lock_guard hold(g.lock);
    if (g.inside > 0 && --g.inside == g.low)
        g.drained.notify_all();
    return GST_PAD_PROBE_OK;
}

constexpr auto kData = GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST);

void multiqueuePadAdded(GstElement *mq, GstPad *pad, gpointer self)
{
    // Each stream's pads come as sink_N and src_N, in either order: gate the
    // pair when the second appears. With more than one stream the multiqueue
    // must be free to grow one stream's queue while another runs dry, so
    // none is gated then.
    gchar *name = gst_pad_get_name(pad);
    const bool isSource = GST_PAD_DIRECTION(pad) == GST_PAD_SRC;
    gchar *partnerName = g_strconcat(isSource ? "sink" : "src", name + (isSource ? 3 : 4), nullptr);
    GstPad *partner = gst_element_get_static_pad(mq, partnerName);
    g_free(partnerName);
    g_free(name);
    if (!partner)
        return;
    // A stream from the network is paused until this queue is full enough:
    // holding its producer back could keep it paused for ever.
    gboolean buffering = FALSE;
    g_object_get(mq, "use-buffering", &buffering, nullptr);
    auto *first = static_cast<GatePtr *>(g_object_get_data(G_OBJECT(mq), "liravo-gate"));
    if (first) {
        std::lock_guard hold((*first)->lock);
        (*first)->off = (*first)->open = true;
        (*first)->drained.notify_all();
    } else if (!buffering) {
        auto *gates = static_cast<StreamGates *>(self);
        const int high = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(mq), "liravo-gate-high"));
        const int low = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(mq), "liravo-gate-low"));
        GatePtr gate = gates->add(isSource ? partner : pad, isSource ? pad : partner, high, low);
        g_object_set_data_full(G_OBJECT(mq), "liravo-gate", new GatePtr(gate), dropRef);
    }
    gst_object_unref(partner);
}

} // namespace

std::shared_ptr<StreamGates::Gate> StreamGates::add(GstPad *producer, GstPad *consumer, int high, int low)
{
    auto gate = std::make_shared<Gate>();
    gate->high = high;
    gate->low = low;
    gst_pad_add_probe(producer,
                      GstPadProbeType(kData | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM | GST_PAD_PROBE_TYPE_EVENT_FLUSH),
                      intoQueue, new GatePtr(gate), dropRef);
    gst_pad_add_probe(consumer, kData, outOfQueue, new GatePtr(gate), dropRef);
    std::lock_guard hold(lock_);
    std::erase_if(gates_, [](const std::weak_ptr<Gate> &g) { return g.expired(); });
    gates_.push_back(gate);
    return gate;
}

void StreamGates::addMultiqueue(GstElement *multiqueue, int high, int low)
{
    g_object_set_data(G_OBJECT(multiqueue), "liravo-gate-high", GINT_TO_POINTER(high));
    g_object_set_data(G_OBJECT(multiqueue), "liravo-gate-low", GINT_TO_POINTER(low));
    g_signal_connect(multiqueue, "pad-added", G_CALLBACK(multiqueuePadAdded), this);
}

void StreamGates::release()
{
    std::lock_guard hold(lock_);
    for (const std::weak_ptr<Gate> &weak : gates_) {
        if (GatePtr g = weak.lock()) {
            std::lock_guard inner(g->lock);
            g->open = true;
            g->drained.notify_all();
        }
    }
}
