#include "editor/record_listing.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/text.h"

namespace veltrix::editor {

std::vector<std::u16string> ListRecordLabels(std::u16string_view folder, RecordKind kind) {
    std::u16string ending = u".";
    ending += RecordExtension(kind);
    std::vector<std::u16string> labels;
    std::error_code error;
    std::filesystem::directory_iterator entries(text::ToUtf8(folder), error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        std::error_code typeError;
        if (!entries->is_regular_file(typeError)) {
            continue;
        }
        const std::u16string name = text::FromUtf8(entries->path().filename().string());
        if (name.size() > ending.size() && name.ends_with(ending)) {
            labels.push_back(name.substr(0, name.size() - ending.size()));
        }
    }
    std::sort(labels.begin(), labels.end(),
              [](const auto& a, const auto& b) { return LabelLess(a, b); });
    return labels;
}

bool LabelLess(std::u16string_view a, std::u16string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char16_t foldedA = text::FoldChar(a[i]);
        const char16_t foldedB = text::FoldChar(b[i]);
        if (foldedA != foldedB) {
            return foldedA < foldedB;
        }
    }
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    return a < b;
}

}  // namespace veltrix::editor
