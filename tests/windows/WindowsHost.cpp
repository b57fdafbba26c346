// A small Windows host for the shipped DLL: loads it as a host does, checks the audio path,
// opens the editor in real windows, pumps their messages and captures what they show.
// usage: vrn07-windows-host VRN-07.dll OUTPUT-FOLDER
// Writes editor-silent.bmp and editor-playing.bmp into the folder and exits 0 when every
// check holds.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "plugin/vst2/VstInterface.h"
#include "tests/windows/WindowsTestSupport.h"

namespace
{
constexpr VstIntPtr kHostVersion = 2400;
constexpr float kSampleRate = 44100.0f;
constexpr VstInt32 kBlockFrames = 512;
constexpr VstInt32 kBypassParameter = 13;
// The processing delay and the output ceiling of the plug-in.
constexpr int kDelayFrames = 15;
constexpr float kCeiling = 0.99993896484375f;
constexpr DWORD kSettleMs = 1500;
constexpr int kPlayingBlocks = 120; // about 1.4 s of audio
constexpr int kOpenCloseCycles = 100;
// A window nobody painted is one plain colour; the panel has far more than this many.
constexpr size_t kPaintedColours = 64;
// Timer-driven redraws of meters and viewer change at least this many pixels.
constexpr int kMovedPixels = 200;

int failures = 0;
int passes = 0;

void check(bool condition, const char* fact)
{
    std::printf("%s: %s\n", condition ? "ok" : "FAILED", fact);
    std::fflush(stdout);
    (condition ? passes : failures) += 1;
}

// What the host knows of its calls.
struct HostCounts
{
    int idle = 0;
    int automate = 0;
} counts;

VstIntPtr VSTCALLBACK hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    switch (opcode)
    {
    case audioMasterVersion:
        return kHostVersion;
    case audioMasterIdle:
        ++counts.idle;
        return 0;
    case audioMasterAutomate:
        ++counts.automate;
        return 0;
    default:
        return 0;
    }
}

using EntryPoint = AEffect*(VSTCALLBACK*)(audioMasterCallback);

