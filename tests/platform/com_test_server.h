// The interfaces of the test server library (libcom_test_server.so): one class, TestObject, with
// a chain of two interfaces and a third one beside them.
#pragma once

#include <cstdint>

#include "platform/com/unknown.h"

namespace veltrix::test {

inline constexpr com::Guid CLSID_TestObject =
    com::GuidLiteral("{3F1C2A70-5B6D-4E8F-9A01-23456789ABCD}");
inline constexpr com::Guid LIBID_TestServer =
    com::GuidLiteral("{3F1C2A71-5B6D-4E8F-9A01-23456789ABCD}");
inline constexpr char kTestServerLibrary[] = "libcom_test_server.so";

class ITestObject : public com::IUnknown {
public:
    static constexpr com::Guid kIid = com::GuidLiteral("{3F1C2A72-5B6D-4E8F-9A01-23456789ABCD}");
    using Parent = com::IUnknown;

    virtual com::HRESULT Add(std::int32_t a, std::int32_t b, std::int32_t* sum) = 0;
    // The live objects the server's own module counts.
    virtual com::HRESULT ServerLiveObjects(std::int64_t* count) = 0;
    // Shows `text` through the server's UI after taking over the host's; `source` receives the
    // HostUiSource found.
    virtual com::HRESULT ShowMessage(const char16_t* text, std::int32_t* source) = 0;

protected:
    ~ITestObject() = default;
};

// Extends ITestObject: a query for either yields the same object.
class ITestObjectEx : public ITestObject {
public:
    static constexpr com::Guid kIid = com::GuidLiteral("{3F1C2A73-5B6D-4E8F-9A01-23456789ABCD}");
    using Parent = ITestObject;

    virtual com::HRESULT Negate(std::int32_t value, std::int32_t* result) = 0;

protected:
    ~ITestObjectEx() = default;
};

// A second, unrelated interface of the same object.
class ITestNamed : public com::IUnknown {
public:
    static constexpr com::Guid kIid = com::GuidLiteral("{3F1C2A74-5B6D-4E8F-9A01-23456789ABCD}");
    using Parent = com::IUnknown;

    // Copies at most `capacity` - 1 characters of the object's name and a terminator.
    virtual com::HRESULT Name(char16_t* buffer, std::uint32_t capacity) = 0;

protected:
    ~ITestNamed() = default;
};

}  // namespace veltrix::test
