#include "platform/com/module_path.h"

#include <dlfcn.h>

namespace veltrix::com {

std::filesystem::path ModulePathOf(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr || *info.dli_fname == '\0') {
        return {};
    }
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(info.dli_fname, error);
    return error ? std::filesystem::path(info.dli_fname) : path.lexically_normal();
}

}  // namespace veltrix::com
