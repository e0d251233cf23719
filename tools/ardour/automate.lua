-- automate.lua -- give a parameter of the session's VST3 instrument a linear automation ramp.
-- Run by tools/ardour_check.sh between render.lua's create and export phases:
--
--   ardour7-lua automate.lua TOOLS_DIR WORKDIR LABEL FROM TO
--
-- Loads WORKDIR/session (snapshot "render", made by render.lua create), finds the instrument's
-- parameter whose label is LABEL, writes the ramp FROM -> TO (plain values) over the session's
-- render length, switches the parameter to automation playback and saves the session.
-- Prints "RESULT ok" on success.

local tools, work, label, from, to = arg[1], arg[2], arg[3], tonumber(arg[4] or ""), tonumber(arg[5] or "")
if not (tools and work and label and from and to) then
	io.stderr:write("ERROR: usage: automate.lua TOOLS_DIR WORKDIR LABEL FROM TO\n")
	error("usage", 0)
end
local L = dofile(tools .. "/vst3lib.lua")
local info = dofile(work .. "/session.info")

AudioEngine:set_backend("None (Dummy)", "", "")
if not load_session(work .. "/session", "render") then L.die("load_session failed") end
local proc = L.instrument_of(L.first_midi_track())
if not proc then L.die("instrument missing after reload") end

local plug = proc:to_insert():plugin(0)
local index
for i = 0, plug:parameter_count() - 1 do
	if plug:parameter_label(i) == label then index = i break end
end
if not index then L.die("no parameter labelled '" .. label .. "'") end

local al, cl, pd = ARDOUR.LuaAPI.plugin_automation(proc, index)
if al:isnil() then L.die("parameter '" .. label .. "' cannot be automated") end
cl:clear_list()
cl:add(Temporal.timepos_t(0), from, false, true)
cl:add(Temporal.timepos_t(info.len), to, false, true)
-- Playback is a state of the parameter's control (Ardour numbers VST3 parameters as it lists them).
local control = proc:to_insert():to_automatable():automation_control(
	Evoral.Parameter(ARDOUR.AutomationType.PluginAutomation, 0, index), false)
if control:isnil() then L.die("no automation control for '" .. label .. "'") end
control:set_automation_state(ARDOUR.AutoState.Play)
L.log("AUTOMATION", label, "index", index, "range", pd.lower, pd.upper, "ramp", from, to, "over", info.len)

if Session:save_state("", false, false, false, false, false) ~= 0 then L.die("save_state failed") end
L.log("RESULT ok")
L.finish(0)
