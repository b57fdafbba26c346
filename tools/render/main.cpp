// vrn07-render: plays an audio file (or a built-in demo) through the VRN-07 plug-in, as a
// host would, writes the result and reports its peaks and loudness.
#include "tools/render/Render.h"
#include "tools/render/RenderError.h"
#include "tools/render/RenderOptions.h"
#include "tools/render/SignalCleanup.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>

namespace
{
// Every failure is one line on standard error.
int fail(std::string message)
{
    std::replace(message.begin(), message.end(), '\n', ' ');
    std::fprintf(stderr, "vrn07-render: %s\n", message.c_str());
    return 1;
}
} // namespace

int main(int argc, char** argv)
{
    installSignalCleanup();
    try
    {
        const RenderOptions options = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
        if (options.help)
        {
            std::cout << usageText();
            return 0;
        }
        render(options, std::cout);
        return 0;
    }
    catch (const RenderError& error)
    {
        return fail(error.what());
    }
    catch (const std::exception& error)
    {
        return fail(std::string("unexpected failure: ") + error.what());
    }
}
