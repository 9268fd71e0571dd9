#include "platform/soundserver/LocalServers.h"

#include <sstream>

namespace platform
{
    namespace
    {
        bool isLocalSocket (const std::string& entry)
        {
            auto address = entry;

            if (address.front() == '{')
            {
                const auto end = address.find ('}');

                if (end == std::string::npos)
                    return false;

                address.erase (0, end + 1);
            }

            return address.rfind ("unix:/", 0) == 0 || address.rfind ("/", 0) == 0;
        }
    }

    std::string localServersOf (const std::string& serverList)
    {
        std::istringstream entries (serverList);
        std::string local;

        for (std::string entry; entries >> entry;)
            if (isLocalSocket (entry))
                local += (local.empty() ? "" : " ") + entry;

        return local;
    }
}
