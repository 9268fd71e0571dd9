#include "volume_panel/volume_panel/Application.h"

int main (int argc, char** argv)
{
    return app_lifecycle::Application::main (argc, argv, std::make_unique<volume_panel::VolumeApplication>());
}
