#pragma once

#include "clipboard/clipboardmanager.h"
#include "platform/fake/fakeclock.h"
#include "platform/fake/fakepasteboard.h"
#include "tests/clipboard/temporarystore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// A clipboard manager over a store in a temporary folder, a fake pasteboard and a
// clock the test moves. A fixture that adds to the set-up calls this one first,
// under ASSERT_NO_FATAL_FAILURE.
class ClipboardManagerFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store = openStoreIn(dir);
        ASSERT_TRUE(store);
        manager = std::make_unique<ClipboardManager>(*store, pasteboard, 200, clock);
    }

    QTemporaryDir dir;
    FakeClock clock;
    FakePasteboard pasteboard;
    std::unique_ptr<ClipboardStore> store;
    std::unique_ptr<ClipboardManager> manager;
};
