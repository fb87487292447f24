#include "editor/qt/pending_sheets.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "editor/editor_messages.h"
#include "ui/qt/qt_support.h"

namespace veltrix::editor::qt {
namespace {

// The Preferences page's topic, the first page of the sheet.
constexpr int kOptionsHelpTopic = 920;

QString FieldLine(const CWebLoginField& field) {
    const bool secret = field.type == 1;
    return QStringLiteral("%1 = %2").arg(
        ui::qt::ToQString(field.name),
        secret ? QStringLiteral("********") : ui::qt::ToQString(field.data));
}

}  // namespace

WebLoginSheet::WebLoginSheet(QWidget* parent)
    : QWidget(parent), m_summary(new QPlainTextEdit(this)) {
    m_summary->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(
        new QLabel(tr("Web Login (read-only view; the editing pages come later)"), this));
    layout->addWidget(m_summary);
}

void WebLoginSheet::Attach(CWebLogin* login) {
    if (login == nullptr) {
        m_summary->clear();
        return;
    }
    QString text =
        tr("Page: %1\nFrame: %2\n\nFields:\n")
            .arg(ui::qt::ToQString(login->GetPageUrl()), ui::qt::ToQString(login->GetFrameUrl()));
    for (const auto& field : login->GetFields()) {
        text += FieldLine(field) + '\n';
    }
    text += tr("\nNotes:\n") + ui::qt::ToQString(login->GetNotes());
    m_summary->setPlainText(text);
}

int WebLoginSheet::HelpTopic() const {
    return messages::kHelpWebLogin;
}

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
