// The Secure Note record: free text, stored whole and never parsed for elements.
#pragma once

#include <string_view>

#include "core/tagged_file.h"

namespace veltrix {

class CSecureNote : public CTaggedFile {
public:
    // An empty note; read from `path` at once when one is given (check GetReadStatus).
    explicit CSecureNote(std::u16string_view path = {});
};

}  // namespace veltrix
