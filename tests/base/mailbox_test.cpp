#include "base/mailbox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Note {
  std::string text;
  Note DeepCopy() const { return *this; }
};

std::vector<std::string> TextsOf(const std::vector<Note>& notes) {
  std::vector<std::string> texts;
  for (const Note& note : notes) texts.push_back(note.text);
  return texts;
}

using Texts = std::vector<std::string>;

TEST(Mailbox, KeepingEachHandsOutEveryValueInItsOrderAndWakesOncePerUnreadBatch) {
  Mailbox<Note, MailboxKeeps::kEach> box;
  EXPECT_TRUE(box.Put({"label Send Station to FS"}));  // the GUI thread must be woken
  EXPECT_FALSE(box.Put({"gauge 3/0"}));                // it is already coming
  EXPECT_FALSE(box.Put({"gauge shown"}));
  EXPECT_EQ(TextsOf(box.TakeUnread()), (Texts{"label Send Station to FS", "gauge 3/0", "gauge shown"}));
  EXPECT_EQ(TextsOf(box.TakeUnread()), Texts{});  // a second event of the same batch finds nothing
  EXPECT_TRUE(box.Put({"item on"}));
  EXPECT_EQ(TextsOf(box.TakeUnread()), Texts{"item on"});
}

TEST(Mailbox, KeepingTheNewestHandsOutOnlyTheLast) {
  Mailbox<Note, MailboxKeeps::kNewest> box;
  EXPECT_TRUE(box.Put({"Init Metar 1 from 3"}));
  EXPECT_FALSE(box.Put({"Init Metar 2 from 3"}));
  EXPECT_EQ(TextsOf(box.TakeUnread()), Texts{"Init Metar 2 from 3"});
  EXPECT_EQ(TextsOf(box.TakeUnread()), Texts{});
  EXPECT_EQ(box.Take().text, "Init Metar 2 from 3");  // the newest stays, taken or not
}

}  // namespace
