// The record tree without its widget: the four fixed items, the record items of the three
// branches in the tree's order, the path array their items refer to, and the lookups the
// selection rules need. The tree widget mirrors it item for item.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/configuration.h"
#include "core/record_kind.h"
#include "editor/command_line.h"

namespace veltrix::editor {

// Item data of the fixed items; record items carry their index in the path array (0 or more).
inline constexpr int kOptionsItem = -2;
inline constexpr int kIdentitiesItem = -3;
inline constexpr int kWebLoginsItem = -4;
inline constexpr int kSecureNotesItem = -5;

// The branch label of kinds 1 to 3, and "Options" for kind 4.
std::u16string_view BranchLabel(RecordKind kind);
// The item data of a fixed item: Options or a branch.
int FixedItemData(RecordKind kind);
// The kind a fixed item's data stands for; None for record items.
RecordKind KindOfFixedItem(int itemData);
// "Identity", "Web Login", "Secure Note" (and "options"), as messages name the kinds.
std::u16string_view KindWord(RecordKind kind);
// The record kind of a path from its last three characters ("vxi", "vxw", "vxn", compared
// case-sensitively); None for any other ending.
RecordKind KindOfPath(std::u16string_view path);

struct RecordItem {
    std::u16string label;
    int pathIndex = 0;
};

class RecordTree {
public:
    // Empties the path array and lists the three folders of `settings`.
    void Build(config::Settings& settings);

    // The record items of a branch (kinds 1 to 3) in the tree's order.
    const std::vector<RecordItem>& Items(RecordKind kind) const;
    // The full path of a record item's data; empty for anything else.
    std::u16string PathOf(int pathIndex) const;
    std::size_t PathCount() const { return m_paths.size(); }

    // Appends `path` to the path array and inserts the item in order; its position in the branch.
    std::size_t Insert(RecordKind kind, std::u16string_view label, std::u16string_view path);
    // The position of the item whose label equals `label` without regard to case.
    std::optional<std::size_t> Find(RecordKind kind, std::u16string_view label) const;
    // Removes the item `label` (without regard to case); its former position. Its path entry stays.
    std::optional<std::size_t> Remove(RecordKind kind, std::u16string_view label);
    // Gives the item at `position` a new label and path, and moves it to its place in the order;
    // its new position.
    std::size_t Relabel(RecordKind kind, std::size_t position, std::u16string_view label,
                        std::u16string_view path);

private:
    std::vector<RecordItem>& Branch(RecordKind kind);

    std::vector<std::u16string> m_paths;
    std::array<std::vector<RecordItem>, 3> m_branches;
};

// What a selection of the tree stands for.
struct TreeSelection {
    RecordKind kind = RecordKind::None;  // the branch, Options, or None for no selection
    std::u16string label;                // a record item's label; empty for fixed items

    bool operator==(const TreeSelection&) const = default;
};

// Where selecting `target` lands: the record item of that label when the branch has one, else the
// branch; Options for Options.
TreeSelection ResolveTarget(const RecordTree& tree, const TreeTarget& target);

}  // namespace veltrix::editor