class Instance
{
  public:
    explicit Instance(EntryPoint entry) : effect_(entry(hostCallback))
    {
        if (effect_ != nullptr)
        {
            dispatch(effOpen);
            dispatch(effSetSampleRate, 0, 0, nullptr, kSampleRate);
            dispatch(effSetBlockSize, 0, kBlockFrames);
            dispatch(effMainsChanged, 0, 1);
        }
    }
    ~Instance()
    {
        if (effect_ != nullptr)
        {
            dispatch(effMainsChanged, 0, 0);
            dispatch(effClose);
        }
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    bool valid() const { return effect_ != nullptr; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f)
    {
        return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
    }
    void setParameter(VstInt32 index, float value) { effect_->setParameter(effect_, index, value); }
    void process(std::vector<float>& left, std::vector<float>& right, std::vector<float>& outLeft,
                 std::vector<float>& outRight)
    {
        float* in[2] = {left.data(), right.data()};
        float* out[2] = {outLeft.data(), outRight.data()};
        effect_->processReplacing(effect_, in, out, VstInt32(left.size()));
    }

  private:
    AEffect* effect_;
};

// ------------------------------------------------------------------------------ windows

std::string classNameOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

bool classRegistered(HMODULE module, const std::string& name)
{
    WNDCLASSA description{};
    return GetClassInfoA(module, name.c_str(), &description) != 0;
}

// ------------------------------------------------------------------------------ pixels

// An uncompressed 24-bit bottom-up BMP file.
bool writeBmp(const PixelImage& image, const std::string& path)
{
    const int rowBytes = (image.width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = DWORD(file.bfOffBits + rowBytes * image.height);
    info.biSize = sizeof(info);
    info.biWidth = image.width;
    info.biHeight = image.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
    {
        return false;
    }
    std::fwrite(&file, sizeof(file), 1, out);
    std::fwrite(&info, sizeof(info), 1, out);
    std::vector<unsigned char> row(size_t(rowBytes), 0);
    for (int y = image.height - 1; y >= 0; --y)
    {
        for (int x = 0; x < image.width; ++x)
        {
            const uint32_t pixel = image.pixels[size_t(y) * size_t(image.width) + size_t(x)];
            row[size_t(x) * 3] = uint8_t(pixel);
            row[size_t(x) * 3 + 1] = uint8_t(pixel >> 8);
            row[size_t(x) * 3 + 2] = uint8_t(pixel >> 16);
        }
        std::fwrite(row.data(), 1, row.size(), out);
    }
    return std::fclose(out) == 0;
}

int differingPixels(const PixelImage& a, const PixelImage& b)
{
    if (a.pixels.size() != b.pixels.size())
    {
        return -1;
    }
    int count = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
    {
        count += a.pixels[i] != b.pixels[i] ? 1 : 0;
    }
    return count;
}

// ------------------------------------------------------------------------------ checks

std::vector<float> impulseAt(int position, int frames, float height)
{
    std::vector<float> signal(size_t(frames), 0.0f);
    signal[size_t(position)] = height;
    return signal;
}

void checkAudio(EntryPoint entry)
{
    {
        Instance plugin(entry);
        std::vector<float> left = impulseAt(10, 256, 0.01f);
        std::vector<float> right = impulseAt(10, 256, 50.0f);
        std::vector<float> outLeft(256), outRight(256);
        plugin.process(left, right, outLeft, outRight);
        int loudest = 0;
        bool belowCeiling = true;
        for (int i = 0; i < 256; ++i)
        {
            belowCeiling = belowCeiling && std::fabs(outRight[size_t(i)]) <= kCeiling;
            if (std::fabs(outLeft[size_t(i)]) > std::fabs(outLeft[size_t(loudest)]))
            {
                loudest = i;
            }
        }
        check(loudest == 10 + kDelayFrames, "an impulse comes out 15 samples later");
        check(belowCeiling, "a 50-fold overload stays below the ceiling");
    }
    {
        Instance plugin(entry);
        plugin.setParameter(kBypassParameter, 0.0f);
        std::vector<float> left = impulseAt(3, 64, 7.5f);
        std::vector<float> right = impulseAt(9, 64, -0.25f);
        std::vector<float> outLeft(64), outRight(64);
        plugin.process(left, right, outLeft, outRight);
        check(outLeft == left && outRight == right, "bypass passes the input bit for bit");
    }
}

HWND openEditor(Instance& plugin, HWND host)
{
    if (plugin.dispatch(effEditOpen, 0, 0, host) == 0)
    {
        return nullptr;
    }
    return GetWindow(host, GW_CHILD);
}

// Plays a loud tone through the plug-in while only the window messages run: no host idle
// call, so whatever moves on the panel was moved by the editor's timer.
void playWhilePumping(Instance& plugin)
{
    std::vector<float> left(kBlockFrames), right(kBlockFrames), outLeft(kBlockFrames),
        outRight(kBlockFrames);
    const double step = 2.0 * 3.14159265358979 * 997.0 / kSampleRate;
    int64_t frame = 0;
    for (int block = 0; block < kPlayingBlocks; ++block)
    {
        for (VstInt32 i = 0; i < kBlockFrames; ++i, ++frame)
        {
            left[size_t(i)] = right[size_t(i)] = float(1.5 * std::sin(step * double(frame)));
        }
        plugin.process(left, right, outLeft, outRight);
        pumpMessagesFor(10);
    }
    pumpMessagesFor(200);
}

void checkEditor(EntryPoint entry, HMODULE module, const std::string& folder)
{
    Instance plugin(entry);
    ERect* rect = nullptr;
    plugin.dispatch(effEditGetRect, 0, 0, &rect);
    const int width = rect != nullptr ? rect->right - rect->left : 0;
    const int height = rect != nullptr ? rect->bottom - rect->top : 0;
    check(width == 754 && height == 374, "the editor asks for 754 by 374 pixels");

    HWND host = makeHostWindow(width, height);
    HWND editor = openEditor(plugin, host);
    check(editor != nullptr, "the editor opens in a child window of the host's window");
    if (editor == nullptr)
    {
        DestroyWindow(host);
        return;
    }
    RECT client{};
    GetClientRect(editor, &client);
    check(client.right == width && client.bottom == height,
          "the child window has the editor's size");
    const std::string className = classNameOf(editor);
    check(className.rfind("Plugin", 0) == 0, "the window class is named Plugin and the module");

    pumpMessagesFor(kSettleMs);
    const PixelImage silent = captureWindow(editor);
    check(writeBmp(silent, folder + "\\editor-silent.bmp"), "the silent panel is saved");
    check(distinctColours(silent) > kPaintedColours, "the paint message drew the panel");

    const int idleBefore = counts.idle;
    playWhilePumping(plugin);
    const PixelImage playing = captureWindow(editor);
    check(writeBmp(playing, folder + "\\editor-playing.bmp"), "the playing panel is saved");
    const int moved = differingPixels(silent, playing);
    std::printf("pixels moved by the timer while playing: %d\n", moved);
    check(moved >= kMovedPixels, "the timer redraws meters and viewer while audio plays");
    check(counts.idle == idleBefore, "the host was not asked for idle time meanwhile");

    plugin.dispatch(effEditClose);
    check(!IsWindow(editor), "closing the editor destroys its window");
    check(!classRegistered(module, className), "closing the last editor unregisters the class");
    DestroyWindow(host);
}

void checkSharedClass(EntryPoint entry, HMODULE module)
{
    Instance first(entry);
    Instance second(entry);
    HWND firstHost = makeHostWindow(754, 374);
    HWND secondHost = makeHostWindow(754, 374);
    HWND firstEditor = openEditor(first, firstHost);
    HWND secondEditor = openEditor(second, secondHost);
    check(firstEditor != nullptr && secondEditor != nullptr, "two editors open at once");
    const std::string className = classNameOf(firstEditor);
    check(className == classNameOf(secondEditor), "two editors share one window class");
    pumpMessagesFor(200);
    first.dispatch(effEditClose);
    check(classRegistered(module, className), "closing one of two editors keeps the class");
    second.dispatch(effEditClose);
    check(!classRegistered(module, className), "closing the other one unregisters it");
    DestroyWindow(firstHost);
    DestroyWindow(secondHost);
}

void checkBadParents(EntryPoint entry)
{
    Instance plugin(entry);
    check(plugin.dispatch(effEditOpen, 0, 0, nullptr) == 0, "open without a parent answers 0");
    // A handle value no window has.
    check(plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t(0x7FFF0))) == 0,
          "open with a handle that is not a window answers 0");
    plugin.dispatch(effEditIdle);
    plugin.dispatch(effEditClose);
}

