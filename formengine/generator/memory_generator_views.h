// The generator window in memory, for tests and headless browser hosts: it keeps what the logic
// put into it and offers the user's actions (typing, ticking, pressing) that a real window would
// report.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formengine/generator/generator_views.h"

namespace veltrix::generator {

enum class GeneratorCheck { Upper, Lower, Numbers, ExcludeSimilar, Special };
enum class GeneratorButton { Generate, Fill, Copy, Reset, Close, Help };

class MemoryGeneratorWindow final : public IGeneratorWindow {
public:
    static constexpr std::int32_t kWidth = 315;
    static constexpr std::int32_t kHeight = 302;

    explicit MemoryGeneratorWindow(IGeneratorHandler& handler) : m_handler(handler) {}
    ~MemoryGeneratorWindow() override;
    MemoryGeneratorWindow(const MemoryGeneratorWindow&) = delete;
    MemoryGeneratorWindow& operator=(const MemoryGeneratorWindow&) = delete;

    // --- The user's actions; false when the control is disabled ---
    void TypeLength(std::u16string_view text) { m_controls.lengthText = text; }
    // Sets a check box as a click would; a change of the four class boxes is reported.
    void SetCheck(GeneratorCheck check, bool checked);
    bool TypeSpecialSet(std::u16string_view text);
    void TypeOutput(std::u16string_view text);
    bool Press(GeneratorButton button);

    // --- What the window shows ---
    int ShowCount() const { return m_showCount; }
    std::int32_t X() const { return m_x; }
    std::int32_t Y() const { return m_y; }
    int LengthFocusCount() const { return m_lengthFocus; }
    const std::vector<int>& HelpOpened() const { return m_helpOpened; }
    // `callback` runs when the window is destroyed (one callback; a new one replaces it).
    void SetOnDestroyed(std::function<void()> callback) { m_onDestroyed = std::move(callback); }

    // --- IGeneratorWindow ---
    GeneratorControls Controls() const override { return m_controls; }
    void SetControls(const GeneratorControls& controls) override { m_controls = controls; }
    std::u16string Output() const override { return m_output; }
    void SetOutput(std::u16string_view text) override { m_output = text; }
    void SetEnabled(GeneratorControl control, bool enabled) override;
    bool IsEnabled(GeneratorControl control) const override;
    void FocusLength() override { ++m_lengthFocus; }
    ui::ScreenRect Size() const override { return {0, 0, kWidth, kHeight}; }
    void ShowAt(std::int32_t x, std::int32_t y) override;
    void Hide() override { m_visible = false; }
    bool IsVisible() const override { return m_visible; }

private:
    IGeneratorHandler& m_handler;
    GeneratorControls m_controls;
    std::u16string m_output;
    // Generate, Fill, Copy, SpecialSet; a dialog starts with every control enabled.
    bool m_enabled[4] = {true, true, true, true};
    bool m_visible = false;
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    int m_showCount = 0;
    int m_lengthFocus = 0;
    std::vector<int> m_helpOpened;
    std::function<void()> m_onDestroyed;
};

// The views of a test or a headless host: they make the windows above and keep track of those
// alive.
class MemoryGeneratorViews : public IGeneratorViews {
public:
    MemoryGeneratorViews() = default;
    MemoryGeneratorViews(const MemoryGeneratorViews&) = delete;
    MemoryGeneratorViews& operator=(const MemoryGeneratorViews&) = delete;

    // The newest window made by these views that still exists; null when none does. The windows
    // belong to whoever asked for them and may outlive these views.
    MemoryGeneratorWindow* Window() const;
    // How many windows these views made.
    int CreatedCount() const { return m_created; }

    std::unique_ptr<IGeneratorWindow> CreateGeneratorWindow(IGeneratorHandler& handler) override;

private:
    std::shared_ptr<std::vector<MemoryGeneratorWindow*>> m_live =
        std::make_shared<std::vector<MemoryGeneratorWindow*>>();
    int m_created = 0;
};

}  // namespace veltrix::generator
