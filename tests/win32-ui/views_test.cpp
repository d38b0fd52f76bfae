// The Win32 views: every template against its model, the main menu against
// its menu bar, and events going from native controls to the models
// and back to the screen.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/app.h"
#include "editor/frm_edit.h"
#include "eta/frm_custom_eta.h"
#include "eta/frm_edit_eta.h"
#include "pathcast/frm_pathcast.h"
#include "platform/sim/sim_platform.h"
#include "platform/win32/win32_text.h"
#include "storms/frm_storms.h"
#include "ui/win32/dpi.h"
#include "ui/win32/main_view.h"
#include "ui/win32/resource.h"
#include "ui/win32/views.h"
#include "ui/win32/win32_ui.h"
#include "watched/frm_watched.h"

namespace tessaly::ui {
namespace {

INT_PTR CALLBACK quiet_proc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

std::wstring text_of(HWND h) {
    wchar_t buf[512] = {};
    GetWindowTextW(h, buf, 512);
    return buf;
}

std::wstring menu_text(HMENU m, int pos) {
    wchar_t buf[128] = {};
    GetMenuStringW(m, static_cast<UINT>(pos), buf, 128, MF_BYPOSITION);
    std::wstring out;
    for (const wchar_t* p = buf; *p; ++p)
        if (*p != L'&') out += *p;
    return out;
}

// A program on the simulated platform (settings, files, desktop in memory)
// shown through the real Win32 views.
class ViewsTest : public ::testing::Test {
protected:
    std::string dir = (std::filesystem::temp_directory_path() / "tessaly-views-test").string();
    std::unique_ptr<SimPlatform> platform;
    std::unique_ptr<Win32Ui> ui;
    std::unique_ptr<App> app;

    void SetUp() override {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        platform = std::make_unique<SimPlatform>(dir, "C:\\Tessaly", "Tessaly");
        std::ofstream(platform->real_path("C:\\Tessaly\\stormtrack.png"), std::ios::binary)
            << "png";
        ui = std::make_unique<Win32Ui>(GetModuleHandleW(nullptr));
    }
    void TearDown() override {
        app.reset();
        ui.reset();
        std::filesystem::remove_all(dir);
    }
    void start(bool first_start = false) {
        if (!first_start) setting("version", "4.2");
        app = std::make_unique<App>(*platform, *ui);
        ui->attach(*app);
        ui->window_loaded(app->frmMain());
        app->start();
        ui->refresh();
    }
    void setting(const std::string& key, const std::string& value) {
        platform->settings["Tessaly\\Korvel3\\" + key] = value;
    }
    std::string stored(const std::string& key) {
        return platform->settings["Tessaly\\Korvel3\\" + key];
    }
    HWND item(const std::string& window, int id) { return GetDlgItem(ui->hwnd_of(window), id); }
    // Lets queued messages and timers run for a while.
    void pump_for(int ms) {
        DWORD end = GetTickCount() + static_cast<DWORD>(ms);
        while (static_cast<int>(end - GetTickCount()) > 0) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) return;
                if (!ui->dialog_message(&msg)) {
                    TranslateMessage(&msg);
                    DispatchMessageW(&msg);
                }
            }
        }
    }
};

TEST_F(ViewsTest, EveryTemplateLoadsWithTheControlsItsViewBinds) {
    start();
    for (const ViewDef& def : view_defs()) {
        SCOPED_TRACE(def.window);
        HWND dlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(def.dialog),
                                      nullptr, quiet_proc, 0);
        ASSERT_NE(dlg, nullptr);
        Window* model = app->window(def.window);
        ASSERT_NE(model, nullptr);
        std::set<int> ids;
        for (const Binding& b : def.bindings) {
            EXPECT_NE(GetDlgItem(dlg, b.id), nullptr) << b.control;
            EXPECT_NE(model->control(b.control), nullptr) << b.control;
            EXPECT_TRUE(ids.insert(b.id).second) << "ID bound twice: " << b.id;
        }
        // Every visible control of the model is shown somewhere.
        for (const auto& [name, c] : model->controls()) {
            if (!c->visible || c->kind == ControlKind::Menu) continue;
            if (def.kind == ViewKind::EtaBox && name == "Shape1") continue;  // drawn by the view
            if (def.kind == ViewKind::EtaList && name == "focus") continue;
            bool bound = false;
            for (const Binding& b : def.bindings) bound = bound || name == b.control;
            EXPECT_TRUE(bound) << name << " has no control in the template";
        }
        DestroyWindow(dlg);
    }
}