void checkHostDestroysWindowFirst(EntryPoint entry, HMODULE module)
{
    Instance plugin(entry);
    HWND host = makeHostWindow(754, 374);
    HWND editor = openEditor(plugin, host);
    check(editor != nullptr, "the editor opens before its host window goes");
    const std::string className = classNameOf(editor);
    pumpMessagesFor(100);
    DestroyWindow(host);
    pumpMessagesFor(100);
    plugin.dispatch(effEditIdle);
    plugin.dispatch(effEditClose);
    check(!classRegistered(module, className),
          "an editor whose host window went first still gives up its class on close");
}

void checkNoLeaks(EntryPoint entry)
{
    Instance plugin(entry);
    HWND host = makeHostWindow(754, 374);
    DWORD afterFirst = 0;
    int windowsAfterFirst = 0;
    for (int cycle = 0; cycle < kOpenCloseCycles; ++cycle)
    {
        plugin.dispatch(effEditOpen, 0, 0, host);
        pumpMessagesFor(0);
        plugin.dispatch(effEditIdle);
        plugin.dispatch(effEditClose);
        pumpMessagesFor(0);
        if (cycle == 0)
        {
            afterFirst = gdiObjectCount();
            windowsAfterFirst = threadWindowCount();
        }
    }
    const DWORD afterLast = gdiObjectCount();
    std::printf("GDI objects after the first and the last of %d opens: %lu, %lu\n",
                kOpenCloseCycles, afterFirst, afterLast);
    // A leak of one object per open would show as 99 more.
    check(afterFirst > 0 && afterLast < afterFirst + DWORD(kOpenCloseCycles - 1),
          "opening and closing 100 times leaves the GDI object count flat");
    check(threadWindowCount() == windowsAfterFirst, "and leaves no window behind");
    DestroyWindow(host);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: %s VRN-07.dll OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    HMODULE module = LoadLibraryA(argv[1]);
    if (module == nullptr)
    {
        std::fprintf(stderr, "cannot load %s (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    auto entry = reinterpret_cast<EntryPoint>(
        reinterpret_cast<void*>(GetProcAddress(module, "VSTPluginMain")));
    const auto alias =
        reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(GetProcAddress(module, "main")));
    check(entry != nullptr && entry == alias, "VSTPluginMain and main are one exported function");
    if (entry == nullptr)
    {
        return 1;
    }
    checkAudio(entry);
    checkEditor(entry, module, argv[2]);
    checkSharedClass(entry, module);
    checkBadParents(entry);
    checkHostDestroysWindowFirst(entry, module);
    checkNoLeaks(entry);
    FreeLibrary(module);
    std::printf("%d passed, %d failed\n", passes, failures);
    return failures == 0 ? 0 : 1;
}
