#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <X11/Xlib.h>

// Every test program runs with JUCE's GUI side initialised on the main
// thread, which is the message thread, as in the program itself.
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);

    // The framework sets this up only in a program of its own: a request
    // about a window that another client has just destroyed (its focus check
    // asks about whichever window has the focus, the tests' own connections
    // about windows that may be gone) would otherwise end the test program.
    XSetErrorHandler ([] (Display*, XErrorEvent*) { return 0; });
    juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
