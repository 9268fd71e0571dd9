#include "Command.h"

#include "support/ChildProcess.h"

#include <gtest/gtest.h>

namespace end_to_end
{
    juce::String runCommand (const juce::StringArray& arguments)
    {
        std::vector<std::string> words;

        for (const auto& argument : arguments)
            words.push_back (argument.toStdString());

        // timeout ends the command's whole process group, helpers it
        // started too; status 124 then.
        test_support::ChildProcess process ({ words.begin() + 1, words.end() }, {}, words.front(), { "timeout", "10" });
        const auto status = process.waitForExit (15000);
        const juce::String output (process.output());
        EXPECT_EQ (status, 0) << arguments.joinIntoString (" ") << ": " << output << process.errorOutput();
        return output;
    }
}
