#pragma once
// The ETA editor: which ETA window the view shows, the ETA window colours,
// the marker look, the lookup's quality switches and the web service.
#include "app/window.h"

namespace tessaly {

class FrmEditETA : public Window {
public:
    explicit FrmEditETA(App& app);

    Control displayeta, displayetamed, displayeta2;
    Control Command1, Command2, Command3, command4, Command5, Command6;
    Control radius, etaqc_historic;
    Control eta_rep, eta_fontsize, eta_rgb;
    Control showcity, showtime;
    Control opt_local_db, opt_server_db;
    Control eta_server, eta_username;  // the web service: base address and user name
    Control focus, hint;

    void load() override;
    void close_request() override;  // stores the marker texts, then unloads

private:
    void colour_button(const char* key);
    void display_box(Control& box, const char* key);
    bool loading_ = false;
};

}  // namespace tessaly
