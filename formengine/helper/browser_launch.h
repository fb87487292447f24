// Starting the user's web browser with an address, for the extension's commands and the launcher.
//
// The browser is the program that the registry names for HTML files: the default value of
// HKEY_CLASSES_ROOT\.htm names a file class, and the default value of
// HKEY_CLASSES_ROOT\<class>\shell\open\command holds its command line, whose program path is kept
// and whose arguments are dropped. When that cannot be read, the browser host "vtxbrowse" beside
// the library plays the system's browser.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/registry.h"

namespace veltrix {

// What callers show when LaunchBrowser fails.
inline constexpr std::u16string_view kBrowserLaunchFailed =
    u"Unable to launch the default web browser.";

// The program path at the start of a command line: the text between the quotes when it begins
// with a double quote, else the shortest run of words that names an existing file, else its first
// word. nullopt for a blank command or an unclosed or empty quote.
std::optional<std::filesystem::path> ProgramOfCommand(std::u16string_view command);

// The browser program the registry names for HTML files; nullopt when the class or its open
// command is missing or names no program.
std::optional<std::filesystem::path> RegisteredBrowser(platform::Registry& registry);

// The registered browser, else "vtxbrowse" in `fallbackFolder`.
std::filesystem::path BrowserProgram(platform::Registry& registry,
                                     const std::filesystem::path& fallbackFolder);

// Starts the browser (from the process's registry; the fallback beside this module) as a process
// of its own with `address` as its only argument. 0 on success, else the system's error number;
// EINVAL for an empty address or one that begins with '-', which a browser would take for an
// option.
int LaunchBrowser(std::u16string_view address);

// Opens an address as the desktop's "open" does for a page: in the same browser, without a
// message of its own on failure. 0 on success, else the system's error number.
int OpenDocument(std::u16string_view address);

}  // namespace veltrix
