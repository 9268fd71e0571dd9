#include "volume_skin/kdar7_volume_skin/PicturesDecodedAhead.h"

#include <algorithm>

PicturesDecodedAhead::PicturesDecodedAhead (std::vector<EmbeddedPicture> pictures)
{
    for (const auto& picture : pictures)
        decoded.emplace_back (picture.first, juce::Image());

    decoding = std::thread ([this, pictures = std::move (pictures)] {
        for (size_t i = 0; i < pictures.size(); ++i)
            decoded[i].second = juce::ImageFileFormat::loadFrom (pictures[i].first, (size_t) pictures[i].second);
    });
}

PicturesDecodedAhead::~PicturesDecodedAhead()
{
    finishDecoding();
}

juce::Image PicturesDecodedAhead::take (const char* data)
{
    finishDecoding();
    const auto found = std::find_if (decoded.begin(), decoded.end(), [data] (const auto& entry) { return entry.first == data; });

    if (found == decoded.end())
        return {};

    return std::exchange (found->second, juce::Image());
}

void PicturesDecodedAhead::finishDecoding()
{
    if (decoding.joinable())
        decoding.join();
}
