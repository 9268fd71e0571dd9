#include "volume_panel/volume_panel/Application.h"

#include "platform/apple_events/DesktopEventSource.h"
#include "platform/soundserver/SoundServerAudioLayer.h"
#include "volume_skin/kdar7_volume_skin/LookAndFeel.h"

int main (int argc, char** argv)
{
    // Before any thread starts, so that every other thread leaves the
    // desktop's signals to the message thread.
    platform::DesktopEventSource::holdSignals();

    // The sound server answers and the pictures decode while the framework
    // starts up, which takes longer than both. The pictures wait for the
    // connection: decoding beside the framework's loading of its libraries
    // slowed that by more than it saved.
    const auto connected = platform::SoundServerAudioLayer::shared().connectAhead();
    const auto pictures = VolumeSkinLookAndFeel::decodePicturesAhead (connected);

    return app_lifecycle::Application::main (argc, argv, std::make_unique<volume_panel::VolumeApplication>());
}
