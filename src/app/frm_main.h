#pragma once
// The main window: the hub that owns the timers, the placefile buffer and
// the track fields. Its handlers are defined by the subsystem that owns them
// (viewer/, tracking/, placefile/, storms/, watched/, pathcast/); those that
// drive several windows in app/ (tracker, undo, eta_view, storm_actions,
// compiler).
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/settings_keys.h"
#include "app/window.h"
#include "geodesy/geodesy.h"
#include "pathcast/pathcast.h"
#include "placefile/line_groups.h"
#include "places/place_source.h"
#include "storms/storm.h"
#include "watched/watched.h"

namespace tessaly {

class FrmMain : public Window {
public:
    explicit FrmMain(App& app);

    // Track rows. The four positions read kUnmarked until a mark sets them.
    Control start_lat, start_lon, stop_lat, stop_lon;
    Control cell_speed;     // knots, despite the name
    Control cell_speedkts;  // miles per hour, despite the name
    Control cor_azimuth;    // whole degrees the storm moves from (motion + 180)
    Control disazimuth;     // whole degrees the storm moves toward
    static constexpr const char* kUnmarked = "00.00";
    // A finished track: the second mark has set the stop (erase, undo and a
    // lost viewer put kUnmarked back).
    bool track_finished() const { return stop_lon.text != kUnmarked; }
    Control kts_label, mph_label, az_label;  // the speed row's units
    // Link status and viewer choice.
    Control status, status_on, status_off;
    Control optgr3, optgr2, optgrae;
    // Internal fields.
    Control GR3, GR2, GRAE, process, scaption, tracker, edit;
    Control return_dis, return_azimuth, rlat, rlon;
    // Minutes ahead of the current position that the finished track's stop
    // lies (hidden, "60" until a track is marked with another length).
    Control projection_minutes;
    Control cursor_lat, cursor_lon;
    Control placefile;  // the placefile line buffer (items)
    // Which lines of `placefile` were written for what: every removal from
    // the buffer other than a reset goes through it (see LineGroups).
    LineGroups placefile_groups;
    // The track (text of `tracker` at the view) whose arrivals the ETA
    // windows show; "" before the first view.
    std::string eta_windows_track;
    Control Command2, remove;
    // Menus.
    Control mnu_projection_edit, mnu_projection_fan, mnu_projection_cone, mnu_projection_wedge,
        mnubowecho, mnu_eta_edit, mnu_eta_view, mnu_placefile_clear, mnu_placefile_info,
        mnu_help_guide, mnu_help_about, mnu_projection_undo;
    Control mnu_storms_list, mnu_storms_next, mnu_storms_erase, mnu_storms_watched;
    // Below the link status: the alerts of watched places not yet
    // acknowledged, one per line, hidden while there are none. A click
    // acknowledges them all.
    Control alert_banner;
    // How the two marks are read: one hour apart (the default), or the same
    // cell on two radar frames `frame_minutes` apart. The label beside the
    // speed row shows "N min" while frames mode is on.
    Control mnu_mark_hour, mnu_mark_frames, mark_minutes;
    int frame_minutes = keys::mark_minutes.fallback_number();

    Timer find_gr, find_keys, find_distance;
    // Tests the watched places every minute while there are places and storms.
    Timer alert_Timer;
    static constexpr int kAlertIntervalMs = 60000;

    // ETA run state: the eight points S..P (index 0 = P, then 1/2, 3/4, 1/4,
    // 1/8, 3/8, 5/8, 7/8, in the order they are computed).
    std::array<LatLon, 8> eta_points{};

    // --- application shell (app/) ---
    void Form_Load();
    void Form_Activate();
    void Form_Unload();  // close of the main window: header-only placefile, end program
    void close_request() override { Form_Unload(); }
    void read_registry();
    void choose_projection(const std::string& which);  // "fan", "cone", "wedge", "bow"
    void choose_viewer(const std::string& grtype);
    void pause_link();
    void resume_link();
    void mnu_eta_view_Click();
    // Opens README.txt, the user guide shipped beside the program.
    void open_user_guide();

