#include "editor/identity/summary_page.h"

#include <QFormLayout>
#include <QLabel>

#include "editor/identity/identity_summary.h"
#include "ui/qt/qt_support.h"

namespace veltrix::editor::identity {

using ui::qt::ToQString;

SummaryPage::SummaryPage(QWidget* parent) : IdentityPage(parent) {
    auto* form = new QFormLayout(this);
    const IdentitySummary labels = BuildSummary(CIdentity{});
    for (std::size_t line = 0; line < m_texts.size(); ++line) {
        m_texts[line] = new QLabel(this);
        m_texts[line]->setObjectName(QStringLiteral("summary%1").arg(line));
        m_texts[line]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_texts[line]->setTextFormat(Qt::PlainText);
        form->addRow(new QLabel(ToQString(labels[line].label), this), m_texts[line]);
    }
}

void SummaryPage::Load(CIdentity* identity) {
    m_identity = identity;
    Refresh();
}

void SummaryPage::Activated() {
    Refresh();
}

void SummaryPage::Refresh() {
    if (m_identity == nullptr) {
        for (QLabel* text : m_texts) {
            text->clear();
        }
        return;
    }
    const IdentitySummary summary = BuildSummary(*m_identity);
    for (std::size_t line = 0; line < m_texts.size(); ++line) {
        m_texts[line]->setText(ToQString(summary[line].text));
    }
}

}  // namespace veltrix::editor::identity
