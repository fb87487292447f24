// The three record kinds of the vault and how their files are named.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veltrix {

enum class RecordKind { None = 0, Identity = 1, WebLogin = 2, SecureNote = 3, Options = 4 };

// "vxi", "vxw", "vxn"; empty for the other kinds.
std::u16string_view RecordExtension(RecordKind kind);

// The file of a record: the kind's folder (ending in '/'), the name, '.', the extension.
std::u16string RecordPath(std::u16string_view folder, std::u16string_view name, RecordKind kind);

}  // namespace veltrix
