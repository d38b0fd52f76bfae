// A small stand-in for a radar viewer: a titled window with a five-part status
// bar showing the position under the mouse, and a map drawing a placefile that
// is re-read every second. Used to demonstrate Tessaly without a viewer and as
// the window the Win32 tests read. F9 drops the comma from the position text.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "placefile/placefile_parser.h"

using tessaly::ParsedPlacefile;
using tessaly::PfColor;

namespace {

struct Options {
    std::string site = "KTLX";
    std::string kind = "GRLevel3";
    bool warnings = false;
    std::string placefile;
    double center_lat = 35.2, center_lon = -97.4;
    double scale = 0.002;  // degrees per pixel
};

Options g_opt;
HWND g_main = nullptr;
HWND g_status = nullptr;
ParsedPlacefile g_pf;
std::string g_pf_text;
bool g_pf_missing = true;
bool g_tracking_mouse = false;
// F9 switches the position text to "lat lon" without the comma (a text
// Tessaly cannot read), to try its failure path; F9 again switches back.
bool g_no_comma = false;
HFONT g_font = nullptr;

constexpr UINT_PTR kReloadTimer = 1;
constexpr int kStatusPosition = 4;

bool parse_args(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--warnings") {
            o.warnings = true;
        } else if (a == "--site") {
            if (!next(o.site)) return false;
        } else if (a == "--kind") {
            if (!next(o.kind)) return false;
        } else if (a == "--placefile") {
            if (!next(o.placefile)) return false;
        } else if (a == "--center") {
            if (!next(v) || std::sscanf(v.c_str(), "%lf,%lf", &o.center_lat, &o.center_lon) != 2)
                return false;
        } else if (a == "--scale") {
            if (!next(v)) return false;
            o.scale = std::atof(v.c_str());
            if (!(o.scale >= 1e-6 && o.scale <= 1.0)) return false;
        } else {
            return false;
        }
    }
    return std::isfinite(o.center_lat) && std::isfinite(o.center_lon);
}

// --- map geometry -----------------------------------------------------------

RECT map_rect() {
    RECT rc{};
    GetClientRect(g_main, &rc);
    if (g_status) {
        RECT sb{};
        GetWindowRect(g_status, &sb);
        rc.bottom = std::max<LONG>(rc.top, rc.bottom - (sb.bottom - sb.top));
    }
    return rc;
}

// Far-off points are clamped so GDI never sees absurd coordinates.
int clamp_px(double v) { return static_cast<int>(std::clamp(v, -100000.0, 100000.0)); }

POINT to_px(const RECT& m, double lat, double lon) {
    double x = (lon - g_opt.center_lon) / g_opt.scale + (m.right - m.left) / 2.0;
    double y = (g_opt.center_lat - lat) / g_opt.scale + (m.bottom - m.top) / 2.0;
    return POINT{clamp_px(x), clamp_px(y)};
}

void to_latlon(const RECT& m, int x, int y, double& lat, double& lon) {
    lon = g_opt.center_lon + (x - (m.right - m.left) / 2.0) * g_opt.scale;
    lat = g_opt.center_lat - (y - (m.bottom - m.top) / 2.0) * g_opt.scale;
}

COLORREF rgb(const PfColor& c) { return RGB(c.r, c.g, c.b); }

// Alpha as written is a 0-100 opacity; larger values count as opaque.
BYTE opacity(const PfColor& c) {
    return static_cast<BYTE>(std::clamp(c.alpha, 0, 100) * 255 / 100);
}

