// The parts of the VST3 binary interface this edition uses, declared from the published
// interface: COM-style classes whose virtual functions keep the published order, 16-byte
// interface ids, and the structures hosts and plug-ins exchange. Only what is used is here.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(_WIN32) && defined(__i386__)
#define VST3_CALL __stdcall
#else
#define VST3_CALL
#endif

namespace vst3
{
using tresult = int32_t;
using TBool = uint8_t;
using TChar = char16_t;
using String128 = TChar[128];
using ParamID = uint32_t;
using ParamValue = double;
using UnitID = int32_t;
using ProgramListID = int32_t;
using SpeakerArrangement = uint64_t;
using FIDString = const char*;
using TUID = char[16];

// Result codes: COM's on Windows, small numbers elsewhere.
#if defined(_WIN32)
constexpr tresult kNoInterface = static_cast<tresult>(0x80004002L);
constexpr tresult kResultOk = 0;
constexpr tresult kResultFalse = 1;
constexpr tresult kInvalidArgument = static_cast<tresult>(0x80070057L);
constexpr tresult kNotImplemented = static_cast<tresult>(0x80004001L);
constexpr tresult kInternalError = static_cast<tresult>(0x80004005L);
constexpr tresult kNotInitialized = static_cast<tresult>(0x8000FFFFL);
#else
constexpr tresult kNoInterface = -1;
constexpr tresult kResultOk = 0;
constexpr tresult kResultFalse = 1;
constexpr tresult kInvalidArgument = 2;
constexpr tresult kNotImplemented = 3;
constexpr tresult kInternalError = 4;
constexpr tresult kNotInitialized = 5;
#endif
constexpr tresult kResultTrue = kResultOk;

// An id written as four 32-bit numbers. Windows lays the first eight bytes out as a COM GUID
// (the first number little-endian, then two 16-bit halves little-endian); elsewhere every
// number is stored big-endian.
struct Uid
{
    char bytes[16];
};

constexpr Uid makeUid(uint32_t l1, uint32_t l2, uint32_t l3, uint32_t l4)
{
    Uid uid{};
    auto byte = [](uint32_t value, int shift)
    { return static_cast<char>((value >> shift) & 0xFF); };
#if defined(_WIN32)
    const int order[8][2] = {{0, 0}, {0, 8}, {0, 16}, {0, 24}, {1, 16}, {1, 24}, {1, 0}, {1, 8}};
    const uint32_t first[2] = {l1, l2};
    for (int i = 0; i < 8; ++i)
        uid.bytes[i] = byte(first[order[i][0]], order[i][1]);
#else
    for (int i = 0; i < 4; ++i)
    {
        uid.bytes[i] = byte(l1, 24 - 8 * i);
        uid.bytes[4 + i] = byte(l2, 24 - 8 * i);
    }
#endif
    for (int i = 0; i < 4; ++i)
    {
        uid.bytes[8 + i] = byte(l3, 24 - 8 * i);
        uid.bytes[12 + i] = byte(l4, 24 - 8 * i);
    }
    return uid;
}

// Whether a host's 16 bytes name this id; a null id names none.
inline bool sameUid(const char* a, const Uid& b)
{
    return a && std::memcmp(a, b.bytes, sizeof(b.bytes)) == 0;
}

// ---------------------------------------------------------------------------- interface ids
namespace iid
{
constexpr Uid kFUnknown = makeUid(0x00000000, 0x00000000, 0xC0000000, 0x00000046);
constexpr Uid kPluginBase = makeUid(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);
constexpr Uid kPluginFactory = makeUid(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);
constexpr Uid kPluginFactory2 = makeUid(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);
constexpr Uid kBStream = makeUid(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);
constexpr Uid kComponent = makeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);
constexpr Uid kAudioProcessor = makeUid(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);
constexpr Uid kComponentHandler = makeUid(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);
constexpr Uid kEditController = makeUid(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);
constexpr Uid kParamValueQueue = makeUid(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);
constexpr Uid kParameterChanges = makeUid(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);
constexpr Uid kUnitInfo = makeUid(0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1);
constexpr Uid kPlugView = makeUid(0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29);
constexpr Uid kPlugFrame = makeUid(0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3);
constexpr Uid kEventHandler = makeUid(0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983);
constexpr Uid kTimerHandler = makeUid(0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9);
constexpr Uid kRunLoop = makeUid(0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389);
} // namespace iid

