// The password generator as a Qt dialog: a modeless window that reports its buttons, check boxes
// and output edits to the generator's logic. Close and Escape hide it; Help opens its page.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>
#include <string_view>

#include "formengine/generator/generator_views.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace veltrix::generator::qt {

// Object names of the dialog's parts, for code that drives it (tests, automation).
inline constexpr char kLengthEditName[] = "length";
inline constexpr char kLengthUpName[] = "lengthUp";
inline constexpr char kLengthDownName[] = "lengthDown";
inline constexpr char kUpperCheckName[] = "upper";
inline constexpr char kLowerCheckName[] = "lower";
inline constexpr char kNumbersCheckName[] = "numbers";
inline constexpr char kSimilarCheckName[] = "similar";
inline constexpr char kSpecialCheckName[] = "special";
inline constexpr char kSpecialSetEditName[] = "specialSet";
inline constexpr char kResetButtonName[] = "reset";
inline constexpr char kOutputEditName[] = "output";
inline constexpr char kGenerateButtonName[] = "generate";
inline constexpr char kFillButtonName[] = "fill";
inline constexpr char kCopyButtonName[] = "copy";
inline constexpr char kCloseButtonName[] = "close";
inline constexpr char kHelpButtonName[] = "help";

class CPasswordGeneratorDlg final : public QDialog, public IGeneratorWindow {
    Q_OBJECT

public:
    explicit CPasswordGeneratorDlg(IGeneratorHandler& handler);

    GeneratorControls Controls() const override;
    void SetControls(const GeneratorControls& controls) override;
    std::u16string Output() const override;
    void SetOutput(std::u16string_view text) override;
    void SetEnabled(GeneratorControl control, bool enabled) override;
    bool IsEnabled(GeneratorControl control) const override;
    void FocusLength() override;

    ui::ScreenRect Size() const override { return {0, 0, width(), height()}; }
    void ShowAt(std::int32_t x, std::int32_t y) override;
    void Hide() override { hide(); }
    bool IsVisible() const override { return isVisible(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* MakeLengthGroup();
    QWidget* MakeCharactersGroup();
    QWidget* MakePasswordGroup();
    QLayout* MakeCloseRow();
    // Steps the length by `delta` within 4 to 512, as the up-down control does.
    void StepLength(int delta);
    QWidget* Control(GeneratorControl control) const;

    IGeneratorHandler& m_handler;
    QLineEdit* m_length = nullptr;
    QCheckBox* m_upper = nullptr;
    QCheckBox* m_lower = nullptr;
    QCheckBox* m_numbers = nullptr;
    QCheckBox* m_similar = nullptr;
    QCheckBox* m_special = nullptr;
    QLineEdit* m_specialSet = nullptr;
    QLineEdit* m_output = nullptr;
    QPushButton* m_generate = nullptr;
    QPushButton* m_fill = nullptr;
    QPushButton* m_copy = nullptr;
};

}  // namespace veltrix::generator::qt
