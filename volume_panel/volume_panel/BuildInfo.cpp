#include "volume_panel/volume_panel/BuildInfo.h"

#include <cstring>
#include <iterator>

namespace kdar7_volume_panel
{
    namespace
    {
        // Indexed by build type.
        const char* const buildNames[] { "Debug", "Release", "MinSizeRel", "RelWithDebInfo" };

        constexpr int debugBuild = 0;
        constexpr int releaseBuild = 1;
        constexpr int minSizeReleaseBuild = 2;
        constexpr int releaseWithDebugInfoBuild = 3;

        // -1 for a name that is not in the table.
        int getBuildType()
        {
            const auto* name = getBuildName();

            for (int type = 0; type < (int) std::size (buildNames); ++type)
                if (std::strcmp (name, buildNames[type]) == 0)
                    return type;

            return -1;
        }
    }

    const char* getBuildName()
    {
        return "Release";
    }

    void getBuildConfigurationDate (int& first, int& second, int& third,
                                    int& fourth, int& fifth, int& sixth)
    {
        first = second = third = fourth = fifth = sixth = 0;
    }

    bool isFinalBuild()
    {
        const auto type = getBuildType();
        return type == releaseBuild || type == minSizeReleaseBuild;
    }

    bool buildHasDebugInfo()
    {
        const auto type = getBuildType();
        return type == debugBuild || type == releaseWithDebugInfoBuild;
    }
}
