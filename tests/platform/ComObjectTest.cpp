#include "platform/ComObject.h"

#include <gtest/gtest.h>

#include <ocidl.h>

#include <stdexcept>

using namespace marlin;

namespace {

int g_liveProbes = 0;

class Probe final : public ComObject<Probe, IObjectWithSite, IPersist> {
public:
    Probe() noexcept { ++g_liveProbes; }
    ~Probe() override { --g_liveProbes; }

    STDMETHODIMP SetSite(IUnknown*) noexcept override { return S_OK; }
    STDMETHODIMP GetSite(REFIID, void** site) noexcept override { *site = nullptr; return E_FAIL; }
    STDMETHODIMP GetClassID(CLSID* id) noexcept override { *id = CLSID_NULL; return S_OK; }
};

HRESULT CreateOutOfMemory(REFIID, void**) { throw std::bad_alloc(); }

} // namespace

TEST(ComObject, QueryInterfaceIdentityAndLifetime)
{
    const long before = ModuleLock::Count();
    ComPtr<Probe> probe = Probe::Make();
    EXPECT_EQ(ModuleLock::Count(), before + 1);

    EXPECT_EQ(probe->QueryInterface(__uuidof(IPersist), nullptr), E_POINTER);
    void* out = &out;
    EXPECT_EQ(probe->QueryInterface(__uuidof(IOleWindow), &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);

    // IUnknown is one pointer whichever interface it is asked through.
    ComPtr<IObjectWithSite> withSite;
    ComPtr<IPersist> persist;
    ComPtr<IUnknown> fromSite, fromPersist;
    ASSERT_EQ(probe.As(&withSite), S_OK);
    ASSERT_EQ(probe.As(&persist), S_OK);
    ASSERT_EQ(withSite.As(&fromSite), S_OK);
    ASSERT_EQ(persist.As(&fromPersist), S_OK);
    EXPECT_EQ(fromSite.Get(), fromPersist.Get());

    // Alive while any reference remains; gone, and the module count back, after the last.
    probe.Reset();
    withSite.Reset();
    fromSite.Reset();
    fromPersist.Reset();
    EXPECT_EQ(g_liveProbes, 1);
    EXPECT_EQ(ModuleLock::Count(), before + 1);
    persist.Reset();
    EXPECT_EQ(g_liveProbes, 0);
    EXPECT_EQ(ModuleLock::Count(), before);
}

TEST(ComObject, ClassFactoryRefusesAggregationAndLocksTheServer)
{
    const long before = ModuleLock::Count();
    ComPtr<ClassFactory> factory = ClassFactory::Make(&CreateComInstance<Probe>);
    EXPECT_EQ(ModuleLock::Count(), before); // a cached factory does not keep the module loaded

    ComPtr<Probe> outer = Probe::Make();
    void* out = &out;
    EXPECT_EQ(factory->CreateInstance(outer->Identity(), __uuidof(IUnknown), &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    outer.Reset();

    ComPtr<IPersist> created;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&created)), S_OK);
    created.Reset();
    EXPECT_EQ(factory->CreateInstance(nullptr, __uuidof(IOleWindow), &out), E_NOINTERFACE);
    EXPECT_EQ(g_liveProbes, 0);
    EXPECT_EQ(ModuleLock::Count(), before);

    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(ModuleLock::Count(), before + 1);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(ModuleLock::Count(), before);

    EXPECT_EQ(ClassFactory::Make(&CreateOutOfMemory)->CreateInstance(nullptr, __uuidof(IUnknown), &out), E_OUTOFMEMORY);
}

TEST(ComObject, ComBoundaryTurnsExceptionsIntoResults)
{
    EXPECT_EQ(ComBoundary([]() -> HRESULT { return S_FALSE; }), S_FALSE);
    EXPECT_EQ(ComBoundary([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    EXPECT_EQ(ComBoundary([]() -> HRESULT { throw std::runtime_error("x"); }), E_UNEXPECTED);
    EXPECT_EQ(ComBoundary([]() -> HRESULT { throw 42; }), E_UNEXPECTED);
}
