#include "platform/coreaudio/PlatformCall.h"

namespace platform
{
    namespace
    {
        juce::String nameOf (PlatformOperation operation)
        {
            switch (operation)
            {
                case PlatformOperation::hardwareGetPropertyInfo: return "AudioHardwareGetPropertyInfo";
                case PlatformOperation::hardwareGetProperty:     return "AudioHardwareGetProperty";
                case PlatformOperation::deviceGetPropertyInfo:   return "AudioDeviceGetPropertyInfo";
                case PlatformOperation::deviceGetProperty:       return "AudioDeviceGetProperty";
                case PlatformOperation::deviceSetProperty:       return "AudioDeviceSetProperty";
            }

            return {};
        }

        juce::String fourCharacterCode (UInt32 code)
        {
            juce::String text;

            for (int shift = 24; shift >= 0; shift -= 8)
                text << (char) ((code >> shift) & 0xff);

            return "'" + text + "'";
        }
    }

    juce::String PlatformCall::toString() const
    {
        juce::String text = nameOf (operation) + "(";

        if (operation != PlatformOperation::hardwareGetPropertyInfo && operation != PlatformOperation::hardwareGetProperty)
            text << "dev " << (int) device << ", el " << (int) element << ", "
                 << (scope == AudioScope::input ? "input" : "output") << ", ";

        text << fourCharacterCode (property)
             << ", size " << (size.has_value() ? juce::String (*size) : juce::String ("none"));

        if (value.has_value())
            text << ", value 0x" << juce::String::toHexString ((int) *value);

        return text + ") = " + juce::String (result);
    }
}
