// The field-data edit dialog: the editor's name prompt with the caller's caption and prompt, the
// field's text in its edit, and OK allowed on an empty text.
#pragma once

#include "editor/weblogin/field_data.h"

class QWidget;

namespace veltrix::editor::weblogin {

class DialogFieldDataPrompt : public IFieldDataPrompt {
public:
    explicit DialogFieldDataPrompt(QWidget* parent) : m_parent(parent) {}
    std::optional<std::u16string> Ask(std::u16string_view caption, std::u16string_view prompt,
                                      std::u16string_view text) override;

private:
    QWidget* m_parent;
};

}  // namespace veltrix::editor::weblogin