TEST_F(ViewsTest, MainMenuIsTheProgramsMenuBarAndEveryItemHasAHandler) {
    HMENU bar = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINMENU));
    ASSERT_NE(bar, nullptr);
    const std::vector<std::pair<std::wstring, std::vector<std::wstring>>> expected = {
        {L"Projection",
         {L"Edit", L"-", L"Mark One Hour", L"Mark Two Frames...", L"-", L"Fan", L"Cone", L"Wedge",
          L"Bow", L"-", L"Undo Last Mark"}},
        {L"Storms",
         {L"Storm List...", L"-", L"Next Storm", L"Erase Storm", L"-", L"Watched Places..."}},
        {L"ETA", {L"Edit", L"-", L"View"}},
        {L"Placefile", {L"Copy", L"-", L"Info"}},
        {L"Help", {L"User Guide", L"-", L"About"}},
    };
    ASSERT_EQ(GetMenuItemCount(bar), static_cast<int>(expected.size()));
    start();
    std::set<int> seen;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(menu_text(bar, static_cast<int>(i)), expected[i].first);
        HMENU sub = GetSubMenu(bar, static_cast<int>(i));
        ASSERT_NE(sub, nullptr);
        ASSERT_EQ(GetMenuItemCount(sub), static_cast<int>(expected[i].second.size()));
        for (size_t k = 0; k < expected[i].second.size(); ++k) {
            UINT id = GetMenuItemID(sub, static_cast<int>(k));
            if (expected[i].second[k] == L"-") {
                EXPECT_TRUE(GetMenuState(sub, static_cast<UINT>(k), MF_BYPOSITION) & MF_SEPARATOR);
                continue;
            }
            EXPECT_EQ(menu_text(sub, static_cast<int>(k)), expected[i].second[k]);
            const Binding* b = nullptr;
            for (const Binding& m : main_menu_bindings())
                if (static_cast<UINT>(m.id) == id) b = &m;
            ASSERT_NE(b, nullptr) << "menu item " << id << " has no handler";
            Control* c = app->frmMain().control(b->control);
            ASSERT_NE(c, nullptr) << b->control;
            EXPECT_TRUE(static_cast<bool>(c->on_click)) << b->control;
            seen.insert(static_cast<int>(id));
        }
    }
    EXPECT_EQ(seen.size(), main_menu_bindings().size());
    DestroyMenu(bar);
}

// The default hotkeys (Q, W, X) act wherever they are typed, so an access
// key on one of them would also mark or erase a track.
TEST_F(ViewsTest, AccessKeysDoNotClashWithinAWindowNorWithTheDefaultHotkeys) {
    const std::wstring hotkeys = L"qwx";
    for (const ViewDef& def : view_defs()) {
        SCOPED_TRACE(def.window);
        HWND dlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(def.dialog),
                                      nullptr, quiet_proc, 0);
        ASSERT_NE(dlg, nullptr);
        std::set<wchar_t> keys;
        if (HMENU bar = GetMenu(dlg)) {
            for (int i = 0; i < GetMenuItemCount(bar); ++i) {
                wchar_t buf[64] = {};
                GetMenuStringW(bar, static_cast<UINT>(i), buf, 64, MF_BYPOSITION);
                if (const wchar_t* amp = wcschr(buf, L'&')) {
                    EXPECT_TRUE(keys.insert(towlower(amp[1])).second) << "menu " << i;
                }
                HMENU sub = GetSubMenu(bar, i);
                std::set<wchar_t> item_keys;
                for (int k = 0; sub && k < GetMenuItemCount(sub); ++k) {
                    wchar_t item[64] = {};
                    GetMenuStringW(sub, static_cast<UINT>(k), item, 64, MF_BYPOSITION);
                    const wchar_t* amp = wcschr(item, L'&');
                    if (!amp) continue;
                    EXPECT_TRUE(item_keys.insert(towlower(amp[1])).second) << win32::narrow(item);
                    EXPECT_EQ(hotkeys.find(towlower(amp[1])), std::wstring::npos)
                        << win32::narrow(item);
                }
            }
        }
        for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            std::wstring t = text_of(c);
            size_t amp = t.find(L'&');
            if (amp == std::wstring::npos || amp + 1 >= t.size()) continue;
            EXPECT_TRUE(keys.insert(towlower(t[amp + 1])).second)
                << "access key of " << win32::narrow(t) << " is taken";
            EXPECT_EQ(hotkeys.find(towlower(t[amp + 1])), std::wstring::npos)
                << "access key of " << win32::narrow(t) << " is a default hotkey";
        }
        DestroyWindow(dlg);
    }
}

