-- Loads the session that record-take.lua made (its take replaced by the file to render),
-- checks that the track's mixer leaves a stereo signal as it is, and exports the session
-- twice to 32-bit float WAV in SESSION_DIR/export: through.wav as it is, then vrn07.wav with
-- the plug-in first on the track, set to a program and then to the settings. The plug-in is
-- either the VST plug-in at PLUGIN_PATH, with PROGRAM its program number and the settings
-- normalised parameter values given as INDEX=VALUE, or the LV2 plug-in PLUGIN_URI, with
-- PRESET_URI its preset and the settings real values given as NAME=VALUE, or the VST3
-- plug-in of class id UID, with PROGRAM_NAME its program and the settings real values given
-- as NAME=VALUE.
--
-- ardour7-lua render-session.lua SESSION_DIR FRAMES BLOCK_FRAMES PLUGIN_PATH PROGRAM [INDEX=VALUE]...
-- ardour7-lua render-session.lua SESSION_DIR FRAMES BLOCK_FRAMES PLUGIN_URI PRESET_URI [NAME=VALUE]...
-- ardour7-lua render-session.lua SESSION_DIR FRAMES BLOCK_FRAMES VST3:UID PROGRAM_NAME [NAME=VALUE]...

local kSessionName = "render"
local kTrackName = "VRN"
-- tools/ardour/export/vrn07-float.preset: float WAV at the session rate, no dither, no
-- normalisation, no silence trimming, named after the export's name.
local kExportPreset = "d22f95c3-a15f-4e64-bc74-54f081e2fafd"
-- Process cycles to wait for a program change to reach the plug-in.
local kSettleCycles = 8
local kSettleTimeoutMs = 5000

local dir, frames, block = arg[1], tonumber(arg[2]), tonumber(arg[3])
local pluginPath, program = arg[4], arg[5]
-- A VST plug-in is named by its absolute path, a VST3 plug-in by "VST3:" and its class id,
-- an LV2 plug-in by its URI.
local vst3Uid = pluginPath:match("^VST3:(%x+)$")
local isLv2 = pluginPath:sub(1, 1) ~= "/" and not vst3Uid

local function fail(message)
    print("vrn07-error: " .. message)
    error(message)
end

