#pragma once

#include <juce_graphics/juce_graphics.h>

#include <thread>
#include <utility>
#include <vector>

// Embedded pictures decoded on a thread of its own, so that a program can
// decode them while it does other start-up work. Made and used on one
// thread; the decoding thread touches nothing else.
class PicturesDecodedAhead
{
public:
    // The data and byte count of each embedded picture.
    using EmbeddedPicture = std::pair<const char*, int>;

    // Decoding starts at once.
    explicit PicturesDecodedAhead (std::vector<EmbeddedPicture> pictures);
    ~PicturesDecodedAhead();

    // The picture decoded from that data, handed over once, waiting for the
    // thread if need be; null for data not given, or that did not decode.
    juce::Image take (const char* data);

private:
    std::vector<std::pair<const char*, juce::Image>> decoded;
    std::thread decoding;

    void finishDecoding();

    JUCE_DECLARE_NON_COPYABLE (PicturesDecodedAhead)
};
