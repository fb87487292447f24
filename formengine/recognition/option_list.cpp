#include "formengine/recognition/option_list.h"

#include "formengine/recognition/text_normalisation.h"

namespace veltrix {

void COptionList::Add(std::u16string text, std::u16string value, bool selected) {
    m_options.push_back(SOption{std::move(text), std::move(value), selected});
}

std::int32_t COptionList::FindContaining(std::u16string_view text) const {
    const std::u16string wanted = ToLower(text);
    for (std::size_t i = 0; i < m_options.size(); ++i) {
        if (ToLower(m_options[i].text).find(wanted) != std::u16string::npos ||
            ToLower(m_options[i].value).find(wanted) != std::u16string::npos) {
            return static_cast<std::int32_t>(i);
        }
    }
    return -1;
}

bool COptionList::HasValue(std::u16string_view value) const {
    const std::u16string wanted = ToLower(value);
    for (const SOption& option : m_options) {
        if (ToLower(option.value) == wanted) {
            return true;
        }
    }
    return false;
}

}  // namespace veltrix
