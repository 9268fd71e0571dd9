// kdar7-x-probe map PROGRAM [ARGUMENT...]
// kdar7-x-probe close WINDOW
//
// map: starts the program and waits for the first window the X server maps on the
// root window (with a window manager, the frame around the program's window)
// after the exec. Prints "<pid> <milliseconds from exec to map>" at once,
// then waits for the program to end and exits with its status (128 + the
// signal for a program killed by one), so the caller can measure and end it.
// The map is the server's own MapNotify, asked for on the root before the
// program starts, so no polling step blurs the figure.
//
// close: asks the window manager to close the window, as its close box does.
//
// drag: presses the first button at (X, FROM) in the window, moves the
// pointer along the column at 1 pixel a millisecond to TO and back, again
// and again, for at least SECONDS, and releases it on arriving at TO.
// Prints "<moves> <press ms> <release ms>" on the monotonic clock. A late
// wake skips to where the pointer should be by then, so the speed holds.

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
    constexpr int mapTimeoutMilliseconds = 20000;

    double nowMilliseconds()
    {
        timespec t {};
        clock_gettime (CLOCK_MONOTONIC, &t);
        return (double) t.tv_sec * 1000.0 + (double) t.tv_nsec / 1.0e6;
    }

    // The clock starts just before the fork. The pipe, closed by a
    // successful exec, carries the error of a failed one.
    pid_t startProgram (char** argv, double& execTime)
    {
        int execPipe[2];
        if (pipe2 (execPipe, O_CLOEXEC) != 0)
            return -1;

        execTime = nowMilliseconds();
        const auto pid = fork();

        if (pid == 0)
        {
            close (execPipe[0]);
            execvp (argv[0], argv);
            const int error = errno;
            (void) ! write (execPipe[1], &error, sizeof error);
            _exit (127);
        }

        close (execPipe[1]);
        int error = 0;
        const auto got = pid > 0 ? read (execPipe[0], &error, sizeof error) : -1;
        close (execPipe[0]);

        if (got > 0)
        {
            std::fprintf (stderr, "kdar7-x-probe: cannot run %s: %s\n", argv[0], std::strerror (error));
            waitpid (pid, nullptr, 0);
            return -1;
        }

        return pid;
    }

    bool waitForMap (Display* display, pid_t pid, double& mapTime)
    {
        const auto deadline = nowMilliseconds() + mapTimeoutMilliseconds;
        pollfd fd { ConnectionNumber (display), POLLIN, 0 };

        while (nowMilliseconds() < deadline)
        {
            while (XPending (display) > 0)
            {
                XEvent event;
                XNextEvent (display, &event);

                if (event.type == MapNotify)
                {
                    mapTime = nowMilliseconds();
                    return true;
                }
            }

            if (waitpid (pid, nullptr, WNOHANG) == pid)
            {
                std::fprintf (stderr, "kdar7-x-probe: the program ended before it mapped a window\n");
                return false;
            }

            poll (&fd, 1, 50);
        }

        std::fprintf (stderr, "kdar7-x-probe: no window was mapped within %d ms\n", mapTimeoutMilliseconds);
        return false;
    }

    int timeMap (Display* display, char** argv)
    {
        XSelectInput (display, DefaultRootWindow (display), SubstructureNotifyMask);
        XSync (display, False);

        double execTime = 0.0;
        const auto pid = startProgram (argv, execTime);
        if (pid < 0)
            return 1;

        double mapTime = 0.0;
        if (! waitForMap (display, pid, mapTime))
        {
            kill (pid, SIGKILL);
            waitpid (pid, nullptr, 0);
            return 1;
        }

        std::printf ("%d %.2f\n", (int) pid, mapTime - execTime);
        std::fflush (stdout);
        XCloseDisplay (display);

        int status = 0;
        waitpid (pid, &status, 0);
        return WIFEXITED (status) ? WEXITSTATUS (status) : 128 + WTERMSIG (status);
    }

    int pressCloseBox (Display* display, const char* windowId)
    {
        XEvent event {};
        event.xclient.type = ClientMessage;
        event.xclient.window = (::Window) std::strtoul (windowId, nullptr, 0);
        event.xclient.message_type = XInternAtom (display, "_NET_CLOSE_WINDOW", False);
        event.xclient.format = 32;
        event.xclient.data.l[1] = 2; // from a pager: always honoured
        XSendEvent (display, DefaultRootWindow (display), False,
                    SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XSync (display, False);
        return 0;
    }

    void sleepUntil (double milliseconds)
    {
        const timespec until { (time_t) (milliseconds / 1000.0), (long) (std::fmod (milliseconds, 1000.0) * 1.0e6) };
        while (clock_nanosleep (CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {}
    }

    // The row of the pointer that sweeps between the two rows at 1 pixel a
    // millisecond, the given time after it left the first.
    int sweptRow (int from, int to, long elapsed)
    {
        const long span = std::abs (to - from);
        const long along = elapsed % (2 * span);
        const long offset = along <= span ? along : 2 * span - along;
        return from + (int) (to > from ? offset : -offset);
    }

    int drag (Display* display, char** argv)
    {
        const auto window = (::Window) std::strtoul (argv[0], nullptr, 0);
        const int x = std::atoi (argv[1]), from = std::atoi (argv[2]), to = std::atoi (argv[3]);
        const long span = std::abs (to - from);
        if (span == 0)
            return 2;

        // Whole sweeps there and back, and a last one there.
        const long sweeps = (long) (std::atof (argv[4]) * 1000.0) / (2 * span);
        const long duration = (2 * sweeps + 1) * span;

        const auto root = DefaultRootWindow (display);
        int rootX = 0, rootY = 0;
        ::Window child = 0;
        if (! XTranslateCoordinates (display, window, root, x, from, &rootX, &rootY, &child))
        {
            std::fprintf (stderr, "kdar7-x-probe: no window %s\n", argv[0]);
            return 1;
        }

        const int top = rootY - from;
        XTestFakeMotionEvent (display, -1, rootX, rootY, CurrentTime);
        XSync (display, False);
        usleep (50000);

        const auto start = nowMilliseconds();
        XTestFakeButtonEvent (display, 1, True, CurrentTime);
        XFlush (display);
        long moves = 0, elapsed = 0;

        for (int row = from; elapsed < duration;)
        {
            sleepUntil (start + (double) elapsed + 1.0);
            elapsed = std::min (duration, (long) (nowMilliseconds() - start));
            const auto next = sweptRow (from, to, elapsed);
            if (next == row)
                continue;

            row = next;
            XTestFakeMotionEvent (display, -1, rootX, top + row, CurrentTime);
            XFlush (display);
            ++moves;
        }

        XTestFakeButtonEvent (display, 1, False, CurrentTime);
        XSync (display, False);
        std::printf ("%ld %.2f %.2f\n", moves, start, nowMilliseconds());
        return 0;
    }
}

int main (int argc, char** argv)
{
    const bool map = argc >= 3 && std::strcmp (argv[1], "map") == 0;
    const bool close = argc == 3 && std::strcmp (argv[1], "close") == 0;
    const bool dragging = argc == 7 && std::strcmp (argv[1], "drag") == 0;

    if (! map && ! close && ! dragging)
    {
        std::fprintf (stderr, "usage: kdar7-x-probe map PROGRAM [ARGUMENT...]\n"
                              "       kdar7-x-probe close WINDOW\n"
                              "       kdar7-x-probe drag WINDOW X FROM TO SECONDS\n");
        return 2;
    }

    auto* display = XOpenDisplay (nullptr);
    if (display == nullptr)
    {
        std::fprintf (stderr, "kdar7-x-probe: cannot open the display\n");
        return 1;
    }

    if (dragging)
        return drag (display, argv + 2);

    return map ? timeMap (display, argv + 2) : pressCloseBox (display, argv[2]);
}
