#include "ui/views.h"

#include <atomic>

namespace veltrix::ui {
namespace {

class NoViews final : public IViewFactory {
public:
    IFeatureViews* Find(std::string_view /*feature*/) override { return nullptr; }
};

NoViews noViews;
std::atomic<IViewFactory*> currentFactory{&noViews};

}  // namespace

IViewFactory& CurrentViewFactory() {
    return *currentFactory.load();
}

void SetCurrentViewFactory(IViewFactory* factory) {
    currentFactory.store(factory != nullptr ? factory : &noViews);
}

ViewFactory::ViewFactory(std::initializer_list<IFeatureViews*> views)
    : m_views(views), m_previous(&CurrentViewFactory()) {
    SetCurrentViewFactory(this);
}

ViewFactory::~ViewFactory() {
    if (&CurrentViewFactory() == this) {
        SetCurrentViewFactory(m_previous);
    }
}

IFeatureViews* ViewFactory::Find(std::string_view feature) {
    for (IFeatureViews* views : m_views) {
        if (views != nullptr && views->Feature() == feature) {
            return views;
        }
    }
    return nullptr;
}

}  // namespace veltrix::ui
