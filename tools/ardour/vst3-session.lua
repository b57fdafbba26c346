-- The session of tools/vst3-in-ardour.sh: one stereo track with the VST3 plug-in on it.
--
-- ardour7-lua vst3-session.lua create SESSION_DIR UID
--     makes the session on the dummy backend and saves it;
-- ardour7-lua vst3-session.lua reopen SESSION_DIR
--     loads it, as a user reopens a session, and prints what the plug-in holds: its latency
--     and the value of each parameter.

local kSessionName = "vst3"
local kTrackName = "VRN"
local kRate = 48000

local mode, dir, uid = arg[1], arg[2], arg[3]

local function fail(message)
    print("vrn07-error: " .. message)
    error(message)
end

local function startDummyBackend()
    local backend = AudioEngine:set_backend("None (Dummy)", "", "")
    if backend:isnil() then
        fail("Ardour has no dummy audio backend")
    end
    backend:set_device_name("Silence")
end

local function insertPlugin(track)
    for info in ARDOUR.LuaAPI.list_plugins():iter() do
        if info.type == ARDOUR.PluginType.VST3 and info.unique_id == uid then
            local processor = ARDOUR.LuaAPI.new_plugin(Session, info.name, info.type, "")
            if processor:isnil() or track:add_processor_by_index(processor, 0, nil, true) ~= 0 then
                fail("Ardour cannot put " .. info.name .. " on the track")
            end
            return
        end
    end
    fail("Ardour did not find the VST3 plug-in " .. uid)
end

-- The parameter number Ardour gives the control of this name.
local function parameterNumber(plugin, label)
    for i = 0, plugin:parameter_count() - 1 do
        local port = plugin:nth_parameter(i, true)
        if plugin:parameter_is_input(port) and plugin:parameter_label(port) == label then
            return i
        end
    end
    fail("the plug-in has no parameter " .. label)
end

-- The Limiter Gain lane records the user's gestures while the transport rolls.
local function touchLimiterGain(track)
    local processor = track:nth_plugin(0)
    local number = parameterNumber(processor:to_plugininsert():plugin(0), "Limiter Gain")
    local control = processor:to_automatable():automation_control(
                        Evoral.Parameter(ARDOUR.AutomationType.PluginAutomation, 0, number), true)
    control:set_automation_state(ARDOUR.AutoState.Touch)
end

local function report(track)
    local processor = track:nth_plugin(0)
    if processor:isnil() then
        fail("the track holds no plug-in")
    end
    local plugin = processor:to_plugininsert():plugin(0)
    print(string.format("vrn07: plug-in \"%s\", latency %d frames", plugin:name(),
                        processor:signal_latency()))
    for i = 0, plugin:parameter_count() - 1 do
        local port = plugin:nth_parameter(i, true)
        if plugin:parameter_is_input(port) then
            local list = ARDOUR.LuaAPI.plugin_automation(processor, i)
            print(string.format("vrn07: parameter %s = %.6g, %d automation events",
                                plugin:parameter_label(port),
                                ARDOUR.LuaAPI.get_processor_param(processor, i, true),
                                list:isnil() and 0 or list:events():size()))
        end
    end
end

startDummyBackend()
if mode == "create" then
    if not create_session(dir, kSessionName, kRate) then
        fail("cannot create a session in " .. dir)
    end
    local track = Session:new_audio_track(2, 2, nil, 1, kTrackName, -1, ARDOUR.TrackMode.Normal,
                                          true):front()
    insertPlugin(track)
    touchLimiterGain(track)
    report(track)
    track = nil
    Session:save_state("", false, false, false, false, false)
    print("vrn07: session created")
elseif mode == "reopen" then
    if not load_session(dir, kSessionName) then
        fail("cannot load the session in " .. dir)
    end
    report(Session:route_by_name(kTrackName):to_track())
    print("vrn07: session reopened")
else
    fail("unknown mode " .. tostring(mode))
end
collectgarbage()
close_session()
