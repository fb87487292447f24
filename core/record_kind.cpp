#include "core/record_kind.h"

namespace veltrix {

std::u16string_view RecordExtension(RecordKind kind) {
    switch (kind) {
        case RecordKind::Identity:
            return u"vxi";
        case RecordKind::WebLogin:
            return u"vxw";
        case RecordKind::SecureNote:
            return u"vxn";
        default:
            return {};
    }
}

std::u16string RecordPath(std::u16string_view folder, std::u16string_view name, RecordKind kind) {
    std::u16string path(folder);
    path += name;
    path += u'.';
    path += RecordExtension(kind);
    return path;
}

}  // namespace veltrix
