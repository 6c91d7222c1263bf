#include "platform/workspace/NSWorkspace.h"
#include "tests/support/DefaultHandler.h"

#include <gtest/gtest.h>
#include <string>

using platform::workspace::NSWorkspace;
using namespace std::string_literals;

TEST(NSWorkspace, HandsOnlyAbsoluteUrlsToTheDefaultHandlerExactlyAsGiven) {
    trelvo::test::DefaultHandler handler;
    handler.apply();
    for (const std::string& text :
         {""s, "localhost:8443 x"s, "--new-window"s, "/etc/passwd"s, "https://local host"s,
          "https://localhost/\nline"s, "//localhost/"s, "https://localhost/\"quoted\""s,
          "https://localhost/путь"s, "https://a\0b"s, "trelvo-nothing-handles-this://page"s}) {
        EXPECT_FALSE(NSWorkspace::shared().open(text)) << text;
    }
    // What a shell would act on arrives untouched, and the refused texts launched nothing: each
    // line the handler writes is the next URL opened.
    for (const char* url : {"https://localhost:8443", "https://localhost:8443/?q=$(id);x='y'&z=1",
                            "https://xn--e1afmkfd.xn--p1ai/%D0%BF%D1%83%D1%82%D1%8C#part"}) {
        ASSERT_TRUE(NSWorkspace::shared().open(url)) << url;
        EXPECT_EQ(handler.nextOpened(), url);
    }
}
