#include "formengine/fill/identity_fill.h"

#include <algorithm>
#include <array>

#include "core/configuration.h"
#include "core/record_io.h"
#include "core/record_kind.h"
#include "formengine/fill/state_province_map.h"
#include "formengine/recognition/text_normalisation.h"
#include "platform/text.h"

namespace veltrix {
namespace {

constexpr std::int32_t kNoMaxLength = 2147483647;

std::u16string LastChars(std::u16string_view text, std::size_t count) {
    return std::u16string(text.substr(text.size() > count ? text.size() - count : 0));
}

std::u16string Prefix(std::u16string_view text, std::int32_t count) {
    return std::u16string(text.substr(0, static_cast<std::size_t>(std::max(count, 0))));
}

bool Contains(std::u16string_view text, std::u16string_view part) {
    return text.find(part) != std::u16string_view::npos;
}

bool OptionsContain(const CFormField& field, std::u16string_view text) {
    return field.options != nullptr && field.options->FindContaining(text) >= 0;
}

bool OptionsHaveValue(const CFormField& field, std::u16string_view value) {
    return field.options != nullptr && field.options->HasValue(value);
}

std::int32_t SmallerOfSizeAndMaxLength(const CFormField& field) {
    return std::min(field.size, field.maxLength);
}

// The street lines of an address: split at CR or LF, trailing blanks dropped, empty lines left out.
std::vector<std::u16string> StreetLines(std::u16string_view street) {
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    while (start <= street.size()) {
        std::size_t end = street.find_first_of(u"\r\n", start);
        if (end == std::u16string_view::npos) {
            end = street.size();
        }
        std::u16string_view line = street.substr(start, end - start);
        while (!line.empty() && text::IsBlank(line.back())) {
            line.remove_suffix(1);
        }
        if (!line.empty()) {
            lines.emplace_back(line);
        }
        start = end + 1;
    }
    return lines;
}

std::u16string EnglishMonthName(std::u16string_view month) {
    static constexpr std::array<std::u16string_view, 12> kMonths = {
        u"January", u"February", u"March",     u"April",   u"May",      u"June",
        u"July",    u"August",   u"September", u"October", u"November", u"December"};
    const long number = text::ToInt(month);
    return number >= 1 && number <= 12
               ? std::u16string(kMonths[static_cast<std::size_t>(number - 1)])
               : std::u16string();
}

// The year key that goes with a month key.
std::u16string_view YearKeyOf(std::u16string_view monthKey) {
    return monthKey == u"ccvfromm" ? u"ccvfromy" : u"ccexpy";
}

bool IsPhoneKey(std::u16string_view key) {
    static constexpr std::array<std::u16string_view, 12> kPhoneKeys = {
        u"cell1", u"hphone1", u"wphone1", u"hfax1", u"wfax1", u"wpager1",
        u"cell2", u"hphone2", u"wphone2", u"hfax2", u"wfax2", u"wpager2"};
    return std::find(kPhoneKeys.begin(), kPhoneKeys.end(), key) != kPhoneKeys.end();
}

}  // namespace

Highlighting Highlighting::Read(config::Settings& settings) {
    Highlighting highlighting;
    highlighting.on = (settings.GetPreferences() & config::pref::kHighlightFields) != 0;
    if (highlighting.on) {
        highlighting.colour = settings.GetHighlightColor();
    }
    return highlighting;
}

void Highlight(CFormField& field, const Highlighting& highlighting) {
    const bool changed = field.IsCheckable() ? field.element->IsChecked() != field.checkedInitially
                                             : field.CurrentValueText() != field.initialValue;
    if (!changed) {
        return;
    }
    if (!highlighting.on) {
        return;
    }
    field.savedBackground = field.element->BackgroundColor();
    field.element->SetBackgroundColor(highlighting.colour);
}

namespace {

bool SelectOptionAt(CFormField& field, const dom::ElementRef& option,
                    const Highlighting& highlighting) {
    if (!option->SetSelected(true)) {
        return false;
    }
    field.written = true;
    Highlight(field, highlighting);
    return true;
}

}  // namespace

bool SetValue(CFormField& field, std::u16string_view text, const Highlighting& highlighting) {
    if (field.readOnly || field.disabled || field.element == nullptr ||
        static_cast<std::int64_t>(text.size()) > field.maxLength) {
        return false;
    }
    if (!field.element->SetAttribute(u"value", text)) {
        return false;
    }
    field.written = true;
    if (!text.empty()) {
        Highlight(field, highlighting);
    }
    return true;
}

bool SelectOption(CFormField& field, std::u16string_view text, const Highlighting& highlighting) {
    if (text.empty() || field.element == nullptr) {
        return false;
    }
    const dom::ElementList options = field.element->Options();
    for (const auto& option : options) {
        if (text::EqualsNoCase(option->OptionText(), text) ||
            text::EqualsNoCase(option->OptionValue(), text)) {
            return SelectOptionAt(field, option, highlighting);
        }
    }
    const std::u16string wanted = ToLower(text);
    for (const auto& option : options) {
        const std::u16string optionText = ToLower(option->OptionText());
        if ((Contains(optionText, wanted) || Contains(ToLower(option->OptionValue()), wanted)) &&
            !Contains(optionText, u"debit") && !Contains(optionText, u"electron")) {
            return SelectOptionAt(field, option, highlighting);
        }
    }
    return false;
}

bool Check(CFormField& field, const Highlighting& highlighting) {
    if (field.element == nullptr || !field.element->SetChecked(true)) {
        return false;
    }
    field.written = true;
    Highlight(field, highlighting);
    return true;
}

void RestoreBackground(CFormField& field) {
    if (field.savedBackground && field.element != nullptr) {
        field.element->SetBackgroundColor(*field.savedBackground);
    }
}

namespace {

// The first sub-record named `chosen` in the order of the record (cc1, cc2, ...), which is the
// reverse of the list's; null when nothing is chosen or nothing matches.
template <typename SubRecord>
const SubRecord* FindChosen(const std::list<SubRecord>& records, const std::u16string& chosen) {
    auto found = std::find_if(records.rbegin(), records.rend(),
                              [&](const SubRecord& record) { return record.GetId() == chosen; });
    return chosen.empty() || found == records.rend() ? nullptr : &*found;
}

}  // namespace

// The chosen card and account are read once, for the whole fill, and so is the highlighting.
CIdentityFiller::CIdentityFiller(const CIdentity& identity, std::u16string name,
                                 config::Settings& settings)
    : m_identity(identity),
      m_name(std::move(name)),
      m_card(FindChosen(identity.CreditCards(), settings.GetIdentityCreditCard(m_name))),
      m_account(FindChosen(identity.BankAccounts(), settings.GetIdentityBankAccount(m_name))),
      m_settings(settings) {}

bool CIdentityFiller::SetValue(CFormField& field, std::u16string_view text) const {
    return veltrix::SetValue(field, text, *m_highlighting);
}

bool CIdentityFiller::SelectOption(CFormField& field, std::u16string_view text) const {
    return veltrix::SelectOption(field, text, *m_highlighting);
}

bool CIdentityFiller::Check(CFormField& field) const {
    return veltrix::Check(field, *m_highlighting);
}

std::u16string CIdentityFiller::IdentityValue(std::u16string_view key) const {
    const std::optional<IdentityValueKey> typed = LookupIdentityValueKey(key);
    if (!typed) {
        return {};
    }
    return std::visit([this](auto typedKey) { return IdentityValue(typedKey); }, *typed);
}

std::u16string CIdentityFiller::IdentityValue(IdentityKey key) const {
    return m_identity.Get(key);
}

std::u16string CIdentityFiller::IdentityValue(CardKey key) const {
    return m_card != nullptr ? m_card->Get(key) : std::u16string();
}

std::u16string CIdentityFiller::IdentityValue(AccountKey key) const {
    return m_account != nullptr ? m_account->Get(key) : std::u16string();
}

std::u16string CIdentityFiller::IdentityValue(FullNameKey) const {
    return m_identity.GetFullName();
}

void CIdentityFiller::FillForm(CWebForm& form) const {
    if (!m_highlighting) {
        m_highlighting = Highlighting::Read(m_settings);
    }
    if (form.filled && form.formElement != nullptr) {
        form.formElement->Reset();
    }
    for (const auto& field : form.fields) {
        if (field->written) {
            continue;  // a split value reached it from an earlier field
        }
        switch (field->kind) {
            case FieldKind::Input:
                FillInput(*field);
                break;
            case FieldKind::Select:
                FillListBox(*field);
                break;
            case FieldKind::TextArea:
                SetValue(*field, IdentityValue(field->key));
                break;
            default:
                break;
        }
    }
    form.filled = true;
    for (const auto& field : form.fields) {
        field->written = false;
    }
}

void CIdentityFiller::FillInput(CFormField& field) const {
    switch (field.inputType) {
        case InputType::Checkbox:
        case InputType::Radio:
            if (!field.key.empty()) {
                FillCheckable(field);
            }
            return;
        case InputType::Text:
        case InputType::Password:
        case InputType::Number:
            if (!field.key.empty()) {
                FillTextInput(field);
            }
            return;
        default:
            return;  // buttons, images, files and the like are not filled
    }
}

void CIdentityFiller::FillCheckable(CFormField& field) const {
    const std::u16string after = LettersAndDigits(field.element->AfterEndText());
    const std::u16string initial = LettersAndDigits(field.initialValue);
    auto matches = [&](std::u16string_view value) {
        return text::EqualsNoCase(value, after) || text::EqualsNoCase(value, initial);
    };
    std::u16string value = LettersAndDigits(IdentityValue(field.key));
    if (matches(value)) {
        Check(field);
        return;
    }
    if (field.key == u"sex" && (value == u"M" || value == u"F")) {
        if (matches(value == u"M" ? u"Male" : u"Female")) {
            Check(field);
        }
    }
}

void CIdentityFiller::FillTextInput(CFormField& field) const {
    const std::u16string& key = field.key;
    if (key == u"title") {
        if (const CFormField* next = field.Next()) {
            const bool personal = next->key == u"fname" || next->key == u"name";
            SetValue(field, IdentityValue(personal ? IdentityKey::Title : IdentityKey::JobTitle));
        }
    } else if (key == u"name") {
        SetValue(field, IdentityValue(IdentityKey::FirstName) + u" " +
                            IdentityValue(IdentityKey::LastName));
    } else if (key == u"mname" && (field.size < 3 || field.maxLength < 3)) {
        SetValue(field, Prefix(IdentityValue(IdentityKey::MiddleName), 1));
    } else if (key == u"hstr" || key == u"wstr") {
        StreetRule(field);
    } else if (key == u"ccexpm" || key == u"ccvfromm") {
        MonthRule(field);
    } else if (key == u"ccexpy" || key == u"ccvfromy") {
        YearRule(field);
    } else if (key == u"bdaym") {
        BirthDateRule(field);
    } else if (key == u"bdayy") {
        const CFormField* next = field.Next();
        const CFormField* previous = field.Previous();
        if (next != nullptr && next->key == u"bdayy" && previous != nullptr &&
            previous->key == u"bdaym") {
            field.key = u"bdayd";  // the day sits between month and year
        }
        SetValue(field, IdentityValue(field.key));
    } else if (IsPhoneKey(key)) {
        PhoneRule(field);
    } else if (key == u"ssn") {
        SocialSecurityRule(field);
    } else if (key == u"hzip1" || key == u"wzip1") {
        ZipRule(field);
    } else {
        SetValue(field, IdentityValue(key));
    }
}

bool CIdentityFiller::StreetRule(CFormField& field) const {
    const std::vector<std::u16string> lines = StreetLines(IdentityValue(field.key));
    if (lines.empty()) {
        return false;
    }
    SetValue(field, lines[0]);
    std::size_t line = 1;
    for (CFormField* next = field.Next();
         next != nullptr && (next->key.empty() || next->key == u"hstr" || next->key == u"wstr");
         next = next->Next(), ++line) {
        if (line < lines.size()) {
            SetValue(*next, lines[line]);
        } else {
            next->written = true;  // no line left: stays as it is
        }
    }
    return true;
}

bool CIdentityFiller::MonthRule(CFormField& field) const {
    const std::u16string month = IdentityValue(field.key);
    if (month.empty()) {
        return false;
    }
    const std::int32_t n = SmallerOfSizeAndMaxLength(field);
    if (n < 4 || field.inputType == InputType::Number) {
        return SetValue(field, month);
    }
    std::u16string year = IdentityValue(YearKeyOf(field.key));
    if (n < 7) {
        year = LastChars(year, 2);
    }
    return SetValue(field, month + u"/" + year);
}

bool CIdentityFiller::YearRule(CFormField& field) const {
    const std::u16string year = IdentityValue(field.key);
    if (year.empty()) {
        return false;
    }
    return SetValue(field, SmallerOfSizeAndMaxLength(field) < 4 ? LastChars(year, 2) : year);
}

bool CIdentityFiller::BirthDateRule(CFormField& field) const {
    const std::u16string month = IdentityValue(IdentityKey::BirthMonth);
    if (field.size > 8 && field.maxLength > 8 && !month.empty()) {
        return SetValue(field, month + u"/" + IdentityValue(IdentityKey::BirthDay) + u"/" +
                                   IdentityValue(IdentityKey::BirthYear));
    }
    return SetValue(field, month);
}

bool CIdentityFiller::PhoneRule(CFormField& field) const {
    const std::u16string key1 = field.key;
    std::u16string key2 = key1;
    std::replace(key2.begin(), key2.end(), u'1', u'2');
    const std::u16string part1 = LettersAndDigits(IdentityValue(key1));
    const std::u16string part2 = LettersAndDigits(IdentityValue(key2));
    const std::u16string whole = part1 + part2;
    if (whole.empty()) {
        return false;
    }
    const auto length = static_cast<std::int32_t>(whole.size());
    if (SmallerOfSizeAndMaxLength(field) >= length) {
        return SetValue(field, whole);
    }
    // A field limited to the whole number but shown short takes it all, unless a box for the
    // rest follows.
    if (field.size < length && length <= field.maxLength && field.maxLength != kNoMaxLength) {
        const CFormField* next = field.Next();
        if (next == nullptr || (next->key != key1 && next->key != key2 && !next->key.empty() &&
                                !next->label.empty())) {
            return SetValue(field, whole);
        }
    }
    SetValue(field, part1);
    std::u16string rest = part2;
    for (CFormField* next = field.Next(); next != nullptr && !rest.empty(); next = next->Next()) {
        if (!(next->key == key1 || next->key == key2 || next->key.empty() || next->label.empty())) {
            break;
        }
        const std::int32_t share = next->maxLength < field.size ? next->maxLength : next->size;
        SetValue(*next, Prefix(rest, share));
        rest.erase(0, static_cast<std::size_t>(std::clamp<std::int32_t>(
                          share, 0, static_cast<std::int32_t>(rest.size()))));
    }
    return true;
}

bool CIdentityFiller::SocialSecurityRule(CFormField& field) const {
    const std::u16string value = IdentityValue(field.key);
    if (SmallerOfSizeAndMaxLength(field) > 8) {
        return SetValue(field, value);
    }
    const std::u16string number = text::Trim(value);
    std::u16string part2;
    std::u16string part3;
    if (number.size() == 9) {
        part2 = number.substr(3, 2);
        part3 = number.substr(5, 4);
    } else if (number.size() == 11) {
        part2 = number.substr(4, 2);
        part3 = number.substr(7, 4);
    }
    SetValue(field, Prefix(number, 3));
    auto takesPart = [](const CFormField* f) {
        return f != nullptr && (f->key.empty() || f->key == u"ssn");
    };
    CFormField* second = field.Next();
    if (takesPart(second)) {
        SetValue(*second, part2);
    }
    CFormField* third = second != nullptr ? second->Next() : nullptr;
    if (takesPart(third)) {
        SetValue(*third, part3);
    }
    return true;
}

bool CIdentityFiller::ZipRule(CFormField& field) const {
    std::u16string zip = IdentityValue(field.key);
    bool any = false;
    for (CFormField* box = &field;
         box != nullptr && !zip.empty() && (box->key == field.key || box->key.empty());
         box = box->Next()) {
        const std::int32_t share = box->maxLength >= field.size ? box->size : box->maxLength;
        SetValue(*box, Prefix(zip, share));
        zip.erase(0, static_cast<std::size_t>(std::clamp<std::int32_t>(
                         share, 0, static_cast<std::int32_t>(zip.size()))));
        any = true;
    }
    return any;
}

void CIdentityFiller::FillListBox(CFormField& field) const {
    if (field.options == nullptr || field.options->Count() == 0) {
        return;
    }
    if (BirthDayHandler(field) || MonthHandler(field) || YearHandler(field) ||
        CardTypeHandler(field) || StateHandler(field) || field.key.empty()) {
        return;
    }
    const std::u16string value = IdentityValue(field.key);
    if (!value.empty() && !SelectOption(field, value)) {
        SelectOption(field, LettersAndDigits(value));
    }
}

bool CIdentityFiller::BirthDayHandler(CFormField& field) const {
    if ((OptionsContain(field, u"Jan") && OptionsContain(field, u"Feb")) ||
        OptionsContain(field, u"1980")) {
        return false;
    }
    if (field.key != u"bdayd" && !Contains(ToLower(field.label), u"birth") &&
        !Contains(ToLower(field.name), u"birth")) {
        return false;
    }
    const std::u16string day = IdentityValue(IdentityKey::BirthDay);
    if (SelectOption(field, day)) {
        return true;
    }
    return day.starts_with(u'0') && SelectOption(field, day.substr(1, 1));
}

bool CIdentityFiller::MonthHandler(CFormField& field) const {
    const std::u16string& key = field.key;
    if ((OptionsContain(field, u"01") || OptionsContain(field, u"1")) &&
        OptionsContain(field, u"12") && !OptionsHaveValue(field, u"13")) {
        if (key == u"bdaym" || key == u"bdayd") {
            return SelectOption(field, IdentityValue(IdentityKey::BirthMonth));
        }
        if (key == u"ccexpm" || key == u"ccvfromm") {
            return CardMonthHandler(field);
        }
        return false;
    }
    if (!OptionsContain(field, u"Jan") || !OptionsContain(field, u"Feb")) {
        return false;
    }
    std::u16string month;
    if (key == u"bdaym") {
        month = IdentityValue(IdentityKey::BirthMonth);
    } else if (key == u"ccexpm" || key == u"ccexpy") {
        month = IdentityValue(CardKey::ExpiryMonth);
    }
    const std::u16string name = EnglishMonthName(month);
    return !name.empty() && (SelectOption(field, name) || SelectOption(field, name.substr(0, 3)));
}

bool CIdentityFiller::CardMonthHandler(CFormField& field) const {
    const std::u16string month = IdentityValue(field.key);
    if (month.empty()) {
        return false;
    }
    const std::u16string year = IdentityValue(YearKeyOf(field.key));
    return SelectOption(field, month + u"/" + year) ||
           SelectOption(field, month + u"/" + LastChars(year, 2)) || SelectOption(field, month) ||
           SelectOption(field, LastChars(month, 1));
}

bool CIdentityFiller::YearHandler(CFormField& field) const {
    const std::u16string& key = field.key;
    if (key != u"bdayy" && key != u"ccexpy" && key != u"ccvfromy") {
        return false;
    }
    const std::u16string year = IdentityValue(key);
    return SelectOption(field, year) || SelectOption(field, LastChars(year, 2));
}

bool CIdentityFiller::CardTypeHandler(CFormField& field) const {
    if (!OptionsContain(field, u"Visa") && !OptionsContain(field, u"MasterCard") &&
        !OptionsContain(field, u"EuroCard")) {
        return false;
    }
    return SelectOption(field, IdentityValue(CardKey::Type));
}

// A list of states: by the full name of a known abbreviation, else by the abbreviation itself
// when the options carry abbreviations as values.
bool CIdentityFiller::StateHandler(CFormField& field) const {
    if (!OptionsContain(field, u"Alabama") || !OptionsContain(field, u"Alaska")) {
        return false;
    }
    const std::u16string state = IdentityValue(IdentityKey::HomeState);
    if (auto name = StateOrProvinceName(state)) {
        return SelectOption(field, *name);
    }
    const bool abbreviations = OptionsHaveValue(field, u"AL") && OptionsHaveValue(field, u"AK") &&
                               OptionsHaveValue(field, u"AR") && OptionsHaveValue(field, u"AZ");
    return abbreviations && !state.empty() && SelectOption(field, state);
}

bool FillWithIdentity(config::Settings& settings, PageFormList& forms, std::u16string_view name) {
    if (name.empty()) {
        return false;
    }
    const auto identity = ReadIdentity(
        RecordPath(settings.GetRecordFolder(RecordKind::Identity), name, RecordKind::Identity));
    if (!identity) {
        return false;
    }
    const CIdentityFiller filler(*identity, std::u16string(name), settings);
    for (const auto& form : forms) {
        if (!form->loginForm) {
            filler.FillForm(*form);
        }
    }
    return true;
}

bool FillPasswords(CWebForm& form, std::u16string_view text, bool write,
                   const Highlighting& highlighting) {
    bool any = false;
    for (const auto& field : form.fields) {
        if (field->kind == FieldKind::Input && field->inputType == InputType::Password) {
            if (!write) {
                return true;
            }
            any = SetValue(*field, text, highlighting) || any;
        }
    }
    return any;
}

}  // namespace veltrix
