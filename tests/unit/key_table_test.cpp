#include "runtime/UnitGetKey.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint8_t Z = 90, Space = 32, Enter = 13;

TEST(KeyTable, AutoRepeatGivesOneRiseAndAConsumedPressNeedsARelease)
{
    KeyTableKeyDown(Z);
    EXPECT_TRUE(GetKeyFlag(Z));
    ResetKeyFlag(Z);
    KeyTableKeyDown(Z);  // auto-repeat of the held key
    EXPECT_FALSE(GetKeyFlag(Z));
    KeyTableKeyUp(Z);
    KeyTableKeyDown(Z);
    EXPECT_TRUE(GetKeyFlag(Z));
}

TEST(KeyTable, HeldReadsSeeTheKeyUntilRelease)
{
    KeyTableKeyDown(Z);
    for (int tick = 0; tick < 3; ++tick) EXPECT_TRUE(GetKeyFlag(Z));
    KeyTableKeyUp(Z);
    EXPECT_FALSE(GetKeyFlag(Z));
}

TEST(KeyTable, TapBetweenTicksIsNotSeen)
{
    KeyTableKeyDown(Z);
    KeyTableKeyUp(Z);
    EXPECT_FALSE(GetKeyFlag(Z));
}

TEST(KeyTable, KeyUpWithoutKeyDownChangesNothing)
{
    SetKeyFlag(Z);  // flagged, but the form never saw it go down
    KeyTableKeyUp(Z);
    EXPECT_TRUE(GetKeyFlag(Z));
    EXPECT_FALSE(KeyHeld[Z]);
}

TEST(KeyTable, ConfirmIsSpaceOrEnterAndClearsBoth)
{
    EXPECT_FALSE(ConfirmPushed());
    KeyTableKeyDown(Space);
    KeyTableKeyDown(Enter);
    EXPECT_TRUE(ConfirmPushed());
    EXPECT_FALSE(GetKeyFlag(Space));
    EXPECT_FALSE(GetKeyFlag(Enter));
    EXPECT_FALSE(ConfirmPushed()) << "one press acts once however long it is held";
    KeyTableKeyUp(Enter);
    KeyTableKeyDown(Enter);
    EXPECT_TRUE(ConfirmPushed());
}

TEST(KeyTable, ClearKeysReleasesBothTablesSoTheNextKeyDownCounts)
{
    KeyTableKeyDown(Z);
    ClearKeys();
    EXPECT_FALSE(GetKeyFlag(Z));
    EXPECT_FALSE(KeyHeld[Z]);
    KeyTableKeyDown(Z);  // the next auto-repeat of the still-held key
    EXPECT_TRUE(GetKeyFlag(Z));
}

}  // namespace
