// Loads an installed plug-in binary as a host does and checks what a user of the package
// relies on: it creates an instance that answers the package's version, processes audio,
// and its information button finds the manual beside it.
// usage: vrn07-packaged-plugin-check PLUGIN VERSION
#include "editor/InformationDocument.h"
#include "tools/host/HostHarness.h"

#include <dlfcn.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
constexpr int kFrames = 4096;

int failures = 0;

void check(bool ok, const std::string& what)
{
    std::printf("%s: %s\n", ok ? "ok" : "FAIL", what.c_str());
    failures += ok ? 0 : 1;
}

// "1.2.3" as hosts read it: 1230; "1.0" is 1000.
int vendorVersionOf(const std::string& version)
{
    int parts[3] = {0, 0, 0};
    std::sscanf(version.c_str(), "%d.%d.%d", &parts[0], &parts[1], &parts[2]);
    return parts[0] * 1000 + parts[1] * 100 + parts[2] * 10;
}

std::string fileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The plug-in's own file as the loader knows it: what the plug-in's information button
// starts from.
std::string modulePathOf(PluginEntry entry)
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(entry), &info) == 0 || info.dli_fname == nullptr)
        return {};
    return info.dli_fname;
}

void checkProcessing(PluginInstance& plugin)
{
    plugin.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    plugin.dispatch(effMainsChanged, 0, 1);
    std::vector<float> left(kFrames), right(kFrames), outLeft(kFrames), outRight(kFrames);
    for (int i = 0; i < kFrames; ++i)
    {
        left[size_t(i)] = float(0.5 * std::sin(2.0 * M_PI * 440.0 * i / 48000.0));
        right[size_t(i)] = -left[size_t(i)];
    }
    float* in[2] = {left.data(), right.data()};
    float* out[2] = {outLeft.data(), outRight.data()};
    plugin.process(in, out, kFrames);
    double energy = 0.0;
    bool finite = true;
    for (int i = 0; i < kFrames; ++i)
    {
        finite = finite && std::isfinite(outLeft[size_t(i)]) && std::isfinite(outRight[size_t(i)]);
        energy += double(outLeft[size_t(i)]) * outLeft[size_t(i)];
    }
    check(finite && energy > kFrames * 0.05, "processes a sine into a finite, audible output");
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: vrn07-packaged-plugin-check PLUGIN VERSION\n");
        return 2;
    }
    const std::string version = argv[2];
    PluginLibrary library(argv[1]);
    check(library.loaded(), std::string("loads ") + argv[1] + " " + library.error());
    if (!library.loaded())
        return 1;
    HostHarness host;
    AEffect* effect = host.create(library.entry());
    check(effect != nullptr && effect->magic == kEffectMagic, "creates an instance");
    if (effect == nullptr)
        return 1;
    {
        PluginInstance plugin(effect);
        check(plugin.dispatch(effGetVendorVersion) == vendorVersionOf(version),
              "answers the vendor version of " + version);
        check(effect->version == vendorVersionOf(version) / 1000,
              "has the major version in its record");
        checkProcessing(plugin);
    }

    const std::string manual =
        CInformationDocument::documentPath(modulePathOf(library.entry()), '/');
    const std::string text = fileText(manual);
    check(text.rfind("<!DOCTYPE html>", 0) == 0, "finds its manual at " + manual);
    check(text.find("version " + version + "</p>") != std::string::npos,
          "the manual names version " + version);
    return failures == 0 ? 0 : 1;
}
