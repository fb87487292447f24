#include "platform/com/dispatch_table.h"

#include <gtest/gtest.h>

namespace veltrix::com {
namespace {

constexpr DispatchMember kMembers[] = {{u"Open", 1}, {u"Close", 2}, {u"Reload", 7}};

TEST(DispatchTableTest, FindsNamesWithoutRegardToCaseAndRefusesOthers) {
    const DispatchTable table(kMembers);
    DispId id = 0;
    EXPECT_EQ(table.IdOfName(u"CLOSE", &id), S_OK);
    EXPECT_EQ(id, 2);
    EXPECT_EQ(table.IdOfName(u"rELOAD", &id), S_OK);
    EXPECT_EQ(id, 7);
    id = 99;
    EXPECT_EQ(table.IdOfName(u"Clos", &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(table.IdOfName(u"", &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, 99) << "a refused name leaves the id alone";
    EXPECT_EQ(table.IdOfName(u"Open", nullptr), E_POINTER);
}

TEST(DispatchTableTest, KnowsItsIdsOnly) {
    const DispatchTable table(kMembers);
    EXPECT_TRUE(table.Contains(1));
    EXPECT_TRUE(table.Contains(7));
    EXPECT_FALSE(table.Contains(0));
    EXPECT_FALSE(table.Contains(3));
    EXPECT_FALSE(DispatchTable({}).Contains(1));
}

}  // namespace
}  // namespace veltrix::com