std::wstring widen(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    UINT cp = CP_UTF8;
    if (n <= 0) {  // not UTF-8: take it as the ANSI code page
        cp = CP_ACP;
        n = MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    }
    if (n <= 0) return {};
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

// --- drawing ----------------------------------------------------------------

void draw_grid(HDC dc, const RECT& m) {
    const double steps[] = {0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 45};
    double step = 45;
    for (double s : steps)
        if (s / g_opt.scale >= 60) {
            step = s;
            break;
        }
    double lat0, lon0, lat1, lon1;
    to_latlon(m, m.left, m.bottom, lat0, lon0);
    to_latlon(m, m.right, m.top, lat1, lon1);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(70, 80, 95));
    HGDIOBJ old = SelectObject(dc, pen);
    SetTextColor(dc, RGB(120, 130, 150));
    wchar_t label[32];
    for (double lat = std::floor(lat0 / step) * step; lat <= lat1; lat += step) {
        POINT p = to_px(m, lat, lon0);
        MoveToEx(dc, m.left, p.y, nullptr);
        LineTo(dc, m.right, p.y);
        int n = swprintf(label, 32, L"%.2f", lat);
        TextOutW(dc, m.left + 2, p.y + 1, label, std::max(n, 0));
    }
    for (double lon = std::floor(lon0 / step) * step; lon <= lon1; lon += step) {
        POINT p = to_px(m, lat0, lon);
        MoveToEx(dc, p.x, m.top, nullptr);
        LineTo(dc, p.x, m.bottom);
        int n = swprintf(label, 32, L"%.2f", lon);
        TextOutW(dc, p.x + 2, m.top + 2, label, std::max(n, 0));
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

// Fills a polygon with transparency: draw it opaque into a copy of the area
// under it, then blend that copy back at the polygon's opacity.
void draw_polygon(HDC dc, const RECT& m, const tessaly::PfPolygon& poly) {
    if (poly.vertices.size() < 3) return;
    std::vector<POINT> pts;
    RECT box{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    for (const auto& v : poly.vertices) {
        POINT p = to_px(m, v.lat, v.lon);
        pts.push_back(p);
        box.left = std::min(box.left, p.x);
        box.top = std::min(box.top, p.y);
        box.right = std::max(box.right, p.x + 1);
        box.bottom = std::max(box.bottom, p.y + 1);
    }
    RECT clip{};
    if (!IntersectRect(&clip, &box, &m)) return;
    int w = clip.right - clip.left, h = clip.bottom - clip.top;
    for (auto& p : pts) p.x -= clip.left, p.y -= clip.top;

    HDC tmp = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, w, h);
    HGDIOBJ old_bmp = SelectObject(tmp, bmp);
    BitBlt(tmp, 0, 0, w, h, dc, clip.left, clip.top, SRCCOPY);
    HBRUSH brush = CreateSolidBrush(rgb(poly.fill));
    HGDIOBJ old_brush = SelectObject(tmp, brush);
    HGDIOBJ old_pen = SelectObject(tmp, GetStockObject(NULL_PEN));
    Polygon(tmp, pts.data(), static_cast<int>(pts.size()));
    SelectObject(tmp, old_pen);
    SelectObject(tmp, old_brush);
    DeleteObject(brush);
    BLENDFUNCTION bf{AC_SRC_OVER, 0, opacity(poly.fill), 0};
    AlphaBlend(dc, clip.left, clip.top, w, h, tmp, 0, 0, w, h, bf);
    SelectObject(tmp, old_bmp);
    DeleteObject(bmp);
    DeleteDC(tmp);
}

void draw_line(HDC dc, const RECT& m, const tessaly::PfLine& line) {
    if (line.points.size() < 2) return;
    std::vector<POINT> pts;
    for (const auto& p : line.points) pts.push_back(to_px(m, p.lat, p.lon));
    HPEN pen = CreatePen(PS_SOLID, std::clamp(line.width, 1, 50), rgb(line.color));
    HGDIOBJ old = SelectObject(dc, pen);
    Polyline(dc, pts.data(), static_cast<int>(pts.size()));
    SelectObject(dc, old);
    DeleteObject(pen);
}

// Icons are drawn as small triangles pointing along their angle (degrees
// clockwise from north); the icon number picks the colour (start, step, end).
void draw_icon(HDC dc, POINT c, const tessaly::PfIcon& icon) {
    const double pi = 3.14159265358979323846;
    double a = icon.angle * pi / 180.0;
    auto at = [&](double fwd, double side) {
        double x = fwd * std::sin(a) + side * std::cos(a);
        double y = -fwd * std::cos(a) + side * std::sin(a);
        return POINT{c.x + static_cast<int>(std::lround(x)),
                     c.y + static_cast<int>(std::lround(y))};
    };
    POINT tri[3] = {at(8, 0), at(-5, -5), at(-5, 5)};
    COLORREF fill = icon.icon == 1   ? RGB(40, 200, 60)
                    : icon.icon == 3 ? RGB(230, 40, 40)
                                     : RGB(250, 210, 40);
    HBRUSH brush = CreateSolidBrush(fill);
    HGDIOBJ old_brush = SelectObject(dc, brush);
    HGDIOBJ old_pen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Polygon(dc, tri, 3);
    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
    DeleteObject(brush);
}

void draw_text(HDC dc, POINT p, const tessaly::PfText& t) {
    std::wstring w = widen(t.label);
    if (w.empty()) return;
    SetTextColor(dc, rgb(t.color));
    TextOutW(dc, p.x, p.y, w.data(), static_cast<int>(std::min<size_t>(w.size(), 1000)));
}

// The text under the mouse that has a hover text, as a viewer shows it.
struct Hovered {
    const tessaly::PfText* text = nullptr;
    POINT at{};
};
POINT g_mouse{-1000, -1000};

Hovered hover_at(const RECT& m, POINT mouse) {
    auto close_to = [&](POINT p) {
        return std::abs(p.x - mouse.x) <= 8 && std::abs(p.y - mouse.y) <= 8;
    };
    for (const auto& t : g_pf.texts) {
        POINT p = to_px(m, t.lat, t.lon);
        if (!t.hover.empty() && close_to(p)) return {&t, p};
    }
    for (const auto& o : g_pf.objects) {
        POINT base = to_px(m, o.lat, o.lon);
        for (const auto& t : o.texts) {
            POINT p{base.x + clamp_px(t.lat), base.y - clamp_px(t.lon)};
            if (!t.hover.empty() && close_to(p)) return {&t, p};
        }
    }
    return {};
}

void draw_hover(HDC dc, const RECT& m) {
    Hovered h = hover_at(m, g_mouse);
    if (!h.text) return;
    // "\n" breaks lines; trailing empty lines are padding, not content.
    std::vector<std::wstring> lines{L""};
    std::wstring w = widen(h.text->hover);
    for (size_t i = 0; i < w.size(); ++i) {
        if (w[i] == L'\\' && i + 1 < w.size() && w[i + 1] == L'n') {
            lines.emplace_back();
            ++i;
        } else {
            lines.back() += w[i];
        }
    }
    while (lines.size() > 1 && lines.back().empty()) lines.pop_back();
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    int width = 0;
    for (const auto& l : lines) {
        SIZE sz{};
        GetTextExtentPoint32W(dc, l.c_str(), static_cast<int>(l.size()), &sz);
        width = std::max(width, static_cast<int>(sz.cx));
    }
    RECT box{h.at.x + 12, h.at.y + 12, h.at.x + 12 + width + 8,
             h.at.y + 12 + static_cast<int>(lines.size()) * tm.tmHeight + 6};
    HBRUSH bg = CreateSolidBrush(RGB(255, 255, 225));
    FillRect(dc, &box, bg);
    FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    DeleteObject(bg);
    SetTextColor(dc, RGB(0, 0, 0));
    for (size_t i = 0; i < lines.size(); ++i)
        TextOutW(dc, box.left + 4, box.top + 3 + static_cast<int>(i) * tm.tmHeight,
                 lines[i].c_str(), static_cast<int>(lines[i].size()));
}

void paint(HDC dc, const RECT& m) {
    HBRUSH bg = CreateSolidBrush(RGB(24, 28, 36));
    FillRect(dc, &m, bg);
    DeleteObject(bg);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old_font =
        SelectObject(dc, g_font ? static_cast<HGDIOBJ>(g_font) : GetStockObject(DEFAULT_GUI_FONT));
    draw_grid(dc, m);
    for (const auto& p : g_pf.polygons) draw_polygon(dc, m, p);
    for (const auto& l : g_pf.lines) draw_line(dc, m, l);
    for (const auto& i : g_pf.icons) draw_icon(dc, to_px(m, i.lat, i.lon), i);
    for (const auto& t : g_pf.texts) draw_text(dc, to_px(m, t.lat, t.lon), t);
    for (const auto& o : g_pf.objects) {
        POINT base = to_px(m, o.lat, o.lon);
        for (const auto& i : o.icons) draw_icon(dc, base, i);
        for (const auto& t : o.texts)
            draw_text(dc, POINT{base.x + clamp_px(t.lat), base.y - clamp_px(t.lon)},
                      t);  // pixel offsets, y up
    }
    draw_hover(dc, m);
    if (g_opt.placefile.empty() || g_pf_missing) {
        SetTextColor(dc, RGB(200, 200, 200));
        const wchar_t* msg = g_opt.placefile.empty() ? L"no placefile (--placefile PATH)"
                                                     : L"placefile not readable";
        TextOutW(dc, m.left + 8, m.bottom - 20, msg, static_cast<int>(wcslen(msg)));
    }
    SelectObject(dc, old_font);
}

// --- placefile and status bar -------------------------------------------------

void set_part(int part, const std::string& text) {
    if (g_status)
        SendMessageA(g_status, SB_SETTEXTA, static_cast<WPARAM>(part),
                     reinterpret_cast<LPARAM>(text.c_str()));
}

void reload() {
    if (g_opt.placefile.empty()) return;
    // Full sharing, so a writer replacing the file by rename is never blocked by us.
    HANDLE f = CreateFileA(g_opt.placefile.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool missing = f == INVALID_HANDLE_VALUE;
    std::string text;
    if (!missing) {
        char buf[65536];
        DWORD got = 0;
        while (text.size() < (64u << 20) && ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0)
            text.append(buf, got);
        CloseHandle(f);
    }
    if (missing == g_pf_missing && text == g_pf_text) return;  // unchanged: no repaint, no flicker
    g_pf_missing = missing;
    g_pf_text = std::move(text);
    g_pf = tessaly::parse_placefile(g_pf_text);
    char info[96];
    std::snprintf(info, sizeof info, "%zu polygons, %zu lines, %zu icons, %zu problems",
                  g_pf.polygons.size(), g_pf.lines.size(), g_pf.icons.size() + g_pf.objects.size(),
                  g_pf.problems.size());
    set_part(2, missing ? std::string("placefile not readable") : std::string(info));
    InvalidateRect(g_main, nullptr, FALSE);
}

void layout_status() {
    if (!g_status) return;
    SendMessageA(g_status, WM_SIZE, 0, 0);
    RECT rc{};
    GetClientRect(g_main, &rc);
    int w = rc.right;
    int edges[5] = {w * 10 / 100, w * 25 / 100, w * 60 / 100, w * 75 / 100, -1};
    SendMessageA(g_status, SB_SETPARTS, 5, reinterpret_cast<LPARAM>(edges));
}

void show_position(int x, int y) {
    RECT m = map_rect();
    if (x < m.left || x >= m.right || y < m.top || y >= m.bottom) {
        set_part(kStatusPosition, "");
        return;
    }
    double lat, lon;
    to_latlon(m, x, y, lat, lon);
    char text[64];
    std::snprintf(text, sizeof text, g_no_comma ? "%.4f %.4f" : "%.4f, %.4f", lat, lon);
    set_part(kStatusPosition, text);
}

LRESULT CALLBACK main_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SIZE:
            layout_status();
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_ERASEBKGND: return 1;  // painting covers everything (double-buffered)
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT m = map_rect();
            int w = std::max<LONG>(1, m.right), h = std::max<LONG>(1, m.bottom);
            HDC mem = CreateCompatibleDC(dc);
            HBITMAP bmp = CreateCompatibleBitmap(dc, w, h);
            HGDIOBJ old = SelectObject(mem, bmp);
            paint(mem, m);
            BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
            SelectObject(mem, old);
            DeleteObject(bmp);
            DeleteDC(mem);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (!g_tracking_mouse) {
                TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd, 0};
                g_tracking_mouse = TrackMouseEvent(&tme) != FALSE;
            }
            show_position(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
            {
                POINT now{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
                RECT m = map_rect();
                if (hover_at(m, now).text != hover_at(m, g_mouse).text)
                    InvalidateRect(hwnd, &m, FALSE);
                g_mouse = now;
            }
            return 0;
        case WM_MOUSELEAVE:
            g_tracking_mouse = false;
            g_mouse = POINT{-1000, -1000};
            InvalidateRect(hwnd, nullptr, FALSE);
            set_part(kStatusPosition, "");
            return 0;
        case WM_TIMER:
            if (wp == kReloadTimer) reload();
            return 0;
        case WM_KEYDOWN:
            if (wp == VK_F9 && !(lp & (1 << 30))) g_no_comma = !g_no_comma;
            return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

LRESULT CALLBACK warnings_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc{};
        GetClientRect(hwnd, &rc);
        FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetBkMode(dc, TRANSPARENT);
        const wchar_t* msg_text = L"No active warnings";
        TextOutW(dc, 8, 8, msg_text, static_cast<int>(wcslen(msg_text)));
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int main(int argc, char** argv) {
    if (!parse_args(argc, argv, g_opt)) {
        MessageBoxA(nullptr,
                    "demo-viewer [--site KTLX] [--kind GRLevel3|GRLevel2|GR2Analyst] [--warnings]\n"
                    "            [--placefile PATH] [--center LAT,LON] [--scale DEG_PER_PIXEL]",
                    "demo-viewer", MB_OK);
        return 2;
    }
    HINSTANCE inst = GetModuleHandleA(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);

    WNDCLASSA wc{};
    wc.lpfnWndProc = main_proc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_CROSS);
    wc.lpszClassName = "TessalyDemoViewer";
    if (!RegisterClassA(&wc)) return 1;
    WNDCLASSA ww{};
    ww.lpfnWndProc = warnings_proc;
    ww.hInstance = inst;
    ww.hCursor = LoadCursor(nullptr, IDC_ARROW);
    ww.lpszClassName = "TessalyDemoWarnings";
    RegisterClassA(&ww);

    g_font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                         "Segoe UI");
    std::string title = g_opt.site + " - " + g_opt.kind;
    g_main = CreateWindowExA(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 40, 40, 900,
                             700, nullptr, nullptr, inst, nullptr);
    if (!g_main) return 1;
    g_status = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0,
                               0, 0, 0, g_main, nullptr, inst, nullptr);
    layout_status();
    set_part(0, g_opt.site);
    set_part(1, g_opt.kind);
    set_part(2, g_opt.placefile.empty() ? "no placefile" : "");
    ShowWindow(g_main, SW_SHOW);
    UpdateWindow(g_main);

    if (g_opt.warnings) {
        std::string wt = "Warnings - " + g_opt.kind;
        HWND w = CreateWindowExA(0, ww.lpszClassName, wt.c_str(), WS_OVERLAPPEDWINDOW, 960, 40, 300,
                                 200, nullptr, nullptr, inst, nullptr);
        if (w) ShowWindow(w, SW_SHOWNOACTIVATE);
    }

    reload();
    SetTimer(g_main, kReloadTimer, 1000, nullptr);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (g_font) DeleteObject(g_font);
    return 0;
}