TEST_F(ViewsTest, MainWindowShowsTheModelAndForwardsItsEvents) {
    start();
    HWND main = ui->hwnd_of("frmMain");
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(text_of(item("frmMain", IDC_START_LAT)), L"00.00");
    EXPECT_EQ(text_of(item("frmMain", IDC_COR_AZIMUTH)), L"000");
    EXPECT_EQ(text_of(item("frmMain", IDC_STATUS)), L"Searching for GRLevelX Software .");

    // The projection menu: the model's check marks, never the menu's own.
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_PROJECTION_CONE, 0), 0);
    HMENU menu = GetMenu(main);
    EXPECT_TRUE(GetMenuState(menu, IDM_PROJECTION_CONE, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(menu, IDM_PROJECTION_FAN, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(stored("projection"), "cone");
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_PROJECTION_BOW, 0), 0);
    EXPECT_TRUE(GetMenuState(menu, IDM_PROJECTION_BOW, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(menu, IDM_PROJECTION_CONE, MF_BYCOMMAND) & MF_CHECKED);

    // Frames mode: the menu asks the minutes, then ticks itself and shows them
    // beside the speed row; one-hour marks hide them again.
    HWND minutes = item("frmMain", IDC_MARK_MINUTES);
    EXPECT_FALSE(IsWindowVisible(minutes));
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_MARK_FRAMES, 0), 0);
    HWND inp = item("frmInput", IDC_INP);
    ASSERT_NE(inp, nullptr);
    SetWindowTextW(inp, L"20");
    SendMessageW(item("frmInput", IDC_CMD_SAVE), BM_CLICK, 0, 0);
    EXPECT_TRUE(GetMenuState(menu, IDM_MARK_FRAMES, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(menu, IDM_MARK_HOUR, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(IsWindowVisible(minutes));
    EXPECT_EQ(text_of(minutes), L"20 min");
    EXPECT_EQ(stored("mark_mode"), "frames");
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_MARK_HOUR, 0), 0);
    EXPECT_FALSE(IsWindowVisible(minutes));
    EXPECT_TRUE(GetMenuState(menu, IDM_MARK_HOUR, MF_BYCOMMAND) & MF_CHECKED);
    // The speed row explains its units on hover; the tips are the model's.
    HWND tips = nullptr;
    for (HWND h = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); h;
         h = FindWindowExW(nullptr, h, TOOLTIPS_CLASSW, nullptr))
        if (GetWindow(h, GW_OWNER) == main) tips = h;
    ASSERT_NE(tips, nullptr);
    for (auto [id, control] :
         {std::pair{IDC_AZ_LABEL, "az_label"}, std::pair{IDC_STATUS_ON, "status_on"}}) {
        wchar_t tip[128] = {};
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.hwnd = main;
        ti.uId = reinterpret_cast<UINT_PTR>(item("frmMain", id));
        ti.lpszText = tip;
        SendMessageW(tips, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&ti));
        EXPECT_EQ(win32::narrow(tip), app->frmMain().control(control)->tooltip) << control;
        EXPECT_NE(tip[0], L'\0') << control;
    }

    // The pause toggle: one lamp visible at a time, following the model.
    HWND on = item("frmMain", IDC_STATUS_ON), off = item("frmMain", IDC_STATUS_OFF);
    EXPECT_FALSE(IsWindowVisible(on));
    EXPECT_TRUE(IsWindowVisible(off));
    SendMessageW(off, BM_CLICK, 0, 0);  // a click, or Space on the focused lamp
    EXPECT_TRUE(IsWindowVisible(on));
    EXPECT_FALSE(IsWindowVisible(off));
    EXPECT_TRUE(app->frmMain().find_keys.enabled);
    SendMessageW(on, BM_CLICK, 0, 0);
    EXPECT_FALSE(app->frmMain().find_keys.enabled);
    EXPECT_TRUE(IsWindowVisible(off));
}

// Text of a report list view's cell.
std::wstring cell_of(HWND list, int row, int column) {
    wchar_t buf[128] = {};
    LVITEMW it{};
    it.iSubItem = column;
    it.pszText = buf;
    it.cchTextMax = 128;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
    return buf;
}