    // --- placefile (placefile/; compiler in app/compiler.cpp) ---
    std::string placefile_path();
    void write_placefile();
    void remove_eta();
    // Takes every line with track `track`'s ETA tag out of the buffer.
    void remove_eta_lines(const std::string& track);
    void copy_placefile_path();
    void compiler();

    // --- viewer link (viewer/) ---
    void find_gr_Timer();
    int wndenum_proc(const std::string& title);
    // Reads the cursor position from the viewer into cursor_lat/lon; false
    // (the fields as they were) when no position could be read.
    bool Read_StatusBar();

    // --- tracking (tracking/; the hotkey scan and undo in app/) ---
    void find_keys_Timer();
    // Whether a hotkey pressed now is meant for this program: the linked
    // viewer (or a window it owns) is in front, or one of this program's
    // windows while none of its text fields has the focus.
    bool hotkey_meant();
    void find_distance_Timer();
    // Speed and direction from start to the cursor (live motion without the
    // status-bar read); in frames mode the speed is scaled to one hour.
    void show_motion();
    // At the second mark, before the compiler: frames mode turns the two
    // marks into start = now and stop = the projection's end; any length
    // other than 60 minutes moves stop along the track.
    void place_forecast();
    // Mark mode from the store; one message for an unusable stored value.
    void load_mark_settings();
    void set_mark_mode(bool frames, int minutes);
    void ask_frame_minutes();  // asks the minutes with the input dialog
    // Takes back the most recent mark still in the placefile (a bow point, a
    // half-marked track, a finished track with its ETA lines, a built bow
    // echo) and rewrites the placefile; beeps when there is none.
    void undo_last_mark();

    // --- storms (storms/; the actions in app/storm_actions.cpp) ---
    // Every finished track, one selected; the rows above show the selected
    // one (or the track being marked).
    Storms storms;
    // Shows the storm in the rows and makes it the one the ETA key serves.
    void select_storm(int number);
    void next_storm();
    // Takes exactly that storm's lines out of the placefile (projection,
    // track, label, time marks, ETA markers), writes it once, and keeps the
    // erase for undo. Beeps for an unknown number.
    void erase_storm(int number);
    // Relabels the storm on the map and in the list; a label that cannot be
    // used gives a message and changes nothing. Returns whether it changed.
    bool rename_storm(int number, const std::string& label);
    // The ETA view of that storm.
    void view_storm_etas(int number);
    // After every change of the storms: saved to storms.txt, list redrawn.
    void storms_changed();
    std::string storms_path();
    void save_storms();
    // At start: the storms saved within the last restore_hours, drawn again
    // as they were; a file that cannot be used is set aside with a message.
    void restore_storms();
    // The storm the rows describe, as the compiler and the ETA view take it:
    // the marks of the track being finished (or the rows' positions), the
    // rows' figures, the checked shapes, the projection length; numbered as
    // the next track.
    Storm storm_from_fields();
    // Draws a storm (projection, track, icons, time marks, label) as one
    // group of lines and writes the placefile (unless `write` is false: the
    // caller writes once after several); counts it in `tracker`.
    // False when it failed (the message is shown).
    bool compile_storm(const Storm& storm, bool remove_half_mark, bool write = true);
    // The rows show the storm (or the unmarked texts for none).
    void show_storm(const Storm* storm);
    // Back to waiting for a first mark: unmarked positions, live motion off.
    // `motion` also resets the speed and direction figures.
    void reset_track(bool motion);
    // The erase key: everything goes, as one step that undo takes back.
    void erase_all();
    // The storm whose track passes nearest the cursor within kPointingNm.
    const Storm* storm_at_cursor();
    static constexpr double kPointingNm = 10;
    // The storm the next ETA view serves; 0: the selected one.
    int eta_storm_number = 0;
    // The marks of the track being made (first press, then second).
    std::optional<Mark> first_mark, second_mark;
    Mark mark_at_cursor();
    // What an erase took away, so that undo can give it back whole.
    struct ErasedState {
        LineGroups::Id stamp = 0;  // groups from this id on are newer than the erase
        std::vector<std::string> placefile;
        LineGroups groups;
        Storms storms;
        std::string tracker, tag, eta_windows_track;
        std::array<std::string, 8> rows;  // start/stop, speeds, directions
        std::optional<Mark> first_mark;
        std::vector<std::string> bow_points;
    };
    std::vector<ErasedState> erased;
    void remember_erase();
    // The ETA windows forget a list whose storm is gone.
    void forget_eta_windows();
    // The small, medium and list ETA windows only (a pathcast replaces them).
    void forget_classic_eta_windows();
    // Takes storm `number`'s lines out of the buffer (its track groups and
    // every line with its ETA tag); the ETA windows forget it if they show it.
    void remove_storm_lines(int number);
    void undo_erase();

