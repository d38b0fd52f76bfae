#pragma once
// The pathcast window: one row per town in a storm's path, kept current by a
// one-minute tick, with the text for a chat a click away.
#include <optional>

#include "app/window.h"
#include "pathcast/pathcast.h"

namespace tessaly {

class FrmPathcast : public Window {
public:
    explicit FrmPathcast(App& app);

    // Cells separated by tabs under rows.columns: arrival–departure, in
    // ("in 12 min" or "now"), town, passes ("3 mi NW", "over"), population.
    Control rows;
    // Shown instead of rows when there are none: kNotMoving or kNoTowns.
    Control note;
    Control copy, close;
    Timer minute_Timer;
    static constexpr int kMinuteIntervalMs = 60000;

    void load() override;
    void close_request() override;
    void moved() override;
    void resized() override;

    // Shows `p` (a new view of a storm) and starts the tick.
    void show_pathcast(Pathcast p);
    // The pathcast shown; nullopt when none is.
    const std::optional<Pathcast>& shown() const { return pathcast_; }

    void copy_rows();
    void close_window();
    // Updates "in N min", turns arrived rows to "now" and drops towns the
    // storm has left; the map labels follow, in one placefile write.
    void refresh_minute();

private:
    void render();
    std::optional<Pathcast> pathcast_;
};

}  // namespace tessaly
