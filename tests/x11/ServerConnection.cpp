#include "tests/x11/ServerConnection.h"

#include <chrono>
#include <thread>

Display* connectToServer()
{
    auto pause = std::chrono::milliseconds(2);
    for (int attempt = 0; attempt < 6; ++attempt, pause *= 2)
    {
        if (Display* display = XOpenDisplay(nullptr))
        {
            return display;
        }
        std::this_thread::sleep_for(pause);
    }
    return nullptr;
}
