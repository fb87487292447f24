#include "editor/qt/pending_sheets.h"

#include <QLabel>
#include <QVBoxLayout>

namespace veltrix::editor::qt {
namespace {

// The Preferences page's topic, the first page of the sheet.
constexpr int kOptionsHelpTopic = 920;

}  // namespace

OptionsSheet::OptionsSheet(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(
        tr("Options\n\nThe Options pages (Preferences, User Data, Excluded Sites, Password) "
           "are not built yet.\nUntil then, settings can be read and changed with "
           "\"vtx config get NAME\" and \"vtx config set NAME VALUE\"."),
        this);
    label->setWordWrap(true);
    layout->addWidget(label);
    layout->addStretch();
}

int OptionsSheet::HelpTopic() const {
    return kOptionsHelpTopic;
}

}  // namespace veltrix::editor::qt
