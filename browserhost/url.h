// Addresses as the headless browser handles them: resolving a reference against a document's
// address, the parts of an address, and the file behind a "file:" address.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace veltrix::browserhost {

// `reference` (absolute, scheme-relative, host-relative, query, fragment or path-relative)
// resolved against `base`, with "." and ".." segments removed. An empty reference gives the base
// without its fragment. A base without an authority ("about:blank") resolves only absolute
// references; others come back unchanged.
std::u16string ResolveUrl(std::u16string_view base, std::u16string_view reference);

// The address without its "#fragment".
std::u16string WithoutFragment(std::u16string_view url);
// The address without its "?query" and "#fragment".
std::u16string WithoutQuery(std::u16string_view url);

// True when the address starts with "javascript:" (any letter case).
bool IsJavaScriptUrl(std::u16string_view url);

// The local file a "file:" address names ("file:///a/b%20c.html" → "/a/b c.html"); nullopt for
// other addresses.
std::optional<std::filesystem::path> FileFromUrl(std::u16string_view url);
// The "file://" address of an absolute local path.
std::u16string FileUrl(const std::filesystem::path& path);

}  // namespace veltrix::browserhost
