#include "ripper/engine/track_tags.h"

#include <gtest/gtest.h>

namespace {

TEST(TrackTags, CddbTextsOnlyWhileTitlesAreInUse) {
  CddbDiscDetails disc{L"Artist", L"Album", L"2001", L"Jazz"};
  Mp3Tags off = TrackTags(2, 9, false, L"ignored", disc);
  EXPECT_EQ(off.track, 2);
  EXPECT_EQ(off.trackCount, 9);
  EXPECT_TRUE(off.title.empty() && off.artist.empty() && off.album.empty() && off.year.empty() &&
              off.genre.empty());

  Mp3Tags on = TrackTags(2, 9, true, L"AC/DC", disc);
  EXPECT_EQ(on.title, L"AC/DC");  // the tag keeps what the file name replaced
  EXPECT_EQ(on.artist, L"Artist");
  EXPECT_EQ(on.album, L"Album");
  EXPECT_EQ(on.year, L"2001");
  EXPECT_EQ(on.genre, L"Jazz");

  // A count that cannot hold the track is left out rather than "5/3".
  EXPECT_EQ(TrackTags(5, 3, false, L"", disc).trackCount, 0);
}

TEST(TrackTags, DetailsLastUntilCleared) {
  SetCddbDiscDetails({L"A", L"B", L"1990", L"Pop"});
  EXPECT_EQ(CurrentCddbDiscDetails().album, L"B");
  ClearCddbDiscDetails();
  EXPECT_TRUE(CurrentCddbDiscDetails().artist.empty());
  EXPECT_TRUE(CurrentCddbDiscDetails().album.empty());
}

}  // namespace
