// The page's own values, the address, the notes and the "Disable auto-submit" tick, and how they
// are read from and written into the Web Login record.
#pragma once

#include <string>

#include "core/web_login.h"

namespace veltrix::editor::weblogin {

struct PageValues {
    std::u16string address;     // "urlpage"
    std::u16string notes;       // "notes", with LF between lines as the edit shows them
    bool noAutoSubmit = false;  // bit 0 of "options"

    bool operator==(const PageValues&) const = default;
};

PageValues LoadPageValues(const CWebLogin& login);

// Writes the three values into the record: the address as the page address, the notes with CR LF
// between lines, bit 0 of the options from the tick. The other option bits are kept as read, so
// that what this editor does not know survives an edit.
void StorePageValues(CWebLogin& login, const PageValues& values);

}  // namespace veltrix::editor::weblogin
