// Another client that keeps the sound server busy, as a busy desktop would,
// for the given seconds; then it prints how many changes it made.
//   sound-server-churn storm SINK SECONDS
//       changes the sink's volume a thousand times a second, and loads and
//       unloads a null sink as fast as the server lets it
//   sound-server-churn steady SECONDS SINK...
//       changes each sink's volume once a second, the changes spread evenly
//       over the second, as many programs each changing its own would
#include <pulse/pulseaudio.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
    struct Churn
    {
        pa_mainloop* loop = nullptr;
        pa_context* context = nullptr;
        std::vector<std::string> sinks;
        bool loadsModules = false;
        pa_usec_t changeInterval = 0;
        pa_usec_t end = 0;
        pa_usec_t nextChange = 0;
        unsigned long changes = 0;
        unsigned long modules = 0;
    };

    // Volume requests are not waited for; a server that falls behind is
    // not sent more than this many at once.
    constexpr int mostUnanswered = 50;
    int unanswered = 0;

    void answered (pa_context*, int, void*)
    {
        --unanswered;
    }

    void loadModule (Churn& churn);

    void unloaded (pa_context*, int, void* userdata)
    {
        auto& churn = *static_cast<Churn*> (userdata);

        if (pa_rtclock_now() < churn.end)
            loadModule (churn);
    }

    void loaded (pa_context* context, uint32_t index, void* userdata)
    {
        auto& churn = *static_cast<Churn*> (userdata);
        ++churn.modules;

        if (index != PA_INVALID_INDEX)
            pa_operation_unref (pa_context_unload_module (context, index, unloaded, &churn));
    }

    void loadModule (Churn& churn)
    {
        pa_operation_unref (pa_context_load_module (churn.context, "module-null-sink", "sink_name=churn", loaded, &churn));
    }

    // The sinks take turns; each turn gives a sink a level other than its last.
    void changeNextSink (Churn& churn)
    {
        const auto turn = churn.changes / churn.sinks.size();
        pa_cvolume volume;
        pa_cvolume_set (&volume, 2, (pa_volume_t) (PA_VOLUME_NORM / 4 + (turn % 100) * 100));
        const auto& sink = churn.sinks[churn.changes % churn.sinks.size()];
        ++unanswered;
        ++churn.changes;
        pa_operation_unref (pa_context_set_sink_volume_by_name (churn.context, sink.c_str(), &volume, answered, nullptr));
    }

    void tick (pa_mainloop_api* api, pa_time_event* event, const timeval*, void* userdata)
    {
        auto& churn = *static_cast<Churn*> (userdata);
        const auto now = pa_rtclock_now();

        if (now >= churn.end)
        {
            api->quit (api, 0);
            return;
        }

        for (; churn.nextChange <= now && unanswered < mostUnanswered; churn.nextChange += churn.changeInterval)
            changeNextSink (churn);

        pa_context_rttime_restart (churn.context, event, churn.nextChange);
    }

    void stateChanged (pa_context* context, void* userdata)
    {
        auto& churn = *static_cast<Churn*> (userdata);
        auto* api = pa_mainloop_get_api (churn.loop);

        switch (pa_context_get_state (context))
        {
            case PA_CONTEXT_READY:
            {
                churn.nextChange = pa_rtclock_now();
                pa_context_rttime_new (context, churn.nextChange, tick, &churn);

                if (churn.loadsModules)
                    loadModule (churn);

                break;
            }
            case PA_CONTEXT_FAILED:
            case PA_CONTEXT_TERMINATED:
                api->quit (api, 1);
                break;
            default:
                break;
        }
    }

    pa_usec_t secondsFrom (const char* text)
    {
        return (pa_usec_t) std::atoi (text) * PA_USEC_PER_SEC;
    }

    // What the command line asks for; false when it makes no sense.
    bool parse (int argc, char** argv, Churn& churn, pa_usec_t& duration)
    {
        if (argc == 4 && std::strcmp (argv[1], "storm") == 0)
        {
            churn.sinks = { argv[2] };
            churn.loadsModules = true;
            churn.changeInterval = PA_USEC_PER_MSEC;
            duration = secondsFrom (argv[3]);
            return true;
        }

        if (argc >= 4 && std::strcmp (argv[1], "steady") == 0)
        {
            churn.sinks.assign (argv + 3, argv + argc);
            churn.changeInterval = PA_USEC_PER_SEC / churn.sinks.size();
            duration = secondsFrom (argv[2]);
            return true;
        }

        return false;
    }
}

int main (int argc, char** argv)
{
    Churn churn;
    pa_usec_t duration = 0;

    if (! parse (argc, argv, churn, duration))
    {
        std::fprintf (stderr, "usage: sound-server-churn storm SINK SECONDS\n"
                              "       sound-server-churn steady SECONDS SINK...\n");
        return 2;
    }

    churn.end = pa_rtclock_now() + duration;
    churn.loop = pa_mainloop_new();
    churn.context = pa_context_new (pa_mainloop_get_api (churn.loop), "churn");
    pa_context_set_state_callback (churn.context, stateChanged, &churn);

    if (pa_context_connect (churn.context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return 1;

    int result = 1;
    pa_mainloop_run (churn.loop, &result);
    std::printf ("volume changes: %lu, modules loaded: %lu\n", churn.changes, churn.modules);
    pa_context_disconnect (churn.context);
    pa_context_unref (churn.context);
    pa_mainloop_free (churn.loop);
    return result;
}
