#pragma once

#include "platform/soundserver/ServerObjects.h"

#include <pulse/context.h>

#include <functional>
#include <map>
#include <optional>

namespace platform
{
    // The panel's writes to the server's sinks and sources. A write goes out
    // at once when none of its kind (volume or mute) is on its way to that
    // node; otherwise it waits, replacing the one waiting before it, and
    // goes when the server answers the one on its way. So a drag sends as
    // fast as the server answers, and its last value always goes.
    class WriteQueue
    {
    public:
        // Told of each node whose write the server refused.
        using RefusalHandler = std::function<void (ServerObjectRef node)>;

        explicit WriteQueue (RefusalHandler whenRefused);
        ~WriteQueue();

        void start (pa_context* context);
        // Drops every write, on its way or waiting.
        void stop();

        // False when there is no connection to send it on.
        bool setVolume (ServerObjectRef node, const pa_cvolume& volume);
        bool setMute (ServerObjectRef node, bool muted);

        // A write of that control is on its way or waiting.
        bool isPending (ServerObjectRef node, ServerControl control) const;

    private:
        struct Value
        {
            pa_cvolume volume {};
            bool muted = false;
        };

        struct Slot
        {
            WriteQueue* queue;
            ServerObjectRef node;
            ServerControl control;
            pa_operation* underway = nullptr;
            std::optional<Value> waiting;
        };

        using SlotKey = std::pair<ServerObjectRef, ServerControl>;

        const RefusalHandler whenRefused;
        pa_context* context = nullptr;
        std::map<SlotKey, Slot> slots;

        bool write (ServerObjectRef node, ServerControl control, const Value& value);
        pa_operation* send (Slot& slot, const Value& value);
        void answered (Slot& slot, bool succeeded);

        static void onAnswer (pa_context*, int success, void* slot);
    };
}
