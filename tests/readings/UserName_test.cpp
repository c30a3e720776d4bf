#include "readings/UserName.h"

#include <pwd.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "readings/SystemReaderHarness.h"

namespace cx {
namespace {

TEST(UserName, IsTheEffectiveUsersLoginName) {
    test::tSystemReaderHarness harness;
    const passwd* entry = getpwuid(geteuid());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(CurrentUserName(harness.events), entry->pw_name);
    EXPECT_EQ(harness.EventText(), "");
}

}  // namespace
}  // namespace cx
