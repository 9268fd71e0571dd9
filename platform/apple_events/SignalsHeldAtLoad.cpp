// Linked into each program (not into the library): the desktop's signals
// are held from the first code of the program's own that runs, before the
// static objects of the program and the framework are made (half a
// millisecond, several under load). Before it, the loader maps the
// program's libraries and runs their initialisers; a signal there still
// has its default action.

#include "platform/apple_events/DesktopEventSource.h"

namespace
{
    // The lowest priority a program may give; the sanitizers' own set-up
    // comes before it.
    [[gnu::constructor (101)]] void holdDesktopSignalsAtLoad()
    {
        platform::DesktopEventSource::holdSignals();
    }
}
