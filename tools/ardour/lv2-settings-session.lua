-- The session of tools/lv2-settings-in-ardour.sh: one stereo track with the LV2 plug-in on it.
--
-- ardour7-lua lv2-settings-session.lua create SESSION_DIR PLUGIN_URI
--     makes the session on the dummy backend and saves it;
-- ardour7-lua lv2-settings-session.lua reopen SESSION_DIR
--     loads it, as a user reopens a session, and saves it as the snapshot "reopened", which
--     holds the plug-in's state as the loaded session gave it back.

local kSessionName = "settings"
local kTrackName = "VRN"
local kRate = 48000

local mode, dir, uri = arg[1], arg[2], arg[3]

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
        if info.type == ARDOUR.PluginType.LV2 and info.unique_id == uri then
            local processor = ARDOUR.LuaAPI.new_plugin(Session, info.name, info.type, "")
            if processor:isnil() or track:add_processor_by_index(processor, 0, nil, true) ~= 0 then
                fail("Ardour cannot put " .. info.name .. " on the track")
            end
            return
        end
    end
    fail("Ardour did not find the plug-in " .. uri)
end

startDummyBackend()
if mode == "create" then
    if not create_session(dir, kSessionName, kRate) then
        fail("cannot create a session in " .. dir)
    end
    local track = Session:new_audio_track(2, 2, nil, 1, kTrackName, -1, ARDOUR.TrackMode.Normal,
                                          true):front()
    insertPlugin(track)
    track = nil
    Session:save_state("", false, false, false, false, false)
    print("vrn07: session created")
elseif mode == "reopen" then
    if not load_session(dir, kSessionName) then
        fail("cannot load the session in " .. dir)
    end
    Session:save_state("reopened", false, false, false, false, false)
    print("vrn07: session reopened")
else
    fail("unknown mode " .. tostring(mode))
end
collectgarbage()
close_session()
