// The owners of common/owned.h where they could go wrong: each resource freed exactly once,
// whether its owner goes, is reset, is assigned another or hands the resource on.
#include "common/owned.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// A COM object that only counts: a release below zero or one left over shows.
class CountedObject final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = IsEqualIID(riid, IID_IUnknown) ? this : nullptr;
        if (*ppv == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++count; }
    STDMETHODIMP_(ULONG) Release() override { return --count; }
    LONG count = 1;
};

TEST(ComPtr, HoldsOneReferenceThroughMovesResetsAndPuts) {
    CountedObject first;
    CountedObject second;
    {
        ComPtr<IUnknown> owner = ComPtr<IUnknown>::Share(&first);
        EXPECT_EQ(first.count, 2);
        ComPtr<IUnknown> moved(std::move(owner));
        EXPECT_FALSE(owner);
        EXPECT_EQ(first.count, 2);
        // Taking another gives back the one held, after the new one is held.
        moved = ComPtr<IUnknown>::Share(&second);
        EXPECT_EQ(first.count, 1);
        EXPECT_EQ(second.count, 2);
        moved = std::move(moved);
        EXPECT_EQ(second.count, 2);
        // An out-parameter first gives back what was held.
        EXPECT_EQ(QueryInto(&first, IID_IUnknown, moved), S_OK);
        EXPECT_EQ(second.count, 1);
        EXPECT_EQ(first.count, 2);
        ComPtr<IUnknown> none;
        EXPECT_EQ(moved.As(IID_IDataObject, none), E_NOINTERFACE);
        EXPECT_FALSE(none);
        EXPECT_EQ(first.count, 2);
        IUnknown* handed = moved.Detach();
        EXPECT_EQ(handed, &first);
        ComPtr<IUnknown> adopted = ComPtr<IUnknown>::Adopt(handed);
        adopted.Reset();
        EXPECT_EQ(first.count, 1);
        adopted.Reset();
        EXPECT_EQ(first.count, 1);
    }
    EXPECT_EQ(first.count, 1);
    EXPECT_EQ(second.count, 1);
}

// A resource whose frees are recorded; 0 holds nothing.
std::vector<int> freed;
struct RecordedTraits {
    using Type = int;
    static int Empty() { return 0; }
    static bool Holds(int value) { return value != 0; }
    static void Free(int value) { freed.push_back(value); }
};
using Recorded = Owned<RecordedTraits>;

TEST(Owned, FreesEachResourceOnceOnEveryPath) {
    freed.clear();
    {
        Recorded one(1);
        Recorded two(std::move(one));
        EXPECT_FALSE(one.Valid());
        one = Recorded(3);
        one = std::move(two); // 3 goes, 1 comes
        EXPECT_EQ(freed, std::vector<int>{3});
        *one.Put() = 4; // 1 goes first
        EXPECT_EQ(freed, (std::vector<int>{3, 1}));
        EXPECT_EQ(one.Release(), 4);
        one.Reset(5);
        Recorded empty;
        empty.Reset();
    }
    EXPECT_EQ(freed, (std::vector<int>{3, 1, 5}));
}

TEST(Owned, KernelHandleTakesNeitherNullNorInvalidForAHandle) {
    EXPECT_FALSE(KernelHandle(nullptr).Valid());
    EXPECT_FALSE(KernelHandle(INVALID_HANDLE_VALUE).Valid());
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        KernelHandle owner(event);
        EXPECT_TRUE(owner.Valid());
    }
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(event, &flags)) << "closed with its owner";
}

TEST(GlobalLockOf, UnlocksOnceWhenItGoes) {
    GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE, 16));
    ASSERT_TRUE(block.Valid());
    {
        const GlobalLockOf<char> locked(block.Get());
        ASSERT_NE(locked.Get(), nullptr);
        EXPECT_EQ(GlobalFlags(block.Get()) & GMEM_LOCKCOUNT, 1u);
    }
    EXPECT_EQ(GlobalFlags(block.Get()) & GMEM_LOCKCOUNT, 0u);
    const GlobalLockOf<> none(nullptr);
    EXPECT_EQ(none.Get(), nullptr);
}

} // namespace
