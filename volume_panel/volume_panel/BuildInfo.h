#pragma once

// What kind of build this program is. Nothing in the program asks; the
// answers are fixed.
namespace kdar7_volume_panel
{
    const char* getBuildName();
    // Sets all six to 0: no configuration date is recorded.
    void getBuildConfigurationDate (int& first, int& second, int& third,
                                    int& fourth, int& fifth, int& sixth);
    bool isFinalBuild();
    bool buildHasDebugInfo();
}
