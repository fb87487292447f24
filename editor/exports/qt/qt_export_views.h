// The Qt dialogs of the exports: the Choose Password dialog (the editor's variant of the master
// password dialog, titled "Choose Password") and the folder browser.
#pragma once

#include "editor/exports/export_views.h"

class QWidget;

namespace veltrix::editor::exports::qt {

// Object name of the folder browser, for code that drives it (tests, automation).
inline constexpr char kFolderBrowserName[] = "exportFolderBrowser";

class QtExportViews final : public IExportViews {
public:
    // The dialogs open over `parent` (not owned; may be null).
    explicit QtExportViews(QWidget* parent = nullptr) : m_parent(parent) {}

    std::optional<std::u16string> ChoosePassword(std::u16string_view prompt) override;
    std::optional<std::u16string> ChooseFolder(std::u16string_view title,
                                               std::u16string_view start) override;

private:
    QWidget* m_parent;
};

}  // namespace veltrix::editor::exports::qt
