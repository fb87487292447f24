#include "tools/vtx_generate_command.h"

#include <optional>
#include <ostream>

#include "formengine/generator/generator_settings.h"
#include "formengine/generator/password_pool.h"
#include "platform/text.h"
#include "tools/vtx_commands.h"
#include "ui/ui_port.h"

namespace veltrix::vtx {
namespace {

struct GenerateOptions {
    std::optional<std::u16string> length;
    std::optional<std::uint32_t> preferences;
    std::optional<std::u16string> special;
};

// A Preferences value in decimal or, after "0x", in hexadecimal.
std::optional<std::uint32_t> ParseBits(const std::string& word) {
    const bool hex = word.starts_with("0x") || word.starts_with("0X");
    const auto value = text::ParseInteger<std::uint32_t>(std::string_view(word).substr(hex ? 2 : 0),
                                                         {.base = hex ? 16 : 10});
    return value ? std::optional<std::uint32_t>(*value) : std::nullopt;
}

bool ParseOptions(const std::vector<std::string>& words, GenerateOptions& options,
                  std::string& misuse) {
    for (std::size_t i = 1; i < words.size(); i += 2) {
        const std::string& option = words[i];
        if (i + 1 >= words.size()) {
            misuse = "the option " + option + " of generate needs a value";
            return false;
        }
        const std::string& value = words[i + 1];
        if (option == "--length") {
            options.length = text::FromUtf8(value);
        } else if (option == "--preferences") {
            options.preferences = ParseBits(value);
            if (!options.preferences) {
                misuse = "--preferences takes a number (decimal, or hexadecimal after 0x)";
                return false;
            }
        } else if (option == "--special") {
            options.special = text::FromUtf8(value);
        } else {
            misuse = "unknown option of generate: " + option;
            return false;
        }
    }
    return true;
}

}  // namespace

int RunGenerate(config::Settings& settings, const std::vector<std::string>& words,
                std::ostream& out, std::string& misuse) {
    GenerateOptions options;
    if (!ParseOptions(words, options, misuse)) {
        return kUsage;
    }
    generator::GeneratorSettings current = generator::GeneratorSettings::Read(settings);
    const std::u16string lengthText =
        options.length.value_or(text::FromUtf8(std::to_string(current.length)));
    int length = 0;
    const generator::LengthCheck check = generator::CheckLength(lengthText, length);
    if (check != generator::LengthCheck::Valid) {
        ui::ShowMessage(generator::LengthMessage(check), ui::Icon::Exclamation);
        return kFailure;
    }
    const generator::PoolChoice choice =
        generator::PoolChoice::FromBits(options.preferences.value_or(current.preferences),
                                        options.special.value_or(current.special));
    const std::optional<std::u16string> password =
        generator::DrawPassword(generator::BuildPool(choice), static_cast<std::size_t>(length));
    // Stored as Generate stores them: the length, the five bits and the special set.
    generator::GeneratorSettings{static_cast<std::uint32_t>(length), choice.Bits(),
                                 choice.specialSet}
        .Write(settings);
    if (!password) {
        ui::ShowMessage(u"The system's random generator failed; no password was made.",
                        ui::Icon::Stop);
        return kFailure;
    }
    if (password->empty()) {
        ui::ShowMessage(u"The chosen characters leave nothing to draw from.",
                        ui::Icon::Exclamation);
        return kFailure;
    }
    out << text::ToUtf8(*password) << '\n';
    return kSuccess;
}

}  // namespace veltrix::vtx
