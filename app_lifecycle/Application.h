#pragma once

#include "app_lifecycle/SingleInstanceLock.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace app_lifecycle
{
    // The program's application base: its own road from the process entry
    // to the message loop and back out, in place of JUCE's (whose lock is
    // machine-wide). One instance runs per user: a second start hands its
    // arguments to the broadcast, which reaches no other process on Linux,
    // and ends with status 0 after its shutdown, without initialise.
    //
    // A program derives from it, overrides initialise (the arguments as an
    // array), shutdown, getApplicationName and whatever else it needs, and
    // its main returns Application::main (argc, argv, its new object).
    class Application : public juce::JUCEApplication,
                        public juce::ActionListener
    {
    public:
        Application() = default;

        // The whole road: lock, GUI, initialise, message loop, shutdown.
        // Returns the exit status. The application object is deleted at
        // the end, before the return.
        static int main (int argc, char** argv, std::unique_ptr<Application> application);

        // The same from the command line as an array, element 0 the
        // executable; the array is emptied.
        static int main (juce::StringArray& commandLine, std::unique_ptr<Application> application);

        // The running application, from main until its clean-up; else null.
        static Application* getInstance() noexcept;

        // Creates the single-instance lock (null without a running
        // application): "quenmarAppLock_" and the application name, in a
        // folder named after the executable in the user's cache folder.
        static SingleInstanceLock* initAppLock();
        static void releaseAppLock();

        // Runs shutdown, shuts the GUI down when main brought it up and
        // deletes the application; returns its return value. A call made
        // while one runs returns 0 and does nothing.
        static int shutdownAppAndClearUp (bool force);

        // Called once the start goes on (the lock taken, when one instance
        // is the rule), before the framework's GUI starts: work that can
        // run beside the GUI's start begins here. Nothing by default.
        virtual void startingUp() {}

        // Gets the arguments trimmed, the executable's name removed; the
        // array is cleared right after the call.
        virtual void initialise (const juce::StringArray& arguments) = 0;

        const juce::String getApplicationVersion() override;

        // Always a quit without force, whatever the flag says.
        virtual void systemRequestedQuit (bool force);

        void unhandledException (const std::exception* exception,
                                 const juce::String& sourceFilename,
                                 int lineNumber) override;

        // The well-known name under which the program takes the desktop's
        // requests on the session bus (SessionBusEventSource); empty, the
        // default, takes them as signals only.
        virtual juce::String getSessionBusName()    { return {}; }

        // A broadcast beginning with the application name and "/" passes
        // the rest to anotherInstanceStarted.
        void actionListenerCallback (const juce::String& message) override;

        // True until main has called initialise and registered the
        // broadcast listener.
        bool isInitialising() const noexcept        { return stillInitialising; }

        // JUCE's own entry points, for the framework's look-ups: the
        // command line split at spaces, and a quit without force. A class
        // that overrides only the operations above brings these into
        // scope with using-declarations.
        void initialise (const juce::String& commandLineParameters) final;
        void systemRequestedQuit() final;

    private:
        static int refuseStart (juce::StringArray& arguments);
        static std::string lockFailure();
        static int failStart (juce::StringArray& arguments, const std::string& reason);

        bool stillInitialising = true;
        std::unique_ptr<SingleInstanceLock> appLock;
        bool guiInitialisedByMain = false;

        JUCE_DECLARE_NON_COPYABLE (Application)
    };
}
