#include "volume_panel/volume_panel/Application.h"

#include "platform/apple_events/DesktopEventSource.h"
#include "volume_skin/kdar7_volume_skin/LookAndFeel.h"

int main (int argc, char** argv)
{
    // Before any thread starts, so that every other thread leaves the
    // desktop's signals to the message thread.
    platform::DesktopEventSource::holdSignals();

    // The pictures decode while the framework starts up.
    const auto pictures = VolumeSkinLookAndFeel::decodePicturesAhead();

    return app_lifecycle::Application::main (argc, argv, std::make_unique<volume_panel::VolumeApplication>());
}
