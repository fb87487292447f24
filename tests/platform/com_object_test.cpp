// Reference counting, QueryInterface, ComPtr, class factories and the module's unload state,
// in-process.
#include <gtest/gtest.h>

#include "platform/com/class_factory.h"
#include "platform/com/com_object.h"
#include "platform/com/com_ptr.h"

namespace veltrix::com {
namespace {

class IShape : public IUnknown {
public:
    static constexpr Guid kIid = GuidLiteral("{A0000001-0000-0000-0000-000000000001}");
    using Parent = IUnknown;
    virtual int Sides() = 0;

protected:
    ~IShape() = default;
};

class ISquare : public IShape {
public:
    static constexpr Guid kIid = GuidLiteral("{A0000001-0000-0000-0000-000000000002}");
    using Parent = IShape;
    virtual int Edge() = 0;

protected:
    ~ISquare() = default;
};

class IColoured : public IUnknown {
public:
    static constexpr Guid kIid = GuidLiteral("{A0000001-0000-0000-0000-000000000003}");
    using Parent = IUnknown;
    virtual int Colour() = 0;

protected:
    ~IColoured() = default;
};

constexpr Guid kUnknownIid = GuidLiteral("{A0000001-0000-0000-0000-0000000000FF}");

class Square final : public ComObject<ISquare, IColoured> {
public:
    explicit Square(bool* destroyed = nullptr) : m_destroyed(destroyed) {}
    ~Square() override {
        if (m_destroyed != nullptr) {
            *m_destroyed = true;
        }
    }
    int Sides() override { return 4; }
    int Edge() override { return 3; }
    int Colour() override { return 7; }

private:
    bool* m_destroyed;
};

HRESULT CreateSquare(const Guid& iid, void** object) {
    return CreateComObject<Square>(iid, object);
}

// A new square held by one reference.
ComPtr<ISquare> NewSquare(bool* destroyed = nullptr) {
    ComPtr<ISquare> square;
    EXPECT_EQ(CreateComObject<Square>(ISquare::kIid, square.PutVoid(), destroyed), S_OK);
    return square;
}

TEST(ComObjectTest, QueryInterfaceFindsEveryInterfaceOfEveryChain) {
    ComPtr<ISquare> square = NewSquare();
    ComPtr<IShape> shape;
    ComPtr<IColoured> coloured;
    ASSERT_EQ(square.As(&shape), S_OK);
    ASSERT_EQ(square.As(&coloured), S_OK);
    EXPECT_EQ(shape->Sides(), 4);
    EXPECT_EQ(coloured->Colour(), 7);
    ComPtr<ISquare> again;
    ASSERT_EQ(coloured.As(&again), S_OK);
    EXPECT_EQ(again, square);
}

TEST(ComObjectTest, QueryForIUnknownYieldsOneIdentityFromEveryInterface) {
    ComPtr<ISquare> square = NewSquare();
    ComPtr<IColoured> coloured;
    ASSERT_EQ(square.As(&coloured), S_OK);
    // The two interfaces live at different addresses of the object...
    EXPECT_NE(static_cast<void*>(square.Get()), static_cast<void*>(coloured.Get()));
    // ...but both answer the same IUnknown.
    ComPtr<IUnknown> a;
    ComPtr<IUnknown> b;
    ASSERT_EQ(square.As(&a), S_OK);
    ASSERT_EQ(coloured.As(&b), S_OK);
    EXPECT_EQ(a, b);
}

TEST(ComObjectTest, UnknownInterfaceAndNullOutParameterFail) {
    ComPtr<ISquare> square = NewSquare();
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(square->QueryInterface(kUnknownIid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(square->QueryInterface(IDispatch::kIid, &out), E_NOINTERFACE);
    EXPECT_EQ(square->QueryInterface(ISquare::kIid, nullptr), E_POINTER);
    // Failed queries added no reference.
    EXPECT_EQ(square->AddRef(), 2u);
    EXPECT_EQ(square->Release(), 1u);
}

TEST(ComObjectTest, ReferencesCountUpAndTheLastReleaseDestroys) {
    bool destroyed = false;
    ISquare* raw = NewSquare(&destroyed).Detach();
    EXPECT_EQ(raw->AddRef(), 2u);
    void* other = nullptr;
    ASSERT_EQ(raw->QueryInterface(IColoured::kIid, &other), S_OK);
    EXPECT_EQ(raw->AddRef(), 4u);  // the query added one too
    EXPECT_EQ(static_cast<IColoured*>(other)->Release(), 3u);
    EXPECT_EQ(raw->Release(), 2u);
    EXPECT_EQ(raw->Release(), 1u);
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(raw->Release(), 0u);
    EXPECT_TRUE(destroyed);
}

TEST(ComObjectTest, LiveObjectsCountEveryObjectOfTheModule) {
    const auto before = ModuleCounters::LiveObjects();
    {
        ComPtr<ISquare> one = NewSquare();
        ComPtr<ISquare> two = NewSquare();
        EXPECT_EQ(ModuleCounters::LiveObjects(), before + 2);
        two.Reset();
        EXPECT_EQ(ModuleCounters::LiveObjects(), before + 1);
    }
    EXPECT_EQ(ModuleCounters::LiveObjects(), before);
}

TEST(ComObjectTest, CreationThatFailsItsQueryLeavesNoObject) {
    const auto before = ModuleCounters::LiveObjects();
    bool destroyed = false;
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(CreateComObject<Square>(kUnknownIid, &out, &destroyed), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(ModuleCounters::LiveObjects(), before);
    EXPECT_EQ(CreateComObject<Square>(ISquare::kIid, nullptr), E_POINTER);
    EXPECT_EQ(ModuleCounters::LiveObjects(), before);
}

TEST(ComPtrTest, CopiesShareMovesTransferAndResetReleases) {
    bool destroyed = false;
    ComPtr<ISquare> first = NewSquare(&destroyed);
    ComPtr<ISquare> copy = first;
    EXPECT_EQ(copy, first);
    ComPtr<ISquare> moved = std::move(first);
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(moved, copy);
    copy.Reset();
    EXPECT_FALSE(destroyed);
    copy = moved;  // copy assignment adds a reference
    moved = ComPtr<ISquare>();
    EXPECT_FALSE(destroyed);
    copy = copy;  // self-assignment keeps the object
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(copy->Edge(), 3);
    copy.Reset();
    EXPECT_TRUE(destroyed);
}

TEST(ComPtrTest, AdoptTakesOverAndSharingAddsAReference) {
    bool destroyed = false;
    ISquare* raw = NewSquare(&destroyed).Detach();
    {
        ComPtr<ISquare> shared(raw);  // adds its own reference
        EXPECT_EQ(raw->AddRef(), 3u);
        raw->Release();
    }
    EXPECT_FALSE(destroyed);
    { auto adopted = ComPtr<ISquare>::Adopt(raw); }
    EXPECT_TRUE(destroyed);
}

TEST(ComPtrTest, PutReleasesWhatWasHeldAndAsOnEmptyFails) {
    bool destroyed = false;
    ComPtr<ISquare> square = NewSquare(&destroyed);
    ASSERT_EQ(CreateSquare(ISquare::kIid, square.PutVoid()), S_OK);
    EXPECT_TRUE(destroyed);  // the first square went when the slot was reused
    EXPECT_TRUE(square);
    ComPtr<ISquare> empty;
    ComPtr<IShape> shape;
    EXPECT_EQ(empty.As(&shape), E_POINTER);
    EXPECT_FALSE(shape);
}

const ClassEntry kTable[] = {
    {u"Square", GuidLiteral("{A0000002-0000-0000-0000-000000000001}"), &CreateSquare},
    {u"Unfinished", GuidLiteral("{A0000002-0000-0000-0000-000000000002}"), nullptr},
};

TEST(ClassFactoryTest, ServesTheClassesOfTheTableOnly) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(GetClassObject(kTable, kTable[0].clsid, IClassFactory::kIid, factory.PutVoid()),
              S_OK);
    ComPtr<IShape> shape;
    ASSERT_EQ(factory->CreateInstance(nullptr, IShape::kIid, shape.PutVoid()), S_OK);
    EXPECT_EQ(shape->Sides(), 4);

    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(GetClassObject(kTable, GuidLiteral("{A0000002-0000-0000-0000-0000000000FF}"),
                             IClassFactory::kIid, &out),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(GetClassObject(kTable, kTable[1].clsid, IClassFactory::kIid, &out),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(GetClassObject(kTable, kTable[0].clsid, IDispatch::kIid, &out), E_NOINTERFACE);
    EXPECT_EQ(GetClassObject(kTable, kTable[0].clsid, IClassFactory::kIid, nullptr), E_POINTER);
}

TEST(ClassFactoryTest, RefusesAggregationAndPassesOnQueryFailures) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(GetClassObject(kTable, kTable[0].clsid, IUnknown::kIid, factory.PutVoid()), S_OK);
    ComPtr<ISquare> outer = NewSquare();
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(factory->CreateInstance(outer.Get(), IUnknown::kIid, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, kUnknownIid, &out), E_NOINTERFACE);
    EXPECT_EQ(factory->CreateInstance(nullptr, ISquare::kIid, nullptr), E_POINTER);
}

TEST(ClassFactoryTest, CanUnloadOnlyWithoutObjectsFactoriesAndLocks) {
    ASSERT_EQ(CanUnloadNow(), S_OK) << "an earlier test left an object alive";
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(GetClassObject(kTable, kTable[0].clsid, IClassFactory::kIid, factory.PutVoid()),
              S_OK);
    EXPECT_EQ(CanUnloadNow(), S_FALSE);  // the factory itself is alive

    ComPtr<ISquare> square;
    ASSERT_EQ(factory->CreateInstance(nullptr, ISquare::kIid, square.PutVoid()), S_OK);
    EXPECT_EQ(factory->LockServer(true), S_OK);
    factory.Reset();
    square.Reset();
    EXPECT_EQ(ModuleCounters::Locks(), 1);
    EXPECT_EQ(CanUnloadNow(), S_FALSE);  // locked without objects

    ModuleCounters::Unlock();
    EXPECT_EQ(CanUnloadNow(), S_OK);
    // An unbalanced unlock does not hide the next lock.
    ModuleCounters::Unlock();
    EXPECT_EQ(ModuleCounters::Locks(), 0);
    ModuleCounters::Lock();
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
    ModuleCounters::Unlock();
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

}  // namespace
}  // namespace veltrix::com
