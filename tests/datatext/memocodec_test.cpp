#include "memocodec.h"

#include <gtest/gtest.h>

TEST(MemoCodec, MemoForm) {
    using memocodec::ToMemoForm;
    EXPECT_EQ(ToMemoForm("a\r\nb\r\n"), std::nullopt);
    EXPECT_EQ(ToMemoForm(""), std::nullopt);
    EXPECT_EQ(memocodec::BeforeNull(std::string_view("ab\0\r", 4)), "ab");
    EXPECT_EQ(ToMemoForm("a\rb\nc\r\n\n\r"), "a\r\nb\r\nc\r\n\r\n\r\n");
    EXPECT_EQ(ToMemoForm("\n"), "\r\n");
    using memocodec::MemoTextOf;
    EXPECT_EQ(MemoTextOf("a\r\nb"), "a\r\nb");
    EXPECT_EQ(MemoTextOf(std::string("a\nb\0c\n", 6)), "a\r\nb");
    EXPECT_EQ(MemoTextOf(std::string("\0\n", 2)), "");
    EXPECT_EQ(MemoTextOf("\r"), "\r\n");
}
