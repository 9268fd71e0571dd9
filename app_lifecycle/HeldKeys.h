#pragma once

namespace app_lifecycle
{
    // Whether Escape is held down, as the X server says. The framework's
    // own record of held keys cannot tell: it learns the keys held at a
    // change of focus only after the focus event, and a key released by a
    // sent event (as automation tools release a key once its window has
    // gone) reads as up there while the server still holds and repeats it.
    class HeldKeys
    {
    public:
        // When the focus event now being handled was sent: the server
        // follows each focus event with its key map, which is read from
        // the event queue and left there; without one (a focus change
        // within the program), as now. False without a display.
        static bool wasEscapeHeldAtFocusChange();

        // Now. False without a display.
        static bool isEscapeHeld();
    };
}
