#include "formengine/generator/generator_views.h"

namespace veltrix::generator {

std::u16string GeneratorCaption() {
    return std::u16string(kGeneratorTitle) + u" - " + std::u16string(ui::kCaption);
}

}  // namespace veltrix::generator
