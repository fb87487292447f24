// The password generator's window as its logic sees it, and the views that create it. A program's
// view factory (ui/views.h) hands out the Qt dialog (formengine/qt/qt_generator_views.h) or the
// in-memory window (memory_generator_views.h); without one the logic gets InMemory().
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ui/ui_port.h"
#include "ui/views.h"

namespace veltrix::generator {

// --- Texts ---
inline constexpr std::u16string_view kGeneratorTitle = u"Password Generator";
inline constexpr std::u16string_view kLengthGroup = u"Password Length";
inline constexpr std::u16string_view kCharactersGroup = u"Password Characters";
inline constexpr std::u16string_view kUpperCheck = u"Upper case letters (A-Z)";
inline constexpr std::u16string_view kLowerCheck = u"Lower case letters (a-z)";
inline constexpr std::u16string_view kNumbersCheck = u"Numbers (0 - 9)";
inline constexpr std::u16string_view kSimilarCheck =
    u"Exclude similar characters (i, I, l, L, 0, O, 0,|)";
inline constexpr std::u16string_view kSpecialCheck = u"Special characters";
inline constexpr std::u16string_view kResetButton = u"Reset";
inline constexpr std::u16string_view kPasswordGroup = u"Password";
inline constexpr std::u16string_view kGenerateButton = u"Generate";
inline constexpr std::u16string_view kFillButton = u"Fill";
inline constexpr std::u16string_view kCopyButton = u"Copy";
inline constexpr std::u16string_view kCloseButton = u"Close";
inline constexpr std::u16string_view kHelpButton = u"Help";

inline constexpr int kGeneratorHelpContext = 904;

// "Password Generator - Veltrix".
std::u16string GeneratorCaption();

// What the dialog's input controls hold: the length as typed, the five check boxes and the
// special set as typed.
struct GeneratorControls {
    std::u16string lengthText;
    bool upper = false;
    bool lower = false;
    bool numbers = false;
    bool excludeSimilar = false;
    bool special = false;
    std::u16string specialSet;

    bool operator==(const GeneratorControls&) const = default;
};

// The controls whose enabled state the logic sets.
enum class GeneratorControl { Generate, Fill, Copy, SpecialSet };

// What the window reports. Close and Help are the window's own business: Close (and Escape)
// hides it, Help opens help context kGeneratorHelpContext.
class IGeneratorHandler {
public:
    virtual void OnGenerate() = 0;
    virtual void OnFill() = 0;
    virtual void OnCopy() = 0;
    virtual void OnReset() = 0;
    // A click on the upper, lower, numbers or special check box (not on exclude similar).
    virtual void OnClassClicked() = 0;
    // The output's text changed (the user typed in it).
    virtual void OnOutputChanged() = 0;

protected:
    ~IGeneratorHandler() = default;
};

// The modeless generator window: created hidden, shown at a place, hidden by Close.
class IGeneratorWindow {
public:
    virtual ~IGeneratorWindow() = default;

    virtual GeneratorControls Controls() const = 0;
    virtual void SetControls(const GeneratorControls& controls) = 0;
    // The output edit; setting it reports no change to the handler.
    virtual std::u16string Output() const = 0;
    virtual void SetOutput(std::u16string_view text) = 0;
    virtual void SetEnabled(GeneratorControl control, bool enabled) = 0;
    virtual bool IsEnabled(GeneratorControl control) const = 0;
    // Puts the focus back into the length field (after a refused length).
    virtual void FocusLength() = 0;

    // The window's width and height (left and top are 0).
    virtual ui::ScreenRect Size() const = 0;
    // Moves the window's top left corner to (x, y) without resizing it and shows it.
    virtual void ShowAt(std::int32_t x, std::int32_t y) = 0;
    virtual void Hide() = 0;
    virtual bool IsVisible() const = 0;
};

class IGeneratorViews : public ui::IFeatureViews {
public:
    static constexpr std::string_view kFeature = "generator";

    std::string_view Feature() const final { return kFeature; }

    // A hidden generator window that reports to `handler` (which outlives it).
    virtual std::unique_ptr<IGeneratorWindow> CreateGeneratorWindow(IGeneratorHandler& handler) = 0;

    // The views used while the program's factory offers none: in-memory windows.
    static IGeneratorViews& InMemory();
};

// The generator views of the program (ui::CurrentViews).
inline IGeneratorViews& GeneratorViews() {
    return ui::CurrentViews<IGeneratorViews>();
}

}  // namespace veltrix::generator
