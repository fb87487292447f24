#include "formengine/generator/memory_generator_views.h"

#include <algorithm>
#include <utility>

namespace veltrix::generator {
namespace {

// The views of a program without its own: untracked windows.
class InMemoryViews final : public IGeneratorViews {
public:
    std::unique_ptr<IGeneratorWindow> CreateGeneratorWindow(IGeneratorHandler& handler) override {
        return std::make_unique<MemoryGeneratorWindow>(handler);
    }
};

std::size_t Index(GeneratorControl control) {
    return static_cast<std::size_t>(control);
}

}  // namespace

IGeneratorViews& IGeneratorViews::InMemory() {
    static InMemoryViews views;
    return views;
}

MemoryGeneratorWindow::~MemoryGeneratorWindow() {
    if (m_onDestroyed) {
        std::exchange(m_onDestroyed, nullptr)();
    }
}

void MemoryGeneratorWindow::SetCheck(GeneratorCheck check, bool checked) {
    bool* boxes[] = {&m_controls.upper, &m_controls.lower, &m_controls.numbers,
                     &m_controls.excludeSimilar, &m_controls.special};
    *boxes[static_cast<std::size_t>(check)] = checked;
    if (check != GeneratorCheck::ExcludeSimilar) {
        m_handler.OnClassClicked();
    }
}

bool MemoryGeneratorWindow::TypeSpecialSet(std::u16string_view text) {
    if (!IsEnabled(GeneratorControl::SpecialSet)) {
        return false;
    }
    m_controls.specialSet = text;
    return true;
}

void MemoryGeneratorWindow::TypeOutput(std::u16string_view text) {
    m_output = text;
    m_handler.OnOutputChanged();
}

bool MemoryGeneratorWindow::Press(GeneratorButton button) {
    switch (button) {
        case GeneratorButton::Generate:
            if (!IsEnabled(GeneratorControl::Generate)) {
                return false;
            }
            m_handler.OnGenerate();
            return true;
        case GeneratorButton::Fill:
            if (!IsEnabled(GeneratorControl::Fill)) {
                return false;
            }
            m_handler.OnFill();
            return true;
        case GeneratorButton::Copy:
            if (!IsEnabled(GeneratorControl::Copy)) {
                return false;
            }
            m_handler.OnCopy();
            return true;
        case GeneratorButton::Reset:
            m_handler.OnReset();
            return true;
        case GeneratorButton::Close:
            Hide();
            return true;
        case GeneratorButton::Help:
            m_helpOpened.push_back(kGeneratorHelpContext);
            return true;
    }
    return false;
}

void MemoryGeneratorWindow::SetEnabled(GeneratorControl control, bool enabled) {
    m_enabled[Index(control)] = enabled;
}

bool MemoryGeneratorWindow::IsEnabled(GeneratorControl control) const {
    return m_enabled[Index(control)];
}

void MemoryGeneratorWindow::ShowAt(std::int32_t x, std::int32_t y) {
    m_x = x;
    m_y = y;
    m_visible = true;
    ++m_showCount;
}

MemoryGeneratorWindow* MemoryGeneratorViews::Window() const {
    return m_live->empty() ? nullptr : m_live->back();
}

std::unique_ptr<IGeneratorWindow> MemoryGeneratorViews::CreateGeneratorWindow(
    IGeneratorHandler& handler) {
    auto window = std::make_unique<MemoryGeneratorWindow>(handler);
    auto live = m_live;
    MemoryGeneratorWindow* raw = window.get();
    live->push_back(raw);
    window->SetOnDestroyed([live, raw] { std::erase(*live, raw); });
    ++m_created;
    return window;
}

}  // namespace veltrix::generator
