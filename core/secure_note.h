// The Secure Note record: free text, stored whole and never parsed for elements.
#pragma once

#include <string>

namespace veltrix {

class CSecureNote {
public:
    const std::u16string& GetText() const { return m_text; }
    void SetText(std::u16string text) { m_text = std::move(text); }

    bool operator==(const CSecureNote&) const = default;

private:
    std::u16string m_text;
};

}  // namespace veltrix
