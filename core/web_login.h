// The Web Login record: a saved web form with its page and frame address, notes, options and the
// ordered fields, kept as a tagged text. Two writers exist: the browser side and the editor. They
// differ in the order of a field's data and state elements and in how an empty frame address is
// written; readers accept both.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/tagged_file.h"

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

class CWebLogin : public CTaggedFile {
public:
    // Options bit: automatic submission is disabled for this Web Login. Other bits are kept.
    static constexpr std::int32_t kOptionDisableAutoSubmit = 0x1;

    // Who writes the record, which decides the element order of storing.
    enum class Writer {
        // State before data; the frame address only when there is one.
        Browser,
        // Data before state; the page address as frame address when there is none; after
        // storing, keeps the Web Login URL index current when the page address changed since
        // the record was read.
        Editor,
    };

    explicit CWebLogin(Writer writer = Writer::Browser) : m_writer(writer) {}

    Writer GetWriter() const { return m_writer; }
    void SetWriter(Writer writer) { m_writer = writer; }

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

    // Editor: the page address as it was when the record was last read or stored.
    const std::u16string& GetPageUrlAsRead() const { return m_pageUrlAsRead; }

protected:
    void Serialize(CArchive& ar) override;

private:
    void StoreText();
    void LoadFields();
    std::u16string FieldText(const CWebLoginField& field) const;
    CWebLoginField ParseField(const std::u16string& text) const;
    void UpdateUrlIndex();

    Writer m_writer;
    std::u16string m_pageUrl;
    std::u16string m_frameUrl;
    std::u16string m_notes;
    std::int32_t m_options = 0;
    std::vector<CWebLoginField> m_fields;
    std::u16string m_pageUrlAsRead;
};

// The browser window's state that loading Web Logins by name consults and sets.
struct WebLoginLoadContext {
    // Set when a read found no master password (the prompt was cancelled): further loads in the
    // same operation fail at once instead of prompting again.
    bool cancelled = false;
    // Set while a file is read, so that page events arriving meanwhile are ignored.
    bool busy = false;
};

// Reads the Web Login `name` from the Web Logins folder into `login`; true when the read
// succeeded.
bool LoadWebLogin(WebLoginLoadContext& context, std::u16string_view name, CWebLogin& login);

}  // namespace veltrix
