#include "browserhost/generator_script.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "platform/text.h"

namespace veltrix::browserhost {
namespace {

using generator::GeneratorButton;
using generator::GeneratorCheck;
using generator::GeneratorControl;
using generator::MemoryGeneratorWindow;

template <class T>
struct Named {
    std::string_view name;
    T value;
};

constexpr std::array<Named<GeneratorCheck>, 5> kChecks = {{
    {"upper", GeneratorCheck::Upper},
    {"lower", GeneratorCheck::Lower},
    {"numbers", GeneratorCheck::Numbers},
    {"similar", GeneratorCheck::ExcludeSimilar},
    {"special", GeneratorCheck::Special},
}};
constexpr std::array<Named<GeneratorButton>, 6> kButtons = {{
    {"generate", GeneratorButton::Generate},
    {"fill", GeneratorButton::Fill},
    {"copy", GeneratorButton::Copy},
    {"reset", GeneratorButton::Reset},
    {"close", GeneratorButton::Close},
    {"help", GeneratorButton::Help},
}};
constexpr std::array<Named<GeneratorControl>, 4> kControls = {{
    {"generate", GeneratorControl::Generate},
    {"fill", GeneratorControl::Fill},
    {"copy", GeneratorControl::Copy},
    {"special", GeneratorControl::SpecialSet},
}};

template <class T, std::size_t N>
std::optional<T> Lookup(const std::array<Named<T>, N>& table, std::string_view name) {
    for (const auto& entry : table) {
        if (entry.name == name) {
            return entry.value;
        }
    }
    return std::nullopt;
}

template <class T, std::size_t N>
std::string Names(const std::array<Named<T>, N>& table) {
    std::string out;
    for (const auto& entry : table) {
        out += (out.empty() ? "" : ", ") + std::string(entry.name);
    }
    return out;
}

// How many words follow each verb (after "generator", or after "generator expect").
struct Shape {
    std::string_view verb;
    std::size_t args;
};
constexpr Shape kShapes[] = {
    {"length", 1}, {"check", 1}, {"uncheck", 1}, {"special", 1}, {"type", 1}, {"press", 1},
};
constexpr Shape kExpectShapes[] = {
    {"visible", 0}, {"hidden", 0}, {"enabled", 1},   {"disabled", 1}, {"length", 1},
    {"pool", 1},    {"output", 1}, {"clipboard", 0}, {"filled", 1},
};

template <std::size_t N>
const Shape* FindShape(const Shape (&shapes)[N], std::string_view verb) {
    for (const Shape& shape : shapes) {
        if (shape.verb == verb) {
            return &shape;
        }
    }
    return nullptr;
}

std::string Quoted(std::u16string_view text) {
    return "\"" + text::ToUtf8(text) + "\"";
}

bool Fail(std::string& error, std::string message) {
    error = std::move(message);
    return false;
}

bool Act(const std::vector<std::string>& w, MemoryGeneratorWindow& window,
         GeneratorScriptContext& context, std::string& error) {
    const std::string& verb = w[1];
    if (verb == "length") {
        window.TypeLength(text::FromUtf8(w[2]));
        return true;
    }
    if (verb == "check" || verb == "uncheck") {
        window.SetCheck(*Lookup(kChecks, w[2]), verb == "check");
        return true;
    }
    if (verb == "special") {
        return window.TypeSpecialSet(text::FromUtf8(w[2])) ||
               Fail(error, "the special set is disabled");
    }
    if (verb == "type") {
        window.TypeOutput(text::FromUtf8(w[2]));
        return true;
    }
    if (!window.Press(*Lookup(kButtons, w[2]))) {
        return Fail(error, "the generator's " + w[2] + " button is disabled");
    }
    if (w[2] == "generate") {
        context.out << "generator: a password of " << window.Output().size() << " characters\n";
    }
    // A fill may have changed what the page would submit; nothing navigates, but settle anyway.
    context.browser.SettleNavigations();
    return true;
}

bool Expect(const std::vector<std::string>& w, MemoryGeneratorWindow& window,
            GeneratorScriptContext& context, std::string& error) {
    const std::string& what = w[2];
    const std::u16string output = window.Output();
    if (what == "visible" || what == "hidden") {
        return window.IsVisible() == (what == "visible") ||
               Fail(error,
                    std::string("the generator is ") + (window.IsVisible() ? "visible" : "hidden"));
    }
    if (what == "enabled" || what == "disabled") {
        const bool enabled = window.IsEnabled(*Lookup(kControls, w[3]));
        return enabled == (what == "enabled") ||
               Fail(error, "the generator's " + w[3] + " is " + (enabled ? "enabled" : "disabled"));
    }
    if (what == "length") {
        const std::string length = std::to_string(output.size());
        return length == w[3] ||
               Fail(error, "the password has " + length + " characters, not " + w[3]);
    }
    if (what == "pool") {
        const std::u16string pool = text::FromUtf8(w[3]);
        const auto outside = std::find_if(output.begin(), output.end(), [&](char16_t c) {
            return pool.find(c) == std::u16string::npos;
        });
        return outside == output.end() ||
               Fail(error, "the password holds " + Quoted(std::u16string(1, *outside)) +
                               ", which is not in the pool");
    }
    if (what == "output") {
        return output == text::FromUtf8(w[3]) ||
               Fail(error, "the password field holds " + Quoted(output));
    }
    if (what == "clipboard") {
        const auto& clipboard = context.ui.ClipboardText();
        return (clipboard && !output.empty() && *clipboard == output) ||
               Fail(error, "the clipboard holds " +
                               (clipboard ? Quoted(*clipboard) : std::string("nothing")) +
                               ", not the password");
    }
    // filled
    const dom::ElementRef element = context.browser.Find(text::FromUtf8(w[3]));
    if (!element) {
        return Fail(error, "nothing at " + w[3]);
    }
    const std::u16string value = element->GetAttribute(u"value");
    return (!output.empty() && value == output) ||
           Fail(error, w[3] + " holds " + Quoted(value) + ", not the password");
}

}  // namespace

bool CheckGeneratorLine(const std::vector<std::string>& w, std::string& error) {
    if (w.size() < 2) {
        return Fail(error, "'generator' needs what to do");
    }
    const bool expect = w[1] == "expect";
    if (expect && w.size() < 3) {
        return Fail(error, "'generator expect' needs what to check");
    }
    const std::string& verb = expect ? w[2] : w[1];
    const Shape* shape = expect ? FindShape(kExpectShapes, verb) : FindShape(kShapes, verb);
    if (shape == nullptr) {
        return Fail(error, "unknown generator line '" + verb + "'");
    }
    const std::size_t first = expect ? 3 : 2;
    if (w.size() - first != shape->args) {
        return Fail(error, "'generator " + std::string(expect ? "expect " : "") + verb +
                               "' takes " + std::to_string(shape->args) + " argument(s)");
    }
    if (!expect && (verb == "check" || verb == "uncheck") && !Lookup(kChecks, w[2])) {
        return Fail(error, "'" + w[2] + "' is not one of " + Names(kChecks));
    }
    if (!expect && verb == "press" && !Lookup(kButtons, w[2])) {
        return Fail(error, "'" + w[2] + "' is not one of " + Names(kButtons));
    }
    if (expect && (verb == "enabled" || verb == "disabled") && !Lookup(kControls, w[3])) {
        return Fail(error, "'" + w[3] + "' is not one of " + Names(kControls));
    }
    return true;
}

bool RunGeneratorLine(const std::vector<std::string>& w, GeneratorScriptContext& context,
                      std::string& error) {
    MemoryGeneratorWindow* window = context.views.Window();
    if (window == nullptr) {
        return Fail(error, "the window has no password generator");
    }
    if (w[1] == "expect") {
        return Expect(w, *window, context, error);
    }
    // Like a real window, a hidden generator takes no input.
    if (!window->IsVisible()) {
        return Fail(error, "the password generator is not shown");
    }
    return Act(w, *window, context, error);
}

}  // namespace veltrix::browserhost
