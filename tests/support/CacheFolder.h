#pragma once

#include <juce_core/juce_core.h>

#include <stdexcept>
#include <stdlib.h>

namespace test_support
{
    // A fresh folder that stands in for the user's cache folder
    // ($XDG_CACHE_HOME) of one test, deleted with everything in it after.
    // mkdtemp makes it atomically: test programs run side by side.
    class CacheFolder
    {
    public:
        CacheFolder()
        {
            auto pattern = juce::File::getSpecialLocation (juce::File::tempDirectory)
                               .getChildFile ("lifecycle-cache-XXXXXX").getFullPathName().toStdString();

            if (::mkdtemp (pattern.data()) == nullptr)
                throw std::runtime_error ("no cache folder for the test");

            folder = juce::File (pattern);
        }

        ~CacheFolder()
        {
            folder.deleteRecursively();
        }

        const juce::File& get() const noexcept          { return folder; }
        std::string path() const                        { return folder.getFullPathName().toStdString(); }

        // Where the probe keeps its lock: a folder named after its
        // executable, the file named after the application.
        juce::File probeLockFile() const
        {
            return folder.getChildFile ("lifecycle_probe").getChildFile ("quenmarAppLock_Lifecycle Probe");
        }

    private:
        juce::File folder;
    };
}
