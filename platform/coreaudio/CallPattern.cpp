#include "platform/coreaudio/CallPattern.h"

namespace platform
{
    namespace
    {
        template <typename Value>
        bool agrees (const std::optional<Value>& wanted, const Value& actual)
        {
            return ! wanted.has_value() || *wanted == actual;
        }
    }

    bool CallPattern::matches (const PlatformCall& call) const
    {
        return agrees (operation, call.operation)
            && agrees (device, call.device)
            && agrees (element, call.element)
            && agrees (scope, call.scope)
            && agrees (property, call.property);
    }
}
