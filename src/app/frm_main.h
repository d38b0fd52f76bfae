#pragma once
// The main window: the hub that owns the timers, the placefile buffer and
// the track fields. Its handlers are defined by the subsystem that owns them
// (viewer/, tracking/, placefile/, eta/).
#include <array>
#include <string>
#include <vector>

#include "app/window.h"

namespace tessaly {

class FrmMain : public Window {
public:
    explicit FrmMain(App& app);

    // Track rows.
    Control start_lat, start_lon, stop_lat, stop_lon;
    Control cell_speed, cell_speedkts, cor_azimuth, disazimuth;
    // Link status and viewer choice.
    Control status, status_on, status_off;
    Control optgr3, optgr2, optgrae;
    // Internal fields.
    Control GR3, GR2, GRAE, process, scaption, tracker, edit;
    Control return_dis, return_azimuth, rlat, rlon;
    Control cursor_lat, cursor_lon;
    Control placefile;  // the placefile line buffer (items)
    Control Command2, remove;
    // Menus.
    Control mnu_projection_edit, mnu_projection_fan, mnu_projection_cone, mnu_projection_wedge,
        mnubowecho, mnu_eta_edit, mnu_eta_view, mnu_placefile_clear, mnu_placefile_info,
        mnu_help_about;

    Timer find_gr, find_keys, find_distance;

    // ETA run state: the eight points S..P (index 0 = P, then 1/2, 3/4, 1/4,
    // 1/8, 3/8, 5/8, 7/8, in the order they are computed).
    struct Point { double lat = 0, lon = 0; };
    std::array<Point, 8> eta_points{};

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

    // --- placefile (placefile/) ---
    std::string placefile_path();
    void write_placefile();
    void remove_eta();
    void copy_placefile_path();
    void compiler();

    // --- viewer link (viewer/) ---
    void find_gr_Timer();
    int wndenum_proc(const std::string& title);
    void Read_StatusBar();

    // --- tracking (tracking/) ---
    void find_keys_Timer();
    // Whether a hotkey pressed now is meant for this program: the linked
    // viewer (or a window it owns) is in front, or one of this program's
    // windows while none of its text fields has the focus.
    bool hotkey_meant();
    void find_distance_Timer();

    // --- ETA (eta/) ---
    void Command2_Click();
    void RUNeta();

private:
    void init_controls();
};

}  // namespace tessaly
