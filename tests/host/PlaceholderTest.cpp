#include <gtest/gtest.h>
TEST(Host, Placeholder) {}
