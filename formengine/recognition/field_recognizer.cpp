#include "formengine/recognition/field_recognizer.h"

#include <ctime>
#include <string>

#include "formengine/recognition/field_patterns.h"
#include "formengine/recognition/text_normalisation.h"

namespace veltrix {

namespace {

constexpr std::int32_t kLoginWindow = 4;
constexpr std::int32_t kLoginMaxInputs = 10;

const std::u16string kNoKey;

std::u16string_view PreviousKey(const SFieldFacts& field) {
    return field.previousKey ? std::u16string_view(*field.previousKey) : std::u16string_view();
}

bool Vetoed(const SFieldPatternWords& row, std::u16string_view label, std::u16string_view name) {
    return ContainsAny(label, row.exclude) || ContainsAny(name, row.exclude);
}

std::u16string YearText(std::int32_t year) {
    const std::string digits = std::to_string(year);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::int32_t CFieldRecognizer::CurrentYear() const {
    if (!m_currentYear) {
        m_currentYear = CurrentLocalYear();
    }
    return *m_currentYear;
}

std::int32_t CFieldRecognizer::CurrentLocalYear() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

std::u16string CFieldRecognizer::RecogniseListContent(const SFieldFacts& field) const {
    const COptionList* options = field.options;
    if (options == nullptr) {
        return {};
    }
    const auto contains = [options](std::u16string_view text) {
        return options->FindContaining(text) >= 0;
    };
    const auto has = [options](std::u16string_view value) { return options->HasValue(value); };
    const std::int32_t count = options->Count();
    const std::u16string label = Normalise(field.label);
    const std::u16string name = Normalise(field.name);
    const std::u16string_view previous = PreviousKey(field);

    if (contains(u"mr") && contains(u"ms") && count < 10) {
        return u"title";
    }
    if (contains(u"male") && contains(u"female") && count < 4) {
        return u"sex";
    }
    if (has(u"m") && has(u"f") && count < 4) {
        return u"sex";
    }
    // A day list answers only for a birth date; otherwise the content decides nothing at all.
    if (has(u"10") && has(u"28") && (count == 31 || count == 32)) {
        const bool birth = label.find(u"birth") != std::u16string::npos ||
                           name.find(u"birth") != std::u16string::npos;
        if (birth || (field.previousKey && previous == u"bdaym")) {
            return u"bdayd";
        }
        return {};
    }
    const bool numberedMonths = has(u"10") && has(u"11") && has(u"12") && !has(u"13");
    const bool namedMonths = contains(u"Jan") && contains(u"Feb") && contains(u"Mar");
    if (numberedMonths || namedMonths) {
        if (!field.previousKey) {
            return {};
        }
        if (previous == u"bdayd" || label.find(u"birth") != std::u16string::npos) {
            return u"bdaym";
        }
        const SFieldPatternWords* expiry = FindFieldPatternWords(u"ccexpm");
        if (EqualsAny(previous, expiry->previousKeys) && !Vetoed(*expiry, label, name)) {
            return u"ccexpm";
        }
        return {};
    }
    const std::u16string nextYear = YearText(CurrentYear() + 1);
    const std::u16string yearAfter = YearText(CurrentYear() + 2);
    if ((has(nextYear) && has(yearAfter)) || (contains(nextYear) && contains(yearAfter))) {
        if (previous.starts_with(u"cc")) {
            return u"ccexpy";
        }
    }
    if (contains(u"Australia") && contains(u"Canada")) {
        return u"hcountry";
    }
    return {};
}

std::u16string CFieldRecognizer::Recognise(const SFieldFacts& field) const {
    const bool isSelect = field.kind == FieldKind::Select;
    if (field.kind == FieldKind::Input &&
        static_cast<std::int32_t>(field.inputType) >= static_cast<std::int32_t>(InputType::Image)) {
        return {};
    }
    if (isSelect) {
        std::u16string key = RecogniseListContent(field);
        if (!key.empty()) {
            return key;
        }
    }

    std::u16string label = Normalise(field.label);
    if (label.empty()) {
        label = Normalise(field.value);
    }
    const std::u16string name = Normalise(field.name);
    const std::int32_t size = field.size;
    const std::span<const SFieldPatternWords> rows = FieldPatternWords();

    if (!label.empty()) {
        // Pass 1: the whole label is an include word.
        for (const SFieldPatternWords& row : rows) {
            if (EqualsAny(label, row.include) && !Vetoed(row, label, name)) {
                return std::u16string(row.pattern->key);
            }
        }
        // Pass 2: the label contains an include word.
        for (const SFieldPatternWords& row : rows) {
            if (ContainsAny(label, row.include) && !Vetoed(row, label, name)) {
                return std::u16string(row.pattern->key);
            }
        }
    }

    // Pass 3: the key of the field before, for text inputs and list boxes.
    const std::u16string_view previous = PreviousKey(field);
    if ((field.inputType == InputType::Text || isSelect) && !previous.empty()) {
        for (const SFieldPatternWords& row : rows) {
            const bool sizeFits =
                isSelect || (row.pattern->minSize <= size && size <= row.pattern->maxSize);
            if (EqualsAny(previous, row.previousKeys) && !Vetoed(row, label, name) && sizeFits) {
                return std::u16string(row.pattern->key);
            }
        }
    }

    // Pass 4: the name attribute contains an include word; only the minimum size counts.
    for (const SFieldPatternWords& row : rows) {
        if (ContainsAny(name, row.include) && !ContainsAny(name, row.exclude) &&
            (isSelect || size >= row.pattern->minSize)) {
            return std::u16string(row.pattern->key);
        }
    }
    return kNoKey;
}

bool CFieldRecognizer::IsIdentityForm(std::span<const SRecognisedField> fields) {
    std::int32_t keyed = 0;
    for (const SRecognisedField& field : fields) {
        if (!field.key.empty() && field.inputType != InputType::Checkbox &&
            field.inputType != InputType::Radio) {
            ++keyed;
        }
    }
    const auto total = static_cast<std::int32_t>(fields.size());
    return keyed > 3 || (keyed > 1 && total / keyed <= 3);
}

bool CFieldRecognizer::IsLoginForm(std::span<const SRecognisedField> fields) {
    std::int32_t inputs = 0;
    for (const SRecognisedField& field : fields) {
        if (field.kind == FieldKind::Input || field.kind == FieldKind::TextArea) {
            ++inputs;
        }
    }
    if (inputs > kLoginMaxInputs) {
        return false;
    }
    // Fields other than text and password inputs take no place in the window.
    std::size_t window = kLoginWindow;
    for (std::size_t i = 0; i < fields.size() && i < window; ++i) {
        const SRecognisedField& field = fields[i];
        const auto type = static_cast<std::int32_t>(field.inputType);
        if (type > static_cast<std::int32_t>(InputType::Password)) {
            ++window;
            continue;
        }
        if (field.inputType == InputType::Password) {
            return true;
        }
        if (field.inputType == InputType::Text && ToLower(field.label).starts_with(u"password")) {
            return true;
        }
    }
    return false;
}

}  // namespace veltrix
