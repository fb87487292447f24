#include "formengine/qt/qt_generator_views.h"

#include <QApplication>

#include "formengine/qt/password_generator_dlg.h"

namespace veltrix::generator {

std::unique_ptr<IGeneratorWindow> QtGeneratorViews::CreateGeneratorWindow(
    IGeneratorHandler& handler) {
    if (QApplication::instance() == nullptr) {
        return InMemory().CreateGeneratorWindow(handler);
    }
    return std::make_unique<qt::CPasswordGeneratorDlg>(handler);
}

}  // namespace veltrix::generator
