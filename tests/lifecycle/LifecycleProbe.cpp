// A small program on the lifecycle layer for the tests: it prints, one line
// each, what the layer calls it with, so a test that starts it as a
// process can tell what happened.

#include "app_lifecycle/Application.h"
#include "app_lifecycle/ApplicationWindow.h"
#include "app_lifecycle/MainWindowRecord.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <spawn.h>

extern char** environ;

namespace
{
    void report (const juce::String& line)
    {
        std::cout << line << std::endl;
    }

    juce::String bracketed (const juce::String& text)
    {
        return "[" + text + "]";
    }

    juce::String currentThreadName()
    {
        return juce::File ("/proc/thread-self/comm").loadFileAsString().trimEnd();
    }

    class ProbeWindow : public app_lifecycle::ApplicationWindow
    {
    public:
        ProbeWindow()
            : ApplicationWindow ("Lifecycle Probe", juce::Colours::darkgrey, juce::DocumentWindow::closeButton)
        {
            setSize (240, 160);
        }

        void visibilityChanged() override
        {
            report ("window visible " + juce::String (isVisible() ? 1 : 0));
        }

        void closeButtonPressed() override
        {
        }
    };

    class ProbeApplication : public app_lifecycle::Application
    {
    public:
        using Application::initialise;
        using Application::systemRequestedQuit;

        // Deleted after the framework's shutdown: a test can send a signal
        // into what is left of the clean-up.
        ~ProbeApplication() override
        {
            if (lingerAtExit)
            {
                report ("deleted");
                juce::Thread::sleep (200);
            }
        }

        const juce::String getApplicationName() override
        {
            return "Lifecycle Probe";
        }

        bool moreThanOneInstanceAllowed() override
        {
            return juce::SystemStats::getEnvironmentVariable ("LIFECYCLE_PROBE_INSTANCES", {}) == "many";
        }

        void startingUp() override
        {
            report ("startingUp");
        }

        void initialise (const juce::StringArray& arguments) override
        {
            juce::String line ("initialise");

            for (const auto& argument : arguments)
                line << " " << bracketed (argument);

            report (line);
            report ("thread " + currentThreadName());

            if (arguments.contains ("--hidden-window"))
                openHiddenWindow();

            if (arguments.contains ("--start-helper"))
                startHelperProcess();

            lingerAtExit = arguments.contains ("--linger-at-exit");
        }

        void shutdown() override
        {
            report ("shutdown");
            window.reset();
        }

        void anotherInstanceStarted (const juce::String& commandLine) override
        {
            report ("anotherInstanceStarted " + bracketed (commandLine));
        }

        void systemRequestedQuit (bool force) override
        {
            report ("systemRequestedQuit " + juce::String (force ? 1 : 0));
            Application::systemRequestedQuit (force);
        }

    private:
        // As a program started hidden: the window component invisible, its
        // native window unmapped.
        void openHiddenWindow()
        {
            window = std::make_unique<ProbeWindow>();
            window->setIsMainWindow (true);
            app_lifecycle::MainWindowRecord::mainPeer()->setVisible (false);
            report ("window id " + juce::String ((juce::int64) (juce::pointer_sized_int) window->getWindowHandle()));
        }

        // A process the program starts that may outlive it, as a browser
        // opened from the program does.
        static void startHelperProcess()
        {
            char sleepCommand[] = "sleep";
            char duration[] = "60";
            char* argv[] { sleepCommand, duration, nullptr };
            pid_t helper = 0;

            if (::posix_spawnp (&helper, "sleep", nullptr, nullptr, argv, environ) == 0)
                report ("helper " + juce::String (helper));
        }

        std::unique_ptr<ProbeWindow> window;
        bool lingerAtExit = false;
    };
}

// A reopen and an open-documents request in the first moments, while the
// program's static objects are made, long before main.
[[maybe_unused]] const bool earlyRequestsSent = [] {
    if (const auto* early = std::getenv ("LIFECYCLE_PROBE_EARLY_REQUESTS"); early != nullptr && std::strcmp (early, "yes") == 0)
    {
        ::raise (SIGUSR1);
        ::raise (SIGUSR2);
    }

    return true;
}();

// The broadcast goes nowhere on Linux; the probe is linked with --wrap of
// juce::MessageManager::broadcastMessage, so that it sees the text on its way.
extern "C" void __real__ZN4juce14MessageManager16broadcastMessageERKNS_6StringE (const juce::String& text);

extern "C" void __wrap__ZN4juce14MessageManager16broadcastMessageERKNS_6StringE (const juce::String& text)
{
    report ("broadcast " + bracketed (text));
    __real__ZN4juce14MessageManager16broadcastMessageERKNS_6StringE (text);
}

int main (int argc, char** argv)
{
    return app_lifecycle::Application::main (argc, argv, std::make_unique<ProbeApplication>());
}
