// IOrvaneInterface's by-name calls, in-process.
#include "core/orvane_interface.h"

#include <gtest/gtest.h>

#include "platform/com/com_ptr.h"
#include "platform/registry.h"

namespace veltrix {
namespace {

using com::ComPtr;
using com::DispId;
using com::Variant;

ComPtr<IOrvaneInterface> NewLink() {
    ComPtr<IOrvaneInterface> link;
    EXPECT_EQ(
        OrvaneInterface::Create(std::make_shared<config::Settings>(platform::Registry::Default()),
                                IID_IOrvaneInterface, link.PutVoid()),
        com::S_OK);
    return link;
}

TEST(OrvaneInterfaceTest, AnswersForItsInterfaceDispatchAndIdentityOnly) {
    ComPtr<IOrvaneInterface> link = NewLink();
    ASSERT_TRUE(link);
    ComPtr<com::IDispatch> dispatch;
    ComPtr<com::IUnknown> unknown;
    EXPECT_EQ(link.As(&dispatch), com::S_OK);
    EXPECT_EQ(link.As(&unknown), com::S_OK);
    ComPtr<com::IClassFactory> factory;
    EXPECT_EQ(link.As(&factory), com::E_NOINTERFACE);
    void* out = nullptr;
    EXPECT_EQ(
        OrvaneInterface::Create(std::make_shared<config::Settings>(platform::Registry::Default()),
                                com::IClassFactory::kIid, &out),
        com::E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}

TEST(OrvaneInterfaceTest, NamesMapToTheMethodOrderWithoutRegardToCase) {
    ComPtr<IOrvaneInterface> link = NewLink();
    const std::pair<std::u16string, DispId> names[] = {
        {u"GetPassword", 1}, {u"SETPASSWORD", 2}, {u"registerEditor", 3}, {u"RefreshEditor", 4}};
    for (const auto& [name, expected] : names) {
        DispId id = 0;
        EXPECT_EQ(link->GetIdOfName(name, &id), com::S_OK);
        EXPECT_EQ(id, expected);
    }
    DispId id = 0;
    EXPECT_EQ(link->GetIdOfName(u"GetPasswords", &id), com::DISP_E_UNKNOWNNAME);
    EXPECT_EQ(link->GetIdOfName(u"", &id), com::DISP_E_UNKNOWNNAME);
    EXPECT_EQ(link->GetIdOfName(u"GetPassword", nullptr), com::E_POINTER);
}

TEST(OrvaneInterfaceTest, InvokeRefusesUnknownMembersAndWrongArguments) {
    ComPtr<IOrvaneInterface> link = NewLink();
    Variant result = std::int32_t{9};
    EXPECT_EQ(link->Invoke(0, {}, &result), com::DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(link->Invoke(5, {}, &result), com::DISP_E_MEMBERNOTFOUND);

    const Variant one[] = {std::int32_t{1}};
    const Variant two[] = {std::u16string(u"a"), std::u16string(u"b")};
    EXPECT_EQ(link->Invoke(IOrvaneInterface::kGetPassword, one, &result),
              com::DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(link->Invoke(IOrvaneInterface::kSetPassword, two, &result),
              com::DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(link->Invoke(IOrvaneInterface::kRegisterEditor, {}, &result),
              com::DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(link->Invoke(IOrvaneInterface::kRefreshEditor, one, &result),
              com::DISP_E_BADPARAMCOUNT);

    const Variant text[] = {std::u16string(u"window")};
    const Variant flag[] = {true};
    EXPECT_EQ(link->Invoke(IOrvaneInterface::kRegisterEditor, text, &result),
              com::DISP_E_TYPEMISMATCH);
    EXPECT_EQ(link->Invoke(IOrvaneInterface::kSetPassword, flag, &result),
              com::DISP_E_TYPEMISMATCH);
    EXPECT_EQ(link->GetPassword(nullptr), com::E_POINTER);
}

}  // namespace
}  // namespace veltrix