// ---------------------------------------------------------------------------- base
class FUnknown
{
  public:
    virtual tresult VST3_CALL queryInterface(const TUID iid, void** object) = 0;
    virtual uint32_t VST3_CALL addRef() = 0;
    virtual uint32_t VST3_CALL release() = 0;
};

class IPluginBase : public FUnknown
{
  public:
    virtual tresult VST3_CALL initialize(FUnknown* context) = 0;
    virtual tresult VST3_CALL terminate() = 0;
};

struct PFactoryInfo
{
    enum : int32_t
    {
        kUnicode = 1 << 4,
    };
    char vendor[64];
    char url[256];
    char email[128];
    int32_t flags;
};

struct PClassInfo
{
    static constexpr int32_t kManyInstances = 0x7FFFFFFF;
    TUID cid;
    int32_t cardinality;
    char category[32];
    char name[64];
};

struct PClassInfo2
{
    TUID cid;
    int32_t cardinality;
    char category[32];
    char name[64];
    uint32_t classFlags;
    char subCategories[128];
    char vendor[64];
    char version[64];
    char sdkVersion[64];
};

class IPluginFactory : public FUnknown
{
  public:
    virtual tresult VST3_CALL getFactoryInfo(PFactoryInfo* info) = 0;
    virtual int32_t VST3_CALL countClasses() = 0;
    virtual tresult VST3_CALL getClassInfo(int32_t index, PClassInfo* info) = 0;
    virtual tresult VST3_CALL createInstance(FIDString cid, FIDString iid, void** object) = 0;
};

class IPluginFactory2 : public IPluginFactory
{
  public:
    virtual tresult VST3_CALL getClassInfo2(int32_t index, PClassInfo2* info) = 0;
};

class IBStream : public FUnknown
{
  public:
    enum : int32_t
    {
        kSeekSet = 0,
        kSeekCur = 1,
        kSeekEnd = 2,
    };
    virtual tresult VST3_CALL read(void* buffer, int32_t bytes, int32_t* bytesRead) = 0;
    virtual tresult VST3_CALL write(void* buffer, int32_t bytes, int32_t* bytesWritten) = 0;
    virtual tresult VST3_CALL seek(int64_t position, int32_t mode, int64_t* result) = 0;
    virtual tresult VST3_CALL tell(int64_t* position) = 0;
};

// ---------------------------------------------------------------------------- component
enum MediaType : int32_t
{
    kAudio = 0,
    kEvent = 1,
};
enum BusDirection : int32_t
{
    kInput = 0,
    kOutput = 1,
};
enum BusType : int32_t
{
    kMain = 0,
    kAux = 1,
};

struct BusInfo
{
    enum : uint32_t
    {
        kDefaultActive = 1 << 0,
    };
    int32_t mediaType;
    int32_t direction;
    int32_t channelCount;
    String128 name;
    int32_t busType;
    uint32_t flags;
};

struct RoutingInfo
{
    int32_t mediaType;
    int32_t busIndex;
    int32_t channel;
};

class IComponent : public IPluginBase
{
  public:
    virtual tresult VST3_CALL getControllerClassId(TUID classId) = 0;
    virtual tresult VST3_CALL setIoMode(int32_t mode) = 0;
    virtual int32_t VST3_CALL getBusCount(int32_t type, int32_t direction) = 0;
    virtual tresult VST3_CALL getBusInfo(int32_t type, int32_t direction, int32_t index,
                                         BusInfo& bus) = 0;
    virtual tresult VST3_CALL getRoutingInfo(RoutingInfo& in, RoutingInfo& out) = 0;
    virtual tresult VST3_CALL activateBus(int32_t type, int32_t direction, int32_t index,
                                          TBool state) = 0;
    virtual tresult VST3_CALL setActive(TBool state) = 0;
    virtual tresult VST3_CALL setState(IBStream* state) = 0;
    virtual tresult VST3_CALL getState(IBStream* state) = 0;
};

// ---------------------------------------------------------------------------- processing
constexpr SpeakerArrangement kStereo = 0x3; // left and right
enum SampleSize : int32_t
{
    kSample32 = 0,
    kSample64 = 1,
};

struct ProcessSetup
{
    int32_t processMode;
    int32_t symbolicSampleSize;
    int32_t maxSamplesPerBlock;
    double sampleRate;
};

struct AudioBusBuffers
{
    int32_t numChannels;
    uint64_t silenceFlags;
    union
    {
        float** channelBuffers32;
        double** channelBuffers64;
    };
};

