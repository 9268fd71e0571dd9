#include "volume_panel/volume_panel/Application.h"

#include "app_lifecycle/MainWindowRecord.h"
#include "volume_panel/volume_panel/Globals.h"
#include "volume_panel/volume_panel/Window.h"
#include "volume_skin/kdar7_volume_skin/LookAndFeel.h"
#include "volume_skin/kdar7_volume_skin/PicturesDecodedAhead.h"

namespace volume_panel
{
    namespace
    {
        constexpr int initialX = 100;
        constexpr int initialY = 100;

        // The first of "-m" (start hidden) and "-M" (start shown) wins; an
        // empty argument ends the scan. Anything else is skipped.
        void scanOptions (const juce::StringArray& arguments)
        {
            for (int i = 0; i < arguments.size() && arguments[i].isNotEmpty(); ++i)
            {
                if (arguments[i] == "-m")
                {
                    initialVisibility = false;
                    return;
                }

                if (arguments[i] == "-M")
                {
                    initialVisibility = true;
                    return;
                }
            }
        }
    }

    VolumeApplication::VolumeApplication() = default;

    // shutdown has deleted the window and the skin by the time this runs.
    VolumeApplication::~VolumeApplication() = default;

    // The pictures decode while the framework starts its GUI, which takes
    // longer; only once the start goes on, so that a second start refused
    // at the lock does none of the first start's work.
    void VolumeApplication::startingUp()
    {
        picturesDecodedAhead = VolumeSkinLookAndFeel::decodePicturesAhead();
    }

    void VolumeApplication::initialise (const juce::StringArray& arguments)
    {
        scanOptions (arguments);

        // The skin first: it sets the window size, and every component made
        // afterwards draws with it.
        lookAndFeel = std::make_unique<VolumeSkinLookAndFeel>();
        picturesDecodedAhead.reset();
        juce::LookAndFeel::setDefaultLookAndFeel (lookAndFeel.get());

        // The window's show/hide state starts from initialVisibility.
        const auto applicationName = getApplicationName();
        window = std::make_unique<VolumePanelWindow> (soundCardName, applicationName);

        const auto width = VolumeSkinLookAndFeel::windowWidth;
        const auto height = VolumeSkinLookAndFeel::windowHeight;
        window->setBounds (initialX, initialY, width, height);
        window->centreAroundComponent (nullptr, width, height);
        window->setResizable (false, false);

        if (! initialVisibility)
            window->withdrawNativeWindow();

        window->setVisible (initialVisibility);

        if (auto* mainPeer = app_lifecycle::MainWindowRecord::mainPeer())
        {
            mainPeer->setVisible (initialVisibility);
            // Brought to the front either way; activation only when shown,
            // since activating a peer maps it on Linux and "-m" would then
            // start shown.
            mainPeer->toFront (initialVisibility);
        }
    }

    void VolumeApplication::shutdown()
    {
        // A start that failed after startingUp left them undecoded.
        picturesDecodedAhead.reset();
        window.reset();

        // Null when another instance held the lock and initialise never ran.
        if (lookAndFeel != nullptr)
        {
            // JUCE 7 asserts when a look-and-feel still set as the default
            // is deleted.
            juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
            lookAndFeel.reset();
        }
    }

    const juce::String VolumeApplication::getApplicationName()
    {
        return soundCardName + " Volume Panel";
    }

    const juce::String VolumeApplication::getApplicationVersion()
    {
        // The numbers are the project's version, given by the build.
        return juce::String (KDAR7_VERSION_MAJOR) + "." + juce::String (KDAR7_VERSION_MINOR) + "." + juce::String (KDAR7_VERSION_PATCH);
    }

    bool VolumeApplication::moreThanOneInstanceAllowed()
    {
        return false;
    }

    // Asked to open documents: the names are not used, the window is shown
    // and raised.
    void VolumeApplication::anotherInstanceStarted (const juce::String&)
    {
        if (window != nullptr)
            window->setVisibility (true);
    }

    // The name of the installed desktop entry and D-Bus service.
    juce::String VolumeApplication::getSessionBusName()
    {
        return "example.quenmar.Kdar7VolumePanel";
    }
}
