-- Creates a session with one stereo audio track and records a take of at least FRAMES
-- frames from the dummy backend's silent inputs. The take's region is then cut to exactly
-- FRAMES frames from the session start, and the paths of its channel files are printed, so
-- that the caller can replace them with the file to render.
--
-- ardour7-lua record-take.lua SESSION_DIR SAMPLE_RATE FRAMES BLOCK_FRAMES

local kSessionName = "render"
local kTrackName = "VRN"
-- Recorded past FRAMES, so that the cut region lies wholly inside the take.
local kExtraFrames = 8192
local kPollMicroseconds = 10000

local dir, rate, frames, block = arg[1], tonumber(arg[2]), tonumber(arg[3]), tonumber(arg[4])

local function fail(message)
    print("vrn07-error: " .. message)
    error(message)
end

local function startDummyBackend()
    local backend = AudioEngine:set_backend("None (Dummy)", "", "")
    if backend:isnil() then
        fail("Ardour has no dummy audio backend")
    end
    -- The take's content is replaced afterwards, so it may be recorded faster than real time.
    backend:set_driver("50x Speed")
    backend:set_device_name("Silence")
    backend:set_buffer_size(block)
end

local function waitUntil(condition)
    while not condition() do
        ARDOUR.LuaAPI.usleep(kPollMicroseconds)
    end
end

local function recordTake(track)
    track:rec_enable_control():set_value(1, PBD.GroupControlDisposition.NoGroup)
    Session:maybe_enable_record(false)
    Session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
    waitUntil(function() return Session:transport_sample() >= frames + kExtraFrames end)
    Session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
    waitUntil(function() return Session:transport_stopped() end)
    Session:disable_record(false, false)
    track:rec_enable_control():set_value(0, PBD.GroupControlDisposition.NoGroup)
end

local function cutTake(track)
    local playlist = track:playlist()
    if playlist:n_regions() ~= 1 then
        fail("the recording left " .. playlist:n_regions() .. " regions instead of one")
    end
    local region
    for each in playlist:region_list():iter() do
        region = each:to_audioregion()
    end
    region:set_position(Temporal.timepos_t(0))
    region:set_start(Temporal.timepos_t(0))
    region:set_length(Temporal.timecnt_t(frames))
    for channel = 0, region:n_channels() - 1 do
        print("vrn07-take: " .. channel .. " " .. region:source(channel):to_filesource():path())
    end
end

startDummyBackend()
if not create_session(dir, kSessionName, rate) then
    fail("cannot create a session at " .. rate .. " Hz in " .. dir)
end
print("vrn07: session at " .. Session:nominal_sample_rate() .. " Hz, block " ..
      Session:get_block_size() .. " frames")
local track = Session:new_audio_track(2, 2, nil, 1, kTrackName, -1, ARDOUR.TrackMode.Normal, true)
    :front()
recordTake(track)
cutTake(track)
Session:save_state("", false, false, false, false, false)
-- Session objects held by Lua must be gone before the session is.
track = nil
collectgarbage()
close_session()
print("vrn07: take recorded")
