// Tessaly.exe: the window models of the portable core on the Win32 platform,
// one UI thread, one message loop.
#include <windows.h>

#include <commctrl.h>

#include "app/app.h"
#include "platform/win32/win32_platform.h"
#include "ui/win32/win32_ui.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);

    tessaly::Win32Platform platform;
    tessaly::ui::Win32Ui ui(instance);
    tessaly::App app(platform, ui);
    ui.attach(app);
    // The loop that runs while a web request is out keeps keyboard
    // navigation in the modeless windows working.
    platform.set_message_filter(
        [&ui](void* msg) { return ui.dialog_message(static_cast<MSG*>(msg)); });
    // The hotkeys are read from a keyboard hook on this thread where the
    // system allows one; otherwise from the asynchronous key state.
    // Presses then come as posted messages, and the scan runs on them.
    if (platform.start_key_hook()) {
        platform.set_key_press_notice(ui.message_window(), tessaly::ui::Win32Ui::kKeyPressMessage);
        ui.set_key_presses_posted(true);
    }
    platform.set_modal_hook([&ui](bool open) { ui.modal(open); });

    platform.remove_stale_temp();
    ui.window_loaded(app.frmMain());  // the main window model exists before the front end
    platform.set_owner_window(ui.hwnd_of("frmMain"));
    ui.forward(&app, [&app] { app.start(); });
    int code = app.ended() ? 0 : ui.run();
    platform.set_key_press_notice(nullptr, 0);
    platform.stop_key_hook();
    return code;
}
