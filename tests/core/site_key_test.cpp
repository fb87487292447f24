#include <gtest/gtest.h>

#include <string>

#include "core/configuration.h"

namespace veltrix::config {
namespace {

struct SiteKeyCase {
    const char16_t* url;
    const char16_t* key;
};

class SiteKeyTest : public ::testing::TestWithParam<SiteKeyCase> {};

TEST_P(SiteKeyTest, ReducesAnAddressToItsSite) {
    EXPECT_EQ(GetSiteKey(GetParam().url), GetParam().key);
}

const SiteKeyCase kCases[] = {
    // Scheme, "www.", host, port and path: host and port remain, letter case kept.
    {u"http://www.Example.COM:8080/path/page.htm?q=1", u"Example.COM:8080"},
    {u"https://example.com", u"example.com"},
    {u"HTTPS://WWW.example.com/", u"example.com"},
    {u"https://login.example.com/a/b", u"login.example.com"},
    {u"http://sub.www.example.com/", u"sub.www.example.com"},
    {u"http://wwwx.com/", u"wwwx.com"},
    {u"http://www./x", u""},
    // "file:" addresses stay whole, whatever their letter case.
    {u"file:///home/ann/page.html", u"file:///home/ann/page.html"},
    {u"FILE://server/share/x.htm", u"FILE://server/share/x.htm"},
    // Without "://" only the first '/' and what follows go (and a leading "www.").
    {u"example.com/login/x", u"example.com"},
    {u"www.example.com/x", u"example.com"},
    {u"about:blank", u"about:blank"},
    {u"", u""},
    // Only the first "://" counts.
    {u"http://host/redirect?to=https://other.org/", u"host"},
    {u"http://user@host:81", u"user@host:81"},
};

INSTANTIATE_TEST_SUITE_P(Addresses, SiteKeyTest, ::testing::ValuesIn(kCases));

}  // namespace
}  // namespace veltrix::config
