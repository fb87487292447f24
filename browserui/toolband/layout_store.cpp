#include "browserui/toolband/layout_store.h"

namespace veltrix::toolband {
namespace {

constexpr std::u16string_view kLayoutValue = u"Toolbar";

std::u16string ConfigurationKey() {
    return config::SectionKey(config::kConfigurationSection);
}

}  // namespace

std::optional<ToolbarLayout> LoadLayout(config::Settings& settings) {
    const auto value =
        settings.Registry().GetValue(platform::Hive::CurrentUser, ConfigurationKey(), kLayoutValue);
    if (!value || value->type != platform::ValueType::Binary) {
        return std::nullopt;
    }
    return DecodeLayout(value->data);
}

bool SaveLayout(config::Settings& settings, const ToolbarLayout& layout) {
    return settings.Registry().SetValue(platform::Hive::CurrentUser, ConfigurationKey(),
                                        kLayoutValue,
                                        platform::RegistryValue::Binary(EncodeLayout(layout)));
}

ToolbarLayout RestoreOrInitLayout(config::Settings& settings) {
    if (auto saved = LoadLayout(settings)) {
        return *saved;
    }
    ToolbarLayout layout = DefaultLayout();
    SaveLayout(settings, layout);
    settings.SetToolbarPreferences(settings.GetToolbarPreferences() | 1u);
    return layout;
}

}  // namespace veltrix::toolband
