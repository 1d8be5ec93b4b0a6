// Delivery of the recognised text through the application's own Paste.

#include <gtest/gtest.h>

#include "tests/win/menulink_ocr/acquire_bed.h"

using namespace acquirebed;

namespace {

class PasteTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(Runs(), nullptr); }
  void TearDown() override {
    ClearSubclass();
    DestroyEditor(editor);
  }
  // Runs the paste and returns whether a message box came up.
  bool Paste(const char* windowClass, const char* menu, int language = 0) {
    editor = MakeEditor(windowClass, menu);
    SubclassFor(editor, language);
    BoxWatcher watch;
    EXPECT_EQ(Runs()->pasteIntoApplication(), 0);
    Pump(150);
    box = watch.caption + "|" + watch.text;
    return watch.Stop();
  }
  Editor* editor = nullptr;
  std::string box;
};

const char kNoDocument[] =
    "Glyphtap|There is no document open. The recognized text has been copied to the Clipboard.";

TEST_F(PasteTest, PostsTheEditMenusPasteCommand) {
  EXPECT_FALSE(Paste("OcrTestEditor", "standard"));
  EXPECT_EQ(editor->pastes, 1);
  EXPECT_EQ(editor->lastCommand, 275);
}

TEST_F(PasteTest, UsesTheMenuLanguageOfTheWindow) {
  EXPECT_FALSE(Paste("OcrTestEditor", "french", 1));
  EXPECT_EQ(editor->lastCommand, 277);
}

TEST_F(PasteTest, EditAsPlainCommandIsPostedItself) {
  EXPECT_FALSE(Paste("OcrTestEditor", "editcommand"));
  EXPECT_EQ(editor->lastCommand, 276);
}

TEST_F(PasteTest, WithoutAnEditMenuSaysNoDocument) {
  EXPECT_TRUE(Paste("OcrTestEditor", "noedit"));
  EXPECT_EQ(box, kNoDocument);
  EXPECT_EQ(editor->pastes, 0);
}

TEST_F(PasteTest, NoDocumentTestOfTheThreeWordProcessorClasses) {
  EXPECT_TRUE(Paste("AmiProWndA", "closegrey"));
  EXPECT_EQ(box, kNoDocument);
  EXPECT_EQ(editor->pastes, 0);
  DestroyEditor(editor);
  editor = nullptr;

  EXPECT_FALSE(Paste("AmiProWndA", "standard")) << "Close enabled: a document is open";
  EXPECT_EQ(editor->pastes, 1);
  DestroyEditor(editor);
  editor = nullptr;

  EXPECT_FALSE(Paste("OcrTestEditor", "closegrey")) << "other classes have no such test";
  EXPECT_EQ(editor->pastes, 1);
}

TEST_F(PasteTest, NothingHappensWithoutASubclassedWindow) {
  editor = MakeEditor("OcrTestEditor", "standard");
  ClearSubclass();
  BoxWatcher watch;
  EXPECT_EQ(Runs()->pasteIntoApplication(), 0);
  Pump(150);
  EXPECT_FALSE(watch.Stop());
  EXPECT_EQ(editor->pastes, 0);
}

}  // namespace
