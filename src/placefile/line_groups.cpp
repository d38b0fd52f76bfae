#include "placefile/line_groups.h"

#include <algorithm>

#include "core/failure.h"

namespace tessaly {

namespace {

// Erases the positions `gone` (ascending) from the buffer in one pass.
void erase_positions(std::vector<std::string>& buffer, const std::vector<size_t>& gone) {
    size_t out = 0, g = 0;
    for (size_t i = 0; i < buffer.size(); ++i) {
        if (g < gone.size() && gone[g] == i) {
            ++g;
            continue;
        }
        if (out != i) buffer[out] = std::move(buffer[i]);
        ++out;
    }
    buffer.resize(out);
}

}  // namespace

LineGroups::Id LineGroups::record(LinePurpose purpose, const std::vector<std::string>& buffer,
                                  size_t first, long track) {
    Group g;
    g.id = next_++;
    g.purpose = purpose;
    g.track = track;
    groups_.push_back(std::move(g));
    extend(groups_.back().id, buffer, first);
    return groups_.back().id;
}

void LineGroups::extend(Id id, const std::vector<std::string>& buffer, size_t first) {
    auto it =
        std::find_if(groups_.begin(), groups_.end(), [&](const Group& g) { return g.id == id; });
    if (it == groups_.end()) return;
    for (size_t i = first; i < buffer.size(); ++i) {
        // Positions stay ascending: lines are only ever appended behind a group.
        if (!it->at.empty() && i <= it->at.back()) continue;
        it->at.push_back(i);
        it->lines.push_back(buffer[i]);
    }
}

bool LineGroups::remove(Id id, std::vector<std::string>& buffer) {
    auto it =
        std::find_if(groups_.begin(), groups_.end(), [&](const Group& g) { return g.id == id; });
    if (it == groups_.end()) return false;
    Group g = std::move(*it);
    groups_.erase(it);
    TESSALY_CHECK(g.at.size() == g.lines.size());
    for (size_t k = 0; k < g.at.size(); ++k)
        if (g.at[k] >= buffer.size() || buffer[g.at[k]] != g.lines[k]) return false;
    if (g.at.empty()) return false;
    erase_positions(buffer, g.at);
    erased(g.at);
    return true;
}

size_t LineGroups::remove_if(std::vector<std::string>& buffer,
                             const std::function<bool(const std::string&)>& drop) {
    std::vector<size_t> gone;
    for (size_t i = 0; i < buffer.size(); ++i)
        if (drop(buffer[i])) gone.push_back(i);
    if (gone.empty()) return 0;
    erase_positions(buffer, gone);
    erased(gone);
    return gone.size();
}

bool LineGroups::rewrite(Id id, const std::string& old_text, const std::string& new_text,
                         std::vector<std::string>& buffer) {
    auto it =
        std::find_if(groups_.begin(), groups_.end(), [&](const Group& g) { return g.id == id; });
    if (it == groups_.end()) return false;
    for (size_t k = 0; k < it->lines.size(); ++k) {
        if (it->lines[k] != old_text) continue;
        if (it->at[k] >= buffer.size() || buffer[it->at[k]] != old_text) return false;
        buffer[it->at[k]] = new_text;
        it->lines[k] = new_text;
        return true;
    }
    return false;
}

void LineGroups::erased(const std::vector<size_t>& gone) {
    for (Group& g : groups_) {
        size_t out = 0;
        for (size_t k = 0; k < g.at.size(); ++k) {
            auto below = std::lower_bound(gone.begin(), gone.end(), g.at[k]);
            if (below != gone.end() && *below == g.at[k]) continue;  // this line went too
            g.at[out] = g.at[k] - static_cast<size_t>(below - gone.begin());
            if (out != k) g.lines[out] = std::move(g.lines[k]);
            ++out;
        }
        g.at.resize(out);
        g.lines.resize(out);
    }
}

const LineGroups::Group* LineGroups::find(Id id) const {
    for (const Group& g : groups_)
        if (g.id == id) return &g;
    return nullptr;
}

const LineGroups::Group* LineGroups::newest() const {
    return groups_.empty() ? nullptr : &groups_.back();
}

const LineGroups::Group* LineGroups::newest(LinePurpose purpose) const {
    for (auto it = groups_.rbegin(); it != groups_.rend(); ++it)
        if (it->purpose == purpose) return &*it;
    return nullptr;
}

std::vector<LineGroups::Id> LineGroups::ids(LinePurpose purpose) const {
    std::vector<Id> v;
    for (const Group& g : groups_)
        if (g.purpose == purpose) v.push_back(g.id);
    return v;
}

}  // namespace tessaly
