// Filling web forms from an Identity: each field gets the Identity value its key names, reshaped
// to the field (split phone numbers, expiry dates, states from list boxes), and what changed is
// highlighted when the user wants it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/configuration.h"
#include "core/identity.h"
#include "formengine/form/web_form.h"

namespace veltrix {

// Whether the user wants the fields a fill changed highlighted, and in which colour; read from the
// settings once for a whole fill.
struct Highlighting {
    bool on = false;
    std::u16string colour;

    static Highlighting Read(config::Settings& settings);
};

// Writes "value" unless the field is read-only, disabled or too short for the text; marks the
// field written and highlights it.
bool SetValue(CFormField& field, std::u16string_view text, const Highlighting& highlighting);
// Selects the first option equal to the text (ignoring case), else the first that contains it and
// is no debit or electron card.
bool SelectOption(CFormField& field, std::u16string_view text, const Highlighting& highlighting);
// Checks a check box or radio button.
bool Check(CFormField& field, const Highlighting& highlighting);
// Highlights the field when `highlighting` is on and its content (or checked state) now differs
// from the page's initial one; the previous background is kept for restoring.
void Highlight(CFormField& field, const Highlighting& highlighting);
// Puts back the background colour saved by the latest highlight.
void RestoreBackground(CFormField& field);

class CIdentityFiller {
public:
    // `name` is the Identity's record name, under which `settings` keep its chosen card and
    // account; the highlighting is read from them too.
    CIdentityFiller(const CIdentity& identity, std::u16string name, config::Settings& settings);

    // The value of a stored key name; card and account keys read the chosen card or account.
    std::u16string IdentityValue(std::u16string_view key) const;
    std::u16string IdentityValue(IdentityKey key) const;
    std::u16string IdentityValue(CardKey key) const;
    std::u16string IdentityValue(AccountKey key) const;
    std::u16string IdentityValue(FullNameKey key) const;

    // Fills one form; a form filled before is reset first.
    void FillForm(CWebForm& form) const;

private:
    void FillInput(CFormField& field) const;
    void FillTextInput(CFormField& field) const;
    void FillCheckable(CFormField& field) const;
    void FillListBox(CFormField& field) const;

    bool StreetRule(CFormField& field) const;
    bool MonthRule(CFormField& field) const;
    bool YearRule(CFormField& field) const;
    bool BirthDateRule(CFormField& field) const;
    bool PhoneRule(CFormField& field) const;
    bool SocialSecurityRule(CFormField& field) const;
    bool ZipRule(CFormField& field) const;

    bool BirthDayHandler(CFormField& field) const;
    bool MonthHandler(CFormField& field) const;
    bool CardMonthHandler(CFormField& field) const;
    bool YearHandler(CFormField& field) const;
    bool CardTypeHandler(CFormField& field) const;
    bool StateHandler(CFormField& field) const;

    // The field writers with this fill's highlighting.
    bool SetValue(CFormField& field, std::u16string_view text) const;
    bool SelectOption(CFormField& field, std::u16string_view text) const;
    bool Check(CFormField& field) const;

    const CIdentity& m_identity;
    std::u16string m_name;

    const CCreditCard* m_card;
    const CBankAccount* m_account;
    config::Settings& m_settings;
    // Read by the first form filled.
    mutable std::optional<Highlighting> m_highlighting;
};

// Loads the Identity `name` and fills every form of `forms` that is not a login form; false when
// the name is empty or the Identity does not load.
bool FillWithIdentity(config::Settings& settings, PageFormList& forms, std::u16string_view name);

// Without `write`: whether the form has a password input. With it: `text` goes into every
// password input; true when at least one took it.
bool FillPasswords(CWebForm& form, std::u16string_view text, bool write,
                   const Highlighting& highlighting);

}  // namespace veltrix
