// One poll of the device object on the sound server that the environment
// names (run it through bench/poll/run, which starts a private one): the
// search, then both getters, with the K-DAR7 and a number of extra sinks.
// Between polls the message loop runs, as in the panel, so the connection
// hears the server's announcements there.
#include "platform/coreaudio/AudioHardware.h"
#include "support/MessagePump.h"
#include "volume/Traverser.h"

#include <benchmark/benchmark.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
    const juce::String deviceName = "Quenmar K-DAR7 Sound Device";

    int extraSinksLoaded = 0;

    void shell (const std::string& command)
    {
        if (std::system (command.c_str()) != 0)
            std::abort();
    }

    void loadSoundDevice()
    {
        shell (SCRIPTS_FOLDER "/stand-in-device load >/dev/null");
    }

    void loadExtraSinksUpTo (int count)
    {
        for (; extraSinksLoaded < count; ++extraSinksLoaded)
            shell ("pactl load-module module-null-sink sink_name=extra" + std::to_string (extraSinksLoaded) + " >/dev/null");
    }

    UInt32 deviceCount()
    {
        UInt32 size = 0;
        AudioHardwareGetPropertyInfo (kAudioHardwarePropertyDevices, &size, nullptr);
        return size / (UInt32) sizeof (AudioDeviceID);
    }

    // Until the connection has heard of the K-DAR7's two sides and every
    // extra sink, so that each poll searches them all.
    bool waitUntilFound (volume::Traverser& traverser, int extraSinks)
    {
        return test_support::pumpUntil ([&] {
            bool input = false, output = false;
            return traverser.isDeviceConnected (input, output) && input && output && deviceCount() >= (UInt32) extraSinks + 2;
        }, 10000);
    }

    // The panel polls every two seconds; polls here come closer, with the
    // message loop run between them for ten times their own length, and at
    // least 5 ms.
    void poll (benchmark::State& state)
    {
        loadExtraSinksUpTo ((int) state.range (0));
        volume::Traverser traverser (deviceName, 2, 2);
        std::vector<double> milliseconds;

        if (! waitUntilFound (traverser, (int) state.range (0)))
            state.SkipWithError ("the K-DAR7 or an extra sink was not found");

        for (auto _ : state)
        {
            const auto start = std::chrono::steady_clock::now();
            bool input = false, output = false, muted = false;
            traverser.isDeviceConnected (input, output);
            benchmark::DoNotOptimize (traverser.getInputVolume (muted));
            benchmark::DoNotOptimize (traverser.getOutputVolume (muted));
            const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;

            if (! (input && output))
            {
                state.SkipWithError ("the K-DAR7 was not found");
                break;
            }

            milliseconds.push_back (took.count());
            state.SetIterationTime (took.count() / 1000.0);

            state.PauseTiming();
            test_support::pumpMessages (std::max (5, (int) (took.count() * 10)));
            state.ResumeTiming();
        }

        if (milliseconds.empty())
            return;

        std::nth_element (milliseconds.begin(), milliseconds.begin() + (long) milliseconds.size() / 2, milliseconds.end());
        state.counters["median_ms"] = milliseconds[milliseconds.size() / 2];
        state.counters["polls"] = (double) milliseconds.size();
    }
}

BENCHMARK (poll)->ArgName ("extra_sinks")->Arg (1)->Arg (8)->Arg (64)->Arg (256)->UseManualTime()->Iterations (101)->Unit (benchmark::kMillisecond);

int main (int argc, char** argv)
{
    benchmark::Initialize (&argc, argv);
    const juce::ScopedJuceInitialiser_GUI juce;
    loadSoundDevice();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