class IParamValueQueue : public FUnknown
{
  public:
    virtual ParamID VST3_CALL getParameterId() = 0;
    virtual int32_t VST3_CALL getPointCount() = 0;
    virtual tresult VST3_CALL getPoint(int32_t index, int32_t& sampleOffset, ParamValue& value) = 0;
    virtual tresult VST3_CALL addPoint(int32_t sampleOffset, ParamValue value, int32_t& index) = 0;
};

class IParameterChanges : public FUnknown
{
  public:
    virtual int32_t VST3_CALL getParameterCount() = 0;
    virtual IParamValueQueue* VST3_CALL getParameterData(int32_t index) = 0;
    virtual IParamValueQueue* VST3_CALL addParameterData(const ParamID& id, int32_t& index) = 0;
};

struct ProcessData
{
    int32_t processMode;
    int32_t symbolicSampleSize;
    int32_t numSamples;
    int32_t numInputs;
    int32_t numOutputs;
    AudioBusBuffers* inputs;
    AudioBusBuffers* outputs;
    IParameterChanges* inputParameterChanges;
    IParameterChanges* outputParameterChanges;
    void* inputEvents;
    void* outputEvents;
    void* processContext;
};

class IAudioProcessor : public FUnknown
{
  public:
    virtual tresult VST3_CALL setBusArrangements(SpeakerArrangement* inputs, int32_t inputCount,
                                                 SpeakerArrangement* outputs,
                                                 int32_t outputCount) = 0;
    virtual tresult VST3_CALL getBusArrangement(int32_t direction, int32_t index,
                                                SpeakerArrangement& arrangement) = 0;
    virtual tresult VST3_CALL canProcessSampleSize(int32_t symbolicSampleSize) = 0;
    virtual uint32_t VST3_CALL getLatencySamples() = 0;
    virtual tresult VST3_CALL setupProcessing(ProcessSetup& setup) = 0;
    virtual tresult VST3_CALL setProcessing(TBool state) = 0;
    virtual tresult VST3_CALL process(ProcessData& data) = 0;
    virtual uint32_t VST3_CALL getTailSamples() = 0;
};

// ---------------------------------------------------------------------------- controller
struct ParameterInfo
{
    enum : int32_t
    {
        kCanAutomate = 1 << 0,
        kIsList = 1 << 3,
        kIsProgramChange = 1 << 15,
        kIsBypass = 1 << 16,
    };
    ParamID id;
    String128 title;
    String128 shortTitle;
    String128 units;
    int32_t stepCount;
    ParamValue defaultNormalizedValue;
    UnitID unitId;
    int32_t flags;
};

enum RestartFlags : int32_t
{
    kParamValuesChanged = 1 << 2,
    kLatencyChanged = 1 << 3,
};

class IComponentHandler : public FUnknown
{
  public:
    virtual tresult VST3_CALL beginEdit(ParamID id) = 0;
    virtual tresult VST3_CALL performEdit(ParamID id, ParamValue normalized) = 0;
    virtual tresult VST3_CALL endEdit(ParamID id) = 0;
    virtual tresult VST3_CALL restartComponent(int32_t flags) = 0;
};

class IPlugView;

class IEditController : public IPluginBase
{
  public:
    virtual tresult VST3_CALL setComponentState(IBStream* state) = 0;
    virtual tresult VST3_CALL setState(IBStream* state) = 0;
    virtual tresult VST3_CALL getState(IBStream* state) = 0;
    virtual int32_t VST3_CALL getParameterCount() = 0;
    virtual tresult VST3_CALL getParameterInfo(int32_t index, ParameterInfo& info) = 0;
    virtual tresult VST3_CALL getParamStringByValue(ParamID id, ParamValue normalized,
                                                    String128 text) = 0;
    virtual tresult VST3_CALL getParamValueByString(ParamID id, TChar* text,
                                                    ParamValue& normalized) = 0;
    virtual ParamValue VST3_CALL normalizedParamToPlain(ParamID id, ParamValue normalized) = 0;
    virtual ParamValue VST3_CALL plainParamToNormalized(ParamID id, ParamValue plain) = 0;
    virtual ParamValue VST3_CALL getParamNormalized(ParamID id) = 0;
    virtual tresult VST3_CALL setParamNormalized(ParamID id, ParamValue normalized) = 0;
    virtual tresult VST3_CALL setComponentHandler(IComponentHandler* handler) = 0;
    virtual IPlugView* VST3_CALL createView(FIDString name) = 0;
};

