// The memo's character codec with arbitrary bytes and arbitrary UTF-16.
//
// Every byte string comes back from its UTF-16 form byte for byte, and a
// memo text from its memo form; reading a text character by character
// agrees with decoding it whole and with counting its units.
#include "DataTextModel.h"
#include "memocodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

std::u16string Decoded(std::string_view bytes, bool forMemo) {
    std::u16string units(bytes.size(), u'\0');
    units.resize(static_cast<std::size_t>(memocodec::DecodeInto(bytes, units.data(), forMemo) -
                                          units.data()));
    return units;
}

std::string Encoded(std::u16string_view units, bool forMemo) {
    return memocodec::Encode(units.data(), units.size(), forMemo);
}

// Encode() and its characters one by one give the same bytes.
void CheckEncodeChar(std::u16string_view units, bool forMemo) {
    std::string bytes;
    char out[4];
    for (std::size_t i = 0; i < units.size();) {
        const std::size_t before = i;
        const int n = memocodec::EncodeChar(units.data(), units.size(), i, out, forMemo);
        Check(n >= 1 && n <= 4 && i > before && i <= before + 2);
        bytes.append(out, static_cast<std::size_t>(n));
    }
    Check(bytes == Encoded(units, forMemo));
}

void CheckBytes(std::string_view bytes) {
    const std::u16string plain = Decoded(bytes, false);
    Check(Encoded(plain, false) == bytes);
    CheckEncodeChar(plain, false);

    const std::string memo = memocodec::MemoTextOf(std::string(bytes));
    Check(memo == WithMemoLineBreaks(memocodec::BeforeNull(bytes)));
    Check(!memocodec::ToMemoForm(memo));
    const std::u16string units = Decoded(memo, true);
    Check(memocodec::CountMemoUnits(memo) == units.size());
    Check(memocodec::MemoTextOf(Encoded(units, true)) == memo);
    CheckEncodeChar(units, true);

    // Each character alone decodes to its place in the whole.
    const auto* const data = reinterpret_cast<const unsigned char*>(memo.data());
    const auto* const end = data + memo.size();
    std::size_t unit = 0;
    for (const unsigned char* p = data; p != end;) {
        const memocodec::MemoChar c = memocodec::ReadMemoChar(p, end);
        Check(c.bytes >= 1 && c.bytes <= end - p && (c.units == 1 || c.units == 2));
        const std::string_view bytesOfChar(reinterpret_cast<const char*>(p),
                                           static_cast<std::size_t>(c.bytes));
        const std::u16string alone = Decoded(bytesOfChar, true);
        Check(alone.size() == static_cast<std::size_t>(c.units));
        Check(units.compare(unit, alone.size(), alone) == 0);
        const char32_t code =
            c.units == 1 ? alone[0] : 0x10000 + ((alone[0] - 0xD800u) << 10) + (alone[1] - 0xDC00u);
        Check(code == c.code);
        unit += alone.size();
        p += c.bytes;
    }
    Check(unit == units.size());
}

// Any UTF-16, lone surrogates included, takes a byte form that then stays
// the same through decoding and encoding again.
void CheckUnits(std::u16string_view units) {
    for (const bool forMemo : {false, true}) {
        const std::string bytes = Encoded(units, forMemo);
        Check(Encoded(Decoded(bytes, false), false) == bytes);
        CheckEncodeChar(units, forMemo);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckBytes(bytes);
    std::u16string units(size / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    CheckUnits(units);
    return 0;
}
