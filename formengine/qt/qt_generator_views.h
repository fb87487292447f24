// The generator's views in a Qt Widgets program: CPasswordGeneratorDlg. Use them on the GUI
// thread; without a QApplication they fall back to the in-memory window.
#pragma once

#include "formengine/generator/generator_views.h"

namespace veltrix::generator {

class QtGeneratorViews final : public IGeneratorViews {
public:
    std::unique_ptr<IGeneratorWindow> CreateGeneratorWindow(IGeneratorHandler& handler) override;
};

}  // namespace veltrix::generator
