// The page's context menu as the helper object offers it: the browser's own menu with the
// "Veltrix" submenu (menu 209) inserted first, followed by a separator.
#pragma once

#include <cstdint>
#include <optional>

#include "formengine/helper/bho_view_interface.h"
#include "formengine/helper/document_host.h"

namespace veltrix {

// The "Veltrix" popup's own identifier and its items' command ids (kVeltrixMenuFirst plus the
// helper object's command id), apart from the browser's own command ids.
inline constexpr std::uint32_t kVeltrixPopupId = 0xA000;
inline constexpr std::uint32_t kVeltrixMenuFirst = 0xA000;

// The "Veltrix" popup: "Logoff", "Fill Form...", "Save Form...", "Generate Password...",
// separator, "Options...", "Identities...", "Web Logins...", "Secure Notes...", separator.
MenuItem VeltrixSubmenu();

// Inserts the "Veltrix" popup at position 0 and a separator at position 1.
void InsertVeltrixSubmenu(PopupMenu& menu);

// The enabling rule, applied when the "Veltrix" popup is about to open: "Fill Form..." and
// "Save Form..." only when the page has forms; "Options...", "Identities...", "Web Logins..." and
// "Secure Notes..." always. Other popups are left alone.
void EnableVeltrixItems(MenuItem& popup, bool pageHasForms);

// Attaches `encoding` as the submenu of the item kEncodingMenuItem, wherever it is in `menu`.
void AttachEncodingMenu(PopupMenu& menu, PopupMenu encoding);

// The helper object's command a chosen id runs; nullopt for the browser's own ids.
std::optional<IBHOView::DispatchId> VeltrixCommandOf(std::uint32_t id);

}  // namespace veltrix
