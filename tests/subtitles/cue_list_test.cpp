#include "subtitles/cue_list.h"

#include <gtest/gtest.h>

namespace vokabino {
namespace {

TEST(CueList, NewListHasNoCurrentCueAndCannotMove) {
  CueList list;
  EXPECT_EQ(CurrentCue(list), nullptr);
  EXPECT_FALSE(NextCue(list));
  RewindCues(list);
  EXPECT_EQ(CurrentCue(list), nullptr);
}

TEST(CueList, AddCueInsertsAfterTheCurrentCueOrAtTheFront) {
  CueList list;
  Cue& first = AddCue(list);
  EXPECT_EQ(first.index, 0);
  EXPECT_EQ(first.start, 0);
  EXPECT_EQ(first.end, 0);
  EXPECT_EQ(first.text, "");
  first.index = 1;
  AddCue(list).index = 3;
  EXPECT_EQ(CurrentCue(list)->index, 3);

  RewindCues(list);
  AddCue(list).index = 0;  // no current Cue: at the front
  ASSERT_TRUE(NextCue(list));
  AddCue(list).index = 2;  // after the current Cue (1)
  ASSERT_EQ(list.cues.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(list.cues[i].index, i);
  EXPECT_EQ(CurrentCue(list)->index, 2);
}

TEST(CueList, NextCueWalksToTheLastCueAndStaysThere) {
  CueList list;
  for (int i = 1; i <= 3; ++i) AddCue(list).index = i;
  RewindCues(list);
  for (int i = 1; i <= 3; ++i) {
    ASSERT_TRUE(NextCue(list));
    EXPECT_EQ(CurrentCue(list)->index, i);
  }
  EXPECT_FALSE(NextCue(list));
  const CueList& view = list;
  EXPECT_EQ(CurrentCue(view)->index, 3);
}

}  // namespace
}  // namespace vokabino
