#include "platform/soundserver/ServerText.h"

#include <cstring>

namespace platform
{
    namespace
    {
        bool isContinuation (unsigned char byte)
        {
            return (byte & 0xc0) == 0x80;
        }

        // The length of the well-formed sequence at the start of bytes, or 0.
        // The lead byte's second-byte range rules out overlong forms,
        // surrogates and code points past U+10FFFF.
        size_t sequenceLength (const unsigned char* bytes, size_t available)
        {
            const auto lead = bytes[0];

            if (lead < 0x80)
                return 1;

            size_t length = 0;
            unsigned char low = 0x80, high = 0xbf;

            if (lead >= 0xc2 && lead <= 0xdf)       length = 2;
            else if (lead == 0xe0)                  { length = 3; low = 0xa0; }
            else if (lead == 0xed)                  { length = 3; high = 0x9f; }
            else if (lead >= 0xe1 && lead <= 0xef)  length = 3;
            else if (lead == 0xf0)                  { length = 4; low = 0x90; }
            else if (lead == 0xf4)                  { length = 4; high = 0x8f; }
            else if (lead >= 0xf1 && lead <= 0xf3)  length = 4;
            else                                    return 0;

            if (available < length || bytes[1] < low || bytes[1] > high)
                return 0;

            for (size_t i = 2; i < length; ++i)
                if (! isContinuation (bytes[i]))
                    return 0;

            return length;
        }
    }

    juce::String textFromServer (const char* text)
    {
        if (text == nullptr)
            return {};

        const auto* bytes = reinterpret_cast<const unsigned char*> (text);
        const auto size = std::strlen (text);
        juce::MemoryOutputStream clean (size + 16);
        const char replacement[] = "\xef\xbf\xbd";

        for (size_t position = 0; position < size;)
        {
            if (const auto length = sequenceLength (bytes + position, size - position); length > 0)
            {
                clean.write (text + position, length);
                position += length;
            }
            else
            {
                clean.write (replacement, 3);
                ++position;
            }
        }

        return juce::String::fromUTF8 (static_cast<const char*> (clean.getData()), (int) clean.getDataSize());
    }
}
