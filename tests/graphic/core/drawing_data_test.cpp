#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "bitmap_file_layout.h"
#include "mix_modes.h"
#include "point_list.h"

namespace qv {
namespace {

// The raster operations themselves are tested by their effect on block copies under Wine.
TEST(MixModes, OutOfRangeModesAreCopyPen) {
  EXPECT_EQ(MixMode(0), 13);
  EXPECT_EQ(MixMode(17), 13);
  EXPECT_EQ(MixMode(-1), 13);
  EXPECT_EQ(MixMode(1), 1);
  EXPECT_EQ(MixMode(16), 16);
  EXPECT_EQ(MixRasterOperation(-1), MixRasterOperation(0));
  EXPECT_EQ(MixRasterOperation(16), MixRasterOperation(0));
}

std::vector<unsigned char> Block(uint32_t count, std::vector<float> coordinates) {
  std::vector<unsigned char> block(4 + coordinates.size() * 4);
  std::memcpy(block.data(), &count, 4);
  if (!coordinates.empty()) std::memcpy(block.data() + 4, coordinates.data(), coordinates.size() * 4);
  return block;
}

TEST(PointList, CountMustFitTheRangeAndTheBlock) {
  auto b = Block(3, {1, 2, 3, 4, 5.5f, 6});
  auto list = PointList::Read(b.data(), static_cast<uint32_t>(b.size()));
  ASSERT_TRUE(list);
  EXPECT_EQ(list->count(), 3u);
  EXPECT_EQ(list->x(2), 5.5f);
  EXPECT_EQ(list->y(0), 2);
  // Unaligned blocks read the same.
  std::vector<unsigned char> shifted(b.size() + 1);
  std::memcpy(shifted.data() + 1, b.data(), b.size());
  auto moved = PointList::Read(shifted.data() + 1, static_cast<uint32_t>(b.size()));
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved->x(2), 5.5f);

  EXPECT_FALSE(PointList::Read(b.data(), static_cast<uint32_t>(b.size()) - 1));  // one byte short
  auto one = Block(1, {1, 2});
  EXPECT_FALSE(PointList::Read(one.data(), static_cast<uint32_t>(one.size())));
  std::vector<float> many(2 * 1025, 1.0f);
  auto too_many = Block(1025, many);
  EXPECT_FALSE(PointList::Read(too_many.data(), static_cast<uint32_t>(too_many.size())));
  many.resize(2 * 1024);
  auto most = Block(1024, many);
  EXPECT_TRUE(PointList::Read(most.data(), static_cast<uint32_t>(most.size())));
  auto claims = Block(0xFFFFFFFFu, {1, 2, 3, 4});
  EXPECT_FALSE(PointList::Read(claims.data(), static_cast<uint32_t>(claims.size())));
  EXPECT_FALSE(PointList::Read(b.data(), 3));
  EXPECT_FALSE(PointList::Read(nullptr, 100));
}

uint32_t Field(const BitmapHeader& h, size_t offset, size_t size) {
  uint32_t v = 0;
  for (size_t i = 0; i < size; ++i) v |= uint32_t{h[offset + i]} << (8 * i);
  return v;
}

TEST(BitmapFileLayout, HeaderOfAThreeByTwoPicture) {
  EXPECT_EQ(BitmapRowBytes(3), 12u);
  EXPECT_EQ(BitmapRowBytes(4), 12u);
  EXPECT_EQ(BitmapRowBytes(1), 4u);
  EXPECT_EQ(BitmapRowBytes(0), 0u);
  auto h = BitmapFileHeader(3, 2);
  ASSERT_TRUE(h);
  EXPECT_EQ((*h)[0], 'B');
  EXPECT_EQ((*h)[1], 'M');
  EXPECT_EQ(Field(*h, 2, 4), 78u);
  EXPECT_EQ(Field(*h, 6, 4), 0u);
  EXPECT_EQ(Field(*h, 10, 4), 54u);
  EXPECT_EQ(Field(*h, 14, 4), 40u);
  EXPECT_EQ(Field(*h, 18, 4), 3u);
  EXPECT_EQ(Field(*h, 22, 4), 2u);
  EXPECT_EQ(Field(*h, 26, 2), 1u);
  EXPECT_EQ(Field(*h, 28, 2), 24u);
  for (size_t offset = 30; offset < 54; ++offset) EXPECT_EQ((*h)[offset], 0) << offset;
  EXPECT_FALSE(BitmapFileHeader(0, 2));
  EXPECT_FALSE(BitmapFileHeader(3, -2));
  EXPECT_FALSE(BitmapFileHeader(40000, 40000));  // beyond the 32-bit file size
  EXPECT_EQ(BitmapRowBytes(0x7FFFFFFF), 0u);
}

}  // namespace
}  // namespace qv
