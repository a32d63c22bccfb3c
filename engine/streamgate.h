// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>
#include <mutex>
#include <vector>

typedef struct _GstElement GstElement;
typedef struct _GstPad GstPad;

// Lets a queue's producer thread fill the queue in batches. A full queue
// wakes its producer for every buffer its consumer takes, and with a
// demuxer, a multiqueue and the sink's queue in a row each of those threads
// wakes some 100 times a second for AAC. A gate holds the producer once
// `high` buffers are in the queue until only `low` are left, so each thread
// wakes a few times a second. Flushes (seeks) and release() open the gates.
class StreamGates {
public:
    struct Gate;

    // Gates the queue between `producer` (a sink pad) and `consumer` (its
    // source pad), on any thread.
    std::shared_ptr<Gate> add(GstPad *producer, GstPad *consumer, int high, int low);
    // Gates the stream of a multiqueue as its pads appear; with a second
    // stream, neither.
    void addMultiqueue(GstElement *multiqueue, int high, int low);
    // Lets every held producer go; call before a state change to READY or
    // NULL, which waits for the streaming threads. A new stream closes a
    // gate again.
    void release();

private:
    std::mutex lock_;
    std::vector<std::weak_ptr<Gate>> gates_;
};
