#include "notes/noteeditorview.h"

#include "notes/debouncer.h"
#include "tests/support/printers.h"
#include "tests/support/waitfor.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class Editor : public ::testing::Test
{
protected:
    void SetUp() override
    {
        editor.setDebouncer(&debouncer);
        editor.onSave = [this](const QString &text) { saves.append(text); };
        editor.show();
    }

    Debouncer debouncer { 50ms };
    NoteEditorView editor;
    QStringList saves;
};

TEST_F(Editor, aBurstOfTypingIsSavedOnceWithTheWholeText)
{
    editor.setText("Hi");
    editor.moveCursor(QTextCursor::End);
    QTest::keyClicks(&editor, " there");
    EXPECT_TRUE(debouncer.isPending());
    EXPECT_TRUE(saves.isEmpty());
    ASSERT_TRUE(waitFor([&] { return !saves.isEmpty(); }));
    EXPECT_EQ(saves, QStringList { "Hi there" });

    // The next pause saves again.
    QTest::keyClicks(&editor, "!");
    ASSERT_TRUE(waitFor([&] { return saves.size() == 2; }));
    EXPECT_EQ(saves.last(), "Hi there!");
}

TEST_F(Editor, textSetByTheProgramSchedulesNoSave)
{
    int edits = 0;
    QObject::connect(&editor, &NoteEditorView::edited, [&] { ++edits; });
    editor.setText("loaded from disk");
    editor.setText("");
    editor.setText("reloaded");
    EXPECT_FALSE(debouncer.isPending());
    EXPECT_EQ(edits, 0);
    runEventsFor(100ms);
    EXPECT_TRUE(saves.isEmpty());
}

} // namespace
