// Kept to this file: Xlib's macros clash with the framework's names elsewhere.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "app_lifecycle/HeldKeys.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>
#include <array>
#include <optional>

namespace app_lifecycle
{
    namespace
    {
        using KeyMap = std::array<char, 32>;

        ::Display* frameworkDisplay()
        {
            auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();
            return windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
        }

        bool holdsEscape (::Display* display, const KeyMap& keys)
        {
            const auto keyCode = ::XKeysymToKeycode (display, XK_Escape);
            return keyCode != 0 && (keys[(size_t) keyCode / 8] & (1 << (keyCode % 8))) != 0;
        }

        KeyMap keysHeldNow (::Display* display)
        {
            KeyMap keys {};
            ::XQueryKeymap (display, keys.data());
            return keys;
        }

        // Looks at each queued event and takes none.
        Bool noteFirstKeyMap (::Display*, XEvent* event, XPointer found)
        {
            auto& keyMap = *reinterpret_cast<std::optional<KeyMap>*> (found);

            if (event->type == KeymapNotify && ! keyMap.has_value())
            {
                keyMap.emplace();
                std::copy (std::begin (event->xkeymap.key_vector), std::end (event->xkeymap.key_vector), keyMap->begin());
            }

            return False;
        }
    }

    bool HeldKeys::wasEscapeHeldAtFocusChange()
    {
        auto* display = frameworkDisplay();

        if (display == nullptr)
            return false;

        juce::XWindowSystemUtilities::ScopedXLock xLock;
        // The round trip brings whatever the server sent before its answer
        // into the queue, the key map after the focus event included.
        const auto now = keysHeldNow (display);
        std::optional<KeyMap> atFocusChange;
        XEvent unused;
        ::XCheckIfEvent (display, &unused, noteFirstKeyMap, reinterpret_cast<XPointer> (&atFocusChange));
        return holdsEscape (display, atFocusChange.value_or (now));
    }

    bool HeldKeys::isEscapeHeld()
    {
        auto* display = frameworkDisplay();

        if (display == nullptr)
            return false;

        juce::XWindowSystemUtilities::ScopedXLock xLock;
        return holdsEscape (display, keysHeldNow (display));
    }
}
