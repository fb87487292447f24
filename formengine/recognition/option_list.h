// The options of a list box, as recognition and the fill see them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace veltrix {

struct SOption {
    std::u16string text;
    std::u16string value;
    bool selected = false;
};

class COptionList {
public:
    COptionList() = default;
    explicit COptionList(std::vector<SOption> options) : m_options(std::move(options)) {}

    void Add(std::u16string text, std::u16string value, bool selected = false);

    std::int32_t Count() const { return static_cast<std::int32_t>(m_options.size()); }
    const std::vector<SOption>& Options() const { return m_options; }

    // Index of the first option whose text or value, lower-cased, contains `text` lower-cased;
    // -1 when none does.
    std::int32_t FindContaining(std::u16string_view text) const;
    // True when some option's value, lower-cased, equals `value` lower-cased.
    bool HasValue(std::u16string_view value) const;

private:
    std::vector<SOption> m_options;
};

}  // namespace veltrix
