// Feature-owned views and the program's view factory.
//
// The UI port (ui_port.h) holds only what every program shows. Each feature owns the views of its
// own dialogs, declared beside its logic:
//
//   formengine/views/form_views.h         IFormViews: the form prompts and the Save Web Login
//                                         dialog (their windows in form_prompts.h)
//   formengine/views/memory_form_views.h  their in-memory implementation (tests, headless hosts)
//   formengine/qt/qt_form_views.h         their Qt implementation, in a target of its own that
//                                         alone links Qt
//
// A feature's views interface derives from IFeatureViews, names its feature in kFeature and offers
// InMemory(), the views used while the program offers none; its logic reaches the program's
// choice with ui::CurrentViews<IFormViews>() (or the feature's shorthand, formviews::FormViews()).
// Each program installs one small IViewFactory at start that hands out its implementation (Qt or
// in-memory) of every feature's views, for example in a Qt program's main:
//
//     formviews::QtFormViews formViews;
//     ui::ViewFactory views{&formViews};
//
// A library loaded into a program follows the program's factory (browserui/host_ui.h); the Qt UI
// plugin has its own for hosts that offer none (browserui/qt/qt_ui_plugin.cpp).
// Later features (the password generator in formengine/generator/, the toolbar in browserui/, the
// editor's property sheets in editor/) follow the same pattern and leave this header as it is.
#pragma once

#include <initializer_list>
#include <string_view>
#include <vector>

namespace veltrix::ui {

// The views of one feature: the object through which its logic creates its dialogs.
class IFeatureViews {
public:
    virtual ~IFeatureViews() = default;
    // The feature's name, its key in the view factory. A feature's interface returns its kFeature
    // and marks the override final, so that the name tells the interface.
    virtual std::string_view Feature() const = 0;
};

// Hands out a program's implementation of every feature's views.
class IViewFactory {
public:
    virtual ~IViewFactory() = default;
    // The views of `feature`; null when the program has none of its own for it.
    virtual IFeatureViews* Find(std::string_view feature) = 0;
};

// The process's factory; one that has no views until a program installs its own.
IViewFactory& CurrentViewFactory();
// Installs `factory` (not owned); null restores the empty one.
void SetCurrentViewFactory(IViewFactory* factory);

// The current views of the feature `Views`: the program's, else the feature's in-memory ones.
template <class Views>
Views& CurrentViews() {
    if (IFeatureViews* views = CurrentViewFactory().Find(Views::kFeature)) {
        return static_cast<Views&>(*views);
    }
    return Views::InMemory();
}

// The factory of a program that owns its views: the views given (not owned) are installed as the
// process's factory for this object's lifetime, and the previous factory comes back afterwards.
class ViewFactory final : public IViewFactory {
public:
    ViewFactory(std::initializer_list<IFeatureViews*> views);
    ~ViewFactory() override;
    ViewFactory(const ViewFactory&) = delete;
    ViewFactory& operator=(const ViewFactory&) = delete;

    IFeatureViews* Find(std::string_view feature) override;

private:
    std::vector<IFeatureViews*> m_views;
    IViewFactory* m_previous;
};

}  // namespace veltrix::ui