TEST_F(ViewsTest, StormListShowsItsRowsInColumnsAndActsOnTheRowTheUserPicks) {
    start();
    for (int n : {1, 2}) {
        Storm s;
        s.number = n;
        s.label = n == 1 ? "A" : "B";
        s.second.utc = platform->utc_seconds();
        app->frmMain().storms.add(s);  // the newest is selected
    }
    HWND main = ui->hwnd_of("frmMain");
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_STORMS_LIST, 0), 0);
    HWND dlg = ui->hwnd_of("frmStorms");
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(IsWindowVisible(dlg));
    EXPECT_EQ(GetWindow(dlg, GW_OWNER), main);
    EXPECT_TRUE(GetWindowLongW(dlg, GWL_EXSTYLE) & WS_EX_TOPMOST);  // above the ETA windows
    HWND list = item("frmStorms", IDC_STORM_LIST);
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0),
              static_cast<LRESULT>(app->frmStorms().storm_list.columns.size()));
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2);
    auto cell = [&](int row, int column) { return cell_of(list, row, column); };
    EXPECT_EQ(cell(0, 0), L"A");
    EXPECT_EQ(cell(1, 0), L"B");
    EXPECT_EQ(cell(1, 2), L"00 kt / 00 mph");
    auto highlighted = [&] {
        return static_cast<int>(
            SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    };
    EXPECT_EQ(highlighted(), 1);  // the selected storm's row

    // The user picks the first row: the model hears it once the selection settles.
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    pump_for(100);
    EXPECT_EQ(app->frmStorms().storm_list.selected_row, 0);
    EXPECT_EQ(app->frmMain().storms.selected_number(), 2);
    // Delete in the list erases that row's storm.
    SetFocus(list);
    SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
    ASSERT_EQ(app->frmMain().storms.size(), 1u);
    EXPECT_EQ(app->frmMain().storms.all()[0].number, 2);
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(cell(0, 0), L"B");
    EXPECT_EQ(highlighted(), 0);

    // Where the user leaves the window is stored, in twips.
    SetWindowPos(dlg, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(dlg, WM_EXITSIZEMOVE, 0, 0);
    RECT r{};
    GetWindowRect(dlg, &r);
    EXPECT_EQ(stored("storms_left"),
              std::to_string(MulDiv(r.left, 1440, static_cast<int>(dpi_of(dlg)))));
    EXPECT_EQ(stored("storms_top"),
              std::to_string(MulDiv(r.top, 1440, static_cast<int>(dpi_of(dlg)))));
    SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindowVisible(dlg));
}

