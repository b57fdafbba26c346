-- Creates a session with two stereo tracks, "VST" with the VST 2.4 plug-in at PLUGIN_PATH and
-- "LV2" with the LV2 plug-in PLUGIN_URI, and prints the name under which Ardour keeps the
-- state of each plug-in's window in its configuration ("P-<route id>-<plug-in id>"), so that
-- the caller can have Ardour open the editor it wants when it loads the session.
--
-- ardour7-lua editor-session.lua SESSION_DIR PLUGIN_PATH PLUGIN_URI

local kSessionName = "editor"
local kRate = 48000

local dir, pluginPath, pluginUri = arg[1], arg[2], arg[3]

local function fail(message)
    print("vrn07-error: " .. message)
    error(message)
end

local function findPlugin(type, id)
    for info in ARDOUR.LuaAPI.list_plugins():iter() do
        if info.type == type and (info.unique_id == id or info.path == id) then
            return info
        end
    end
    fail("Ardour did not find the plug-in " .. id)
end

local function addTrack(name, type, id)
    local track = Session:new_audio_track(2, 2, nil, 1, name, -1, ARDOUR.TrackMode.Normal, true)
        :front()
    local info = findPlugin(type, id)
    local processor = ARDOUR.LuaAPI.new_plugin(Session, info.name, info.type, "")
    if processor:isnil() or track:add_processor_by_index(processor, 0, nil, true) ~= 0 then
        fail("Ardour cannot insert " .. info.name .. " on the track " .. name)
    end
    print("vrn07-window: " .. name .. " P-" .. track:to_stateful():id():to_s() .. "-" ..
              processor:to_stateful():id():to_s())
end

local backend = AudioEngine:set_backend("None (Dummy)", "", "")
if backend:isnil() then
    fail("Ardour has no dummy audio backend")
end
backend:set_device_name("Silence")
if not create_session(dir, kSessionName, kRate) then
    fail("cannot create a session in " .. dir)
end
addTrack("VST", ARDOUR.PluginType.LXVST, pluginPath)
addTrack("LV2", ARDOUR.PluginType.LV2, pluginUri)
Session:save_state("", false, false, false, false, false)
close_session()
