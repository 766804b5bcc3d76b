#include <gtest/gtest.h>
#include "xbase/table.h"
TEST(Smoke, ClosedTable) { xbase::Table t; EXPECT_EQ(t.recordCount(), 0); }
