// Runs the bulk re-encryption through its progress dialog, over the editor's window.
#pragma once

#include <functional>

#include "core/configuration.h"
#include "editor/exports/reencrypt_runner.h"

class QWidget;

namespace veltrix::editor {
class EditorLink;
}

namespace veltrix::editor::exports::qt {

class QtReencryptRunner final : public IReencryptRunner {
public:
    // `link` gives the editor's link to the session at the time of a run (null: none, and nothing
    // runs); the dialog opens over `parent`.
    QtReencryptRunner(config::Settings& settings, std::function<EditorLink*()> link,
                      QWidget* parent)
        : m_settings(settings), m_link(std::move(link)), m_parent(parent) {}

    bool Run(const ReencryptRequest& request) override;

private:
    config::Settings& m_settings;
    std::function<EditorLink*()> m_link;
    QWidget* m_parent;
};

}  // namespace veltrix::editor::exports::qt
