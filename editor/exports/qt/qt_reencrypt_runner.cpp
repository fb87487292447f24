#include "editor/exports/qt/qt_reencrypt_runner.h"

#include "editor/editor_link.h"
#include "editor/reencrypt/qt/reencrypt_dialog.h"

namespace veltrix::editor::exports::qt {

bool QtReencryptRunner::Run(const ReencryptRequest& request) {
    EditorLink* link = m_link ? m_link() : nullptr;
    if (link == nullptr) {
        return false;
    }
    return RunReencryptDialog(request, m_settings, *link, m_parent);
}

}  // namespace veltrix::editor::exports::qt