TEST_F(ViewsTest, PathcastFloatsResizesAndForwardsItsKeysAndButtons) {
    start();
    FrmPathcast& pc = app->frmPathcast();
    HWND dlg = ui->hwnd_of("frmPathcast");
    ASSERT_NE(dlg, nullptr);
    pc.caption = "Pathcast: storm A";
    pc.note.visible = false;
    pc.rows.items = {"3:15\u20133:24 PM CDT\tin 12 min\tNorman, OK\t3 mi NW\t128,026",
                     "3:20\u20133:31 PM CDT\tin 17 min\tMoore, OK\tover\t62,793"};
    pc.show();
    ui->refresh();
    EXPECT_TRUE(IsWindowVisible(dlg));
    EXPECT_EQ(text_of(dlg), L"Pathcast: storm A");
    EXPECT_TRUE(GetWindowLongW(dlg, GWL_EXSTYLE) & WS_EX_TOPMOST);
    HWND list = item("frmPathcast", IDC_PATHCAST_ROWS);
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(cell_of(list, 1, 2), L"Moore, OK");
    // The town is the widest column; the population lines up at its right.
    for (int k : {0, 1, 3, 4})
        EXPECT_GT(SendMessageW(list, LVM_GETCOLUMNWIDTH, 2, 0),
                  SendMessageW(list, LVM_GETCOLUMNWIDTH, k, 0));
    LVCOLUMNW col{};
    col.mask = LVCF_FMT;
    SendMessageW(list, LVM_GETCOLUMNW, 4, reinterpret_cast<LPARAM>(&col));
    EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);

    // A larger window: the list takes all of it, the buttons keep to the corner.
    auto client_rect = [dlg](HWND h) {
        RECT r{};
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    RECT w{}, c{};
    GetWindowRect(dlg, &w);
    const RECT list_was = client_rect(list),
               close_was = client_rect(item("frmPathcast", IDC_PATHCAST_CLOSE));
    SetWindowPos(dlg, nullptr, 0, 0, w.right - w.left + 120, w.bottom - w.top + 90,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT list_now = client_rect(list),
               close_now = client_rect(item("frmPathcast", IDC_PATHCAST_CLOSE));
    EXPECT_EQ(list_now.right - list_now.left, list_was.right - list_was.left + 120);
    EXPECT_EQ(list_now.bottom - list_now.top, list_was.bottom - list_was.top + 90);
    GetClientRect(dlg, &c);
    EXPECT_EQ(c.right - close_now.right, c.right - 120 - close_was.right);
    EXPECT_LT(list_now.bottom, close_now.top);
    // The place and size are told to the model in twips, and applied when it is shown again.
    SendMessageW(dlg, WM_EXITSIZEMOVE, 0, 0);
    const unsigned dpi = dpi_of(dlg);
    EXPECT_EQ(pc.width_twips, pixels_to_twips(w.right - w.left + 120, dpi));
    EXPECT_EQ(pc.height_twips, pixels_to_twips(w.bottom - w.top + 90, dpi));
    pc.hide();
    pc.left_twips = 1500;
    pc.top_twips = 1200;
    pc.width_twips = 7200;
    pc.height_twips = 3600;
    pc.show();
    ui->refresh();
    GetWindowRect(dlg, &w);
    EXPECT_EQ(w.left, twips_to_pixels(1500, dpi));
    EXPECT_EQ(w.right - w.left, twips_to_pixels(7200, dpi));
    EXPECT_EQ(w.bottom - w.top, twips_to_pixels(3600, dpi));

    // Ctrl+C in the list and the Copy button copy; Enter does nothing; Esc closes.
    int copies = 0;
    pc.copy.on_click = [&copies] { ++copies; };
    SendMessageW(item("frmPathcast", IDC_PATHCAST_COPY), BM_CLICK, 0, 0);
    BYTE keys[256] = {}, saved[256] = {};
    GetKeyboardState(saved);
    std::copy(saved, saved + 256, keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    PostMessageW(list, WM_KEYDOWN, 'C', 0);
    pump_for(50);
    SetKeyboardState(saved);
    EXPECT_EQ(copies, 2);
    PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
    pump_for(50);
    EXPECT_TRUE(IsWindowVisible(dlg));
    PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0);
    pump_for(50);
    EXPECT_FALSE(IsWindowVisible(dlg));
    pc.show();
    ui->refresh();
    SendMessageW(item("frmPathcast", IDC_PATHCAST_CLOSE), BM_CLICK, 0, 0);
    EXPECT_FALSE(pc.visible);
    EXPECT_FALSE(IsWindowVisible(dlg));
}

TEST_F(ViewsTest, WatchedPlacesAreAddedByTheFieldsAndRenamedAndRemovedByTheListsKeys) {
    start();
    std::vector<std::string> boxes;
    platform->emit = [&boxes](const std::string& e) {
        if (e.rfind("msgbox", 0) == 0) boxes.push_back(e);
    };
    HWND main = ui->hwnd_of("frmMain");
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_STORMS_WATCHED, 0), 0);
    HWND dlg = ui->hwnd_of("frmWatched");
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(IsWindowVisible(dlg));
    EXPECT_EQ(text_of(dlg), L"Watched Places");
    EXPECT_EQ(GetWindow(dlg, GW_OWNER), main);
    EXPECT_TRUE(GetWindowLongW(dlg, GWL_EXSTYLE) & WS_EX_TOPMOST);
    HWND list = item("frmWatched", IDC_WATCHED_PLACES);
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    ASSERT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 3);
    const wchar_t* titles[] = {L"Name", L"Latitude", L"Longitude"};
    for (int k = 0; k < 3; ++k) {
        wchar_t buf[32] = {};
        HDITEMW hd{};
        hd.mask = HDI_TEXT;
        hd.pszText = buf;
        hd.cchTextMax = 32;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(k), reinterpret_cast<LPARAM>(&hd));
        EXPECT_STREQ(buf, titles[k]);
    }

    // Enter in the position field adds the place; the fields empty.
    HWND name = item("frmWatched", IDC_WATCHED_NAME),
         position = item("frmWatched", IDC_WATCHED_POSITION);
    SetWindowTextW(name, L"Home");
    SetWindowTextW(position, L"35.47, -97.52");
    SetFocus(position);
    PostMessageW(position, WM_KEYDOWN, VK_RETURN, 0);
    pump_for(50);
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(cell_of(list, 0, 0), L"Home");
    EXPECT_EQ(cell_of(list, 0, 1), L"35.47");
    EXPECT_EQ(cell_of(list, 0, 2), L"-97.52");
    EXPECT_EQ(text_of(name), L"");
    EXPECT_EQ(text_of(position), L"");
    EXPECT_TRUE(boxes.empty());

    // A position that is no position: the model's message, nothing added,
    // the typing kept for mending.
    SetWindowTextW(name, L"Shelter");
    SetWindowTextW(position, L"north of town");
    SendMessageW(item("frmWatched", IDC_WATCHED_ADD), BM_CLICK, 0, 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("latitude and a longitude"), std::string::npos) << boxes[0];
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(text_of(position), L"north of town");
    SetWindowTextW(position, L"35.2 -97.4");
    SendMessageW(item("frmWatched", IDC_WATCHED_ADD), BM_CLICK, 0, 0);
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2);

    // F2 in the list renames the highlighted row (the new one) through the
    // input dialog.
    SetFocus(list);
    SendMessageW(list, WM_KEYDOWN, VK_F2, 0);
    HWND input = ui->hwnd_of("frmInput");
    ASSERT_NE(input, nullptr);
    EXPECT_TRUE(IsWindowVisible(input));
    EXPECT_EQ(text_of(item("frmInput", IDC_INP)), L"Shelter");
    SetWindowTextW(item("frmInput", IDC_INP), L"Storm shelter");
    SendMessageW(item("frmInput", IDC_CMD_SAVE), BM_CLICK, 0, 0);
    EXPECT_EQ(cell_of(list, 1, 0), L"Storm shelter");
    // Delete removes it; what is kept is in watched.txt.
    SetFocus(list);
    SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(cell_of(list, 0, 0), L"Home");
    std::ifstream kept(platform->real_path("C:\\Tessaly\\watched.txt"), std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(kept)), {});
    EXPECT_NE(file.find("Home,35.47,-97.52\r\n"), std::string::npos) << file;
    EXPECT_EQ(file.find("shelter"), std::string::npos) << file;

    // Esc closes it.
    PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0);
    pump_for(50);
    EXPECT_FALSE(IsWindowVisible(dlg));
    EXPECT_FALSE(app->frmWatched().visible);
}