    // --- watched places (watched/) ---
    std::vector<WatchedPlace> watched;
    AlertBook alerts;
    // What the last alert sound did ("" before the first), for the log.
    std::string alert_sound_result;
    std::string watched_path();
    // At start: watched.txt read (a bad line skipped with one message).
    void load_watched();
    // After every change of the places: saved with the durable replace,
    // labels rewritten, alerts tested.
    void watched_changed();
    // False with a message when the name or position cannot be used.
    bool add_watched(const std::string& name, const std::string& lat, const std::string& lon);
    bool rename_watched(int id, const std::string& name);
    void remove_watched(int id);
    // The watch key: the place under the cursor, named in the input dialog.
    void watch_cursor();
    // Tests every storm against every watched place now: new warnings show
    // in the banner, sound, flash, and the map and the storm list follow.
    void check_alerts();
    void acknowledge_alerts();
    // The labels written after the buffer at every write of the placefile.
    std::vector<std::string> watched_lines;

    // --- ETA (app/eta_view.cpp) ---
    void Command2_Click();
    // The run for the storm the next view serves.
    void RUNeta();
    // The eight searches of the lookup for `storm`; each search's records go
    // to `read` (empty: the lookup's record reader).
    void RUNeta(const Storm& storm,
                const std::function<void(const std::vector<PlaceRecord>&)>& read = {});
    // --- pathcast (pathcast/) ---
    // The view key in the pathcast style: the towns in the storm's path in
    // the pathcast window and on the map.
    void pathcast_view(const Storm& storm);
    // Replaces the storm's ETA lines with the pathcast's labels and writes
    // the placefile.
    void write_pathcast_labels(const Pathcast& p);
    // The storm the next ETA view serves (and forgets eta_storm_number): the
    // one pointed at, else the selected one, else the rows as they are.
    Storm eta_storm();
    // Whether the storm a run serves was undone or erased since it began
    // (`kept`: it was one of the storms then).
    bool storm_gone(const Storm& storm, bool kept);

private:
    // The controls, in the steps the constructor takes.
    void init_controls();
    void add_figures();
    void add_hidden_fields();
    void add_menus();
    void connect_handlers();
    void connect_menus();
    void add_timers();
    // The load of the stored settings, step by step (read_registry).
    void read_eta_window_colours();
    void read_eta_options();
    void read_projection_shape();
    void store_appearance_defaults();
    void read_viewer_choice();
    void read_eta_window_choice();
    // The hotkey scan's steps; false ends the scan.
    bool run_hotkey(const std::string& key);  // what one pressed key stands for
    bool press_eta_key();
    bool press_select_key();
    void add_bow_point();
    void mark_start();
    void mark_stop();  // and the projection drawn
    // The classic ETA view's steps: the lookup (false: the view ends there),
    // the list, the marker on the map, the small and medium windows' lines,
    // the windows the editor switches on.
    void classic_view(const Storm& storm);
    bool run_classic_lookup(const Storm& storm);
    void list_classic_arrivals();
    void write_classic_marker(const Storm& storm);
    void fill_classic_windows();
    void show_classic_windows();
    bool storms_save_failed_ = false;  // the message is shown once until a save works
    bool watched_save_failed_ = false;
    int watched_serial_ = 0;        // the last watched place's id
    bool alerts_flashing_ = false;  // the taskbar button flashes
};

}  // namespace tessaly
