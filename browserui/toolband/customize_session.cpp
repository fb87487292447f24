#include <algorithm>

#include "browserui/toolband/tool_band_views.h"

namespace veltrix::toolband {

ToolbarLayout CustomizeSession::Available() const {
    ToolbarLayout available;
    for (const ToolbarButton& button : kButtons) {
        if (std::find(m_shown.begin(), m_shown.end(), button.commandId) == m_shown.end()) {
            available.push_back(button.commandId);
        }
    }
    return available;
}

bool CustomizeSession::Insert(std::uint32_t commandId, std::size_t position) {
    if (!FindButton(commandId) ||
        std::find(m_shown.begin(), m_shown.end(), commandId) != m_shown.end()) {
        return false;
    }
    position = std::min(position, m_shown.size());
    m_shown.insert(m_shown.begin() + static_cast<std::ptrdiff_t>(position), commandId);
    return true;
}

bool CustomizeSession::Delete(std::size_t position) {
    if (position >= m_shown.size()) {
        return false;
    }
    m_shown.erase(m_shown.begin() + static_cast<std::ptrdiff_t>(position));
    return true;
}

void CustomizeSession::Reset() {
    m_shown = DefaultLayout();
}

}  // namespace veltrix::toolband
