#include "app_lifecycle/Application.h"

#include "app_lifecycle/GraphicalDisplay.h"
#include "platform/ErrorOutput.h"
#include "platform/apple_events/AppleEvents.h"
#include "platform/apple_events/DesktopEventSource.h"
#include "platform/apple_events/SessionBusEventSource.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace app_lifecycle
{
    namespace
    {
        Application* runningInstance = nullptr;
        juce::File executableFile;

        juce::JUCEApplicationBase* runningApplication()
        {
            return Application::getInstance();
        }

        // JUCE's application base wants to know how the application object
        // is made before one exists (its constructor asserts it), and only
        // then treats the process as a standalone program (X error handlers,
        // X thread support). Here the program's main makes the object; this
        // hands the framework the running one. Set at load.
        [[maybe_unused]] const bool standaloneProgram = (juce::JUCEApplicationBase::createInstance = &runningApplication, true);

        juce::File executableNamedBy (const juce::String& path)
        {
            if (path.isEmpty())
                return juce::File::getSpecialLocation (juce::File::currentExecutableFile);

            return juce::File::getCurrentWorkingDirectory().getChildFile (path);
        }

        // The variable's bytes: a folder's name need not be UTF-8.
        std::string environmentVariable (const char* name)
        {
            const auto* value = std::getenv (name);
            return value != nullptr ? value : "";
        }

        bool isAbsolute (const std::string& path)
        {
            // Not juce::File::isAbsolutePath, which takes "~/x" and "~user/x" for absolute.
            return ! path.empty() && path.front() == '/';
        }

        std::string withoutTrailingSlashes (std::string folder)
        {
            while (folder.size() > 1 && folder.back() == '/')
                folder.pop_back();

            return folder;
        }

        // Empty when the user has none.
        std::string homeFromPasswordDatabase()
        {
            passwd entry {};
            passwd* found = nullptr;
            std::vector<char> buffer (1024);

            while (::getpwuid_r (::getuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE)
                buffer.resize (buffer.size() * 2);

            return found != nullptr && found->pw_dir != nullptr ? found->pw_dir : "";
        }

        // $HOME when it holds an absolute path; else (unset, or empty or
        // relative as a service manager or a script may leave it) the
        // password database's, as other programs take it.
        std::string homeFolder()
        {
            if (const auto home = environmentVariable ("HOME"); isAbsolute (home))
                return home;

            return homeFromPasswordDatabase();
        }

        // $XDG_CACHE_HOME when it holds an absolute path, else ~/.cache; a
        // user without a home folder gets "~/.cache", which the lock
        // refuses as a relative path.
        std::string userCacheFolder()
        {
            if (const auto fromEnvironment = environmentVariable ("XDG_CACHE_HOME"); isAbsolute (fromEnvironment))
                return withoutTrailingSlashes (fromEnvironment);

            if (const auto home = homeFolder(); isAbsolute (home))
                return withoutTrailingSlashes (home) + "/.cache";

            return "~/.cache";
        }

        // A cache folder that is not absolute means nothing (the XDG base
        // directory rules), nor does such a home folder; but the programs
        // the framework starts (the desktop settings' gsettings) would write
        // under either in whatever folder the program was started from.
        void keepRelativeFoldersFromChildren()
        {
            if (! isAbsolute (environmentVariable ("XDG_CACHE_HOME")))
                ::unsetenv ("XDG_CACHE_HOME");

            if (std::getenv ("HOME") != nullptr && ! isAbsolute (environmentVariable ("HOME")))
            {
                if (const auto home = homeFromPasswordDatabase(); isAbsolute (home))
                    ::setenv ("HOME", home.c_str(), 1);
                else
                    ::unsetenv ("HOME");
            }
        }

        // X, the lock, the message loop's and the signals' pipes, the sound
        // server and a browser's start, with room to spare. Fewer crash the
        // framework at start-up.
        constexpr rlim_t descriptorsNeeded = 32;

        // Raises the soft limit on open files to what the program needs when
        // the hard limit allows it; the limit it then has.
        rlim_t raiseDescriptorLimit()
        {
            rlimit limit {};

            if (::getrlimit (RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= descriptorsNeeded)
                return descriptorsNeeded;

            limit.rlim_cur = std::min (limit.rlim_max, descriptorsNeeded);
            ::setrlimit (RLIMIT_NOFILE, &limit);
            ::getrlimit (RLIMIT_NOFILE, &limit);
            return limit.rlim_cur;
        }

        OSErr handleQuitApplication (const AppleEvent*, AppleEvent*, long)
        {
            if (auto* application = Application::getInstance())
                application->systemRequestedQuit (false);

            return noErr;
        }

        OSErr handleOpenDocuments (const AppleEvent*, AppleEvent*, long)
        {
            auto* application = Application::getInstance();

            if (application == nullptr)
                return errAEEventNotHandled;

            // No documents come with the request on this platform.
            application->anotherInstanceStarted ({});
            return noErr;
        }

        // The desktop's quit and open-documents requests reach the running
        // application, as the framework's own handlers would deliver them.
        void installSystemEventHandlers()
        {
            AEInstallEventHandler (kCoreEventClass, kAEQuitApplication, NewAEEventHandlerUPP (&handleQuitApplication), 0, false);
            AEInstallEventHandler (kCoreEventClass, kAEOpenDocuments, NewAEEventHandlerUPP (&handleOpenDocuments), 0, false);
            platform::DesktopEventSource::start();

            if (const auto busName = Application::getInstance()->getSessionBusName(); busName.isNotEmpty())
                platform::SessionBusEventSource::start (busName);
        }
    }

    int Application::main (int argc, char** argv, std::unique_ptr<Application> application)
    {
        juce::StringArray commandLine;

        for (int i = 0; i < argc; ++i)
            commandLine.add (juce::String::fromUTF8 (argv[i]));

        return main (commandLine, std::move (application));
    }

    int Application::main (juce::StringArray& commandLine, std::unique_ptr<Application> application)
    {
        // Until the program can take the desktop's requests, they wait.
        platform::DesktopEventSource::holdSignals();
        keepRelativeFoldersFromChildren();

        // First: the lock's folder is named after the executable.
        executableFile = executableNamedBy (commandLine[0]);
        commandLine.remove (0);

        // Owned through runningInstance until shutdownAppAndClearUp deletes it.
        runningInstance = application.release();

        // JUCE 7's non-GUI side needs no initialisation call.

        if (const auto allowed = raiseDescriptorLimit(); allowed < descriptorsNeeded)
            return failStart (commandLine, "too few file descriptors: " + std::to_string (allowed)
                                           + " allowed (ulimit -n), " + std::to_string (descriptorsNeeded) + " needed");

        if (! runningInstance->moreThanOneInstanceAllowed())
        {
            switch (initAppLock()->enter())
            {
                case SingleInstanceLock::Attempt::entered:       break;
                case SingleInstanceLock::Attempt::heldElsewhere: return refuseStart (commandLine);
                case SingleInstanceLock::Attempt::failed:        return failStart (commandLine, lockFailure());
            }
        }

        if (const auto reason = GraphicalDisplay::whyNoDisplayNamed(); ! reason.empty())
            return failStart (commandLine, reason);

        runningInstance->startingUp();

        runningInstance->guiInitialisedByMain = juce::MessageManager::getInstanceWithoutCreating() == nullptr;

        if (const auto reason = GraphicalDisplay::startGui(); ! reason.empty())
            return failStart (commandLine, reason);

        installSystemEventHandlers();

        commandLine.trim();
        runningInstance->initialise (commandLine);
        commandLine.clear();

        auto* messageManager = juce::MessageManager::getInstance();
        messageManager->registerBroadcastListener (runningInstance);
        runningInstance->stillInitialising = false;

        messageManager->runDispatchLoop();

        messageManager->deregisterBroadcastListener (runningInstance);
        // The bus name goes before the lock, so that a launch in between
        // starts a new panel instead of asking this ending one.
        platform::SessionBusEventSource::deleteInstance();
        releaseAppLock();

        // JUCE 7's loop carries no force flag; no quit here is forced.
        return shutdownAppAndClearUp (false);
    }

    Application* Application::getInstance() noexcept
    {
        return runningInstance;
    }

    SingleInstanceLock* Application::initAppLock()
    {
        if (runningInstance == nullptr)
            return nullptr;

        const auto lockName = "quenmarAppLock_" + runningInstance->getApplicationName();
        const auto lockPath = userCacheFolder() + "/" + executableFile.getFileNameWithoutExtension().toStdString()
                            + "/" + lockName.toStdString();

        runningInstance->appLock = std::make_unique<SingleInstanceLock> (lockPath);
        return runningInstance->appLock.get();
    }

    void Application::releaseAppLock()
    {
        if (runningInstance == nullptr || runningInstance->appLock == nullptr)
            return;

        runningInstance->appLock->exit();
        runningInstance->appLock.reset();
    }

    int Application::shutdownAppAndClearUp (bool force)
    {
        static bool reentrancyCheck = false;

        if (reentrancyCheck)
            return 0;

        reentrancyCheck = true;
        auto result = 0;

        if (runningInstance != nullptr)
        {
            runningInstance->shutdown();

            if (runningInstance->guiInitialisedByMain)
                juce::shutdownJuce_GUI();

            result = runningInstance->getApplicationReturnValue();

            std::unique_ptr<Application> application (runningInstance);
            runningInstance = nullptr;
            application.reset();
        }

        if (force)
            juce::Process::terminate();

        reentrancyCheck = false;
        return result;
    }

    const juce::String Application::getApplicationVersion()
    {
        return {};
    }

    void Application::systemRequestedQuit (bool)
    {
        juce::MessageManager::getInstance()->stopDispatchLoop();
    }

    void Application::unhandledException (const std::exception*, const juce::String&, int)
    {
    }

    void Application::actionListenerCallback (const juce::String& message)
    {
        const auto head = getApplicationName() + "/";

        if (message.startsWith (head))
            anotherInstanceStarted (message.substring (head.length()));
    }

    void Application::initialise (const juce::String& commandLineParameters)
    {
        initialise (juce::StringArray::fromTokens (commandLineParameters, true));
    }

    void Application::systemRequestedQuit()
    {
        systemRequestedQuit (false);
    }

    // Another instance holds the lock: broadcast the arguments as they came
    // and end quietly.
    int Application::refuseStart (juce::StringArray& arguments)
    {
        juce::MessageManager::broadcastMessage (runningInstance->getApplicationName() + "/" + arguments.joinIntoString (" "));
        releaseAppLock();
        arguments.clear();
        // JUCE 7 keeps no default font names that would need clearing here.
        return shutdownAppAndClearUp (false);
    }

    std::string Application::lockFailure()
    {
        const auto& lock = *runningInstance->appLock;
        return "cannot use the single-instance lock file \"" + lock.getPath() + "\": " + lock.getFailureReason();
    }

    // The program cannot start: say so rather than vanish as if another
    // instance ran.
    int Application::failStart (juce::StringArray& arguments, const std::string& reason)
    {
        platform::ErrorOutput::writeLine (runningInstance->getApplicationName().toStdString() + ": " + reason);

        releaseAppLock();
        arguments.clear();
        runningInstance->setApplicationReturnValue (1);
        return shutdownAppAndClearUp (false);
    }
}
