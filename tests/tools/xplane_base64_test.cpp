// The X-Plane stand-in's base64, by which it serves and takes acf_ICAO.
#include <gtest/gtest.h>

#include <string>

#include "xplane/base64.h"

namespace tarnwell::tools::xplane {
namespace {

// RFC 4648's examples both ways (and bytes above 0x7F, for the last two
// digits), and what the decoder must refuse: a text not in groups of four,
// a digit outside the alphabet, padding inside.
TEST(StandInBase64, CodesTheStandardsExamplesAndRefusesTheRest) {
    const char* const examples[][2] = {{"", ""},
                                       {"f", "Zg=="},
                                       {"fo", "Zm8="},
                                       {"foo", "Zm9v"},
                                       {"foob", "Zm9vYg=="},
                                       {"fooba", "Zm9vYmE="},
                                       {"foobar", "Zm9vYmFy"},
                                       {"\xfb\xff", "+/8="}};
    for (const auto& [bytes, text] : examples) {
        EXPECT_EQ(Base64Encode(bytes), text);
        std::string decoded = "left over";
        EXPECT_TRUE(Base64Decode(text, decoded)) << text;
        EXPECT_EQ(decoded, bytes);
    }
    for (const char* bad : {"Zg=", "Zm9v!A==", "Zg=A", "Zg==Zm8=", "Z==="}) {
        std::string decoded;
        EXPECT_FALSE(Base64Decode(bad, decoded)) << bad;
    }
}

}  // namespace
}  // namespace tarnwell::tools::xplane
