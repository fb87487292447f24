#include "formengine/generator/generator_settings.h"

#include "platform/text.h"

namespace veltrix::generator {
namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

}  // namespace

GeneratorSettings GeneratorSettings::Read(config::Settings& settings) {
    GeneratorSettings read;
    read.length = settings.GetGenerateLength(config::kDefaultGenerateLength);
    read.preferences = settings.GetGeneratePreferences(config::kDefaultGeneratePreferences);
    read.special = settings.GetGenerateSpecial(config::kDefaultGenerateSpecial);
    return read;
}

bool GeneratorSettings::Write(config::Settings& settings) const {
    const bool lengthWritten = settings.SetGenerateLength(length);
    const bool preferencesWritten = settings.SetGeneratePreferences(preferences);
    const bool specialWritten = settings.SetGenerateSpecial(special);
    return lengthWritten && preferencesWritten && specialWritten;
}

LengthCheck CheckLength(std::u16string_view text, int& length) {
    const auto number = text::ParseInteger<std::int64_t>(
        text, {.base = 10, .sign = true, .blank = &IsBlank, .prefix = false, .clamp = true});
    if (!number) {
        return LengthCheck::NotInteger;
    }
    if (*number < kMinLength || *number > kMaxLength) {
        return LengthCheck::OutOfRange;
    }
    length = static_cast<int>(*number);
    return LengthCheck::Valid;
}

std::u16string_view LengthMessage(LengthCheck check) {
    switch (check) {
        case LengthCheck::NotInteger:
            return kNotIntegerMessage;
        case LengthCheck::OutOfRange:
            return kLengthRangeMessage;
        case LengthCheck::Valid:
            break;
    }
    return {};
}

}  // namespace veltrix::generator
