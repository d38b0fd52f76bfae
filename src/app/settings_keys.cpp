#include "app/settings_keys.h"

#include "core/numtext.h"

namespace tessaly {

std::optional<int> minutes_setting(std::string_view text, const SettingKey& key) {
    return minutes_setting(text, key.lo, key.hi);
}

int number_in_range(const SettingKey& key, std::string_view text) {
    return minutes_setting(text, key).value_or(key.fallback_number());
}

std::string range_words(const SettingKey& key) {
    return "from " + std::to_string(key.lo) + " to " + std::to_string(key.hi);
}

std::string range_brackets(const SettingKey& key) {
    return "(" + std::to_string(key.lo) + "-" + std::to_string(key.hi) + ")";
}

}  // namespace tessaly