local function settings()
    local list = {}
    for i = 6, #arg do
        local key, value = arg[i]:match("^(.-)=([^=]+)$")
        list[#list + 1] = {key = key, value = tonumber(value)}
    end
    return list
end

-- The region plays the take from its first frame at the session start, without fades,
-- envelope or region gain.
local function checkRegion(track)
    local playlist = track:playlist()
    if playlist:n_regions() ~= 1 then
        fail("the track holds " .. playlist:n_regions() .. " regions instead of one")
    end
    local region
    for each in playlist:region_list():iter() do
        region = each:to_audioregion()
    end
    region:set_fade_in_active(false)
    region:set_fade_out_active(false)
    region:set_envelope_active(false)
    local position, start, length = region:position():samples(), region:start():samples(),
                                    region:length():samples()
    print(string.format("vrn07: region at %d, take offset %d, %d frames, gain %g", position,
                        start, length, region:scale_amplitude()))
    if position ~= 0 or start ~= 0 or length ~= frames or region:scale_amplitude() ~= 1 then
        fail("the region does not play the take as it is")
    end
end

-- Every gain stage of the track and the master bus is at unity and each panner sits at the
-- centre at full width, where a stereo panner passes each channel straight through;
-- through.wav then shows it on the samples.
local function checkMixer(track)
    local report = {}
    local function expect(name, control, value)
        if control:isnil() then
            return
        end
        report[#report + 1] = string.format("%s %g", name, control:get_value())
        if control:get_value() ~= value then
            fail(name .. " is not at " .. value)
        end
    end
    for _, route in ipairs({track, Session:master_out()}) do
        local name = route:name()
        expect(name .. " gain", route:gain_control(), 1)
        expect(name .. " trim", route:trim_control(), 1)
        expect(name .. " pan", route:pan_azimuth_control(), 0.5)
        expect(name .. " width", route:pan_width_control(), 1)
    end
    print("vrn07: " .. table.concat(report, ", "))
end

local function export(name)
    local exporter = Session:simple_export()
    exporter:set_folder(dir .. "/export")
    exporter:set_name(name)
    exporter:set_range(0, frames)
    if not exporter:set_preset(kExportPreset) then
        fail("Ardour does not know the export preset " .. kExportPreset)
    end
    if not exporter:check_outputs() then
        fail("the master bus has no outputs to export")
    end
    local started = ARDOUR.LuaAPI.monotonic_time()
    local done = exporter:run_export()
    print(string.format("vrn07: export %s %s in %.2f s", name, done and "done" or "failed",
                        (ARDOUR.LuaAPI.monotonic_time() - started) / 1e6))
    if not done then
        fail("the export of " .. name .. " failed")
    end
end

local function findPlugin()
    for info in ARDOUR.LuaAPI.list_plugins():iter() do
        if isLv2 and info.type == ARDOUR.PluginType.LV2 and info.unique_id == pluginPath then
            return info
        end
        if vst3Uid and info.type == ARDOUR.PluginType.VST3 and info.unique_id == vst3Uid then
            return info
        end
        if not isLv2 and not vst3Uid and info.type == ARDOUR.PluginType.LXVST and info.path ==
            pluginPath then
            return info
        end
    end
    fail("Ardour did not find the plug-in " .. pluginPath)
end

local function insertPlugin(track)
    local info = findPlugin()
    local processor = ARDOUR.LuaAPI.new_plugin(Session, info.name, info.type, "")
    if processor:isnil() then
        fail("Ardour cannot instantiate " .. info.name)
    end
    if track:add_processor_by_index(processor, 0, nil, true) ~= 0 then
        fail("Ardour cannot insert " .. info.name .. " on the track")
    end
    print(string.format("vrn07: inserted \"%s\" (%s), %d parameters, latency %d frames",
                        info.name, info.unique_id, processor:to_plugininsert():plugin(0)
                            :parameter_count(), processor:signal_latency()))
    return processor
end

-- Ardour addresses a VST program as the preset VST:<unique id>:<program, 4 digits>, an LV2
-- preset by its URI, a VST3 program by its name.
local function selectProgram(processor)
    local plugin = processor:to_plugininsert():plugin(0)
    local preset
    if vst3Uid then
        preset = plugin:preset_by_label(program)
    else
        local uri = isLv2 and program
                        or string.format("VST:%s:%04d", plugin:unique_id(), tonumber(program))
        preset = plugin:preset_by_uri(uri)
    end
    if not preset.valid or not plugin:load_preset(preset) then
        fail("the plug-in has no program " .. program)
    end
    ARDOUR.LuaAPI.wait_for_process_callback(kSettleCycles, kSettleTimeoutMs)
    print(string.format("vrn07: program %s \"%s\"", program, preset.label))
end

local function asFloat(value)
    return (string.unpack("f", string.pack("f", value)))
end

-- A VST parameter's number is its index; an LV2 or VST3 control is found by its name.
local function parameterNumber(processor, key)
    if not isLv2 and not vst3Uid then
        return tonumber(key)
    end
    local plugin = processor:to_plugininsert():plugin(0)
    for i = 0, plugin:parameter_count() - 1 do
        local port = plugin:nth_parameter(i, true)
        if plugin:parameter_is_input(port) and plugin:parameter_label(port) == key then
            return i
        end
    end
    fail("the plug-in has no control named " .. key)
end

local function applySettings(processor)
    for _, setting in ipairs(settings()) do
        local index = parameterNumber(processor, setting.key)
        if not ARDOUR.LuaAPI.set_processor_param(processor, index, setting.value) then
            fail("cannot set parameter " .. setting.key)
        end
        local readBack = ARDOUR.LuaAPI.get_processor_param(processor, index, true)
        print(string.format("vrn07: parameter %s set to %.9g, reads %.9g%s", setting.key,
                            asFloat(setting.value), readBack,
                            readBack == asFloat(setting.value) and "" or " (differs)"))
    end
end

AudioEngine:set_backend("None (Dummy)", "", ""):set_buffer_size(block)
if not load_session(dir, kSessionName) then
    fail("cannot load the session in " .. dir)
end
print("vrn07: session at " .. Session:nominal_sample_rate() .. " Hz, block " ..
      Session:get_block_size() .. " frames")
-- No fades anywhere: Ardour fades a track in when the transport starts or when the track
-- switches between its input and its disk, which can fall on the first frames exported.
Session:cfg():set_use_region_fades(false)
Session:cfg():set_use_transport_fades(false)
Session:cfg():set_use_monitor_fades(false)
local track = Session:route_by_name(kTrackName):to_track()
track:monitoring_control():set_value(ARDOUR.MonitorChoice.MonitorDisk,
                                     PBD.GroupControlDisposition.NoGroup)
checkRegion(track)
checkMixer(track)
export("through")
local processor = insertPlugin(track)
selectProgram(processor)
applySettings(processor)
export("vrn07")
-- Session objects held by Lua must be gone before the session is.
track, processor = nil, nil
collectgarbage()
close_session()
print("vrn07: exported")
