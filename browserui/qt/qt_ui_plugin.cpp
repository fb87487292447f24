#include "browserui/qt/qt_ui_plugin.h"

#include <QCoreApplication>
#include <memory>

#include "browserui/toolband/qt/qt_tool_band_views.h"
#include "formengine/qt/qt_form_views.h"
#include "formengine/qt/qt_generator_views.h"
#include "ui/qt/qt_event_loop.h"
#include "ui/qt/qt_user_interface.h"

namespace veltrix::browserui {
namespace {

// The plugin's view factory: the Qt views of every feature a loaded library shows.
class QtPluginViews final : public ui::IViewFactory {
public:
    ui::IFeatureViews* Find(std::string_view feature) override {
        if (feature == toolband::IToolBandViews::kFeature) {
            return &m_bandViews;
        }
        if (feature == formviews::IFormViews::kFeature) {
            return &m_formViews;
        }
        return feature == generator::IGeneratorViews::kFeature ? &m_generatorViews : nullptr;
    }

private:
    formviews::QtFormViews m_formViews;
    toolband::QtToolBandViews m_bandViews;
    generator::QtGeneratorViews m_generatorViews;
};

bool ApplicationRunning() {
    return QCoreApplication::instance() != nullptr;
}

platform::IEventLoop* ThreadEventLoop() {
    // Made on the first call that finds a QCoreApplication.
    thread_local std::unique_ptr<platform::IEventLoop> loop;
    if (!loop) {
        loop = ui::MakeQtEventLoop();
    }
    return loop.get();
}

}  // namespace
}  // namespace veltrix::browserui

extern "C" __attribute__((visibility("default"))) const veltrix::browserui::QtUiPlugin*
VeltrixQtUiPluginV1() {
    using namespace veltrix::browserui;
    static veltrix::ui::QtUserInterface ui;
    static QtPluginViews views;
    static const QtUiPlugin plugin{kQtUiPluginVersion, &ApplicationRunning, &ui, &views,
                                   &ThreadEventLoop};
    return &plugin;
}
