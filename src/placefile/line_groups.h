#pragma once
// Groups of placefile buffer lines written together for one purpose (the
// markers of a half-marked track, a bow point's marker, a finished track's
// projection, a built bow echo), recorded by position and text so that
// exactly those lines can be taken out again later, however the buffer grew
// or shrank around them since.
//
// Appending to the buffer never moves a group. Every other change of the
// buffer goes through this class: remove() and remove_if() keep the other
// groups' positions right; clear() goes with a reset of the buffer.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tessaly {

enum class LinePurpose {
    half_mark,  // the marker lines of a track's marks (first and second press)
    bow_point,  // one bow echo point's two marker lines
    track,      // a compiled track (its ETA lines are found by their tag)
    bow_echo,   // a built bow echo block
};

class LineGroups {
public:
    using Id = std::uint64_t;  // 0 is no group

    struct Group {
        Id id = 0;
        LinePurpose purpose = LinePurpose::half_mark;
        long track = 0;                  // the track's number (tracker) where counted, else 0
        std::vector<size_t> at;          // buffer positions, ascending
        std::vector<std::string> lines;  // the text written at each position
    };

    // Records buffer[first ..] (to the end) as a new group, the newest; an
    // empty range makes an empty group. Returns its id.
    Id record(LinePurpose purpose, const std::vector<std::string>& buffer, size_t first,
              long track = 0);
    // Adds buffer[first ..] to an existing group; an unknown id adds nothing.
    void extend(Id id, const std::vector<std::string>& buffer, size_t first);

    // Takes the group's lines out of the buffer if every one of them still
    // stands where it was recorded, with its text; otherwise leaves the
    // buffer as it is ("gone": it was changed behind this class's back).
    // The group is forgotten either way. Returns whether lines were removed.
    bool remove(Id id, std::vector<std::string>& buffer);
    // Takes out every line for which `drop` is true; lines of groups among
    // them leave their groups. Returns the number of lines taken out.
    size_t remove_if(std::vector<std::string>& buffer,
                     const std::function<bool(const std::string&)>& drop);
    // Puts new text on the group's line that reads `old_text`, in the buffer
    // and in the record; false when the group or that line is not there.
    bool rewrite(Id id, const std::string& old_text, const std::string& new_text,
                 std::vector<std::string>& buffer);
    // The id the next group gets: every group recorded later has a larger one.
    Id next_id() const { return next_; }
    // Forgets every group: the buffer was reset.
    void clear() { groups_.clear(); }

    // nullptr when there is none; valid until the next change of the groups.
    const Group* find(Id id) const;
    const Group* newest() const;
    const Group* newest(LinePurpose purpose) const;
    // Ids of the groups of a purpose, oldest first.
    std::vector<Id> ids(LinePurpose purpose) const;
    size_t size() const { return groups_.size(); }

private:
    // Buffer positions `gone` (ascending) were erased: groups follow.
    void erased(const std::vector<size_t>& gone);
    std::vector<Group> groups_;  // oldest first
    Id next_ = 1;
};

}  // namespace tessaly
