// The tagged text of each record kind: a record value to its text and back. Storing gives the
// same text for the same record every time; loading accepts any text.
#pragma once

#include <string>
#include <string_view>

#include "core/identity.h"
#include "core/secure_note.h"
#include "core/web_login.h"

namespace veltrix {

// The Identity's fields in table order (empty ones left out), then its cards as "cc1", "cc2", ...
// and its accounts as "ba1", ... numbered from the list's front, each a nested tagged text. An
// empty sub-record writes nothing but takes its number.
std::u16string IdentityToText(const CIdentity& identity);
// Every field from its element (empty when missing); cards and accounts from number 1 up to the
// first missing one, each put at the front of its list.
CIdentity IdentityFromText(std::u16string_view text);

// The two writers of Web Logins, which differ in the order of a field's data and state elements
// and in how an empty frame address is written; loading accepts both.
enum class WebLoginWriter {
    Browser,  // state before data; the frame address only when there is one
    Editor,   // data before state; the page address as frame address when there is none
};
std::u16string WebLoginToText(const CWebLogin& login, WebLoginWriter writer);
CWebLogin WebLoginFromText(std::u16string_view text);

// Whether a text can be one that the writers above produced: the elements of the kind's own keys
// joined by CR LF, each card, account and Web Login field a tagged text of its own keys, and the
// Web Login's numbers decimal. A damaged record fails this; loading itself accepts any text.
bool IsSoundIdentityText(std::u16string_view text);
bool IsSoundWebLoginText(std::u16string_view text);

// A Secure Note's text is the record text itself.
inline std::u16string SecureNoteToText(const CSecureNote& note) {
    return note.GetText();
}
inline CSecureNote SecureNoteFromText(std::u16string_view text) {
    CSecureNote note;
    note.SetText(std::u16string(text));
    return note;
}

}  // namespace veltrix
