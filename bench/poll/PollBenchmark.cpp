// One poll of the device object on the sound server that the environment
// names (run it through bench/poll/run, which starts a private one): the
// search, then both getters, with the K-DAR7 and a number of extra sinks.
#include "volume/Traverser.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
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
        shell ("pactl load-module module-null-sink sink_name=kdar7_out "
               "\"sink_properties='device.description=\\\"Quenmar K-DAR7 Sound Device\\\"'\" >/dev/null");
        shell ("pactl load-module module-null-source source_name=kdar7_in "
               "'description=\"Quenmar K-DAR7 Sound Device\"' >/dev/null");
    }

    void loadExtraSinksUpTo (int count)
    {
        for (; extraSinksLoaded < count; ++extraSinksLoaded)
            shell ("pactl load-module module-null-sink sink_name=extra" + std::to_string (extraSinksLoaded) + " >/dev/null");
    }

    // The first polls after many sinks came may go to fetching them.
    bool waitUntilFound (volume::Traverser& traverser)
    {
        for (int attempt = 0; attempt < 50; ++attempt)
        {
            bool input = false, output = false;

            if (traverser.isDeviceConnected (input, output) && input && output)
                return true;

            std::this_thread::sleep_for (std::chrono::milliseconds (200));
        }

        return false;
    }

    // The panel polls every two seconds; polls here come closer, but with a
    // pause of ten times their own length, so the device object's budget for
    // waiting on the server is never what the figures measure, and of at
    // least 5 ms, so that each poll asks the server as the panel's does.
    void poll (benchmark::State& state)
    {
        loadExtraSinksUpTo ((int) state.range (0));
        volume::Traverser traverser (deviceName, 2, 2);
        std::vector<double> milliseconds;

        if (! waitUntilFound (traverser))
            state.SkipWithError ("the K-DAR7 was not found");

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
            std::this_thread::sleep_for (std::max<std::chrono::duration<double, std::milli>> (took * 10, std::chrono::milliseconds (5)));
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
    loadSoundDevice();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
