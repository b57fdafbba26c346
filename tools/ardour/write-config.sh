#!/bin/sh
# Writes the configuration the Ardour scripts run Ardour 7 with: the dummy backend ("Silence",
# 48 kHz, 1024 frames), started at once, and a VST 2.4 folder to search.
# usage: write-config.sh CONFIG_FILE [LXVST_FOLDER]
set -eu
cat > "$1" <<CONFIG
<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="hide-dummy-backend" value="0"/>
    <Option name="try-autostart-engine" value="1"/>
    <Option name="plugin-path-lxvst" value="${2:-}"/>
  </Config>
  <Extra>
    <AudioMIDISetup>
      <EngineStates>
        <State backend="None (Dummy)" driver="Normal Speed" device="Silence" input-device=""
               output-device="" sample-rate="48000" buffer-size="1024" n-periods="0"
               input-latency="0" output-latency="0" lm-input="" lm-output="" active="1"
               use-buffered-io="0" midi-option="1 in, 1 out, Silence" lru="1">
          <MIDIDevices/>
        </State>
      </EngineStates>
    </AudioMIDISetup>
  </Extra>
</Ardour>
CONFIG
