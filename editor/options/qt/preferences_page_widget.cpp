#include "editor/options/qt/preferences_page_widget.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editor/options/options_sheet.h"
#include "editor/options/options_texts.h"
#include "ui/qt/qt_support.h"

namespace veltrix::editor::options {
namespace {

// One radio group: three buttons in mode order inside a titled box, exclusive.
QGroupBox* RadioGroup(const QString& title, const QString (&labels)[3], QRadioButton* (&buttons)[3],
                      const char* namePrefix, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (int mode = 0; mode < 3; ++mode) {
        buttons[mode] = new QRadioButton(labels[mode], box);
        buttons[mode]->setObjectName(QString::fromLatin1(namePrefix) + QString::number(mode));
        group->addButton(buttons[mode], mode);
        layout->addWidget(buttons[mode]);
    }
    return box;
}

int CheckedMode(QRadioButton* const (&buttons)[3]) {
    for (int mode = 0; mode < 3; ++mode) {
        if (buttons[mode]->isChecked()) {
            return mode;
        }
    }
    return kNoMode;
}

void CheckMode(QRadioButton* const (&buttons)[3], int mode) {
    // An exclusive group cannot be emptied by unchecking one button.
    auto* group = buttons[0]->group();
    group->setExclusive(false);
    for (int i = 0; i < 3; ++i) {
        buttons[i]->setChecked(i == mode);
    }
    group->setExclusive(true);
}

}  // namespace

PreferencesPageWidget::PreferencesPageWidget(CPropSheetOptions& sheet, QWidget* parent)
    : QWidget(parent),
      m_sheet(sheet),
      m_promptToSave(new QCheckBox(tr("Prompt me to &save"), this)),
      m_autoSubmit(new QCheckBox(tr("Auto-su&bmit the login after filling"), this)),
      m_highlight(new QCheckBox(tr("Hi&ghlight filled fields"), this)),
      m_runInTray(new QCheckBox(tr("Run in System &Tray"), this)),
      m_sample(new QLineEdit(ui::qt::ToQString(kHighlightSample), this)),
      m_select(new QPushButton(tr("Se&lect..."), this)) {
    const QString formsLabels[3] = {tr("A&uto-fill"), tr("&Prompt me to fill"), tr("&Manual fill")};
    const QString loginsLabels[3] = {tr("Auto-f&ill"), tr("P&rompt me to fill"),
                                     tr("Ma&nual fill")};
    QGroupBox* forms = RadioGroup(tr("Forms:"), formsLabels, m_forms, "forms", this);
    QGroupBox* logins = RadioGroup(tr("Web Logins:"), loginsLabels, m_logins, "logins", this);
    m_promptToSave->setObjectName("promptToSave");
    m_autoSubmit->setObjectName("autoSubmit");
    m_highlight->setObjectName("highlight");
    m_runInTray->setObjectName("runInTray");
    m_sample->setObjectName("colourSample");
    m_sample->setReadOnly(true);
    m_sample->setFocusPolicy(Qt::NoFocus);
    m_sample->setAlignment(Qt::AlignCenter);
    m_select->setObjectName("selectColour");
    m_select->setAutoDefault(false);

    auto* groups = new QHBoxLayout;
    groups->addWidget(forms);
    groups->addWidget(logins);
    auto* colour = new QHBoxLayout;
    colour->addWidget(m_highlight);
    colour->addWidget(m_sample);
    colour->addWidget(m_select);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addWidget(m_promptToSave);
    layout->addWidget(m_autoSubmit);
    layout->addLayout(colour);
    layout->addWidget(m_runInTray);
    layout->addStretch();

    auto changed = [this] { m_sheet.MarkChanged(); };
    for (QRadioButton* button :
         {m_forms[0], m_forms[1], m_forms[2], m_logins[0], m_logins[1], m_logins[2]}) {
        connect(button, &QRadioButton::clicked, this, changed);
    }
    for (QCheckBox* check : {m_promptToSave, m_autoSubmit, m_highlight, m_runInTray}) {
        connect(check, &QCheckBox::clicked, this, changed);
    }
    connect(m_highlight, &QCheckBox::toggled, this, [this] { UpdateColourEnabling(); });
    connect(m_select, &QPushButton::clicked, this,
            [this] { m_sheet.Preferences().SelectColour(); });
    PaintSample(m_colour);
    UpdateColourEnabling();
}

QRadioButton* PreferencesPageWidget::FormsButton(int mode) const {
    return m_forms[mode];
}

QRadioButton* PreferencesPageWidget::LoginsButton(int mode) const {
    return m_logins[mode];
}

void PreferencesPageWidget::Show(const PreferencesValues& values) {
    CheckMode(m_forms, values.formsMode);
    CheckMode(m_logins, values.loginsMode);
    m_promptToSave->setChecked(values.promptToSave);
    m_autoSubmit->setChecked(values.autoSubmit);
    m_highlight->setChecked(values.highlight);
    m_runInTray->setChecked(values.runInTray);
    m_colour = values.colour;
    PaintSample(m_colour);
    UpdateColourEnabling();
}

PreferencesValues PreferencesPageWidget::Read() const {
    PreferencesValues values;
    values.formsMode = CheckedMode(m_forms);
    values.loginsMode = CheckedMode(m_logins);
    values.promptToSave = m_promptToSave->isChecked();
    values.autoSubmit = m_autoSubmit->isChecked();
    values.highlight = m_highlight->isChecked();
    values.runInTray = m_runInTray->isChecked();
    values.colour = m_colour;
    return values;
}

std::optional<Rgb> PreferencesPageWidget::ChooseColour(Rgb start) {
    const QColor chosen = QColorDialog::getColor(QColor(start.red, start.green, start.blue), this);
    if (!chosen.isValid()) {
        return std::nullopt;
    }
    return Rgb{static_cast<std::uint8_t>(chosen.red()), static_cast<std::uint8_t>(chosen.green()),
               static_cast<std::uint8_t>(chosen.blue())};
}

void PreferencesPageWidget::PaintSample(Rgb colour) {
    QPalette palette = m_sample->palette();
    const QColor background(colour.red, colour.green, colour.blue);
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Disabled, QPalette::Base, background);
    m_sample->setPalette(palette);
}

void PreferencesPageWidget::UpdateColourEnabling() {
    const bool on = m_highlight->isChecked();
    m_sample->setEnabled(on);
    m_select->setEnabled(on);
}

}  // namespace veltrix::editor::options