TEST_F(ViewsTest, AnAlertShowsInARedBannerThatGrowsTheMainWindowUntilClicked) {
    start();
    HWND main = ui->hwnd_of("frmMain");
    HWND banner = item("frmMain", IDC_ALERT_BANNER);
    ASSERT_NE(banner, nullptr);
    EXPECT_FALSE(IsWindowVisible(banner));
    RECT was{};
    GetWindowRect(main, &was);

    // A storm marked now, moving north at 30 kt, 12 nm south of the place
    // that is then watched: it arrives within the half hour and warns.
    Storm s;
    s.number = 1;
    s.label = "A";
    s.first.lat = 35.0;
    s.first.lon = -97.5;
    s.first.utc = platform->utc_seconds();
    s.second = s.first;
    s.speed_kt = 30;
    s.bearing_deg = 0;
    app->frmMain().storms.add(s);
    ASSERT_TRUE(app->frmMain().add_watched("Home", "35.2", "-97.5"));
    ui->refresh();
    ASSERT_TRUE(IsWindowVisible(banner));
    const std::wstring text = text_of(banner);
    EXPECT_EQ(text.rfind(L"Storm A reaches Home at", 0), 0u) << win32::narrow(text);
    // White on red, from the window's own colour handler.
    HDC dc = GetDC(banner);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        main, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(banner)));
    LOGBRUSH lb{};
    ASSERT_TRUE(brush && GetObjectW(brush, sizeof lb, &lb));
    EXPECT_EQ(lb.lbColor, RGB(200, 0, 0));
    EXPECT_EQ(GetBkColor(dc), RGB(200, 0, 0));
    EXPECT_EQ(GetTextColor(dc), RGB(255, 255, 255));
    ReleaseDC(banner, dc);
    // The window grew to show all of the banner.
    RECT now{}, b{}, client{};
    GetWindowRect(main, &now);
    GetWindowRect(banner, &b);
    GetClientRect(main, &client);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&b), 2);
    EXPECT_GT(now.bottom - now.top, was.bottom - was.top);
    EXPECT_GT(b.bottom - b.top, 0);
    EXPECT_LE(b.bottom, client.bottom);

    // More lines than the banner holds: it stops at four.
    FrmMain& m = app->frmMain();
    const std::string one_line = m.alert_banner.text;
    m.alert_banner.text = "1\n2\n3\n4\n5\n6\n7\n8";
    m.changed();
    TEXTMETRICW tm{};
    dc = GetDC(banner);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(banner, WM_GETFONT, 0, 0)));
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(banner, dc);
    GetClientRect(banner, &b);
    EXPECT_EQ(b.bottom, MainView::kBannerMaxLines * tm.tmHeight);
    EXPECT_EQ(text_of(banner).substr(0, 4), L"1\r\n2");
    m.alert_banner.text = one_line;
    m.changed();

    // A click acknowledges: the banner goes and the window is as it was.
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_ALERT_BANNER, STN_CLICKED),
                 reinterpret_cast<LPARAM>(banner));
    EXPECT_FALSE(IsWindowVisible(banner));
    EXPECT_FALSE(m.alert_banner.visible);
    GetWindowRect(main, &now);
    EXPECT_EQ(now.bottom - now.top, was.bottom - was.top);
    // The next minute's check does not bring the acknowledged alert back.
    m.check_alerts();
    ui->refresh();
    EXPECT_FALSE(IsWindowVisible(banner));

    // An alert while the window is minimized shows once it is restored.
    ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(main));
    m.alert_banner.text = one_line;
    m.alert_banner.visible = true;
    m.changed();
    ShowWindow(main, SW_RESTORE);
    GetWindowRect(main, &now);
    GetClientRect(main, &client);
    GetWindowRect(banner, &b);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&b), 2);
    EXPECT_GT(now.bottom - now.top, was.bottom - was.top);
    EXPECT_LE(b.bottom, client.bottom);
}

