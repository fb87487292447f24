#include "editor/record_tree.h"

#include <algorithm>

#include "editor/record_listing.h"
#include "platform/text.h"

namespace veltrix::editor {
namespace {

std::size_t BranchIndex(RecordKind kind) {
    return static_cast<std::size_t>(kind) - 1;
}

bool IsRecordKind(RecordKind kind) {
    return kind == RecordKind::Identity || kind == RecordKind::WebLogin ||
           kind == RecordKind::SecureNote;
}

constexpr RecordKind kRecordKinds[] = {RecordKind::Identity, RecordKind::WebLogin,
                                       RecordKind::SecureNote};

}  // namespace

std::u16string_view BranchLabel(RecordKind kind) {
    switch (kind) {
        case RecordKind::Identity:
            return u"Identities";
        case RecordKind::WebLogin:
            return u"Web Logins";
        case RecordKind::SecureNote:
            return u"Secure Notes";
        case RecordKind::Options:
            return u"Options";
        default:
            return {};
    }
}

int FixedItemData(RecordKind kind) {
    switch (kind) {
        case RecordKind::Identity:
            return kIdentitiesItem;
        case RecordKind::WebLogin:
            return kWebLoginsItem;
        case RecordKind::SecureNote:
            return kSecureNotesItem;
        default:
            return kOptionsItem;
    }
}

RecordKind KindOfFixedItem(int itemData) {
    switch (itemData) {
        case kOptionsItem:
            return RecordKind::Options;
        case kIdentitiesItem:
            return RecordKind::Identity;
        case kWebLoginsItem:
            return RecordKind::WebLogin;
        case kSecureNotesItem:
            return RecordKind::SecureNote;
        default:
            return RecordKind::None;
    }
}

std::u16string_view KindWord(RecordKind kind) {
    switch (kind) {
        case RecordKind::Identity:
            return u"Identity";
        case RecordKind::WebLogin:
            return u"Web Login";
        case RecordKind::SecureNote:
            return u"Secure Note";
        case RecordKind::Options:
            return u"options";
        default:
            return {};
    }
}

RecordKind KindOfPath(std::u16string_view path) {
    for (RecordKind kind : kRecordKinds) {
        if (path.ends_with(RecordExtension(kind))) {
            return kind;
        }
    }
    return RecordKind::None;
}

void RecordTree::Build(config::Settings& settings) {
    m_paths.clear();
    for (RecordKind kind : kRecordKinds) {
        auto& branch = Branch(kind);
        branch.clear();
        const std::u16string folder = settings.GetRecordFolder(kind);
        for (auto& label : ListRecordLabels(folder, kind)) {
            m_paths.push_back(RecordPath(folder, label, kind));
            branch.push_back({std::move(label), static_cast<int>(m_paths.size() - 1)});
        }
    }
}

const std::vector<RecordItem>& RecordTree::Items(RecordKind kind) const {
    static const std::vector<RecordItem> kNone;
    return IsRecordKind(kind) ? m_branches[BranchIndex(kind)] : kNone;
}

std::u16string RecordTree::PathOf(int pathIndex) const {
    if (pathIndex < 0 || static_cast<std::size_t>(pathIndex) >= m_paths.size()) {
        return {};
    }
    return m_paths[static_cast<std::size_t>(pathIndex)];
}

std::vector<RecordItem>& RecordTree::Branch(RecordKind kind) {
    return m_branches[BranchIndex(IsRecordKind(kind) ? kind : RecordKind::Identity)];
}

std::size_t RecordTree::Insert(RecordKind kind, std::u16string_view label,
                               std::u16string_view path) {
    m_paths.emplace_back(path);
    auto& branch = Branch(kind);
    const auto place = std::upper_bound(branch.begin(), branch.end(), label,
                                        [](std::u16string_view value, const RecordItem& item) {
                                            return LabelLess(value, item.label);
                                        });
    const auto inserted = branch.insert(
        place, RecordItem{std::u16string(label), static_cast<int>(m_paths.size() - 1)});
    return static_cast<std::size_t>(inserted - branch.begin());
}

std::optional<std::size_t> RecordTree::Find(RecordKind kind, std::u16string_view label) const {
    const auto& branch = Items(kind);
    for (std::size_t i = 0; i < branch.size(); ++i) {
        if (text::EqualsNoCase(branch[i].label, label)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> RecordTree::Remove(RecordKind kind, std::u16string_view label) {
    const auto position = Find(kind, label);
    if (position) {
        auto& branch = Branch(kind);
        branch.erase(branch.begin() + static_cast<std::ptrdiff_t>(*position));
    }
    return position;
}

std::size_t RecordTree::Relabel(RecordKind kind, std::size_t position, std::u16string_view label,
                                std::u16string_view path) {
    auto& branch = Branch(kind);
    const int pathIndex = branch[position].pathIndex;
    m_paths[static_cast<std::size_t>(pathIndex)] = std::u16string(path);
    branch.erase(branch.begin() + static_cast<std::ptrdiff_t>(position));
    const auto place = std::upper_bound(branch.begin(), branch.end(), label,
                                        [](std::u16string_view value, const RecordItem& item) {
                                            return LabelLess(value, item.label);
                                        });
    const auto moved = branch.insert(place, RecordItem{std::u16string(label), pathIndex});
    return static_cast<std::size_t>(moved - branch.begin());
}

TreeSelection ResolveTarget(const RecordTree& tree, const TreeTarget& target) {
    if (!IsRecordKind(target.kind)) {
        return {target.kind, {}};
    }
    if (!target.label.empty()) {
        if (const auto position = tree.Find(target.kind, target.label)) {
            return {target.kind, tree.Items(target.kind)[*position].label};
        }
    }
    return {target.kind, {}};
}

}  // namespace veltrix::editor
