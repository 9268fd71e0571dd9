#include "Command.h"

#include <gtest/gtest.h>

namespace end_to_end
{
    juce::String runCommand (const juce::StringArray& arguments)
    {
        juce::StringArray bounded { "timeout", "10" };
        bounded.addArray (arguments);

        juce::ChildProcess process;
        if (! process.start (bounded))
        {
            ADD_FAILURE() << "cannot start " << arguments.joinIntoString (" ");
            return {};
        }

        const auto output = process.readAllProcessOutput();
        EXPECT_EQ (process.getExitCode(), 0u) << arguments.joinIntoString (" ") << ": " << output;
        return output;
    }
}
