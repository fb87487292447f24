// The Preferences page: the two fill-mode groups, the four checks and the highlight colour with
// its sample and Select... button.
#pragma once

#include <QWidget>

#include "editor/options/preferences_page.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace veltrix::editor::options {

class CPropSheetOptions;

class PreferencesPageWidget : public QWidget, public IPreferencesView {
    Q_OBJECT

public:
    PreferencesPageWidget(CPropSheetOptions& sheet, QWidget* parent = nullptr);

    void Show(const PreferencesValues& values) override;
    PreferencesValues Read() const override;
    std::optional<Rgb> ChooseColour(Rgb start) override;

    QLineEdit* ColourSample() const { return m_sample; }
    QPushButton* SelectButton() const { return m_select; }
    QCheckBox* HighlightCheck() const { return m_highlight; }
    QCheckBox* RunInTrayCheck() const { return m_runInTray; }
    QRadioButton* FormsButton(int mode) const;
    QRadioButton* LoginsButton(int mode) const;

private:
    void PaintSample(Rgb colour);
    // The sample and Select... are enabled only while "Highlight filled fields" is ticked.
    void UpdateColourEnabling();

    CPropSheetOptions& m_sheet;
    QRadioButton* m_forms[3];
    QRadioButton* m_logins[3];
    QCheckBox* m_promptToSave;
    QCheckBox* m_autoSubmit;
    QCheckBox* m_highlight;
    QCheckBox* m_runInTray;
    QLineEdit* m_sample;
    QPushButton* m_select;
    Rgb m_colour;
};

}  // namespace veltrix::editor::options
