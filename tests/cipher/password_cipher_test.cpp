#include "cipher/password_cipher.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

TEST(StoredPassword, MatchesKnownAnswers) {
  EXPECT_EQ(EncodeStoredPassword("secret", "scott"), "6oLDG2Xg");
  EXPECT_EQ(EncodeStoredPassword("p@ss w0rd!", ""), "rlj6MoNAbUjuJw==");
  EXPECT_EQ(EncodeStoredPassword("Tiger2024", "report_user"), "2nTox57uWzEP");
  EXPECT_EQ(DecodeStoredPassword("6oLDG2Xg", "scott"), "secret");
  EXPECT_EQ(DecodeStoredPassword("rlj6MoNAbUjuJw==", ""), "p@ss w0rd!");
  EXPECT_EQ(DecodeStoredPassword("2nTox57uWzEP", "report_user"), "Tiger2024");
}

TEST(StoredPassword, EmptyPasswordIsEmptyText) {
  EXPECT_EQ(EncodeStoredPassword("", "scott"), "");
  EXPECT_EQ(DecodeStoredPassword("", "scott"), "");
  EXPECT_EQ(DecodeStoredPassword("abc", "scott"), "") << "shorter than one group";
}

TEST(StoredPassword, LengthAndPaddingFollowTheByteCount) {
  EXPECT_EQ(EncodeStoredPassword("a", "u").size(), 4u);
  EXPECT_EQ(EncodeStoredPassword("a", "u").substr(2), "==");
  EXPECT_EQ(EncodeStoredPassword("ab", "u").substr(3), "=");
  EXPECT_EQ(EncodeStoredPassword("abc", "u").find('='), std::string::npos);
  EXPECT_EQ(EncodeStoredPassword("abcdefg", "u").size(), 12u);
}

TEST(StoredPassword, RoundTripsAnsiTextWithAnyUser) {
  const char *passwords[] = {"x", "two words", "Grüße€", "\"quoted\" = yes",
                             "1234567890abcdefghij"};
  const char *users[] = {"", "scott", "Ünïcode", "a-very-long-user-name-that-repeats-in-the-key"};
  for (const char *p : passwords)
    for (const char *u : users)
      EXPECT_EQ(DecodeStoredPassword(EncodeStoredPassword(p, u), u), p) << p << " / " << u;
}

TEST(StoredPassword, NonAsciiCharactersAreEncipheredAsWindows1252Bytes) {
  // "é" is one byte (0xE9) in Windows-1252, so it makes a four-character text ending "==".
  const std::string stored = EncodeStoredPassword("\xC3\xA9", "scott");
  EXPECT_EQ(stored.size(), 4u);
  EXPECT_EQ(Base64Decode(stored).size(), 1u);
}

TEST(StoredPassword, AnotherUserDecodesToAWrongPasswordWithoutError) {
  const std::string stored = EncodeStoredPassword("secret", "scott");
  EXPECT_NE(DecodeStoredPassword(stored, "Scott"), "secret");
}

TEST(RC4, IsItsOwnInverseAndKeepsLength) {
  const std::string plain("\x00\x01\xFFtext", 7);
  const std::string once = RC4EncryptString(plain, "key");
  EXPECT_EQ(once.size(), plain.size());
  EXPECT_NE(once, plain);
  EXPECT_EQ(RC4DecryptString(once, "key"), plain);
}

TEST(RC4, KeyBytesPastThe256thHaveNoEffect) {
  const std::string base(256, 'k');
  EXPECT_EQ(RC4EncryptString("payload", base + "AAAA"), RC4EncryptString("payload", base + "BBBB"));
  EXPECT_NE(RC4EncryptString("payload", std::string(255, 'k') + "A"),
            RC4EncryptString("payload", std::string(255, 'k') + "B"));
}

TEST(RC4, ScheduleDoesNotStartAtZero) {
  // With the published schedule and key "Key", "Plaintext" enciphers to BBF316E8D940AF0AD3.
  const std::string published = "\xBB\xF3\x16\xE8\xD9\x40\xAF\x0A\xD3";
  EXPECT_NE(RC4EncryptString("Plaintext", "Key"), published);
}

TEST(Base64, EncodesRfcVectors) {
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(Base64Encode("f"), "Zg==");
  EXPECT_EQ(Base64Encode("fo"), "Zm8=");
  EXPECT_EQ(Base64Encode("foo"), "Zm9v");
  EXPECT_EQ(Base64Encode("foobar"), "Zm9vYmFy");
  EXPECT_EQ(Base64Encode(std::string("\xFF\xFE\x00", 3)), "//4A");
}

TEST(Base64, DecodesLeniently) {
  EXPECT_EQ(Base64Decode("Zm9vYmFy"), "foobar");
  EXPECT_EQ(Base64Decode("Zg==trailing"), "f") << "the first '=' ends decoding for good";
  EXPECT_EQ(Base64Decode("Zg=xZm9v"), "f") << "'=' third in a group gives exactly one byte";
  EXPECT_EQ(Base64Decode("Zm9vYm"), "foo") << "a short trailing group is ignored";
  // A byte outside the alphabet counts as 127 and never fails.
  EXPECT_EQ(Base64Decode("*AAA").size(), 3u);
  EXPECT_EQ(static_cast<unsigned char>(Base64Decode("*AAA")[0]), (127u << 2) & 255u);
}

} // namespace
} // namespace brevant
