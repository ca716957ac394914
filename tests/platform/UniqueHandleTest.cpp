#include "platform/UniqueHandle.h"

#include <gtest/gtest.h>

using namespace marlin;

namespace {

bool IsOpen(HANDLE handle)
{
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != FALSE;
}

HANDLE NewEvent() { return ::CreateEventW(nullptr, TRUE, FALSE, nullptr); }

} // namespace

TEST(UniqueHandle, EachHandleIsClosedExactlyWhenItsOwnerLetsGo)
{
    HANDLE first = NewEvent();
    unique_handle owner(first);
    HANDLE* slot = owner.put(); // closes the held handle before handing out the slot
    EXPECT_FALSE(IsOpen(first));
    ASSERT_EQ(*slot, nullptr);
    *slot = NewEvent();
    HANDLE second = owner.get();

    unique_handle moved(std::move(owner));
    EXPECT_FALSE(owner);
    EXPECT_EQ(moved.get(), second);

    HANDLE third = NewEvent();
    unique_handle target(third);
    target = std::move(moved); // closes what the target held
    EXPECT_FALSE(IsOpen(third));
    EXPECT_TRUE(IsOpen(second));

    HANDLE released = target.release();
    target.reset();
    EXPECT_TRUE(IsOpen(released));
    target.reset(released);
    target.reset();
    EXPECT_FALSE(IsOpen(released));

    HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
    unique_hbrush(brush).reset();
    EXPECT_EQ(::GetObjectType(brush), 0u);
    // CreateFile fails with INVALID_HANDLE_VALUE, not null: that must read as empty.
    EXPECT_FALSE(unique_file(::CreateFileW(L"Z:\\no\\such\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)));
}
