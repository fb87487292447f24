#include "formengine/generator/password_generator.h"

#include <string>

#include "formengine/fill/identity_fill.h"
#include "formengine/generator/generator_settings.h"
#include "platform/text.h"

namespace veltrix::generator {
namespace {

// Pulls one coordinate back inside [low, high): to `low` when before it, else so that the window
// ends one pixel short of `high`.
std::int32_t Clamp(std::int32_t position, std::int32_t extent, std::int32_t low,
                   std::int32_t high) {
    if (position < low) {
        return low;
    }
    if (position + extent > high) {
        return high - extent - 1;
    }
    return position;
}

std::u16string NumberText(std::int64_t value) {
    return text::FromUtf8(std::to_string(value));
}

}  // namespace

ui::ScreenRect GeneratorPlacement(const ui::ScreenRect& parent, const ui::ScreenRect& size,
                                  const ui::ScreenRect& workArea) {
    const ui::ScreenRect& owner = parent.Width() > 0 || parent.Height() > 0 ? parent : workArea;
    const std::int32_t w = size.Width();
    const std::int32_t h = size.Height();
    const std::int32_t x = Clamp(owner.right - w - 15, w, workArea.left, workArea.right);
    const std::int32_t y = Clamp(owner.top + 25, h, workArea.top, workArea.bottom);
    return {x, y, x + w, y + h};
}

CPasswordGenerator::~CPasswordGenerator() {
    Destroy();
}

void CPasswordGenerator::Create() {
    if (m_window != nullptr) {
        return;
    }
    m_window = GeneratorViews().CreateGeneratorWindow(*this);
    if (m_window == nullptr) {
        return;
    }
    const GeneratorSettings settings = GeneratorSettings::Read(m_settings);
    m_length = settings.length;
    m_choice = PoolChoice::FromBits(settings.preferences, settings.special);
    m_window->SetEnabled(GeneratorControl::Fill, false);
    m_window->SetEnabled(GeneratorControl::Copy, false);
    WriteControls();
}

void CPasswordGenerator::Show(PageFormList* forms, const ui::ScreenRect& parent) {
    if (m_window == nullptr) {
        return;
    }
    m_forms = forms;
    m_window->SetOutput(u"");
    RefreshStates();
    const ui::ScreenRect place =
        GeneratorPlacement(parent, m_window->Size(), ui::CurrentUi().WorkArea());
    m_window->ShowAt(place.left, place.top);
}

void CPasswordGenerator::Destroy() {
    m_window.reset();
    m_forms = nullptr;
}

void CPasswordGenerator::ReadChoice() {
    const GeneratorControls controls = m_window->Controls();
    m_choice.upper = controls.upper;
    m_choice.lower = controls.lower;
    m_choice.numbers = controls.numbers;
    m_choice.excludeSimilar = controls.excludeSimilar;
    m_choice.special = controls.special;
    m_choice.specialSet = controls.specialSet;
}

bool CPasswordGenerator::ReadLength() {
    int length = 0;
    const LengthCheck check = CheckLength(m_window->Controls().lengthText, length);
    if (check != LengthCheck::Valid) {
        ui::ShowMessage(LengthMessage(check), ui::Icon::Exclamation);
        m_window->FocusLength();
        return false;
    }
    m_length = length;
    return true;
}

void CPasswordGenerator::WriteControls() {
    GeneratorControls controls;
    controls.lengthText = NumberText(m_length);
    controls.upper = m_choice.upper;
    controls.lower = m_choice.lower;
    controls.numbers = m_choice.numbers;
    controls.excludeSimilar = m_choice.excludeSimilar;
    controls.special = m_choice.special;
    controls.specialSet = m_choice.specialSet;
    m_window->SetControls(controls);
}

void CPasswordGenerator::RefreshStates() {
    if (m_window == nullptr) {
        return;
    }
    ReadChoice();
    const bool anyClass = m_choice.upper || m_choice.lower || m_choice.numbers || m_choice.special;
    const bool output = !m_window->Output().empty();
    m_window->SetEnabled(GeneratorControl::Generate, anyClass);
    m_window->SetEnabled(GeneratorControl::Copy, output);
    m_window->SetEnabled(GeneratorControl::Fill, output && Fill(false));
    m_window->SetEnabled(GeneratorControl::SpecialSet, m_choice.special);
}

void CPasswordGenerator::OnGenerate() {
    if (m_window == nullptr) {
        return;
    }
    // A refused length draws nothing and saves nothing.
    if (!ReadLength()) {
        return;
    }
    ReadChoice();
    const std::optional<std::u16string> password =
        DrawPassword(BuildPool(m_choice), static_cast<std::size_t>(m_length));
    if (!password) {
        // The secure generator failed: no password rather than a guessable one.
        m_window->SetOutput(u"");
        ui::CurrentUi().Beep(ui::Icon::Exclamation);
    } else {
        m_window->SetOutput(*password);
    }
    RefreshStates();
    GeneratorSettings{static_cast<std::uint32_t>(m_length), m_choice.Bits(), m_choice.specialSet}
        .Write(m_settings);
}

void CPasswordGenerator::OnFill() {
    Fill(true);
}

void CPasswordGenerator::OnCopy() {
    const std::u16string text = m_window != nullptr ? m_window->Output() : std::u16string();
    if (text.empty() || !ui::CurrentUi().SetClipboardText(text)) {
        ui::CurrentUi().Beep(ui::Icon::Exclamation);
    }
}

void CPasswordGenerator::OnReset() {
    if (m_window == nullptr) {
        return;
    }
    // Only the special set goes back to its default; the other controls keep what the user set.
    GeneratorControls controls = m_window->Controls();
    controls.specialSet = config::kDefaultGenerateSpecial;
    m_window->SetControls(controls);
    ReadChoice();
}

bool CPasswordGenerator::Fill(bool write) {
    if (m_window == nullptr || m_forms == nullptr) {
        return false;
    }
    const std::u16string text = m_window->Output();
    if (text.empty()) {
        return false;
    }
    const Highlighting highlighting = write ? Highlighting::Read(m_settings) : Highlighting{};
    bool any = false;
    for (const auto& form : *m_forms) {
        if (!FillPasswords(*form, text, write, highlighting)) {
            continue;
        }
        if (!write) {
            return true;
        }
        any = true;
    }
    return any;
}

}  // namespace veltrix::generator