// ---------------------------------------------------------------------------- units
constexpr UnitID kRootUnitId = 0;
constexpr UnitID kNoParentUnitId = -1;

struct UnitInfo
{
    UnitID id;
    UnitID parentUnitId;
    String128 name;
    ProgramListID programListId;
};

struct ProgramListInfo
{
    ProgramListID id;
    String128 name;
    int32_t programCount;
};

class IUnitInfo : public FUnknown
{
  public:
    virtual int32_t VST3_CALL getUnitCount() = 0;
    virtual tresult VST3_CALL getUnitInfo(int32_t index, UnitInfo& info) = 0;
    virtual int32_t VST3_CALL getProgramListCount() = 0;
    virtual tresult VST3_CALL getProgramListInfo(int32_t index, ProgramListInfo& info) = 0;
    virtual tresult VST3_CALL getProgramName(ProgramListID list, int32_t program,
                                             String128 name) = 0;
    virtual tresult VST3_CALL getProgramInfo(ProgramListID list, int32_t program,
                                             const char* attribute, String128 value) = 0;
    virtual tresult VST3_CALL hasProgramPitchNames(ProgramListID list, int32_t program) = 0;
    virtual tresult VST3_CALL getProgramPitchName(ProgramListID list, int32_t program,
                                                  int16_t pitch, String128 name) = 0;
    virtual UnitID VST3_CALL getSelectedUnit() = 0;
    virtual tresult VST3_CALL selectUnit(UnitID unit) = 0;
    virtual tresult VST3_CALL getUnitByBus(int32_t type, int32_t direction, int32_t bus,
                                           int32_t channel, UnitID& unit) = 0;
    virtual tresult VST3_CALL setUnitProgramData(int32_t listOrUnit, int32_t program,
                                                 IBStream* data) = 0;
};

// ---------------------------------------------------------------------------- view
constexpr char kPlatformTypeHwnd[] = "HWND";
constexpr char kPlatformTypeX11[] = "X11EmbedWindowID";
constexpr char kEditorViewType[] = "editor";

struct ViewRect
{
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

class IPlugFrame;

class IPlugView : public FUnknown
{
  public:
    virtual tresult VST3_CALL isPlatformTypeSupported(FIDString type) = 0;
    virtual tresult VST3_CALL attached(void* parent, FIDString type) = 0;
    virtual tresult VST3_CALL removed() = 0;
    virtual tresult VST3_CALL onWheel(float distance) = 0;
    virtual tresult VST3_CALL onKeyDown(TChar key, int16_t keyCode, int16_t modifiers) = 0;
    virtual tresult VST3_CALL onKeyUp(TChar key, int16_t keyCode, int16_t modifiers) = 0;
    virtual tresult VST3_CALL getSize(ViewRect* size) = 0;
    virtual tresult VST3_CALL onSize(ViewRect* size) = 0;
    virtual tresult VST3_CALL onFocus(TBool state) = 0;
    virtual tresult VST3_CALL setFrame(IPlugFrame* frame) = 0;
    virtual tresult VST3_CALL canResize() = 0;
    virtual tresult VST3_CALL checkSizeConstraint(ViewRect* rect) = 0;
};

class IPlugFrame : public FUnknown
{
  public:
    virtual tresult VST3_CALL resizeView(IPlugView* view, ViewRect* size) = 0;
};

// The host's run loop on Linux, found through the view's frame.
class IEventHandler : public FUnknown
{
  public:
    virtual void VST3_CALL onFDIsSet(int fd) = 0;
};

class ITimerHandler : public FUnknown
{
  public:
    virtual void VST3_CALL onTimer() = 0;
};

class IRunLoop : public FUnknown
{
  public:
    virtual tresult VST3_CALL registerEventHandler(IEventHandler* handler, int fd) = 0;
    virtual tresult VST3_CALL unregisterEventHandler(IEventHandler* handler) = 0;
    virtual tresult VST3_CALL registerTimer(ITimerHandler* handler, uint64_t milliseconds) = 0;
    virtual tresult VST3_CALL unregisterTimer(ITimerHandler* handler) = 0;
};

// ---------------------------------------------------------------------------- module
using GetFactoryFunction = IPluginFactory*(VST3_CALL*)();
} // namespace vst3
