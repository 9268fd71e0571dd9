#include "platform/soundserver/WriteQueue.h"

#include <pulse/introspect.h>

namespace platform
{
    WriteQueue::WriteQueue (RefusalHandler handler)
        : whenRefused (std::move (handler))
    {
    }

    WriteQueue::~WriteQueue()
    {
        stop();
    }

    void WriteQueue::start (pa_context* contextToWriteOn)
    {
        stop();
        context = contextToWriteOn;
    }

    void WriteQueue::stop()
    {
        for (auto& [key, slot] : slots)
        {
            if (slot.underway != nullptr)
            {
                pa_operation_cancel (slot.underway);
                pa_operation_unref (slot.underway);
            }
        }

        slots.clear();
        context = nullptr;
    }

    bool WriteQueue::setVolume (ServerObjectRef node, const pa_cvolume& volume)
    {
        Value value;
        value.volume = volume;
        return write (node, ServerControl::volume, value);
    }

    bool WriteQueue::setMute (ServerObjectRef node, bool muted)
    {
        Value value;
        value.muted = muted;
        return write (node, ServerControl::mute, value);
    }

    bool WriteQueue::isPending (ServerObjectRef node, ServerControl control) const
    {
        return slots.count ({ node, control }) != 0;
    }

    bool WriteQueue::write (ServerObjectRef node, ServerControl control, const Value& value)
    {
        if (context == nullptr)
            return false;

        const auto [entry, isNew] = slots.try_emplace ({ node, control }, Slot { this, node, control, nullptr, {} });

        if (! isNew)
        {
            entry->second.waiting = value;
            return true;
        }

        entry->second.underway = send (entry->second, value);

        if (entry->second.underway != nullptr)
            return true;

        slots.erase (entry);
        return false;
    }

    pa_operation* WriteQueue::send (Slot& slot, const Value& value)
    {
        const auto index = slot.node.index;

        if (slot.node.kind == ServerObjectKind::source)
            return slot.control == ServerControl::volume
                       ? pa_context_set_source_volume_by_index (context, index, &value.volume, onAnswer, &slot)
                       : pa_context_set_source_mute_by_index (context, index, value.muted, onAnswer, &slot);

        return slot.control == ServerControl::volume
                   ? pa_context_set_sink_volume_by_index (context, index, &value.volume, onAnswer, &slot)
                   : pa_context_set_sink_mute_by_index (context, index, value.muted, onAnswer, &slot);
    }

    // The slot goes here, inside its operation's callback, once nothing
    // waits behind the write answered.
    void WriteQueue::answered (Slot& slot, bool succeeded)
    {
        const auto node = slot.node;
        const SlotKey key { node, slot.control };
        pa_operation_unref (std::exchange (slot.underway, nullptr));

        if (slot.waiting.has_value())
        {
            slot.underway = send (slot, *slot.waiting);
            slot.waiting.reset();
        }

        if (slot.underway == nullptr)
            slots.erase (key);

        if (! succeeded)
            whenRefused (node);
    }

    void WriteQueue::onAnswer (pa_context*, int success, void* slot)
    {
        auto& answeredSlot = *static_cast<Slot*> (slot);
        answeredSlot.queue->answered (answeredSlot, success != 0);
    }
}
