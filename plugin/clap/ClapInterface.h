// The CLAP 1.x binary interface: the records, entry points, string ids and numbers a host and a
// plug-in exchange. Written from the published ABI; only what this plug-in and its test host
// use.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define CLAP_CALL __cdecl
#else
#define CLAP_CALL
#endif

extern "C"
{

    using clap_id = uint32_t;
    constexpr clap_id kClapInvalidId = UINT32_MAX;

    // Fixed text fields, terminator included.
    constexpr uint32_t kClapNameSize = 256;
    constexpr uint32_t kClapPathSize = 1024;

    struct clap_version_t
    {
        uint32_t major;
        uint32_t minor;
        uint32_t revision;
    };
    // The interface version this plug-in is built against.
    constexpr clap_version_t kClapVersion = {1, 2, 0};

    // ------------------------------------------------------------------------------ host

    struct clap_host_t
    {
        clap_version_t clap_version;
        void* host_data;
        const char* name;
        const char* vendor;
        const char* url;
        const char* version;
        const void*(CLAP_CALL* get_extension)(const clap_host_t* host, const char* extension_id);
        void(CLAP_CALL* request_restart)(const clap_host_t* host);
        void(CLAP_CALL* request_process)(const clap_host_t* host);
        void(CLAP_CALL* request_callback)(const clap_host_t* host);
    };

    // ------------------------------------------------------------------------------ events

    struct clap_event_header_t
    {
        uint32_t size; // of the whole event
        uint32_t time; // frame offset in the block
        uint16_t space_id;
        uint16_t type;
        uint32_t flags;
    };

    constexpr uint16_t kClapCoreEventSpace = 0;
    enum : uint16_t
    {
        kClapEventParamValue = 5,
        kClapEventParamGestureBegin = 7,
        kClapEventParamGestureEnd = 8,
    };
    constexpr uint32_t kClapEventIsLive = 1u << 0;

    struct clap_event_param_value_t
    {
        clap_event_header_t header;
        clap_id param_id;
        void* cookie;
        int32_t note_id;
        int16_t port_index;
        int16_t channel;
        int16_t key;
        double value;
    };

    struct clap_event_param_gesture_t
    {
        clap_event_header_t header;
        clap_id param_id;
    };

    struct clap_input_events_t
    {
        void* ctx;
        uint32_t(CLAP_CALL* size)(const clap_input_events_t* list);
        const clap_event_header_t*(CLAP_CALL* get)(const clap_input_events_t* list, uint32_t index);
    };

    struct clap_output_events_t
    {
        void* ctx;
        bool(CLAP_CALL* try_push)(const clap_output_events_t* list,
                                  const clap_event_header_t* event);
    };

    // ------------------------------------------------------------------------------ process

    struct clap_audio_buffer_t
    {
        float** data32;
        double** data64;
        uint32_t channel_count;
        uint32_t latency;
        uint64_t constant_mask;
    };

    struct clap_process_t
    {
        int64_t steady_time;
        uint32_t frames_count;
        const void* transport;
        const clap_audio_buffer_t* audio_inputs;
        clap_audio_buffer_t* audio_outputs;
        uint32_t audio_inputs_count;
        uint32_t audio_outputs_count;
        const clap_input_events_t* in_events;
        const clap_output_events_t* out_events;
    };

    using clap_process_status = int32_t;
    enum : clap_process_status
    {
        kClapProcessError = 0,
        kClapProcessContinue = 1,
    };

    // ------------------------------------------------------------------------------ plug-in

    struct clap_plugin_descriptor_t
    {
        clap_version_t clap_version;
        const char* id;
        const char* name;
        const char* vendor;
        const char* url;
        const char* manual_url;
        const char* support_url;
        const char* version;
        const char* description;
        const char* const* features; // null-terminated
    };

    struct clap_plugin_t
    {
        const clap_plugin_descriptor_t* desc;
        void* plugin_data;
        bool(CLAP_CALL* init)(const clap_plugin_t* plugin);
        void(CLAP_CALL* destroy)(const clap_plugin_t* plugin);
        bool(CLAP_CALL* activate)(const clap_plugin_t* plugin, double sample_rate,
                                  uint32_t min_frames_count, uint32_t max_frames_count);
        void(CLAP_CALL* deactivate)(const clap_plugin_t* plugin);
        bool(CLAP_CALL* start_processing)(const clap_plugin_t* plugin);
        void(CLAP_CALL* stop_processing)(const clap_plugin_t* plugin);
        void(CLAP_CALL* reset)(const clap_plugin_t* plugin);
        clap_process_status(CLAP_CALL* process)(const clap_plugin_t* plugin,
                                                const clap_process_t* process);
        const void*(CLAP_CALL* get_extension)(const clap_plugin_t* plugin, const char* id);
        void(CLAP_CALL* on_main_thread)(const clap_plugin_t* plugin);
    };

    constexpr char kClapPluginFactoryId[] = "clap.plugin-factory";

    struct clap_plugin_factory_t
    {
        uint32_t(CLAP_CALL* get_plugin_count)(const clap_plugin_factory_t* factory);
        const clap_plugin_descriptor_t*(CLAP_CALL* get_plugin_descriptor)(
            const clap_plugin_factory_t* factory, uint32_t index);
        const clap_plugin_t*(CLAP_CALL* create_plugin)(const clap_plugin_factory_t* factory,
                                                       const clap_host_t* host,
                                                       const char* plugin_id);
    };

    struct clap_plugin_entry_t
    {
        clap_version_t clap_version;
        bool(CLAP_CALL* init)(const char* plugin_path);
        void(CLAP_CALL* deinit)();
        const void*(CLAP_CALL* get_factory)(const char* factory_id);
    };

    // ------------------------------------------------------------------------------ audio-ports

    constexpr char kClapExtAudioPorts[] = "clap.audio-ports";
    constexpr char kClapPortStereo[] = "stereo";
    constexpr uint32_t kClapAudioPortIsMain = 1u << 0;

    struct clap_audio_port_info_t
    {
        clap_id id;
        char name[kClapNameSize];
        uint32_t flags;
        uint32_t channel_count;
        const char* port_type;
        clap_id in_place_pair;
    };

    struct clap_plugin_audio_ports_t
    {
        uint32_t(CLAP_CALL* count)(const clap_plugin_t* plugin, bool is_input);
        bool(CLAP_CALL* get)(const clap_plugin_t* plugin, uint32_t index, bool is_input,
                             clap_audio_port_info_t* info);
    };

    // ------------------------------------------------------------------------------ params

    constexpr char kClapExtParams[] = "clap.params";
    enum : uint32_t
    {
        kClapParamIsStepped = 1u << 0,
        kClapParamIsAutomatable = 1u << 5,
        kClapParamRequiresProcess = 1u << 15,
        kClapParamIsEnum = 1u << 16,
    };
    constexpr uint32_t kClapParamRescanValues = 1u << 0;

    struct clap_param_info_t
    {
        clap_id id;
        uint32_t flags;
        void* cookie;
        char name[kClapNameSize];
        char module[kClapPathSize];
        double min_value;
        double max_value;
        double default_value;
    };

    struct clap_plugin_params_t
    {
        uint32_t(CLAP_CALL* count)(const clap_plugin_t* plugin);
        bool(CLAP_CALL* get_info)(const clap_plugin_t* plugin, uint32_t param_index,
                                  clap_param_info_t* info);
        bool(CLAP_CALL* get_value)(const clap_plugin_t* plugin, clap_id param_id, double* value);
        bool(CLAP_CALL* value_to_text)(const clap_plugin_t* plugin, clap_id param_id, double value,
                                       char* text, uint32_t capacity);
        bool(CLAP_CALL* text_to_value)(const clap_plugin_t* plugin, clap_id param_id,
                                       const char* text, double* value);
        void(CLAP_CALL* flush)(const clap_plugin_t* plugin, const clap_input_events_t* in,
                               const clap_output_events_t* out);
    };

    struct clap_host_params_t
    {
        void(CLAP_CALL* rescan)(const clap_host_t* host, uint32_t flags);
        void(CLAP_CALL* clear)(const clap_host_t* host, clap_id param_id, uint32_t flags);
        void(CLAP_CALL* request_flush)(const clap_host_t* host);
    };

    // ------------------------------------------------------------------------------ latency

    constexpr char kClapExtLatency[] = "clap.latency";

    struct clap_plugin_latency_t
    {
        uint32_t(CLAP_CALL* get)(const clap_plugin_t* plugin);
    };

    struct clap_host_latency_t
    {
        void(CLAP_CALL* changed)(const clap_host_t* host);
    };

    // ------------------------------------------------------------------------------ state

    constexpr char kClapExtState[] = "clap.state";

    struct clap_istream_t
    {
        void* ctx;
        // Bytes read; 0 at the end, negative on an error.
        int64_t(CLAP_CALL* read)(const clap_istream_t* stream, void* buffer, uint64_t size);
    };

    struct clap_ostream_t
    {
        void* ctx;
        // Bytes written, maybe fewer than asked; negative on an error.
        int64_t(CLAP_CALL* write)(const clap_ostream_t* stream, const void* buffer, uint64_t size);
    };

    struct clap_plugin_state_t
    {
        bool(CLAP_CALL* save)(const clap_plugin_t* plugin, const clap_ostream_t* stream);
        bool(CLAP_CALL* load)(const clap_plugin_t* plugin, const clap_istream_t* stream);
    };

    struct clap_host_state_t
    {
        void(CLAP_CALL* mark_dirty)(const clap_host_t* host);
    };

    // ------------------------------------------------------------------------------ gui

    constexpr char kClapExtGui[] = "clap.gui";
    constexpr char kClapWindowApiX11[] = "x11";
    constexpr char kClapWindowApiWin32[] = "win32";

    struct clap_window_t
    {
        const char* api;
        union
        {
            void* cocoa;
            unsigned long x11;
            void* win32;
            void* ptr;
        };
    };

    struct clap_gui_resize_hints_t
    {
        bool can_resize_horizontally;
        bool can_resize_vertically;
        bool preserve_aspect_ratio;
        uint32_t aspect_ratio_width;
        uint32_t aspect_ratio_height;
    };

    struct clap_plugin_gui_t
    {
        bool(CLAP_CALL* is_api_supported)(const clap_plugin_t* plugin, const char* api,
                                          bool is_floating);
        bool(CLAP_CALL* get_preferred_api)(const clap_plugin_t* plugin, const char** api,
                                           bool* is_floating);
        bool(CLAP_CALL* create)(const clap_plugin_t* plugin, const char* api, bool is_floating);
        void(CLAP_CALL* destroy)(const clap_plugin_t* plugin);
        bool(CLAP_CALL* set_scale)(const clap_plugin_t* plugin, double scale);
        bool(CLAP_CALL* get_size)(const clap_plugin_t* plugin, uint32_t* width, uint32_t* height);
        bool(CLAP_CALL* can_resize)(const clap_plugin_t* plugin);
        bool(CLAP_CALL* get_resize_hints)(const clap_plugin_t* plugin,
                                          clap_gui_resize_hints_t* hints);
        bool(CLAP_CALL* adjust_size)(const clap_plugin_t* plugin, uint32_t* width,
                                     uint32_t* height);
        bool(CLAP_CALL* set_size)(const clap_plugin_t* plugin, uint32_t width, uint32_t height);
        bool(CLAP_CALL* set_parent)(const clap_plugin_t* plugin, const clap_window_t* window);
        bool(CLAP_CALL* set_transient)(const clap_plugin_t* plugin, const clap_window_t* window);
        void(CLAP_CALL* suggest_title)(const clap_plugin_t* plugin, const char* title);
        bool(CLAP_CALL* show)(const clap_plugin_t* plugin);
        bool(CLAP_CALL* hide)(const clap_plugin_t* plugin);
    };

    constexpr char kClapExtTimerSupport[] = "clap.timer-support";

    struct clap_plugin_timer_support_t
    {
        void(CLAP_CALL* on_timer)(const clap_plugin_t* plugin, clap_id timer_id);
    };

    struct clap_host_timer_support_t
    {
        bool(CLAP_CALL* register_timer)(const clap_host_t* host, uint32_t period_ms,
                                        clap_id* timer_id);
        bool(CLAP_CALL* unregister_timer)(const clap_host_t* host, clap_id timer_id);
    };

    constexpr char kClapExtPosixFdSupport[] = "clap.posix-fd-support";
    constexpr uint32_t kClapPosixFdRead = 1u << 0;

    struct clap_plugin_posix_fd_support_t
    {
        void(CLAP_CALL* on_fd)(const clap_plugin_t* plugin, int fd, uint32_t flags);
    };

    struct clap_host_posix_fd_support_t
    {
        bool(CLAP_CALL* register_fd)(const clap_host_t* host, int fd, uint32_t flags);
        bool(CLAP_CALL* modify_fd)(const clap_host_t* host, int fd, uint32_t flags);
        bool(CLAP_CALL* unregister_fd)(const clap_host_t* host, int fd);
    };

} // extern "C"
