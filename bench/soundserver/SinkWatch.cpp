// kdar7-sink-watch SINK SECONDS
//
// Another client of the sound server that watches a sink for the given
// seconds: prints "change <ms>" on the monotonic clock for each change of
// the sink that the server announces (each volume or mute it applies), then
// "volume <percent> <raw>", the sink's loudest channel at the end.
#include <pulse/pulseaudio.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace
{
    struct Watch
    {
        pa_mainloop* loop = nullptr;
        pa_context* context = nullptr;
        std::string sink;
        pa_usec_t seconds = 0;
        uint32_t index = PA_INVALID_INDEX;
        int result = 1;
    };

    double nowMilliseconds()
    {
        timespec t {};
        clock_gettime (CLOCK_MONOTONIC, &t);
        return (double) t.tv_sec * 1000.0 + (double) t.tv_nsec / 1.0e6;
    }

    void quit (Watch& watch, int result)
    {
        watch.result = result;
        auto* api = pa_mainloop_get_api (watch.loop);
        api->quit (api, result);
    }

    void announced (pa_context*, pa_subscription_event_type_t type, uint32_t index, void* userdata)
    {
        const auto& watch = *static_cast<Watch*> (userdata);

        if (index == watch.index && (type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_CHANGE)
            std::printf ("change %.3f\n", nowMilliseconds());
    }

    void finalLevel (pa_context*, const pa_sink_info* info, int eol, void* userdata)
    {
        auto& watch = *static_cast<Watch*> (userdata);

        if (info != nullptr)
        {
            const auto raw = pa_cvolume_max (&info->volume);
            std::printf ("volume %.2f %u\n", raw * 100.0 / PA_VOLUME_NORM, raw);
            watch.result = 0;
        }
        else if (eol != 0)
        {
            quit (watch, watch.result);
        }
    }

    void timeUp (pa_mainloop_api*, pa_time_event*, const timeval*, void* userdata)
    {
        auto& watch = *static_cast<Watch*> (userdata);
        pa_operation_unref (pa_context_get_sink_info_by_name (watch.context, watch.sink.c_str(), finalLevel, &watch));
    }

    void found (pa_context* context, const pa_sink_info* info, int eol, void* userdata)
    {
        auto& watch = *static_cast<Watch*> (userdata);

        if (info != nullptr)
        {
            watch.index = info->index;
            pa_context_set_subscribe_callback (context, announced, &watch);
            pa_operation_unref (pa_context_subscribe (context, PA_SUBSCRIPTION_MASK_SINK, nullptr, nullptr));
            pa_context_rttime_new (context, pa_rtclock_now() + watch.seconds, timeUp, &watch);
        }
        else if (eol != 0 && watch.index == PA_INVALID_INDEX)
        {
            std::fprintf (stderr, "kdar7-sink-watch: the server has no sink %s\n", watch.sink.c_str());
            quit (watch, 1);
        }
    }

    void stateChanged (pa_context* context, void* userdata)
    {
        auto& watch = *static_cast<Watch*> (userdata);

        switch (pa_context_get_state (context))
        {
            case PA_CONTEXT_READY:
                pa_operation_unref (pa_context_get_sink_info_by_name (context, watch.sink.c_str(), found, &watch));
                break;
            case PA_CONTEXT_FAILED:
            case PA_CONTEXT_TERMINATED:
                std::fprintf (stderr, "kdar7-sink-watch: %s\n", pa_strerror (pa_context_errno (context)));
                quit (watch, 1);
                break;
            default:
                break;
        }
    }
}

int main (int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf (stderr, "usage: kdar7-sink-watch SINK SECONDS\n");
        return 2;
    }

    Watch watch;
    watch.sink = argv[1];
    watch.seconds = (pa_usec_t) (std::atof (argv[2]) * PA_USEC_PER_SEC);
    watch.loop = pa_mainloop_new();
    watch.context = pa_context_new (pa_mainloop_get_api (watch.loop), "kdar7-sink-watch");
    pa_context_set_state_callback (watch.context, stateChanged, &watch);

    if (pa_context_connect (watch.context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return 1;

    int ignored = 0;
    pa_mainloop_run (watch.loop, &ignored);
    pa_context_set_state_callback (watch.context, nullptr, nullptr);
    pa_context_disconnect (watch.context);
    pa_context_unref (watch.context);
    pa_mainloop_free (watch.loop);
    return watch.result;
}
