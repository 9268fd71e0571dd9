#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

// Every test program runs with JUCE's GUI side initialised on the main
// thread, which is the message thread, as in the program itself.
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
