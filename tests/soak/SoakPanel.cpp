#include "support/LatenessWatch.h"
#include "volume_panel/volume_panel/Application.h"

#include <juce_gui_basics/juce_gui_basics.h>

// The panel program with a watch on its own message thread. At shutdown it
// writes to the file named by KDAR7_SOAK_REPORT how late the watch's timer
// fired at worst (the longest the thread was kept from its events) and
// what the window's four controls show.
namespace
{
    juce::Component* findByName (juce::Component& parent, const juce::String& name)
    {
        for (auto* child : parent.getChildren())
        {
            if (child->getName() == name)
                return child;

            if (auto* found = findByName (*child, name))
                return found;
        }

        return nullptr;
    }

    juce::Component* findOnDesktop (const juce::String& name)
    {
        auto& desktop = juce::Desktop::getInstance();

        for (int i = 0; i < desktop.getNumComponents(); ++i)
            if (auto* found = findByName (*desktop.getComponent (i), name))
                return found;

        return nullptr;
    }

    // One line per control: "slider0 27 enabled" or "Mute1 on enabled";
    // index 0 is the input, 1 the output.
    juce::String describeControls()
    {
        juce::String description;

        for (auto index : { 0, 1 })
        {
            const auto enabled = [] (juce::Component* c) { return c->isEnabled() ? " enabled\n" : " disabled\n"; };

            if (auto* slider = dynamic_cast<juce::Slider*> (findOnDesktop ("slider" + juce::String (index))))
                description << slider->getName() << " " << juce::roundToInt (slider->getValue()) << enabled (slider);

            if (auto* button = dynamic_cast<juce::Button*> (findOnDesktop ("Mute" + juce::String (index))))
                description << button->getName() << (button->getToggleState() ? " on" : " off") << enabled (button);
        }

        return description;
    }

    class SoakApplication : public volume_panel::VolumeApplication
    {
    public:
        using VolumeApplication::initialise;

        void initialise (const juce::StringArray& arguments) override
        {
            VolumeApplication::initialise (arguments);
            watch = std::make_unique<test_support::LatenessWatch>();
        }

        void shutdown() override
        {
            const auto reportPath = juce::SystemStats::getEnvironmentVariable ("KDAR7_SOAK_REPORT", {});

            if (reportPath.isNotEmpty() && watch != nullptr)
                juce::File (reportPath).replaceWithText ("longest_lateness_ms "
                                                         + juce::String (std::chrono::duration<double, std::milli> (watch->longest()).count(), 1) + "\n"
                                                         + describeControls(),
                                                         false, false, "\n");

            // Its descriptor leaves the event loop while the loop is there.
            watch.reset();
            VolumeApplication::shutdown();
        }

    private:
        std::unique_ptr<test_support::LatenessWatch> watch;
    };
}

int main (int argc, char** argv)
{
    return app_lifecycle::Application::main (argc, argv, std::make_unique<SoakApplication>());
}
