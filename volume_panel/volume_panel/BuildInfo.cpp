#include "volume_panel/volume_panel/BuildInfo.h"

namespace kdar7_volume_panel
{
    const char* getBuildName() { return ""; } // PLACEHOLDER
    void getBuildConfigurationDate (int&, int&, int&, int&, int&, int&) {}
    bool isFinalBuild() { return false; }
    bool buildHasDebugInfo() { return false; }
}
