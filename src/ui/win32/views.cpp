#include "ui/win32/views.h"

#include "ui/win32/resource.h"

namespace tessaly::ui {

namespace {

std::vector<Binding> eta_box_bindings(int labels) {
    static const char* names[] = {"one",   "two",  "three", "four",   "five",   "six",     "seven",
                                  "eight", "nine", "ten",   "eleven", "twelve", "thirteen"};
    std::vector<Binding> b{{"Labeltitle", IDC_LABELTITLE}, {"labelClose", IDC_LABELCLOSE}};
    for (int i = 0; i < labels; ++i) b.push_back({names[i], IDC_ETA_LABEL_FIRST + i});
    return b;
}

}  // namespace

// One window a block, its name, template and kind on the first line.
// clang-format off
const std::vector<ViewDef>& view_defs() {
    static const std::vector<ViewDef> defs = {
        {"frmMain", IDD_MAIN, ViewKind::Main,
         {{"start_lat", IDC_START_LAT},
          {"start_lon", IDC_START_LON},
          {"stop_lat", IDC_STOP_LAT},
          {"stop_lon", IDC_STOP_LON},
          {"cell_speed", IDC_CELL_SPEED},
          {"cell_speedkts", IDC_CELL_SPEEDKTS},
          {"cor_azimuth", IDC_COR_AZIMUTH},
          {"kts_label", IDC_KTS_LABEL},
          {"mph_label", IDC_MPH_LABEL},
          {"az_label", IDC_AZ_LABEL},
          {"optgr3", IDC_OPTGR3},
          {"optgr2", IDC_OPTGR2},
          {"optgrae", IDC_OPTGRAE},
          {"status", IDC_STATUS},
          {"status_on", IDC_STATUS_ON},
          {"status_off", IDC_STATUS_OFF},
          {"mark_minutes", IDC_MARK_MINUTES},
          {"alert_banner", IDC_ALERT_BANNER}}},
        {"frmEdit", IDD_EDIT, ViewKind::Dialog,
         {{"polyc", IDC_POLYC},
          {"borderc", IDC_BORDERC},
          {"trackc", IDC_TRACKC},
          {"cmd_polygon_color", IDC_CMD_POLYGON_COLOR},
          {"cmd_border_color", IDC_CMD_BORDER_COLOR},
          {"cmd_track_color", IDC_CMD_TRACK_COLOR},
          {"cmd_polygon_trans", IDC_CMD_POLYGON_TRANS},
          {"cmd_border_width", IDC_CMD_BORDER_WIDTH},
          {"cmd_track_width", IDC_CMD_TRACK_WIDTH},
          {"cmd_projection_minutes", IDC_CMD_PROJECTION_MINUTES},
          {"timemarksc", IDC_TIMEMARKSC},
          {"hkselect", IDC_HKSELECT},
          {"hkerase", IDC_HKERASE},
          {"hketa", IDC_HKETA},
          {"hkundo", IDC_HKUNDO},
          {"hkerase_storm", IDC_HKERASE_STORM},
          {"hknext_storm", IDC_HKNEXT_STORM},
          {"hkwatch", IDC_HKWATCH},
          {"hotkeys_everywhere", IDC_HOTKEYS_EVERYWHERE},
          {"Frame1", IDC_EDIT_FRAME1},
          {"Frame2", IDC_EDIT_FRAME2},
          {"Frame3", IDC_EDIT_FRAME3},
          {"notice", IDC_EDIT_NOTICE}}},
        {"frmEditETA", IDD_EDITETA, ViewKind::Dialog,
         {{"displayeta", IDC_DISPLAYETA},
          {"displayetamed", IDC_DISPLAYETAMED},
          {"displayeta2", IDC_DISPLAYETA2},
          {"Command1", IDC_ETA_COMMAND1},
          {"Command2", IDC_ETA_COMMAND2},
          {"Command3", IDC_ETA_COMMAND3},
          {"command4", IDC_ETA_COMMAND4},
          {"Command5", IDC_ETA_COMMAND5},
          {"Command6", IDC_ETA_COMMAND6},
          {"radius", IDC_RADIUS},
          {"etaqc_historic", IDC_ETAQC_HISTORIC},
          {"eta_rep", IDC_ETA_REP},
          {"eta_fontsize", IDC_ETA_FONTSIZE},
          {"eta_rgb", IDC_ETA_RGB},
          {"showcity", IDC_SHOWCITY},
          {"showtime", IDC_SHOWTIME},
          {"opt_local_db", IDC_OPT_LOCAL_DB},
          {"opt_server_db", IDC_OPT_SERVER_DB},
          {"eta_server", IDC_ETA_SERVER},
          {"eta_username", IDC_ETA_USERNAME},
          {"opt_eta_pathcast", IDC_OPT_ETA_PATHCAST},
          {"opt_eta_classic", IDC_OPT_ETA_CLASSIC},
          {"frame_delay", IDC_FRAME_DELAY},
          {"pathcast_miles", IDC_PATHCAST_MILES},
          {"opt_clock_12", IDC_OPT_CLOCK_12},
          {"opt_clock_24", IDC_OPT_CLOCK_24},
          {"opt_clock_utc", IDC_OPT_CLOCK_UTC},
          {"hint", IDC_ETA_HINT}}},
        {"frmCustomETA", IDD_ETA_SMALL, ViewKind::EtaBox, eta_box_bindings(8)},
        {"frmCustomETA1", IDD_ETA_MEDIUM, ViewKind::EtaBox, eta_box_bindings(13)},
        {"frmCustomETA2", IDD_ETA_LIST, ViewKind::EtaList, {{"List1", IDC_LIST1}}},
        {"frmInput", IDD_INPUT, ViewKind::Dialog, {{"INP", IDC_INP}, {"cmd_save", IDC_CMD_SAVE}}},
        {"frmAbout", IDD_ABOUT, ViewKind::Dialog,
         {{"version_label", IDC_VERSION_LABEL},
          {"help_text", IDC_HELP_TEXT},
          {"manual_text", IDC_MANUAL_TEXT},
          {"places_credit", IDC_PLACES_CREDIT},
          {"cmd_ok", IDC_ABOUT_OK}}},
        {"frmPFinfo", IDD_PFINFO, ViewKind::Dialog,
         {{"Frame1", IDC_PF_FRAME1},
          {"pfdir", IDC_PFDIR},
          {"Label2", IDC_PF_LABEL2},
          {"Label1", IDC_PF_LABEL1},
          {"size", IDC_PF_SIZE},
          {"copypfdir", IDC_COPYPFDIR}}},
        {"frmStorms", IDD_STORMS, ViewKind::Storms,
         {{"storm_list", IDC_STORM_LIST},
          {"select_storm", IDC_STORMS_SELECT},
          {"eta_storm", IDC_STORMS_ETA},
          {"rename_storm", IDC_STORMS_RENAME},
          {"erase_storm", IDC_STORMS_ERASE},
          {"close", IDC_STORMS_CLOSE}}},
        {"frmPathcast", IDD_PATHCAST, ViewKind::Pathcast,
         {{"rows", IDC_PATHCAST_ROWS},
          {"note", IDC_PATHCAST_NOTE},
          {"copy", IDC_PATHCAST_COPY},
          {"close", IDC_PATHCAST_CLOSE}}},
        {"frmWatched", IDD_WATCHED, ViewKind::Watched,
         {{"places", IDC_WATCHED_PLACES},
          {"name_label", IDC_WATCHED_NAME_LABEL},
          {"new_name", IDC_WATCHED_NAME},
          {"position_label", IDC_WATCHED_POSITION_LABEL},
          {"new_position", IDC_WATCHED_POSITION},
          {"add_place", IDC_WATCHED_ADD},
          {"remove_place", IDC_WATCHED_REMOVE},
          {"rename_place", IDC_WATCHED_RENAME},
          {"close", IDC_WATCHED_CLOSE}}},
    };
    return defs;
}
// clang-format on

const ViewDef* find_view_def(const std::string& window) {
    for (const ViewDef& d : view_defs())
        if (window == d.window) return &d;
    return nullptr;
}

const std::vector<Binding>& main_menu_bindings() {
    static const std::vector<Binding> menu = {
        {"mnu_projection_edit", IDM_PROJECTION_EDIT},
        {"mnu_projection_fan", IDM_PROJECTION_FAN},
        {"mnu_projection_cone", IDM_PROJECTION_CONE},
        {"mnu_projection_wedge", IDM_PROJECTION_WEDGE},
        {"mnubowecho", IDM_PROJECTION_BOW},
        {"mnu_mark_hour", IDM_MARK_HOUR},
        {"mnu_mark_frames", IDM_MARK_FRAMES},
        {"mnu_projection_undo", IDM_PROJECTION_UNDO},
        {"mnu_storms_list", IDM_STORMS_LIST},
        {"mnu_storms_next", IDM_STORMS_NEXT},
        {"mnu_storms_erase", IDM_STORMS_ERASE},
        {"mnu_storms_watched", IDM_STORMS_WATCHED},
        {"mnu_eta_edit", IDM_ETA_EDIT},
        {"mnu_eta_view", IDM_ETA_VIEW},
        {"mnu_placefile_clear", IDM_PLACEFILE_COPY},
        {"mnu_placefile_info", IDM_PLACEFILE_INFO},
        {"mnu_help_guide", IDM_HELP_GUIDE},
        {"mnu_help_about", IDM_HELP_ABOUT},
    };
    return menu;
}

}  // namespace tessaly::ui
