#include <gtest/gtest.h>

#include <string>

#include "procinfo/utf16.h"

namespace taskmgr {
namespace {

TEST(Utf16ToUtf8, ConvertsEveryPlaneAndReplacesLoneSurrogates) {
  const struct {
    std::u16string In;
    std::string Out;
  } cases[] = {
      {u"", ""},
      {u"taskmgr.exe", "taskmgr.exe"},
      {u"\u00E9\u07FF\u0800", "\xC3\xA9\xDF\xBF\xE0\xA0\x80"},
      {u"进程", "进程"},
      {u"\uFFFF", "\xEF\xBF\xBF"},
      {u"\U00010000\U0010FFFF", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"},
      {std::u16string(u"\xD83D"), "\xEF\xBF\xBD"},
      {std::u16string(u"\xDE00x"), "\xEF\xBF\xBDx"},
      {std::u16string(u"\xD83D\xD83D\xDE00"), "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
      {std::u16string(u"\xD83D" u"a"), "\xEF\xBF\xBD" "a"},
      {std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf16ToUtf8(c.In), c.Out);
}

TEST(Utf16LeBytesToUtf8, ReadsUnalignedLittleEndianUnits) {
  const unsigned char bytes[] = {0xFF, 0xDB, 0x8F, 0x3D, 0xD8, 0x00, 0xDE, 0x41, 0x00};
  // Starting at an odd address: 进 (U+8FDB), then U+1F600, then 'A'.
  EXPECT_EQ(Utf16LeBytesToUtf8(bytes + 1, 4), "进\xF0\x9F\x98\x80" "A");
}

}  // namespace
}  // namespace taskmgr
