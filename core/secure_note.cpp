#include "core/secure_note.h"

namespace veltrix {

CSecureNote::CSecureNote(std::u16string_view path) {
    if (!path.empty()) {
        Read(path);
    }
}

}  // namespace veltrix