TEST_F(ViewsTest, TimersRunFromSetTimerAndTheirEffectsAreRendered) {
    start();
    // Viewer discovery ticks once a second: with no viewer the choices are
    // disabled, then the GRLevel3 one becomes usable when one appears.
    pump_for(1300);
    EXPECT_FALSE(IsWindowEnabled(item("frmMain", IDC_OPTGR3)));
    EXPECT_EQ(text_of(item("frmMain", IDC_STATUS)).rfind(L"Searching for GRLevelX Software", 0),
              0u);
    SimPlatform::SimWindow viewer;
    viewer.title = "KTLX - GRLevel3";
    platform->desktop.push_back(viewer);
    pump_for(1100);
    EXPECT_TRUE(IsWindowEnabled(item("frmMain", IDC_OPTGR3)));
    EXPECT_FALSE(IsWindowEnabled(item("frmMain", IDC_OPTGR2)));
    EXPECT_TRUE(app->frmMain().find_keys.enabled);
    // Choosing it by the button (as a click or its access key would).
    HWND gr3 = item("frmMain", IDC_OPTGR3);
    SendMessageW(gr3, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(gr3, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(stored("grtype"), "gr3");
    // Pausing stops the timers for real.
    SendMessageW(item("frmMain", IDC_STATUS_ON), BM_CLICK, 0, 0);
    platform->desktop.clear();
    pump_for(1300);
    EXPECT_TRUE(IsWindowEnabled(item("frmMain", IDC_OPTGR3)));  // discovery did not run
}

TEST_F(ViewsTest, EditorFieldsAndBoxesWriteThroughTheModel) {
    start(true);  // first start: the notice and the projection editor open
    HWND edit = ui->hwnd_of("frmEdit");
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(IsWindowVisible(edit));
    EXPECT_EQ(text_of(edit), L"Projection Editor");
    EXPECT_EQ(text_of(item("frmEdit", IDC_HKSELECT)), L"Q");
    EXPECT_EQ(text_of(item("frmEdit", IDC_HKERASE)), L"W");
    EXPECT_EQ(SendMessageW(item("frmEdit", IDC_POLYC), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(text_of(item("frmEdit", IDC_POLYC)), L"Add &Polygon");  // access key kept

    SendMessageW(item("frmEdit", IDC_POLYC), BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(item("frmEdit", IDC_POLYC), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(stored("polygon"), "no");
    // Typing a hotkey stores it at once.
    SetWindowTextW(item("frmEdit", IDC_HKERASE), L"Z");
    EXPECT_EQ(stored("hkerase"), "Z");
    EXPECT_EQ(app->frmEdit().hkerase.text, "Z");
    SetWindowTextW(item("frmEdit", IDC_HKWATCH), L"H");
    EXPECT_EQ(stored("hkwatch"), "H");

    // The value buttons open the input dialog with its caption and text.
    SendMessageW(item("frmEdit", IDC_CMD_BORDER_WIDTH), BM_CLICK, 0, 0);
    HWND input = ui->hwnd_of("frmInput");
    ASSERT_NE(input, nullptr);
    EXPECT_TRUE(IsWindowVisible(input));
    EXPECT_EQ(text_of(input), L" Border Line Width");
    // Esc closes it as its close box does: nothing is written.
    SetWindowTextW(item("frmInput", IDC_INP), L"9");
    SendMessageW(input, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindowVisible(input));
    EXPECT_EQ(stored("border_width"), "1");
    SendMessageW(item("frmEdit", IDC_CMD_BORDER_WIDTH), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindowVisible(input));
    SetWindowTextW(item("frmInput", IDC_INP), L"4");
    SendMessageW(item("frmInput", IDC_CMD_SAVE), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowVisible(input));
    EXPECT_EQ(stored("border_width"), "4");

    // Closing the editor unloads it; opening it again reads the store anew.
    SendMessageW(edit, WM_CLOSE, 0, 0);
    EXPECT_FALSE(app->is_loaded("frmEdit"));
    EXPECT_FALSE(IsWindowVisible(edit));
    pump_for(50);
    SendMessageW(ui->hwnd_of("frmMain"), WM_COMMAND, MAKEWPARAM(IDM_PROJECTION_EDIT, 0), 0);
    ASSERT_NE(ui->hwnd_of("frmEdit"), nullptr);
    EXPECT_EQ(text_of(item("frmEdit", IDC_HKERASE)), L"Z");
    EXPECT_EQ(SendMessageW(item("frmEdit", IDC_POLYC), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(ViewsTest, EtaBoxesFollowTheirModels) {
    start();
    FrmCustomETA& box = app->frmCustomETA();
    HWND h = ui->hwnd_of("frmCustomETA");
    ASSERT_NE(h, nullptr);
    // No second position: loading leaves it hidden, even though it was made topmost.
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_EQ(GetWindowLongW(h, GWL_STYLE) & WS_CAPTION, 0);
    box.labels[0].text = "10:05  Norman";
    box.Timer1.enabled = true;
    box.show();
    ui->refresh();
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_TRUE(GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(text_of(GetDlgItem(h, IDC_ETA_LABEL_FIRST)), L"10:05  Norman");
    EXPECT_EQ(text_of(GetDlgItem(h, IDC_LABELTITLE)), L"Korvelv4");
    // The close label hides it and stops its timer: it stays hidden.
    SendMessageW(h, WM_COMMAND, MAKEWPARAM(IDC_LABELCLOSE, STN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(h, IDC_LABELCLOSE)));
    EXPECT_FALSE(box.Timer1.enabled);
    pump_for(100);
    EXPECT_FALSE(IsWindowVisible(h));
    // A hidden window's topmost call does not bring it back.
    ui->make_topmost(box);
    EXPECT_FALSE(IsWindowVisible(h));
}

// The ETA window raises itself every 10 ms; a dialog opened while it is shown
// must stay above it, the ETA window staying topmost.
TEST_F(ViewsTest, EtaWindowsDoNotBuryTheDialogs) {
    start();
    FrmCustomETA& box = app->frmCustomETA();
    box.Timer1.enabled = true;
    box.show();
    ui->refresh();
    pump_for(100);
    SendMessageW(ui->hwnd_of("frmMain"), WM_COMMAND, MAKEWPARAM(IDM_PROJECTION_EDIT, 0), 0);
    HWND editor = ui->hwnd_of("frmEdit"), eta = ui->hwnd_of("frmCustomETA");
    ASSERT_NE(editor, nullptr);
    pump_for(300);
    auto above = [](HWND top, HWND below) {
        for (HWND h = GetWindow(top, GW_HWNDNEXT); h; h = GetWindow(h, GW_HWNDNEXT))
            if (h == below) return true;
        return false;
    };
    EXPECT_TRUE(IsWindowVisible(editor));
    EXPECT_TRUE(above(editor, eta));
    EXPECT_TRUE(GetWindowLongW(eta, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(ViewsTest, AFaultNoHandlerKnowsIsReportedOnceAndTheProgramGoesOn) {
    start();
    int reports = 0;
    ui->set_failure_report([&reports](const std::string&, bool) { ++reports; });
    Control* about = app->frmMain().control("mnu_help_about");
    ASSERT_NE(about, nullptr);
    std::function<void()> handler = about->on_click;
    about->on_click = [] { throw 42; };
    HWND main = ui->hwnd_of("frmMain");
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_HELP_ABOUT, 0), 0);
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_HELP_ABOUT, 0), 0);
    EXPECT_EQ(reports, 1);
    // The event is not left marked as running: it works again.
    about->on_click = handler;
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_HELP_ABOUT, 0), 0);
    EXPECT_TRUE(IsWindowVisible(ui->hwnd_of("frmAbout")));
}

TEST_F(ViewsTest, TwipPositionsFollowTheDpi) {
    EXPECT_EQ(twips_to_pixels(6000, 96), 400);
    EXPECT_EQ(twips_to_pixels(200, 96), 13);
    EXPECT_EQ(twips_to_pixels(6000, 144), 600);
    EXPECT_EQ(twips_to_pixels(3700, 120), 308);
    start();
    RECT r{};
    GetWindowRect(ui->hwnd_of("frmMain"), &r);
    unsigned dpi = dpi_at(POINT{0, 0});
    EXPECT_EQ(r.left, twips_to_pixels(6000, dpi));
    EXPECT_EQ(r.top, twips_to_pixels(200, dpi));
}

}  // namespace
}  // namespace tessaly::ui
