#include <gtest/gtest.h>

#include "util/SecretMasking.h"

namespace quintrel {
namespace {

struct Case {
    const char* line;
    const char* storedCode;
    const char* expected;
};

TEST(SecretMasking, HidesCodeQueryItemsAndTheStoredCode) {
    const Case cases[] = {
        // Qt's own warning when no browser can be found.
        {"Unable to detect a web browser to launch 'https://q.test/dash?code=Abc123&v=2'", "",
         "Unable to detect a web browser to launch 'https://q.test/dash?code=***&v=2'"},
        {"GET http://h/api?v=2&client=mac&code=S3cr%2Bt#frag", "",
         "GET http://h/api?v=2&client=mac&code=***#frag"},
        {"u=https://h/?CODE=x y", "", "u=https://h/?CODE=*** y"},
        {"next=https%3A%2F%2Fh%2F%3Fcode%3Dsecret%26v%3D2", "",
         "next=https%3A%2F%2Fh%2F%3Fcode%3D***%26v%3D2"},
        {"?code=&v=1", "", "?code=&v=1"},
        // Other items that end in "code" are not the API code.
        {"?zipcode=12345&qrcode=x", "", "?zipcode=12345&qrcode=x"},
        {"no secrets here", "", "no secrets here"},
        // The stored code wherever it stands, also percent-encoded.
        {"reply for Abc123: 401", "Abc123", "reply for ***: 401"},
        {"Abc123Abc123", "Abc123", "******"},
        {"x=a%2Bb%2Fc a+b/c", "a+b/c", "x=*** ***"},
        {"nothing of it", "Abc123", "nothing of it"},
    };
    for (const auto& [line, storedCode, expected] : cases) {
        EXPECT_EQ(maskSecrets(line, storedCode), expected) << line;
    }
}

}  // namespace
}  // namespace quintrel
