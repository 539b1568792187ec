// Which key presses count as shortcuts while dialogs are open.
#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/key_latch.h"

TEST(ShortcutKeys, SwitchKeysCountInModalDialogsButNeverInTextBoxes) {
    const struct {
        int key;
        bool inModal; // counts while a modal dialog without a focused text box is open
    } keys[] = {{SDLK_i, true},      {SDLK_h, true},  {SDLK_LCTRL, true}, {SDLK_RCTRL, true},
                {SDLK_SPACE, false}, {SDLK_p, false}, {SDLK_r, false},    {SDLK_x, false}};
    for (const auto& k : keys) {
        EXPECT_TRUE(KeyCountsAsShortcut(k.key, false, false)) << k.key;
        EXPECT_EQ(KeyCountsAsShortcut(k.key, false, true), k.inModal) << k.key;
        EXPECT_FALSE(KeyCountsAsShortcut(k.key, true, true)) << k.key;
        EXPECT_FALSE(KeyCountsAsShortcut(k.key, true, false)) << k.key;
    }
}
