// The Web Login record: a saved web form with its page and frame address, notes, options and the
// ordered fields. A plain value; its tagged text is in core/record_text.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace veltrix {

// One saved form field.
struct CWebLoginField {
    // Input types whose checked state is saved.
    static constexpr int kTypeCheckBox = 2;
    static constexpr int kTypeRadioButton = 3;

    std::u16string name;  // the field's "name" attribute
    int tag = 0;          // element kind: 0 input, 1 list box, 2 text area, 3 anchor
    int type = 0;         // input type: 0 text, 1 password, 2 check box, 3 radio button, ...
    std::u16string data;  // the value to fill
    int state = 0;        // check boxes and radio buttons only: 1 checked, 0 not

    bool HasState() const { return type == kTypeCheckBox || type == kTypeRadioButton; }
    bool operator==(const CWebLoginField&) const = default;
};

class CWebLogin {
public:
    // Options bit: automatic submission is disabled for this Web Login. Other bits are kept.
    static constexpr std::int32_t kOptionDisableAutoSubmit = 0x1;

    const std::u16string& GetPageUrl() const { return m_pageUrl; }
    void SetPageUrl(std::u16string url) { m_pageUrl = std::move(url); }
    const std::u16string& GetFrameUrl() const { return m_frameUrl; }
    void SetFrameUrl(std::u16string url) { m_frameUrl = std::move(url); }
    const std::u16string& GetNotes() const { return m_notes; }
    void SetNotes(std::u16string notes) { m_notes = std::move(notes); }

    std::int32_t GetOptions() const { return m_options; }
    void SetOptions(std::int32_t options) { m_options = options; }
    bool IsAutoSubmitDisabled() const { return (m_options & kOptionDisableAutoSubmit) != 0; }
    void SetAutoSubmitDisabled(bool disabled);

    const std::vector<CWebLoginField>& GetFields() const { return m_fields; }
    std::vector<CWebLoginField>& Fields() { return m_fields; }
    void AddField(CWebLoginField field) { m_fields.push_back(std::move(field)); }

    bool operator==(const CWebLogin&) const = default;

private:
    std::u16string m_pageUrl;
    std::u16string m_frameUrl;
    std::u16string m_notes;
    std::int32_t m_options = 0;
    std::vector<CWebLoginField> m_fields;
};

}  // namespace veltrix
