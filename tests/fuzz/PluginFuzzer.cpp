// Drives one plug-in instance per input as hosts do, through its AEffect record: dispatcher
// calls with valid and null buffers, parameters with any float, audio of any block size in
// place or not, rate and block-size changes, programs, and the editor without a window with
// presses, drags, wheel turns and keys, while the host answers some calls by calling back
// into the plug-in, up to closing it. Oracles: the sanitizers, finite output for finite input,
// bypass bit-exact, and silence decaying to silence.
#include "editor/SDEditor.h"
#include "engine/ControlTable.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "plugin/vst2/AKkk.h"
#include "tests/editor/PointerScript.h"
#include "tools/host/HostHarness.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

extern "C" AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host);

namespace
{
constexpr int kMaxBlock = 4096;
// Even a signal at the float limit rings out of the slowest crossover within this time.
constexpr int kDecaySeconds = 30;
constexpr int kDecayBlock = 4096;
constexpr int kLowestCheckedRate = 8000;
constexpr int kHighestCheckedRate = 192000;

// Reads the fuzzer's bytes as a stream of small numbers; zeros once they run out.
class ByteStream
{
  public:
    ByteStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return position_ >= size_; }
    uint8_t byte() { return position_ < size_ ? data_[position_++] : 0; }
    uint32_t word()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | byte();
        return value;
    }
    int32_t below(int32_t limit) { return int32_t(word() % uint32_t(limit)); }
    // Any float: often a normalised value, sometimes any bit pattern.
    float anyFloat()
    {
        const uint8_t kind = byte();
        if (kind < 160)
            return float(byte()) / 255.0f;
        const uint32_t bits = word();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // An audio sample: mostly ordinary levels, sometimes huge, tiny or not a number.
    float sample(bool finiteOnly)
    {
        const uint8_t kind = byte();
        if (kind < 200)
            return (float(byte()) - 128.0f) / 32.0f;
        float value = anyFloat();
        if (finiteOnly && !std::isfinite(value))
            value = 0.0f;
        return value;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

// Plays one pointer state per poll of the buttons, as a real pointer moves on by itself.
void fail(const char* what)
{
    std::fprintf(stderr, "oracle failed: %s\n", what);
    std::abort();
}

class Session
{
  public:
    explicit Session(ByteStream& bytes) : bytes_(bytes)
    {
        platform::installInput(&pointer_);
        plugin_ = std::make_unique<PluginInstance>(host_.create(VSTPluginMain));
    }
    ~Session()
    {
        host_.setReaction(audioMasterIdle, nullptr);
        host_.setReaction(audioMasterAutomate, nullptr);
        host_.setReaction(audioMasterBeginEdit, nullptr);
        plugin_.reset();
        platform::installInput(nullptr);
    }

    void run()
    {
        if (plugin_->effect() == nullptr)
            fail("no instance");
        const bool checkDecay = (bytes_.byte() & 15) == 0;
        while (!bytes_.empty() && plugin_->effect() != nullptr)
            step();
        if (checkDecay && plugin_->effect() != nullptr)
            expectSilenceToDecay();
    }

  private:
    AKkk& effect() { return *static_cast<AKkk*>(plugin_->effect()->object); }
    CFrame* frame() { return effect().sdEditor()->frame(); }

    void step()
    {
        switch (bytes_.below(9))
        {
        case 0:
            dispatch();
            break;
        case 1:
            plugin_->setParameter(bytes_.below(32) - 2, bytes_.anyFloat());
            break;
        case 2:
            plugin_->getParameter(bytes_.below(32) - 2);
            break;
        case 3:
            process();
            break;
        case 4:
            changeHostState();
            break;
        case 5:
            plugin_->dispatch(effSetProgram, 0, bytes_.below(7) - 1);
            break;
        case 6:
            editorCall();
            break;
        case 7:
            gesture();
            break;
        default:
            reactOnce();
            break;
        }
    }

    void dispatch()
    {
        static constexpr VstInt32 kOpcodes[] = {effGetProgram,       effSetProgramName,
                                                effGetProgramName,   effGetParamLabel,
                                                effGetParamDisplay,  effGetParamName,
                                                effEditGetRect,      effCanBeAutomated,
                                                effString2Parameter, effGetProgramNameIndexed,
                                                effGetPlugCategory,  effGetEffectName,
                                                effGetVendorString,  effGetProductString,
                                                effGetVendorVersion, effCanDo,
                                                effGetTailSize,      effGetVstVersion,
                                                effSetBypass,        effIdentify,
                                                effGetChunk,         effSetChunk,
                                                effMainsChanged,     effSetEditKnobMode};
        const VstInt32 opcode = kOpcodes[bytes_.below(int32_t(std::size(kOpcodes)))];
        const VstInt32 index = bytes_.below(40) - 4;
        const VstIntPtr value = bytes_.below(8) - 2;
        const float opt = bytes_.anyFloat();
        if (bytes_.byte() & 1)
        {
            plugin_->dispatch(opcode, index, value, nullptr, opt);
            return;
        }
        if (opcode == effEditGetRect)
        {
            ERect* rect = nullptr;
            plugin_->dispatch(opcode, index, value, &rect, opt);
            return;
        }
        // Exactly the room the interface promises, so that the sanitizer sees any overrun; a
        // string argument is terminated text of any length.
        std::vector<char> text(answerBytes(opcode), '\0');
        if (takesText(opcode))
        {
            text.assign(size_t(bytes_.below(80)) + 1, '\0');
            for (size_t i = 0; i + 1 < text.size(); ++i)
                text[i] = char(bytes_.byte() | 1);
        }
        plugin_->dispatch(opcode, index, value, text.data(), opt);
    }

    static bool takesText(VstInt32 opcode)
    {
        return opcode == effSetProgramName || opcode == effCanDo || opcode == effString2Parameter;
    }

    static size_t answerBytes(VstInt32 opcode)
    {
        switch (opcode)
        {
        case effGetParamLabel:
        case effGetParamDisplay:
            return 8;
        case effGetParamName:
            return 16;
        case effGetProgramName:
        case effGetProgramNameIndexed:
            return 24;
        case effGetEffectName:
            return 32;
        case effGetVendorString:
        case effGetProductString:
            return 64;
        default:
            return 256;
        }
    }

    void changeHostState()
    {
        if (bytes_.byte() & 1)
        {
            static constexpr float kRates[] = {44100.0f, 48000.0f, 96000.0f, 8000.0f,
                                               1.0f,     1.536e6f, 0.0f,     -44100.0f};
            const uint8_t choice = bytes_.byte();
            const float rate =
                choice < 200 ? kRates[choice % std::size(kRates)] : bytes_.anyFloat();
            plugin_->dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        }
        else
        {
            plugin_->dispatch(effSetBlockSize, 0, bytes_.below(1 << 20) - 16);
        }
    }

    void process()
    {
        const int frames = bytes_.below(kMaxBlock + 1);
        const bool inPlace = (bytes_.byte() & 1) != 0;
        const bool finiteOnly = (bytes_.byte() & 3) != 0;
        std::vector<float> input[2];
        for (auto& channel : input)
        {
            channel.resize(size_t(frames) + 1);
            const float level = bytes_.sample(true);
            for (int i = 0; i < frames; ++i)
                channel[size_t(i)] =
                    (i % 7 == 0) ? bytes_.sample(finiteOnly) : level * float(i % 5);
        }
        const bool bypassed = !effect().processingOn();
        std::vector<float> output[2] = {input[0], input[1]};
        if (!inPlace)
            for (auto& channel : output)
                std::fill(channel.begin(), channel.end(), 7.0f);
        float* in[2] = {input[0].data(), input[1].data()};
        float* out[2] = {output[0].data(), output[1].data()};
        plugin_->process(inPlace ? out : in, out, frames);

        for (int channel = 0; channel < 2; ++channel)
        {
            const std::vector<float>& source = input[channel];
            const std::vector<float>& result = output[channel];
            if (bypassed &&
                std::memcmp(source.data(), result.data(), sizeof(float) * size_t(frames)) != 0)
                fail("bypass changed the audio");
            if (finiteOnly)
                for (int i = 0; i < frames; ++i)
                    if (!std::isfinite(result[size_t(i)]))
                        fail("non-finite output from finite input");
        }
    }

    void editorCall()
    {
        switch (bytes_.below(6))
        {
        case 0:
            plugin_->dispatch(effEditOpen);
            break;
        case 1:
            plugin_->dispatch(effEditClose);
            break;
        case 2:
            plugin_->dispatch(effEditIdle);
            break;
        case 3:
            plugin_->dispatch(bytes_.byte() & 1 ? effEditKeyDown : effEditKeyUp, bytes_.below(256),
                              bytes_.below(60), nullptr, float(bytes_.below(16)));
            break;
        case 4:
            if (frame())
                effect().sdEditor()->tick();
            break;
        default:
            if (frame())
            {
                CDrawContext context(frame());
                frame()->onWheel(&context, point(), bytes_.anyFloat());
            }
            break;
        }
    }

    CPoint point() { return {bytes_.below(780) - 10, bytes_.below(400) - 10}; }

    // A press, held for a few polls and dragged, with any buttons and modifiers.
    void gesture()
    {
        if (!frame())
            return;
        const CPoint start = point();
        const int32_t buttons = bytes_.below(64) | 1;
        pointer_.clear();
        pointer_.then(buttons, start).glide(buttons, point(), bytes_.below(20));
        pointer_.setTicks(pointer_.ticks() + uint32_t(bytes_.below(1000)));
        CDrawContext context(frame());
        frame()->onMouseDown(&context, start, bytes_.byte() & 1 ? -1 : buttons);
    }

    // The host answers one of the plug-in's calls by calling back into it.
    void reactOnce()
    {
        static constexpr VstInt32 kCalls[] = {audioMasterIdle, audioMasterAutomate,
                                              audioMasterBeginEdit};
        const VstInt32 call = kCalls[bytes_.below(3)];
        const int action = bytes_.below(6);
        PluginInstance* plugin = plugin_.get();
        host_.setReaction(call,
                          [plugin, action](AEffect*)
                          {
                              switch (action)
                              {
                              case 0:
                                  plugin->dispatch(effEditClose);
                                  break;
                              case 1:
                                  plugin->dispatch(effEditOpen);
                                  break;
                              case 2:
                                  plugin->dispatch(effEditIdle);
                                  break;
                              case 3:
                                  plugin->dispatch(effSetProgram, 0, 2);
                                  break;
                              case 4:
                                  plugin->close();
                                  break;
                              default:
                                  plugin->setParameter(kParamReset, 1.0f);
                                  break;
                              }
                          });
    }

    // Silence in gives exact silence out once the stages have rung out, at any ordinary rate.
    void expectSilenceToDecay()
    {
        host_.setReaction(audioMasterIdle, nullptr);
        host_.setReaction(audioMasterAutomate, nullptr);
        host_.setReaction(audioMasterBeginEdit, nullptr);
        const int rate = effect().sampleRate();
        if (rate < kLowestCheckedRate || rate > kHighestCheckedRate)
            return;
        std::vector<float> silence(kDecayBlock, 0.0f);
        std::vector<float> left(kDecayBlock), right(kDecayBlock);
        float* in[2] = {silence.data(), silence.data()};
        float* out[2] = {left.data(), right.data()};
        for (int64_t done = 0; done < int64_t(rate) * kDecaySeconds; done += kDecayBlock)
        {
            plugin_->process(in, out, kDecayBlock);
            const auto silent = [](float sample) { return sample == 0.0f; };
            if (std::all_of(left.begin(), left.end(), silent) &&
                std::all_of(right.begin(), right.end(), silent))
                return;
        }
        fail("silence did not decay to silence");
    }

    ByteStream& bytes_;
    PointerScript pointer_;
    HostHarness host_;
    std::unique_ptr<PluginInstance> plugin_;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ByteStream bytes(data, size);
    Session session(bytes);
    session.run();
    return 0;
}
